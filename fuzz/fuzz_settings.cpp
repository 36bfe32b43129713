// settings.ini as the program reads it: the audio and MIDI keys and the draw
// scale. Whatever the file holds, every value read lies in the range the
// program offers (or is the key's default), and writing what was read and
// reading that again gives the same values.

#include "host/HostSettings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using tolvane::HostSettings;

// The ranges the settings dialog and the audio side offer, stated here apart
// from the reader so that a reader that lets a value slip is caught.
struct Range {
    const char* name;
    unsigned HostSettings::*member;
    unsigned lowest;
    unsigned highest;
};
constexpr Range kRanges[] = {
    {"driver", &HostSettings::audioDriver, 0, 1},         {"in1", &HostSettings::audioInput1, 1, 256},
    {"in2", &HostSettings::audioInput2, 1, 256},          {"out1", &HostSettings::audioOutput1, 1, 256},
    {"out2", &HostSettings::audioOutput2, 1, 256},        {"buffer", &HostSettings::bufferSize, 16, 8192},
    {"sr", &HostSettings::sampleRate, 8000, 384000},      {"inchan", &HostSettings::midiInputChannel, 0, 16},
    {"outchan", &HostSettings::midiOutputChannel, 0, 16},
};
constexpr float kLowestScale = 1.f / 3.f;
constexpr float kHighestScale = 3.f;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "settings: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tolvane::ProfileFile file;
    file.FromText(std::string(reinterpret_cast<const char*>(data), size));
    const HostSettings read = tolvane::ReadHostSettings(file);
    const float scale = tolvane::ReadGuiScale(file);

    for (const Range& r : kRanges) {
        const unsigned value = read.*r.member;
        if (value < r.lowest || value > r.highest) {
            std::fprintf(stderr, "settings: %s = %u lies outside %u..%u\n", r.name, value, r.lowest,
                         r.highest);
            std::abort();
        }
    }
    if (!(scale >= kLowestScale && scale <= kHighestScale) && scale != tolvane::kDefaultGuiScale)
        Fail("the draw scale lies outside what the corner handle offers");

    tolvane::ProfileFile written;
    tolvane::WriteHostSettings(written, read);
    tolvane::WriteGuiScale(written, scale);
    tolvane::ProfileFile again;
    again.FromText(written.ToText());
    if (!(tolvane::ReadHostSettings(again) == read)) Fail("the settings written do not read back the same");
    // The file keeps the scale with six decimals: read back, it is the value
    // to that precision, and from there on it stays as it is.
    const float back = tolvane::ReadGuiScale(again);
    if (std::fabs(back - scale) > 1e-6f) Fail("the draw scale written does not read back the same");
    tolvane::ProfileFile rewritten;
    tolvane::WriteGuiScale(rewritten, back);
    if (tolvane::ReadGuiScale(rewritten) != back)
        Fail("the draw scale changes each time it is written");
    return 0;
}
