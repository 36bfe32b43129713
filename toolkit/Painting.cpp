#include "toolkit/Painting.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>

#include <algorithm>

namespace tolvane {

namespace {

int TextFlags(const TextStyle& style) {
    int flags = Qt::TextSingleLine | Qt::TextDontClip;
    flags |= style.align == HAlign::Near  ? Qt::AlignLeft
             : style.align == HAlign::Far ? Qt::AlignRight
                                          : Qt::AlignHCenter;
    flags |= style.valign == VAlign::Top      ? Qt::AlignTop
             : style.valign == VAlign::Bottom ? Qt::AlignBottom
                                              : Qt::AlignVCenter;
    return flags;
}

} // namespace

Rect StyledTextBounds(const QFont& font, const TextStyle& style, const std::string& text, const Rect& rect) {
    if (text.empty() || style.angle != 0.f) return rect;
    const QRectF box =
        QFontMetricsF(font).boundingRect(ToQRectF(rect), TextFlags(style), QString::fromStdString(text));
    return Rect{float(box.left()), float(box.top()), float(box.right()), float(box.bottom())};
}

void DrawStyledText(QPainter& p, const QFont& font, const TextStyle& style, const std::string& text,
                    const Rect& rect) {
    if (text.empty() || style.colour.a == 0) return;
    const int flags = TextFlags(style);
    p.setFont(font);
    p.setPen(ToQColor(style.colour));
    if (style.angle != 0.f) {
        p.save();
        p.translate(rect.MW(), rect.MH());
        p.rotate(style.angle);
        p.drawText(QRectF(-rect.W() / 2, -rect.H() / 2, rect.W(), rect.H()), flags,
                   QString::fromStdString(text));
        p.restore();
        return;
    }
    p.drawText(ToQRectF(rect), flags, QString::fromStdString(text));
}

std::string ElideRight(const QFont& font, const std::string& text, float width) {
    const std::size_t end = text.find_last_not_of(' ');
    const QString trimmed = QString::fromStdString(end == std::string::npos ? std::string() : text.substr(0, end + 1));
    return QFontMetricsF(font).elidedText(trimmed, Qt::ElideRight, width).toStdString();
}

void DrawDottedLine(QPainter& p, Colour colour, float x1, float y1, float x2, float y2, float thickness,
                    float dash) {
    QPen pen(ToQColor(colour), thickness);
    pen.setCapStyle(Qt::FlatCap);
    // Qt measures dash patterns in pen widths.
    const qreal unit = std::max<qreal>(dash / thickness, 0.1);
    pen.setDashPattern({unit, unit});
    p.setPen(pen);
    p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void DrawVectorBox(QPainter& p, const VectorStyle& style, const Rect& rect, Colour face, bool pressed) {
    const float radius = style.roundness * std::min(rect.W(), rect.H()) / 2.f;
    QRectF r = ToQRectF(rect);
    if (style.drawShadows && !pressed && style.shadowOffset > 0.f && style.Get(kShadow).a > 0) {
        p.setPen(Qt::NoPen);
        p.setBrush(ToQColor(style.Get(kShadow)));
        p.drawRoundedRect(r.translated(style.shadowOffset, style.shadowOffset), radius, radius);
    }
    if (pressed && style.drawShadows) r.translate(style.shadowOffset / 2, style.shadowOffset / 2);
    p.setPen(Qt::NoPen);
    if (style.emboss && face.a > 0) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        const QColor c = ToQColor(face);
        g.setColorAt(0, pressed ? c.darker(115) : c.lighter(125));
        g.setColorAt(1, pressed ? c.lighter(105) : c.darker(125));
        p.setBrush(g);
    } else {
        p.setBrush(ToQColor(face));
    }
    p.drawRoundedRect(r, radius, radius);
    if (style.drawFrame && style.frameThickness > 0.f && style.Get(kFrame).a > 0) {
        const qreal h = style.frameThickness / 2;
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ToQColor(style.Get(kFrame)), style.frameThickness));
        p.drawRoundedRect(r.adjusted(h, h, -h, -h), std::max<qreal>(radius - h, 0),
                          std::max<qreal>(radius - h, 0));
    }
}

} // namespace tolvane

#include "toolkit/Bitmap.h"

namespace tolvane {

void DrawBitmapFrame(QPainter& p, const Bitmap& bitmap, const Rect& dest, int frame) {
    if (!bitmap.IsValid()) return;
    frame = std::clamp(frame, 0, bitmap.N() - 1);
    const qreal rs = bitmap.ResourceScale();
    const qreal fw = bitmap.FW() * rs, fh = bitmap.FH() * rs;
    const QRectF source =
        bitmap.FramesAreHorizontal() ? QRectF(frame * fw, 0, fw, fh) : QRectF(0, frame * fh, fw, fh);
    p.drawPixmap(ToQRectF(dest), bitmap.Pixmap(), source);
}

} // namespace tolvane
