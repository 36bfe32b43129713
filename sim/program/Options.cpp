#include "sim/program/Options.h"

#include <charconv>

namespace tolvane::sim {

namespace {

bool ParseInt(const std::string& text, int& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--help" || a == "-h") {
            options.help = true;
        } else if (a == "--version") {
            options.version = true;
        } else if (a == "-v" || a == "--verbose") {
            options.verbose = true;
        } else if (a == "--fresh") {
            options.fresh = true;
        } else if (a == "--api" && hasValue) {
            const std::string& v = args[++i];
            if (v == "jack")
                options.api = MidiApi::Jack;
            else if (v == "alsa")
                options.api = MidiApi::Alsa;
            else if (v == "auto")
                options.api = MidiApi::Auto;
            else {
                error = "unknown MIDI api: " + v;
                return std::nullopt;
            }
        } else if (a == "--state" && hasValue) {
            options.stateFolder = args[++i];
        } else if (a == "--firmware-version" && hasValue) {
            if (!ParseInt(args[++i], options.firmwareVersion) || options.firmwareVersion < 0 ||
                options.firmwareVersion > 127) {
                error = "--firmware-version takes 0..127 (the version times ten)";
                return std::nullopt;
            }
        } else if (a == "--byte-time-us" && hasValue) {
            if (!ParseInt(args[++i], options.byteTimeUs) || options.byteTimeUs < 0 || options.byteTimeUs > 1000) {
                error = "--byte-time-us takes 0..1000";
                return std::nullopt;
            }
        } else {
            error = "unknown argument: " + a;
            return std::nullopt;
        }
    }
    return options;
}

} // namespace tolvane::sim
