// What the buttons of the pages do, beyond the preset browser: voicing
// buttons, the filter switch, the IR imports, the firmware page, and closing
// the overlays.

#include "ui/EditorUi.h"

#include "device/Tolvane.h"
#include "toolkit/Canvas.h"
#include "toolkit/TextControls.h"

namespace tolvane::ui {

namespace {

// The user-IR slots of the second IR position follow those of the first.
constexpr int kSecondPositionSlots = 128;

} // namespace

void EditorUi::AmpModelButton(int k, Control& button) {
    // Only a button not yet lit acts, and only on its press.
    if (button.GetValue() != 0.0) return;
    LightAmpVoicing(k);
    plugin_.ApplyAmpVoicing(k);
}

void EditorUi::ReverbTypeButton(int k, Control& button) {
    if (button.GetValue() != 0.0) return;
    LightAmbienceVoicing(k);
    plugin_.ApplyAmbienceVoicing(k);
}

void EditorUi::FilterSwitch(Control& button) {
    if (button.GetValue() != 0.0) {
        button.SetValueFromDelegate(0.0); // the release
        return;
    }
    const bool on = !autoFilterOn_.load();
    autoFilterOn_.store(on);
    button.SetValueFromDelegate(1.0);
    plugin_.SetParamAndNotify(kParamAutoFilterOn, on ? 1.0 : 0.0);
    plugin_.QueueParamForControls(kParamAutoFilterOn, on ? 1.0 : 0.0, true);
}

void EditorUi::IrImport(bool firstPosition) {
    // The position is pointed at the slot only once a WAV file was accepted,
    // so that a cancelled or refused import leaves the pedal as it was.
    const int slot = plugin_.CurrentPreset() + (firstPosition ? 0 : kSecondPositionSlots);
    plugin_.ImportIrFile(slot, firstPosition ? 7 : 8);
}

void EditorUi::UpdateFirmware() {
    Canvas* g = canvas_.load();
    if (!g) return;
    const std::string path = g->AskForFile(FileAction::Open, "ldr");
    if (!path.empty() && hooks_.loadFirmware) hooks_.loadFirmware(path);
}

void EditorUi::CloseFirmwarePage() {
    if (hooks_.closeFirmwarePage) {
        hooks_.closeFirmwarePage();
        return;
    }
    plugin_.SetConnected(false);
    plugin_.SetAutoConnect(true);
    if (Canvas* g = canvas_.load()) {
        g->HideGroup(kGroupFirmwareBackground);
        g->HideGroup(kGroupFirmwareUpdate);
        g->EnableGroup(kGroupMain);
    }
}

void EditorUi::CloseGlobalSettings() {
    if (Canvas* g = canvas_.load()) g->HideGroup(kGroupGlobalSettings);
    plugin_.CloseGlobalSettings();
}

void EditorUi::CloseCustomIrPicker() {
    if (Canvas* g = canvas_.load()) g->HideGroup(kGroupCustomIr);
    for (TextControl* row : controls.irSlotRows)
        if (row) row->SetTextColour(kColourIrSlotRow);
    plugin_.SetIrEditTargets(false, false);
}

bool EditorUi::ShowAbout() {
    Canvas* g = canvas_.load();
    if (!g) return false;
    g->ShowGroup(kGroupAbout);
    return true;
}

} // namespace tolvane::ui
