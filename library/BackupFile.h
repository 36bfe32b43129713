#pragma once
// The backup file (extension "dvb"): the SysEx messages of an export, one
// after the other, with no header. Reading refuses files above 1 MiB.

#include "device/BackupTransferMessages.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace tolvane {

// nullopt when the file cannot be opened or is larger than 1,048,576 bytes.
std::optional<std::vector<std::uint8_t>> ReadBackupFile(const std::filesystem::path& path);
bool WriteBackupFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// What a backup holds, for checking one: the slots of its Preset dumps in
// order, and the IR numbers of its IR streams in order. nullopt when it is not
// a sequence of whole messages.
struct BackupSummary {
    std::vector<int> presetSlots;
    std::vector<int> irNumbers;
    std::size_t messages = 0;
};
std::optional<BackupSummary> SummariseBackup(std::span<const std::uint8_t> bytes);

} // namespace tolvane
