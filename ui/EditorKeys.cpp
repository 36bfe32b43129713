// The editor's keys: stepping through the presets, saving to the slot, the
// preset files, and closing what is open on top.

#include "ui/EditorUi.h"

#include "device/Tolvane.h"
#include "toolkit/Canvas.h"
#include "toolkit/OverlayControls.h"
#include "toolkit/TextEntryControl.h"

#include <cstdlib>

namespace tolvane::ui {

namespace {

constexpr int kPageStep = 10;

} // namespace

bool EditorUi::KeyCommand(EditorCommand command) {
    switch (command) {
    case EditorCommand::PresetUp:
        StepPresetsByKey(1);
        return true;
    case EditorCommand::PresetDown:
        StepPresetsByKey(-1);
        return true;
    case EditorCommand::PresetUpTen:
        StepPresetsByKey(kPageStep);
        return true;
    case EditorCommand::PresetDownTen:
        StepPresetsByKey(-kPageStep);
        return true;
    case EditorCommand::SavePresetToSlot:
        SavePresetToSlotByKey();
        return true;
    case EditorCommand::ImportPresetFile:
        if (hooks_.loadPresetFile) hooks_.loadPresetFile();
        return true;
    case EditorCommand::ExportPresetFile:
        if (hooks_.savePresetFile) hooks_.savePresetFile();
        return true;
    case EditorCommand::CloseOverlay:
        return CloseTopmost();
    }
    return false;
}

void EditorUi::StepPresetsByKey(int steps) {
    Canvas* g = canvas_.load();
    // While a name is being typed the keys belong to the text.
    if (!g || (g->GetTextEntryControl() && g->GetTextEntryControl()->IsEditing())) return;
    // Only when the switch itself could be pressed: shown, enabled (the pedal
    // is), and no page over it.
    const Control* sw = ByTag(steps > 0 ? kTagUpSwitch : kTagDownSwitch);
    if (!sw || sw->IsHidden() || sw->IsDisabled() || GroupShown(kGroupGlobalSettings) ||
        GroupShown(kGroupKnobCc) || GroupShown(kGroupProgramMap) || GroupShown(kGroupJacks) ||
        GroupShown(kGroupFirmwareUpdate) || GroupShown(kGroupAbout) || GroupShown(kGroupCustomIr))
        return;
    if (!MayLeaveEditedPreset()) return;
    const int direction = steps > 0 ? 1 : -1;
    for (int i = 0; i < std::abs(steps); ++i)
        StepPreset(direction);
    ShowSteppedPreset();
    SelectSteppedPreset();
}

void EditorUi::SavePresetToSlotByKey() {
    if (!plugin_.Connected()) return;
    if (!plugin_.SaveArmed()) plugin_.PressSave(); // arms
    ShowNumber(true);
    plugin_.PressSave(); // stores into the current slot
    blinkCount_ = 0;
    blinkCounting_ = true;
    saveWaitOver_ = false;
}

bool EditorUi::GroupShown(const char* group) const {
    Canvas* g = canvas_.load();
    if (!g) return false;
    bool shown = false;
    g->ForEachInGroup(group, [&shown](Control& c) { shown = shown || !c.IsHidden(); });
    return shown;
}

bool EditorUi::CloseTopmost() {
    Canvas* g = canvas_.load();
    if (!g) return false;
    if (TextEntryControl* entry = g->GetTextEntryControl(); entry && entry->IsEditing()) {
        entry->Cancel();
        return true;
    }
    if (PopupMenuControl* popup = g->GetPopupMenuControl(); popup && popup->IsOpen()) {
        popup->Close();
        return true;
    }
    if (GroupShown(kGroupAbout)) {
        g->HideGroup(kGroupAbout);
        return true;
    }
    if (GroupShown(kGroupCustomIr)) {
        CloseCustomIrPicker();
        return true;
    }
    // The set-up pages go back to the settings page, as their BACK does.
    if (GroupShown(kGroupKnobCc)) {
        plugin_.LeaveKnobCcPage();
        return true;
    }
    if (GroupShown(kGroupProgramMap)) {
        plugin_.LeaveProgramMapPage();
        return true;
    }
    if (GroupShown(kGroupJacks)) {
        plugin_.LeaveJacksPage();
        return true;
    }
    if (GroupShown(kGroupGlobalSettings)) {
        CloseGlobalSettings();
        return true;
    }
    // The firmware page closes as its X does, but not while an update runs.
    if (GroupShown(kGroupFirmwareUpdate) && !GroupShown(kGroupFirmwareProgress)) {
        CloseFirmwarePage();
        return true;
    }
    return false;
}

} // namespace tolvane::ui
