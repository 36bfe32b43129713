#pragma once
// The IR list's selection surface. The plug-in acts on a new IR list row only
// for a press, so the surface tells it the kind of event before the row
// (parameter 72) changes.

#include "device/Tolvane.h"
#include "ui/InvisibleSelectControl3.h"

namespace tolvane::ui {

class IrListSelectControl : public IInvisibleSelectControl3 {
public:
    IrListSelectControl(const Rect& bounds, int paramIdx, Tolvane& plugin)
        : IInvisibleSelectControl3(bounds, paramIdx), plugin_(plugin) {}

    void OnMouseDown(float x, float y, const IMouseMod& mod) override {
        plugin_.SetIrListEventIsPress(true);
        IInvisibleSelectControl3::OnMouseDown(x, y, mod);
    }
    void OnMouseUp(float x, float y, const IMouseMod& mod) override {
        plugin_.SetIrListEventIsPress(false);
        IInvisibleSelectControl3::OnMouseUp(x, y, mod);
    }
    void OnMouseDrag(float x, float y, float dX, float dY, const IMouseMod& mod) override {
        plugin_.SetIrListEventIsPress(false);
        IInvisibleSelectControl3::OnMouseDrag(x, y, dX, dY, mod);
    }
    void OnMouseDblClick(float x, float y, const IMouseMod& mod) override {
        plugin_.SetIrListEventIsPress(false);
        IInvisibleSelectControl3::OnMouseDblClick(x, y, mod);
    }
    void OnMouseWheel(float x, float y, const IMouseMod& mod, float d) override {
        plugin_.SetIrListEventIsPress(false);
        IInvisibleSelectControl3::OnMouseWheel(x, y, mod, d);
    }

private:
    Tolvane& plugin_;
};

} // namespace tolvane::ui
