// Compares two folders of page pictures pixel by pixel:
//   compare_pages <before-dir> <after-dir>
// For every PNG of before-dir, the file of the same name in after-dir must
// have the same size and the same pixels. Prints one line per picture that
// differs (how many pixels, the bounding box of the difference and the
// largest channel difference) and a summary; exits 1 when any picture
// differs or is missing, 2 on bad arguments.

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

struct Difference {
    long pixels = 0;
    int largest = 0;
    QRect box;
};

Difference Compare(const QImage& a, const QImage& b) {
    Difference d;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (pa[x] == pb[x]) continue;
            ++d.pixels;
            d.box |= QRect(x, y, 1, 1);
            const int channel = std::max({std::abs(qRed(pa[x]) - qRed(pb[x])), std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                                          std::abs(qBlue(pa[x]) - qBlue(pb[x])),
                                          std::abs(qAlpha(pa[x]) - qAlpha(pb[x]))});
            d.largest = std::max(d.largest, channel);
        }
    }
    return d;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: compare_pages <before-dir> <after-dir>\n");
        return 2;
    }
    const QDir before(QString::fromLocal8Bit(argv[1])), after(QString::fromLocal8Bit(argv[2]));
    const QStringList names = before.entryList({"*.png"}, QDir::Files, QDir::Name);
    if (names.isEmpty()) {
        std::fprintf(stderr, "no pictures in %s\n", argv[1]);
        return 2;
    }
    int differing = 0;
    for (const QString& name : names) {
        const QImage a = QImage(before.filePath(name)).convertToFormat(QImage::Format_ARGB32);
        const QImage b = QImage(after.filePath(name)).convertToFormat(QImage::Format_ARGB32);
        const QByteArray n = name.toLocal8Bit();
        if (b.isNull()) {
            std::printf("%s: missing in %s\n", n.constData(), argv[2]);
            ++differing;
            continue;
        }
        if (a.size() != b.size()) {
            std::printf("%s: size %dx%d, was %dx%d\n", n.constData(), b.width(), b.height(), a.width(), a.height());
            ++differing;
            continue;
        }
        const Difference d = Compare(a, b);
        if (d.pixels == 0) continue;
        ++differing;
        std::printf("%s: %ld pixels differ in (%d, %d)-(%d, %d), largest channel difference %d\n", n.constData(),
                    d.pixels, d.box.left(), d.box.top(), d.box.right(), d.box.bottom(), d.largest);
    }
    std::printf("%d of %d pictures identical\n", int(names.size()) - differing, int(names.size()));
    return differing ? 1 : 0;
}
