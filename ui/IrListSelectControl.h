#pragma once
// The IR list's selection surface. The plug-in acts on a new IR list row only
// for a press, so the surface tells it the kind of event before the row
// (parameter 72) changes.

#include "device/Tolvane.h"
#include "ui/InvisibleSelectControl.h"

namespace tolvane::ui {

class IrListSelectControl : public InvisibleSelectControl {
public:
    IrListSelectControl(const Rect& bounds, int paramIdx, Tolvane& plugin)
        : InvisibleSelectControl(bounds, paramIdx), plugin_(plugin) {}

    void OnMouseDown(float x, float y, const MouseModifiers& mod) override {
        plugin_.SetIrListEventIsPress(true);
        InvisibleSelectControl::OnMouseDown(x, y, mod);
    }
    void OnMouseUp(float x, float y, const MouseModifiers& mod) override {
        plugin_.SetIrListEventIsPress(false);
        InvisibleSelectControl::OnMouseUp(x, y, mod);
    }
    void OnMouseDrag(float x, float y, float dX, float dY, const MouseModifiers& mod) override {
        plugin_.SetIrListEventIsPress(false);
        InvisibleSelectControl::OnMouseDrag(x, y, dX, dY, mod);
    }
    void OnMouseDblClick(float x, float y, const MouseModifiers& mod) override {
        plugin_.SetIrListEventIsPress(false);
        InvisibleSelectControl::OnMouseDblClick(x, y, mod);
    }
    void OnMouseWheel(float x, float y, const MouseModifiers& mod, float d) override {
        plugin_.SetIrListEventIsPress(false);
        InvisibleSelectControl::OnMouseWheel(x, y, mod, d);
    }

private:
    Tolvane& plugin_;
};

} // namespace tolvane::ui
