#pragma once
// The simulator's ports on the ALSA sequencer, through RtMidi: two virtual
// ports under the client name. Inbound SysEx arrives on RtMidi's own thread
// and is only queued here; the main loop takes it from the queue.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <RtMidi.h>

#include "sim/program/MidiWire.h"

namespace tolvane::sim {

class AlsaWire final : public IMidiWire {
public:
    // Throws RtMidiError (or std::runtime_error) when the ports cannot be made.
    explicit AlsaWire(const std::string& client);

    const char* ApiName() const override { return "alsa"; }
    const std::string& OutputName() const override { return outputName_; }
    const std::string& InputName() const override { return inputName_; }
    void Write(const std::vector<unsigned char>& message) override;
    std::vector<std::vector<unsigned char>> TakeReceived() override;

private:
    static void OnMessage(double, std::vector<unsigned char>* message, void* self);

    std::unique_ptr<RtMidiIn> in_;
    std::unique_ptr<RtMidiOut> out_;
    std::string inputName_, outputName_;
    std::mutex mutex_;
    std::vector<std::vector<unsigned char>> received_;
};

} // namespace tolvane::sim
