#pragma once
// The device link's only way to the pedal: "send these bytes". In the program
// this is the MIDI transport, which keeps two messages from interleaving on the
// wire; in tests it is the pedal model.

#include <cstddef>
#include <cstdint>

namespace tolvane {

class ISysExSender {
public:
    virtual ~ISysExSender() = default;
    // bytes run from F0 to F7 inclusive. Returns whether the message left;
    // callers do not retry.
    virtual bool SendSysEx(const std::uint8_t* bytes, std::size_t size) = 0;
};

} // namespace tolvane
