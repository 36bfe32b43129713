#pragma once
// The one palette and the three faces every picture is drawn with, plus the
// small painting helpers the pictures share (metal, screws, text, panels).

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace tolvane::art {

namespace colour {
// Program chrome: graphite surfaces with the cyan accent of the editor's texts.
inline const QColor kCanvasTop{0x26, 0x28, 0x2c};
inline const QColor kCanvasBottom{0x15, 0x16, 0x19};
inline const QColor kPanel{0x1d, 0x1f, 0x23};
inline const QColor kPanelEdge{0x3a, 0x3e, 0x44};
inline const QColor kInset{0x11, 0x12, 0x14};
inline const QColor kAccent{0x33, 0xff, 0xff};
inline const QColor kAccentDim{0x1b, 0x8a, 0x8f};
inline const QColor kTextLight{0xe8, 0xec, 0xee};
inline const QColor kTextMuted{0x8d, 0x94, 0x9b};
// Header strip and metal parts: brushed aluminium.
inline const QColor kAluLight{0xe4, 0xe6, 0xe9};
inline const QColor kAluMid{0xb4, 0xb8, 0xbd};
inline const QColor kAluDark{0x7c, 0x81, 0x88};
// The pedal's powder-coated enclosure: deep petrol blue.
inline const QColor kPedalLight{0x1b, 0x55, 0x61};
inline const QColor kPedalDark{0x0b, 0x2b, 0x32};
inline const QColor kPedalLegend{0xee, 0xf6, 0xf6};
inline const QColor kLedRed{0xff, 0x3b, 0x2f};
} // namespace colour

enum class Face { Body, Display, Bold };

// Registers the three font files found in fontDir; false when one is missing.
bool LoadFaces(const QString& fontDir);
QFont FontOf(Face face, double pixelSize, double letterSpacing = 0.0);

void DrawText(QPainter& p, const QRectF& r, const QString& text, const QFont& font, const QColor& colour,
              int flags = Qt::AlignCenter);

// A rotation-symmetric machined aluminium knob centred on c (the pointer is
// at twelve o'clock, so rotating the picture turns the knob).
void DrawMetalKnob(QPainter& p, QPointF c, double r);
// Scale marks around a knob from -135 to +135 degrees.
void DrawKnobScale(QPainter& p, QPointF c, double rInner, double rOuter, const QColor& colour);
void DrawScrew(QPainter& p, QPointF c, double r);
// A dark rounded panel with a bevelled edge.
void DrawPanel(QPainter& p, const QRectF& r, double radius, const QColor& fill = colour::kPanel);
void DrawInset(QPainter& p, const QRectF& r, double radius, const QColor& fill = colour::kInset);
// Dims everything beneath an overlay page.
void DrawVeil(QPainter& p, const QRectF& r, int alpha);
// The program's word mark.
void DrawWordMark(QPainter& p, const QRectF& r, double px, const QColor& colour, int flags);

} // namespace tolvane::art
