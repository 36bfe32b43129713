#include "toolkit/GraphicsEditorControls.h"

#include "toolkit/IGraphics.h"

namespace tolvane {

void GraphicsEditorControls::SetParamNormalisedFromDelegate(int paramIdx, double normalised) {
    if (graphics_) graphics_->SetParamNormalisedFromDelegate(paramIdx, normalised);
}

} // namespace tolvane
