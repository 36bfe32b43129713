#pragma once
// The MIDI ports: one RtMidi input and one output object for every MIDI API
// that is present (the ALSA sequencer when its device is there, JACK while a
// server runs; an absent one is never asked for, so it prints nothing), their port
// lists, opening and closing a port by name, the input callback that feeds the
// plug-in's rings, and the serialised sends.
//
// Threads: everything except the sends and the input callback runs on the
// user-interface thread. Sends come from the audio and user-interface threads;
// a mutex keeps two messages from interleaving on the wire. The input callback
// runs on the library's thread and only copies into the plug-in's rings.

#include "core/AppPlugin.h"
#include "core/MidiOutput.h"
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

enum class MidiDirection { Input, Output };

class MidiTransport final : public IMidiOutput {
public:
    MidiTransport();
    ~MidiTransport() override;
    MidiTransport(const MidiTransport&) = delete;
    MidiTransport& operator=(const MidiTransport&) = delete;

    // Creates the input objects, then the output objects, one of each per API
    // present; a constructor that throws leaves that object out. Input goes
    // to the plug-in's rings.
    void CreateObjects(AppPlugin& plugin, const SoundSystems& present = ProbeSoundSystems());
    // What CreateObjects found.
    const SoundSystems& Present() const { return present_; }
    bool HasInputObject() const { return !inputs_.empty(); }
    bool HasOutputObject() const { return !outputs_.empty(); }

    // The port names of every API in order, as the library reports them.
    std::vector<std::string> PortNames(MidiDirection direction) const;
    // Closes the open port of that direction, then opens the first port with
    // exactly this name. False when none has it (the port stays closed).
    bool OpenPort(MidiDirection direction, const std::string& name);
    void ClosePort(MidiDirection direction);
    // The name of the open port, empty when none is open.
    std::string OpenPortName(MidiDirection direction) const;

    // From now on the input callback drops everything.
    void SetExiting() { exiting_.store(true, std::memory_order_release); }
    // The shut-down steps, in the order the host calls them.
    void CancelInputCallback();
    void DeleteOutputObjects();
    void DeleteInputObjects();

    // Any thread. False when there is no output object; true otherwise, also
    // when no port is open and the bytes go nowhere.
    bool SendSysEx(const std::uint8_t* bytes, std::size_t size) override;
    bool SendShortMessage(const MidiShortMessage& msg) override;

private:
    static void InputCallback(double timeStamp, std::vector<unsigned char>* message, void* user);
    bool Send(const std::uint8_t* bytes, std::size_t size);

    // Some APIs hand a sent message to their own thread; closing the port
    // right after a send would lose it (the Editor closing message at exit).
    void WaitForOutputToLeave();

    AppPlugin* plugin_ = nullptr;
    SoundSystems present_;
    std::chrono::steady_clock::time_point lastSend_{};
    std::atomic<bool> exiting_{false};
    std::vector<std::unique_ptr<RtMidiIn>> inputs_;
    std::vector<std::unique_ptr<RtMidiOut>> outputs_;
    int openInput_ = -1; // index into inputs_ of the object with the open port
    int openOutput_ = -1;
    std::string openInputName_, openOutputName_;
    mutable std::mutex sendMutex_; // also guards openOutput_ against a send in flight
};

} // namespace tolvane
