#pragma once
// The editor delegate: owner of the parameters and the routing of values and
// messages between the plug-in and the controls on screen.
//
// Sections
//   1. Records (editor size, queued entries, menu commands)
//   2. Parameters and their change notifications
//   3. Values towards the controls
//   4. MIDI and SysEx towards and from the editor
//   5. Hooks the plug-in overrides
//   6. The framework timer tick
//   7. Undo and redo of edits made in the editor
//
// Threads: everything runs on the user-interface thread except the pushes
// onto the queues towards the editor, which the audio thread makes too. The
// parameter queue is the one queue with two producers and is built for it.

#include "core/ControlDelegate.h"
#include "core/EditHistory.h"
#include "core/EditorControls.h"
#include "core/MidiMessages.h"
#include "core/ParamList.h"
#include "core/ParamSource.h"
#include "core/RingBuffer.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace tolvane {

// ---- 1. Records --------------------------------------------------------------

struct EditorSizeLimits {
    int width = 1920; // nominal editor size
    int height = 1200;
    int minWidth = 640;
    int minHeight = 400;
    int maxWidth = 5760;
    int maxHeight = 3600;
};

// Size and draw scale of the last editor, kept while the window is closed.
struct EditorWindowState {
    int width = 0;
    int height = 0;
    float scale = 0.f;
};

// A parameter value on its way to the controls (plain, not normalised).
struct ParamChange {
    std::int32_t index = 0;
    double value = 0.0;
};

enum class MenuCommand : int {
    FirmwareUpdate = 1,
    GlobalSettings = 2,
    ClearCacheData = 3,
    ImportAllPresets = 5,
    ExportAllPresets = 6,
};

// Commands of the editor's own keys (and their menu items), beyond undo and redo.
enum class EditorCommand {
    PresetUp,      // one preset on, as the up switch
    PresetDown,    // one back, as the down switch
    PresetUpTen,   // ten on
    PresetDownTen, // ten back
    SavePresetToSlot,
    ImportPresetFile,
    ExportPresetFile,
    CloseOverlay, // the topmost overlay or page that can be closed
};

inline constexpr std::size_t kParamQueueEntries = 513;
inline constexpr std::size_t kShortQueueEntries = 33;
inline constexpr std::size_t kSysExQueueEntries = 5;

class EditorDelegate : public IControlDelegate {
public:
    EditorDelegate() = default;
    ~EditorDelegate() override = default;
    EditorDelegate(const EditorDelegate&) = delete;
    EditorDelegate& operator=(const EditorDelegate&) = delete;

    // ---- 2. Parameters ------------------------------------------------------

    ParamList& Params() { return params_; }
    const ParamList& Params() const { return params_; }
    int NParams() const { return params_.Size(); }
    Param* GetParam(int index) override { return params_.GetParam(index); }
    const Param* GetParam(int index) const override { return params_.GetParam(index); }

    // The program's own way to change a parameter: set it from a normalised
    // value, then run the change hook with source "UI". Queues nothing.
    void SetParamAndNotify(int index, double normalised);
    // A control moved by the user. Kept in the edit history when the
    // parameter is undoable.
    void ParamChangeFromControl(int index, double normalised) override;
    // OnParamChange(index, source, -1) then ParamReachedControls, for every
    // parameter in index order.
    void NotifyAllParams(ParamSource source);
    // Reads the values from a buffer, then notifies every parameter with
    // source "Preset" (also when the buffer was short), and counts as values
    // loaded. Returns the position
    // after the last value read, or -1 when the buffer was short.
    int UnserializeParams(const std::vector<std::uint8_t>& data, int startPos);
    void SerializeParams(std::vector<std::uint8_t>& data) const;

    // ---- 3. Values towards the controls --------------------------------------

    // Any thread. A normalised value is turned into a plain one first; a full
    // queue drops the change.
    bool QueueParamForControls(int index, double value, bool normalised);
    // User-interface thread, only while the editor is open: the controls bound
    // to the index take the value, then ParamReachedControls(index, "Editor Delegate").
    void DeliverParamToControls(int index, double value, bool normalised);
    void PushAllValuesToControls();

    void AttachEditorControls(IEditorControls* controls) { controls_ = controls; }
    void DetachEditorControls() { controls_ = nullptr; }
    bool IsEditorOpen() const { return controls_ != nullptr && controls_->IsEditorOpen(); }

    const EditorSizeLimits& SizeLimits() const { return sizeLimits_; }
    const EditorWindowState& LastWindowState() const { return lastWindow_; }
    void KeepWindowState(const EditorWindowState& state) { lastWindow_ = state; }

    // ---- 4. MIDI and SysEx towards and from the editor ------------------------

    // Audio thread: received messages on their way to the editor.
    bool QueueMidiForEditor(const MidiShortMessage& msg) { return Queued(midiToEditor_.Push(msg)); }
    bool QueueSysExForEditor(const SysExEntry& entry) { return Queued(sysexToEditor_.Push(entry)); }
    void DeliverMidiToEditor(const MidiShortMessage& msg);
    void DeliverSysexToEditor(const SysExMessage& msg);
    // User-interface thread: the short message waits for the processing side.
    bool EditorSendsMidi(const MidiShortMessage& msg) { return midiFromEditor_.Push(msg); }
    // Sent at once; the stand-alone program has no queue for it.
    virtual bool EditorSendsSysex(const SysExMessage& msg) = 0;

    // ---- 5. Hooks -----------------------------------------------------------

    virtual void OnParamChange(int /*index*/) {}
    virtual void OnParamChange(int index, ParamSource source, int sampleOffset);
    virtual void ParamReachedControls(int /*index*/, ParamSource /*source*/) {}
    virtual void MidiReachedEditor(const MidiShortMessage& /*msg*/) {}
    virtual void SysexReachedEditor(const SysExMessage& /*msg*/) {}
    // Called once before the editor window closes.
    virtual void EditorClosing() {}
    // True when the plug-in handled the request.
    virtual bool RequestAbout() { return false; }
    virtual bool RequestManual() { return false; }
    virtual void HandleMenuCommand(MenuCommand /*command*/) {}
    // The last step of every framework timer tick.
    virtual void OnIdle() {}
    // The editor's keys; true when handled.
    virtual bool HandleEditorCommand(EditorCommand /*command*/) { return false; }
    // Whether edits of the parameter go into the edit history.
    virtual bool IsUndoable(int /*index*/) const { return true; }
    // Whether a change of the parameter made by the editor cannot be undone,
    // so that the history before it is dropped rather than stepped across.
    virtual bool FencesHistory(int /*index*/) const { return false; }

    // ---- 6. The framework timer tick -------------------------------------------

    // Drains the parameter, short-message and SysEx queues towards the editor,
    // then runs the idle step. Entries pushed during the drain are handled in
    // the same tick.
    void OnFrameworkTick();

    // ---- 7. Undo and redo -------------------------------------------------------

    void BeginEditGesture(GestureKind kind, const void* source, double nowMs) override;
    void EndEditGesture() override;
    // Puts the last step's parameters back (redo: on again) the way an edit
    // in the editor sets them: set, change hook with source "UI", and queued
    // for the controls. False when there is nothing to undo (redo).
    bool Undo();
    bool Redo();
    bool CanUndo();
    bool CanRedo();
    // Any thread: another preset's values were loaded, so the history no
    // longer applies; it is cleared on the user-interface thread.
    void NoteValuesLoaded() { valuesLoaded_.fetch_add(1, std::memory_order_release); }
    // Any thread: the editor made a change that cannot be undone; the history
    // before it is cleared the same way.
    void FenceHistory() { NoteValuesLoaded(); }

protected:
    // Where QueueParamForControls puts a change: the parameter queue, drained
    // first by the tick. A plug-in with its own queue of screen work puts it
    // there instead, so that the change keeps its place among the rest.
    virtual bool PushParamChange(const ParamChange& change) { return paramQueue_.Push(change); }
    // Any thread, right after an entry went into a queue towards the editor;
    // must be real-time safe.
    virtual void ScreenWorkQueued() {}
    // User-interface thread: whether the queues the tick drains are empty.
    virtual bool ScreenQueuesEmpty() const {
        return paramQueue_.Empty() && midiToEditor_.Empty() && sysexToEditor_.Empty();
    }

    RingBuffer<MidiShortMessage, kShortQueueEntries> midiFromEditor_;
    RingBuffer<SysExEntry, kSysExQueueEntries> sysexFromEditor_;

private:
    bool Queued(bool pushed) {
        if (pushed) ScreenWorkQueued();
        return pushed;
    }

    ParamList params_;
    IEditorControls* controls_ = nullptr;
    EditorSizeLimits sizeLimits_;
    EditorWindowState lastWindow_;

    SharedProducerRing<ParamChange, kParamQueueEntries> paramQueue_;
    // Clears the history when values were loaded (or it was fenced) since it
    // last looked; true when it did.
    bool ForgetHistoryAfterLoad();
    void ApplyStep(const EditStep& step, bool undo);
    EditHistory history_;
    std::atomic<unsigned> valuesLoaded_{0};
    unsigned valuesLoadedSeen_ = 0;
    bool applyingHistory_ = false;
    // The undoable values (normalised) when the open gesture began: a press
    // may change values through other paths than its control, and all of them
    // belong to its step.
    std::vector<double> gestureStart_;
    RingBuffer<MidiShortMessage, kShortQueueEntries> midiToEditor_;
    RingBuffer<SysExEntry, kSysExQueueEntries> sysexToEditor_;
};

} // namespace tolvane
