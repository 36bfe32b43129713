#pragma once
// The MIDI ports of every system that is present, behind one face: the
// program's own JACK client while a JACK server (jackd or PipeWire's) runs,
// and RtMidi input and output objects over the ALSA sequencer when its
// device is there. An absent system is never asked for, so it prints
// nothing. Port lists name JACK's ports first, then the sequencer's; a port
// is opened (for JACK: our port connected to it) by its listed name, and
// sends go to whichever system holds the open output port.
//
// Threads: everything except the sends and RtMidi's input callback runs on
// the user-interface thread. Sends come from the clock and user-interface
// threads: the JACK client queues them for its callback; the sequencer's
// sends are serialised by a mutex, so two messages never interleave on the
// wire. The input callback runs on RtMidi's thread and only copies into the
// plug-in's rings.

#include "core/AppPlugin.h"
#include "core/MidiOutput.h"
#include "host/JackClient.h"
#include "host/MidiDirection.h"
#include "host/SoundSystems.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class RtMidiIn;
class RtMidiOut;

namespace tolvane {

inline constexpr const char* kMidiInputClientName = "RtMidi Input Client";
inline constexpr const char* kMidiOutputClientName = "RtMidi Output Client";
inline constexpr const char* kMidiInputPortName = "RtMidi Input";
inline constexpr const char* kMidiOutputPortName = "RtMidi Output";

class MidiTransport final : public ByteMidiOutput {
public:
    MidiTransport();
    ~MidiTransport() override;
    MidiTransport(const MidiTransport&) = delete;
    MidiTransport& operator=(const MidiTransport&) = delete;

    // Opens the JACK client when a server answers, and creates the ALSA
    // sequencer's input and output objects when present says it is there (a
    // constructor that throws leaves that object out). Input goes to the
    // plug-in's rings.
    void CreateObjects(AppPlugin& plugin, const SoundSystems& present);
    // What CreateObjects found; jack says whether the client is open.
    const SoundSystems& Present() const { return present_; }
    bool HasInputObject() const;
    bool HasOutputObject() const;
    JackClient* Jack() { return jack_ && jack_->IsOpen() ? jack_.get() : nullptr; }
    const JackClient* Jack() const { return jack_ && jack_->IsOpen() ? jack_.get() : nullptr; }

    // Opens the JACK client again after its server came back; false when none answers.
    bool ReopenJack();
    // Closes the JACK client (within its deadline) and forgets its open ports.
    void CloseJack();
    bool JackServerGone() const { return jack_ && jack_->ServerGone(); }

    // The port names of every system in order.
    std::vector<std::string> PortNames(MidiDirection direction) const;
    // Closes the open port of that direction, then opens the first port with
    // exactly this name. False when none has it (the port stays closed).
    bool OpenPort(MidiDirection direction, const std::string& name);
    void ClosePort(MidiDirection direction);
    // The name of the open port, empty when none is open.
    std::string OpenPortName(MidiDirection direction) const;
    // Whether the open port of that direction still carries messages: on
    // JACK our port is still connected to it, on the sequencer it is still
    // listed. False when none is open.
    bool OpenPortAlive(MidiDirection direction) const;

    // Messages lost on the way out since the start: refused by the sequencer,
    // or dropped by the JACK client when its queue stayed full (any thread;
    // the user-interface thread reports them).
    std::uint64_t SendFailures() const;

    // From now on the input callback drops everything.
    void SetExiting() { exiting_.store(true, std::memory_order_release); }
    // The shut-down steps, in the order the host calls them.
    void CancelInputCallback();
    void DeleteOutputObjects();
    void DeleteInputObjects();

private:
    enum class System { None, Jack, Alsa };
    static void InputCallback(double timeStamp, std::vector<unsigned char>* message, void* user);
    // Any thread (SendSysEx, SendShortMessage). False when there is no output
    // object; true otherwise, also when no port is open and the bytes go nowhere.
    bool SendBytes(const std::uint8_t* bytes, std::size_t size) override;
    void CreateAlsaObjects();
    // Keeps hasOutputObject_ up to date after the objects changed.
    void NoteOutputObject();
    bool OpenAlsaPort(MidiDirection direction, const std::string& name);
    std::vector<std::string> AlsaPortNames(MidiDirection direction) const;

    // The sequencer hands a sent message to its own thread; closing the port
    // right after a send would lose it (the Editor closing message at exit).
    void WaitForOutputToLeave();

    AppPlugin* plugin_ = nullptr;
    SoundSystems present_;
    std::unique_ptr<JackClient> jack_;
    std::chrono::steady_clock::time_point lastSend_{};
    std::atomic<bool> exiting_{false};
    std::atomic<std::uint64_t> sendFailures_{0};
    // Whether any output object exists, for senders on other threads.
    std::atomic<bool> hasOutputObject_{false};
    std::unique_ptr<RtMidiIn> alsaIn_;
    std::unique_ptr<RtMidiOut> alsaOut_;
    System openInput_ = System::None;
    // Read by senders on any thread; changed under sendMutex_.
    std::atomic<System> openOutput_{System::None};
    std::string openInputName_, openOutputName_;
    mutable std::mutex sendMutex_; // the sequencer's sends, and its output port against a send in flight
};

} // namespace tolvane
