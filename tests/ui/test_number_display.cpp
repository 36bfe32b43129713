// The pedal's seven-segment number display: a lit segment stands out from an
// unlit one, so that "127" cannot be read as "128" nor "07" as "00".

#include "Luminance.h"
#include "PagesFixture.h"
#include "device/LinkTags.h"
#include "device/ParamTable.h"
#include "ui/PageTags.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace tolvane::testing {
namespace {

class NumberDisplay : public PagesTest {
protected:
    // The display's area as drawn, with or without the lit digits and the
    // unlit segments.
    QImage Render(bool lit, bool unlit) {
        Control* number = graphics->ControlByTag(ui::kTagNumberDisplay);
        Control* ghost = graphics->ControlByTag(ui::kTagNumberGhost);
        const bool numberHidden = number->IsHidden(), ghostHidden = ghost->IsHidden();
        number->SetHidden(!lit || numberHidden);
        ghost->SetHidden(!unlit || ghostHidden);
        const QImage image = graphics->RenderToImage();
        number->SetHidden(numberHidden);
        ghost->SetHidden(ghostHidden);
        const Rect r = number->GetRect();
        const float s = static_cast<float>(image.width()) / 1920.f;
        return image.copy(QRect(static_cast<int>(r.L * s), static_cast<int>(r.T * s),
                                static_cast<int>(r.W() * s), static_cast<int>(r.H() * s)));
    }

    // The contrast between a lit segment and an unlit one as they are drawn:
    // the brightest pixel the lit digits add, against the brightest pixel of
    // the unlit segments where no digit is lit.
    double LitAgainstUnlit() {
        const QImage all = Render(true, true), unlitOnly = Render(false, true), bare = Render(false, false);
        double lit = 0.0, unlit = 0.0;
        for (int y = 0; y < all.height(); ++y)
            for (int x = 0; x < all.width(); ++x) {
                const QRgb a = all.pixel(x, y), u = unlitOnly.pixel(x, y), b = bare.pixel(x, y);
                if (a != u)
                    lit = std::max(lit, Luminance(a));
                else if (u != b)
                    unlit = std::max(unlit, Luminance(u));
            }
        return Contrast(lit, unlit);
    }
};

TEST_F(NumberDisplay, LitSegmentsStandOutFromUnlitOnes) {
    Connect();
    graphics->SetCanvasScale(1920, 1200, 1.f);
    struct Case {
        const char* state;
        std::function<void()> set;
    };
    const Case cases[] = {
        {"stored preset", [] {}},
        {"edited preset", [&] { plugin->ParamChangeFromControl(kParamDrive, 0.9); }},
        {"edited preset, pedal disabled", [&] { graphics->DisableGroup(link::kGroupPedal); }},
        {"stored preset, pedal disabled",
         [&] {
             auto* number = dynamic_cast<TextControl*>(graphics->ControlByTag(ui::kTagNumberDisplay));
             number->SetTextColour(link::kColourDisplay);
         }},
    };
    for (const Case& c : cases) {
        c.set();
        Frame();
        const double ratio = LitAgainstUnlit();
        EXPECT_GE(ratio, 4.5) << c.state;
        const std::string shot =
            std::string(TOLVANE_TEST_OUTPUT_DIR) + "/number-display-" + std::to_string(&c - cases) + ".png";
        Render(true, true).save(QString::fromStdString(shot));
    }
}

} // namespace
} // namespace tolvane::testing
