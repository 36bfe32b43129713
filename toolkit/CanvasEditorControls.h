#pragma once
// The delegate's way to the controls, over a drawing context: a parameter's
// value reaches every control bound to it while a drawing context is attached.

#include "core/EditorControls.h"

namespace tolvane {

class Canvas;

class CanvasEditorControls : public IEditorControls {
public:
    void Attach(Canvas* graphics) { canvas_ = graphics; }
    void Detach() { canvas_ = nullptr; }

    bool IsEditorOpen() const override { return canvas_ != nullptr; }
    void SetParamNormalisedFromDelegate(int paramIdx, double normalised) override;

private:
    Canvas* canvas_ = nullptr;
};

} // namespace tolvane
