#pragma once
// Controls that show text or a plain fill: text, editable text, caption of a
// parameter, link, and panel.

#include "toolkit/Control.h"
#include "toolkit/Styles.h"

#include <string>

namespace tolvane {

// A filled background and one line of text. Ignores the mouse.
class TextControl : public Control {
public:
    TextControl(const Rect& bounds, const std::string& text = "", const TextStyle& style = {},
                Colour background = colours::kTransparent);
    void Draw(QPainter& p) override;
    bool DrawsStatically() const override { return true; }

    const std::string& GetStr() const { return text_; }
    void SetStr(const std::string& text);
    // printf-style; the result is cut at 255 characters.
    void SetStrFmt(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    void ClearStr() {
        SetStr("");
    }
    Rect DrawBounds() const override;
    const TextStyle& GetStyle() const {
        return style_;
    }
    void SetStyle(const TextStyle& style);
    void SetTextColour(Colour colour);
    void SetBackgroundColour(Colour colour);
    // A text wider than the rect ends in "…" instead of running past it
    // (trailing spaces do not count).
    void SetElide(bool elide);
    // The text as drawn.
    std::string ShownText() const;

protected:
    // Repaints what the control shows now, before a change may shrink it.
    void InvalidateDrawn();

    std::string text_;
    TextStyle style_;
    Colour background_;
    bool elide_ = false;

private:
    // Laying the text out to find its box is far dearer than drawing a small
    // area, and every repaint asks each live control for its bounds: the box
    // is kept with what it was measured for.
    struct MeasuredText {
        const Canvas* canvas = nullptr;
        unsigned fontsGeneration = 0;
        std::string text;
        Rect rect;
        TextStyle style;
        Rect box;
    };
    mutable MeasuredText measured_;
};

// A click opens the text editor; on commit the text is kept, the control is
// marked dirty with notify and onAction runs.
class EditableTextControl : public TextControl {
public:
    EditableTextControl(const Rect& bounds, const std::string& text = "", const TextStyle& style = {},
                        Colour background = colours::kTransparent);
    void OnMouseDown(float x, float y, const MouseModifiers& mod) override;
    void OnMouseDblClick(float x, float y, const MouseModifiers& mod) override { OnMouseDown(x, y, mod); }
    void OnTextEntryCompletion(const std::string& text, int valIdx) override;
    // The most characters the field takes (0: no limit).
    void SetMaxChars(int maxChars) { maxChars_ = maxChars; }

private:
    int maxChars_ = 0;
};

// A value box: the bound parameter's display text; enumerations get a small
// down-pointing triangle at the right. It is edited like every other box: a
// vertical drag moves the value (up raises it; the whole range over
// kDragRange units, at most kMaxDragPerStep units a step, ten times finer with
// Ctrl or Shift), a wheel notch moves it one step, and a click that did not
// drag, a double-click or a right-click opens the value prompt (the list of
// named values, or the text editor for a typed value).
class CaptionControl : public TextControl {
public:
    static constexpr float kDragRange = 200.f;
    static constexpr float kMaxDragPerStep = 20.f;
    // A press that moves less than this is still a click.
    static constexpr float kClickSlop = 3.f;

    CaptionControl(const Rect& bounds, int paramIdx, const TextStyle& style = {},
                   Colour background = colours::kTransparent, bool showParamLabel = true);
    void Draw(QPainter& p) override;
    void OnMouseDown(float x, float y, const MouseModifiers& mod) override;
    void OnMouseUp(float x, float y, const MouseModifiers& mod) override;
    void OnMouseDrag(float x, float y, float dX, float dY, const MouseModifiers& mod) override;
    void OnMouseWheel(float x, float y, const MouseModifiers& mod, float d) override;
    void OnMouseDblClick(float x, float y, const MouseModifiers& mod) override;
    // The text shown for the current value.
    std::string CaptionText() const;
    bool ShowsTriangle() const;

private:
    // Sets the plain value, snapped and clamped; tells the plug-in when it changed.
    void ChangeTo(double plain);

    bool showParamLabel_;
    bool pressed_ = false;
    bool dragged_ = false;
    float moved_ = 0.f;
    double dragValue_ = 0.0; // unsnapped, so slow drags still reach the next step
};

// Underlined link text. A press hands the link to the system and marks the
// control clicked, which changes its colour.
class UrlControl : public TextControl {
public:
    UrlControl(const Rect& bounds, const std::string& text, const std::string& url,
               const TextStyle& style = {}, Colour background = colours::kTransparent,
               Colour clickedColour = Colour{255, 128, 0, 128});
    void Draw(QPainter& p) override;
    void OnMouseDown(float x, float y, const MouseModifiers& mod) override;
    void OnMouseDblClick(float, float, const MouseModifiers&) override {}
    bool IsClicked() const { return clicked_; }
    const std::string& GetUrl() const { return url_; }

private:
    std::string url_;
    Colour clickedColour_;
    bool clicked_ = false;
};

// A filled rectangle. Ignores the mouse.
class PanelControl : public Control {
public:
    PanelControl(const Rect& bounds, Colour colour);
    void Draw(QPainter& p) override;
    bool DrawsStatically() const override { return true; }
    void SetColour(Colour colour);

private:
    Colour colour_;
};

} // namespace tolvane
