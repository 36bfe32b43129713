#pragma once
// Keeps the audio thread off the screen. Calls made on the user-interface
// thread go straight to the editor; calls made on any other thread (the audio
// thread, which applies what the pedal sends) are copied into a ring and
// replayed by Drain on the user-interface thread (the 20 ms framework tick).
//
// It is the one queue of screen work: besides the seam's own calls it carries
// parameter values on their way to the controls and the page logic's own steps
// (actions), so everything is replayed in the order it was raised, whichever
// kind it is. The producing side never blocks for long: a full ring drops the
// call, as every queue towards the editor does.
//
// Questions cannot wait for an answer off the user-interface thread: a message
// box asked there is replayed later and the caller gets Cancel at once. The
// link shows its audio-thread messages through its pending message instead.
//
// The queueing side allocates nothing: texts come as views and are copied
// into the entry's fixed buffers. A call that goes straight to the editor on
// the user-interface thread is the editor's work, never the clock's: it runs
// outside the block step's mark (OffClock, core/RealtimeScope.h), which
// matters only where one thread plays both parts, as in the link tests.

#include "core/EditorSeam.h"
#include "core/RingBuffer.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace tolvane {

class QueuedEditorSeam final : public IEditorSeam {
public:
    // A received preset raises a few entries per parameter; two presets and a
    // progress update within one tick fit with room to spare.
    static constexpr std::size_t kEntries = 4096;
    // Longest text carried through the ring; longer texts are cut.
    static constexpr std::size_t kTextCapacity = 127;

    // The calling thread becomes the user-interface thread.
    explicit QueuedEditorSeam(IEditorSeam& editor);

    // Names the user-interface thread when the seam was made elsewhere.
    void SetUiThread(std::thread::id id) { uiThread_ = id; }
    bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }

    // User-interface thread: replays every queued call in order.
    void Drain();

    // Any thread: a parameter's plain value on its way to the controls,
    // always queued (also from the user-interface thread, as the delegate's
    // parameter queue is). Drain hands it to the sink.
    bool QueueParamValue(int index, double value);
    void SetParamSink(std::function<void(int index, double value)> sink) { paramSink_ = std::move(sink); }

    // User-interface thread: registers a step of the page logic that other
    // threads may ask for; the id names it in RunOnUi.
    int AddAction(std::function<void(int a, int b)> action);
    // Any thread: runs the action now on the user-interface thread, else
    // queues it behind everything raised before.
    void RunOnUi(int action, int a = 0, int b = 0);
    // Calls dropped because the ring was full.
    std::uint64_t Dropped() const { return dropped_.load(std::memory_order_relaxed); }
    // Called on the queueing thread after every call queued (the audio thread
    // among them, so it must be real-time safe): it wakes whatever drains the
    // ring. Set once, before other threads queue.
    void SetQueuedHook(std::function<void()> hook) { queuedHook_ = std::move(hook); }
    // User-interface thread: nothing waits to be replayed.
    bool Empty() const { return ring_.Empty(); }

    bool IsEditorOpen() const override;
    void SetTextByTag(ControlTag tag, std::string_view text) override;
    void SetTextColourByTag(ControlTag tag, Colour colour) override;
    void SetControlValueByTag(ControlTag tag, double normalised) override;
    void ShowGroup(std::string_view group) override;
    void HideGroup(std::string_view group) override;
    void EnableGroup(std::string_view group) override;
    void DisableGroup(std::string_view group) override;
    AskResult AskUser(std::string_view text, std::string_view caption, AskButtons buttons) override;
    std::string AskForFile(FileAction action, const std::string& extension, const std::string& directory,
                           const std::string& proposedName) override;

private:
    enum class Kind : std::uint8_t {
        Text,
        TextColour,
        ControlValue,
        Show,
        Hide,
        Enable,
        Disable,
        Message,
        ParamValue,
        Action
    };

    struct Entry {
        Kind kind = Kind::Text;
        AskButtons buttons = AskButtons::Ok;
        ControlTag tag = 0; // also the parameter index or the action id
        int arg = 0;        // the action's second argument
        double value = 0.0; // also the action's first argument
        Colour colour;
        char text[kTextCapacity + 1] = {};
        char caption[32] = {};
    };

    bool Queue(Entry& entry, std::string_view text);
    void Replay(const Entry& entry);

    IEditorSeam& editor_;
    std::thread::id uiThread_;
    // What the editor last said about being open, for the other threads.
    mutable std::atomic<bool> editorOpen_{false};
    std::atomic<std::uint64_t> dropped_{0};
    // The audio thread and (for parameter values) the user-interface thread write.
    SharedProducerRing<Entry, kEntries> ring_;
    std::function<void(int, double)> paramSink_;
    std::function<void()> queuedHook_;
    // Written and read on the user-interface thread only.
    std::vector<std::function<void(int, int)>> actions_;
};

} // namespace tolvane
