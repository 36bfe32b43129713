#include "toolkit/CanvasEditorControls.h"

#include "toolkit/Canvas.h"

namespace tolvane {

void CanvasEditorControls::SetParamNormalisedFromDelegate(int paramIdx, double normalised) {
    if (canvas_) canvas_->SetParamNormalisedFromDelegate(paramIdx, normalised);
}

} // namespace tolvane
