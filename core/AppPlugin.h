#pragma once
// The plug-in as the stand-alone program runs it: the editor delegate and the
// processor in one object, plus the two MIDI input rings the MIDI callback
// fills, the block step the audio callback runs every 64 frames, and the two
// timers (the 20 ms framework timer and the 100 ms device timer).
//
// Threads: AcceptMidiInput runs on the MIDI input thread and only copies into
// the rings; ProcessAudio on the audio thread; everything else on the
// user-interface thread.
//
// The framework timer sleeps while it has nothing to do: its queues are empty
// and the idle step says it needs no ticks (IdleNeedsTicks). Whatever gives it
// work wakes it: an entry queued towards the editor (from any thread), a
// block step that handled input, a dropped input message, and, on the
// user-interface thread, the event loop finding IdleNeedsTicks true before it
// waits. Whenever it runs, it ticks every 20 ms in the same order as ever.

#include "core/EditorDelegate.h"
#include "core/PluginProcessor.h"
#include "core/RingBuffer.h"
#include "core/Timer.h"

#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tolvane {

inline constexpr int kProcessBlockFrames = 64;
inline constexpr std::uint32_t kFrameworkTimerMs = 20;
inline constexpr std::uint32_t kDeviceTimerMs = 100;
// Messages of this many bytes or more are taken as SysEx.
inline constexpr std::size_t kMinSysExBytes = 4;
inline constexpr std::size_t kMidiInputShortEntries = 33;

// The SysEx input ring holds everything that can arrive while the audio thread
// waits for its next period. The pedal's link is USB full speed: its MIDI
// endpoint hands over at most one 64-byte packet per 1 ms frame, 16 events of
// 3 SysEx bytes, so 48 bytes a millisecond. The longest period the program
// runs with is 8192 frames (JACK's largest) at 44100 Hz, 186 ms, in which
// 8928 bytes can arrive: a full IR stream (11 messages, 2880 bytes) and a
// name-block sequence (4 blocks of 267 bytes) fit in it several times over.
// Counted in the pedal's shortest unasked message, a 10-byte Parameter
// changed report, that is 893 messages; the next power of two gives 1023
// usable entries (532 KB).
inline constexpr std::size_t kLargestPeriodFrames = 8192;
inline constexpr std::size_t kSlowestPeriodRate = 44100;
inline constexpr std::size_t kUsbMidiBytesPerMs = 48;
inline constexpr std::size_t kShortestBurstMessage = 10;
inline constexpr std::size_t kWorstBurstMessages =
    ((kLargestPeriodFrames * 1000 + kSlowestPeriodRate - 1) / kSlowestPeriodRate) * kUsbMidiBytesPerMs /
        kShortestBurstMessage +
    1;
inline constexpr std::size_t kMidiInputSysExEntries = std::bit_ceil(kWorstBurstMessages + 1);
static_assert(kWorstBurstMessages == 893 && kMidiInputSysExEntries == 1024);

// What the MIDI input callback did with one message.
enum class MidiInputResult { Queued, Dropped };

class AppPlugin : public EditorDelegate, public PluginProcessor {
public:
    AppPlugin(); // starts the framework timer
    ~AppPlugin() override;

    // MIDI input thread: empty messages and those over 512 bytes are dropped;
    // under 4 bytes a short message, otherwise SysEx. A full ring drops the
    // message and counts it. Allocates nothing.
    MidiInputResult AcceptMidiInput(const std::uint8_t* bytes, std::size_t size);
    // Messages a full input ring had to drop since the start (any thread).
    std::uint64_t InputOverflows() const { return inputOverflows_.load(std::memory_order_relaxed); }

    // Audio thread: runs the block step for every 64 frames of the buffer.
    // outputs holds kNumOutputs channel pointers. Both hold the block step's
    // mark (RealtimeScope) while they run: what they reach allocates nothing,
    // prints nothing and touches no file.
    void ProcessAudio(float* const* outputs, int nFrames);
    // One block step: short input, SysEx input, short messages from the
    // editor, then the processing entry.
    void BlockStep(float* const* outputs, int nFrames);

    bool EditorSendsSysex(const SysExMessage& msg) override { return SendSysEx(msg); }

    // The plug-in's periodic task on the device timer.
    virtual void OnDeviceTimer() {}
    // User-interface thread, every framework tick after the editor's queues:
    // when the input rings dropped messages since the last look, the loss is
    // written to standard error, and the first loss is shown to the user
    // through ShowInputLoss (asked again each tick until it was shown).
    void CheckInputLosses();

    // User-interface thread, from the host's port watch: the device's MIDI
    // ports went away (unplugged, or the sound server stopped), and they are
    // back and open again.
    virtual void MidiPortsGone() {}
    virtual void MidiPortsBack() {}
    // User-interface thread: the host's way of closing the device's MIDI
    // ports and opening them again (RECONNECT starts afresh with them). The
    // plug-in calls ReopenMidiPorts; without a host it does nothing.
    void SetPortReopener(std::function<void()> reopen) { reopenPorts_ = std::move(reopen); }
    void ReopenMidiPorts() {
        if (reopenPorts_) reopenPorts_();
    }
    // User-interface thread: a message of the host for the user (the sound
    // server stopped); shown without holding up the caller. Written to
    // standard error unless the plug-in shows it.
    virtual void ShowHostMessage(const std::string& text);
    // Stops both timers; after this no timer function runs.
    void StopTimers();

    // Any thread, real-time safe: a sleeping framework timer ticks at once.
    void WakeFrameworkTimer();
    // Any thread, real-time safe: the framework timer ticks as soon as the
    // event loop can, asleep or not; one signal per tick at most.
    void HurryFrameworkTimer();
    // Whether the framework timer is asleep (user-interface thread).
    bool FrameworkTimerAsleep() const { return sleeping_.load(std::memory_order_relaxed); }

protected:
    // User-interface thread: whether the idle step needs the next tick even
    // with the queues empty (it counts ticks, or something it shows changes
    // with them). A plug-in that says false lets the framework timer sleep;
    // one that sets such state off the user-interface thread, outside the
    // block step, wakes the timer itself.
    virtual bool IdleNeedsTicks() const { return true; }
    // Screen work is drained at once rather than at the next 20 ms tick, so a
    // value from the pedal is painted within a frame of its arrival.
    void ScreenWorkQueued() override { HurryFrameworkTimer(); }

    // Tells the user that messages from the device were lost; false when it
    // could not be shown now (no editor open).
    virtual bool ShowInputLoss() { return false; }

    // Creates the 100 ms device timer once; it is process-wide, so a second
    // call (or a second plug-in while the first lives) does nothing.
    void CreateDeviceTimer();

private:
    void FrameworkTick();
    // Messages dropped or losses not yet shown: the next tick has work.
    bool InputLossesPending() const;

    RingBuffer<MidiShortMessage, kMidiInputShortEntries> midiInput_;
    RingBuffer<SysExEntry, kMidiInputSysExEntries> sysexInput_;
    std::atomic<std::uint64_t> inputOverflows_{0};
    std::uint64_t overflowsLogged_ = 0; // user-interface thread
    bool lossShown_ = false;
    // Made with the plug-in and destroyed with it (stopping only stops it),
    // so a wake from another thread never meets a destroyed timer.
    std::unique_ptr<Timer> frameworkTimer_;
    std::function<void()> reopenPorts_;
    // Set by the user-interface thread before it puts the timer to sleep and
    // cleared by whoever wakes it first.
    std::atomic<bool> sleeping_{false};
    // Set by the first hurry after a tick began; the next tick clears it.
    std::atomic<bool> hurried_{false};
    bool ownsDeviceTimer_ = false;
};

} // namespace tolvane
