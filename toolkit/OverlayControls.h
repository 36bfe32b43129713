#pragma once
// The overlays the drawing context keeps above every page control: the popup
// menu of the value prompt, the value bubble and the resize handle. The text
// editor is in TextEntryControl.h.

#include "toolkit/Control.h"
#include "toolkit/Styles.h"

#include <functional>
#include <string>
#include <vector>

namespace tolvane {

struct PopupMenuItem {
    std::string text;
    bool checked = false;
};

// An in-canvas popup menu. While open it covers the whole canvas: a press on
// an item chooses it, a press anywhere else closes the menu unchosen.
class PopupMenuControl : public Control {
public:
    explicit PopupMenuControl(const Rect& canvas);

    void Open(std::vector<PopupMenuItem> items, const Rect& anchor, std::function<void(int)> chosen);
    void Close();
    bool IsOpen() const { return !IsHidden(); }
    int NItems() const { return int(items_.size()); }
    const PopupMenuItem& Item(int i) const { return items_[i]; }
    // Where item i is drawn, in canvas units.
    Rect ItemRect(int i) const;
    int ItemAt(float x, float y) const;

    void Draw(QPainter& p) override;
    void OnMouseDown(float x, float y, const MouseModifiers& mod) override;
    void OnMouseOver(float x, float y, const MouseModifiers& mod) override;
    void OnMouseDblClick(float x, float y, const MouseModifiers& mod) override { OnMouseDown(x, y, mod); }
    bool PromptsOnRightClick() const override { return false; }
    Rect DrawBounds() const override { return menuRect_.Padded(8.f); }

    static constexpr float kRowHeight = 36.f;
    static constexpr float kTextSize = 24.f;
    static constexpr float kColumnWidth = 260.f;

private:
    std::vector<PopupMenuItem> items_;
    std::function<void(int)> chosen_;
    Rect menuRect_;
    int rowsPerColumn_ = 1;
    int hovered_ = -1;
};

// The value bubble; created hidden and shown only when asked.
class BubbleControl : public Control {
public:
    BubbleControl();
    void Show(const std::string& text, const Rect& anchor);
    void Draw(QPainter& p) override;

private:
    std::string text_;
};

// The resize handle: dragging it changes the draw scale of the whole canvas.
class CornerResizerControl : public Control {
public:
    CornerResizerControl(const Rect& canvas, float size, Colour colour, Colour hoverColour,
                          Colour dragColour);
    void PlaceInCorner(const Rect& canvas);
    void Draw(QPainter& p) override;
    void OnMouseDown(float x, float y, const MouseModifiers& mod) override;
    void OnMouseUp(float x, float y, const MouseModifiers& mod) override;
    void OnMouseDrag(float x, float y, float dX, float dY, const MouseModifiers& mod) override;
    void OnMouseDblClick(float, float, const MouseModifiers&) override {}
    bool PromptsOnRightClick() const override { return false; }

    // The smallest and largest draw scales a drag can reach.
    static constexpr float kMinScale = 1.f / 3.f;
    static constexpr float kMaxScale = 3.f;

private:
    float size_;
    Colour colour_, hoverColour_, dragColour_;
    bool dragging_ = false;
};

} // namespace tolvane
