// artwork FONTDIR OUTDIR PREVIEWDIR: draws every bitmap of the editor, at
// scale 1 and, where the editor asks for one, at scale 2 ("@2x"), plus the
// vector knob, and writes them as PNG and SVG files into OUTDIR; PREVIEWDIR
// gets the pictures of the finished pages that the manual shows. Everything is vector
// drawing, so both scales are sharp. Exits non-zero on any failure so the
// build stops rather than packing stale artwork.
//
// Multi-frame bitmaps hold their frames stacked top to bottom, frame 1 on top.

#include "tools/artwork/Pages.h"
#include "tools/artwork/Parts.h"
#include "tools/artwork/Previews.h"
#include "tools/artwork/Style.h"
#include "tools/artwork/VectorKnob.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace tolvane::art;

// Draws one frame into the rectangle (0, 0, width, frameHeight).
using FramePainter = std::function<void(QPainter&, const QRectF&, int frame)>;

struct Bitmap {
    const char* name; // without ".png"
    double width;
    double frameHeight;
    int frames;
    bool doubleSize; // also written as name@2x.png
    FramePainter paint;
    // Pixels per canvas unit of the file itself: a file whose own name ends
    // in "@2x" is a double-resolution picture of the size given above.
    int fileScale = 1;
};

FramePainter Whole(void (*draw)(QPainter&)) {
    return [draw](QPainter& p, const QRectF&, int) { draw(p); };
}

FramePainter Key(const char* text, Glyph glyph) {
    return [text, glyph](QPainter& p, const QRectF& r, int frame) {
        DrawSelectorKey(p, r, text, glyph, frame == 1);
    };
}

std::vector<Bitmap> Catalogue() {
    constexpr double kKey = 35.5;
    return {
        {"background", 1920, 1200, 1, true, Whole(DrawMainBackground)},
        {"knobrotate", 102, 102, 1, true,
         [](QPainter& p, const QRectF& r, int) { DrawMetalKnob(p, r.center(), r.width() / 2); }},
        {"knobrotatebig", 130, 130, 1, true,
         [](QPainter& p, const QRectF& r, int) { DrawMetalKnob(p, r.center(), r.width() / 2); }},
        {"fswitch", 75, 85, 2, true,
         [](QPainter& p, const QRectF& r, int f) { DrawFootswitch(p, r, f == 1); }},
        {"save", 38, 76, 2, true, [](QPainter& p, const QRectF& r, int f) { DrawSaveButton(p, r, f == 1); }},
        {"led", 16, 16, 1, true, [](QPainter& p, const QRectF& r, int) { DrawLed(p, r, true); }},
        {"radio-room", 163, kKey, 2, true, Key("ROOM", Glyph::Room)},
        {"radio-hall", 140, kKey, 2, true, Key("HALL", Glyph::Hall)},
        {"radio-spring", 140, kKey, 2, true, Key("SPRING", Glyph::Spring)},
        {"radio-plate", 140, kKey, 2, true, Key("PLATE", Glyph::Plate)},
        {"radio-chorus", 162, kKey, 2, true, Key("CHORUS", Glyph::Chorus)},
        {"amp-blond", 163, kKey, 2, true, Key("BLOND", Glyph::None)},
        {"amp-liverpool", 140, kKey, 2, true, Key("LIVERPOOL", Glyph::None)},
        {"amp-british", 140, kKey, 2, true, Key("BRITISH", Glyph::None)},
        {"amp-caliclassic", 140, kKey, 2, true, Key("CALI CLASSIC", Glyph::None)},
        {"amp-boutiquea", 162, kKey, 2, true, Key("BOUTIQUE A", Glyph::None)},
        {"amp-tweed", 163, kKey, 2, true, Key("TWEED", Glyph::None)},
        {"amp-topboost", 140, kKey, 2, true, Key("TOP BOOST", Glyph::None)},
        {"amp-plexi", 140, kKey, 2, true, Key("PLEXI", Glyph::None)},
        {"amp-calimetal", 140, kKey, 2, true, Key("CALI METAL", Glyph::None)},
        {"amp-boutiqueb", 162, kKey, 2, true, Key("BOUTIQUE B", Glyph::None)},
        {"irbg", 630, 460, 1, true, Whole(DrawIrPanel)},
        {"irslot", 50, 440, 1, true, Whole(DrawIrSlot)},
        {"mic@2x", 50, 30, 1, false, [](QPainter& p, const QRectF& r, int) { DrawMicrophone(p, r); }, 2},
        {"fwbg", 1920, 1080, 1, true, Whole(DrawFirmwarePage)},
        {"globalbg", 1920, 1080, 1, true, Whole(DrawSettingsPage)},
        {"pellory", 512, 120, 1, false, [](QPainter& p, const QRectF& r, int) { DrawFootController(p, r); }},
        {"about", 1920, 1200, 1, true, Whole(DrawAboutPage)},
    };
}

bool Render(const Bitmap& b, int scale, const QString& path) {
    const int w = static_cast<int>(std::lround(b.width * scale));
    const int h = static_cast<int>(std::lround(b.frameHeight * b.frames * scale));
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.scale(scale, scale);
        for (int f = 0; f < b.frames; ++f) {
            p.save();
            p.translate(0, b.frameHeight * f);
            b.paint(p, QRectF(0, 0, b.width, b.frameHeight), f);
            p.restore();
        }
    }
    return img.save(path, "PNG");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: artwork FONTDIR OUTDIR PREVIEWDIR\n");
        return 2;
    }
    const QString fontDir = QString::fromLocal8Bit(argv[1]);
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    if (!LoadFaces(fontDir)) {
        std::fprintf(stderr, "artwork: cannot load the fonts in %s\n", argv[1]);
        return 1;
    }
    for (const Bitmap& b : Catalogue()) {
        const QString base = outDir + "/" + b.name;
        if (!Render(b, b.fileScale, base + ".png") || (b.doubleSize && !Render(b, 2, base + "@2x.png"))) {
            std::fprintf(stderr, "artwork: cannot write %s\n", b.name);
            return 1;
        }
    }
    QFile svg(outDir + "/vector-knob.svg");
    if (!svg.open(QIODevice::WriteOnly) || svg.write(VectorKnobSvg()) < 0) {
        std::fprintf(stderr, "artwork: cannot write vector-knob.svg\n");
        return 1;
    }
    const QString previewDir = QString::fromLocal8Bit(argv[3]);
    if (!MainWindowPreview().save(previewDir + "/main-window.png") ||
        !IrSectionPreview().save(previewDir + "/ir-section.png")) {
        std::fprintf(stderr, "artwork: cannot write the previews\n");
        return 1;
    }
    return 0;
}
