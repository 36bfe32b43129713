#include "TestPage.h"

#include "Fixtures.h"

#include "toolkit/BitmapControls.h"
#include "toolkit/OverlayControls.h"
#include "toolkit/SvgKnobControl.h"
#include "toolkit/TextControls.h"
#include "toolkit/VectorControls.h"
#include "ui/DynamicsResponseGraph.h"
#include "ui/FreqResponseGraph.h"
#include "ui/InvisibleSelectControl.h"

#include <cmath>
#include <string>
#include <vector>

namespace tolvane::test {

namespace {

constexpr double kPi = 3.14159265358979323846;
const Colour kPink{255, 100, 255, 255};

// A cabinet-like response: a few decaying resonances.
std::vector<double> SyntheticIr() {
    std::vector<double> x(FreqResponseGraph::kFftSize, 0.0);
    const double rate = 44100.0;
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double t = double(n) / rate;
        x[n] =
            std::exp(-t * 900.0) * (0.6 * std::sin(2 * kPi * 110 * t) + 0.4 * std::sin(2 * kPi * 2400 * t) +
                                    0.25 * std::sin(2 * kPi * 4100 * t));
    }
    x[0] += 0.3;
    return x;
}

VectorStyle ButtonStyle() {
    VectorStyle s;
    s.roundness = 1.f;
    s.emboss = true;
    s.shadowOffset = 2.f;
    s.frameThickness = 2.f;
    s.colours[kForeground] = Colour{255, 116, 116, 116};
    s.colours[kPressed] = Colour{255, 144, 144, 144};
    s.colours[kFrame] = colours::kBlack;
    s.labelText = TextStyle{18.f, colours::kBlack, "", HAlign::Centre, VAlign::Middle};
    return s;
}

VectorStyle KnobStyle() {
    VectorStyle s;
    s.colours = {colours::kTransparent,     Colour{255, 51, 255, 255}, Colour{255, 169, 169, 169},
                 colours::kBlack,           Colour{10, 0, 0, 0},       colours::kDarkGrey,
                 Colour{255, 51, 255, 255}, colours::kDarkGrey,        colours::kBlue};
    s.labelText = TextStyle{30.f, Colour{255, 201, 201, 201}, "", HAlign::Centre, VAlign::Top};
    s.valueText = TextStyle{30.f, Colour{255, 201, 201, 201}, "", HAlign::Centre, VAlign::Bottom};
    return s;
}

} // namespace

int BuildTestPage(Canvas& ui, int repeatRows) {
    ui.AttachCornerResizer(20.f, colours::kFaintBlack, colours::kBlack, colours::kBlack);
    ui.AddControl(std::make_unique<PanelControl>(Rect(0, 0, 1920, 1200), Colour{255, 28, 30, 34}), kNoTag,
                  "background");
    ui.AttachTextEntryControl();
    ui.AttachPopupMenuControl();
    ui.AttachBubbleControl();

    const TextStyle title{44.f, Colour{255, 204, 204, 204}, "", HAlign::Near, VAlign::Top};
    const TextStyle label{26.f, Colour{255, 102, 102, 102}, "", HAlign::Centre, VAlign::Top};
    const TextStyle body{28.f, colours::kBlack, "", HAlign::Near, VAlign::Top};
    ui.AddControl(std::make_unique<TextControl>(Rect(40, 20, 900, 80), "TOOLKIT TEST PAGE", title));

    // Rotating bitmap knobs, the last two disabled (drawn at 25%).
    const Bitmap knob = ui.LoadBitmap("knob.png");
    for (int i = 0; i < 6; ++i) {
        const float cx = 100.f + i * 130.f;
        auto* k =
            ui.AddControl(std::make_unique<BitmapKnobRotaterControl>(Rect(cx - 1, 159, cx + 1, 161), knob, kGain),
                          kNoTag, i >= 4 ? "disabledcontrols" : "bcontrols");
        k->SetValue(i / 5.0);
        ui.AddControl(std::make_unique<TextControl>(Rect(cx - 60, 200, cx + 60, 230),
                                                     "KNOB " + std::to_string(i + 1), label));
    }
    ui.DisableGroup("disabledcontrols");

    // Vector knobs, slider, switch, number box.
    for (int i = 0; i < 3; ++i) {
        auto* k = ui.AddControl(std::make_unique<VectorKnobControl>(
            Rect(60.f + i * 200, 260, 240.f + i * 200, 480), kGain, "GAIN", KnobStyle()));
        k->SetValue(0.2 + 0.3 * i);
    }
    ui.AddControl(std::make_unique<VectorSliderControl>(Rect(680, 260, 740, 560), kPosition, "POS", KnobStyle()));
    ui.AddControl(
        std::make_unique<VectorSlideSwitchControl>(Rect(780, 260, 900, 330), kSteps, "MODE", ButtonStyle()));
    ui.AddControl(std::make_unique<VectorNumberBoxControl>(Rect(780, 360, 900, 440), kNoParam, nullptr, "CC",
                                                       ButtonStyle(), 64, 0, 127));

    // Buttons.
    const char* names[] = {"IMPORT", "EXPORT", "RECONNECT"};
    for (int i = 0; i < 3; ++i) {
        ui.AddControl(std::make_unique<VectorButtonControl>(Rect(40.f + i * 130, 520, 160.f + i * 130, 565),
                                                        names[i], ButtonStyle()));
    }
    const Bitmap button = ui.LoadBitmap("button.png", 2);
    ui.AddControl(std::make_unique<BitmapButtonControl>(480, 520, button));
    ui.AddControl(std::make_unique<BitmapButtonControl>(520, 520, button))->SetValue(1.0);
    ui.AddControl(
        std::make_unique<BitmapSliderControl>(Rect(600, 500, 640, 640), ui.LoadBitmap("handle.png"), kGain));

    // Texts.
    ui.AddControl(std::make_unique<EditableTextControl>(
        Rect(40, 600, 560, 640), "Velumo Ostrel Default Preset Name",
        body.WithSize(24).WithColour(kPink).WithVAlign(VAlign::Middle)));
    ui.AddControl(std::make_unique<CaptionControl>(Rect(40, 660, 300, 700), kMode,
                                                    body.WithVAlign(VAlign::Middle), colours::kLightGrey));
    ui.AddControl(std::make_unique<CaptionControl>(Rect(320, 660, 560, 700), kGain,
                                                    body.WithVAlign(VAlign::Middle), colours::kGrey200));
    ui.AddControl(std::make_unique<UrlControl>(Rect(40, 720, 560, 760), "www.example.org",
                                                "https://example.org", body.WithColour(colours::kBlue)));
    ui.AddControl(std::make_unique<TextControl>(
        Rect(40, 780, 560, 820), "Connecting to the device...",
        body.WithSize(22).WithColour(colours::kWhite).WithVAlign(VAlign::Middle), colours::kDarkGrey));

    // The graphs, as the main page places them.
    auto* freq = ui.AddControl(std::make_unique<FreqResponseGraph>(Rect(1200, 685, 1872, 1135), kPink),
                               kNoTag, "irdisplay");
    freq->SetRange(20, 20480, 100, 30);
    const auto ir = SyntheticIr();
    freq->SetImpulseResponse(ir.data());
    auto* dyn = ui.AddControl(std::make_unique<DynamicsResponseGraph>(Rect(1200, 100, 1865, 530), kPink));
    dyn->SetLowerKnee(-60);
    dyn->SetLowerSlope(0.3);
    dyn->SetUpperKnee(-30);
    dyn->SetUpperRatio(4);
    ui.AddControl(std::make_unique<InvisibleSelectControl>(Rect(1180, 650, 1880, 1160), kPosition));

    // Heavier pages: rows of small knobs with captions.
    for (int row = 0; row < repeatRows; ++row) {
        for (int i = 0; i < 12; ++i) {
            const float x = 40.f + i * 90.f, y = 860.f + (row % 4) * 80.f;
            ui.AddControl(
                  std::make_unique<BitmapKnobRotaterControl>(Rect(x + 40, y + 30, x + 40, y + 30), knob, kGain))
                ->SetValue((i + row) % 10 / 9.0);
            ui.AddControl(std::make_unique<TextControl>(Rect(x, y + 55, x + 80, y + 75),
                                                         "P" + std::to_string(i), label.WithSize(18)));
        }
    }
    return ui.NControls();
}

} // namespace tolvane::test
