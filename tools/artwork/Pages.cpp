#include "tools/artwork/Pages.h"

#include "tools/artwork/Parts.h"
#include "tools/artwork/Pedal.h"
#include "tools/artwork/Style.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

// Index
//   1. Main page: header, preset column, pedal stage, section and graph areas
//   2. IR section panel
//   3. Overlay pages: firmware, settings, about

namespace tolvane::art {

namespace {

constexpr double kCanvasW = 1920;
constexpr double kCanvasH = 1200;
constexpr double kHeaderH = 80;

void FillCanvas(QPainter& p, double w, double h) {
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0.0, colour::kCanvasTop);
    g.setColorAt(1.0, colour::kCanvasBottom);
    p.fillRect(QRectF(0, 0, w, h), g);
}

// A small caption in the muted label style, left-aligned.
void Caption(QPainter& p, const QRectF& r, const QString& text,
             int flags = Qt::AlignLeft | Qt::AlignVCenter) {
    DrawText(p, r, text, FontOf(Face::Bold, 13, 1.8), colour::kTextMuted, flags);
}

} // namespace

// ---- 1. Main page ----------------------------------------------------------

namespace {

void DrawHeader(QPainter& p) {
    QLinearGradient alu(0, 0, 0, kHeaderH);
    alu.setColorAt(0.0, colour::kAluLight);
    alu.setColorAt(1.0, colour::kAluMid);
    p.fillRect(QRectF(0, 0, kCanvasW, kHeaderH), alu);
    p.fillRect(QRectF(0, kHeaderH - 2, kCanvasW, 2), QColor(0x0a, 0x0a, 0x0b));
    p.fillRect(QRectF(0, kHeaderH, kCanvasW, 3), colour::kAccentDim);

    DrawWordMark(p, QRectF(24, 8, 300, 46), 40, QColor(0x1c, 0x1e, 0x22), Qt::AlignLeft | Qt::AlignVCenter);
    DrawText(p, QRectF(26, 52, 400, 20), "EDITOR  &  LIBRARIAN", FontOf(Face::Bold, 13, 3.0),
             QColor(0x4a, 0x50, 0x57), Qt::AlignLeft | Qt::AlignVCenter);

    // Status window behind the three connection lines (black text).
    QLinearGradient lcd(0, 4, 0, 76);
    lcd.setColorAt(0.0, QColor(0xd4, 0xe4, 0xe4));
    lcd.setColorAt(1.0, QColor(0xee, 0xf6, 0xf6));
    p.setBrush(lcd);
    p.setPen(QPen(QColor(0x5a, 0x60, 0x66), 1.5));
    p.drawRoundedRect(QRectF(656, 3, 408, 73), 6, 6);
    p.setPen(QPen(QColor(0, 0, 0, 50), 2));
    p.drawLine(QPointF(662, 6), QPointF(1058, 6));

    DrawText(p, QRectF(1200, 10, 696, 30), "BRENNIX  VELUMO  OSTREL", FontOf(Face::Bold, 20, 4.0),
             QColor(0x1c, 0x1e, 0x22), Qt::AlignRight | Qt::AlignVCenter);
    DrawText(p, QRectF(1200, 42, 696, 22), "DIGITAL GUITAR PREAMP  ·  128 PRESETS  ·  IR CABINETS",
             FontOf(Face::Body, 14, 1.5), QColor(0x4a, 0x50, 0x57), Qt::AlignRight | Qt::AlignVCenter);
}

void DrawPresetColumn(QPainter& p) {
    DrawPanel(p, QRectF(-4, 92, 314, 1100), 10);
    Caption(p, QRectF(20, 98, 240, 20), "PRESET NAME");
    DrawInset(p, QRectF(14, 118, 252, 28), 4);
    p.setPen(QPen(colour::kPanelEdge, 1));
    p.drawLine(QPointF(14, 160), QPointF(296, 160));
    // List well: the rows paint their own dark plates; the scroll bar rides
    // in the slot on the right.
    DrawInset(p, QRectF(0, 224, 303, 958), 4, QColor(0x0c, 0x0d, 0x0e));
}

void DrawStage(QPainter& p) {
    // A faint spot light on the desk under the pedal.
    QRadialGradient spot(QPointF(1138, 330), 760);
    spot.setColorAt(0.0, QColor(255, 255, 255, 20));
    spot.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(312, 84, 1608, 556), spot);
    DrawPedal(p, false);
}

void DrawSectionArea(QPainter& p) {
    DrawPanel(p, QRectF(322, 646, 850, 540), 12);
}

void DrawGraphArea(QPainter& p) {
    DrawPanel(p, QRectF(1180, 648, 704, 514), 12);
    DrawInset(p, QRectF(1196, 682, 680, 456), 6, QColor(0x0b, 0x0c, 0x0d));
    Caption(p, QRectF(1200, 654, 140, 24), "RESPONSE");
}

} // namespace

void DrawMainBackground(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    FillCanvas(p, kCanvasW, kCanvasH);
    DrawStage(p);
    DrawHeader(p);
    DrawPresetColumn(p);
    DrawSectionArea(p);
    DrawGraphArea(p);
}

// ---- 2. IR section panel -----------------------------------------------------

void DrawIrPanel(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF all(0, 0, 630, 460);
    DrawPanel(p, all.adjusted(1, 1, -1, -1), 10, QColor(0x18, 0x1a, 0x1d));

    // Nine list plates; rows 7 and 8 are the two user slots.
    for (int i = 0; i < 9; ++i) {
        const QRectF row(58, 8 + 50 * i, 244, 43);
        const bool user = i >= 7;
        DrawInset(p, row, 5, QColor(0x26, 0x26, 0x26));
        p.setPen(Qt::NoPen);
        p.setBrush(user ? colour::kAccentDim : QColor(0x3a, 0x3e, 0x44));
        p.drawRoundedRect(QRectF(row.left() - 40, row.top() + 8, 34, row.height() - 16), 4, 4);
        DrawText(p, QRectF(row.left() - 40, row.top(), 34, row.height()), QString::number(i),
                 FontOf(Face::Bold, 15), user ? colour::kTextLight : colour::kTextMuted);
    }

    // The cabinet the factory responses were taken from.
    DrawSpeakerCabinet(p, QRectF(330, 18, 272, 230));
    Caption(p, QRectF(318, 270, 300, 18), "0  FLAT     1 – 8  FACTORY CABINETS", Qt::AlignCenter);
    Caption(p, QRectF(318, 292, 300, 18), "7 AND 8 CAN HOLD YOUR OWN IRS", Qt::AlignCenter);

    // Column heads for the two user rows.
    p.setPen(QPen(colour::kPanelEdge, 1));
    p.drawLine(QPointF(312, 334), QPointF(620, 334));
    const QFont head = FontOf(Face::Bold, 12, 1.5);
    DrawText(p, QRectF(306, 338, 70, 18), "MODE", head, colour::kTextMuted);
    DrawText(p, QRectF(376, 338, 50, 18), "GAIN", head, colour::kTextMuted);
    DrawText(p, QRectF(456, 338, 70, 18), "LEVEL", head, colour::kTextMuted);
    DrawText(p, QRectF(548, 338, 84, 18), "WAV FILE", head, colour::kTextMuted);
    for (int i = 0; i < 2; ++i) {
        const double y = 365 + 50 * i;
        DrawInset(p, QRectF(466, y + 4, 60, 32), 4, QColor(0x0e, 0x0f, 0x10));
        DrawText(p, QRectF(300, y + 31, 82, 12), "FACTORY   USER", FontOf(Face::Bold, 8.5, 0.6),
                 colour::kTextMuted, Qt::AlignCenter);
    }
}

// The slot of the IR selector slider, with one notch per list row; the IR
// section shows it at (374, 713), so the other sections stay clear of it.
void DrawIrSlot(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    DrawInset(p, QRectF(20, 4, 10, 432), 5);
    for (int i = 0; i < 9; ++i) {
        const double y = 21 + 50 * i;
        p.setPen(QPen(colour::kTextMuted, 1.5));
        p.drawLine(QPointF(6, y), QPointF(14, y));
        p.drawLine(QPointF(36, y), QPointF(44, y));
    }
}

// ---- 3. Overlay pages --------------------------------------------------------

namespace {

void DrawDialog(QPainter& p, const QRectF& r, const QString& title) {
    p.setPen(Qt::NoPen);
    for (int i = 16; i > 0; --i) {
        p.setBrush(QColor(0, 0, 0, 10));
        p.drawRoundedRect(r.adjusted(-i, -i, i, i + 6), 16 + i, 16 + i);
    }
    DrawPanel(p, r, 16, QColor(0x20, 0x22, 0x26));
    // Title with a short accent rule; the rest of the top edge is left free
    // for the close and back buttons the pages put there.
    DrawText(p, QRectF(r.left() + 28, r.top() + 10, 600, 40), title, FontOf(Face::Bold, 24, 3.0),
             colour::kTextLight, Qt::AlignLeft | Qt::AlignVCenter);
    p.setPen(QPen(colour::kAccent, 3));
    p.drawLine(QPointF(r.left() + 28, r.top() + 54), QPointF(r.left() + 120, r.top() + 54));
}

void Step(QPainter& p, double x, double y, int n, const QString& text) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kAccentDim);
    p.drawEllipse(QPointF(x + 12, y + 12), 12, 12);
    DrawText(p, QRectF(x, y, 24, 24), QString::number(n), FontOf(Face::Bold, 14), colour::kTextLight);
    DrawText(p, QRectF(x + 36, y - 2, 760, 28), text, FontOf(Face::Body, 19), colour::kTextLight,
             Qt::AlignLeft | Qt::AlignVCenter);
}

} // namespace

void DrawFirmwarePage(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawVeil(p, QRectF(0, 0, 1920, 1080), 215);
    const QRectF dlg(700, 250, 900, 690);
    DrawDialog(p, dlg, "FIRMWARE UPDATE");

    Step(p, 716, 318, 1, "Download the newest firmware file (.ldr) for your pedal from:");
    DrawInset(p, QRectF(744, 344, 280, 34), 5, QColor(0x12, 0x14, 0x16));
    Step(p, 716, 398, 2, "Connect the Velumo Ostrel and make sure the editor is connected.");
    Step(p, 716, 440, 3, "Press UPDATE FIRMWARE and choose the downloaded file.");
    Step(p, 716, 482, 4, "Wait for 100 %. Keep the pedal powered and the cable plugged in.");

    // Warning strip.
    const QRectF warn(730, 540, 840, 56);
    p.setPen(QPen(QColor(0xff, 0xb3, 0x2e), 1.5));
    p.setBrush(QColor(0x3a, 0x2c, 0x12));
    p.drawRoundedRect(warn, 8, 8);
    DrawText(p, warn.adjusted(20, 0, -20, 0),
             "Do not disconnect the pedal or close Tolvane while an update is running.",
             FontOf(Face::Body, 18), QColor(0xff, 0xd9, 0x8a), Qt::AlignLeft | Qt::AlignVCenter);

    // The pedal being updated, and the well for the progress dial.
    p.save();
    p.translate(736, 628);
    p.scale(0.27, 0.27);
    p.translate(-kPedalBody.left(), -kPedalBody.top());
    DrawPedal(p, true);
    p.restore();
    Caption(p, QRectF(736, 784, 250, 18), "VELUMO OSTREL", Qt::AlignCenter);
    DrawInset(p, QRectF(1000, 722, 200, 170), 10, QColor(0x14, 0x15, 0x17));
    Caption(p, QRectF(1230, 780, 320, 18), "PROGRESS", Qt::AlignLeft | Qt::AlignVCenter);
}

void DrawSettingsPage(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawVeil(p, QRectF(0, 0, 1920, 1080), 215);
    // The same backdrop serves the settings page and both controller pages, so
    // its title names the device rather than one page.
    const QRectF dlg(724, 196, 826, 660);
    DrawDialog(p, dlg, "OSTREL SETUP");
    Caption(p, QRectF(dlg.left() + 28, dlg.bottom() - 36, 300, 20), "BRENNIX  VELUMO  OSTREL");
    Caption(p, QRectF(dlg.right() - 328, dlg.bottom() - 36, 300, 20), "TOLVANE",
            Qt::AlignRight | Qt::AlignVCenter);
}

void DrawAboutPage(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawVeil(p, QRectF(0, 0, 1920, 1200), 225);
    const QRectF dlg(500, 200, 920, 820);
    p.setPen(Qt::NoPen);
    for (int i = 16; i > 0; --i) {
        p.setBrush(QColor(0, 0, 0, 10));
        p.drawRoundedRect(dlg.adjusted(-i, -i, i, i + 6), 16 + i, 16 + i);
    }
    DrawPanel(p, dlg, 18, QColor(0x1d, 0x1f, 0x23));

    // Word mark with the version (drawn by the editor) just to its right.
    DrawWordMark(p, QRectF(560, 292, 706, 84), 80, colour::kTextLight, Qt::AlignRight | Qt::AlignVCenter);
    p.setPen(QPen(colour::kAccent, 4));
    p.drawLine(QPointF(560, 388), QPointF(1360, 388));
    DrawText(p, QRectF(560, 398, 800, 30), "Editor and librarian for the Brennix Velumo Ostrel",
             FontOf(Face::Body, 22), colour::kTextMuted, Qt::AlignLeft | Qt::AlignVCenter);

    p.save();
    p.translate(590, 452);
    p.scale(0.80, 0.80);
    p.translate(-kPedalBody.left(), -kPedalBody.top());
    DrawPedal(p, true);
    p.restore();

    const QFont small = FontOf(Face::Body, 16);
    DrawText(
        p, QRectF(560, 900, 800, 24),
        "Fonts: Roboto and Roboto Condensed (Apache License 2.0), DSEG7 Classic (SIL Open Font License 1.1).",
        small, colour::kTextMuted, Qt::AlignLeft | Qt::AlignVCenter);
    DrawText(p, QRectF(560, 926, 800, 24), "Artwork, impulse responses and manual made for this program.",
             small, colour::kTextMuted, Qt::AlignLeft | Qt::AlignVCenter);
    DrawText(p, QRectF(560, 970, 800, 24), "CLICK ANYWHERE TO CLOSE", FontOf(Face::Bold, 14, 3.0),
             colour::kAccent, Qt::AlignCenter);
}

} // namespace tolvane::art
