#pragma once
// The plug-in's clock when there is no JACK client: a thread of its own that
// runs the block step over one period at a time, at the pace of the stored
// buffer size and sample rate (512 frames at 44100 Hz by default, so every
// 11.6 ms). MIDI then comes through the ALSA sequencer, whose input thread
// fills the plug-in's rings as ever.
//
// Threads: Start and Stop on the user-interface thread; the block step on
// the clock's own thread.

#include "core/AppPlugin.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tolvane {

class InternalClock {
public:
    explicit InternalClock(AppPlugin& plugin) : plugin_(plugin) {}
    ~InternalClock() { Stop(); }
    InternalClock(const InternalClock&) = delete;
    InternalClock& operator=(const InternalClock&) = delete;

    // Stops a running clock and starts it at this pace; values outside what
    // a sound card offers are replaced by the defaults. Tells the plug-in the
    // rate and resets it first.
    void Start(unsigned bufferFrames, unsigned sampleRate);
    void Stop();
    bool IsRunning() const { return thread_.joinable(); }

    unsigned BufferFrames() const { return frames_; }
    unsigned SampleRate() const { return rate_; }
    std::chrono::nanoseconds Period() const;

private:
    void Run();

    AppPlugin& plugin_;
    unsigned frames_ = 0;
    unsigned rate_ = 0;
    std::thread thread_;
    std::mutex mutex_; // only for the stop signal
    std::condition_variable stopSignal_;
    bool stopRequested_ = false;
};

} // namespace tolvane
