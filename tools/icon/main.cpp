// icon SVG OUTDIR NAME SIZE...: renders the SVG at every size into
// OUTDIR/<size>x<size>/apps/NAME.png, the layout of the hicolor icon theme.
// Exits non-zero on any failure so the build stops.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: tolvane_icon SVG OUTDIR NAME SIZE...\n");
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "tolvane_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (size <= 0) {
            std::fprintf(stderr, "tolvane_icon: bad size %s\n", argv[i]);
            return 2;
        }
        const QString dir = QString("%1/%2x%2/apps").arg(outDir).arg(size);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        svg.render(&p, QRectF(0, 0, size, size));
        p.end();
        if (!QDir().mkpath(dir) || !image.save(dir + "/" + name + ".png")) {
            std::fprintf(stderr, "tolvane_icon: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
