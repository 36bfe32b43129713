#pragma once
// What the processor needs of the MIDI output: the SysEx seam towards the
// pedal plus three-byte short messages. The host's transport implements it.

#include "core/MessageSender.h"
#include "core/MidiMessages.h"

#include <cstddef>
#include <cstdint>

namespace tolvane {

class IMidiOutput : public ISysExSender {
public:
    // Always three bytes on the wire (status, data 1, data 2).
    virtual bool SendShortMessage(const MidiShortMessage& msg) = 0;
};

// An output that puts every message on the wire as bytes: SysEx as given,
// a short message as its three bytes. Both come to SendBytes.
class ByteMidiOutput : public IMidiOutput {
public:
    // Empty messages are refused, sending nothing.
    bool SendSysEx(const std::uint8_t* bytes, std::size_t size) final {
        return bytes && size > 0 && SendBytes(bytes, size);
    }
    bool SendShortMessage(const MidiShortMessage& msg) final {
        const std::uint8_t bytes[3] = {msg.status, msg.data1, msg.data2};
        return SendBytes(bytes, sizeof bytes);
    }

protected:
    virtual bool SendBytes(const std::uint8_t* bytes, std::size_t size) = 0;
};

} // namespace tolvane
