#include "tools/artwork/Style.h"

#include <QConicalGradient>
#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStringList>
#include <cmath>
#include <numbers>

namespace tolvane::art {

namespace {

QString g_families[3];

QString& FamilyOf(Face face) {
    return g_families[static_cast<int>(face)];
}

double Rad(double deg) {
    return deg * std::numbers::pi / 180.0;
}

} // namespace

bool LoadFaces(const QString& fontDir) {
    const char* files[3] = {"Roboto-Regular.ttf", "MyBlueRoom.ttf", "Knowledge-Bold.ttf"};
    for (int i = 0; i < 3; ++i) {
        const int id = QFontDatabase::addApplicationFont(fontDir + "/" + files[i]);
        if (id < 0) return false;
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty()) return false;
        g_families[i] = families.front();
    }
    return true;
}

QFont FontOf(Face face, double pixelSize, double letterSpacing) {
    QFont f(FamilyOf(face));
    f.setPixelSize(static_cast<int>(std::lround(pixelSize)));
    f.setHintingPreference(QFont::PreferNoHinting); // same shapes at every scale
    if (face == Face::Bold) f.setWeight(QFont::Bold);
    if (letterSpacing != 0.0) f.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return f;
}

void DrawText(QPainter& p, const QRectF& r, const QString& text, const QFont& font, const QColor& colour,
              int flags) {
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, flags, text);
    p.restore();
}

void DrawMetalKnob(QPainter& p, QPointF c, double r) {
    p.save();
    p.setPen(Qt::NoPen);

    // Soft contact shadow, concentric so that it stays put when the knob turns.
    QRadialGradient shadow(c, r);
    shadow.setColorAt(0.80, QColor(0, 0, 0, 150));
    shadow.setColorAt(1.00, QColor(0, 0, 0, 0));
    p.setBrush(shadow);
    p.drawEllipse(c, r, r);

    // Knurled skirt.
    const double skirt = r * 0.90;
    QRadialGradient skirtFill(c, skirt);
    skirtFill.setColorAt(0.0, QColor(0x50, 0x54, 0x5a));
    skirtFill.setColorAt(1.0, QColor(0x24, 0x26, 0x2a));
    p.setBrush(skirtFill);
    p.drawEllipse(c, skirt, skirt);
    const int ridges = 60;
    for (int i = 0; i < ridges; ++i) {
        const double a = Rad(360.0 * i / ridges);
        const QPointF dir(std::sin(a), -std::cos(a));
        p.setPen(QPen(i % 2 ? QColor(0x9a, 0x9f, 0xa6) : QColor(0x18, 0x19, 0x1c), r * 0.035, Qt::SolidLine,
                      Qt::RoundCap));
        p.drawLine(c + dir * (r * 0.76), c + dir * (r * 0.87));
    }
    p.setPen(Qt::NoPen);

    // Brushed cap: a conical sweep of silvers gives the turned-metal sheen.
    const double cap = r * 0.74;
    QConicalGradient sheen(c, 90);
    const QColor a = colour::kAluLight, b = colour::kAluDark, m = colour::kAluMid;
    sheen.setColorAt(0.00, a);
    sheen.setColorAt(0.12, m);
    sheen.setColorAt(0.25, b);
    sheen.setColorAt(0.38, m);
    sheen.setColorAt(0.50, a);
    sheen.setColorAt(0.62, m);
    sheen.setColorAt(0.75, b);
    sheen.setColorAt(0.88, m);
    sheen.setColorAt(1.00, a);
    p.setBrush(sheen);
    p.setPen(QPen(QColor(0x3c, 0x3f, 0x44), r * 0.03));
    p.drawEllipse(c, cap, cap);
    p.setPen(Qt::NoPen);

    // Turned rings and a shallow centre dimple.
    for (double k : {0.62, 0.48, 0.30}) {
        p.setPen(QPen(QColor(255, 255, 255, 40), r * 0.012));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, cap * k / 0.74, cap * k / 0.74);
    }
    QRadialGradient dimple(c, cap * 0.35);
    dimple.setColorAt(0.0, QColor(255, 255, 255, 70));
    dimple.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(dimple);
    p.drawEllipse(c, cap * 0.35, cap * 0.35);

    // Pointer: an engraved black line with a white index on the skirt.
    p.setPen(QPen(QColor(0x14, 0x15, 0x17), r * 0.085, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(0, -cap * 0.25), c + QPointF(0, -cap * 0.92));
    p.setPen(QPen(QColor(0xf4, 0xf7, 0xf8), r * 0.06, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(0, -r * 0.78), c + QPointF(0, -r * 0.86));
    p.restore();
}

void DrawKnobScale(QPainter& p, QPointF c, double rInner, double rOuter, const QColor& colour) {
    p.save();
    const int marks = 11;
    for (int i = 0; i < marks; ++i) {
        const double a = Rad(-135.0 + 270.0 * i / (marks - 1));
        const QPointF dir(std::sin(a), -std::cos(a));
        const bool major = i == 0 || i == marks - 1 || i == marks / 2;
        p.setPen(QPen(colour, major ? 2.4 : 1.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + dir * rInner, c + dir * (major ? rOuter + 2 : rOuter));
    }
    p.restore();
}

void DrawScrew(QPainter& p, QPointF c, double r) {
    p.save();
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.3);
    g.setColorAt(0.0, colour::kAluLight);
    g.setColorAt(1.0, colour::kAluDark);
    p.setBrush(g);
    p.setPen(QPen(QColor(0, 0, 0, 140), 0.8));
    p.drawEllipse(c, r, r);
    p.setPen(QPen(QColor(0x40, 0x43, 0x48), r * 0.28, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-r * 0.55, -r * 0.2), c + QPointF(r * 0.55, r * 0.2));
    p.restore();
}

void DrawPanel(QPainter& p, const QRectF& r, double radius, const QColor& fill) {
    p.save();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, fill.lighter(118));
    g.setColorAt(1.0, fill);
    p.setBrush(g);
    p.setPen(QPen(colour::kPanelEdge, 1.5));
    p.drawRoundedRect(r, radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 22), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(2, 2, -2, -2), radius - 2, radius - 2);
    p.restore();
}

void DrawInset(QPainter& p, const QRectF& r, double radius, const QColor& fill) {
    p.save();
    p.setBrush(fill);
    p.setPen(QPen(QColor(0, 0, 0, 200), 1.5));
    p.drawRoundedRect(r, radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 30), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(r.left() + radius, r.bottom() + 1), QPointF(r.right() - radius, r.bottom() + 1));
    p.restore();
}

void DrawVeil(QPainter& p, const QRectF& r, int alpha) {
    QRadialGradient g(r.center(), std::max(r.width(), r.height()) * 0.7);
    g.setColorAt(0.0, QColor(8, 9, 11, alpha - 25));
    g.setColorAt(1.0, QColor(4, 4, 5, alpha));
    p.fillRect(r, g);
}

void DrawWordMark(QPainter& p, const QRectF& r, double px, const QColor& colour, int flags) {
    DrawText(p, r, "TOLVANE", FontOf(Face::Bold, px, px * 0.16), colour, flags);
}

} // namespace tolvane::art
