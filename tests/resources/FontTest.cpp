#include "resources/Resources.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QRawFont>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(Fonts, AllThreeRegisterWithTheFontDatabase) {
    for (const char* path : res::kFontPaths) {
        SCOPED_TRACE(path);
        const int id = QFontDatabase::addApplicationFont(path);
        ASSERT_GE(id, 0);
        EXPECT_FALSE(QFontDatabase::applicationFontFamilies(id).isEmpty());
    }
}

// Each face must be able to draw what the pages write with it.
TEST(Fonts, EachFaceCoversTheTextsItShows) {
    struct Case {
        const char* path;
        const char* text;
        int minWeight;
    };
    const Case cases[] = {
        {":/fonts/Roboto-Regular.ttf", "Connecting to the device... 01 Preset", QFont::Normal},
        {":/fonts/MyBlueRoom.ttf", "0123456789", QFont::Normal},
        {":/fonts/Knowledge-Bold.ttf", "IMPULSE RESPONSE 0.00 dB Hz ms % 1:1", QFont::Bold},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        QFile file(c.path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QRawFont font(file.readAll(), 20);
        ASSERT_TRUE(font.isValid());
        EXPECT_GE(font.weight(), c.minWeight);
        for (QChar ch : QString(c.text))
            EXPECT_TRUE(font.supportsCharacter(ch)) << ch.toLatin1();
    }
}

// The pages give the bold face fixed boxes: section titles at 44 units in a
// 400-unit box, knob captions at 26 units in a 200-unit column.
TEST(Fonts, LongestBoldTextsFitTheirBoxes) {
    const int id = QFontDatabase::addApplicationFont(":/fonts/Knowledge-Bold.ttf");
    ASSERT_GE(id, 0);
    const QString family = QFontDatabase::applicationFontFamilies(id).value(0);
    struct Case {
        const char* text;
        int pixelSize;
        double boxWidth;
    };
    const Case cases[] = {
        {"IMPULSE RESPONSE", 44, 400}, {"CRUNCH FILTER", 44, 300}, {"PUNCH FILTER", 44, 300},
        {"PARALLEL CLEAN", 26, 200},   {"COMPRESSION", 26, 200},
    };
    for (const Case& c : cases) {
        QFont font(family);
        font.setPixelSize(c.pixelSize);
        EXPECT_LE(QFontMetricsF(font).horizontalAdvance(c.text), c.boxWidth) << c.text;
    }
}

} // namespace
} // namespace tolvane
