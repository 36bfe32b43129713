#pragma once
// The compiled-in files the library writes into the data folder (the eight
// factory cabinet WAV files and the manual), and opening a document with the
// desktop's viewer.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tolvane {

// The bytes of a compiled-in file by its file name in the data folder. Only
// the eight factory WAV names and the manual's name are known; any other name
// (or a resource that cannot be read) gives an empty result.
std::vector<std::uint8_t> ReadProgramResource(const std::string& fileName);

// Opens the file with the desktop's default viewer; does not wait for it.
// False when the desktop could not start one.
bool OpenDocument(const std::filesystem::path& path);

} // namespace tolvane
