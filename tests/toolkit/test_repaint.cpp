// Repaints follow dirty controls only, and nothing runs while nothing changes.

#include "Fixtures.h"

#include "toolkit/TextControls.h"
#include "toolkit/VectorControls.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPainter>

#include <functional>
#include <utility>
#include <vector>

namespace tolvane::test {
namespace {

struct Repaint : UiTest {
    TextControl* text = ui->AddControl(std::make_unique<TextControl>(Rect(100, 100, 300, 140), "a"), 5);
    VectorButtonControl* button =
        ui->AddControl(std::make_unique<VectorButtonControl>(Rect(400, 100, 500, 140), "B"));
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

// A change after a quiet spell is drawn at the next turn of the event loop
// rather than a frame later; changes that follow wait for the next frame.
TEST_F(Repaint, FirstChangeAfterAQuietSpellIsDrawnAtOnce) {
    now += 100; // no frame for a while
    text->SetStr("b");
    QCoreApplication::processEvents();
    EXPECT_TRUE(ui->PendingRepaint().isEmpty());
    text->SetStr("c");
    QCoreApplication::processEvents();
    EXPECT_FALSE(ui->PendingRepaint().isEmpty());
    EXPECT_TRUE(ui->FrameTimerActive());
}

// A text taller and wider than its rect is drawn whole, and a change repaints
// wherever the old text reached, so none of it is left behind.
TEST_F(Repaint, TextReachingPastItsRectIsDrawnWholeAndClearedWhole) {
    ui->SetCanvasScale(1920, 1200, 1.f);
    TextStyle big;
    big.size = 30;
    big.colour = colours::kWhite;
    big.align = HAlign::Near;
    big.valign = VAlign::Top;
    auto* tall = ui->AddControl(std::make_unique<TextControl>(Rect(100, 300, 200, 320), "", big));
    ui->OnFrame();
    const QImage blank = ui->RenderToImage();

    tall->SetStr("A line far wider than its box");
    const QRect drawn = ui->PendingRepaint().boundingRect();
    EXPECT_GT(drawn.bottom(), 325);
    EXPECT_GT(drawn.right(), 300);
    const QImage shown = ui->RenderToImage();
    bool belowRect = false, rightOfRect = false;
    for (int y = 300; y < 340; ++y)
        for (int x = 100; x < 500; ++x)
            if (shown.pixel(x, y) != blank.pixel(x, y)) {
                belowRect = belowRect || y > 321;
                rightOfRect = rightOfRect || x > 201;
            }
    EXPECT_TRUE(belowRect);
    EXPECT_TRUE(rightOfRect);

    ui->OnFrame();
    tall->SetStr("x");
    EXPECT_TRUE(ui->PendingRepaint().boundingRect().contains(drawn));
}

// The box a text covers is kept between repaints; it must follow every change
// of what decides it: the text, the style's size and alignment, the rect.
TEST_F(Repaint, TextBoxFollowsTextStyleAndRect) {
    TextStyle style;
    style.size = 30;
    style.align = HAlign::Near;
    style.valign = VAlign::Top;
    auto* shown = ui->AddControl(std::make_unique<TextControl>(Rect(100, 300, 200, 320), "ab", style));
    const auto measuredAfresh = [&] {
        auto* fresh = ui->AddControl(
            std::make_unique<TextControl>(shown->GetRect(), shown->GetStr(), shown->GetStyle()));
        fresh->SetHidden(true);
        return fresh->DrawBounds();
    };
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"longer text", [&] { shown->SetStr("A line far wider than its box"); }},
        {"larger size", [&] { shown->SetStyle(shown->GetStyle().WithSize(44)); }},
        {"right aligned", [&] { shown->SetStyle(shown->GetStyle().WithAlign(HAlign::Far)); }},
        {"bottom aligned", [&] { shown->SetStyle(shown->GetStyle().WithVAlign(VAlign::Bottom)); }},
        {"moved", [&] { shown->SetPosition(500, 600); }},
        {"shorter text", [&] { shown->SetStr("x"); }},
    };
    Rect before = shown->DrawBounds();
    for (const auto& [name, change] : changes) {
        change();
        const Rect after = shown->DrawBounds();
        EXPECT_EQ(after, measuredAfresh()) << name;
        EXPECT_NE(after, before) << name;
        before = after;
    }
}

// An eliding text stays inside its rect: a long one ends in "…", a short one
// padded with spaces is shown as it is.
TEST_F(Repaint, ElidedTextStaysInsideItsRect) {
    ui->SetCanvasScale(1920, 1200, 1.f);
    TextStyle style;
    style.size = 30;
    style.colour = colours::kWhite;
    style.align = HAlign::Near;
    auto* row = ui->AddControl(std::make_unique<TextControl>(Rect(100, 300, 260, 340), "", style));
    row->SetElide(true);
    ui->OnFrame();
    const QImage blank = ui->RenderToImage();
    row->SetStr(" 07 Short          ");
    EXPECT_EQ(row->ShownText(), " 07 Short");
    row->SetStr(" 07 A preset name far longer than the row");
    const std::string shown = row->ShownText();
    EXPECT_EQ(shown.substr(shown.size() - 3), "\u2026");
    ui->OnFrame();
    const QImage image = ui->RenderToImage();
    bool pastRect = false;
    for (int y = 295; y < 345; ++y)
        for (int x = 262; x < 700; ++x)
            pastRect = pastRect || image.pixel(x, y) != blank.pixel(x, y);
    EXPECT_FALSE(pastRect);
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

// The window draws the cached layer, then the live controls; the picture
// must be the one drawing every control in order gives, whatever changed.
struct Layer : UiTest {
    PanelControl* floor = ui->AddControl(std::make_unique<PanelControl>(Rect(0, 0, 800, 400), Colour{255, 40, 40, 90}));
    TextControl* caption = ui->AddControl(std::make_unique<TextControl>(Rect(20, 20, 300, 60), "CAPTION", Style()));
    VectorKnobControl* knob = ui->AddControl(std::make_unique<VectorKnobControl>(Rect(100, 100, 220, 220), kGain));
    TextControl* readout = ui->AddControl(std::make_unique<TextControl>(Rect(20, 240, 300, 280), "0.0", Style()));
    // Added after the knob and over it: only drawn live keeps it above the knob.
    PanelControl* veil = ui->AddControl(std::make_unique<PanelControl>(Rect(180, 180, 260, 260), Colour{120, 0, 200, 0}));
    // Static, later than the read-out, where a longer read-out reaches.
    PanelControl* beside = ui->AddControl(std::make_unique<PanelControl>(Rect(400, 240, 600, 280), Colour{255, 0, 0, 200}));

    static TextStyle Style() {
        TextStyle s;
        s.size = 30;
        s.colour = colours::kWhite;
        s.align = HAlign::Near;
        return s;
    }
    QImage EveryControlInOrder() {
        const float scale = ui->GetDrawScale();
        QImage image(int(1920 * scale), int(1200 * scale), QImage::Format_ARGB32_Premultiplied);
        QPainter p(&image);
        p.scale(scale, scale);
        ui->PaintCanvas(p, Rect(0, 0, 1920, 1200));
        return image;
    }
};

TEST_F(Layer, DrawsWhatDrawingEveryControlInOrderDraws) {
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"first paint", [] {}},
        {"knob turned", [this] { knob->SetValueFromDelegate(0.8); }},
        {"caption changed once", [this] { caption->SetStr("OTHER CAPTION"); }},
        {"caption hidden", [this] { caption->SetHidden(true); }},
        {"caption shown", [this] { caption->SetHidden(false); }},
        {"floor disabled", [this] { floor->SetDisabled(true); }},
        {"read-out follows the knob", [this] {
             readout->SetStr("0.5");
             readout->SetStr("0.55");
         }},
        {"read-out reaches the panel beside it", [this] { readout->SetStr("0.555555555555555555555555"); }},
    };
    for (float scale : {1.f, 0.5f}) {
        ui->SetCanvasScale(1920, 1200, scale);
        for (const auto& [what, change] : changes) {
            change();
            ui->OnFrame();
            EXPECT_EQ(ui->RenderToImage(), EveryControlInOrder()) << what << " at " << scale;
        }
    }
}

TEST_F(Layer, HoldsOnlyWhatStaysStillAndNothingThatCoversALiveControl) {
    ui->RenderToImage();
    const int still = ui->LayerControlCount();
    // The panels and texts below the knob; not the knob nor the veil over it.
    EXPECT_EQ(still, 4);
    // One change of looks redraws the layer; a second within the second makes it live.
    readout->SetStr("1");
    ui->RenderToImage();
    EXPECT_EQ(ui->LayerControlCount(), still);
    Advance(100);
    readout->SetStr("2");
    ui->RenderToImage();
    EXPECT_EQ(ui->LayerControlCount(), still - 1);
}

} // namespace
} // namespace tolvane::test
