#pragma once
// The simulator's ports on JACK (jackd or PipeWire's JACK): one client under
// the client name, owning one MIDI input and one MIDI output port, so the
// full names ("Velumo Ostrel:Velumo Ostrel In") are the same on every server.
//
// The process callback runs on the server's real-time thread: it copies the
// period's incoming events into one ring and drains whole outgoing messages
// from another into the period's output buffer, and does nothing else (no
// allocation, lock, printing or file access). A message that does not fit
// into this period's buffer waits for the next. The main loop is the other
// end of both rings.

#include <jack/jack.h>

#include <atomic>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/MidiMessageQueue.h"
#include "sim/program/EventJoiner.h"
#include "sim/program/MidiWire.h"

namespace tolvane::sim {

// No JACK server accepts clients (none is ever started by asking).
struct NoJackServer : std::runtime_error {
    NoJackServer() : std::runtime_error("no JACK server is running") {}
};

class JackWire final : public IMidiWire {
public:
    // Throws NoJackServer, or std::runtime_error when the server turns the
    // client or its ports down.
    explicit JackWire(const std::string& client);
    ~JackWire() override;
    JackWire(const JackWire&) = delete;
    JackWire& operator=(const JackWire&) = delete;

    const char* ApiName() const override { return "jack"; }
    const std::string& OutputName() const override { return outputName_; }
    const std::string& InputName() const override { return inputName_; }
    // Waits while the outgoing ring is full; gives up once the server is gone.
    void Write(const std::vector<unsigned char>& message) override;
    std::vector<std::vector<unsigned char>> TakeReceived() override;
    bool ServerGone() const override { return gone_.load(std::memory_order_acquire); }
    std::size_t TakeLost() override { return lost_.exchange(0, std::memory_order_relaxed); }

private:
    static int OnProcess(jack_nframes_t frames, void* self);
    static void OnShutdown(void* self);
    static void OnInfoShutdown(jack_status_t, const char*, void* self);
    void Receive(jack_nframes_t frames);
    void Transmit(jack_nframes_t frames);
    void Close();

    jack_client_t* client_ = nullptr;
    jack_port_t* in_ = nullptr;
    jack_port_t* out_ = nullptr;
    std::string inputName_, outputName_;
    // Callback → main loop, and main loop → callback. Each holds well over a
    // second of MIDI at the wire's full rate.
    MidiMessageQueue received_{1 << 16};
    MidiMessageQueue toSend_{1 << 16};
    std::atomic<bool> gone_{false};
    std::atomic<std::size_t> lost_{0};
    EventJoiner joiner_; // main loop only
};

} // namespace tolvane::sim
