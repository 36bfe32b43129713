#include "ui/Readouts.h"

#include "device/ParamTable.h"
#include "ui/PageTags.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string_view>
#include <system_error>

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
        return TextUpdate{kTagPunchFreqValue,
                          Format("%.0f", static_cast<double>(Fraction(v) * 1800.f + 100.f))};
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

// The unit a read-out is shown in, and so the unit a typed number is read in
// when it carries none.
enum class Unit { Percent, Decibel, Hertz, Millisecond, Ratio, Plain };

Unit ReadoutUnit(int index) {
    switch (index) {
    case kParamLow:
    case kParamHigh:
    case kParamMid:
    case kParamBuzz:
    case kParamPunch:
    case kParamGate:
    case kParamDynamics:
    case kParamUserIrGain7:
    case kParamUserIrGain8:
        return Unit::Decibel;
    case kParamMidShift:
    case kParamPunchFreq:
        return Unit::Hertz;
    case kParamGateRelease:
        return Unit::Millisecond;
    case kParamCompressorRatio:
    case kParamExpanderRatio:
    case kParamGateRatio:
        return Unit::Ratio;
    case kParamBuzzQ:
    case kParamPunchQ:
    case kParamCrunchQ:
    case kParamMidQ:
    case kParamLowQ:
    case kParamHighQ:
        return Unit::Plain;
    default:
        return Unit::Percent;
    }
}

// What may follow a typed number, lower case, and what it multiplies the
// number by to give the read-out's unit. Nothing after the number means the
// read-out's own unit.
struct Suffix {
    Unit unit;
    std::string_view text;
    double scale;
};

constexpr Suffix kSuffixes[] = {
    {Unit::Percent, "%", 1.0},        {Unit::Decibel, "db", 1.0}, {Unit::Hertz, "hz", 1.0},
    {Unit::Hertz, "khz", 1000.0},     {Unit::Hertz, "k", 1000.0}, {Unit::Millisecond, "ms", 1.0},
    {Unit::Millisecond, "s", 1000.0},
};

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A leading number, with a point or a comma before its decimals whatever the
// locale; the rest of the text is left in text.
std::optional<double> LeadingNumber(std::string& text) {
    std::replace(text.begin(), text.end(), ',', '.');
    std::size_t start = 0;
    if (!text.empty() && text[0] == '+') start = 1;
    double n = 0.0;
    const char* first = text.data() + start;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), n);
    if (error != std::errc{} || end == first || !std::isfinite(n)) return std::nullopt;
    text.erase(0, static_cast<std::size_t>(end - text.data()));
    return n;
}

// The whole text as one number in the read-out's unit: "0.5 s" is 500 for a
// read-out in ms, "2kHz" 2000 for one in Hz. A ratio gives its free side, so
// "4:1", "1:4" and "4" are all 4.
std::optional<double> NumberIn(std::string_view typed, Unit unit) {
    std::string text(Trimmed(typed));
    if (unit == Unit::Ratio) {
        const auto colon = text.find(':');
        if (colon == std::string::npos) {
            const auto n = LeadingNumber(text);
            return n && Trimmed(text).empty() ? n : std::nullopt;
        }
        std::string left(Trimmed(std::string_view(text).substr(0, colon)));
        std::string right(Trimmed(std::string_view(text).substr(colon + 1)));
        const auto a = LeadingNumber(left), b = LeadingNumber(right);
        if (!a || !b || !left.empty() || !right.empty() || *a <= 0.0 || *b <= 0.0) return std::nullopt;
        return std::max(*a, *b) / std::min(*a, *b);
    }
    const auto n = LeadingNumber(text);
    if (!n) return std::nullopt;
    std::string rest(Trimmed(text));
    std::transform(rest.begin(), rest.end(), rest.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (rest.empty()) return n;
    for (const Suffix& s : kSuffixes)
        if (s.unit == unit && s.text == rest) return *n * s.scale;
    return std::nullopt; // a unit this read-out is not shown in
}

} // namespace

std::optional<int> ValueForReadout(int index, const std::string& text, int current, int lo, int hi) {
    if (!ReadoutFor(index, lo)) return std::nullopt;
    const Unit unit = ReadoutUnit(index);
    const std::string_view typed = Trimmed(text);
    const std::optional<double> wanted = NumberIn(typed, unit);
    std::optional<int> best;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int v = lo; v <= hi; ++v) {
        const std::string shownText = ReadoutFor(index, v)->text;
        const std::optional<double> shown = NumberIn(shownText, unit);
        double distance = std::numeric_limits<double>::infinity();
        if (SameWord(shownText, typed))
            distance = 0.0;
        else if (shown && wanted)
            distance = std::fabs(*shown - *wanted);
        if (!std::isfinite(distance)) continue;
        if (distance < bestDistance ||
            (distance == bestDistance && std::abs(v - current) < std::abs(*best - current))) {
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
