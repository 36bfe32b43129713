#pragma once
// The delegate's way to the controls, over a drawing context: a parameter's
// value reaches every control bound to it while a drawing context is attached.

#include "core/EditorControls.h"

namespace tolvane {

class IGraphics;

class GraphicsEditorControls : public IEditorControls {
public:
    void Attach(IGraphics* graphics) { graphics_ = graphics; }
    void Detach() { graphics_ = nullptr; }

    bool IsEditorOpen() const override { return graphics_ != nullptr; }
    void SetParamNormalisedFromDelegate(int paramIdx, double normalised) override;

private:
    IGraphics* graphics_ = nullptr;
};

} // namespace tolvane
