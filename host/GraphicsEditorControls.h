#pragma once
// The delegate's view of the editor: the controls of one IGraphics.

#include "core/EditorControls.h"
#include "toolkit/IGraphics.h"

namespace tolvane {

class GraphicsEditorControls final : public IEditorControls {
public:
    explicit GraphicsEditorControls(IGraphics& graphics) : graphics_(graphics) {}
    bool IsEditorOpen() const override { return true; }
    void SetParamNormalisedFromDelegate(int paramIdx, double normalised) override {
        graphics_.SetParamNormalisedFromDelegate(paramIdx, normalised);
    }

private:
    IGraphics& graphics_;
};

} // namespace tolvane
