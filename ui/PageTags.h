#pragma once
// The control tags, group names and section page numbers of the editor's
// pages. The device link names the few it writes itself in device/LinkTags.h;
// the numbers here agree with those.

#include "core/EditorSeam.h"
#include "device/LinkTags.h"

namespace tolvane::ui {

// ---- Tags -----------------------------------------------------------------
inline constexpr ControlTag kTagNumberDisplay = link::kTagNumberDisplay; // 1
inline constexpr ControlTag kTagDynamicsTitle = 6;
inline constexpr ControlTag kTagDynamicsValue = 8;
inline constexpr ControlTag kTagCompRatioValue = 9;
inline constexpr ControlTag kTagExpRatioValue = 13;
inline constexpr ControlTag kTagGateRatioValue = 17;
inline constexpr ControlTag kTagGateReleaseValue = 19;
inline constexpr ControlTag kTagGateThresholdValue = 20;
inline constexpr ControlTag kTagAnalogSimValue = 21;
inline constexpr ControlTag kTagAnalogSimCaption = 22;
inline constexpr ControlTag kTagIrMode7 = 23;
inline constexpr ControlTag kTagIrMode8 = 24;
inline constexpr ControlTag kTagIrGainKnob7 = 25;
inline constexpr ControlTag kTagIrGainKnob8 = 26;
inline constexpr ControlTag kTagIrGainValue7 = 27;
inline constexpr ControlTag kTagIrGainValue8 = 28;
inline constexpr ControlTag kTagBuzzGainValue = 29;
inline constexpr ControlTag kTagBuzzQValue = 30;
inline constexpr ControlTag kTagPunchGainValue = 31;
inline constexpr ControlTag kTagPunchQValue = 32;
inline constexpr ControlTag kTagPunchFreqValue = 33;
inline constexpr ControlTag kTagPresenceValue = 34;
inline constexpr ControlTag kTagCrunchQValue = 35;
inline constexpr ControlTag kTagLowGainValue = 36;
inline constexpr ControlTag kTagLowQValue = 37;
inline constexpr ControlTag kTagMidGainValue = 38;
inline constexpr ControlTag kTagMidQValue = 39;
inline constexpr ControlTag kTagMidFreqValue = 40;
inline constexpr ControlTag kTagHighGainValue = 41;
inline constexpr ControlTag kTagHighQValue = 42;
inline constexpr ControlTag kTagReverbLevelValue = 43;
inline constexpr ControlTag kTagDecayValue = 44;
inline constexpr ControlTag kTagGainValue = 46;
inline constexpr ControlTag kTagLevelValue = 47;
inline constexpr ControlTag kTagAutoFilterValue = 48;
inline constexpr ControlTag kTagCleanValue = 49;
inline constexpr ControlTag kTagProgressCaption = link::kTagProgressCaption; // 51
inline constexpr ControlTag kTagProgressKnob = link::kTagProgressKnob; // 52
inline constexpr ControlTag kTagProgressText = link::kTagProgressText; // 53
inline constexpr ControlTag kTagUpSwitch = 54;
inline constexpr ControlTag kTagDownSwitch = 55;
inline constexpr ControlTag kTagSaveButton = 56;
inline constexpr ControlTag kTagSelectSwitch = 57;
inline constexpr ControlTag kTagFilterSwitch = 58;
inline constexpr ControlTag kTagFilterLed = 59;
inline constexpr ControlTag kTagIrSlider = 60;
inline constexpr ControlTag kTagIrImport7 = 61;
inline constexpr ControlTag kTagIrImport8 = 62;
inline constexpr ControlTag kTagIrRowBase = link::kTagIrRowBase; // IR list row r (1..8) carries 62 + r
inline constexpr ControlTag kTagIrName7 = link::kTagIrName7; // 69
inline constexpr ControlTag kTagIrName8 = link::kTagIrName8; // 70
inline constexpr ControlTag kTagReverbTypeFirst = link::kTagReverbTypeFirst; // 73..77
inline constexpr ControlTag kTagAmpModelFirst = link::kTagAmpModelFirst;     // 78..87
inline constexpr ControlTag kTagCompressionValue = 88;
inline constexpr ControlTag kTagClickToEditIr = 89;
inline constexpr ControlTag kTagPresetName = link::kTagPresetName; // 134
inline constexpr ControlTag kTagFirmwareText = link::kTagFirmwareText; // 135
inline constexpr ControlTag kTagFirmwareKnob = link::kTagFirmwareKnob; // 136
inline constexpr ControlTag kTagDeviceLine = link::kTagDeviceLine;   // 137
inline constexpr ControlTag kTagVersionLine = link::kTagVersionLine; // 138
inline constexpr ControlTag kTagSerialLine = link::kTagSerialLine;   // 139
inline constexpr ControlTag kTagStandaloneNotice = 140;
inline constexpr ControlTag kTagFirmwareBackground = 141;
// The unlit segments behind the number display: its face, not a text to read.
inline constexpr ControlTag kTagNumberGhost = 142;
inline constexpr ControlTag kTagPresetRowFirst = link::kTagPresetRowFirst; // 1000 + slot

// ---- Groups -----------------------------------------------------------------
inline constexpr const char* kGroupBackground = "background";
inline constexpr const char* kGroupPedal = link::kGroupPedal;
inline constexpr const char* kGroupFilterLed = "filterled";
inline constexpr const char* kGroupMain = link::kGroupMain;
inline constexpr const char* kGroupDevice = "devicecontrols";
inline constexpr const char* kGroupIrDisplay = "irdisplay";
inline constexpr const char* kGroupIr = "ircontrols";
inline constexpr const char* kGroupAnalogSim = "analogsimcontrols";
inline constexpr const char* kGroupGate = "gatecontrols";
inline constexpr const char* kGroupDynamics = "dynamicscontrols";
inline constexpr const char* kGroupComp = "compcontrols";
inline constexpr const char* kGroupExp = "expcontrols";
inline constexpr const char* kGroupLevel = "levelcontrols";
inline constexpr const char* kGroupDrive = "drivecontrols";
inline constexpr const char* kGroupPreamp = "preampcontrols";
inline constexpr const char* kGroupBuzz = "buzzfiltercontrols";
inline constexpr const char* kGroupPunch = "punchfiltercontrols";
inline constexpr const char* kGroupCrunch = "crunchfiltercontrols";
inline constexpr const char* kGroupLow = "lowfiltercontrols";
inline constexpr const char* kGroupMid = "midfiltercontrols";
inline constexpr const char* kGroupHigh = "highfiltercontrols";
inline constexpr const char* kGroupAutoFilter = "autofiltercontrols";
inline constexpr const char* kGroupAmbience = "ambiencecontrols";
// Named by the page switch but carried by no control.
inline constexpr const char* kGroupFilter = "filtercontrols";
inline constexpr const char* kGroupGlobalSettings = link::kGroupGlobalSettings;
inline constexpr const char* kGroupKnobCc = link::kGroupKnobCc;
inline constexpr const char* kGroupProgramMap = link::kGroupProgramMap;
inline constexpr const char* kGroupJacks = link::kGroupJacks;
inline constexpr const char* kGroupCustomIr = "customircontrols";
inline constexpr const char* kGroupFirmwareBackground = link::kGroupFirmwareBackground;
inline constexpr const char* kGroupFirmwareUpdate = link::kGroupFirmwareUpdate;
inline constexpr const char* kGroupFirmwareProgress = link::kGroupFirmwareProgress;
inline constexpr const char* kGroupAbout = "aboutcontrols";
inline constexpr const char* kGroupProgress = link::kGroupProgress;

// ---- Section pages ------------------------------------------------------------
enum SectionPage : int {
    kPageNone = 0,
    kPageGate = 1,
    kPageAmbience = 3,
    kPageIr = 4,
    kPageAnalogSim = 5,
    kPageLowFilter = 10,
    kPageMidFilter = 11,
    kPageHighFilter = 12,
    kPageDrive = 13,
    kPagePreamp = 14,
    kPageLevel = 15,
    kPageAutoFilter = 16,
    // Pages reached only from the section tabs.
    kPageBuzzFilter = 17,
    kPagePunchFilter = 18,
    kPageCrunchFilter = 19,
    kPageDynamics = 20,
};

// ---- Preset list geometry ------------------------------------------------------
inline constexpr int kVisibleRows = 19;
// A preset's name as the pedal keeps it.
inline constexpr int kPresetNameChars = 32;
inline constexpr int kLastFirstVisible = 109; // 128 slots - 19 rows
inline constexpr float kListTop = 228.f;
inline constexpr float kRowPitch = 50.f;
inline constexpr float kListLeft = 1.f;

inline constexpr int kNumAmpModels = 10;
inline constexpr int kNumReverbTypes = 5;

} // namespace tolvane::ui
