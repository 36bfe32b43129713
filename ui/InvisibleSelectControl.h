#pragma once
// An invisible selection surface over a list or graph. Every press (left or
// right alike), release, drag, double-click and non-zero wheel turn records
// a SelectEvent and sets the bound parameter to (y - top) / height of its
// range; the parameter's change handler reads the record.

#include "toolkit/Control.h"

namespace tolvane {

struct SelectEvent {
    enum Kind { Press = 0, Release = 1, Drag = 2, DoubleClick = 3, Wheel = 4 };
    enum Modifier { None = 0, Shift = 1, Ctrl = 2 };
    int kind = Press;
    int modifier = None;  // Shift wins over Ctrl
    bool wheelUp = false; // the wheel delta was positive
    bool operator==(const SelectEvent&) const = default;
};

class InvisibleSelectControl : public Control {
public:
    InvisibleSelectControl(const Rect& bounds, int paramIdx);

    void Draw(QPainter&) override {}
    void OnMouseDown(float x, float y, const MouseModifiers& mod) override;
    void OnMouseUp(float x, float y, const MouseModifiers& mod) override;
    void OnMouseDrag(float x, float y, float dX, float dY, const MouseModifiers& mod) override;
    void OnMouseDblClick(float x, float y, const MouseModifiers& mod) override;
    void OnMouseWheel(float x, float y, const MouseModifiers& mod, float d) override;
    bool PromptsOnRightClick() const override { return false; }

    const SelectEvent& LastEvent() const { return event_; }

private:
    void Select(float y, int kind, const MouseModifiers& mod, bool wheelUp = false);
    SelectEvent event_;
};

} // namespace tolvane
