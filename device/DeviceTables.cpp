#include "device/DeviceTables.h"

#include <algorithm>
#include <numeric>

namespace tolvane {

namespace {

// Entries 0..15 hold 0..15, 16..63 hold index + 4, then 64..66 hold 16..18.
constexpr std::array<std::uint8_t, kDeviceAddressTableSize> MakeDeviceAddressTable() {
    std::array<std::uint8_t, kDeviceAddressTableSize> table{};
    for (int i = 0; i < kDeviceAddressTableSize; ++i) {
        int number = i;
        if (i >= 16 && i <= 63) number = i + 4;
        if (i >= 64) number = i - 48;
        table[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(number);
    }
    return table;
}

constexpr int kHighestDeviceNumber = 67;

} // namespace

const std::array<std::uint8_t, kDeviceAddressTableSize> DeviceAddressTable = MakeDeviceAddressTable();

int ParamIndexForDeviceNumber(int deviceNumber) {
    if (deviceNumber < 0 || deviceNumber > kHighestDeviceNumber) return -1;
    for (int index = 0; index < kNumPresetParams; ++index) {
        if (DeviceAddressTable[static_cast<std::size_t>(index)] == deviceNumber) return index;
    }
    return -1;
}

bool PresetDiffers(const DeviceValueCache& device, const StoredPresetValues& stored) {
    for (int i = 0; i < kNumPresetParams; ++i)
        if (device[static_cast<std::size_t>(i)].load() != stored[static_cast<std::size_t>(i)].load()) return true;
    return false;
}

const std::array<int, kNumAmpVoicingColumns> kAmpVoicingParams = {
    kParamGain,    kParamBuzz,      kParamPunch, kParamCrunch,      kParamBuzzQ,       kParamPunchQ,
    kParamCrunchQ, kParamPunchFreq, kParamDrive, kParamCompression, kParamPresetLevel,
};

const std::array<int, kNumAmbienceVoicingColumns> kAmbienceVoicingParams = {
    kParamReverbRoomSize,       kParamReverbDiffusion, kParamReverbExtensionFactor,
    kParamReverbFbkDelaySize,   kParamReverbFbkFilter, kParamReverbFbkDamperFactor,
    kParamReverbLpFilter,       kParamReverbHpFilter,  kParamReverbModulationDepth,
    kParamReverbModulationRate,
};

// clang-format off
const std::array<AmpVoicingRow, kNumAmpVoicings> AmpVoicingTable = {{
    // Gain Buzz Punch Crunch BuzzQ PunchQ CrunchQ PunchFreq Drive Compr. PresetLevel
    {  65,  29,  17,  112,   64,   10,   64,   58,   26,   88,   32 }, // amp-blond
    {  27,  47,  17,  126,   64,  127,   64,   82,    7,   84,  127 }, // amp-liverpool
    {  97,  53,  49,  105,   64,   64,   64,   54,   15,   64,   32 }, // amp-british
    {  64,  64,  64,   64,   64,   64,   64,   54,   64,   64,   32 }, // amp-caliclassic
    {  91,  45,  98,   91,   64,   64,   64,   94,   63,   64,   32 }, // amp-boutiquea
    {  61,  29,  33,   94,   64,   64,   64,   69,   30,   94,   32 }, // amp-tweed
    {  98,  47,  88,   96,   64,   64,   64,   41,  111,   64,   32 }, // amp-topboost
    {  98,  51,  48,  100,   64,   64,   64,   54,   30,   64,   32 }, // amp-plexi
    {  91,  45,  64,   91,   64,   64,   64,   54,   64,   64,   32 }, // amp-calimetal
    {  80,   0, 114,   80,   64,   47,   64,   66,  100,   64,   32 }, // amp-boutiqueb
}};

const std::array<AmbienceVoicingRow, kNumAmbienceVoicings> ReverbVoicingTable = {{
    // 16   18   19   20   21   22   23   24   58   59
    {  47,  20,   3,  49, 127,  93, 127,  15,   0,   0 }, // radio-room
    {  64,   8,   2,  64, 127,  64,  64,  20,   4, 127 }, // radio-hall
    { 109, 100,   2,  71, 127,  73,  26,  23,  26,   0 }, // radio-spring
    {  86, 120,   2, 127, 127,  45, 127,  42,   4, 127 }, // radio-plate
    {  74,  84,   4,  52,   0,   0, 127,   0,  67,  60 }, // radio-chorus
}};
// clang-format on

const std::array<const char*, kNumAmpVoicings> kAmpVoicingPictures = {
    "amp-blond", "amp-liverpool", "amp-british", "amp-caliclassic", "amp-boutiquea",
    "amp-tweed", "amp-topboost",  "amp-plexi",   "amp-calimetal",   "amp-boutiqueb",
};

const std::array<const char*, kNumAmbienceVoicings> kAmbienceVoicingPictures = {
    "radio-room", "radio-hall", "radio-spring", "radio-plate", "radio-chorus",
};

FactoryIrNames DefaultFactoryIrNames() {
    return {"FLAT RESPONSE", "VELUMO",    "BLONDE 2x12", "TWEED 4x10",   "CALI 1x12",
            "CALI 4x12",     "BLUE 2x12", "BRIT 2x12",   "BOUTIQUE 4x12"};
}

ProgramMap IdentityProgramMap() {
    ProgramMap map{};
    std::iota(map.begin(), map.end(), 0);
    return map;
}

} // namespace tolvane
