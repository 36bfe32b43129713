// A preset file: decoded, then loaded into a connected link ("fuzz.dvp"),
// whose IR uploads and Store preset a pedal model answers.

#include "device/Tolvane.h"
#include "fuzz/LinkRig.h"
#include "library/PresetFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tolvane::fuzz::LinkRig& rig = *new tolvane::fuzz::LinkRig;
    std::vector<std::uint8_t> bytes(data, data + size);
    tolvane::PresetFileContent content;
    if (tolvane::DecodePresetFile(bytes, content) == tolvane::PresetFileRead::Ok) {
        // What decodes must encode to the same length and decode alike.
        tolvane::PresetFileContent again;
        const auto encoded = tolvane::EncodePresetFile(content);
        if (tolvane::DecodePresetFile(encoded, again) != tolvane::PresetFileRead::Ok) __builtin_trap();
    }
    rig.SetPresetFile(std::move(bytes));
    rig.Drive(tolvane::fuzz::LinkState::Connected, 8, [](tolvane::Tolvane& link) { link.LoadPresetFile(); });
    return 0;
}
