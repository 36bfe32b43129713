// manual SOURCE.md FONTDIR IMGDIR OUT.pdf: typesets the user manual from its
// Markdown source into an A4 PDF. Pictures named in the source are looked up
// in IMGDIR (the freshly drawn artwork) and shrunk to the text width;
// headings use the program's bold display face, body text Roboto.

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double kBodyPoints = 10.5;
constexpr double kMarginMm = 18.0;
constexpr int kDpi = 300;
constexpr double kFooterPoints = 24.0;
constexpr double kImageWidth = 0.92;  // largest share of the text width a picture takes
constexpr double kImageHeight = 0.42; // and of the text height

QString LoadFamily(const QString& path) {
    const int id = QFontDatabase::addApplicationFont(path);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    return families.isEmpty() ? QString() : families.front();
}

// Headings in the display face, sized by level, with room above them.
void StyleHeadings(QTextDocument& doc, const QString& family) {
    static const double kPoints[] = {0, 24, 16, 13, 11.5};
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const int level = b.blockFormat().headingLevel();
        if (level < 1 || level > 4) continue;
        QTextCursor c(b);
        QTextBlockFormat bf = b.blockFormat();
        bf.setTopMargin(level == 1 ? 6 : 14);
        bf.setBottomMargin(6);
        if (level == 1 && b.previous().isValid()) bf.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        c.setBlockFormat(bf);
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setFontFamilies({family});
        f.setFontPointSize(kPoints[level]);
        f.setForeground(level == 1 ? QColor(0x0b, 0x5f, 0x66) : QColor(0x1c, 0x1e, 0x22));
        c.mergeCharFormat(f);
    }
}

// Markdown cannot size a picture, so every image is fitted into the box
// maxWidth x maxHeight, keeping its proportions.
bool FitImages(QTextDocument& doc, const QString& imgDir, double maxWidth, double maxHeight) {
    struct Fit {
        int position;
        int length;
        QTextImageFormat format;
    };
    std::vector<Fit> fits;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.charFormat().isImageFormat()) continue;
            QTextImageFormat img = frag.charFormat().toImageFormat();
            const QImage picture(imgDir + "/" + img.name());
            if (picture.isNull()) {
                std::fprintf(stderr, "manual: missing picture %s\n", qPrintable(img.name()));
                return false;
            }
            doc.addResource(QTextDocument::ImageResource, QUrl(img.name()), picture);
            const double scale = std::min(maxWidth / picture.width(), maxHeight / picture.height());
            img.setWidth(picture.width() * scale);
            img.setHeight(picture.height() * scale);
            fits.push_back({frag.position(), frag.length(), img});
        }
    }
    for (const Fit& f : fits) {
        QTextCursor c(&doc);
        c.setPosition(f.position);
        c.setPosition(f.position + f.length, QTextCursor::KeepAnchor);
        c.setCharFormat(f.format);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: manual SOURCE.md FONTDIR IMGDIR OUT.pdf\n");
        return 2;
    }
    const QString fontDir = QString::fromLocal8Bit(argv[2]);
    const QString imgDir = QString::fromLocal8Bit(argv[3]);
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "manual: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString body = LoadFamily(fontDir + "/Roboto-Regular.ttf");
    const QString heading = LoadFamily(fontDir + "/Knowledge-Bold.ttf");
    if (body.isEmpty() || heading.isEmpty()) {
        std::fprintf(stderr, "manual: cannot load the fonts in %s\n", argv[2]);
        return 1;
    }

    QPdfWriter writer(QString::fromLocal8Bit(argv[4]));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
    writer.setResolution(kDpi);
    writer.setTitle("Tolvane - Editor and Librarian for the Velumo Ostrel - User Manual");
    writer.setCreator("Tolvane");

    // Lay the text out directly in the PDF's device units, leaving a strip
    // at the foot of each page for the running footer.
    const QRectF paint = writer.pageLayout().paintRectPixels(kDpi);
    const double footer = kFooterPoints / 72.0 * kDpi;
    const QSizeF page(paint.width(), paint.height() - footer);

    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&writer);
    doc.setDefaultFont(QFont(body, static_cast<int>(kBodyPoints)));
    doc.setDocumentMargin(0);
    doc.setMarkdown(QString::fromUtf8(source.readAll()));
    StyleHeadings(doc, heading);
    // Image sizes are given in 96-dpi pixels; the layout scales them to the device.
    const double toCssPixels = 96.0 / kDpi;
    if (!FitImages(doc, imgDir, page.width() * kImageWidth * toCssPixels,
                   page.height() * kImageHeight * toCssPixels))
        return 1;
    doc.setPageSize(page);

    QPainter painter(&writer);
    const QFont footFont(body, 8);
    for (int i = 0; i < doc.pageCount(); ++i) {
        if (i > 0) writer.newPage();
        painter.save();
        painter.translate(0, -i * page.height());
        doc.drawContents(&painter, QRectF(QPointF(0, i * page.height()), page));
        painter.restore();
        painter.setFont(footFont);
        painter.setPen(QColor(0x6a, 0x70, 0x77));
        const QRectF foot(0, page.height(), page.width(), footer);
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignBottom, "Tolvane User Manual  ·  Velumo Ostrel");
        painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom, QString::number(i + 1));
    }
    return painter.end() ? 0 : 1;
}
