#pragma once
// Where a parameter change came from; every change notification carries one.

#include <array>

namespace tolvane {

enum ParamSource : int {
    kReset = 0,
    kHost = 1,
    kPresetRecall = 2,
    kUI = 3,
    kDelegate = 4,
    kRecompile = 5,
    kUnknown = 6,
    kNumParamSources
};

inline constexpr std::array<const char*, kNumParamSources> kParamSourceTexts = {
    "Reset", "Host", "Preset", "UI", "Editor Delegate", "Recompile", "Unknown"};

inline const char* ParamSourceText(ParamSource source) {
    const int i = static_cast<int>(source);
    return (i >= 0 && i < kNumParamSources) ? kParamSourceTexts[i] : kParamSourceTexts[kUnknown];
}

} // namespace tolvane
