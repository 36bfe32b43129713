#pragma once
// The simulator's two virtual MIDI ports. Inbound SysEx arrives on RtMidi's
// own thread and is only queued here; the main loop takes it from the queue,
// so the pedal model is fed from one thread.

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <RtMidi.h>

#include "sim/program/Options.h"

namespace tolvane::sim {

class MidiPorts {
public:
    // Opens both ports under the client name; throws RtMidiError (or
    // std::runtime_error) when it cannot.
    explicit MidiPorts(MidiApi api, const std::string& client = kDefaultClientName);
    static constexpr const char* kDefaultClientName = "Velumo Ostrel";

    // The API chosen ("jack" or "alsa") and the ports' names as another RtMidi
    // client lists them: open InPort() with RtMidiIn to hear the pedal,
    // OutPort() with RtMidiOut to talk to it.
    const std::string& ApiName() const { return apiName_; }
    const std::string& InPort() const { return listedOut_; }
    const std::string& OutPort() const { return listedIn_; }

    // Sends no faster than one byte per byteTime: a message waits until the
    // previous one would have left the wire.
    void Send(const std::vector<unsigned char>& message);
    void SetByteTime(std::chrono::microseconds byteTime) { byteTime_ = byteTime; }
    // Everything received since the last call, in arrival order.
    std::vector<std::vector<unsigned char>> TakeReceived();

private:
    static void OnMessage(double, std::vector<unsigned char>* message, void* self);

    std::string apiName_;
    std::unique_ptr<RtMidiIn> in_;
    std::unique_ptr<RtMidiOut> out_;
    std::string listedIn_, listedOut_;
    std::chrono::microseconds byteTime_{0};
    std::chrono::steady_clock::time_point wireFree_{};
    std::mutex mutex_;
    std::vector<std::vector<unsigned char>> received_;
};

// True when a JACK server accepts clients (none is ever started by asking).
bool JackServerRunning();

} // namespace tolvane::sim
