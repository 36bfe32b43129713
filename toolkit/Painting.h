#pragma once
// Small drawing helpers shared by the controls: colour and rect conversion,
// styled text, dotted lines and the vector-style box.

#include "core/EditorSeam.h"
#include "toolkit/Rect.h"
#include "toolkit/Styles.h"

#include <QColor>
#include <QFont>
#include <QRectF>

#include <string>

class QPainter;

namespace tolvane {

inline QColor ToQColor(Colour c) {
    return QColor(c.r, c.g, c.b, c.a);
}
inline QRectF ToQRectF(const Rect& r) {
    return QRectF(r.L, r.T, r.W(), r.H());
}

// The box the text of DrawStyledText covers; it may reach past rect when the
// text is longer or taller than rect. Rotated text gives rect itself.
// The text cut to fit the width, ending in "…" when it had to be cut;
// trailing spaces are dropped first.
std::string ElideRight(const QFont& font, const std::string& text, float width);
Rect StyledTextBounds(const QFont& font, const TextStyle& style, const std::string& text, const Rect& rect);
// One line of text inside rect, aligned as the style says.
void DrawStyledText(QPainter& p, const QFont& font, const TextStyle& style, const std::string& text,
                    const Rect& rect);
// A dotted line whose dashes and gaps are dash canvas units long.
void DrawDottedLine(QPainter& p, Colour colour, float x1, float y1, float x2, float y2, float thickness,
                    float dash);
// The framed, optionally shadowed and embossed box of a vector control.
void DrawVectorBox(QPainter& p, const VectorStyle& style, const Rect& rect, Colour face, bool pressed);

} // namespace tolvane

namespace tolvane {
class Bitmap;
// Frame `frame` of a bitmap strip drawn into dest (canvas units).
void DrawBitmapFrame(QPainter& p, const Bitmap& bitmap, const Rect& dest, int frame);
} // namespace tolvane
