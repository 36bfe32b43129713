#pragma once
// Keeps the audio thread off the screen. Calls made on the user-interface
// thread go straight to the editor; calls made on any other thread (the audio
// thread, which applies what the pedal sends) are copied into a lock-free ring
// and replayed, in order, by Drain on the user-interface thread (the 20 ms
// framework tick). The producing side never blocks: a full ring drops the
// call, as every queue towards the editor does.
//
// Questions cannot wait for an answer off the user-interface thread: a message
// box asked there is replayed later and the caller gets Cancel at once. The
// link shows its audio-thread messages through its pending message instead.

#include "core/EditorSeam.h"
#include "core/RingBuffer.h"

#include <atomic>
#include <cstdint>
#include <thread>

namespace tolvane {

class QueuedEditorSeam final : public IEditorSeam {
public:
    static constexpr std::size_t kEntries = 1024;
    // Longest text carried through the ring; longer texts are cut.
    static constexpr std::size_t kTextCapacity = 127;

    // The calling thread becomes the user-interface thread.
    explicit QueuedEditorSeam(IEditorSeam& editor);

    // Names the user-interface thread when the seam was made elsewhere.
    void SetUiThread(std::thread::id id) { uiThread_ = id; }
    bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }

    // User-interface thread: replays every queued call in order.
    void Drain();
    // Calls dropped because the ring was full.
    std::uint64_t Dropped() const { return dropped_.load(std::memory_order_relaxed); }

    bool IsEditorOpen() const override;
    void SetTextByTag(ControlTag tag, const std::string& text) override;
    void SetTextColourByTag(ControlTag tag, Colour colour) override;
    void SetControlValueByTag(ControlTag tag, double normalised) override;
    void ShowGroup(const std::string& group) override;
    void HideGroup(const std::string& group) override;
    void EnableGroup(const std::string& group) override;
    void DisableGroup(const std::string& group) override;
    AskResult AskUser(const std::string& text, const std::string& caption, AskButtons buttons) override;
    std::string AskForFile(FileAction action, const std::string& extension, const std::string& directory,
                           const std::string& proposedName) override;

private:
    enum class Kind : std::uint8_t { Text, TextColour, ControlValue, Show, Hide, Enable, Disable, Message };

    struct Entry {
        Kind kind = Kind::Text;
        AskButtons buttons = AskButtons::Ok;
        ControlTag tag = 0;
        double value = 0.0;
        Colour colour;
        char text[kTextCapacity + 1] = {};
        char caption[32] = {};
    };

    void Queue(Entry& entry, const std::string& text);
    void Replay(const Entry& entry);

    IEditorSeam& editor_;
    std::thread::id uiThread_;
    // What the editor last said about being open, for the other threads.
    mutable std::atomic<bool> editorOpen_{false};
    std::atomic<std::uint64_t> dropped_{0};
    RingBuffer<Entry, kEntries> ring_;
};

} // namespace tolvane
