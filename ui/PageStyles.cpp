#include "ui/PageStyles.h"

#include "toolkit/Canvas.h"

namespace tolvane::ui {

namespace {

TextStyle Text(float size, Colour colour, const char* font, HAlign align, VAlign valign = VAlign::Top) {
    TextStyle s;
    s.size = size;
    s.colour = colour;
    s.fontId = font;
    s.align = align;
    s.valign = valign;
    return s;
}

} // namespace

VectorStyle PageStyles::ButtonAt(float size) const {
    return button.WithLabelText(button.labelText.WithSize(size));
}

PageStyles MakePageStyles() {
    PageStyles s;
    s.body = Text(28, colours::kBlack, kFontRoboto, HAlign::Near);
    s.panelText = Text(18, colours::kWhite, kFontRoboto, HAlign::Centre);
    s.buttonText = Text(18, colours::kBlack, kFontRoboto, HAlign::Centre);
    // The seven-segment face gives every character a full digit cell, "1"
    // included; condensed to 55 % its three cells ("188", "127") fit the
    // 128-unit display instead of losing the left half of the tens digit.
    s.sevenSegGhost = Text(88, Colour{255, 51, 51, 51}, kFontSevenSeg, HAlign::Far);
    s.sevenSegGhost.stretch = 55;
    s.sevenSeg = s.sevenSegGhost.WithColour(colours::kWhite);
    s.title = Text(44, Colour{255, 204, 204, 204}, kFontKnow, HAlign::Near);
    // Knob captions and units: light enough to read on the section panel.
    s.label = Text(26, Colour{255, 160, 160, 160}, kFontKnow, HAlign::Centre);
    s.value = Text(28, Colour{255, 204, 204, 204}, kFontKnow, HAlign::Centre);
    s.unit = s.label.WithSize(34);
    s.listRow = Text(27, Colour{150, 100, 255, 255}, kFontRoboto, HAlign::Near, VAlign::Middle);
    s.irRow = Text(24, Colour{255, 100, 255, 255}, kFontRoboto, HAlign::Near, VAlign::Middle);
    s.irValue = Text(26, Colour{255, 51, 255, 255}, kFontKnow, HAlign::Centre);

    // The base style: label and value 20 pt white, centred.
    VectorStyle base;
    base.showLabel = true;
    base.showValue = true;
    base.hideCursor = true;
    base.drawFrame = true;
    base.drawShadows = true;
    base.emboss = false;
    base.roundness = 0.f;
    base.frameThickness = 1.f;
    base.shadowOffset = 3.f;
    base.widgetFrac = 1.f;
    base.angle = 0.f;
    base.labelText = Text(20, colours::kWhite, kFontRoboto, HAlign::Centre);
    base.valueText = Text(20, colours::kWhite, kFontRoboto, HAlign::Centre);
    base.colours = {colours::kTransparent,     Colour{255, 94, 94, 94}, Colour{255, 169, 169, 169},
                    colours::kWhite,           Colour{10, 0, 0, 0},     Colour{60, 0, 0, 0},
                    Colour{255, 51, 255, 255}, colours::kDarkGrey,      colours::kBlue};
    s.base = base;

    VectorStyle button = base;
    button.roundness = 1.f;
    button.emboss = true;
    button.shadowOffset = 2.f;
    button.frameThickness = 2.f;
    button.colours[kForeground] = Colour{255, 116, 116, 116};
    button.colours[kPressed] = Colour{255, 144, 144, 144};
    button.colours[kFrame] = colours::kBlack;
    button.labelText = s.buttonText.WithVAlign(VAlign::Middle);
    s.button = button;

    VectorStyle backdrop = base;
    backdrop.emboss = false;
    backdrop.shadowOffset = 0.f;
    backdrop.drawShadows = false; // nothing of it may show
    backdrop.roundness = 0.05f;
    for (VectorColour c : {kBackground, kForeground, kPressed, kFrame, kHighlight})
        backdrop.colours[c] = colours::kTransparent;
    backdrop.labelText = s.panelText.WithSize(34);
    s.backdrop = backdrop;

    VectorStyle notice = backdrop;
    notice.colours[kFrame] = colours::kDarkGrey;
    notice.colours[kForeground] = Colour{220, 20, 20, 20};
    notice.colours[kPressed] = Colour{220, 20, 20, 20};
    notice.colours[kBackground] = colours::kTransparent;
    notice.labelText = s.panelText.WithSize(34).WithVAlign(VAlign::Middle);
    s.notice = notice;

    VectorStyle knob = base;
    knob.showLabel = false;
    knob.showValue = false;
    knob.colours = {colours::kTransparent,     Colour{255, 51, 255, 255}, Colour{255, 169, 169, 169},
                    colours::kBlack,           Colour{10, 0, 0, 0},       colours::kDarkGrey,
                    Colour{255, 51, 255, 255}, colours::kDarkGrey,        colours::kBlue};
    knob.labelText = Text(30, Colour{255, 201, 201, 201}, kFontRoboto, HAlign::Centre);
    knob.valueText = knob.labelText;
    s.knob = knob;
    return s;
}

bool RegisterPageFonts(Canvas& graphics) {
    bool ok = graphics.RegisterFont(kFontRoboto, "Roboto-Regular.ttf");
    ok = graphics.RegisterFont(kFontSevenSeg, "MyBlueRoom.ttf") && ok;
    ok = graphics.RegisterFont(kFontKnow, "Knowledge-Bold.ttf") && ok;
    return ok;
}

} // namespace tolvane::ui
