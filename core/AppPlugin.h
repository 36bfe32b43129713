#pragma once
// The plug-in as the stand-alone program runs it: the editor delegate and the
// processor in one object, plus the two MIDI input rings the MIDI callback
// fills, the block step the audio callback runs every 64 frames, and the two
// timers (the 20 ms framework timer and the 100 ms device timer).
//
// Threads: AcceptMidiInput runs on the MIDI input thread and only copies into
// the rings; ProcessAudio on the audio thread; everything else on the
// user-interface thread.

#include "core/EditorDelegate.h"
#include "core/PluginProcessor.h"
#include "core/RingBuffer.h"
#include "core/Timer.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tolvane {

inline constexpr int kProcessBlockFrames = 64;
inline constexpr std::uint32_t kFrameworkTimerMs = 20;
inline constexpr std::uint32_t kDeviceTimerMs = 100;
// Messages of this many bytes or more are taken as SysEx.
inline constexpr std::size_t kMinSysExBytes = 4;
inline constexpr std::size_t kMidiInputShortEntries = 33;
inline constexpr std::size_t kMidiInputSysExEntries = 5;

// What the MIDI input callback did with one message.
enum class MidiInputResult { Queued, Dropped };

class AppPlugin : public EditorDelegate, public PluginProcessor {
public:
    AppPlugin(); // starts the framework timer
    ~AppPlugin() override;

    // MIDI input thread: empty messages and those over 512 bytes are dropped;
    // under 4 bytes a short message, otherwise SysEx. A full ring drops.
    // Allocates nothing.
    MidiInputResult AcceptMidiInput(const std::uint8_t* bytes, std::size_t size);

    // Audio thread: runs the block step for every 64 frames of the buffer.
    // outputs holds kNumOutputs channel pointers.
    void ProcessAudio(float* const* outputs, int nFrames);
    // One block step: short input, SysEx input, short messages from the
    // editor, then the processing entry.
    void BlockStep(float* const* outputs, int nFrames);

    bool EditorSendsSysex(const SysExMessage& msg) override { return SendSysEx(msg); }

    // The plug-in's periodic task on the device timer.
    virtual void OnDeviceTimer() {}
    // Stops both timers; after this no timer function runs.
    void StopTimers();

protected:
    // Creates the 100 ms device timer once; it is process-wide, so a second
    // call (or a second plug-in while the first lives) does nothing.
    void CreateDeviceTimer();

private:
    RingBuffer<MidiShortMessage, kMidiInputShortEntries> midiInput_;
    RingBuffer<SysExEntry, kMidiInputSysExEntries> sysexInput_;
    std::unique_ptr<Timer> frameworkTimer_;
    bool ownsDeviceTimer_ = false;
};

} // namespace tolvane
