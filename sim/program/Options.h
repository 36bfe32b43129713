#pragma once
// The simulator's command line.

#include <optional>
#include <string>
#include <vector>

namespace tolvane::sim {

enum class MidiApi { Auto, Jack, Alsa };

struct Options {
    MidiApi api = MidiApi::Auto;
    std::string stateFolder; // empty: nothing kept between runs
    bool fresh = false;      // start from the factory content even when a state exists
    int firmwareVersion = 12;
    bool verbose = false;
    // How long one byte takes on the pedal's MIDI link, in microseconds. The
    // pedal cannot send faster than its link: an IR stream of eleven messages
    // arrives spread out, not in one burst. 0 sends at once.
    int byteTimeUs = 32;
    // Answer and exit: the usage, or the version.
    bool help = false;
    bool version = false;
};

inline constexpr const char* kUsage =
    "usage: velumo-sim [--api jack|alsa|auto] [--state DIR] [--fresh] [--firmware-version N] [--byte-time-us N] [-v]\n"
    "       velumo-sim --help | --version\n"
    "commands on standard input: knob INDEX VALUE, preset SLOT, error, unplug, plug [CLIENT], status,\n"
    "  fault corrupt|drop|reject|delay|firmware-fail N, quit\n";

// nullopt (with the reason in error) for an argument it does not know.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

} // namespace tolvane::sim
