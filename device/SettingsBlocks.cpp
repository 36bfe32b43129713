// Settings blocks: global settings (type 0), knob CC numbers (type 1) and the
// program map (type 2), built and received; the settings pages' requests and
// stores; factory resets.

#include "device/LinkTags.h"
#include "device/ParamTable.h"
#include "device/SysexBuilders.h"
#include "device/Tolvane.h"

namespace tolvane {

namespace {

// Type 0 layout: offset 0 the current preset, 1..10 parameters 80..89,
// 11..13 parameters 33..35.
constexpr std::size_t kGlobalCurrentPreset = 0;
constexpr std::size_t kGlobalFirstSetting = 1;
constexpr std::size_t kGlobalPotDisplayMode = 6; // 85 goes out as 0 or 2
constexpr std::uint8_t kPotDisplayModeOnWire = 2;
constexpr std::size_t kGlobalToneSettings = 11;
constexpr int kNumGlobalSettings = 10;
// Type 1: offsets 0..7 the knob CC numbers; when read, 0..15 set 90..105.
// The controller-jack set-up (100..105) sits at offsets 10..15.
constexpr int kKnobCcFieldsRead = 16;
constexpr std::size_t kJackSetupOffset = 10;
constexpr int kNumJackSetupParams = 6;

} // namespace

void Tolvane::RequestSettingsBlock(int type) {
    Send(sysex::BuildRequestSettingsBlock(static_cast<std::uint8_t>(type)));
}

std::array<std::uint8_t, kPresetRecordBytes> Tolvane::BuildSettingsData(int type) const {
    // Offsets the editor does not write go back as the pedal last sent them.
    std::array<std::uint8_t, kPresetRecordBytes> data = keptBlocks_.Base(type);
    switch (type) {
    case sysex::settings::kGlobal:
        data[kGlobalCurrentPreset] = static_cast<std::uint8_t>(CurrentPreset());
        for (int i = 0; i < kNumGlobalSettings; ++i)
            data[kGlobalFirstSetting + i] = static_cast<std::uint8_t>(ParamInt(kFirstGlobalParam + i));
        if (ParamInt(kParamEditPotDisplayMode) >= 1) data[kGlobalPotDisplayMode] = kPotDisplayModeOnWire;
        data[kGlobalToneSettings + 0] = static_cast<std::uint8_t>(ParamInt(kParamSoftClipping));
        data[kGlobalToneSettings + 1] = static_cast<std::uint8_t>(ParamInt(kParamAnalogSimGain));
        data[kGlobalToneSettings + 2] = static_cast<std::uint8_t>(ParamInt(kParamAntiAliasingFilter));
        break;
    case sysex::settings::kMidiCcNumbers:
        for (int i = 0; i < kNumKnobCcParams; ++i)
            data[i] = static_cast<std::uint8_t>(ParamInt(kFirstKnobCcParam + i));
        // The jack set-up is the pedal's as read, or as changed on the JACKS page.
        if (keptBlocks_.Has(type))
            for (int i = 0; i < kNumJackSetupParams; ++i)
                data[kJackSetupOffset + i] = static_cast<std::uint8_t>(ParamInt(kParamJack2Mode + i));
        break;
    case sysex::settings::kProgramMapping:
        for (int n = 0; n < kProgramMapSize; ++n)
            data[n] = static_cast<std::uint8_t>(programMap_[n] & 0x7F);
        break;
    default:
        break;
    }
    return data;
}

void Tolvane::StoreSettingsBlock(int type) {
    Send(sysex::BuildStoreSettingsBlock(static_cast<std::uint8_t>(type), BuildSettingsData(type)));
}

// Settings values arrive as plain values of parameters whose minimum is 0.
void Tolvane::ApplySettingValue(int index, int v) {
    const Param* param = GetParam(index);
    if (!param || param->Max() <= 0) return;
    SetAndQueue(index, v / param->Max());
}

void Tolvane::SettingsBlock(const sysex::SysexBlockView& block) {
    if (block.Index() == sysex::settings::kPresetChecksums) {
        ChecksumList(block);
        return;
    }
    if (!block.ChecksumValid()) return;
    const auto data = block.Data();
    keptBlocks_.Keep(block.Index(), data);
    switch (block.Index()) {
    case sysex::settings::kGlobal:
        flags_.applyFlag.store(true);
        for (int i = 0; i < kNumGlobalSettings; ++i) {
            int v = data[kGlobalFirstSetting + i];
            if (kGlobalFirstSetting + i == kGlobalPotDisplayMode && v > 0) v = 1;
            ApplySettingValue(kFirstGlobalParam + i, v);
        }
        ApplySettingValue(kParamSoftClipping, data[kGlobalToneSettings + 0]);
        ApplySettingValue(kParamAnalogSimGain, data[kGlobalToneSettings + 1]);
        ApplySettingValue(kParamAntiAliasingFilter, data[kGlobalToneSettings + 2]);
        flags_.applyFlag.store(false);
        // The pedal's current preset follows every global block.
        Send(sysex::BuildBulkTransfer(false));
        RequestPreset(data[kGlobalCurrentPreset]);
        break;
    case sysex::settings::kMidiCcNumbers:
        for (int i = 0; i < kKnobCcFieldsRead; ++i)
            ApplySettingValue(kFirstKnobCcParam + i, data[i]);
        break;
    case sysex::settings::kProgramMapping:
        for (int n = 0; n < kProgramMapSize; ++n)
            programMap_[n] = data[n];
        if (EditorOpen())
            SetAndQueue(kParamDunvaleProgram, programMap_[ParamInt(kParamControllerProgram) & 0x7F] / 127.0);
        break;
    default:
        break;
    }
}

// ---- Pages ---------------------------------------------------------------------------------

void Tolvane::OpenGlobalSettings() {
    flags_.autoConnect.store(false);
    screen_.ShowGroup(link::kGroupGlobalSettings);
    RequestSettingsBlock(sysex::settings::kGlobal);
}

void Tolvane::CloseGlobalSettings() {
    flags_.autoConnect.store(true);
    LabelPresetsFromFolderScan();
}

void Tolvane::OpenKnobCcPage() {
    screen_.ShowGroup(link::kGroupKnobCc);
    screen_.HideGroup(link::kGroupGlobalSettings);
    RequestSettingsBlock(sysex::settings::kMidiCcNumbers);
}

void Tolvane::LeaveKnobCcPage() {
    screen_.HideGroup(link::kGroupKnobCc);
    screen_.ShowGroup(link::kGroupGlobalSettings);
    StoreSettingsBlock(sysex::settings::kMidiCcNumbers);
}

void Tolvane::OpenJacksPage() {
    screen_.ShowGroup(link::kGroupJacks);
    screen_.HideGroup(link::kGroupGlobalSettings);
    RequestSettingsBlock(sysex::settings::kMidiCcNumbers);
}

void Tolvane::LeaveJacksPage() {
    screen_.HideGroup(link::kGroupJacks);
    screen_.ShowGroup(link::kGroupGlobalSettings);
    StoreSettingsBlock(sysex::settings::kMidiCcNumbers);
}

void Tolvane::OpenProgramMapPage() {
    screen_.ShowGroup(link::kGroupProgramMap);
    screen_.HideGroup(link::kGroupGlobalSettings);
    RequestSettingsBlock(sysex::settings::kProgramMapping);
}

void Tolvane::LeaveProgramMapPage() {
    screen_.HideGroup(link::kGroupProgramMap);
    screen_.ShowGroup(link::kGroupGlobalSettings);
    StoreSettingsBlock(sysex::settings::kProgramMapping);
}

// ---- Factory reset ---------------------------------------------------------------------------

void Tolvane::FactoryResetButton(int kind) {
    if (screen_.AskUser(link::kTextAreYouSure, "", AskButtons::OkCancel) != AskResult::Ok) return;
    if (kind == sysex::reset::kEverything || kind == sysex::reset::kPresets) {
        cache_.DeleteCachedFiles();
        LabelPresetsFromSlotFiles();
    }
    Send(sysex::BuildFactoryReset(static_cast<std::uint8_t>(kind)));
}

} // namespace tolvane
