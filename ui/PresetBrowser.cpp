// The preset browser: row placement and the list's press and wheel, and the
// virtual pedal's up, down, select and save switches. While connected the
// browser never changes the current preset itself: it asks the pedal, whose
// Preset dump moves the number, the highlight and the list.

#include "ui/EditorUi.h"

#include "device/LinkTags.h"
#include "device/Tolvane.h"
#include "toolkit/Canvas.h"
#include "toolkit/TextControls.h"
#include "ui/InvisibleSelectControl.h"
#include "ui/Readouts.h"

#include <algorithm>
#include <utility>

namespace tolvane::ui {

namespace {

constexpr int kRepeatDelayTicks = -20; // the first repeated step comes after 20 ticks
constexpr int kWheelRows = 3;
constexpr int kWheelRowsFine = 1;

} // namespace

void EditorUi::PlaceRows() {
    const int first = FirstVisiblePreset();
    for (int i = 0; i < kPresetSlotCount; ++i) {
        TextControl* row = controls.presetRows[i];
        if (!row) continue;
        const float y = kListTop + kRowPitch * static_cast<float>(i - first);
        row->SetHidden(y < kListTop);
        row->SetPosition(kListLeft, y);
    }
}

void EditorUi::HighlightRow(int slot, bool selected) {
    if (slot < 0 || slot >= kPresetSlotCount) return;
    TextControl* row = controls.presetRows[slot];
    if (!row) return;
    row->SetTextColour(selected ? kColourRowSelected : kColourRow);
    if (selected) row->SetHidden(false);
}

void EditorUi::HighlightOnly(int slot) {
    if (slot != selectedRow_) HighlightRow(selectedRow_, false);
    selectedRow_ = slot;
    HighlightRow(selectedRow_, true);
}

void EditorUi::ListEvent() {
    if (!controls.listSurface) return;
    const SelectEvent& event = controls.listSurface->LastEvent();
    if (event.kind == SelectEvent::Press) {
        const Param* p = plugin_.GetParam(kParamPresetListRow);
        PressListRow(std::clamp(static_cast<int>(p->Value()), 0, kVisibleRows - 1));
    } else if (event.kind == SelectEvent::Wheel) {
        const int step = event.modifier != SelectEvent::None ? kWheelRowsFine : kWheelRows;
        const int first = FirstVisiblePreset();
        const int next =
            event.wheelUp ? std::max(0, first - step) : std::min(kLastFirstVisible, first + step);
        const double normalised = static_cast<double>(kLastFirstVisible - next) / kLastFirstVisible;
        plugin_.SetParamAndNotify(kParamScroll, normalised);
        plugin_.QueueParamForControls(kParamScroll, normalised, true);
    }
}

void EditorUi::PressListRow(int row) {
    const int slot = std::min(FirstVisiblePreset() + row, kPresetSlotCount - 1);
    // Selecting another preset leaves the edited one; a save to a slot keeps it.
    if (plugin_.Connected() && !plugin_.SaveArmed() && !MayLeaveEditedPreset()) return;
    HighlightOnly(slot);
    if (!plugin_.Connected()) return;
    if (plugin_.SaveArmed()) {
        ShowNumber(true);
        blinkCount_ = 0;
        blinkCounting_ = true;
        saveWaitOver_ = false;
    }
    // Save to slot when the save is armed, Select preset otherwise.
    plugin_.PickPresetSlot(selectedRow_);
}

void EditorUi::StepPreset(int direction) {
    const int slot = (plugin_.CurrentPreset() + direction + kPresetSlotCount) % kPresetSlotCount;
    plugin_.SetCurrentPreset(slot);
    SetText(kTagNumberDisplay, TwoDigits(plugin_.PatchOffset() + slot));
}

bool EditorUi::MayLeaveEditedPreset() {
    if (!plugin_.Flags().presetModified.load()) return true;
    return plugin_.Screen().AskUser(link::kTextPresetNotSaved, "", AskButtons::OkCancel) == AskResult::Ok;
}

void EditorUi::UpDownSwitch(Control& button, int direction) {
    bool& held = direction > 0 ? upHeld_ : downHeld_;
    if (!held) {
        button.SetValueFromDelegate(1.0);
        held = true;
        // An edited preset is left only when the user agrees. The question
        // waits for the release: a box opened during the press would take
        // the release, and the switch would stay held and step on by itself.
        askAtRelease_ = plugin_.Flags().presetModified.load();
        if (askAtRelease_) return;
        repeatTicks_ = kRepeatDelayTicks;
        StepPreset(direction);
        ShowSteppedPreset();
        return;
    }
    button.SetValueFromDelegate(0.0);
    held = false;
    if (std::exchange(askAtRelease_, false)) {
        if (!MayLeaveEditedPreset()) return;
        StepPreset(direction);
        ShowSteppedPreset();
    }
    SelectSteppedPreset();
}

void EditorUi::ShowSteppedPreset() {
    if (TextControl* number = TextByTag(kTagNumberDisplay)) number->SetTextColour(kColourDisplay);
    ShowNumber(true);
    plugin_.SharedFlags().presetModified.store(false);
}

void EditorUi::SelectSteppedPreset() {
    if (plugin_.Connected() && !plugin_.SaveArmed() && !selectArmed_)
        plugin_.SelectPreset(plugin_.CurrentPreset());
}

void EditorUi::SelectSwitch(Control& button) {
    if (!selectHeld_) {
        button.SetValueFromDelegate(1.0);
        selectHeld_ = true;
        return;
    }
    button.SetValueFromDelegate(0.0);
    selectHeld_ = false;
    if (!selectArmed_) {
        selectArmed_ = true;
        return;
    }
    ShowNumber(true);
    if (plugin_.Connected()) {
        plugin_.SelectPreset(plugin_.CurrentPreset());
        blinkCount_ = 0;
    }
    selectArmed_ = false;
}

void EditorUi::SaveButton(Control& button) {
    if (!saveHeld_) {
        button.SetValueFromDelegate(1.0);
        saveHeld_ = true;
        return;
    }
    button.SetValueFromDelegate(0.0);
    saveHeld_ = false;
    if (!plugin_.SaveArmed()) {
        plugin_.PressSave(); // arms
        saveWaitOver_ = false;
        return;
    }
    ShowNumber(true);
    const bool connected = plugin_.Connected();
    plugin_.PressSave(); // stores into the current slot, or disarms when not connected
    if (connected) {
        blinkCount_ = 0;
        blinkCounting_ = true;
        saveWaitOver_ = false;
    }
}

} // namespace tolvane::ui
