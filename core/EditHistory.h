#pragma once
// The undo and redo history of parameter edits made in the editor. Every
// gesture is one step: what a press changes until its release (a drag, a
// click on a button or switch, a choice in a popup menu), and a run of wheel
// notches on one control, each within half a second of the last. An edit made
// outside any gesture (a value typed in) is a step of its own. A step keeps,
// for each parameter it touched, the value before the gesture and the value
// after it; a gesture that ends where it started leaves no step. A new step
// clears what could be redone.
//
// Values are normalised. User-interface thread only; the clock is the
// caller's, so tests step it.

#include "core/ControlDelegate.h"

#include <optional>
#include <vector>

namespace tolvane {

struct ParamEdit {
    int index = -1;
    double before = 0.0;
    double after = 0.0;
};

struct EditStep {
    std::vector<ParamEdit> edits; // in the order first touched
};

class EditHistory {
public:
    // Wheel notches this close to the previous one continue its step.
    static constexpr double kWheelRunMs = 500.0;

    // source tells controls apart for the wheel runs; it is never followed.
    void BeginGesture(GestureKind kind, const void* source, double nowMs);
    void EndGesture();
    bool InGesture() const { return open_; }

    void Record(int index, double before, double after);

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // The step to put back, now moved to the redo list; nullopt when none.
    std::optional<EditStep> TakeUndo();
    // The step to apply again, now moved back to the undo list.
    std::optional<EditStep> TakeRedo();
    void Clear();

private:
    struct Entry {
        EditStep step;
        GestureKind kind = GestureKind::Press;
        const void* source = nullptr;
        double lastMs = 0.0;
    };
    static void Add(EditStep& step, int index, double before, double after);
    void Push(Entry entry);

    std::vector<Entry> undo_;
    std::vector<Entry> redo_;
    Entry current_;
    bool open_ = false;
};

} // namespace tolvane
