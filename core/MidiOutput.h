#pragma once
// What the processor needs of the MIDI output: the SysEx seam towards the
// pedal plus three-byte short messages. The host's transport implements it.

#include "core/MessageSender.h"
#include "core/MidiMessages.h"

namespace tolvane {

class IMidiOutput : public ISysExSender {
public:
    // Always three bytes on the wire (status, data 1, data 2).
    virtual bool SendShortMessage(const MidiShortMessage& msg) = 0;
};

} // namespace tolvane
