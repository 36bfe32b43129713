#pragma once
// The delegate's way to the controls on screen. The editor implements it over
// the toolkit; tests implement it by recording.

#include "core/MidiMessages.h"

namespace tolvane {

class IEditorControls {
public:
    virtual ~IEditorControls() = default;
    virtual bool IsEditorOpen() const = 0;
    // Every control bound to the parameter, at any of its bound positions,
    // takes the normalised value without notifying anyone.
    virtual void SetParamNormalisedFromDelegate(int paramIdx, double normalised) = 0;
    // Controls that asked for MIDI receive the message.
    virtual void DeliverMidi(const MidiShortMessage& /*msg*/) {}
};

} // namespace tolvane
