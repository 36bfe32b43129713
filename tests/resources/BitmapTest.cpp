#include "resources/Resources.h"

#include <QFile>
#include <QImage>
#include <QSvgRenderer>
#include <cmath>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

// Every bitmap the pages load: size of one frame in canvas units, frame
// count (frames are stacked vertically) and whether a double-size "@2x"
// variant exists. A file whose own name ends in "@2x" holds two pixels per
// canvas unit, as the toolkit reads it.
struct BitmapSpec {
    const char* name;
    int width;
    double frameHeight;
    int frames;
    bool hasDouble;
    int fileScale = 1;
};

const BitmapSpec kBitmaps[] = {
    {"background", 1920, 1200, 1, true},
    {"knobrotate", 102, 102, 1, true},
    {"knobrotatebig", 130, 130, 1, true},
    {"fswitch", 75, 85, 2, true},
    {"save", 38, 76, 2, true},
    {"led", 16, 16, 1, true},
    {"radio-room", 163, 35.5, 2, true},
    {"radio-hall", 140, 35.5, 2, true},
    {"radio-spring", 140, 35.5, 2, true},
    {"radio-plate", 140, 35.5, 2, true},
    {"radio-chorus", 162, 35.5, 2, true},
    {"amp-blond", 163, 35.5, 2, true},
    {"amp-liverpool", 140, 35.5, 2, true},
    {"amp-british", 140, 35.5, 2, true},
    {"amp-caliclassic", 140, 35.5, 2, true},
    {"amp-boutiquea", 162, 35.5, 2, true},
    {"amp-tweed", 163, 35.5, 2, true},
    {"amp-topboost", 140, 35.5, 2, true},
    {"amp-plexi", 140, 35.5, 2, true},
    {"amp-calimetal", 140, 35.5, 2, true},
    {"amp-boutiqueb", 162, 35.5, 2, true},
    {"irbg", 630, 460, 1, true},
    {"irslot", 50, 440, 1, true},
    {"mic@2x", 50, 30, 1, false, 2},
    {"fwbg", 1920, 1080, 1, true},
    {"globalbg", 1920, 1080, 1, true},
    {"pellory", 512, 120, 1, false},
    {"about", 1920, 1200, 1, true},
};

int OpaquePixels(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); y += 2)
        for (int x = 0; x < img.width(); x += 2)
            n += qAlpha(img.pixel(x, y)) > 200;
    return n;
}

TEST(Bitmaps, EachHasItsSizeFrameCountAndDoubleSizeVariant) {
    for (const BitmapSpec& b : kBitmaps) {
        SCOPED_TRACE(b.name);
        const QImage img(res::BitmapPath(b.name));
        ASSERT_FALSE(img.isNull());
        EXPECT_EQ(img.width(), b.width * b.fileScale);
        EXPECT_EQ(img.height(), static_cast<int>(std::lround(b.frameHeight * b.frames * b.fileScale)));
        EXPECT_GT(OpaquePixels(img), img.width() * img.height() / 40) << "picture is (nearly) empty";

        const QImage twice(res::BitmapPath(b.name, true));
        if (b.hasDouble) {
            ASSERT_FALSE(twice.isNull());
            EXPECT_EQ(twice.width(), 2 * img.width());
            EXPECT_EQ(twice.height(), 2 * img.height());
        } else {
            EXPECT_FALSE(QFile::exists(res::BitmapPath(b.name, true)));
        }
    }
}

// A two-frame button whose frames look alike would give no feedback when
// pressed or selected.
TEST(Bitmaps, TwoFrameButtonsShowADifferentSecondFrame) {
    for (const BitmapSpec& b : kBitmaps) {
        if (b.frames != 2) continue;
        SCOPED_TRACE(b.name);
        const QImage img(res::BitmapPath(b.name, true)); // whole pixels per frame at scale 2
        const int h = static_cast<int>(b.frameHeight * 2);
        const QImage first = img.copy(0, 0, img.width(), h);
        const QImage second = img.copy(0, h, img.width(), h);
        int differing = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < img.width(); ++x)
                differing += first.pixel(x, y) != second.pixel(x, y);
        EXPECT_GT(differing, img.width() * h / 50);
    }
}

TEST(Bitmaps, VectorKnobIsASquareSvg) {
    QSvgRenderer svg{QString(res::kVectorKnobPath)};
    ASSERT_TRUE(svg.isValid());
    const QRectF box = svg.viewBoxF();
    EXPECT_GT(box.width(), 0);
    EXPECT_DOUBLE_EQ(box.width(), box.height());
}

} // namespace
} // namespace tolvane
