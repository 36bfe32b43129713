// The page builder: what is on the canvas at start, where, and in which
// state; built once per window; and pictures of the main page at three
// draw scales for a person to look at.

#include "PagesFixture.h"

#include "toolkit/BitmapControls.h"
#include "toolkit/VectorControls.h"
#include "ui/DynamicsResponseGraph.h"

#include <QFontMetricsF>
#include <QImage>

#include <functional>

namespace tolvane::testing {
namespace {

TEST_F(PagesTest, BuildsOncePerWindow) {
    ASSERT_NE(pages, nullptr);
    const int n = graphics->NControls();
    EXPECT_GT(n, 250);
    EXPECT_EQ(ui::BuildEditorPages(*graphics, *plugin), nullptr);
    EXPECT_EQ(graphics->NControls(), n);
}

TEST_F(PagesTest, StartsOnTheImpulseResponseSectionWithThePedalDisabled) {
    EXPECT_TRUE(GroupShown("ircontrols"));
    EXPECT_TRUE(GroupShown("irdisplay"));
    for (const char* group : {"analogsimcontrols",
                              "gatecontrols",
                              "dynamicscontrols",
                              "compcontrols",
                              "expcontrols",
                              "levelcontrols",
                              "drivecontrols",
                              "preampcontrols",
                              "buzzfiltercontrols",
                              "punchfiltercontrols",
                              "crunchfiltercontrols",
                              "lowfiltercontrols",
                              "midfiltercontrols",
                              "highfiltercontrols",
                              "autofiltercontrols",
                              "ambiencecontrols",
                              "globalsettingscontrols",
                              "midicccontrols",
                              "midiprogramcontrols",
                              "customircontrols",
                              "fwbgcontrols",
                              "fwupdatecontrols",
                              "firmwarecontrols",
                              "aboutcontrols",
                              "progresscontrols",
                              "filterled"})
        EXPECT_TRUE(GroupHidden(group)) << group;
    graphics->ForEachInGroup("bcontrols", [](Control& c) { EXPECT_TRUE(c.IsDisabled()); });
    for (ControlTag tag : {25, 61, 26, 62})
        EXPECT_TRUE(graphics->ControlByTag(tag)->IsDisabled()) << tag;
    EXPECT_TRUE(Hidden(89));
    EXPECT_TRUE(Hidden(140));
    EXPECT_TRUE(pages->controls.dynamicsGraph->IsHidden());
    EXPECT_EQ(Text(138), "Connecting to the device...");
    EXPECT_EQ(Text(1), "00");
    EXPECT_EQ(Text(69), "BRIT 2x12");
    EXPECT_EQ(Text(70), "BOUTIQUE 4x12");
}

TEST_F(PagesTest, PlacesControlsWhereThePagesSay) {
    struct Placed {
        ControlTag tag;
        Rect rect;
    };
    const Placed cases[] = {
        {1, {1255, 315, 1383, 403}},   {54, {1460, 486, 1535, 571}}, {56, {869, 314, 907, 390}},
        {59, {1172, 260, 1188, 276}},  {60, {374, 717, 424, 1149}},  {134, {20, 120, 260, 144}},
        {137, {668, 8, 1056, 29}},     {1000, {1, 228, 261, 276}},   {1018, {1, 1128, 261, 1176}},
        {73, {354, 730, 517, 765.5f}}, {141, {0, 0, 1920, 1080}},
    };
    for (const auto& c : cases) {
        const Control* control = graphics->ControlByTag(c.tag);
        ASSERT_NE(control, nullptr) << c.tag;
        const Rect r = control->GetRect();
        EXPECT_NEAR(r.L, c.rect.L, 0.6f) << c.tag;
        EXPECT_NEAR(r.T, c.rect.T, 0.6f) << c.tag;
        EXPECT_NEAR(r.R, c.rect.R, 0.6f) << c.tag;
        EXPECT_NEAR(r.B, c.rect.B, 0.6f) << c.tag;
    }
    // A rotating knob is its bitmap's size centred on its point: DRIVE at (770, 189).
    graphics->EnableGroup("bcontrols");
    const Control* drive = graphics->ControlAt(770, 189);
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->GetParamIdx(), kParamDrive);
    EXPECT_FLOAT_EQ(drive->GetRect().MW(), 770.f);
    EXPECT_FLOAT_EQ(drive->GetRect().MH(), 189.f);
    EXPECT_FLOAT_EQ(drive->GetRect().W(), 102.f);
}

TEST_F(PagesTest, TheNumberDisplayHoldsThreeDigitsInsideItsBox) {
    // The ghost "188" and the number drawn over it share the box; the widest
    // text either shows must fit, or the tens digit loses its left segments
    // and "00" reads as "30".
    const auto* number = dynamic_cast<const TextControl*>(graphics->ControlByTag(1));
    ASSERT_NE(number, nullptr);
    const QFontMetricsF metrics(graphics->FontFor(number->GetStyle()));
    EXPECT_LE(metrics.horizontalAdvance("188"), number->GetRect().W());
    EXPECT_LE(metrics.horizontalAdvance("127"), number->GetRect().W());
    EXPECT_LE(metrics.ascent() + metrics.descent(), number->GetRect().H() + 0.5);
}

TEST_F(PagesTest, ListRowsStartWithTheirNumbersAndTheFirstNineteenFillTheList) {
    // No preset files: the rows show only their numbers, from 00 with patch offset 0.
    EXPECT_EQ(Text(1000), " 00 ");
    EXPECT_EQ(Text(1127), " 127 ");
    for (int i = 0; i < 19; ++i)
        EXPECT_FALSE(Hidden(1000 + i));
    EXPECT_EQ(pages->FirstVisiblePreset(), 0);
}

// Renders the whole canvas and writes it next to the test binary.
QImage RenderAt(Canvas& g, float scale, const char* name, float pixelRatio = 1.f) {
    g.SetCanvasScale(1920, 1200, scale);
    QImage image = g.RenderToImage(pixelRatio);
    image.save(QString(TOLVANE_TEST_OUTPUT_DIR) + "/" + name);
    return image;
}

TEST_F(PagesTest, MainPageRendersAtEachDrawScale) {
    Connect(); // the pedal enabled and the list named
    const std::pair<float, const char*> scales[] = {
        {0.5f, "main-page-0.5.png"}, {1.f, "main-page-1.png"}, {2.f, "main-page-2.png"}};
    for (const auto& [scale, name] : scales) {
        const QImage image = RenderAt(*graphics, scale, name);
        EXPECT_EQ(image.width(), static_cast<int>(1920 * scale)) << name;
        EXPECT_EQ(image.height(), static_cast<int>(1200 * scale)) << name;
    }
    // The drive page with its graph, for a look too.
    pages->ShowSectionPage(ui::kPageDrive);
    RenderAt(*graphics, 1.f, "drive-page-1.png");
    plugin->HandleMenuCommand(MenuCommand::GlobalSettings);
    RenderAt(*graphics, 0.5f, "settings-page-0.5.png");
    ClickButton(1300, 662); // JACKS
    Pump();
    Frame();
    RenderAt(*graphics, 0.5f, "jacks-page-0.5.png");
    RenderAt(*graphics, 1.f, "jacks-page-1.png");
    graphics->ShowGroup(ui::kGroupAbout);
    RenderAt(*graphics, 0.5f, "about-0.5.png");
}

// Every section page at both draw scales, written out for a look (and for
// comparing two builds picture by picture).
TEST_F(PagesTest, EverySectionPageRenders) {
    Connect();
    const int sectionPages[] = {ui::kPageGate,        ui::kPageAmbience,     ui::kPageIr,
                                ui::kPageAnalogSim,   ui::kPageLowFilter,    ui::kPageMidFilter,
                                ui::kPageHighFilter,  ui::kPageDrive,        ui::kPagePreamp,
                                ui::kPageLevel,       ui::kPageAutoFilter,   ui::kPageBuzzFilter,
                                ui::kPagePunchFilter, ui::kPageCrunchFilter, ui::kPageDynamics};
    for (int page : sectionPages) {
        pages->ShowSectionPage(page);
        Frame();
        for (float scale : {0.5f, 1.f}) {
            const std::string name = "section-" + std::to_string(page) + "-" + (scale < 1 ? "0.5" : "1") + ".png";
            const QImage image = RenderAt(*graphics, scale, name.c_str());
            EXPECT_FALSE(image.isNull()) << name;
        }
    }
}

// Every overlay page at both draw scales, for a look and for comparing two
// builds picture by picture (the section pages are above).
TEST_F(PagesTest, EveryOverlayPageRenders) {
    Connect();
    struct Overlay {
        const char* name;
        std::vector<const char*> groups;
    };
    const Overlay overlays[] = {
        {"settings", {ui::kGroupGlobalSettings}},
        {"knobcc", {ui::kGroupGlobalSettings, ui::kGroupKnobCc}},
        {"programmap", {ui::kGroupGlobalSettings, ui::kGroupProgramMap}},
        {"jacks", {ui::kGroupGlobalSettings, ui::kGroupJacks}},
        {"customir", {ui::kGroupCustomIr}},
        {"firmware", {ui::kGroupFirmwareBackground, ui::kGroupFirmwareUpdate}},
        {"firmwareprogress", {ui::kGroupFirmwareBackground, ui::kGroupFirmwareProgress}},
        {"about", {ui::kGroupAbout}},
        {"progress", {ui::kGroupProgress}},
    };
    for (const Overlay& overlay : overlays) {
        for (const char* group : overlay.groups)
            graphics->ShowGroup(group);
        for (float scale : {0.5f, 1.f}) {
            const std::string name = std::string("overlay-") + overlay.name + "-" + (scale < 1 ? "0.5" : "1") + ".png";
            EXPECT_FALSE(RenderAt(*graphics, scale, name.c_str()).isNull()) << name;
        }
        for (const char* group : overlay.groups)
            graphics->HideGroup(group);
    }
}

// Every page as a 1× and a 2× screen shows it at draw scale 0.5 (the
// window's default), for a look: on the 2× screen text, vectors and bitmaps
// must be as sharp as at draw scale 1 on a 1× screen.
TEST_F(PagesTest, EveryPageRendersForOneAndTwoTimesScreens) {
    Connect();
    struct Page {
        const char* name;
        std::function<void()> show;
    };
    const Page pages_[] = {
        {"main", [] {}},
        {"drive", [this] { pages->ShowSectionPage(ui::kPageDrive); }},
        {"ambience", [this] { pages->ShowSectionPage(ui::kPageAmbience); }},
        {"gate", [this] { pages->ShowSectionPage(ui::kPageGate); }},
        {"autofilter", [this] { pages->ShowSectionPage(ui::kPageAutoFilter); }},
        {"settings", [this] { plugin->HandleMenuCommand(MenuCommand::GlobalSettings); }},
        {"about", [this] {
             graphics->HideGroup(ui::kGroupGlobalSettings);
             pages->ShowAbout();
         }},
    };
    for (const Page& page : pages_) {
        page.show();
        for (float ratio : {1.f, 2.f}) {
            const std::string file = std::string("page-") + page.name + "-ratio-" + (ratio > 1.f ? "2" : "1") + ".png";
            const QImage image = RenderAt(*graphics, 0.5f, file.c_str(), ratio);
            EXPECT_EQ(image.width(), static_cast<int>(960 * ratio)) << file;
        }
    }
}

} // namespace
} // namespace tolvane::testing
