#pragma once
// The impulse response the IR display shows for a value of the cabinet
// selector (parameter 14 "IR", 0..127): the flat impulse, one of eight
// cabinets, or a crossfade between two neighbours.
//
// Entry point: RefreshIrDisplay, on the user-interface thread, which owns the
// sample buffer: changes of parameters 14, 40 and 41, a new choice in the IR
// slot view, and (queued from the audio thread) a Preset dump, IR assignment
// done and the end of a download.

#include "core/EditorSeam.h"
#include "core/ParamList.h"
#include "device/IrUploadFiles.h"
#include "device/IrUploadRecord.h"

#include <functional>

namespace tolvane {

struct IrDisplayHooks {
    // IR slot A and B (the user IR numbers of positions 7 and 8).
    std::function<int()> irSlotA;
    std::function<int()> irSlotB;
    // The sample buffer changed: the IR display control draws it again.
    std::function<void()> samplesChanged;
};

class IrDisplay {
public:
    IrDisplay(IEditorSeam& editor, IIrFiles& files, const ParamList& params, IrSampleBuffer& samples,
              IrDisplayHooks hooks = {});

    void RefreshIrDisplay(int selectorValue);

    // The selector position u = floor(a / 127 * 80) / 10 in single precision, 0.0 .. 8.0.
    static float SelectorPosition(int selectorValue);

private:
    void LoadCabinet(int k);
    void LoadFactory(int index);
    void LoadUser(int irNumber);

    IEditorSeam& editor_;
    IIrFiles& files_;
    const ParamList& params_;
    IrSampleBuffer& samples_;
    IrDisplayHooks hooks_;
};

} // namespace tolvane
