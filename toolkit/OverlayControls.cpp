#include "toolkit/OverlayControls.h"

#include "toolkit/Canvas.h"
#include "toolkit/Painting.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace tolvane {

namespace {
const Colour kMenuBackground{245, 40, 40, 40};
const Colour kMenuHighlight{255, 80, 80, 80};
const Colour kMenuText{255, 235, 235, 235};
constexpr float kTickWidth = 30.f;
constexpr float kMenuPadding = 6.f;
} // namespace

// ---- PopupMenuControl --------------------------------------------------------

PopupMenuControl::PopupMenuControl(const Rect& canvas) : Control(canvas) {
    SetHidden(true);
}

void PopupMenuControl::Open(std::vector<PopupMenuItem> items, const Rect& anchor,
                             std::function<void(int)> chosen) {
    items_ = std::move(items);
    chosen_ = std::move(chosen);
    hovered_ = -1;
    const Rect canvas = GetRect();
    // Long lists wrap into columns so every item stays on the canvas.
    const int maxRows = std::max(1, int((canvas.H() - 2 * kMenuPadding) / kRowHeight));
    rowsPerColumn_ = std::min(std::max(1, NItems()), maxRows);
    const int columns = (NItems() + rowsPerColumn_ - 1) / rowsPerColumn_;
    const float w = columns * kColumnWidth + 2 * kMenuPadding;
    const float h = rowsPerColumn_ * kRowHeight + 2 * kMenuPadding;
    float left = std::clamp(anchor.L, canvas.L, std::max(canvas.L, canvas.R - w));
    float top = anchor.B;
    if (top + h > canvas.B) top = std::max(canvas.T, anchor.T - h);
    if (top + h > canvas.B) top = std::max(canvas.T, canvas.B - h);
    menuRect_ = Rect(left, top, left + w, top + h);
    SetHidden(false);
    MarkDirty(false);
}

void PopupMenuControl::Close() {
    MarkDirty(false);
    SetHidden(true);
    chosen_ = nullptr;
}

Rect PopupMenuControl::ItemRect(int i) const {
    const int column = i / rowsPerColumn_, row = i % rowsPerColumn_;
    const float l = menuRect_.L + kMenuPadding + column * kColumnWidth;
    const float t = menuRect_.T + kMenuPadding + row * kRowHeight;
    return Rect(l, t, l + kColumnWidth, t + kRowHeight);
}

int PopupMenuControl::ItemAt(float x, float y) const {
    for (int i = 0; i < NItems(); ++i) {
        if (ItemRect(i).Contains(x, y)) return i;
    }
    return -1;
}

void PopupMenuControl::OnMouseDown(float x, float y, const MouseModifiers&) {
    const int item = ItemAt(x, y);
    auto chosen = std::move(chosen_);
    Close();
    if (item >= 0 && chosen) chosen(item);
}

void PopupMenuControl::OnMouseOver(float x, float y, const MouseModifiers& mod) {
    Control::OnMouseOver(x, y, mod);
    const int item = ItemAt(x, y);
    if (item != hovered_) {
        hovered_ = item;
        MarkDirty(false);
    }
}

void PopupMenuControl::Draw(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRoundedRect(ToQRectF(menuRect_).translated(4, 4), 6, 6);
    p.setBrush(ToQColor(kMenuBackground));
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.drawRoundedRect(ToQRectF(menuRect_), 6, 6);
    TextStyle text{kTextSize, kMenuText, "", HAlign::Near, VAlign::Middle};
    const QFont font = GetCanvas()->FontFor(text);
    for (int i = 0; i < NItems(); ++i) {
        const Rect r = ItemRect(i);
        if (i == hovered_) p.fillRect(ToQRectF(r), ToQColor(kMenuHighlight));
        if (items_[i].checked) {
            QPainterPath tick;
            tick.moveTo(r.L + 8, r.MH());
            tick.lineTo(r.L + 14, r.MH() + 7);
            tick.lineTo(r.L + 24, r.MH() - 8);
            p.setPen(QPen(ToQColor(kMenuText), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(tick);
        }
        DrawStyledText(p, font, text, items_[i].text, Rect(r.L + kTickWidth, r.T, r.R - 4, r.B));
    }
}

// ---- BubbleControl -------------------------------------------------------------

BubbleControl::BubbleControl() : Control(Rect()) {
    SetHidden(true);
    SetIgnoreMouse(true);
}

void BubbleControl::Show(const std::string& text, const Rect& anchor) {
    text_ = text;
    SetRect(Rect(anchor.MW() - 70.f, anchor.T - 44.f, anchor.MW() + 70.f, anchor.T - 4.f));
    SetHidden(false);
}

void BubbleControl::Draw(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30, 230));
    p.drawRoundedRect(ToQRectF(GetRect()), 8, 8);
    const TextStyle style{22.f, colours::kWhite, "", HAlign::Centre, VAlign::Middle};
    DrawStyledText(p, GetCanvas()->FontFor(style), style, text_, GetRect());
}

// ---- CornerResizerControl --------------------------------------------------------

CornerResizerControl::CornerResizerControl(const Rect& canvas, float size, Colour colour,
                                             Colour hoverColour, Colour dragColour)
    : Control(Rect()), size_(size), colour_(colour), hoverColour_(hoverColour), dragColour_(dragColour) {
    PlaceInCorner(canvas);
}

void CornerResizerControl::PlaceInCorner(const Rect& canvas) {
    SetRect(Rect(canvas.R - size_, canvas.B - size_, canvas.R, canvas.B));
}

void CornerResizerControl::Draw(QPainter& p) {
    const Rect r = GetRect();
    const Colour c = dragging_ ? dragColour_ : GetMouseIsOver() ? hoverColour_ : colour_;
    QPainterPath triangle;
    triangle.moveTo(r.R, r.T);
    triangle.lineTo(r.R, r.B);
    triangle.lineTo(r.L, r.B);
    triangle.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(ToQColor(c));
    p.drawPath(triangle);
}

void CornerResizerControl::OnMouseDown(float, float, const MouseModifiers&) {
    dragging_ = true;
    MarkDirty(false);
}

void CornerResizerControl::OnMouseUp(float, float, const MouseModifiers&) {
    dragging_ = false;
    MarkDirty(false);
}

void CornerResizerControl::OnMouseDrag(float x, float y, float, float, const MouseModifiers&) {
    Canvas* ui = GetCanvas();
    // The pointer in window pixels sets the new window size; the canvas keeps
    // its proportions, so the larger of the two ratios wins.
    const float scale = ui->GetDrawScale();
    const float px = x * scale, py = y * scale;
    const float wanted = std::max(px / ui->Width(), py / ui->Height());
    const float largest = std::clamp(ui->LargestScale(), kMinScale, kMaxScale);
    const float next = std::clamp(wanted, kMinScale, largest);
    if (std::abs(next - scale) > 0.001f) ui->SetCanvasScale(ui->Width(), ui->Height(), next);
}

} // namespace tolvane
