#pragma once
// A single preset saved to or loaded from a preset file (extension "dvp"), as
// the device link sees it: the name, the 65 preset values, the names of the
// user IRs at positions 7 and 8 and up to two IR records. The bytes of the
// file are the library's business (library/PresetFile.h implements this).

#include "device/IrUploadRecord.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvane {

inline constexpr int kPresetFileValues = 65;

struct PresetFileContent {
    std::string name; // 32 characters, space-padded
    std::array<std::uint8_t, kPresetFileValues> values{};
    std::string irName7; // 32 characters; blanks when position 7 is off
    std::string irName8;
    // Position 7's record first, then position 8's, each only when it was
    // available; a single record may be either.
    std::vector<ir::RecordBytes> records;
};

enum class PresetFileRead {
    Ok,
    NotReadable,        // cannot be opened
    TooLarge,           // 8192 bytes or larger: not read
    UnknownFormat,      // not "DVLX", or not 262, 2698 or 5134 bytes long
    UnsupportedVersion, // version above 1.0
};

class IPresetFileStore {
public:
    virtual ~IPresetFileStore() = default;
    // Creates (replaces) the file; false when it cannot be written.
    virtual bool Write(const std::string& path, const PresetFileContent& content) = 0;
    virtual PresetFileRead Read(const std::string& path, PresetFileContent& content) = 0;
};

} // namespace tolvane
