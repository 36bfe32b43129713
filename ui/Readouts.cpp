#include "ui/Readouts.h"

#include "device/ParamTable.h"
#include "ui/PageTags.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace tolvane::ui {

namespace {

constexpr int kCentre = 64; // the knob's middle: 0 dB, bypass, or the default

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[64];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

float Fraction(int v) {
    return static_cast<float>(v) / 127.f;
}
std::string Percent(int v) {
    return Format("%.0f", static_cast<double>(Fraction(v) * 100.f));
}
// Filter and user-IR gains: -12..12 dB, exactly 0 at the centre.
float FilterGainDb(int v) {
    return v == kCentre ? 0.f : Fraction(v) * 24.f - 12.f;
}
float UserIrGainDb(int v) {
    return v == kCentre ? 0.f : (Fraction(v) - 1.f) * 24.f + 12.f;
}
// Filter quality: 0.5 .. 2, exactly 1 at the centre.
float Quality(int v) {
    return std::pow(2.f, v == kCentre ? 0.f : 2.f * static_cast<float>(v) / 127.f - 1.f);
}
std::string OneDecimal(float x) {
    return Format("%.1f", static_cast<double>(x));
}
std::string TwoDecimals(float x) {
    return Format("%.2f", static_cast<double>(x));
}

} // namespace

float GateThresholdDb(int v) {
    return (Fraction(v) - 1.f) * 70.f - 30.f;
}

float DynamicsThresholdDb(int v) {
    if (v >= 65) return static_cast<float>(v - 65) / 62.f * -60.f;
    if (v <= 63) return (static_cast<float>(v) / 63.f - 1.f) * 60.f;
    return 0.f;
}

float CompressorRatio(int v) {
    return Fraction(v) * 19.f + 1.f;
}
float ExpanderRatio(int v) {
    return Fraction(v) * 11.f + 1.f;
}
float GateRatio(int v) {
    return Fraction(v) * 9.f + 1.f;
}

std::string TwoDigits(int n) {
    return Format("%02d", n);
}

std::string IrSelectorNumber(int v) {
    return TwoDigits(static_cast<int>(Fraction(v) * 80.5f));
}

std::optional<TextUpdate> ReadoutFor(int index, int v) {
    switch (index) {
    case kParamLevel:
        return TextUpdate{kTagLevelValue, Percent(v)};
    case kParamGain:
        return TextUpdate{kTagGainValue,
                          Format("%.0f", static_cast<double>(std::max(1.f, Fraction(v) * 100.f)))};
    case kParamCrunch:
        return TextUpdate{kTagPresenceValue, Percent(v)};
    case kParamLow:
        return TextUpdate{kTagLowGainValue, OneDecimal(FilterGainDb(v))};
    case kParamHigh:
        return TextUpdate{kTagHighGainValue, OneDecimal(FilterGainDb(v))};
    case kParamMid:
        return TextUpdate{kTagMidGainValue, OneDecimal(FilterGainDb(v))};
    case kParamReverb:
        return TextUpdate{kTagReverbLevelValue, Percent(v)};
    case kParamGate:
        return TextUpdate{kTagGateThresholdValue, v == 0 ? "Bypass" : TwoDecimals(GateThresholdDb(v))};
    case kParamDynamics:
        return TextUpdate{kTagDynamicsValue, v == 0         ? "-inf."
                                             : v == kCentre ? "Bypass"
                                                            : TwoDecimals(DynamicsThresholdDb(v))};
    case kParamMidShift:
        return TextUpdate{
            kTagMidFreqValue,
            Format("%.0f", v == kCentre ? 1000.0 : static_cast<double>(Fraction(v) * 1800.f + 100.f))};
    case kParamAnalogSim: {
        if (v == kCentre) return TextUpdate{kTagAnalogSimValue, "Bypass"};
        const float amount = v < kCentre ? static_cast<float>(kCentre - v) / 64.f * 100.f
                                         : static_cast<float>(v - kCentre) / 63.f * 100.f;
        return TextUpdate{kTagAnalogSimValue, Format("%.0f", static_cast<double>(amount))};
    }
    case kParamReverbDecayTime:
        return TextUpdate{kTagDecayValue, Percent(v)};
    case kParamCompressorRatio:
        return TextUpdate{kTagCompRatioValue, Format("%.1f:1", static_cast<double>(CompressorRatio(v)))};
    case kParamExpanderRatio:
        return TextUpdate{kTagExpRatioValue, Format("1:%.1f", static_cast<double>(ExpanderRatio(v)))};
    case kParamCleanInputLevel:
        return TextUpdate{kTagCleanValue, Percent(v)};
    case kParamGateRatio:
        return TextUpdate{kTagGateRatioValue, Format("%.1f:1", static_cast<double>(GateRatio(v)))};
    case kParamGateRelease: {
        const float f = Fraction(v);
        return TextUpdate{kTagGateReleaseValue, OneDecimal(f * f * 990.f + 10.f)};
    }
    case kParamUserIrGain7:
        return TextUpdate{kTagIrGainValue7, TwoDecimals(UserIrGainDb(v))};
    case kParamUserIrGain8:
        return TextUpdate{kTagIrGainValue8, TwoDecimals(UserIrGainDb(v))};
    // The buzz, punch and crunch filters read like the other filters.
    case kParamBuzz:
        return TextUpdate{kTagBuzzGainValue, OneDecimal(FilterGainDb(v))};
    case kParamPunch:
        return TextUpdate{kTagPunchGainValue, OneDecimal(FilterGainDb(v))};
    case kParamPunchFreq:
        return TextUpdate{kTagPunchFreqValue, Format("%.0f", static_cast<double>(Fraction(v) * 1800.f + 100.f))};
    case kParamBuzzQ:
        return TextUpdate{kTagBuzzQValue, OneDecimal(Quality(v))};
    case kParamPunchQ:
        return TextUpdate{kTagPunchQValue, OneDecimal(Quality(v))};
    case kParamCrunchQ:
        return TextUpdate{kTagCrunchQValue, OneDecimal(Quality(v))};
    case kParamMidQ:
        return TextUpdate{kTagMidQValue, OneDecimal(Quality(v))};
    case kParamLowQ:
        return TextUpdate{kTagLowQValue, OneDecimal(Quality(v))};
    case kParamHighQ:
        return TextUpdate{kTagHighQValue, OneDecimal(Quality(v))};
    case kParamAutoFilterLevel:
        return TextUpdate{kTagAutoFilterValue, Percent(v)};
    case kParamCompression:
        return TextUpdate{
            kTagCompressionValue,
            Format("%.0f", static_cast<double>(static_cast<float>(v - kCentre) / 63.f * 100.f))};
    default:
        return std::nullopt;
    }
}

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameWord(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The number a read-out or a typed text stands for; a ratio gives its free side.
std::optional<double> NumberIn(const std::string& text) {
    const std::string t = Trimmed(text);
    const char* start = t.c_str();
    if (t.rfind("1:", 0) == 0) start += 2;
    char* end = nullptr;
    const double n = std::strtod(start, &end);
    if (end == start || !std::isfinite(n)) return std::nullopt;
    return n;
}

} // namespace

std::optional<int> ValueForReadout(int index, const std::string& text, int current, int lo, int hi) {
    if (!ReadoutFor(index, lo)) return std::nullopt;
    const std::string typed = Trimmed(text);
    const std::optional<double> wanted = NumberIn(typed);
    std::optional<int> best;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int v = lo; v <= hi; ++v) {
        const std::string shownText = ReadoutFor(index, v)->text;
        const std::optional<double> shown = NumberIn(shownText);
        double distance = std::numeric_limits<double>::infinity();
        if (SameWord(shownText, typed)) distance = 0.0;
        else if (shown && wanted) distance = std::fabs(*shown - *wanted);
        if (!std::isfinite(distance)) continue;
        if (distance < bestDistance || (distance == bestDistance && std::abs(v - current) < std::abs(*best - current))) {
            best = v;
            bestDistance = distance;
        }
    }
    return best;
}

std::optional<TextUpdate> CaptionFor(int index, int v) {
    switch (index) {
    case kParamAnalogSim:
        return TextUpdate{kTagAnalogSimCaption, v < kCentre    ? "DIGITAL SMOOTH"
                                                : v == kCentre ? "SMOOTHING"
                                                               : "ANALOG SMOOTH"};
    case kParamDynamics:
        return TextUpdate{kTagDynamicsTitle, v >= 65 ? "COMPRESSOR" : v <= 63 ? "EXPANDER" : "DYNAMICS"};
    default:
        return std::nullopt;
    }
}

} // namespace tolvane::ui
