#include "device/ParamTable.h"

#include <array>
#include <cstdio>
#include <span>
#include <string>

// Sections
//   1. Value-text lists and the rules for generated texts
//   2. The table, one row per index
//   3. Building the parameters from the rows

namespace tolvane {

namespace {

// ---- 1. Value texts ---------------------------------------------------------

using TextList = std::span<const char* const>;

constexpr const char* kDisabledEnabled[] = {"Disabled", "Enabled"};
constexpr const char* kPatchOffsets[] = {"0-127", "1-128"};
constexpr const char* kPotDisplayModes[] = {"Digits", "Numerical Value (0-127)"};
constexpr const char* kPotEngagement[] = {"All pots engaged", "All pots disengaged"};
constexpr const char* kOffOn[] = {"Off", "On"};
constexpr const char* kDetunes[] = {"Disabled", "b", "bb"};
constexpr const char* kJackModes[] = {"Pedal", "Switches"};
constexpr const char* kPolarities[] = {"Tip", "Ring"};
constexpr const char* kPedalModes[] = {"Control", "Aftertouch", "Bend"};
constexpr const char* kSwitchOperations[] = {"Momentary", "Latching"};
constexpr const char* kSwitchFunctions[] = {"Control",        "Note On/Off",     "Start", "Stop",
                                            "Program Change", "Special Control", "Pedal"};

// Texts that follow a pattern are generated rather than listed.
enum class TextRule {
    None,
    List,            // the row's list, one text per value
    OmniThenChannel, // 0 "OMNI", k "Channel %d" with k
    TunerHz,         // k "%dHz" with 428 + k
    CustomBanks,     // k "Custom Bank %d" with k + 1, the last "Factory Bank"
    OneBased,        // k "%d" with k + 1: MIDI channels stored minus one
};

constexpr int kTunerLowestHz = 428;

// ---- 2. The table -----------------------------------------------------------

struct ParamRow {
    int index;
    const char* name; // nullptr: never initialised
    ParamKind kind;
    int min;
    int max;
    int defaultValue;
    const char* label;
    TextRule rule;
    TextList texts;
};

constexpr ParamRow Int(int index, const char* name, int min, int max, int def, const char* label = "") {
    return {index, name, ParamKind::Int, min, max, def, label, TextRule::None, {}};
}
constexpr ParamRow Unset(int index) {
    return {index, nullptr, ParamKind::None, 0, 1, 0, "", TextRule::None, {}};
}
constexpr ParamRow Double(int index, int max) {
    return {index, "", ParamKind::Double, 0, max, 0, "", TextRule::None, {}};
}
constexpr ParamRow Enum(int index, const char* name, int max, int def, TextList texts) {
    return {index, name, ParamKind::Enum, 0, max, def, "", TextRule::List, texts};
}
constexpr ParamRow Enum(int index, const char* name, int max, int def, TextRule rule) {
    return {index, name, ParamKind::Enum, 0, max, def, "", rule, {}};
}

// clang-format off
constexpr std::array<ParamRow, kNumParams> kRows = {{
    //  idx  name                           min  max  def  label
    Int(  0, "Level",                         0, 127,  64),
    Int(  1, "Gain",                          0, 127,  64),
    Int(  2, "Buzz",                          0, 127,  64),
    Int(  3, "Punch",                         0, 127,  64),
    Int(  4, "Crunch",                        0, 127,  64),
    Int(  5, "Drive",                         0, 127,  64),
    Int(  6, "Low",                           0, 127,  64),
    Int(  7, "High",                          0, 127,  64),
    Int(  8, "Reverb",                        0, 127,   0),
    Int(  9, "Gate",                          0, 127,   0),
    Int( 10, "Dynamics",                      0, 127,  64),
    Int( 11, "Punch Freq",                    0, 127,  64),
    Int( 12, "Mid",                           0, 127,  64),
    Int( 13, "Mid Shift",                     0, 127,  64),
    Int( 14, "IR",                            0, 127,   0),
    Int( 15, "AnalogSim",                     0, 127,  64),
    Int( 16, "Reverb Room Size",              0, 127,  64, "[Room...Arena]"),
    Int( 17, "Reverb Decay Time",             0, 127,  64),
    Int( 18, "Reverb Diffusion",              0, 127, 100),
    Int( 19, "Reverb Extension Factor",       2,   5,   2, "[2...5 semitones]"),
    Int( 20, "Reverb Fbk. Delay Size",        0, 127,  64),
    Int( 21, "Reverb Fbk. Filter",            0, 127, 127, "[500...5000Hz]"),
    Int( 22, "Reverb Fbk. Damper Factor",     0, 127,   0),
    Int( 23, "Reverb LP Filter",              0, 127, 127, "[500...5000Hz]"),
    Int( 24, "Reverb HP Filter",              0, 127,   0, "[20...2000Hz]"),
    Int( 25, "Compressor Ratio",              0, 127,   0, "[1:1...16:1]"),
    Int( 26, "Compressor Output Gain",        0, 127,  64, "[-30dB...18dB]"),
    Int( 27, "Compressor Attack",             0, 127,  64, "[0ms...100ms]"),
    Int( 28, "Compressor Release",            0, 127,  64, "[50ms...5000ms]"),
    Int( 29, "Expander Ratio",                0, 127,   0, "[1:1...1:16]"),
    Int( 30, "Expander Output Gain",          0, 127,  64, "[-30dB...18dB]"),
    Int( 31, "Expander Attack",               0, 127,  64, "[0.5ms...100ms]"),
    Int( 32, "Expander Release",              0, 127,  64, "[50ms...5000ms]"),
    Int( 33, "Soft Clipping",                 0, 127, 127),
    Int( 34, "AnalogSim Gain",                0, 127, 127, "[0...1x]"),
    Int( 35, "Anti-aliasing Filter",          0, 127, 127),
    Int( 36, "Clean Input Level",             0, 127, 127),
    Int( 37, "Compressor Ratio",              0, 127,   0, "[1:1...16:1]"),
    Int( 38, "Gate Attack",                   0, 127,   0),
    Int( 39, "Gate Release",                  0, 127,  64),
    Int( 40, "IR Mode",                       0,   1,   0),
    Int( 41, "IR Mode",                       0,   1,   0),
    Int( 42, "User IR Gain",                  0, 127,  64),
    Int( 43, "User IR Gain",                  0, 127,  64),
    Int( 44, "Buzz Q",                        0, 127,  64),
    Int( 45, "Punch Q",                       0, 127,  64),
    Int( 46, "Crunch Q",                      0, 127,  64),
    Int( 47, "Mid Q",                         0, 127,  64),
    Int( 48, "Low Q",                         0, 127,  64),
    Int( 49, "High Q",                        0, 127,  64),
    Int( 50, "Auto Gain",                     0,   1,   1, "On/Off"),
    Int( 51, "Lookahead",                     0,   1,   0, "On/Off"),
    Int( 52, "Tuner",                         0,   2,   0, "Off/Mute/Bypass"),
    Int( 53, "User IR7 Preset MSB",           0, 127,   0),
    Int( 54, "User IR7 Preset",               0, 127,   0),
    Int( 55, "User IR8 Preset MSB",           0, 127,   0),
    Int( 56, "User IR8 Preset",               0, 127,   0),
    Int( 57, "Reverb Mode",                   0,   4,   0, "[Room, Hall, Arena, Spring, Plate]"),
    Int( 58, "Reverb Modulation Depth",       0, 127,   0),
    Int( 59, "Reverb Modulation Rate",        0, 127,   0, "[0...5Hz]"),
    Int( 60, "AutoFiler Level",               0,   1,   0),
    Int( 61, "AutoFiler Level",               0, 127,  64),
    Int( 62, "AF. Attack",                    0, 127,  64),
    Int( 63, "AF. Release",                   0, 127,  64),
    Int( 64, "Preset Level",                  0, 127,  32),
    Unset(65), Unset(66), Unset(67), Unset(68),
    Int( 69, "Compression",                  64, 127,  64),
    Int( 70, "Scroll",                        0, 109, 109),
    Double(71, 19),
    Double(72, 9),
    Int( 73, "IR",                            0, 127,   0),
    Unset(74), Unset(75), Unset(76),
    //   idx  name                          max  def  texts
    Enum( 77, "Custom IR Bank",               8,   0, TextRule::CustomBanks),
    Double(78, 16),
    Double(79, 16),
    Enum( 80, "DEFINE MIDI MAPPING",          1,   0, kDisabledEnabled),
    Enum( 81, "MIDI THRU MODE",               1,   0, kDisabledEnabled),
    Enum( 82, "PATCH OFFSET",                 1,   0, kPatchOffsets),
    Enum( 83, "MIDI CC MODE",                 1,   0, kDisabledEnabled),
    Enum( 84, "MIDI CC CHANNEL",             16,   0, TextRule::OmniThenChannel),
    Enum( 85, "EDIT POT DISPLAY MODE",        1,   0, kPotDisplayModes),
    Enum( 86, "DISENGAGE ALL POTS",           1,   0, kPotEngagement),
    Enum( 87, "TUNER FREQUENCY",             24,  12, TextRule::TunerHz),
    Enum( 88, "PRESET PROTECTION WRITER",     1,   0, kOffOn),
    Enum( 89, "TUNER DETUNE",                 2,   0, kDetunes),
    //  idx  name                           min  max  def
    Int( 90, "",                              0, 127,   0),
    Int( 91, "",                              0, 127,   1),
    Int( 92, "",                              0, 127,   2),
    Int( 93, "",                              0, 127,   3),
    Int( 94, "",                              0, 127,   4),
    Int( 95, "",                              0, 127,   5),
    Int( 96, "",                              0, 127,   6),
    Int( 97, "",                              0, 127,   7),
    Int( 98, "Controller Program",            0, 127,   0),
    Int( 99, "Dunvale Program",               0, 127,   0),
    //   idx  name                          max  def  texts
    Enum(100, "JACK2 Mode",                   1,   0, kJackModes),
    Enum(101, "JACK2 Mode",                   1,   0, kPolarities),
    Enum(102, "JACK 1 Mode",                  1,   0, kJackModes),
    Enum(103, "JACK 1 Polarity",              1,   0, kPolarities),
    Enum(104, "PEDAL2 Midi Channel",         15,   0, TextRule::OneBased),
    Enum(105, "PEDAL2 Mode",                  2,   0, kPedalModes),
    Int( 106, "PEDAL2 Controller",            0, 127,   0),
    Int( 107, "PEDAL2 Out Minimum",           0, 127,   0),
    Int( 108, "PEDAL2 Out Maximum",           0, 127,   0),
    Int( 109, "PEDAL2 Calibration Low End",   0, 127,   0),
    Int( 110, "PEDAL2 Calibration High End",  0, 127,   0),
    Enum(111, "SWITCHA2 Midi Channel",       15,   0, TextRule::OneBased),
    Enum(112, "SWITCHA2 Operation",           1,   0, kSwitchOperations),
    Enum(113, "SWITCHA2 Function Mode",       6,   0, kSwitchFunctions),
    Int( 114, "SWITCHA2 Controller",          0, 127,   0),
    Enum(115, "SWITCHB2 Midi Channel",       15,   0, TextRule::OneBased),
    Enum(116, "SWITCHB2 Operation",           1,   0, kSwitchOperations),
    Enum(117, "SWITCHB2 Function Mode",       6,   0, kSwitchFunctions),
    Int( 118, "SWITCHB2 Controller",          0, 127,   0),
    Int( 119, "SWITCH2 Special Ctrl Lower",   0, 127,   0),
    Int( 120, "SWITCH2 Special Ctrl Upper",   0, 127,   0),
    Enum(121, "PEDAL1 Midi Channel",         15,   0, TextRule::OneBased),
    Enum(122, "PEDAL1 Mode",                  2,   0, kPedalModes),
    Int( 123, "PEDAL1 Controller",            0, 127,   0),
    Int( 124, "PEDAL1 Out Minimum",           0, 127,   0),
    Int( 125, "PEDAL1 Out Maximum",           0, 127,   0),
    Int( 126, "PEDAL1 Calibration Low End",   0, 127,   0),
    Int( 127, "PEDAL1 Calibration High End",  0, 127,   0),
    Enum(128, "SWITCHA1 Midi Channel",       15,   0, TextRule::OneBased),
    Enum(129, "SWITCHA1 Operation",           1,   0, kSwitchOperations),
    Enum(130, "SWITCHA1 Function Mode",       6,   0, kSwitchFunctions),
    Int( 131, "SWITCHA1 Controller",          0, 127,   0),
    Enum(132, "SWITCHB1 Midi Channel",       15,   0, TextRule::OneBased),
    Enum(133, "SWITCHB1 Operation",           1,   0, kSwitchOperations),
    Enum(134, "SWITCHB1 Function Mode",       6,   0, kSwitchFunctions),
    Int( 135, "SWITCHB1 Controller",          0, 127,   0),
    Int( 136, "SWITCH1 Special Ctrl Lower",   0, 127,   0),
    Int( 137, "SWITCH1 Special Ctrl Upper",   0, 127,   0),
}};
// clang-format on

// Every row sits at its own index, and every listed enum has one text per value.
constexpr bool RowsAreConsistent() {
    for (int i = 0; i < kNumParams; ++i) {
        const ParamRow& row = kRows[static_cast<std::size_t>(i)];
        if (row.index != i) return false;
        if (row.rule == TextRule::List && static_cast<int>(row.texts.size()) != row.max + 1) return false;
    }
    return true;
}
static_assert(RowsAreConsistent());

// ---- 3. Building ------------------------------------------------------------

std::string GeneratedText(TextRule rule, int value, int max) {
    char text[kParamTextMax + 1];
    switch (rule) {
    case TextRule::OmniThenChannel:
        if (value == 0) return "OMNI";
        std::snprintf(text, sizeof text, "Channel %d", value);
        return text;
    case TextRule::TunerHz:
        std::snprintf(text, sizeof text, "%dHz", kTunerLowestHz + value);
        return text;
    case TextRule::CustomBanks:
        if (value == max) return "Factory Bank";
        std::snprintf(text, sizeof text, "Custom Bank %d", value + 1);
        return text;
    case TextRule::OneBased:
        std::snprintf(text, sizeof text, "%d", value + 1);
        return text;
    case TextRule::None:
    case TextRule::List:
        break;
    }
    return {};
}

void InitFromRow(Param& param, const ParamRow& row) {
    switch (row.kind) {
    case ParamKind::Int:
        param.InitInt(row.name, row.defaultValue, row.min, row.max, row.label);
        break;
    case ParamKind::Double:
        param.InitDouble(row.name, row.defaultValue, row.min, row.max, 1.0, row.label);
        break;
    case ParamKind::Enum:
        // Texts are added one by one after the enumeration initialiser.
        param.InitEnum(row.name, row.defaultValue, row.max + 1, row.label);
        for (int v = 0; v <= row.max; ++v) {
            if (row.rule == TextRule::List) {
                param.AddDisplayText(v, row.texts[static_cast<std::size_t>(v)]);
            } else {
                param.AddDisplayText(v, GeneratedText(row.rule, v, row.max).c_str());
            }
        }
        break;
    case ParamKind::None:
    case ParamKind::Bool:
        break;
    }
}

} // namespace

void InitDeviceParams(ParamList& params) {
    for (const ParamRow& row : kRows)
        InitFromRow(*params.Add(), row);
}

} // namespace tolvane
