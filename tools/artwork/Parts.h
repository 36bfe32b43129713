#pragma once
// Pictures of single pieces of hardware, each drawn into the rectangle of one
// bitmap frame so that the same code serves the bitmaps and the illustrations.

#include <QPainter>
#include <QRectF>
#include <QString>

namespace tolvane::art {

void DrawFootswitch(QPainter& p, const QRectF& frame, bool pressed);
void DrawSaveButton(QPainter& p, const QRectF& frame, bool pressed);
void DrawLed(QPainter& p, const QRectF& frame, bool lit);
void DrawSevenSegment(QPainter& p, const QRectF& window, const QString& digits);

// Selector keys of the section pages; glyph draws a small symbol at the
// left of the key (may be empty).
enum class Glyph { None, Room, Hall, Spring, Plate, Chorus };
void DrawSelectorKey(QPainter& p, const QRectF& frame, const QString& text, Glyph glyph, bool selected);

void DrawMicrophone(QPainter& p, const QRectF& frame);
void DrawFootController(QPainter& p, const QRectF& frame);
void DrawSpeakerCabinet(QPainter& p, const QRectF& frame);

} // namespace tolvane::art
