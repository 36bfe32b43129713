// No control that takes input lies over another on any page: a click, drag
// or wheel turn always reaches the control drawn where the pointer is.

#include "PagesFixture.h"
#include "device/ParamTable.h"
#include "ui/PageTags.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

namespace tolvane::testing {
namespace {

constexpr Rect kWholeCanvas{0, 0, 1920, 1200};

// Shown, enabled, hit by the mouse and with something to do: a parameter or
// an action. A backdrop over the whole canvas is there to take every click
// that misses the overlay's controls, so it is no overlap.
bool TakesInput(const Control& c) {
    if (c.IsHidden() || c.IsDisabled() || c.GetIgnoreMouse()) return false;
    const Rect r = c.GetRect();
    if (r.L <= kWholeCanvas.L && r.T <= kWholeCanvas.T && r.R >= kWholeCanvas.R && r.B >= kWholeCanvas.B)
        return false;
    bool bound = false;
    for (int v = 0; v < c.NVals(); ++v)
        bound = bound || c.GetParamIdx(v) != kNoParam;
    return bound || c.GetOnAction() || c.GetOnActionDone();
}

std::string Describe(const Control& c) {
    const Rect r = c.GetRect();
    char text[96];
    std::snprintf(text, sizeof text, " [%g %g %g %g] param %d", r.L, r.T, r.R, r.B, c.GetParamIdx());
    return std::string(typeid(c).name()) + text + " group \"" + c.GetGroup() + "\"";
}

bool CatchesMouse(const Control& c) {
    return !c.IsHidden() && !c.IsDisabled() && !c.GetIgnoreMouse();
}

class Overlaps : public PagesTest {
protected:
    // Every pair of input-taking controls on show where one is drawn over
    // the other with nothing between them that takes the mouse (a picture or
    // a panel hides what lies beneath it): there the lower one can be seen
    // but not reached. The shared area is probed every few units.
    std::string OverlapsOn(const std::string& view) {
        std::vector<Control*> z; // bottom to top
        graphics->ForEachControl([&](Control& c) { z.push_back(&c); });
        auto reachableBoth = [&](std::size_t lo, std::size_t hi, float x, float y) {
            if (!z[lo]->IsHit(x, y) || !z[hi]->IsHit(x, y)) return false;
            for (std::size_t k = lo + 1; k < hi; ++k)
                if (CatchesMouse(*z[k]) && z[k]->IsHit(x, y)) return false;
            return true;
        };
        std::string found;
        for (std::size_t i = 0; i < z.size(); ++i) {
            if (!TakesInput(*z[i])) continue;
            for (std::size_t j = i + 1; j < z.size(); ++j) {
                if (!TakesInput(*z[j])) continue;
                const Rect a = z[i]->GetRect(), b = z[j]->GetRect();
                if (!a.Intersects(b)) continue;
                const Rect shared{std::max(a.L, b.L), std::max(a.T, b.T), std::min(a.R, b.R),
                                  std::min(a.B, b.B)};
                bool overlap = false;
                for (float y = shared.T + 0.25f; y < shared.B && !overlap; y += 4.f)
                    for (float x = shared.L + 0.25f; x < shared.R && !overlap; x += 4.f)
                        overlap = reachableBoth(i, j, x, y);
                if (overlap) found += view + ": " + Describe(*z[i]) + "  under  " + Describe(*z[j]) + "\n";
            }
        }
        return found;
    }
};

void UserSets(Tolvane& plugin, int index, double plain) {
    plugin.ParamChangeFromControl(index, plugin.GetParam(index)->NormalFromValue(plain));
}

TEST_F(Overlaps, NoInputControlLiesOverAnotherOnAnyPage) {
    Connect();
    struct View {
        const char* name;
        std::function<void()> show;
        std::function<void()> close = [] {};
    };
    auto section = [&](int page) { return [this, page] { pages->ShowSectionPage(page); }; };
    auto dynamics = [&](double value) {
        return [this, value] {
            UserSets(*plugin, kParamDynamics, value);
            pages->ShowSectionPage(ui::kPageDynamics);
        };
    };
    const View views[] = {
        {"main", section(ui::kPageNone)},
        {"gate", section(ui::kPageGate)},
        {"ambience", section(ui::kPageAmbience)},
        {"ir", section(ui::kPageIr)},
        {"analog sim", section(ui::kPageAnalogSim)},
        {"low", section(ui::kPageLowFilter)},
        {"mid", section(ui::kPageMidFilter)},
        {"high", section(ui::kPageHighFilter)},
        {"drive", section(ui::kPageDrive)},
        {"pre-amp", section(ui::kPagePreamp)},
        {"level", section(ui::kPageLevel)},
        {"auto filter", section(ui::kPageAutoFilter)},
        {"buzz", section(ui::kPageBuzzFilter)},
        {"punch", section(ui::kPagePunchFilter)},
        {"crunch", section(ui::kPageCrunchFilter)},
        {"compressor", dynamics(100)},
        {"expander", dynamics(20)},
        {"custom IR picker",
         [&] {
             pages->ShowSectionPage(ui::kPageIr);
             graphics->ShowGroup(ui::kGroupCustomIr);
         },
         [&] { pages->CloseCustomIrPicker(); }},
        {"global settings", [&] { plugin->HandleMenuCommand(MenuCommand::GlobalSettings); }},
        {"knob CC", [&] { plugin->OpenKnobCcPage(); }, [&] { plugin->LeaveKnobCcPage(); }},
        {"program map", [&] { plugin->OpenProgramMapPage(); }, [&] { plugin->LeaveProgramMapPage(); }},
        {"jacks", [&] { plugin->OpenJacksPage(); },
         [&] {
             plugin->LeaveJacksPage();
             plugin->CloseGlobalSettings();
         }},
        {"firmware", [&] { plugin->HandleMenuCommand(MenuCommand::FirmwareUpdate); }},
    };
    std::string found;
    for (const View& v : views) {
        v.show();
        Frame();
        found += OverlapsOn(v.name);
        v.close();
        Frame();
    }
    EXPECT_TRUE(found.empty()) << found;
}

// The pre-amp page's knob, turned and dragged where it is drawn, changes its
// own parameter and leaves the page where it is.
TEST_F(Overlaps, ParallelCleanKnobTakesItsWheelAndDrag) {
    Connect();
    pages->ShowSectionPage(ui::kPagePreamp);
    Frame();
    const Rect r = graphics->ControlByTag(ui::kTagCleanValue)->GetRect();
    const double before = plugin->GetParam(kParamCleanInputLevel)->Value();
    test::Wheel(*graphics, r.MW(), r.MH(), -120);
    Frame();
    const double turned = plugin->GetParam(kParamCleanInputLevel)->Value();
    EXPECT_LT(turned, before);
    test::Press(*graphics, r.MW(), r.MH());
    test::DragTo(*graphics, r.MW(), r.MH() + 60);
    test::Release(*graphics, r.MW(), r.MH() + 60);
    Frame();
    EXPECT_LT(plugin->GetParam(kParamCleanInputLevel)->Value(), turned);
    EXPECT_EQ(pages->CurrentPage(), ui::kPagePreamp);
}

} // namespace
} // namespace tolvane::testing
