// The test page rendered to PNG at draw scales 0.5, 1 and 2; the pictures are
// written next to the test program so a person can look at them.

#include "Fixtures.h"
#include "TestPage.h"

#include "toolkit/BitmapControls.h"

#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

namespace tolvane::test {
namespace {

QString OutputPath(const QString& name) {
    return QDir(TOLVANE_TEST_OUTPUT_DIR).filePath(name);
}

TEST(Render, TestPageAtEachScaleHasTheWindowSizeAndTheRightBitmaps) {
    UiFixture f;
    BuildTestPage(*f.ui);
    // A knob at a known spot, value 0.5: its body colour tells which file was drawn.
    auto* probe = f.ui->AddControl(std::make_unique<BitmapKnobRotaterControl>(
        Rect(1000, 600, 1000, 600), f.ui->LoadBitmap("knob.png"), kNoParam));
    probe->SetValue(0.5);
    struct Case {
        float scale;
        const char* file;
        QColor body; // Knob.png is red, Knob@2x.png blue
    };
    const Case cases[] = {{0.5f, "page-0.5.png", QColor(200, 60, 60)},
                          {1.f, "page-1.png", QColor(200, 60, 60)},
                          {2.f, "page-2.png", QColor(60, 60, 200)},
                          {1.f, "page-1-again.png", QColor(200, 60, 60)}};
    for (const Case& c : cases) {
        f.ui->SetCanvasScale(1920, 1200, c.scale);
        EXPECT_EQ(f.ui->size(), QSize(int(1920 * c.scale), int(1200 * c.scale)));
        const QImage image = f.ui->RenderToImage();
        EXPECT_EQ(image.size(), f.ui->size());
        ASSERT_TRUE(image.save(OutputPath(c.file))) << c.file;
        const QColor body = image.pixelColor(int(1008 * c.scale), int(600 * c.scale));
        EXPECT_NEAR(body.red(), c.body.red(), 8) << c.file;
        EXPECT_NEAR(body.blue(), c.body.blue(), 8) << c.file;
        EXPECT_EQ(probe->GetRect(), Rect(980, 580, 1020, 620)) << "bounds stay in canvas units";
    }
}

TEST(Render, ScreenPixelRatioDrawsAtItsResolutionWithTheDoubleBitmaps) {
    UiFixture f;
    BuildTestPage(*f.ui);
    auto* probe = f.ui->AddControl(std::make_unique<BitmapKnobRotaterControl>(
        Rect(1000, 600, 1000, 600), f.ui->LoadBitmap("knob.png"), kNoParam));
    probe->SetValue(0.5);
    struct Case {
        float scale;
        float ratio;
        const char* file;
        QColor body; // Knob.png is red, Knob@2x.png blue
    };
    // What counts is draw scale × ratio: above 1 the "@2x" file is drawn.
    const Case cases[] = {{1.f, 1.f, "page-1-ratio-1.png", QColor(200, 60, 60)},
                          {1.f, 2.f, "page-1-ratio-2.png", QColor(60, 60, 200)},
                          {0.5f, 2.f, "page-0.5-ratio-2.png", QColor(200, 60, 60)},
                          {0.5f, 1.f, "page-0.5-ratio-1.png", QColor(200, 60, 60)}};
    for (const Case& c : cases) {
        f.ui->SetCanvasScale(1920, 1200, c.scale);
        const QImage image = f.ui->RenderToImage(c.ratio);
        ASSERT_TRUE(image.save(OutputPath(c.file))) << c.file;
        EXPECT_EQ(image.size(), f.ui->size() * c.ratio) << c.file;
        EXPECT_EQ(image.devicePixelRatio(), c.ratio) << c.file;
        const float px = c.scale * c.ratio;
        const QColor body = image.pixelColor(int(1008 * px), int(600 * px));
        EXPECT_NEAR(body.red(), c.body.red(), 8) << c.file;
        EXPECT_NEAR(body.blue(), c.body.blue(), 8) << c.file;
    }
    // The widget follows its screen's ratio: a 2× screen at draw scale 1 draws
    // the double bitmaps; the widget keeps its size in logical pixels.
    f.ui->SetCanvasScale(1920, 1200, 1.f);
    f.ui->SetPixelRatio(2.f);
    EXPECT_EQ(f.ui->LoadBitmap("knob.png").ResourceScale(), 2.f);
    EXPECT_EQ(f.ui->size(), QSize(1920, 1200));
    f.ui->SetPixelRatio(1.f);
    EXPECT_EQ(f.ui->LoadBitmap("knob.png").ResourceScale(), 1.f);
}

TEST(Render, OpenPopupMenuIsDrawnAboveThePage) {
    UiFixture f;
    BuildTestPage(*f.ui);
    Control* caption = nullptr;
    f.ui->ForEachControl([&](Control& c) {
        if (!caption && c.GetParamIdx() == kMode) caption = &c;
    });
    ASSERT_NE(caption, nullptr);
    f.ui->PromptValue(*caption);
    f.ui->SetCanvasScale(1920, 1200, 0.5f);
    f.ui->PromptValue(*caption);
    ASSERT_TRUE(f.ui->RenderToImage().save(OutputPath("page-popup-0.5.png")));
}

TEST(Resources, MissingBitmapIsInvalidAndLookupIgnoresCase) {
    UiFixture f;
    EXPECT_FALSE(f.ui->LoadBitmap("nosuch.png").IsValid());
    for (const char* name : {"knob.png", "KNOB.PNG", "Knob.png"}) {
        const Bitmap b = f.ui->LoadBitmap(name);
        EXPECT_TRUE(b.IsValid()) << name;
        EXPECT_EQ(b.W(), 40) << name;
    }
    f.ui->SetCanvasScale(1920, 1200, 2.f);
    const Bitmap doubled = f.ui->LoadBitmap("KNOB.png");
    EXPECT_EQ(doubled.W(), 40); // canvas units, from the 80-pixel "@2x" file
    EXPECT_EQ(doubled.ResourceScale(), 2.f);
    const Bitmap strip = f.ui->LoadBitmap("button.png", 2);
    EXPECT_EQ(strip.FH(), 20.f); // no "@2x": the single file serves
}

// Loading reads the size only; the pixels are decoded when the bitmap is
// first drawn, and again, at the other resolution, after a change of scale.
TEST(Resources, BitmapIsDecodedWhenFirstDrawn) {
    UiFixture f;
    const Bitmap shown = f.ui->LoadBitmap("knob.png");
    const Bitmap hidden = f.ui->LoadBitmap("solid.png");
    EXPECT_EQ(shown.W(), 40);
    EXPECT_EQ(hidden.W(), 50);
    EXPECT_FALSE(shown.IsDecoded());
    f.ui->AddControl(std::make_unique<BitmapControl>(10, 10, shown));
    f.ui->AddControl(std::make_unique<BitmapControl>(100, 10, hidden))->SetHidden(true);
    const QImage drawn = f.ui->RenderToImage();
    EXPECT_TRUE(shown.IsDecoded());
    EXPECT_FALSE(hidden.IsDecoded());
    EXPECT_NE(drawn.pixel(30, 30), drawn.pixel(5, 5)); // the knob is there
    f.ui->SetCanvasScale(1920, 1200, 2.f);
    EXPECT_FALSE(shown.IsDecoded());
    f.ui->RenderToImage();
    EXPECT_TRUE(shown.IsDecoded());
    EXPECT_EQ(shown.ResourceScale(), 2.f);
}

#ifdef TOLVANE_HAVE_RESOURCES
TEST(Render, RealArtworkLoadsAtEachScale) {
    UiFixture f;
    f.ui->SetResourceRoots(":/img/", ":/fonts/");
    EXPECT_TRUE(f.ui->RegisterFont("Roboto-Regular", "Roboto-Regular.ttf"));
    const Bitmap background = f.ui->LoadBitmap("background.png");
    ASSERT_TRUE(background.IsValid());
    EXPECT_EQ(background.W(), 1920);
    f.ui->AddControl(std::make_unique<BitmapControl>(float(1920 - background.W()) / 2, 0, background),
                     kNoTag, "background");
    const Bitmap small = f.ui->LoadBitmap("knobrotate.png");
    const Bitmap big = f.ui->LoadBitmap("knobrotatebig.png");
    const std::pair<float, float> small_[] = {{770, 189},  {913, 190},       {1055.5f, 191},   {1198.5f, 191},
                                              {1342, 191}, {984.5f, 347.5f}, {1127.5f, 347.5f}};
    for (auto [x, y] : small_) {
        f.ui->AddControl(std::make_unique<BitmapKnobRotaterControl>(Rect(x, y, x, y), small, kGain))
            ->SetValue(0.5);
    }
    f.ui->AddControl(
        std::make_unique<BitmapKnobRotaterControl>(Rect(769.5f, 349.5f, 769.5f, 349.5f), big, kGain));
    for (float scale : {0.5f, 1.f, 2.f}) {
        f.ui->SetCanvasScale(1920, 1200, scale);
        const QImage image = f.ui->RenderToImage();
        ASSERT_TRUE(image.save(OutputPath(QString("artwork-%1.png").arg(scale))));
    }
}
#endif

} // namespace
} // namespace tolvane::test
