#include "tools/artwork/Parts.h"

#include "tools/artwork/Style.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

// Index
//   1. Pedal hardware: footswitch, save button, LED, seven-segment window
//   2. Selector keys and their glyphs
//   3. Microphone, foot controller, speaker cabinet

namespace tolvane::art {

namespace {

QPolygonF Hexagon(QPointF c, double r) {
    QPolygonF poly;
    for (int i = 0; i < 6; ++i) {
        const double a = std::numbers::pi / 3.0 * i + std::numbers::pi / 6.0;
        poly << c + QPointF(r * std::cos(a), r * std::sin(a));
    }
    return poly;
}

} // namespace

// ---- 1. Pedal hardware ---------------------------------------------------

void DrawFootswitch(QPainter& p, const QRectF& f, bool pressed) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = f.center();
    const double r = std::min(f.width(), f.height()) / 2.0 - 1.0;

    // Washer ring on the enclosure.
    QRadialGradient washer(c, r);
    washer.setColorAt(0.75, QColor(0x2a, 0x2d, 0x31));
    washer.setColorAt(0.93, QColor(0x8e, 0x93, 0x99));
    washer.setColorAt(1.0, QColor(0x3a, 0x3d, 0x42));
    p.setPen(QPen(QColor(0, 0, 0, 160), 1.0));
    p.setBrush(washer);
    p.drawEllipse(c, r, r);

    // Chrome hex nut.
    QLinearGradient nut(f.topLeft(), f.bottomRight());
    nut.setColorAt(0.0, QColor(0xf2, 0xf4, 0xf6));
    nut.setColorAt(0.45, QColor(0x8a, 0x8f, 0x96));
    nut.setColorAt(0.55, QColor(0xc8, 0xcc, 0xd0));
    nut.setColorAt(1.0, QColor(0x5a, 0x5e, 0x64));
    p.setBrush(nut);
    p.setPen(QPen(QColor(0x30, 0x33, 0x37), 1.2));
    p.drawPolygon(Hexagon(c, r * 0.86));

    // Plunger cap: domed when up, sunk and darker when pressed.
    const double cap = r * (pressed ? 0.50 : 0.56);
    const QPointF cc = c + QPointF(0, pressed ? 1.0 : 0.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, pressed ? 60 : 110));
    p.drawEllipse(cc + QPointF(0, 2.5), cap, cap);
    QRadialGradient dome(cc - QPointF(cap * 0.35, cap * 0.4), cap * 1.4);
    dome.setColorAt(0.0, pressed ? QColor(0xc4, 0xc8, 0xcc) : QColor(0xff, 0xff, 0xff));
    dome.setColorAt(0.5, pressed ? QColor(0x78, 0x7c, 0x82) : QColor(0xa8, 0xad, 0xb3));
    dome.setColorAt(1.0, QColor(0x3c, 0x3f, 0x44));
    p.setBrush(dome);
    p.setPen(QPen(QColor(0x26, 0x28, 0x2b), 1.0));
    p.drawEllipse(cc, cap, cap);
    p.restore();
}

void DrawSaveButton(QPainter& p, const QRectF& f, bool pressed) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = f.adjusted(2, 2, -2, -2);
    p.setPen(QPen(QColor(0, 0, 0, 200), 1.2));
    QLinearGradient bezel(body.topLeft(), body.bottomLeft());
    bezel.setColorAt(0.0, QColor(0x8d, 0x92, 0x98));
    bezel.setColorAt(1.0, QColor(0x3a, 0x3d, 0x42));
    p.setBrush(bezel);
    p.drawRoundedRect(body, 8, 8);

    // Status LED at the top of the bezel.
    const QPointF led(body.center().x(), body.top() + 10);
    DrawLed(p, QRectF(led - QPointF(5, 5), QSizeF(10, 10)), pressed);

    // Rubber push cap.
    QRectF cap = body.adjusted(4, 22, -4, -5);
    if (pressed) cap.translate(0, 1.5);
    QLinearGradient rubber(cap.topLeft(), cap.bottomLeft());
    rubber.setColorAt(0.0, pressed ? QColor(0x30, 0x32, 0x36) : QColor(0x4c, 0x50, 0x56));
    rubber.setColorAt(1.0, pressed ? QColor(0x1c, 0x1d, 0x20) : QColor(0x22, 0x24, 0x27));
    p.setBrush(rubber);
    p.setPen(QPen(QColor(0x10, 0x11, 0x12), 1.0));
    p.drawRoundedRect(cap, 6, 6);
    for (int i = 0; i < 3; ++i) {
        const double y = cap.center().y() - 8 + 8 * i;
        p.setPen(QPen(QColor(255, 255, 255, pressed ? 25 : 45), 1.2));
        p.drawLine(QPointF(cap.left() + 6, y), QPointF(cap.right() - 6, y));
    }
    p.restore();
}

void DrawLed(QPainter& p, const QRectF& f, bool lit) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = f.center();
    const double r = std::min(f.width(), f.height()) / 2.0;
    if (lit) {
        QRadialGradient glow(c, r);
        glow.setColorAt(0.0, QColor(0xff, 0xe0, 0xd8));
        glow.setColorAt(0.45, colour::kLedRed);
        glow.setColorAt(0.75, QColor(0xff, 0x3b, 0x2f, 90));
        glow.setColorAt(1.0, QColor(0xff, 0x3b, 0x2f, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, r, r);
    } else {
        QRadialGradient dome(c - QPointF(r * 0.2, r * 0.25), r * 0.8);
        dome.setColorAt(0.0, QColor(0x7a, 0x2a, 0x26));
        dome.setColorAt(1.0, QColor(0x2a, 0x0c, 0x0b));
        p.setPen(QPen(QColor(0x9a, 0x9f, 0xa6), r * 0.14));
        p.setBrush(dome);
        p.drawEllipse(c, r * 0.62, r * 0.62);
    }
    p.restore();
}

void DrawSevenSegment(QPainter& p, const QRectF& w, const QString& digits) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient glass(w.topLeft(), w.bottomLeft());
    glass.setColorAt(0.0, QColor(0x16, 0x17, 0x19));
    glass.setColorAt(1.0, QColor(0x05, 0x05, 0x06));
    p.setBrush(glass);
    p.setPen(QPen(QColor(0x9a, 0x9f, 0xa6), 2.0));
    p.drawRoundedRect(w.adjusted(-6, -6, 6, 6), 6, 6);
    p.setPen(Qt::NoPen);
    p.drawRect(w);
    if (!digits.isEmpty()) {
        const QFont seg = FontOf(Face::Display, w.height() * 0.72);
        const QRectF textRect = w.adjusted(0, w.height() * 0.08, -w.width() * 0.06, 0);
        DrawText(p, textRect, "88", seg, QColor(0x33, 0x33, 0x33), Qt::AlignRight | Qt::AlignTop);
        DrawText(p, textRect, digits, seg, QColor(0xf2, 0xf2, 0xf2), Qt::AlignRight | Qt::AlignTop);
    }
    // Reflection across the glass.
    QLinearGradient shine(w.topLeft(), w.bottomLeft());
    shine.setColorAt(0.0, QColor(255, 255, 255, 28));
    shine.setColorAt(0.45, QColor(255, 255, 255, 6));
    shine.setColorAt(0.46, QColor(255, 255, 255, 0));
    p.fillRect(w, shine);
    p.restore();
}

// ---- 2. Selector keys ------------------------------------------------------

namespace {

void DrawGlyph(QPainter& p, const QRectF& g, Glyph glyph, const QColor& c) {
    p.save();
    p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const double l = g.left(), t = g.top(), w = g.width(), h = g.height();
    QPainterPath path;
    switch (glyph) {
    case Glyph::None:
        break;
    case Glyph::Room: // a small box seen in perspective
        p.drawRect(QRectF(l + w * 0.15, t + h * 0.25, w * 0.55, h * 0.55));
        p.drawLine(QPointF(l + w * 0.15, t + h * 0.25), QPointF(l + w * 0.35, t + h * 0.08));
        p.drawLine(QPointF(l + w * 0.70, t + h * 0.25), QPointF(l + w * 0.90, t + h * 0.08));
        p.drawLine(QPointF(l + w * 0.35, t + h * 0.08), QPointF(l + w * 0.90, t + h * 0.08));
        p.drawLine(QPointF(l + w * 0.90, t + h * 0.08), QPointF(l + w * 0.90, t + h * 0.62));
        p.drawLine(QPointF(l + w * 0.90, t + h * 0.62), QPointF(l + w * 0.70, t + h * 0.80));
        break;
    case Glyph::Hall: // arches of a concert hall
        path.moveTo(l, t + h * 0.9);
        path.lineTo(l, t + h * 0.45);
        path.quadTo(l + w * 0.5, t - h * 0.15, l + w, t + h * 0.45);
        path.lineTo(l + w, t + h * 0.9);
        path.moveTo(l + w * 0.3, t + h * 0.9);
        path.lineTo(l + w * 0.3, t + h * 0.6);
        path.quadTo(l + w * 0.5, t + h * 0.35, l + w * 0.7, t + h * 0.6);
        path.lineTo(l + w * 0.7, t + h * 0.9);
        p.drawPath(path);
        break;
    case Glyph::Spring: // a coil
        path.moveTo(l, t + h * 0.5);
        for (int i = 0; i < 5; ++i) {
            const double x = l + w * (0.1 + 0.18 * i);
            path.cubicTo(x, t - h * 0.05, x + w * 0.14, t - h * 0.05, x + w * 0.1, t + h * 0.5);
            path.cubicTo(x + w * 0.06, t + h * 1.05, x + w * 0.02, t + h * 1.05, x + w * 0.18, t + h * 0.5);
        }
        p.drawPath(path);
        break;
    case Glyph::Plate: // a suspended plate
        p.drawRect(QRectF(l + w * 0.1, t + h * 0.3, w * 0.8, h * 0.55));
        p.drawLine(QPointF(l + w * 0.2, t + h * 0.3), QPointF(l + w * 0.2, t));
        p.drawLine(QPointF(l + w * 0.8, t + h * 0.3), QPointF(l + w * 0.8, t));
        break;
    case Glyph::Chorus: // two detuned waves
        for (int k = 0; k < 2; ++k) {
            QPainterPath wave;
            for (int i = 0; i <= 24; ++i) {
                const double x = l + w * i / 24.0;
                const double y =
                    t + h * (0.5 + 0.32 * std::sin(i / 24.0 * 2.0 * std::numbers::pi * 1.5 + k * 1.2));
                if (i == 0)
                    wave.moveTo(x, y);
                else
                    wave.lineTo(x, y);
            }
            p.drawPath(wave);
        }
        break;
    }
    p.restore();
}

} // namespace

void DrawSelectorKey(QPainter& p, const QRectF& f, const QString& text, Glyph glyph, bool selected) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // Transparent margins keep the frame edge (which falls mid-pixel at
    // scale 1) away from anything drawn.
    const QRectF key = f.adjusted(2.5, 2.5, -2.5, -2.5);
    QLinearGradient face(key.topLeft(), key.bottomLeft());
    if (selected) {
        face.setColorAt(0.0, QColor(0x1a, 0x5e, 0x64));
        face.setColorAt(1.0, QColor(0x0b, 0x33, 0x38));
        p.setPen(QPen(colour::kAccent, 1.6));
    } else {
        face.setColorAt(0.0, QColor(0x45, 0x49, 0x4f));
        face.setColorAt(1.0, QColor(0x2b, 0x2e, 0x32));
        p.setPen(QPen(QColor(0x0e, 0x0f, 0x10), 1.2));
    }
    p.setBrush(face);
    p.drawRoundedRect(key, 5, 5);
    p.setPen(QPen(QColor(255, 255, 255, selected ? 60 : 35), 1.0));
    p.drawLine(QPointF(key.left() + 5, key.top() + 1.5), QPointF(key.right() - 5, key.top() + 1.5));

    // Indicator lamp, lit on the selected key.
    const QPointF lamp(key.left() + 10, key.center().y());
    p.setPen(Qt::NoPen);
    if (selected) {
        QRadialGradient glow(lamp, 6);
        glow.setColorAt(0.0, QColor(0xe0, 0xff, 0xff));
        glow.setColorAt(0.5, colour::kAccent);
        glow.setColorAt(1.0, QColor(0x33, 0xff, 0xff, 0));
        p.setBrush(glow);
        p.drawEllipse(lamp, 6, 6);
    } else {
        p.setBrush(QColor(0x15, 0x16, 0x18));
        p.drawEllipse(lamp, 3, 3);
    }

    const QColor ink = selected ? colour::kTextLight : QColor(0xb4, 0xba, 0xc0);
    double textLeft = key.left() + 18;
    if (glyph != Glyph::None) {
        DrawGlyph(p, QRectF(textLeft, key.center().y() - 7, 18, 14), glyph,
                  selected ? colour::kAccent : QColor(0x8d, 0x94, 0x9b));
        textLeft += 22;
    }
    DrawText(p, QRectF(textLeft, key.top(), key.right() - 5 - textLeft, key.height()), text,
             FontOf(Face::Bold, 14, 0.6), ink, Qt::AlignCenter);
    p.restore();
}

// ---- 3. Microphone, foot controller, speaker cabinet -----------------------

void DrawMicrophone(QPainter& p, const QRectF& f) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double cy = f.center().y();
    const double h = f.height();
    // Cable stub and XLR end on the left, body, then the grille pointing right.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x14, 0x15, 0x17));
    p.drawRoundedRect(QRectF(f.left() + 1, cy - h * 0.12, f.width() * 0.14, h * 0.24), 2, 2);
    QLinearGradient body(QPointF(0, cy - h * 0.25), QPointF(0, cy + h * 0.25));
    body.setColorAt(0.0, QColor(0x6a, 0x6e, 0x75));
    body.setColorAt(0.4, QColor(0x2c, 0x2e, 0x32));
    body.setColorAt(1.0, QColor(0x15, 0x16, 0x18));
    QPainterPath shell;
    shell.moveTo(f.left() + f.width() * 0.13, cy - h * 0.2);
    shell.lineTo(f.left() + f.width() * 0.56, cy - h * 0.27);
    shell.lineTo(f.left() + f.width() * 0.56, cy + h * 0.27);
    shell.lineTo(f.left() + f.width() * 0.13, cy + h * 0.2);
    shell.closeSubpath();
    p.setBrush(body);
    p.setPen(QPen(QColor(0x0a, 0x0a, 0x0b), 0.8));
    p.drawPath(shell);
    // Accent ring where body meets grille.
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kAccent);
    p.drawRect(QRectF(f.left() + f.width() * 0.54, cy - h * 0.29, f.width() * 0.05, h * 0.58));
    // Grille.
    const QRectF grille(f.left() + f.width() * 0.58, cy - h * 0.36, f.width() * 0.40, h * 0.72);
    QRadialGradient mesh(grille.center() - QPointF(0, h * 0.12), grille.width() * 0.8);
    mesh.setColorAt(0.0, QColor(0xe8, 0xea, 0xec));
    mesh.setColorAt(0.7, QColor(0x8a, 0x8f, 0x96));
    mesh.setColorAt(1.0, QColor(0x4a, 0x4d, 0x52));
    p.setBrush(mesh);
    p.setPen(QPen(QColor(0x2a, 0x2c, 0x30), 0.8));
    p.drawRoundedRect(grille, grille.height() * 0.45, grille.height() * 0.45);
    p.setPen(QPen(QColor(0x3a, 0x3d, 0x42, 150), 0.6));
    for (int i = 1; i < 6; ++i) {
        const double x = grille.left() + grille.width() * i / 6.0;
        p.drawLine(QPointF(x, grille.top() + 2), QPointF(x, grille.bottom() - 2));
    }
    p.restore();
}

void DrawFootController(QPainter& p, const QRectF& f) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = f.adjusted(4, 6, -4, -6);
    // Shadow and graphite enclosure.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRoundedRect(box.translated(0, 4), 14, 14);
    QLinearGradient shell(box.topLeft(), box.bottomLeft());
    shell.setColorAt(0.0, QColor(0x4a, 0x4e, 0x55));
    shell.setColorAt(1.0, QColor(0x23, 0x25, 0x29));
    p.setBrush(shell);
    p.setPen(QPen(QColor(0x0c, 0x0d, 0x0e), 1.5));
    p.drawRoundedRect(box, 14, 14);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1.0));
    p.drawLine(QPointF(box.left() + 14, box.top() + 2), QPointF(box.right() - 14, box.top() + 2));

    // Display and name on the left.
    const QRectF lcd(box.left() + 18, box.top() + 16, 92, 40);
    DrawSevenSegment(p, lcd, "12");
    DrawText(p, QRectF(box.left() + 14, box.bottom() - 38, 120, 18), "PELLORY", FontOf(Face::Bold, 16, 2.0),
             colour::kAccent, Qt::AlignLeft | Qt::AlignVCenter);
    DrawText(p, QRectF(box.left() + 14, box.bottom() - 20, 140, 14), "MIDI FOOT CONTROLLER",
             FontOf(Face::Body, 9, 0.8), colour::kTextMuted, Qt::AlignLeft | Qt::AlignVCenter);

    // Four switches, each with its LED and number.
    for (int i = 0; i < 4; ++i) {
        const double cx = box.left() + 200 + i * 82;
        DrawLed(p, QRectF(cx - 5, box.top() + 10, 10, 10), i == 1);
        DrawFootswitch(p, QRectF(cx - 30, box.top() + 26, 60, 60), false);
        DrawText(p, QRectF(cx - 20, box.bottom() - 18, 40, 14), QString::number(i + 1),
                 FontOf(Face::Bold, 12), colour::kTextLight, Qt::AlignCenter);
    }
    p.restore();
}

void DrawSpeakerCabinet(QPainter& p, const QRectF& f) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    // Tolex-covered box with piping.
    p.setPen(QPen(QColor(0x05, 0x05, 0x06), 2));
    p.setBrush(QColor(0x1a, 0x1a, 0x1c));
    p.drawRoundedRect(f, 10, 10);
    const QRectF baffle = f.adjusted(12, 12, -12, -30);
    p.setPen(QPen(colour::kAluMid, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(baffle.adjusted(-3, -3, 3, 3), 5, 5);

    // Grille cloth with a fine weave.
    QLinearGradient cloth(baffle.topLeft(), baffle.bottomLeft());
    cloth.setColorAt(0.0, QColor(0x3d, 0x3a, 0x34));
    cloth.setColorAt(1.0, QColor(0x24, 0x22, 0x1f));
    p.setPen(Qt::NoPen);
    p.setBrush(cloth);
    p.drawRect(baffle);
    p.setPen(QPen(QColor(0xc8, 0xb8, 0x90, 24), 0.8));
    for (double x = baffle.left() + 3; x < baffle.right(); x += 4)
        p.drawLine(QPointF(x, baffle.top()), QPointF(x, baffle.bottom()));
    for (double y = baffle.top() + 3; y < baffle.bottom(); y += 4)
        p.drawLine(QPointF(baffle.left(), y), QPointF(baffle.right(), y));

    // Two speakers showing faintly through the cloth.
    const double r = std::min(baffle.width() / 4.4, baffle.height() / 2.3);
    for (int i = 0; i < 2; ++i) {
        const QPointF c(baffle.left() + baffle.width() * (i ? 0.73 : 0.27), baffle.center().y());
        QRadialGradient cone(c, r);
        cone.setColorAt(0.0, QColor(0, 0, 0, 40));
        cone.setColorAt(0.25, QColor(0, 0, 0, 90));
        cone.setColorAt(0.9, QColor(0, 0, 0, 60));
        cone.setColorAt(1.0, QColor(0, 0, 0, 0));
        p.setBrush(cone);
        p.setPen(Qt::NoPen);
        p.drawEllipse(c, r, r);
        p.setPen(QPen(QColor(0, 0, 0, 70), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, r * 0.3, r * 0.3);
    }
    // Badge.
    const QRectF badge(baffle.center().x() - 40, baffle.bottom() - 24, 80, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x10, 0x10, 0x11));
    p.drawRoundedRect(badge, 3, 3);
    DrawText(p, badge, "BRENNIX", FontOf(Face::Bold, 10, 2.0), colour::kAluLight);
    // Corner protectors.
    for (QPointF c : {f.topLeft(), f.topRight(), f.bottomLeft(), f.bottomRight()}) {
        p.setPen(QPen(QColor(0, 0, 0), 1));
        p.setBrush(colour::kAluDark);
        const QPointF d((c.x() < f.center().x()) ? 8 : -8, (c.y() < f.center().y()) ? 8 : -8);
        p.drawEllipse(c + d, 6, 6);
    }
    DrawText(p, QRectF(f.left(), f.bottom() - 26, f.width(), 20), "2 x 12\"  CABINET",
             FontOf(Face::Bold, 11, 1.5), colour::kTextMuted);
    p.restore();
}

} // namespace tolvane::art
