#include "device/QueuedEditorSeam.h"

#include "core/RealtimeScope.h"

#include <algorithm>

namespace tolvane {

namespace {

template <std::size_t N> void CopyText(char (&to)[N], std::string_view from) {
    const std::size_t n = std::min(from.size(), N - 1);
    std::copy_n(from.data(), n, to);
    to[n] = '\0';
}

} // namespace

QueuedEditorSeam::QueuedEditorSeam(IEditorSeam& editor)
    : editor_(editor), uiThread_(std::this_thread::get_id()), editorOpen_(editor.IsEditorOpen()) {}

void QueuedEditorSeam::Drain() {
    editorOpen_.store(editor_.IsEditorOpen(), std::memory_order_release);
    Entry entry;
    while (ring_.Pop(entry))
        Replay(entry);
}

bool QueuedEditorSeam::Queue(Entry& entry, std::string_view text) {
    CopyText(entry.text, text);
    if (ring_.Push(entry)) {
        if (queuedHook_) queuedHook_();
        return true;
    }
    dropped_.fetch_add(1, std::memory_order_relaxed);
    return false;
}

bool QueuedEditorSeam::QueueParamValue(int index, double value) {
    Entry entry;
    entry.kind = Kind::ParamValue;
    entry.tag = index;
    entry.value = value;
    return Queue(entry, {});
}

int QueuedEditorSeam::AddAction(std::function<void(int, int)> action) {
    actions_.push_back(std::move(action));
    return static_cast<int>(actions_.size()) - 1;
}

void QueuedEditorSeam::RunOnUi(int action, int a, int b) {
    if (OnUiThread()) {
        const OffClock editorWork;
        if (action >= 0 && action < static_cast<int>(actions_.size())) actions_[static_cast<std::size_t>(action)](a, b);
        return;
    }
    Entry entry;
    entry.kind = Kind::Action;
    entry.tag = action;
    entry.value = a;
    entry.arg = b;
    Queue(entry, {});
}

void QueuedEditorSeam::Replay(const Entry& entry) {
    switch (entry.kind) {
    case Kind::Text:
        editor_.SetTextByTag(entry.tag, entry.text);
        break;
    case Kind::TextColour:
        editor_.SetTextColourByTag(entry.tag, entry.colour);
        break;
    case Kind::ControlValue:
        editor_.SetControlValueByTag(entry.tag, entry.value);
        break;
    case Kind::Show:
        editor_.ShowGroup(entry.text);
        break;
    case Kind::Hide:
        editor_.HideGroup(entry.text);
        break;
    case Kind::Enable:
        editor_.EnableGroup(entry.text);
        break;
    case Kind::Disable:
        editor_.DisableGroup(entry.text);
        break;
    case Kind::Message:
        editor_.AskUser(entry.text, entry.caption, entry.buttons);
        break;
    case Kind::ParamValue:
        if (paramSink_) paramSink_(entry.tag, entry.value);
        break;
    case Kind::Action:
        if (entry.tag >= 0 && entry.tag < static_cast<int>(actions_.size()))
            actions_[static_cast<std::size_t>(entry.tag)](static_cast<int>(entry.value), entry.arg);
        break;
    }
}

bool QueuedEditorSeam::IsEditorOpen() const {
    if (!OnUiThread()) return editorOpen_.load(std::memory_order_acquire);
    const OffClock editorWork;
    const bool open = editor_.IsEditorOpen();
    editorOpen_.store(open, std::memory_order_release);
    return open;
}

void QueuedEditorSeam::SetTextByTag(ControlTag tag, std::string_view text) {
    if (OnUiThread()) {
        const OffClock editorWork;
        return editor_.SetTextByTag(tag, text);
    }
    Entry entry;
    entry.kind = Kind::Text;
    entry.tag = tag;
    Queue(entry, text);
}

void QueuedEditorSeam::SetTextColourByTag(ControlTag tag, Colour colour) {
    if (OnUiThread()) {
        const OffClock editorWork;
        return editor_.SetTextColourByTag(tag, colour);
    }
    Entry entry;
    entry.kind = Kind::TextColour;
    entry.tag = tag;
    entry.colour = colour;
    Queue(entry, {});
}

void QueuedEditorSeam::SetControlValueByTag(ControlTag tag, double normalised) {
    if (OnUiThread()) {
        const OffClock editorWork;
        return editor_.SetControlValueByTag(tag, normalised);
    }
    Entry entry;
    entry.kind = Kind::ControlValue;
    entry.tag = tag;
    entry.value = normalised;
    Queue(entry, {});
}

void QueuedEditorSeam::ShowGroup(std::string_view group) {
    if (OnUiThread()) {
        const OffClock editorWork;
        return editor_.ShowGroup(group);
    }
    Entry entry;
    entry.kind = Kind::Show;
    Queue(entry, group);
}

void QueuedEditorSeam::HideGroup(std::string_view group) {
    if (OnUiThread()) {
        const OffClock editorWork;
        return editor_.HideGroup(group);
    }
    Entry entry;
    entry.kind = Kind::Hide;
    Queue(entry, group);
}

void QueuedEditorSeam::EnableGroup(std::string_view group) {
    if (OnUiThread()) {
        const OffClock editorWork;
        return editor_.EnableGroup(group);
    }
    Entry entry;
    entry.kind = Kind::Enable;
    Queue(entry, group);
}

void QueuedEditorSeam::DisableGroup(std::string_view group) {
    if (OnUiThread()) {
        const OffClock editorWork;
        return editor_.DisableGroup(group);
    }
    Entry entry;
    entry.kind = Kind::Disable;
    Queue(entry, group);
}

AskResult QueuedEditorSeam::AskUser(std::string_view text, std::string_view caption, AskButtons buttons) {
    if (OnUiThread()) {
        const OffClock editorWork;
        return editor_.AskUser(text, caption, buttons);
    }
    Entry entry;
    entry.kind = Kind::Message;
    entry.buttons = buttons;
    CopyText(entry.caption, caption);
    Queue(entry, text);
    return AskResult::Cancel;
}

std::string QueuedEditorSeam::AskForFile(FileAction action, const std::string& extension,
                                         const std::string& directory, const std::string& proposedName) {
    // A file question needs its answer; off the user-interface thread there is none.
    if (!OnUiThread()) return {};
    return editor_.AskForFile(action, extension, directory, proposedName);
}

} // namespace tolvane
