#include "toolkit/TextControls.h"

#include "core/IParam.h"
#include "toolkit/IGraphics.h"
#include "toolkit/Painting.h"

#include <QPainter>
#include <QPainterPath>

#include <cstdarg>
#include <cstdio>

namespace tolvane {

// ---- ITextControl -----------------------------------------------------------------

ITextControl::ITextControl(const Rect& bounds, const std::string& text, const TextStyle& style,
                           Colour background)
    : IControl(bounds), text_(text), style_(style), background_(background) {
    SetIgnoreMouse(true);
}

void ITextControl::Draw(QPainter& p) {
    if (background_.a > 0) p.fillRect(ToQRectF(GetRect()), ToQColor(background_));
    // Kept inside the area repaints cover (the rect, and the text where it
    // reaches past the rect), so nothing is drawn that a repaint would miss.
    p.save();
    p.setClipRect(ToQRectF(DrawBounds()), Qt::IntersectClip);
    DrawStyledText(p, GetUI()->FontFor(style_), style_, text_, GetRect());
    p.restore();
}

Rect ITextControl::DrawBounds() const {
    const Rect& r = GetRect();
    if (!GetUI() || text_.empty()) return r;
    // One unit of slack for antialiased glyph edges.
    return r.Union(StyledTextBounds(GetUI()->FontFor(style_), style_, text_, r).Padded(1.f));
}

void ITextControl::SetStr(const std::string& text) {
    if (text == text_) return;
    InvalidateDrawn(); // the old text may reach further than the new
    text_ = text;
    MarkDirty(false);
}

void ITextControl::InvalidateDrawn() {
    if (GetUI() && !IsHidden()) GetUI()->Invalidate(DrawBounds());
}

void ITextControl::SetStrFmt(const char* format, ...) {
    char buf[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    SetStr(buf);
}

void ITextControl::SetStyle(const TextStyle& style) {
    InvalidateDrawn();
    style_ = style;
    MarkDirty(false);
}

void ITextControl::SetTextColour(Colour colour) {
    if (colour == style_.colour) return;
    style_.colour = colour;
    MarkDirty(false);
}

void ITextControl::SetBackgroundColour(Colour colour) {
    if (colour == background_) return;
    background_ = colour;
    MarkDirty(false);
}

// ---- IEditableTextControl -------------------------------------------------------------

IEditableTextControl::IEditableTextControl(const Rect& bounds, const std::string& text,
                                           const TextStyle& style, Colour background)
    : ITextControl(bounds, text, style, background) {
    SetIgnoreMouse(false);
}

void IEditableTextControl::OnMouseDown(float, float, const IMouseMod&) {
    if (GetUI()) GetUI()->BeginTextEdit(*this, style_, GetRect(), text_);
}

void IEditableTextControl::OnTextEntryCompletion(const std::string& text, int) {
    SetStr(text);
    MarkDirty(true);
}

// ---- ICaptionControl -------------------------------------------------------------------

ICaptionControl::ICaptionControl(const Rect& bounds, int paramIdx, const TextStyle& style, Colour background,
                                 bool showParamLabel)
    : ITextControl(bounds, "", style, background), showParamLabel_(showParamLabel) {
    SetParamIdx(paramIdx);
    SetIgnoreMouse(false);
}

std::string ICaptionControl::CaptionText() const {
    const IParam* p = GetParam();
    if (!p) return text_;
    const double value = p->ValueFromNormal(GetValue());
    std::string text = p->GetDisplay(value);
    if (showParamLabel_ && !p->DisplayTextFor(value)) {
        const std::string label = p->Label();
        if (!label.empty()) text += " " + label;
    }
    return text;
}

bool ICaptionControl::ShowsTriangle() const {
    const IParam* p = GetParam();
    return p && p->Kind() == ParamKind::Enum;
}

void ICaptionControl::Draw(QPainter& p) {
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
    DrawStyledText(p, GetUI()->FontFor(style_), style_, CaptionText(), textRect);
}

void ICaptionControl::OnMouseDown(float, float, const IMouseMod&) {
    if (GetUI()) GetUI()->PromptValue(*this);
}

// ---- IURLControl ---------------------------------------------------------------------

IURLControl::IURLControl(const Rect& bounds, const std::string& text, const std::string& url,
                         const TextStyle& style, Colour background, Colour clickedColour)
    : ITextControl(bounds, text, style, background), url_(url), clickedColour_(clickedColour) {
    SetIgnoreMouse(false);
}

void IURLControl::Draw(QPainter& p) {
    if (background_.a > 0) p.fillRect(ToQRectF(GetRect()), ToQColor(background_));
    QFont font = GetUI()->FontFor(style_);
    font.setUnderline(true);
    DrawStyledText(p, font, clicked_ ? style_.WithColour(clickedColour_) : style_, text_, GetRect());
}

void IURLControl::OnMouseDown(float, float, const IMouseMod&) {
    if (GetUI()) GetUI()->OpenUrl(url_);
    clicked_ = true;
    MarkDirty(false);
}

// ---- IPanelControl -------------------------------------------------------------------

IPanelControl::IPanelControl(const Rect& bounds, Colour colour) : IControl(bounds), colour_(colour) {
    SetIgnoreMouse(true);
}

void IPanelControl::Draw(QPainter& p) {
    if (colour_.a > 0) p.fillRect(ToQRectF(GetRect()), ToQColor(colour_));
}

void IPanelControl::SetColour(Colour colour) {
    colour_ = colour;
    MarkDirty(false);
}

} // namespace tolvane
