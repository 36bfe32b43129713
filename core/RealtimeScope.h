#pragma once
// Marks the thread that is running the block step now: the audio clock (soon a
// JACK process callback, shared with the whole audio graph) must not allocate,
// take a lock another thread may hold for long, print, or touch files there.
// AppPlugin::ProcessAudio and BlockStep hold a RealtimeScope for their whole
// run; what they reach can ask RealtimeScope::Active() to hand work that
// needs the disk or the heap to the user-interface thread instead (the cache
// writes, CacheMirror). The test build counts allocations and file calls made
// while the mark is set (tests/support/RealtimeCounter).
//
// The mark is one flag per thread, so a block step on one thread says nothing
// about another. Scopes nest; each puts back what it found.
//
// OffClock clears the mark for a stretch that is the user-interface thread's
// own work even though the clock's call chain reached it. That happens only
// where one thread plays both parts, as the link tests do when they hand the
// pedal's answers to the receive entry on the test thread: the queued screen
// seam then goes straight to the editor instead of queueing. On the real clock
// thread nothing takes those paths.

namespace tolvane {

class RealtimeScope {
public:
    RealtimeScope() : outer_(active_) { active_ = true; }
    ~RealtimeScope() { active_ = outer_; }
    RealtimeScope(const RealtimeScope&) = delete;
    RealtimeScope& operator=(const RealtimeScope&) = delete;

    // Whether this thread is inside the block step now.
    static bool Active() { return active_; }

private:
    friend class OffClock;
    bool outer_;
    static constinit inline thread_local bool active_ = false;
};

class OffClock {
public:
    OffClock() : outer_(RealtimeScope::active_) { RealtimeScope::active_ = false; }
    ~OffClock() { RealtimeScope::active_ = outer_; }
    OffClock(const OffClock&) = delete;
    OffClock& operator=(const OffClock&) = delete;

private:
    bool outer_;
};

} // namespace tolvane
