// The editor seam and the delegate's control path over a drawing context.

#include "Fixtures.h"

#include "toolkit/CanvasEditorControls.h"
#include "toolkit/CanvasEditorSeam.h"
#include "toolkit/TextControls.h"
#include "toolkit/VectorControls.h"

#include "core/ThreadCheck.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace tolvane::test {
namespace {

struct Seam : UiTest {
    TextControl* status =
        ui->AddControl(std::make_unique<TextControl>(Rect(660, 27, 1060, 51)), 138, "devicecontrols");
    VectorKnobControl* knob =
        ui->AddControl(std::make_unique<VectorKnobControl>(Rect(0, 0, 100, 100), kGain), 20, "drivecontrols");
    VectorKnobControl* twin = ui->AddControl(std::make_unique<VectorKnobControl>(Rect(100, 0, 200, 100), kGain));
    CanvasEditorSeam seam{platform};
    CanvasEditorControls controls;
    Seam() {
        seam.Attach(ui.get());
        controls.Attach(ui.get());
    }
};

TEST_F(Seam, TextsColoursAndValuesReachTheControlByTag) {
    seam.SetTextByTag(138, "Connecting to the device...");
    EXPECT_EQ(status->GetStr(), "Connecting to the device...");
    seam.SetTextColourByTag(138, colours::kGreen);
    EXPECT_EQ(status->GetStyle().colour, colours::kGreen);
    // A tag on a control that shows no text, and an unknown tag, are ignored.
    seam.SetTextByTag(20, "x");
    seam.SetTextByTag(999, "x");
    seam.SetControlValueByTag(999, 0.3);

    seam.SetControlValueByTag(20, 0.3);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.3);
    EXPECT_TRUE(delegate.changes.empty()); // taken without notifying
}

TEST_F(Seam, GroupsSwitchThroughTheSeam) {
    seam.HideGroup("drivecontrols");
    EXPECT_TRUE(knob->IsHidden());
    seam.ShowGroup("drivecontrols");
    EXPECT_FALSE(knob->IsHidden());
    seam.DisableGroup("devicecontrols");
    EXPECT_TRUE(status->IsDisabled());
    seam.EnableGroup("devicecontrols");
    EXPECT_FALSE(status->IsDisabled());
}

TEST_F(Seam, QuestionsAreAnsweredThroughThePlatformBeforeTheCallReturns) {
    platform.answer = AskResult::Cancel;
    EXPECT_EQ(seam.AskUser("Overwrite?", "Tolvane", AskButtons::OkCancel), AskResult::Cancel);
    AskResult delivered = AskResult::Ok;
    ui->AskUser("Sure?", "Tolvane", AskButtons::OkCancel, [&](AskResult r) { delivered = r; });
    EXPECT_EQ(delivered, AskResult::Cancel);
    EXPECT_EQ(seam.AskForFile(FileAction::Open, "wav", "", ""), "/tmp/chosen.wav");
    EXPECT_EQ(platform.asked, (std::vector<std::string>{"Overwrite?", "Sure?", "file:wav"}));
}

TEST_F(Seam, DetachedEditorIsClosedAndIgnoresControlCalls) {
    EXPECT_TRUE(seam.IsEditorOpen());
    EXPECT_TRUE(controls.IsEditorOpen());
    seam.Detach();
    controls.Detach();
    EXPECT_FALSE(seam.IsEditorOpen());
    EXPECT_FALSE(controls.IsEditorOpen());
    seam.SetTextByTag(138, "late");
    seam.HideGroup("drivecontrols");
    controls.SetParamNormalisedFromDelegate(kGain, 0.9);
    EXPECT_EQ(status->GetStr(), "");
    EXPECT_FALSE(knob->IsHidden());
    EXPECT_EQ(knob->GetValue(), 0.0);
    // Questions still reach the user.
    EXPECT_EQ(seam.AskUser("Still there?", "Tolvane", AskButtons::Ok), AskResult::Ok);
}

TEST_F(Seam, ParameterValueReachesEveryControlBoundToIt) {
    controls.SetParamNormalisedFromDelegate(kGain, 0.7);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.7);
    EXPECT_DOUBLE_EQ(twin->GetValue(), 0.7);
    controls.SetParamNormalisedFromDelegate(kMode, 0.2);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.7);
    EXPECT_TRUE(delegate.changes.empty());
}

// Screen work from another thread stops the program at once with a message
// naming the call, in the builds that check (the tests' build does).
TEST_F(Seam, ScreenWorkFromAnotherThreadAborts) {
    if (!ThreadChecksOn()) GTEST_SKIP() << "built without TOLVANE_THREAD_CHECKS";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char* what;
        std::function<void()> call;
    };
    const Case cases[] = {
        {"Canvas::HideGroup", [this] { ui->HideGroup("drivecontrols"); }},
        {"Canvas::Invalidate", [this] { knob->SetHidden(!knob->IsHidden()); }},
        {"Canvas::SetParamNormalisedFromDelegate", [this] { controls.SetParamNormalisedFromDelegate(kGain, 0.5); }},
        {"Canvas::AskUser", [this] { ui->AskUser("ERROR!", "", AskButtons::Ok); }},
        {"CanvasEditorSeam::SetTextByTag", [this] { seam.SetTextByTag(138, "x"); }},
        {"CanvasEditorSeam::ShowGroup", [this] { seam.ShowGroup("progresscontrols"); }},
    };
    for (const Case& c : cases) {
        EXPECT_DEATH(
            {
                std::thread other(c.call);
                other.join();
            },
            std::string(c.what) + " called off the user-interface thread")
            << c.what;
        c.call(); // the same call on this thread is allowed
    }
}

} // namespace
} // namespace tolvane::test
