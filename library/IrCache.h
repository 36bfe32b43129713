#pragma once
// The impulse-response cache folders. User IR slots (every IR number below
// 384) live in "User IRs" as "%03d.dat" with slot + 1; the factory cabinets
// (IR numbers 384..391) in "Factory IRs" with (number & 127) + 1.

#include "device/LinkLibrary.h"
#include "library/IrRecord.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

inline constexpr int kFirstFactoryIrNumber = 384;
inline constexpr int kUserIrSlotsShown = 288;
inline constexpr int kFactoryIrCount = 8;

std::filesystem::path UserIrPath(const std::filesystem::path& dataFolder, int slot);
std::filesystem::path FactoryIrPath(const std::filesystem::path& dataFolder, int index);
// The cache file of any IR number, user or factory.
std::filesystem::path IrNumberPath(const std::filesystem::path& dataFolder, int irNumber);

// A regular file of exactly one record; any other size counts as missing, so
// the record is read from the pedal again.
bool IrRecordCached(const std::filesystem::path& dataFolder, int irNumber);
bool UserIrCached(const std::filesystem::path& dataFolder, int slot);
bool FactoryIrCached(const std::filesystem::path& dataFolder, int index);

// The slot's stored name, or "Empty Slot %d" (slot's place in its bank of 32)
// when there is no file. Any file size gives a name: only the first 64 bytes
// are read.
std::string UserIrName(const std::filesystem::path& dataFolder, int slot);
// The stored name of factory cabinet index 0..7, nullopt when not cached.
std::optional<std::string> FactoryIrName(const std::filesystem::path& dataFolder, int index);

// Every cache file of "User IRs" (IR numbers 0..383) and "Factory IRs"
// (384 + index) named as CacheFileName names them, with its size and the
// name bytes; what UserIrName and the cached records would read.
std::vector<CachedIrFile> ListCachedIrs(const std::filesystem::path& dataFolder);

// The record for display; nullopt unless the file is exactly 2436 bytes.
std::optional<IrRecord> LoadUserIrRecord(const std::filesystem::path& dataFolder, int slot);
std::optional<IrRecord> LoadFactoryIrRecord(const std::filesystem::path& dataFolder, int index);

// Writes the record of an IR number, creating its folder when missing.
bool WriteIrRecord(const std::filesystem::path& dataFolder, int irNumber, const IrRecord& record);

} // namespace tolvane
