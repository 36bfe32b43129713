#pragma once
// What the section read-outs, captions and titles show for a parameter value.
// Pure functions of the integer value v, computed in single precision so the
// texts match the pedal's own display (a threshold of 65 really shows -0.00).

#include "core/EditorSeam.h"

#include <optional>
#include <string>

namespace tolvane::ui {

struct TextUpdate {
    ControlTag tag = -1;
    std::string text;
    bool operator==(const TextUpdate&) const = default;
};

// The read-out written under a knob when parameter index takes the value v;
// nothing for parameters without a read-out.
std::optional<TextUpdate> ReadoutFor(int index, int v);

// The value whose read-out is nearest what the user typed into a knob's value
// prompt, searched over lo..hi, so a number beyond the scale gives its end: a
// read-out's own word ("Bypass") matches exactly, in any case; otherwise the
// typed number is compared with each read-out's number (for a ratio, its free
// side: 4 for "4.0:1", "4:1", "1:4" or "4"). The number may carry the
// read-out's unit or a prefixed one ("%", "dB", "Hz", "2 kHz", "500ms",
// "0.5 s"), in any case, with or without a space, and a decimal point or
// comma. Equal distances go to the value nearest current. Nothing when the
// text is no number of the read-out's kind (a unit of another kind, words
// after the number) and names no read-out, or the parameter has no read-out.
std::optional<int> ValueForReadout(int index, const std::string& text, int current, int lo, int hi);

// Captions and titles that follow a value (AnalogSim's caption, the dynamics
// title); nothing for other parameters.
std::optional<TextUpdate> CaptionFor(int index, int v);

// Gate threshold in dB (parameter 9).
float GateThresholdDb(int v);
// Dynamics threshold in dB (parameter 10): compressor above 64, expander below.
float DynamicsThresholdDb(int v);
float CompressorRatio(int v); // parameter 25, 1..20
float ExpanderRatio(int v);   // parameter 29, 1..12
float GateRatio(int v);       // parameter 37, 1..10

// The two-digit display for the cabinet selector (parameter 14): the nine IR
// choices 1, 16, ... 127 read 00, 10, ... 80.
std::string IrSelectorNumber(int v);

// "%02d" of a number, as the two-digit display shows it.
std::string TwoDigits(int n);

} // namespace tolvane::ui
