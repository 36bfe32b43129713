#pragma once
// What the impulse-response transfers need of the files on disk: reading a WAV
// file, and the cache files of the IR numbers. The device link sits below the
// library, so the operations are named here and the library implements them
// over the data folder (library/WavIrFiles.h); tests may use a temporary folder.

#include "device/IrUploadRecord.h"
#include "device/ParamTable.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tolvane {

// An impulse response needs a few thousand samples; a WAV file above this size
// is refused before it is read.
inline constexpr std::uintmax_t kLargestWavFile = 16u * 1024u * 1024u;

// Whether a 256-byte preset record (the values from byte 34 on, by parameter
// index) plays user IR slot at IR position 7 or 8.
inline bool PresetPlaysUserIr(std::span<const std::uint8_t, 256> record, int slot) {
    constexpr std::size_t kValues = 34;
    auto value = [&](int index) {
        return static_cast<int>(record[kValues + static_cast<std::size_t>(index)]);
    };
    return (value(kParamIrMode7) != 0 &&
            value(kParamUserIr7PresetMsb) * 128 + value(kParamUserIr7Preset) == slot) ||
           (value(kParamIrMode8) != 0 &&
            value(kParamUserIr8PresetMsb) * 128 + value(kParamUserIr8Preset) == slot);
}

enum class WavLoad {
    Ok,
    Rejected, // cannot be opened, or not a WAV file the editor reads
    TooLarge, // above kLargestWavFile: not read at all
};

class IIrFiles {
public:
    virtual ~IIrFiles() = default;
    // Fills the buffer from a WAV file (resampled to 44100 Hz, the rest
    // cleared). Anything but Ok leaves the buffer untouched.
    virtual WavLoad ParseWav(const std::string& path, IrSampleBuffer& buffer) = 0;
    // The same with factory WAV file k (1..8) of the "Factory IRs" folder.
    virtual bool ParseFactoryWav(int k, IrSampleBuffer& buffer) = 0;
    // Writes bytes (normally a 2436-byte record) as the cache file of IR
    // number irNumber, replacing it; the folder is created when missing.
    virtual bool WriteIrRecord(int irNumber, std::span<const std::uint8_t> bytes) = 0;
    // Removes the cache file of irNumber (an upload the pedal never took).
    virtual bool RemoveIrRecord(int irNumber) = 0;
    // The cached record of irNumber; nullopt unless the file holds exactly 2436 bytes.
    virtual std::optional<ir::RecordBytes> ReadIrRecord(int irNumber) = 0;
    // Whether the cache file of irNumber exists at all.
    virtual bool IrCached(int irNumber) = 0;
    // The preset slots (0..127), in order, whose cache file plays user IR
    // slot at IR position 7 or 8; the cache may lag behind the pedal.
    virtual std::vector<int> PresetsUsingUserIr(int slot) = 0;
};

} // namespace tolvane
