#include "Luminance.h"
#include "PagesFixture.h"
#include "core/EditorDelegate.h"
#include "device/LinkTags.h"
#include "device/ParamTable.h"
#include "ui/PageTags.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace tolvane::testing {
namespace {

// The contrast of one text as drawn: the page rendered with and without it;
// where the two differ are its glyphs. The background is what lies under the
// glyphs without the text; the text colour is the glyph pixel that stands out
// most from it (a fully covered pixel).
double DrawnContrast(Canvas& g, TextControl& text) {
    const QImage with = g.RenderToImage();
    text.SetHidden(true);
    const QImage without = g.RenderToImage();
    text.SetHidden(false);
    double backgroundSum = 0.0, ink = -1.0;
    long glyphPixels = 0;
    double best = 0.0;
    for (int y = 0; y < with.height(); ++y) {
        const QRgb* a = reinterpret_cast<const QRgb*>(with.constScanLine(y));
        const QRgb* b = reinterpret_cast<const QRgb*>(without.constScanLine(y));
        for (int x = 0; x < with.width(); ++x) {
            if (a[x] == b[x]) continue;
            const double la = Luminance(a[x]), lb = Luminance(b[x]);
            backgroundSum += lb;
            ++glyphPixels;
            const double c = Contrast(la, lb);
            if (c > best) {
                best = c;
                ink = la;
            }
        }
    }
    if (glyphPixels == 0) return -1.0; // nothing of it shows
    return Contrast(ink, backgroundSum / static_cast<double>(glyphPixels));
}

class Legibility : public PagesTest {
protected:
    // Every shown, enabled text with something to read on the current page,
    // of the groups given (all when none are).
    std::string LowContrastTexts(const std::string& where, const std::vector<std::string>& groups = {}) {
        std::string failures;
        graphics->ForEachControl([&](Control& c) {
            if (!groups.empty() && std::find(groups.begin(), groups.end(), c.GetGroup()) == groups.end())
                return;
            auto* text = dynamic_cast<TextControl*>(&c);
            if (!text || c.IsHidden() || c.IsDisabled()) return;
            std::string shown = text->GetStr();
            if (auto* caption = dynamic_cast<CaptionControl*>(text)) shown = caption->CaptionText();
            if (shown.find_first_not_of(' ') == std::string::npos) return;
            if (c.GetTag() == ui::kTagNumberGhost) return; // the unlit segments are the display's face
            const double ratio = DrawnContrast(*graphics, *text);
            if (ratio >= 0 && ratio < 4.5)
                failures += std::string(where) + ": \"" + shown + "\" " + std::to_string(ratio) + "\n";
        });
        return failures;
    }
};

TEST_F(Legibility, EveryTextOnEveryPageStandsOutFromWhatIsBehindIt) {
    Connect();
    graphics->SetCanvasScale(1920, 1200, 0.5f);
    // An edited preset's number stands out from the display's unlit segments.
    plugin->ParamChangeFromControl(kParamDrive, 0.9);
    Frame();
    auto* number = dynamic_cast<TextControl*>(graphics->ControlByTag(ui::kTagNumberDisplay));
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->GetStyle().colour, link::kColourDisplayModified);
    EXPECT_GE(DrawnContrast(*graphics, *number), 4.5);

    // The main page as it starts, then the texts of each section page and of
    // each overlay (what lies under an overlay is not meant to be read).
    std::string failures = LowContrastTexts("main page");
    const std::pair<int, std::vector<std::string>> sections[] = {
        {ui::kPageDrive, {ui::kGroupDrive}},
        {ui::kPageDynamics, {ui::kGroupDynamics, ui::kGroupComp}},
        {ui::kPageAmbience, {ui::kGroupAmbience}},
        {ui::kPagePunchFilter, {ui::kGroupPunch}},
        {ui::kPageAnalogSim, {ui::kGroupAnalogSim}},
        {ui::kPageLevel, {ui::kGroupLevel}},
        {ui::kPageGate, {ui::kGroupGate}},
        {ui::kPageAutoFilter, {ui::kGroupAutoFilter}},
    };
    for (const auto& [page, groups] : sections) {
        pages->ShowSectionPage(page);
        Frame();
        failures += LowContrastTexts("section page " + std::to_string(page), groups);
    }
    plugin->HandleMenuCommand(MenuCommand::GlobalSettings);
    Frame();
    failures += LowContrastTexts("global settings", {ui::kGroupGlobalSettings});
    plugin->CloseGlobalSettings();
    graphics->HideGroup(ui::kGroupGlobalSettings);
    for (const char* overlay : {ui::kGroupProgress, ui::kGroupFirmwareProgress}) {
        graphics->ShowGroup(overlay);
        failures += LowContrastTexts(overlay, {overlay});
        graphics->HideGroup(overlay);
    }
    EXPECT_TRUE(failures.empty()) << failures;
}

// Where a text's glyphs are drawn: the pixels that change when it is hidden.
QRect GlyphBox(Canvas& g, TextControl& text) {
    const QImage with = g.RenderToImage();
    text.SetHidden(true);
    const QImage without = g.RenderToImage();
    text.SetHidden(false);
    QRect box;
    for (int y = 0; y < with.height(); ++y)
        for (int x = 0; x < with.width(); ++x)
            if (with.pixel(x, y) != without.pixel(x, y)) box |= QRect(x, y, 1, 1);
    return box;
}

// A section knob's pointer stays on the rim of its face: under the read-out
// in the middle there is nothing but the face, whatever the value, for a
// short read-out and for the widest one ("-22.26").
TEST_F(Legibility, KnobPointerNeverCrossesItsReadout) {
    Connect();
    graphics->SetCanvasScale(1920, 1200, 1.f);
    struct Case {
        int page, param;
        const char* group;
        ControlTag readout;
    };
    const Case cases[] = {{ui::kPageLevel, kParamLevel, ui::kGroupLevel, ui::kTagLevelValue},
                          {ui::kPageDynamics, kParamDynamics, ui::kGroupDynamics, ui::kTagDynamicsValue}};
    for (const Case& c : cases) {
        pages->ShowSectionPage(c.page);
        Control* knob = nullptr;
        graphics->ForEachControl([&](Control& k) {
            if (k.GetParamIdx() == c.param && k.GetGroup() == c.group) knob = &k;
        });
        auto* readout = dynamic_cast<TextControl*>(graphics->ControlByTag(c.readout));
        ASSERT_TRUE(knob && readout) << c.param;
        for (double value : {0.0, 0.17, 0.25, 0.5, 0.67, 0.83, 1.0}) {
            knob->SetValue(value);
            knob->MarkDirty(true);
            Frame();
            const QRect box = GlyphBox(*graphics, *readout);
            ASSERT_FALSE(box.isEmpty());
            readout->SetHidden(true);
            const QImage under = graphics->RenderToImage().copy(box);
            readout->SetHidden(false);
            const QRgb face = under.pixel(0, 0);
            int other = 0;
            for (int y = 0; y < under.height(); ++y)
                for (int x = 0; x < under.width(); ++x)
                    other += under.pixel(x, y) != face;
            EXPECT_EQ(other, 0) << "parameter " << c.param << " at " << value << ": " << readout->GetStr();
        }
    }
}

} // namespace
} // namespace tolvane::testing
