// Repaints follow dirty controls only, and nothing runs while nothing changes.

#include "Fixtures.h"

#include "toolkit/TextControls.h"
#include "toolkit/VectorControls.h"

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

struct Repaint : UiTest {
    ITextControl* text = ui->AddControl(std::make_unique<ITextControl>(Rect(100, 100, 300, 140), "a"), 5);
    IVButtonControl* button =
        ui->AddControl(std::make_unique<IVButtonControl>(Rect(400, 100, 500, 140), "B"));
    Repaint() { ui->OnFrame(); } // the first full paint
};

TEST_F(Repaint, IdleCanvasSchedulesNoFrames) {
    EXPECT_FALSE(ui->FrameTimerActive());
    EXPECT_TRUE(ui->PendingRepaint().isEmpty());
    // Pushing the value or text a control already shows changes nothing.
    text->SetStr("a");
    text->SetValueFromDelegate(text->GetValue());
    ui->HideGroup("nosuchcontrols");
    EXPECT_FALSE(ui->FrameTimerActive());
    EXPECT_TRUE(ui->PendingRepaint().isEmpty());
}

TEST_F(Repaint, ChangeRepaintsOnlyTheControlsArea) {
    for (float scale : {1.f, 0.5f}) {
        ui->SetCanvasScale(1920, 1200, scale);
        ui->OnFrame();
        text->SetStr(scale == 1.f ? "b" : "c");
        EXPECT_TRUE(ui->FrameTimerActive());
        const QRect area = ui->PendingRepaint().boundingRect();
        const QRect expected = QRectF(100 * scale, 100 * scale, 200 * scale, 40 * scale).toAlignedRect();
        EXPECT_TRUE(area.contains(expected)) << scale;
        EXPECT_LE(area.width(), expected.width() + 6) << scale;
        EXPECT_LE(area.height(), expected.height() + 6) << scale;
        ui->OnFrame();
        EXPECT_FALSE(ui->FrameTimerActive()) << scale;
    }
}

TEST_F(Repaint, AnimationKeepsFramesComingUntilItEnds) {
    Click(*ui, 450, 120);
    for (int frame = 0; frame < 5; ++frame) {
        Advance(16);
        EXPECT_TRUE(ui->FrameTimerActive()) << frame;
        EXPECT_FALSE(ui->PendingRepaint().isEmpty() && !ui->FrameTimerActive());
    }
    Advance(40); // 120 ms: the splash is over
    EXPECT_FALSE(button->IsAnimating());
    Advance(16);
    EXPECT_FALSE(ui->FrameTimerActive());
}

} // namespace
} // namespace tolvane::test
