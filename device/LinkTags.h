#pragma once
// What the device link shows, by name: the control tags and groups it writes
// through the editor seam, its colours and its fixed texts.

#include "core/EditorSeam.h"

namespace tolvane::link {

// Why the running transfers end at once: the RECONNECT button, the pedal's
// MIDI ports went away, or the periodic task found the link not connected
// while they ran. Each transfer says so in its message.
enum class LinkEnd { Reconnect, PortsGone, LinkLost };

// Control tags
inline constexpr ControlTag kTagNumberDisplay = 1;    // two-digit preset display
inline constexpr ControlTag kTagProgressCaption = 51; // what the progress panel is showing
inline constexpr ControlTag kTagProgressKnob = 52;
inline constexpr ControlTag kTagProgressText = 53;
inline constexpr ControlTag kTagIrRowBase = 62;       // IR list row r (1..8) carries 62 + r
inline constexpr ControlTag kTagIrName7 = 69;         // IR list row 7: name at IR position 7
inline constexpr ControlTag kTagIrName8 = 70;         // IR list row 8: name at IR position 8
inline constexpr ControlTag kTagReverbTypeFirst = 73; // reverb-type buttons 73..77
inline constexpr ControlTag kTagAmpModelFirst = 78;   // amp-model buttons 78..87
inline constexpr ControlTag kTagNameMessage = 90; // editable text a Name message fills (none on the pages)
inline constexpr ControlTag kTagPresetName = 134;
inline constexpr ControlTag kTagFirmwareText = 135;
inline constexpr ControlTag kTagFirmwareKnob = 136;
inline constexpr ControlTag kTagDeviceLine = 137;
inline constexpr ControlTag kTagVersionLine = 138;
inline constexpr ControlTag kTagSerialLine = 139;
// The 128 rows of the preset list carry no tag of their own on the page; the
// link reaches row i as kTagPresetRowFirst + i.
inline constexpr ControlTag kTagPresetRowFirst = 1000;

// Groups
inline constexpr const char* kGroupPedal = "bcontrols";
inline constexpr const char* kGroupMain = "maincontrols";
inline constexpr const char* kGroupFirmwareBackground = "fwbgcontrols";
inline constexpr const char* kGroupFirmwareUpdate = "fwupdatecontrols";
inline constexpr const char* kGroupFirmwareProgress = "firmwarecontrols";
inline constexpr const char* kGroupProgress = "progresscontrols";
inline constexpr const char* kGroupGlobalSettings = "globalsettingscontrols";
inline constexpr const char* kGroupKnobCc = "midicccontrols";
inline constexpr const char* kGroupProgramMap = "midiprogramcontrols";
inline constexpr const char* kGroupJacks = "jackcontrols";

// Colours (alpha, red, green, blue)
inline constexpr Colour kColourDisplay{255, 255, 255, 255};
// Amber, so an edited preset's number cannot be taken for the unlit segments.
inline constexpr Colour kColourDisplayModified{255, 255, 176, 32};
inline constexpr Colour kColourListRow{150, 100, 255, 255};
inline constexpr Colour kColourListRowSelected{255, 100, 255, 255};

// Texts
inline constexpr const char* kTextDevice = "DEVICE: Brennix Velumo Ostrel";
inline constexpr const char* kTextConnecting = "Connecting to the device...";
inline constexpr const char* kTextUpgrade = "Please upgrade Tolvane to actual version %d.";
inline constexpr const char* kTextEditorOutOfDate =
    "Editor version out of date. Please download the most recent version.";
inline constexpr const char* kTextError = "ERROR!";
// Asked before an edited preset is left or replaced; OK drops the edits.
inline constexpr const char* kTextPresetNotSaved = "Current Preset not saved. \nContinue without saving?";
inline constexpr const char* kTextFinished = "Finished successfully!";
inline constexpr const char* kTextLoadStoppedNoAnswer = "Loading presets stopped: the pedal did not answer.";
inline constexpr const char* kTextLoadStoppedByReconnect = "Loading presets stopped by RECONNECT.";
inline constexpr const char* kTextPresetsNotCached =
    "Presets could not be saved in the data folder (not writable or disk full).\nThey are read again next "
    "time.";
inline constexpr const char* kTextMessagesLost =
    "Some messages from the pedal were lost, so the editor may not show what the pedal holds.\n"
    "Press RECONNECT to read the pedal again.";
// When the pedal's MIDI ports disappear (unplugged, or its sound server gone).
inline constexpr const char* kTextPortsGone = "PEDAL DISCONNECTED: its MIDI ports are gone";
inline constexpr const char* kTextWaitingForPorts = "Waiting for them to come back...";
inline constexpr const char* kTextLoadStoppedPortsGone =
    "Loading presets stopped: the pedal's MIDI ports went away.";
inline constexpr const char* kTextAreYouSure = "Are you sure?";

// The progress panel's caption, naming the transfer that runs.
inline constexpr const char* kTextLoadingPresets = "Loading Presets...";
inline constexpr const char* kTextExportingPresets = "Exporting Presets...";
inline constexpr const char* kTextExportingIrs = "Exporting Impulse Responses...";
inline constexpr const char* kTextImportingBackup = "Importing Presets...";
inline constexpr const char* kTextSendingIr = "Sending Impulse Response...";
inline constexpr const char* kTextLoadingIr = "Loading Impulse Response...";

} // namespace tolvane::link
