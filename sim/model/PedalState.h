#pragma once
// Everything the simulated pedal remembers: 128 preset slots and the edit
// buffer, the three settings blocks it stores, the user and factory impulse
// responses, and its serial number. Plain data, compared whole by tests.

#include <array>
#include <cstdint>
#include <string>

#include "device/SysexConstants.h"

namespace tolvane::sim {

inline constexpr int kNumPresetSlots = 128;
inline constexpr int kNumUserIrSlots = 256;
inline constexpr int kNumFactoryIrs = 8;
inline constexpr int kSerialChars = 32;
inline constexpr int kFirstFactoryIr = 384; // IR numbers 384..391 are the factory cabinets

// Impulse-response record: format word, gain word, 32-character name, 1200
// samples, words little-endian.
inline constexpr std::size_t kIrBytes = 2436;
inline constexpr std::size_t kIrNameOffset = 4;
inline constexpr std::size_t kIrSamplesOffset = 36;
inline constexpr std::size_t kIrSampleCount = 1200;

// Preset record: name at 2..33, parameter i at 34 + i, IR names at 192 and 224.
inline constexpr std::size_t kPresetNameOffset = 2;
inline constexpr std::size_t kPresetValuesOffset = 34;
inline constexpr std::size_t kPresetIr7NameOffset = 192;
inline constexpr std::size_t kPresetIr8NameOffset = 224;

// Type-0 block: offset 0 is the current preset; the global settings follow.
inline constexpr std::size_t kGlobalCurrentPresetOffset = 0;
// Type-1 block: the eight knob CC numbers, then the controller set-up at 8..15.
inline constexpr std::size_t kMidiCcNumbersCount = 8;
inline constexpr std::size_t kMidiCcBlockUsed = 16;
// Type-2 block: one program-map entry per incoming program.
inline constexpr std::size_t kProgramMapEntries = 128;
// Type-15 block: the serial number's place in the data bytes.
inline constexpr std::size_t kSerialOffset = 224;

using BlockBytes = std::array<std::uint8_t, sysex::kBlockDataSize>;
using PresetRecord = BlockBytes;
using IrData = std::array<std::uint8_t, kIrBytes>;

struct PedalState {
    std::array<PresetRecord, kNumPresetSlots> presets{};
    // What the pedal plays: the current slot as stored, plus live edits.
    PresetRecord editBuffer{};
    int currentPreset = 0;
    // Stored as received; offset 0 of the global block is not kept here
    // (the current preset is served in its place).
    BlockBytes globalSettings{};
    BlockBytes midiCcNumbers{};
    BlockBytes programMap{};
    // A slot of all zero bytes is empty.
    std::array<IrData, kNumUserIrSlots> userIrs{};
    std::array<IrData, kNumFactoryIrs> factoryIrs{};
    std::string serial;

    bool operator==(const PedalState&) const = default;
};

// The record of an impulse-response number (user 0..255, factory 384..391),
// or nullptr for a number the pedal has no slot for.
IrData* IrSlot(PedalState& state, int number);
const IrData* IrSlot(const PedalState& state, int number);

bool IsEmptyIr(const IrData& record);

} // namespace tolvane::sim
