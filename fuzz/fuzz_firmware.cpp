// A firmware image file: chosen on the firmware page of a connected link and,
// once the pedal model's boot loader is ready, sent block by block.

#include "device/Tolvane.h"
#include "fuzz/LinkRig.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tolvane::fuzz::LinkRig& rig = *new tolvane::fuzz::LinkRig;
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("tolvane_fuzz_image_" + std::to_string(::getpid()) + ".ldr"))
            .string();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    // A 57343-byte image takes 273 blocks, one per tick.
    rig.Drive(tolvane::fuzz::LinkState::Connected, 300, [](tolvane::Tolvane& link) {
        link.HandleMenuCommand(tolvane::MenuCommand::FirmwareUpdate);
        link.LoadFirmware(path);
    });
    return 0;
}
