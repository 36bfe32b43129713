#pragma once
// The pedal's 138 parameters: their indices, the groups the indices fall
// into, and the function that builds them into a parameter list.
//
// Sections
//   1. Counts and index groups
//   2. Index constants, one per parameter
//   3. Building the list

#include "core/ParamList.h"

namespace tolvane {

// ---- 1. Counts and index groups --------------------------------------------

inline constexpr int kNumParams = 138;

// 0..64: the values of the pedal's current preset.
inline constexpr int kNumPresetParams = 65;
// 80..89: the global settings block (with 33, 34, 35).
inline constexpr int kFirstGlobalParam = 80;
inline constexpr int kLastGlobalParam = 89;
// 90..97: the CC numbers of the pedal's knobs DRIVE, LOW, MID, HIGH, REVERB,
// GATE, FILTER, LEVEL.
inline constexpr int kFirstKnobCcParam = 90;
inline constexpr int kNumKnobCcParams = 8;
// 100..137: the set-up of the two controller jacks, held only.
inline constexpr int kFirstJackParam = 100;
inline constexpr int kLastJackParam = 137;

constexpr bool IsPresetParam(int index) {
    return index >= 0 && index < kNumPresetParams;
}
constexpr bool IsGlobalParam(int index) {
    return index >= kFirstGlobalParam && index <= kLastGlobalParam;
}

// ---- 2. Index constants -----------------------------------------------------
// Some names repeat in the table (e.g. two "IR Mode"); the constants tell
// them apart by what they do.

enum ParamIndex : int {
    // Preset
    kParamLevel = 0,
    kParamGain = 1,
    kParamBuzz = 2,
    kParamPunch = 3,
    kParamCrunch = 4,
    kParamDrive = 5,
    kParamLow = 6,
    kParamHigh = 7,
    kParamReverb = 8,
    kParamGate = 9,
    kParamDynamics = 10,
    kParamPunchFreq = 11,
    kParamMid = 12,
    kParamMidShift = 13,
    kParamIr = 14,
    kParamAnalogSim = 15,
    kParamReverbRoomSize = 16,
    kParamReverbDecayTime = 17,
    kParamReverbDiffusion = 18,
    kParamReverbExtensionFactor = 19,
    kParamReverbFbkDelaySize = 20,
    kParamReverbFbkFilter = 21,
    kParamReverbFbkDamperFactor = 22,
    kParamReverbLpFilter = 23,
    kParamReverbHpFilter = 24,
    kParamCompressorRatio = 25,
    kParamCompressorOutputGain = 26,
    kParamCompressorAttack = 27,
    kParamCompressorRelease = 28,
    kParamExpanderRatio = 29,
    kParamExpanderOutputGain = 30,
    kParamExpanderAttack = 31,
    kParamExpanderRelease = 32,
    kParamSoftClipping = 33,
    kParamAnalogSimGain = 34,
    kParamAntiAliasingFilter = 35,
    kParamCleanInputLevel = 36,
    kParamGateRatio = 37,
    kParamGateAttack = 38,
    kParamGateRelease = 39,
    kParamIrMode7 = 40,
    kParamIrMode8 = 41,
    kParamUserIrGain7 = 42,
    kParamUserIrGain8 = 43,
    kParamBuzzQ = 44,
    kParamPunchQ = 45,
    kParamCrunchQ = 46,
    kParamMidQ = 47,
    kParamLowQ = 48,
    kParamHighQ = 49,
    kParamAutoGain = 50,
    kParamLookahead = 51,
    kParamTuner = 52,
    kParamUserIr7PresetMsb = 53,
    kParamUserIr7Preset = 54,
    kParamUserIr8PresetMsb = 55,
    kParamUserIr8Preset = 56,
    kParamReverbMode = 57,
    kParamReverbModulationDepth = 58,
    kParamReverbModulationRate = 59,
    kParamAutoFilterOn = 60,
    kParamAutoFilterLevel = 61,
    kParamAutoFilterAttack = 62,
    kParamAutoFilterRelease = 63,
    kParamPresetLevel = 64,
    // 65..68 unused
    // Editor-only selections and macros
    kParamCompression = 69,
    kParamScroll = 70,
    kParamPresetListRow = 71,
    kParamIrListRow = 72,
    kParamIrSelectorInverted = 73,
    kParamPageTrigger = 74,
    // 75, 76 unused
    kParamCustomIrBank = 77,
    kParamIrSlotLeft = 78,
    kParamIrSlotRight = 79,
    // Global settings
    kParamDefineMidiMapping = 80,
    kParamMidiThruMode = 81,
    kParamPatchOffset = 82,
    kParamMidiCcMode = 83,
    kParamMidiCcChannel = 84,
    kParamEditPotDisplayMode = 85,
    kParamDisengageAllPots = 86,
    kParamTunerFrequency = 87,
    kParamPresetProtectionWriter = 88,
    kParamTunerDetune = 89,
    // Knob CC numbers
    kParamCcDrive = 90,
    kParamCcLow = 91,
    kParamCcMid = 92,
    kParamCcHigh = 93,
    kParamCcReverb = 94,
    kParamCcGate = 95,
    kParamCcFilter = 96,
    kParamCcLevel = 97,
    // Program map editor
    kParamControllerProgram = 98,
    kParamDunvaleProgram = 99,
    // Controller jacks
    kParamJack2Mode = 100,
    kParamJack2Polarity = 101,
    kParamJack1Mode = 102,
    kParamJack1Polarity = 103,
    kParamPedal2MidiChannel = 104,
    kParamPedal2Mode = 105,
    kParamPedal2Controller = 106,
    kParamPedal2OutMinimum = 107,
    kParamPedal2OutMaximum = 108,
    kParamPedal2CalibrationLow = 109,
    kParamPedal2CalibrationHigh = 110,
    kParamSwitchA2MidiChannel = 111,
    kParamSwitchA2Operation = 112,
    kParamSwitchA2FunctionMode = 113,
    kParamSwitchA2Controller = 114,
    kParamSwitchB2MidiChannel = 115,
    kParamSwitchB2Operation = 116,
    kParamSwitchB2FunctionMode = 117,
    kParamSwitchB2Controller = 118,
    kParamSwitch2SpecialCtrlLower = 119,
    kParamSwitch2SpecialCtrlUpper = 120,
    kParamPedal1MidiChannel = 121,
    kParamPedal1Mode = 122,
    kParamPedal1Controller = 123,
    kParamPedal1OutMinimum = 124,
    kParamPedal1OutMaximum = 125,
    kParamPedal1CalibrationLow = 126,
    kParamPedal1CalibrationHigh = 127,
    kParamSwitchA1MidiChannel = 128,
    kParamSwitchA1Operation = 129,
    kParamSwitchA1FunctionMode = 130,
    kParamSwitchA1Controller = 131,
    kParamSwitchB1MidiChannel = 132,
    kParamSwitchB1Operation = 133,
    kParamSwitchB1FunctionMode = 134,
    kParamSwitchB1Controller = 135,
    kParamSwitch1SpecialCtrlLower = 136,
    kParamSwitch1SpecialCtrlUpper = 137,
};

// ---- 3. Building the list ---------------------------------------------------

// Appends the 138 parameters, in index order, to an empty list, each at its
// default. Indices 65..68, 74, 75, 76 stay uninitialised (range 0..1, value 0,
// no name).
void InitDeviceParams(ParamList& params);

} // namespace tolvane
