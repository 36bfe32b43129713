#pragma once
// Whole-file reads and create-or-replace writes for the cache files. A file
// that is missing or unreadable counts as not cached, so every failure is a
// plain empty result, never an exception.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace tolvane {

// At most maxBytes from the start of the file; nullopt when it cannot be opened.
std::optional<std::vector<std::uint8_t>> ReadFileStart(const std::filesystem::path& path,
                                                       std::size_t maxBytes);
// The whole file; nullopt when it cannot be opened.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path);
// Creates or replaces the file. False when it cannot be written.
bool WriteWholeFile(const std::filesystem::path& path, const std::uint8_t* bytes, std::size_t size);
bool CanOpenForReading(const std::filesystem::path& path);

} // namespace tolvane
