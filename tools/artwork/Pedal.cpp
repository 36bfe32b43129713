#include "tools/artwork/Pedal.h"

#include "tools/artwork/Parts.h"
#include "tools/artwork/Style.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace tolvane::art {

namespace {

struct KnobSpot {
    QPointF centre;
    double radius;
    const char* label;
    bool labelAbove;
};

// Where the editor places the pedal's knobs, switches and display.
constexpr double kSmallKnob = 51;
constexpr double kBigKnob = 65;
const KnobSpot kKnobs[] = {
    {{770, 189}, kSmallKnob, "DRIVE", true},        {{913, 190}, kSmallKnob, "LOW", true},
    {{1055.5, 191}, kSmallKnob, "MID", true},       {{1198.5, 191}, kSmallKnob, "HIGH", true},
    {{1342, 191}, kSmallKnob, "REVERB", true},      {{984.5, 347.5}, kSmallKnob, "GATE", false},
    {{1127.5, 347.5}, kSmallKnob, "FILTER", false}, {{769.5, 349.5}, kBigKnob, "LEVEL", false},
};
const QRectF kDisplay{1255, 315, 128, 88};
const QRectF kLed{1172, 260, 16, 16};
const QRectF kSave{869, 314, 38, 76};
const QSizeF kSwitch{75, 85};
const QPointF kFilterSwitch{1459, 322};
struct SwitchSpot {
    QPointF topLeft;
    const char* label;
    int arrow; // -1 down, 0 none, +1 up
};
const SwitchSpot kFootSwitches[] = {
    {{733, 486}, "DOWN", -1}, {{1100, 486}, "SELECT", 0}, {{1460, 486}, "UP", 1}};

void DrawEnclosure(QPainter& p) {
    const QRectF b = kPedalBody;
    // Soft shadow on the desk.
    p.setPen(Qt::NoPen);
    for (int i = 12; i > 0; --i) {
        p.setBrush(QColor(0, 0, 0, 14));
        p.drawRoundedRect(b.adjusted(-i, -i * 0.4, i, i * 1.6).translated(0, 8), 26 + i, 26 + i);
    }
    // Jack sockets on the sides.
    for (double x : {b.left() - 16, b.right()}) {
        QLinearGradient jack(QPointF(0, 168), QPointF(0, 214));
        jack.setColorAt(0.0, colour::kAluLight);
        jack.setColorAt(1.0, colour::kAluDark);
        p.setBrush(jack);
        p.setPen(QPen(QColor(0x20, 0x22, 0x25), 1));
        p.drawRoundedRect(QRectF(x, 168, 16, 46), 3, 3);
    }
    // Powder-coated body with a bevel.
    QLinearGradient body(b.topLeft(), b.bottomRight());
    body.setColorAt(0.0, colour::kPedalLight);
    body.setColorAt(1.0, colour::kPedalDark);
    p.setBrush(body);
    p.setPen(QPen(QColor(0x03, 0x10, 0x13), 2));
    p.drawRoundedRect(b, 26, 26);
    QLinearGradient bevel(b.topLeft(), b.bottomLeft());
    bevel.setColorAt(0.0, QColor(255, 255, 255, 70));
    bevel.setColorAt(0.5, QColor(255, 255, 255, 10));
    bevel.setColorAt(1.0, QColor(0, 0, 0, 90));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(bevel), 3));
    p.drawRoundedRect(b.adjusted(3, 3, -3, -3), 23, 23);
    // Broad sheen across the top.
    QRadialGradient sheen(QPointF(b.center().x(), b.top() - 80), b.width() * 0.7);
    sheen.setColorAt(0.0, QColor(255, 255, 255, 34));
    sheen.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sheen);
    p.drawRoundedRect(b.adjusted(4, 4, -4, -4), 22, 22);

    for (QPointF s : {b.topLeft() + QPointF(18, 18), b.topRight() + QPointF(-18, 18),
                      b.bottomLeft() + QPointF(18, -18), b.bottomRight() + QPointF(-18, -18)})
        DrawScrew(p, s, 6);
}

void DrawLegends(QPainter& p) {
    const QColor ink = colour::kPedalLegend;
    const QFont label = FontOf(Face::Bold, 17, 1.6);
    for (const KnobSpot& k : kKnobs) {
        DrawKnobScale(p, k.centre, k.radius + 5, k.radius + 11, QColor(0xee, 0xf6, 0xf6, 200));
        const double gap = k.radius + (k.labelAbove ? 34 : -6);
        const QRectF r = k.labelAbove ? QRectF(k.centre.x() - 60, k.centre.y() - gap, 120, 22)
                                      : QRectF(k.centre.x() - 60, k.centre.y() + gap, 120, 22);
        DrawText(p, r, k.label, label, ink);
    }
    DrawText(p, QRectF(kDisplay.left(), kDisplay.top() - 34, kDisplay.width(), 20), "PRESET", label, ink);
    DrawText(p, QRectF(kSave.center().x() - 40, kSave.bottom() + 6, 80, 20), "SAVE", label, ink);
    DrawText(
        p, QRectF(kFilterSwitch.x() - 20, kFilterSwitch.y() + kSwitch.height() + 2, kSwitch.width() + 40, 20),
        "FILTER", label, ink);

    // Footswitch row: a divider, then each switch's caption with an arrow.
    p.setPen(QPen(QColor(0, 0, 0, 90), 2));
    p.drawLine(QPointF(kPedalBody.left() + 30, 462), QPointF(kPedalBody.right() - 30, 462));
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    p.drawLine(QPointF(kPedalBody.left() + 30, 464), QPointF(kPedalBody.right() - 30, 464));
    for (const SwitchSpot& s : kFootSwitches) {
        const double cx = s.topLeft.x() + kSwitch.width() / 2;
        const double y = s.topLeft.y() + kSwitch.height() + 2;
        DrawText(p, QRectF(cx - 60, y, 120, 20), s.label, label, ink);
        if (s.arrow != 0) {
            const double ay = y + 10, ax = cx - 46;
            QPainterPath tri;
            tri.moveTo(ax - 6, ay + 4 * s.arrow);
            tri.lineTo(ax + 6, ay + 4 * s.arrow);
            tri.lineTo(ax, ay - 5 * s.arrow);
            tri.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawPath(tri);
        }
    }

    // Maker and model between the footswitches; model badge at the top right.
    DrawText(p, QRectF(820, 496, 268, 30), "VELUMO", FontOf(Face::Bold, 30, 7.0), ink);
    DrawText(p, QRectF(820, 530, 268, 22), "OSTREL  PREAMP", FontOf(Face::Bold, 15, 4.0),
             QColor(0x9f, 0xe9, 0xec));
    DrawText(p, QRectF(1186, 504, 262, 40), "BRENNIX", FontOf(Face::Bold, 28, 8.0), ink);
    DrawText(p, QRectF(1418, 112, 164, 20), "BRENNIX", FontOf(Face::Bold, 14, 4.0), QColor(0x9f, 0xe9, 0xec));
    DrawText(p, QRectF(1418, 136, 164, 36), "VELUMO", FontOf(Face::Bold, 30, 2.0), ink);
    DrawText(p, QRectF(1418, 172, 164, 22), "OSTREL", FontOf(Face::Bold, 19, 6.0), ink);
    p.setPen(QPen(colour::kAccent, 2));
    p.drawLine(QPointF(1450, 202), QPointF(1550, 202));
    DrawText(p, QRectF(1418, 210, 164, 40), "DIGITAL GUITAR\nPREAMP  ·  IR CAB", FontOf(Face::Body, 11, 1.2),
             QColor(0xcf, 0xe4, 0xe6));
    DrawText(p, QRectF(kPedalBody.left() - 4, 216, 30, 14), "IN", FontOf(Face::Bold, 10), ink);
    DrawText(p, QRectF(kPedalBody.right() - 26, 216, 30, 14), "OUT", FontOf(Face::Bold, 10), ink);
}

} // namespace

void DrawPedal(QPainter& p, bool withHardware) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawEnclosure(p);
    DrawLegends(p);
    // The display window and the LED bezel are part of the face.
    DrawSevenSegment(p, kDisplay, withHardware ? "01" : "");
    DrawLed(p, kLed, false);
    if (withHardware) {
        for (const KnobSpot& k : kKnobs)
            DrawMetalKnob(p, k.centre, k.radius - 4);
        for (const SwitchSpot& s : kFootSwitches)
            DrawFootswitch(p, QRectF(s.topLeft, kSwitch), false);
        DrawFootswitch(p, QRectF(kFilterSwitch, kSwitch), false);
        DrawSaveButton(p, QRectF(kSave), false);
        DrawLed(p, kLed, true);
    }
    p.restore();
}

} // namespace tolvane::art
