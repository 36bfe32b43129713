#include "core/EditHistory.h"

#include <algorithm>
#include <utility>

namespace tolvane {

void EditHistory::BeginGesture(GestureKind kind, const void* source, double nowMs) {
    if (open_) return; // one gesture at a time: a nested one belongs to the outer
    open_ = true;
    current_ = Entry{{}, kind, source, nowMs};
    // A wheel notch soon after the last one on the same control carries on its step.
    if (kind == GestureKind::Wheel && !undo_.empty() && redo_.empty()) {
        const Entry& last = undo_.back();
        if (last.kind == GestureKind::Wheel && last.source == source && nowMs - last.lastMs <= kWheelRunMs) {
            current_.step = std::move(undo_.back().step);
            undo_.pop_back();
        }
    }
}

void EditHistory::EndGesture() {
    if (!open_) return;
    open_ = false;
    Push(std::move(current_));
    current_ = Entry{};
}

void EditHistory::Record(int index, double before, double after) {
    if (open_) {
        Add(current_.step, index, before, after);
        return;
    }
    Entry loose;
    Add(loose.step, index, before, after);
    Push(std::move(loose));
}

void EditHistory::Add(EditStep& step, int index, double before, double after) {
    const auto it = std::find_if(step.edits.begin(), step.edits.end(),
                                 [index](const ParamEdit& e) { return e.index == index; });
    if (it != step.edits.end()) {
        it->after = after; // the value before the gesture stays
        return;
    }
    step.edits.push_back({index, before, after});
}

void EditHistory::Push(Entry entry) {
    std::erase_if(entry.step.edits, [](const ParamEdit& e) { return e.before == e.after; });
    if (entry.step.edits.empty()) return;
    undo_.push_back(std::move(entry));
    redo_.clear();
}

std::optional<EditStep> EditHistory::TakeUndo() {
    if (undo_.empty()) return std::nullopt;
    Entry entry = std::move(undo_.back());
    undo_.pop_back();
    EditStep step = entry.step;
    redo_.push_back(std::move(entry));
    return step;
}

std::optional<EditStep> EditHistory::TakeRedo() {
    if (redo_.empty()) return std::nullopt;
    Entry entry = std::move(redo_.back());
    redo_.pop_back();
    // Redone, it no longer continues a wheel run.
    entry.kind = GestureKind::Press;
    EditStep step = entry.step;
    undo_.push_back(std::move(entry));
    return step;
}

void EditHistory::Clear() {
    undo_.clear();
    redo_.clear();
    open_ = false;
    current_ = Entry{};
}

} // namespace tolvane
