#pragma once
// A Timer calls its function, with itself as argument, every period on the
// user-interface thread. Core code creates timers through Timer::Create; the
// program installs a factory backed by its event loop, tests install a manual
// clock (core/ManualTimer.h). Without a factory a timer is created inactive and
// never fires.

#include <cstdint>
#include <functional>
#include <memory>

namespace tolvane {

class Timer {
public:
    using Function = std::function<void(Timer&)>;
    using Factory = std::function<std::unique_ptr<Timer>(Function, std::uint32_t periodMs)>;

    virtual ~Timer() = default;
    // After Stop the function is never called again.
    virtual void Stop() = 0;
    virtual std::uint32_t PeriodMs() const = 0;

    // A timer whose work comes in bursts may sleep between them, so that an
    // idle program does not wake every period for nothing.
    //
    // User-interface thread (usually from the timer's own function): the
    // function is not called again until the timer wakes, which it does on
    // Wake, or when the event loop is about to wait and wanted() (asked on the
    // user-interface thread) is true. A timer that cannot sleep keeps running.
    virtual void Sleep(std::function<bool()> /*wanted*/) {}
    // Any thread, also the audio thread: takes no lock, allocates nothing and
    // never waits. A sleeping timer calls its function from the event loop at
    // once, then every period again. A Wake that comes between the decision
    // to sleep and Sleep itself still wakes the timer.
    virtual void Wake() {}
    // Any thread, with Wake's guarantees: the function runs from the event
    // loop as soon as it can, whether the timer sleeps or not, and the next
    // period counts from there. For work that should not wait for the rest
    // of a period (a value from the pedal on its way to the screen).
    virtual void Hurry() { Wake(); }

    // Whether a timer's function is running on this thread now. Timers call
    // their function inside a FunctionScope, so that what must not happen
    // inside one (a modal dialog, with its own event loop under the timer)
    // can wait until the function has returned.
    static bool InFunction();
    class FunctionScope {
    public:
        FunctionScope();
        ~FunctionScope();
        FunctionScope(const FunctionScope&) = delete;
        FunctionScope& operator=(const FunctionScope&) = delete;
    };

    static std::unique_ptr<Timer> Create(Function func, std::uint32_t periodMs);
    // Installs the factory used by Create; an empty factory restores the
    // inactive default. Call on the user-interface thread before any plug-in
    // exists.
    static void SetFactory(Factory factory);
};

} // namespace tolvane
