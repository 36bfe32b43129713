#pragma once
// One way of reaching the simulator's two MIDI ports: through libjack as one
// JACK client, or through RtMidi on the ALSA sequencer. MidiPorts picks one
// and paces what is sent; a wire only carries bytes.

#include <cstddef>
#include <string>
#include <vector>

namespace tolvane::sim {

class IMidiWire {
public:
    virtual ~IMidiWire() = default;

    // "jack" or "alsa".
    virtual const char* ApiName() const = 0;
    // Full names as another client lists them: the pedal's output (the port
    // an editor reads) and its input (the port an editor writes).
    virtual const std::string& OutputName() const = 0;
    virtual const std::string& InputName() const = 0;

    // One whole message, sent in order after those before it.
    virtual void Write(const std::vector<unsigned char>& message) = 0;
    // Every message received since the last call, in arrival order.
    virtual std::vector<std::vector<unsigned char>> TakeReceived() = 0;

    // True once the sound server has gone away under the ports.
    virtual bool ServerGone() const { return false; }
    // Messages lost since the last call (a receive queue that overflowed, a
    // message larger than a whole MIDI buffer); 0 on a healthy run.
    virtual std::size_t TakeLost() { return 0; }
};

} // namespace tolvane::sim
