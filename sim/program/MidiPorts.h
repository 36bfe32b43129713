#pragma once
// The simulator's two MIDI ports, on JACK as one client of its own or on the
// ALSA sequencer through RtMidi, and the pace of the pedal's MIDI link.
// Everything here is called from the main loop, so the pedal model is fed
// from one thread.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "sim/program/MidiWire.h"
#include "sim/program/Options.h"

namespace tolvane::sim {

class MidiPorts {
public:
    // Opens both ports under the client name; on Auto, JACK when a server
    // runs and ALSA otherwise. Throws RtMidiError or std::runtime_error when
    // it cannot.
    explicit MidiPorts(MidiApi api, const std::string& client = kDefaultClientName);
    static constexpr const char* kDefaultClientName = "Velumo Ostrel";

    // The API chosen ("jack" or "alsa") and the ports' full names as another
    // client lists them: InPort() is the one to read to hear the pedal,
    // OutPort() the one to write to talk to it.
    const char* ApiName() const { return wire_->ApiName(); }
    const std::string& InPort() const { return wire_->OutputName(); }
    const std::string& OutPort() const { return wire_->InputName(); }

    // Sends no faster than one byte per byteTime: a message waits until the
    // previous one would have left the wire.
    void Send(const std::vector<unsigned char>& message);
    void SetByteTime(std::chrono::microseconds byteTime) { byteTime_ = byteTime; }
    // Everything received since the last call, in arrival order.
    std::vector<std::vector<unsigned char>> TakeReceived() { return wire_->TakeReceived(); }

    // True once the sound server has gone away under the ports.
    bool ServerGone() const { return wire_->ServerGone(); }
    // Messages lost since the last call.
    std::size_t TakeLost() { return wire_->TakeLost(); }

private:
    std::unique_ptr<IMidiWire> wire_;
    std::chrono::microseconds byteTime_{0};
    std::chrono::steady_clock::time_point wireFree_{};
};

} // namespace tolvane::sim
