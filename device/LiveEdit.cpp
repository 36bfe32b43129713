// Live edits: the device part of the change hook, the interlocks between
// parameters, the voicings, the pedal's own reports and the two-step user-IR
// number.

#include "device/LinkTags.h"
#include "device/ParamTable.h"
#include "device/SysexBuilders.h"
#include "device/Tolvane.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tolvane {

namespace {

// Preset parameters whose two-digit display shows something else or nothing.
bool ShowsOwnNumber(int index) {
    return index != kParamIr && index != kParamIrMode7 && index != kParamIrMode8 &&
           index != kParamReverbMode && index != kParamAutoFilterOn;
}

bool IsUserIrSlotParam(int index) {
    return index >= kParamUserIr7PresetMsb && index <= kParamUserIr8Preset;
}

// Edits of these indices are tracked as the last edit.
constexpr int kTrackedEditLimit = 38;
// IR list rows 0..8 pick the IR values 1, 16, 32 ... 127.
constexpr int kLastIrListRow = 8;
constexpr int kSlotsPerBank = 32;
constexpr int kSlotsPerColumn = 16;

} // namespace

// ---- The change hook ---------------------------------------------------------------

void Tolvane::OnParamChange(int index) {
    const Param* param = GetParam(index);
    if (!param) return;
    const int v = param->Int();
    if (IsPresetParam(index)) DeviceStep(index, v);
    if (EditorOpen()) UpdatePresetModified();
    Interlock(index, v);
    if (display_.paramDisplay) display_.paramDisplay(index);
    if (flags_.editTracking.load() && index < kTrackedEditLimit) {
        lastEdit_.Store({index, v});
        flags_.presetModified.store(true);
    }
}

void Tolvane::DeviceStep(int index, int v) {
    if (EditorOpen() && ShowsOwnNumber(index)) ShowPresetNumber(v);
    if (Connected()) {
        bool tell = IsUserIrSlotParam(index);
        if (deviceValueCache_[static_cast<std::size_t>(index)].exchange(v) != v) tell = true;
        if (tell && !flags_.applyFlag.load())
            Send(sysex::BuildSetParameter(DeviceAddressTable[index], static_cast<std::uint8_t>(v)));
    }
    displayHoldAsked_.store(true);
}

void Tolvane::ShowPresetNumber(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", number);
    screen_.SetTextByTag(link::kTagNumberDisplay, text);
}

void Tolvane::UpdatePresetModified() {
    const bool modified = PresetDiffers(deviceValueCache_, storedPresetValues_);
    flags_.presetModified.store(modified);
    screen_.SetTextColourByTag(link::kTagNumberDisplay,
                               modified ? link::kColourDisplayModified : link::kColourDisplay);
}

void Tolvane::Interlock(int index, int v) {
    switch (index) {
    case kParamCompression:
        SetAndQueue(kParamDynamics, v / 127.0);
        break;
    case kParamIrSelectorInverted:
        SetAndQueue(kParamIr, (127 - v) / 127.0);
        break;
    case kParamIrListRow:
        if (EditorOpen() && irListPress_) {
            const int row = std::min(v, kLastIrListRow);
            // Single precision on purpose: it gives the values 1, 16, ... 127.
            SetAndQueue(kParamIr, static_cast<double>(0.125f * static_cast<float>(row) + 0.004f));
        }
        break;
    case kParamControllerProgram:
        SetAndQueue(kParamDunvaleProgram, programMap_[std::clamp(v, 0, kProgramMapSize - 1)] / 127.0);
        break;
    case kParamDunvaleProgram:
        programMap_[std::clamp(ParamInt(kParamControllerProgram), 0, kProgramMapSize - 1)] = v;
        break;
    case kParamCustomIrBank:
        // Showing the bank asks the pedal for its names; unwired, only the request goes out.
        if (transfers_.showIrBank)
            transfers_.showIrBank(v);
        else
            Send(sysex::BuildRequestIrNameBlock(static_cast<std::uint8_t>(4 * v)));
        break;
    case kParamIrSlotLeft:
    case kParamIrSlotRight:
        ClickIrSlot(v, index == kParamIrSlotRight);
        break;
    case kParamUserIr7Preset:
        UserIrSlotLowPart(true, v);
        break;
    case kParamUserIr8Preset:
        UserIrSlotLowPart(false, v);
        break;
    default:
        if (IsGlobalParam(index)) {
            if (index == kParamPatchOffset) {
                // The number display and the list follow the new numbering.
                // The list is read from the cache folder, so on the user-
                // interface thread (queued there from the clock, in order).
                if (EditorOpen()) ShowPresetNumber(v + CurrentPreset());
                screen_.RunOnUi(folderScanAction_);
            }
            if (!flags_.applyFlag.load()) StoreSettingsBlock(sysex::settings::kGlobal);
        }
        break;
    }
}

// ---- Applying values ---------------------------------------------------------------------

void Tolvane::ApplyValue(int index, double v) {
    Param* param = GetParam(index);
    if (!param) return;
    const double range = param->Max() - param->Min();
    const double normalised = range > 0 ? (v - param->Min()) / range : 0.0;
    const double value = param->ValueFromNormal(normalised);
    param->SetValue(value);
    EditorDelegate::OnParamChange(index, kUI, -1);
    QueueParamForControls(index, value, false);
}

void Tolvane::ParameterChangedByPedal(int index, int value) {
    flags_.applyFlag.store(true);
    ApplyValue(index, value);
    flags_.applyFlag.store(false);
}

// ---- Voicings -------------------------------------------------------------------------------

void Tolvane::ApplyVoicingValue(int index, int tableValue, bool fromMinimum) {
    Param* param = GetParam(index);
    const double min = fromMinimum ? param->Min() : 0.0;
    const double range = param->Max() - min;
    const double value = param->ValueFromNormal((tableValue - min) / range);
    param->SetValue(value);
    EditorDelegate::OnParamChange(index, kUI, -1);
    QueueParamForControls(index, value, false);
}

void Tolvane::ApplyAmpVoicing(int k) {
    if (k < 0 || k >= kNumAmpVoicings) return;
    const AmpVoicingRow& row = AmpVoicingTable[k];
    flags_.applyFlag.store(true);
    flags_.editTracking.store(false);
    for (int column : {kAmpColGain, kAmpColPunchFreq, kAmpColDrive, kAmpColPresetLevel})
        ApplyVoicingValue(kAmpVoicingParams[column], row[column], false);
    const int compression = row[kAmpColCompression];
    if (compression >= 64) {
        SetAndQueue(kParamCompression, (compression - 64) / 63.0);
    } else {
        Param* param = GetParam(kParamCompression);
        param->SetValue(param->ValueFromNormal(0.0));
        EditorDelegate::OnParamChange(kParamCompression, kUI, -1);
        QueueParamForControls(kParamCompression, param->Value(), false);
    }
    for (int j = 0; j < 3; ++j) {
        ApplyVoicingValue(kParamBuzz + j, row[kAmpColBuzz + j], false);
        ApplyVoicingValue(kParamBuzzQ + j, row[kAmpColBuzzQ + j], false);
    }
    flags_.applyFlag.store(false);
    flags_.editTracking.store(true);
    if (Connected()) StorePreset();
}

void Tolvane::ApplyAmbienceVoicing(int k) {
    if (k < 0 || k >= kNumAmbienceVoicings) return;
    const AmbienceVoicingRow& row = ReverbVoicingTable[k];
    flags_.applyFlag.store(true);
    flags_.editTracking.store(false);
    for (int column : {kAmbColRoomSize, kAmbColModulationDepth, kAmbColModulationRate, kAmbColDiffusion,
                       kAmbColExtensionFactor, kAmbColFbkDelaySize, kAmbColFbkFilter, kAmbColFbkDamperFactor,
                       kAmbColLpFilter, kAmbColHpFilter})
        ApplyVoicingValue(kAmbienceVoicingParams[column], row[column], true);
    flags_.applyFlag.store(false);
    flags_.editTracking.store(true);
    if (Connected()) StorePreset();
}

void Tolvane::DetectVoicings() {
    const auto& stored = storedPresetValues_;
    ampVoicing_ = kNumAmpVoicings;
    for (int k = 0; k < kNumAmpVoicings; ++k) {
        const AmpVoicingRow& row = AmpVoicingTable[k];
        bool match = true;
        for (int column :
             {kAmpColBuzz, kAmpColPunch, kAmpColBuzzQ, kAmpColPunchQ, kAmpColCrunchQ, kAmpColPunchFreq})
            match = match && row[column] == stored[kAmpVoicingParams[column]];
        if (match) {
            ampVoicing_ = k;
            break;
        }
    }
    ambienceVoicing_ = kNumAmbienceVoicings;
    for (int k = 0; k < kNumAmbienceVoicings; ++k) {
        const AmbienceVoicingRow& row = ReverbVoicingTable[k];
        bool match = true;
        for (int column = 0; column < kNumAmbienceVoicingColumns; ++column)
            match = match && row[column] == stored[kAmbienceVoicingParams[column]];
        if (match) {
            ambienceVoicing_ = k;
            break;
        }
    }
    if (EditorOpen()) LightVoicings();
    if (display_.voicingsDetected) display_.voicingsDetected(ampVoicing_, ambienceVoicing_);
}

void Tolvane::LightVoicings() {
    for (int k = 0; k < kNumAmpVoicings; ++k)
        screen_.SetControlValueByTag(link::kTagAmpModelFirst + k, k == ampVoicing_ ? 1.0 : 0.0);
    for (int k = 0; k < kNumAmbienceVoicings; ++k)
        screen_.SetControlValueByTag(link::kTagReverbTypeFirst + k, k == ambienceVoicing_ ? 1.0 : 0.0);
}

// ---- User-IR slot numbers --------------------------------------------------------------------

void Tolvane::SetIrEditTargets(bool positionA, bool positionB) {
    irEditTargetA_.store(positionA);
    irEditTargetB_.store(positionB);
}

void Tolvane::SendUserIrSlotHighPart(bool positionA, int slot) {
    (positionA ? irSlotA_ : irSlotB_).store(slot);
    const int step = positionA ? kParamUserIr7PresetMsb : kParamUserIr8PresetMsb;
    irSlotStep_.store(step);
    SetAndQueue(step, ((slot >> 7) & 127) / 127.0);
}

void Tolvane::TargetUserIrSlot(bool positionA, int slot) {
    SetIrEditTargets(positionA, !positionA);
    SendUserIrSlotHighPart(positionA, slot);
}

void Tolvane::ClickIrSlot(int row, bool rightColumn) {
    const int slot = kSlotsPerBank * ParamInt(kParamCustomIrBank) + row + (rightColumn ? kSlotsPerColumn : 0);
    if (irEditTargetA_.load())
        SendUserIrSlotHighPart(true, slot);
    else if (irEditTargetB_.load())
        SendUserIrSlotHighPart(false, slot);
    if (transfers_.refreshIrDisplay) transfers_.refreshIrDisplay(ParamInt(kParamIr));
}

void Tolvane::IrNumberStepDone() {
    // Only the step that is waiting advances, once, whichever thread started it.
    int step = kParamUserIr7PresetMsb;
    if (irSlotStep_.compare_exchange_strong(step, kParamUserIr7Preset)) {
        SetAndQueue(kParamUserIr7Preset, (irSlotA_.load() & 127) / 127.0);
        return;
    }
    step = kParamUserIr8PresetMsb;
    if (irSlotStep_.compare_exchange_strong(step, kParamUserIr8Preset))
        SetAndQueue(kParamUserIr8Preset, (irSlotB_.load() & 127) / 127.0);
}

void Tolvane::UserIrSlotLowPart(bool positionA, int v) {
    const int high = ParamInt(positionA ? kParamUserIr7PresetMsb : kParamUserIr8PresetMsb);
    const int slot = v + 128 * high;
    (positionA ? irSlotA_ : irSlotB_).store(slot);
    const bool target = positionA ? irEditTargetA_.load() : irEditTargetB_.load();
    const bool userMode = ParamInt(positionA ? kParamIrMode7 : kParamIrMode8) != 0;
    if (!target || !userMode || !wiring_) return;
    // The pedal holds a named IR in that slot that the library does not match.
    // Both names are held in place: this runs on the clock too.
    const SlotViewText shown = wiring_->SlotViewTextOf(slot);
    char empty[32];
    std::snprintf(empty, sizeof empty, "Empty Slot %d", slot % kSlotsPerBank + 1);
    const NameText library = cache_.UserIrName(slot);
    const std::string_view libraryName(library.data(), strnlen(library.data(), library.size()));
    if (!shown.View().empty() && shown.View() != empty && shown.View() != libraryName)
        irRequestPending_.store(true);
}

} // namespace tolvane
