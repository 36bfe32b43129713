#pragma once
// The tables the device link reads beside the parameters.
//
// Sections
//   1. Device addresses of the preset parameters (and the way back)
//   2. Value caches and the preset-modified comparison
//   3. Amp and ambience voicing tables
//   4. Factory IR names
//   5. Program map

#include "device/ParamTable.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace tolvane {

// ---- 1. Device addresses ----------------------------------------------------

// The parameter number the pedal uses in a live edit, by parameter index.
// Only entries 0..64 belong to parameters; 65 and 66 complete the pedal's
// numbering (17 and 18).
inline constexpr int kDeviceAddressTableSize = 67;
extern const std::array<std::uint8_t, kDeviceAddressTableSize> DeviceAddressTable;

// The pedal's parameter number 18 stores into a slot; the preset list uses it.
inline constexpr int kDeviceNumberSaveToSlot = 18;

// The preset parameter (0..64) a device parameter number stands for, or -1
// for a number no parameter produces (17, 18, 19, anything outside 0..67).
int ParamIndexForDeviceNumber(int deviceNumber);

// ---- 2. Value caches --------------------------------------------------------

// One 32-bit value per parameter index, zero at construction; only the
// preset entries 0..64 are used. The values are written by whichever thread
// applies them (the pedal's on the audio thread, the user's and a file's on
// the user-interface thread) and each is read and written whole: atomics.
using ParamValueCache = std::array<std::atomic<std::int32_t>, kNumParams>;
// The values the pedal is known to hold.
using DeviceValueCache = ParamValueCache;
// The values of the current preset as last received from the pedal.
using StoredPresetValues = ParamValueCache;

// True when the pedal's values differ from the stored preset in any of
// 0..64: that is what makes the preset "modified".
bool PresetDiffers(const DeviceValueCache& device, const StoredPresetValues& stored);

// ---- 3. Voicing tables ------------------------------------------------------

inline constexpr int kNumAmpVoicings = 10;
inline constexpr int kNumAmpVoicingColumns = 11;
inline constexpr int kNumAmbienceVoicings = 5;
inline constexpr int kNumAmbienceVoicingColumns = 10;

using AmpVoicingRow = std::array<std::uint8_t, kNumAmpVoicingColumns>;
using AmbienceVoicingRow = std::array<std::uint8_t, kNumAmbienceVoicingColumns>;

// Columns of AmpVoicingTable.
enum AmpVoicingColumn : int {
    kAmpColGain = 0,
    kAmpColBuzz = 1,
    kAmpColPunch = 2,
    kAmpColCrunch = 3,
    kAmpColBuzzQ = 4,
    kAmpColPunchQ = 5,
    kAmpColCrunchQ = 6,
    kAmpColPunchFreq = 7,
    kAmpColDrive = 8,
    kAmpColCompression = 9,
    kAmpColPresetLevel = 10,
};

// Columns of ReverbVoicingTable.
enum AmbienceVoicingColumn : int {
    kAmbColRoomSize = 0,
    kAmbColDiffusion = 1,
    kAmbColExtensionFactor = 2,
    kAmbColFbkDelaySize = 3,
    kAmbColFbkFilter = 4,
    kAmbColFbkDamperFactor = 5,
    kAmbColLpFilter = 6,
    kAmbColHpFilter = 7,
    kAmbColModulationDepth = 8,
    kAmbColModulationRate = 9,
};

// The parameter each column sets.
extern const std::array<int, kNumAmpVoicingColumns> kAmpVoicingParams;
extern const std::array<int, kNumAmbienceVoicingColumns> kAmbienceVoicingParams;

// Row k is amp voicing k.
extern const std::array<AmpVoicingRow, kNumAmpVoicings> AmpVoicingTable;
// Row k is ambience voicing k.
extern const std::array<AmbienceVoicingRow, kNumAmbienceVoicings> ReverbVoicingTable;

// The pictures of the voicing buttons, in voicing order.
extern const std::array<const char*, kNumAmpVoicings> kAmpVoicingPictures;
extern const std::array<const char*, kNumAmbienceVoicings> kAmbienceVoicingPictures;

// ---- 4. Factory IR names ----------------------------------------------------

// One name per position of the IR selector, in list order. Entries 1..8 are
// replaced by the names in the factory IR cache files when those exist.
inline constexpr int kNumFactoryIrNames = 9;
using FactoryIrNames = std::array<std::string, kNumFactoryIrNames>;
FactoryIrNames DefaultFactoryIrNames();

// ---- 5. Program map ---------------------------------------------------------

// Entry n: the preset the pedal selects when program n arrives from a MIDI
// controller.
inline constexpr int kProgramMapSize = 128;
using ProgramMap = std::array<std::int32_t, kProgramMapSize>;
// Entry n = n: what the map holds until the pedal's own arrives.
ProgramMap IdentityProgramMap();

} // namespace tolvane
