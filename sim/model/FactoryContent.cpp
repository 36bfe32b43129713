#include "sim/model/FactoryContent.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>

#include "core/ParamList.h"
#include "device/DeviceTables.h"
#include "device/ParamTable.h"

// Index
//   1. Names
//   2. Impulse responses (deterministic synthetic cabinets)
//   3. Presets
//   4. Settings and the whole state

namespace tolvane::sim {

namespace {

// ---- 1. Names ---------------------------------------------------------------

// One flavour per amp voicing, one style per run of ten slots: 10 x 13
// combinations, so all 128 names differ.
constexpr std::array<const char*, kNumAmpVoicings> kAmpFlavours = {
    "Blond", "Liverpool", "British", "Cali",       "Boutique",
    "Tweed", "Top Boost", "Plexi",   "Cali Metal", "Velvet"};
constexpr std::array<const char*, 13> kStyles = {"Clean", "Chime",  "Crunch", "Lead",  "Rhythm",
                                                 "Blues", "Jangle", "Stack",  "Drive", "Solo",
                                                 "Glass", "Grit",   "Edge"};

constexpr std::array<const char*, kNumFactoryUserIrs> kUserIrNames = {
    "Greenback 4x12 SM57", "Alnico Blue 1x12",  "Jensen 2x10 Ribbon", "Vintage 30 4x12",
    "Open Back 2x12 Room", "Tweed 1x15 Condsr", "Oval 8x10 Bright",   "Silver Bell 2x12",
    "Celestion 1x10 Tiny", "Fane 4x12 Dark",    "Closed 1x12 Tight",  "Studio 2x12 Blend"};

// The factory cabinets, named as the editor lists its IR selector.
constexpr std::array<const char*, kNumFactoryIrs> kCabinetNames = {"VELUMO",    "BLONDE 2x12",  "TWEED 4x10",
                                                                   "CALI 1x12", "CALI 4x12",    "BLUE 2x12",
                                                                   "BRIT 2x12", "BOUTIQUE 4x12"};

// name padded with blanks to 32 characters at offset.
void WriteName(std::span<std::uint8_t> bytes, std::size_t offset, const std::string& name) {
    auto field = bytes.subspan(offset, sysex::kNameChars);
    for (std::size_t i = 0; i < field.size(); ++i)
        field[i] = static_cast<std::uint8_t>(i < name.size() ? name[i] : ' ');
}

void PutWord(IrData& record, std::size_t offset, int word) {
    record[offset] = static_cast<std::uint8_t>(word & 0xFF);
    record[offset + 1] = static_cast<std::uint8_t>((word >> 8) & 0xFF);
}

// ---- 2. Impulse responses -----------------------------------------------------

// A fixed linear congruential generator: the same noise on every run.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
    }

private:
    std::uint32_t state_;
};

// A decaying burst coloured by two resonances: looks and sums like a cabinet.
IrData SyntheticIr(int seed, const std::string& name) {
    std::array<double, kIrSampleCount> samples{};
    Noise noise(0x5EED0000u + static_cast<std::uint32_t>(seed));
    const double decay = 0.004 + 0.0007 * (seed % 7);
    const double f1 = 0.02 + 0.004 * (seed % 5);
    const double f2 = 0.11 + 0.01 * (seed % 3);
    double smooth = 0.0;
    for (int i = 0; i < static_cast<int>(kIrSampleCount); ++i) {
        smooth = 0.7 * smooth + 0.3 * noise.Next();
        const double env = std::exp(-decay * i);
        samples[static_cast<std::size_t>(i)] =
            env * (0.5 * std::sin(f1 * i) + 0.25 * std::sin(f2 * i) + 0.35 * smooth);
    }
    samples[0] = 0.9;

    double energy = 0.0;
    for (double s : samples)
        energy += s * s;
    const double gain = std::min(1.0, 1.2 / (std::sqrt(energy) * std::sqrt(2.0)));
    IrData record{};
    PutWord(record, 0, 1);
    PutWord(record, 2, static_cast<int>(gain * 32768.0));
    WriteName(record, kIrNameOffset, name);
    for (std::size_t i = 0; i < kIrSampleCount; ++i)
        PutWord(record, kIrSamplesOffset + 2 * i, static_cast<int>(samples[i] * 32767.0));
    return record;
}

// ---- 3. Presets -----------------------------------------------------------------

constexpr int kSelectorAtPosition7 = 112; // IR selector value that shows position 7
constexpr int kReverbModeForVoicing[kNumAmbienceVoicings] = {0, 1, 3, 4, 1};

PresetRecord DefaultRecord(const ParamList& params) {
    PresetRecord record{};
    for (int i = 0; i < kNumPresetParams; ++i)
        record[kPresetValuesOffset + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(params.GetParam(i)->Default());
    return record;
}

void SetValue(PresetRecord& record, int index, int value) {
    record[kPresetValuesOffset + static_cast<std::size_t>(index)] = static_cast<std::uint8_t>(value & 0x7F);
}

PresetRecord FactoryPreset(int slot, const PresetRecord& defaults) {
    PresetRecord record = defaults;
    const int amp = slot % kNumAmpVoicings;
    const int ambience = slot % kNumAmbienceVoicings;
    WriteName(record, kPresetNameOffset,
              std::string(kAmpFlavours[static_cast<std::size_t>(amp)]) + " " +
                  kStyles[static_cast<std::size_t>(slot / kNumAmpVoicings)]);

    const AmpVoicingRow& ampRow = AmpVoicingTable[static_cast<std::size_t>(amp)];
    for (int col = 0; col < kNumAmpVoicingColumns; ++col) {
        const int param = kAmpVoicingParams[static_cast<std::size_t>(col)];
        const int value = ampRow[static_cast<std::size_t>(col)];
        if (col == kAmpColCompression)
            SetValue(record, kParamDynamics, std::max(value, 64)); // the compression macro drives Dynamics
        else if (IsPresetParam(param))
            SetValue(record, param, value);
    }
    const AmbienceVoicingRow& ambRow = ReverbVoicingTable[static_cast<std::size_t>(ambience)];
    for (int col = 0; col < kNumAmbienceVoicingColumns; ++col)
        SetValue(record, kAmbienceVoicingParams[static_cast<std::size_t>(col)],
                 ambRow[static_cast<std::size_t>(col)]);
    SetValue(record, kParamReverbMode, kReverbModeForVoicing[ambience]);
    SetValue(record, kParamReverb, 16 + (slot * 7) % 48);
    SetValue(record, kParamIr, 16 * (1 + slot % 7));

    // Every fourth preset puts a user IR at position 7, every eighth one at 8 too.
    if (slot % 4 == 3) {
        const int ir7 = (slot / 4) % kNumFactoryUserIrs;
        SetValue(record, kParamIrMode7, 1);
        SetValue(record, kParamUserIr7PresetMsb, ir7 >> 7);
        SetValue(record, kParamUserIr7Preset, ir7 & 0x7F);
        SetValue(record, kParamIr, kSelectorAtPosition7);
        WriteName(record, kPresetIr7NameOffset, kUserIrNames[static_cast<std::size_t>(ir7)]);
        if (slot % 8 == 7) {
            const int ir8 = (ir7 + 1) % kNumFactoryUserIrs;
            SetValue(record, kParamIrMode8, 1);
            SetValue(record, kParamUserIr8PresetMsb, ir8 >> 7);
            SetValue(record, kParamUserIr8Preset, ir8 & 0x7F);
            WriteName(record, kPresetIr8NameOffset, kUserIrNames[static_cast<std::size_t>(ir8)]);
        }
    }
    return record;
}

} // namespace

std::array<PresetRecord, kNumPresetSlots> FactoryPresets() {
    ParamList params;
    InitDeviceParams(params);
    const PresetRecord defaults = DefaultRecord(params);
    std::array<PresetRecord, kNumPresetSlots> presets{};
    for (int slot = 0; slot < kNumPresetSlots; ++slot)
        presets[static_cast<std::size_t>(slot)] = FactoryPreset(slot, defaults);
    return presets;
}

std::array<IrData, kNumUserIrSlots> FactoryUserIrs() {
    std::array<IrData, kNumUserIrSlots> irs{};
    for (int i = 0; i < kNumFactoryUserIrs; ++i)
        irs[static_cast<std::size_t>(i)] = SyntheticIr(i, kUserIrNames[static_cast<std::size_t>(i)]);
    return irs;
}

std::array<IrData, kNumFactoryIrs> FactoryCabinets() {
    std::array<IrData, kNumFactoryIrs> irs{};
    for (int k = 0; k < kNumFactoryIrs; ++k)
        irs[static_cast<std::size_t>(k)] = SyntheticIr(100 + k, kCabinetNames[static_cast<std::size_t>(k)]);
    return irs;
}

// ---- 4. Settings and the whole state ---------------------------------------------

void ResetSettings(PedalState& state) {
    ParamList params;
    InitDeviceParams(params);
    auto value = [&](int index) { return static_cast<std::uint8_t>(params.GetParam(index)->Default()); };

    state.globalSettings = {};
    for (int p = kFirstGlobalParam; p <= kLastGlobalParam; ++p)
        state.globalSettings[static_cast<std::size_t>(1 + p - kFirstGlobalParam)] = value(p);
    state.globalSettings[11] = value(kParamSoftClipping);
    state.globalSettings[12] = value(kParamAnalogSimGain);
    state.globalSettings[13] = value(kParamAntiAliasingFilter);

    state.midiCcNumbers = {};
    for (std::size_t i = 0; i < kMidiCcBlockUsed; ++i)
        state.midiCcNumbers[i] = value(kFirstKnobCcParam + static_cast<int>(i));

    state.programMap = {};
    for (std::size_t n = 0; n < kProgramMapEntries; ++n)
        state.programMap[n] = static_cast<std::uint8_t>(n);
}

PedalState FactoryState() {
    PedalState state;
    state.presets = FactoryPresets();
    state.currentPreset = 0;
    state.editBuffer = state.presets[0];
    ResetSettings(state);
    state.userIrs = FactoryUserIrs();
    state.factoryIrs = FactoryCabinets();
    state.serial = kFactorySerial;
    return state;
}

} // namespace tolvane::sim
