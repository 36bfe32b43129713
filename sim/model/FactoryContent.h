#pragma once
// What a new pedal holds: 128 presets with musical names built from the amp
// and ambience voicings (so the editor lights its voicing buttons), some
// using named user impulse responses at IR positions 7 and 8, eight named
// factory cabinets, default settings and a serial number. Deterministic:
// every call gives the same bytes.

#include <array>

#include "sim/model/PedalState.h"

namespace tolvane::sim {

inline constexpr int kNumFactoryUserIrs = 12;
inline constexpr const char* kFactorySerial = "VO2-4417-0815-2209";

PedalState FactoryState();

// The parts a factory reset restores.
std::array<PresetRecord, kNumPresetSlots> FactoryPresets();
void ResetSettings(PedalState& state);
std::array<IrData, kNumUserIrSlots> FactoryUserIrs();
std::array<IrData, kNumFactoryIrs> FactoryCabinets();

} // namespace tolvane::sim
