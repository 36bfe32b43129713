#include "toolkit/TextControls.h"

#include "core/Param.h"
#include "toolkit/Canvas.h"
#include "toolkit/KnobControlBase.h"
#include "toolkit/Painting.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace tolvane {

// ---- TextControl -----------------------------------------------------------------

namespace {

// Whether two styles place and size their text alike (colours aside).
bool SameLayout(const TextStyle& a, const TextStyle& b) {
    return a.size == b.size && a.fontId == b.fontId && a.align == b.align && a.valign == b.valign &&
           a.angle == b.angle && a.stretch == b.stretch;
}

} // namespace

TextControl::TextControl(const Rect& bounds, const std::string& text, const TextStyle& style,
                         Colour background)
    : Control(bounds), text_(text), style_(style), background_(background) {
    SetIgnoreMouse(true);
}

void TextControl::Draw(QPainter& p) {
    if (background_.a > 0) p.fillRect(ToQRectF(GetRect()), ToQColor(background_));
    // Kept inside the area repaints cover (the rect, and the text where it
    // reaches past the rect), so nothing is drawn that a repaint would miss.
    p.save();
    p.setClipRect(ToQRectF(DrawBounds()), Qt::IntersectClip);
    DrawStyledText(p, GetCanvas()->FontFor(style_), style_, ShownText(), GetRect());
    p.restore();
}

std::string TextControl::ShownText() const {
    if (!elide_ || !GetCanvas()) return text_;
    return ElideRight(GetCanvas()->FontFor(style_), text_, GetRect().W());
}

void TextControl::SetElide(bool elide) {
    if (elide == elide_) return;
    InvalidateDrawn();
    elide_ = elide;
    MarkDirty(false);
}

Rect TextControl::DrawBounds() const {
    const Rect& r = GetRect();
    if (!GetCanvas() || text_.empty()) return r;
    if (elide_) return r.Padded(1.f);
    const Canvas* canvas = GetCanvas();
    MeasuredText& m = measured_;
    const bool same = m.canvas == canvas && m.fontsGeneration == canvas->FontsGeneration() && m.rect == r &&
                      m.text == text_ && SameLayout(m.style, style_);
    if (!same) {
        // One unit of slack for antialiased glyph edges.
        const Rect box = r.Union(StyledTextBounds(canvas->FontFor(style_), style_, text_, r).Padded(1.f));
        m = MeasuredText{canvas, canvas->FontsGeneration(), text_, r, style_, box};
    }
    return m.box;
}

void TextControl::SetStr(const std::string& text) {
    if (text == text_) return;
    InvalidateDrawn(); // the old text may reach further than the new
    text_ = text;
    MarkDirty(false);
}

void TextControl::InvalidateDrawn() {
    if (GetCanvas() && !IsHidden()) GetCanvas()->Invalidate(DrawBounds());
}

void TextControl::SetStrFmt(const char* format, ...) {
    char buf[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    SetStr(buf);
}

void TextControl::SetStyle(const TextStyle& style) {
    InvalidateDrawn();
    style_ = style;
    MarkDirty(false);
}

void TextControl::SetTextColour(Colour colour) {
    if (colour == style_.colour) return;
    style_.colour = colour;
    MarkDirty(false);
}

void TextControl::SetBackgroundColour(Colour colour) {
    if (colour == background_) return;
    background_ = colour;
    MarkDirty(false);
}

// ---- EditableTextControl -------------------------------------------------------------

EditableTextControl::EditableTextControl(const Rect& bounds, const std::string& text, const TextStyle& style,
                                         Colour background)
    : TextControl(bounds, text, style, background) {
    SetIgnoreMouse(false);
}

void EditableTextControl::OnMouseDown(float, float, const MouseModifiers&) {
    if (GetCanvas()) GetCanvas()->BeginTextEdit(*this, style_, GetRect(), text_, 0, maxChars_);
}

void EditableTextControl::OnTextEntryCompletion(const std::string& text, int) {
    SetStr(maxChars_ > 0 && text.size() > static_cast<std::size_t>(maxChars_)
               ? text.substr(0, static_cast<std::size_t>(maxChars_))
               : text);
    MarkDirty(true);
}

// ---- CaptionControl -------------------------------------------------------------------

CaptionControl::CaptionControl(const Rect& bounds, int paramIdx, const TextStyle& style, Colour background,
                               bool showParamLabel)
    : TextControl(bounds, "", style, background), showParamLabel_(showParamLabel) {
    SetParamIdx(paramIdx);
    SetIgnoreMouse(false);
}

std::string CaptionControl::CaptionText() const {
    const Param* p = GetParam();
    if (!p) return text_;
    const double value = p->ValueFromNormal(GetValue());
    std::string text = p->GetDisplay(value);
    if (showParamLabel_ && !p->DisplayTextFor(value)) {
        const std::string label = p->Label();
        if (!label.empty()) text += " " + label;
    }
    return text;
}

bool CaptionControl::ShowsTriangle() const {
    const Param* p = GetParam();
    return p && p->Kind() == ParamKind::Enum;
}

void CaptionControl::Draw(QPainter& p) {
    const Rect r = GetRect();
    if (background_.a > 0) p.fillRect(ToQRectF(r), ToQColor(background_));
    Rect textRect = r;
    if (ShowsTriangle()) {
        const float s = std::min(r.H() * 0.3f, 12.f);
        const float cx = r.R - s - 4.f, cy = r.MH();
        QPainterPath tri;
        tri.moveTo(cx - s, cy - s / 2);
        tri.lineTo(cx + s, cy - s / 2);
        tri.lineTo(cx, cy + s / 2);
        tri.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(ToQColor(style_.colour));
        p.drawPath(tri);
        textRect.R = cx - s - 4.f;
    }
    DrawStyledText(p, GetCanvas()->FontFor(style_), style_, CaptionText(), textRect);
}

void CaptionControl::ChangeTo(double plain) {
    const Param* p = GetParam();
    if (!p) return;
    const double normalised = p->NormalFromValue(p->SnapAndClamp(plain));
    if (normalised == GetValue()) return;
    SetValue(normalised);
    MarkDirty(true);
}

void CaptionControl::OnMouseDown(float, float, const MouseModifiers&) {
    const Param* p = GetParam();
    pressed_ = true;
    dragged_ = false;
    moved_ = 0.f;
    dragValue_ = p ? p->ValueFromNormal(GetValue()) : 0.0;
}

void CaptionControl::OnMouseUp(float, float, const MouseModifiers&) {
    const bool click = pressed_ && !dragged_;
    pressed_ = dragged_ = false;
    if (click && GetCanvas()) GetCanvas()->PromptValue(*this);
}

void CaptionControl::OnMouseDrag(float, float, float dX, float dY, const MouseModifiers& mod) {
    const Param* p = GetParam();
    if (!pressed_ || !p) return;
    moved_ += std::fabs(dX) + std::fabs(dY);
    dragged_ = dragged_ || moved_ > kClickSlop;
    const double range = p->Max() - p->Min();
    // At least one step per kMaxDragPerStep units, so a short list still moves.
    const double perUnit = std::max(range / kDragRange, p->Step() / kMaxDragPerStep);
    dragValue_ = std::clamp(dragValue_ - dY * perUnit / (mod.Fine() ? kFineFactor : 1.0), p->Min(), p->Max());
    ChangeTo(dragValue_);
}

void CaptionControl::OnMouseWheel(float, float, const MouseModifiers&, float d) {
    const Param* p = GetParam();
    if (!p || d == 0.f) return;
    ChangeTo(p->ValueFromNormal(GetValue()) + d * p->Step());
}

void CaptionControl::OnMouseDblClick(float, float, const MouseModifiers&) {
    if (GetCanvas()) GetCanvas()->PromptValue(*this);
}

// ---- UrlControl ---------------------------------------------------------------------

UrlControl::UrlControl(const Rect& bounds, const std::string& text, const std::string& url,
                       const TextStyle& style, Colour background, Colour clickedColour)
    : TextControl(bounds, text, style, background), url_(url), clickedColour_(clickedColour) {
    SetIgnoreMouse(false);
}

void UrlControl::Draw(QPainter& p) {
    if (background_.a > 0) p.fillRect(ToQRectF(GetRect()), ToQColor(background_));
    QFont font = GetCanvas()->FontFor(style_);
    font.setUnderline(true);
    DrawStyledText(p, font, clicked_ ? style_.WithColour(clickedColour_) : style_, text_, GetRect());
}

void UrlControl::OnMouseDown(float, float, const MouseModifiers&) {
    if (GetCanvas()) GetCanvas()->OpenUrl(url_);
    clicked_ = true;
    MarkDirty(false);
}

// ---- PanelControl -------------------------------------------------------------------

PanelControl::PanelControl(const Rect& bounds, Colour colour) : Control(bounds), colour_(colour) {
    SetIgnoreMouse(true);
}

void PanelControl::Draw(QPainter& p) {
    if (colour_.a > 0) p.fillRect(ToQRectF(GetRect()), ToQColor(colour_));
}

void PanelControl::SetColour(Colour colour) {
    colour_ = colour;
    MarkDirty(false);
}

} // namespace tolvane
