#pragma once
// The program's one JACK client (on jackd or PipeWire's JACK): it owns both
// MIDI ports and its process callback is the plug-in's clock.
//
// Every period the callback hands the period's MIDI input to the plug-in's
// input rings, runs the block step over the period in 64-frame sub-blocks,
// and writes what was sent during the period into the period's MIDI output:
// a reply handled in the receive entry leaves in the same period its
// question arrived in. It runs at whatever rate and period the server has,
// needs no audio port and plays nothing.
//
// Sends from the callback itself go into a queue only it uses; sends from
// any other thread go into a second queue, one sender at a time. The
// callback drains both in order, whole messages only; what does not fit
// into this period's MIDI buffer waits for the next one.
//
// The callback allocates nothing, takes no lock, prints nothing and does
// no file I/O. Nothing prints from JACK's notification threads either: the
// server going away only sets a flag, which the host's watch reads.
//
// Threads: Open, Close, the port lists and connections on the user-interface
// thread; sends from any thread.

#include "core/AppPlugin.h"
#include "core/MidiOutput.h"
#include "host/MidiDirection.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tolvane {

inline constexpr const char* kJackClientName = "Tolvane";
inline constexpr const char* kJackInputPortName = "pedal in";
inline constexpr const char* kJackOutputPortName = "pedal out";

// How long closing waits for a server that may not answer (frozen or gone).
inline constexpr std::chrono::milliseconds kJackCloseDeadline{500};

// Whether a close ran past its deadline in this process: the server still
// holds a thread of libjack, and the program should end without waiting.
bool JackClientLeftBehind();

class JackClient final : public ByteMidiOutput {
public:
    explicit JackClient(AppPlugin& plugin);
    ~JackClient() override;
    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;

    // Opens the client, registers both ports, tells the plug-in the server's
    // rate and activates. False, quietly, when no server runs (none is ever
    // started) or the client cannot be made.
    bool Open(const char* clientName = kJackClientName);
    bool IsOpen() const;
    // Deactivates and closes within the deadline; past it the client is left
    // to the server (the program can exit without waiting for it). Sends are
    // dropped from then on.
    void Close(std::chrono::milliseconds deadline = kJackCloseDeadline);
    // The server shut the client out (it stopped or went away).
    bool ServerGone() const;

    // The client's name as the server gave it, and the full names of its ports.
    std::string ClientName() const;
    std::string OwnPortName(MidiDirection direction) const;
    unsigned SampleRate() const;
    unsigned PeriodFrames() const;

    // Other clients' MIDI ports the program could read from (Input) or write
    // to (Output), as "client:port".
    std::vector<std::string> PortNames(MidiDirection direction) const;
    // Connects our port of that direction to this one port alone.
    bool Connect(MidiDirection direction, const std::string& port);
    // Drops every connection of our port of that direction.
    void Disconnect(MidiDirection direction);
    // Whether our port of that direction is connected to this port now.
    bool ConnectedTo(MidiDirection direction, const std::string& port) const;

    // Messages that could not be queued (the queue stayed full), since the start.
    std::uint64_t DroppedSends() const;

    // The state the callback uses; it lives on after a close that did not
    // finish in time.
    struct Shared;

private:
    // Any thread (SendSysEx, SendShortMessage). False when the client is not open.
    bool SendBytes(const std::uint8_t* bytes, std::size_t size) override;

    AppPlugin& plugin_;
    // Written on the user-interface thread (Open, Close) under the lock that
    // senders from threads other than the callback's hold while they queue.
    std::shared_ptr<Shared> shared_;
    mutable std::mutex sendersMutex_;
};

} // namespace tolvane
