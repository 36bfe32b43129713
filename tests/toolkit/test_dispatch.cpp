// Which control a mouse event reaches, groups, tags, and how disabled
// controls are drawn.

#include "Fixtures.h"

#include "toolkit/BitmapControls.h"
#include "toolkit/OverlayControls.h"
#include "toolkit/TextControls.h"

#include <QImage>

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

// Counts the presses it receives.
class Probe : public Control {
public:
    explicit Probe(const Rect& r) : Control(r) {}
    void Draw(QPainter&) override {}
    void OnMouseDown(float, float, const MouseModifiers&) override { ++presses; }
    int presses = 0;
};

struct Dispatch : UiTest {
    Probe* below = ui->AddControl(std::make_unique<Probe>(Rect(100, 100, 200, 200)), 1, "lower");
    Probe* above = ui->AddControl(std::make_unique<Probe>(Rect(150, 150, 250, 250)), 2, "upper");
};

TEST_F(Dispatch, LaterControlIsHitFirstWhereTheyOverlap) {
    Click(*ui, 175, 175);
    EXPECT_EQ(above->presses, 1);
    EXPECT_EQ(below->presses, 0);
    Click(*ui, 120, 120);
    EXPECT_EQ(below->presses, 1);
}

TEST_F(Dispatch, HiddenIgnoringOrDisabledControlLetsTheClickThroughToTheOneBelow) {
    const std::vector<std::function<void(Control&)>> makeTransparent = {
        [](Control& c) { c.SetHidden(true); },
        [](Control& c) { c.SetIgnoreMouse(true); },
        [](Control& c) { c.SetDisabled(true); },
    };
    for (std::size_t i = 0; i < makeTransparent.size(); ++i) {
        above->SetHidden(false);
        above->SetIgnoreMouse(false);
        above->SetDisabled(false);
        makeTransparent[i](*above);
        below->presses = above->presses = 0;
        Click(*ui, 175, 175);
        EXPECT_EQ(above->presses, 0) << "case " << i;
        EXPECT_EQ(below->presses, 1) << "case " << i;
    }
}

TEST_F(Dispatch, DisabledControlAloneTakesNoClick) {
    below->SetDisabled(true);
    Click(*ui, 120, 120);
    EXPECT_EQ(below->presses, 0);
    EXPECT_EQ(ui->ControlAt(120, 120), nullptr);
}

TEST_F(Dispatch, GroupOperationsActOnExactNameOnly) {
    ui->HideGroup("upper");
    EXPECT_TRUE(above->IsHidden());
    EXPECT_FALSE(below->IsHidden());
    ui->ShowGroup("upper");
    EXPECT_FALSE(above->IsHidden());
    ui->DisableGroup("lower");
    EXPECT_TRUE(below->IsDisabled());
    ui->EnableGroup("lower");
    EXPECT_FALSE(below->IsDisabled());

    // Unknown or differently-cased names touch nothing.
    for (const char* name : {"nosuchcontrols", "Upper", "UPPER"}) {
        int visited = 0;
        ui->ForEachInGroup(name, [&](Control&) { ++visited; });
        ui->HideGroup(name);
        ui->DisableGroup(name);
        EXPECT_EQ(visited, 0) << name;
    }
    EXPECT_FALSE(above->IsHidden());
    EXPECT_FALSE(below->IsDisabled());
}

TEST_F(Dispatch, ControlByTagFindsTheTaggedControlOnly) {
    EXPECT_EQ(ui->ControlByTag(1), below);
    EXPECT_EQ(ui->ControlByTag(2), above);
    EXPECT_EQ(ui->ControlByTag(99), nullptr);
    EXPECT_EQ(ui->ControlByTag(kNoTag), nullptr);
    EXPECT_EQ(ui->NControls(), 2);
}

TEST(Drawing, DisabledControlIsDrawnAtAQuarterOpacity) {
    UiFixture f;
    const Bitmap white = f.ui->LoadBitmap("solid.png");
    ASSERT_TRUE(white.IsValid());
    auto* enabled = f.ui->AddControl(std::make_unique<BitmapControl>(0, 0, white));
    auto* disabled = f.ui->AddControl(std::make_unique<BitmapControl>(100, 0, white));
    disabled->SetDisabled(true);
    const QImage image = f.ui->RenderToImage();
    // White over the black canvas.
    EXPECT_EQ(qRed(image.pixel(25, 25)), 255);
    EXPECT_NEAR(qRed(image.pixel(125, 25)), 64, 2);
    (void)enabled;
}

TEST(Drawing, HiddenControlIsNotDrawn) {
    UiFixture f;
    auto* panel = f.ui->AddControl(std::make_unique<PanelControl>(Rect(0, 0, 50, 50), colours::kWhite));
    panel->SetHidden(true);
    EXPECT_EQ(qRed(f.ui->RenderToImage().pixel(25, 25)), 0);
}

} // namespace
} // namespace tolvane::test

namespace tolvane::test {
namespace {

TEST(ResizeHandle, SitsAboveTheControlsAndDraggingItRescalesTheCanvas) {
    UiFixture f;
    auto* under = f.ui->AddControl(std::make_unique<Probe>(Rect(1800, 1100, 1920, 1200)));
    f.ui->AttachCornerResizer(20.f, colours::kFaintBlack, colours::kBlack, colours::kBlack);
    std::vector<float> announced;
    QObject::connect(f.ui.get(), &Canvas::ScaleChanged, [&](float s) { announced.push_back(s); });

    Press(*f.ui, 1910, 1190);
    EXPECT_EQ(under->presses, 0);
    // To window pixel (1440, 900): three quarters of the canvas.
    DragTo(*f.ui, 1440, 900);
    EXPECT_FLOAT_EQ(f.ui->GetDrawScale(), 0.75f);
    EXPECT_EQ(f.ui->size(), QSize(1440, 900));
    // The wider of the two proportions wins, and the scale has a floor.
    DragTo(*f.ui, 1280, 100); // window pixel (960, 75)
    EXPECT_FLOAT_EQ(f.ui->GetDrawScale(), 0.5f);
    DragTo(*f.ui, 10, 10);
    EXPECT_FLOAT_EQ(f.ui->GetDrawScale(), CornerResizerControl::kMinScale);
    Release(*f.ui, 10, 10);
    EXPECT_EQ(announced.size(), 3u);
    // The handle followed the corner.
    EXPECT_EQ(f.ui->GetCornerResizer()->GetRect(), Rect(1900, 1180, 1920, 1200));

    // A window on a small screen: the handle stops where the screen ends.
    f.ui->SetLargestScale(0.6f);
    Press(*f.ui, 1910, 1190);
    DragTo(*f.ui, 1910, 1190 * 3);
    EXPECT_FLOAT_EQ(f.ui->GetDrawScale(), 0.6f);
    Release(*f.ui, 1910, 1190 * 3);
}

} // namespace
} // namespace tolvane::test
