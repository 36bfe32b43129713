#pragma once
// The impulse-response transfers' files (IIrFiles) over one data folder: WAV
// files through ParseWav, the factory WAV files of "Factory IRs", and the
// cache files of the IR numbers ("User IRs" below 384, "Factory IRs" from 384).

#include "device/IrUploadFiles.h"

#include <filesystem>

namespace tolvane {

class WavIrFiles final : public IIrFiles {
public:
    explicit WavIrFiles(std::filesystem::path dataFolder) : folder_(std::move(dataFolder)) {}

    WavLoad ParseWav(const std::string& path, IrSampleBuffer& buffer) override;
    bool ParseFactoryWav(int k, IrSampleBuffer& buffer) override;
    bool WriteIrRecord(int irNumber, std::span<const std::uint8_t> bytes) override;
    bool RemoveIrRecord(int irNumber) override;
    std::optional<ir::RecordBytes> ReadIrRecord(int irNumber) override;
    bool IrCached(int irNumber) override;
    std::vector<int> PresetsUsingUserIr(int slot) override;

private:
    std::filesystem::path folder_;
};

} // namespace tolvane
