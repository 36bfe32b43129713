#pragma once
// The library's side of the transfers: WAV and IR cache files, preset files
// and backup files in and under the data folder.

#include "device/TransferWiring.h"

#include <filesystem>

namespace tolvane {

TransferFiles LibraryTransferFiles(const std::filesystem::path& dataFolder);

} // namespace tolvane
