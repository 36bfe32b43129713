#pragma once
// Only the user-interface thread touches controls, groups, pages, timers and
// dialogs. Objects that do screen work keep the thread that made them and
// check every entry against it; a call from any other thread prints what was
// called and aborts, so the fault shows where it is made instead of as a
// frozen or garbled window later. The checks are compiled in when the build
// sets TOLVANE_THREAD_CHECKS (debug and test builds); otherwise they cost one
// test of a constant.

#include <thread>

namespace tolvane {

// Whether this build checks the calling thread.
bool ThreadChecksOn();
// Prints "<what> called off the user-interface thread" and aborts.
[[noreturn]] void ThreadRuleBroken(const char* what);

class OwnerThread {
public:
    OwnerThread() : id_(std::this_thread::get_id()) {}

    bool IsCurrent() const { return std::this_thread::get_id() == id_; }
    void Check(const char* what) const {
        if (ThreadChecksOn() && !IsCurrent()) ThreadRuleBroken(what);
    }

private:
    std::thread::id id_;
};

} // namespace tolvane
