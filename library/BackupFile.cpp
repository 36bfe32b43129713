#include "library/BackupFile.h"

#include "device/SysexConstants.h"
#include "library/LibraryFiles.h"

namespace tolvane {

std::optional<std::vector<std::uint8_t>> ReadBackupFile(const std::filesystem::path& path) {
    return ReadWholeFile(path, backup::kBufferSize);
}

bool WriteBackupFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    return WriteWholeFile(path, bytes.data(), bytes.size());
}

std::optional<BackupSummary> SummariseBackup(std::span<const std::uint8_t> bytes) {
    const auto messages = backup::SplitMessages(bytes);
    if (!messages) return std::nullopt;
    BackupSummary summary;
    summary.messages = messages->size();
    for (const auto& m : *messages) {
        const auto message = bytes.subspan(m.offset, m.length);
        const std::uint8_t command = message[sysex::kOffsetCommand];
        if (command == sysex::command::kPresetDump)
            summary.presetSlots.push_back(message[sysex::kOffsetBlockIndex]);
        else if (command == sysex::command::kIrStreamStart)
            summary.irNumbers.push_back(message[sysex::kOffsetStreamItem] * 128 +
                                        message[sysex::kOffsetStreamItem + 1]);
    }
    return summary;
}

} // namespace tolvane
