#include "core/AppPlugin.h"

#include "core/RealtimeScope.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace tolvane {

namespace {

// The one device timer of the process.
std::unique_ptr<Timer>& DeviceTimer() {
    static std::unique_ptr<Timer> timer;
    return timer;
}

std::mutex& DeviceTimerMutex() {
    static std::mutex m;
    return m;
}

} // namespace

AppPlugin::AppPlugin() {
    frameworkTimer_ = Timer::Create([this](Timer&) { FrameworkTick(); }, kFrameworkTimerMs);
}

void AppPlugin::FrameworkTick() {
    sleeping_.store(false, std::memory_order_relaxed);
    hurried_.store(false, std::memory_order_relaxed);
    OnFrameworkTick();
    CheckInputLosses();
    const auto idle = [this] { return ScreenQueuesEmpty() && !IdleNeedsTicks() && !InputLossesPending(); };
    if (!idle()) return;
    // Say so first, then look again: work queued before the flag was seen is
    // found by the second look, and whoever queues after it sees the flag and
    // wakes the timer (the fences pair with WakeFrameworkTimer's).
    sleeping_.store(true, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (!idle()) {
        sleeping_.store(false, std::memory_order_relaxed);
        return;
    }
    frameworkTimer_->Sleep([this] { return IdleNeedsTicks() || InputLossesPending(); });
}

void AppPlugin::WakeFrameworkTimer() {
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (!sleeping_.load(std::memory_order_relaxed)) return;
    if (sleeping_.exchange(false)) frameworkTimer_->Wake();
}

void AppPlugin::HurryFrameworkTimer() {
    if (hurried_.exchange(true)) return;
    frameworkTimer_->Hurry();
}

bool AppPlugin::InputLossesPending() const {
    const std::uint64_t lost = InputOverflows();
    return lost != overflowsLogged_ || (lost != 0 && !lossShown_);
}

AppPlugin::~AppPlugin() {
    StopTimers();
}

void AppPlugin::CreateDeviceTimer() {
    std::lock_guard lock(DeviceTimerMutex());
    if (DeviceTimer()) return;
    DeviceTimer() = Timer::Create([this](Timer&) { OnDeviceTimer(); }, kDeviceTimerMs);
    ownsDeviceTimer_ = true;
}

void AppPlugin::StopTimers() {
    frameworkTimer_->Stop();
    std::lock_guard lock(DeviceTimerMutex());
    if (ownsDeviceTimer_) {
        DeviceTimer()->Stop();
        DeviceTimer().reset();
        ownsDeviceTimer_ = false;
    }
}

MidiInputResult AppPlugin::AcceptMidiInput(const std::uint8_t* bytes, std::size_t size) {
    if (!bytes || size == 0 || size > static_cast<std::size_t>(kMaxSysExBytes))
        return MidiInputResult::Dropped;
    if (size < kMinSysExBytes) {
        const MidiShortMessage msg{0, bytes[0], size > 1 ? bytes[1] : std::uint8_t{0},
                                   size > 2 ? bytes[2] : std::uint8_t{0}};
        if (midiInput_.Push(msg)) return MidiInputResult::Queued;
    } else {
        SysExEntry entry;
        entry.size = static_cast<int>(size);
        std::copy_n(bytes, size, entry.data.begin());
        if (sysexInput_.Push(entry)) return MidiInputResult::Queued;
    }
    inputOverflows_.fetch_add(1, std::memory_order_relaxed);
    WakeFrameworkTimer(); // the loss is told by the next tick
    return MidiInputResult::Dropped;
}

void AppPlugin::ShowHostMessage(const std::string& text) {
    std::fprintf(stderr, "Tolvane: %s\n", text.c_str());
}

void AppPlugin::CheckInputLosses() {
    const std::uint64_t lost = InputOverflows();
    if (lost != overflowsLogged_) {
        std::fprintf(stderr, "Tolvane: %llu MIDI messages lost in all: the input queue was full\n",
                     static_cast<unsigned long long>(lost));
        overflowsLogged_ = lost;
    }
    // Set before showing: the message box runs the event loop, and with it
    // this tick again.
    if (lost == 0 || lossShown_) return;
    lossShown_ = true;
    if (!ShowInputLoss()) lossShown_ = false;
}

void AppPlugin::ProcessAudio(float* const* outputs, int nFrames) {
    const RealtimeScope clock;
    float* block[kNumOutputs] = {};
    for (int pos = 0; pos < nFrames; pos += kProcessBlockFrames) {
        for (int ch = 0; ch < kNumOutputs; ++ch)
            block[ch] = outputs[ch] ? outputs[ch] + pos : nullptr;
        BlockStep(block, std::min(kProcessBlockFrames, nFrames - pos));
    }
}

void AppPlugin::BlockStep(float* const* outputs, int nFrames) {
    const RealtimeScope clock;
    bool handled = false;
    MidiShortMessage msg;
    while (midiInput_.Pop(msg)) {
        ProcessMidiMsg(msg);
        QueueMidiForEditor(msg);
        handled = true;
    }
    SysExEntry entry;
    while (sysexInput_.Pop(entry)) {
        ProcessSysEx(entry.View());
        QueueSysExForEditor(entry);
        handled = true;
    }
    while (midiFromEditor_.Pop(msg)) {
        ProcessMidiMsg(msg);
        handled = true;
    }
    // What the receive entry did may give the idle step work (a message to
    // show, a display to hold) without queueing anything for the screen.
    if (handled) WakeFrameworkTimer();
    ProcessBlock(nullptr, outputs, nFrames);
}

} // namespace tolvane
