#include "library/LibraryTransferFiles.h"

#include "library/BackupFile.h"
#include "library/LibraryFiles.h"
#include "library/PresetFile.h"
#include "library/WavIrFiles.h"

namespace tolvane {

TransferFiles LibraryTransferFiles(const std::filesystem::path& dataFolder) {
    TransferFiles files;
    files.irFiles = std::make_shared<WavIrFiles>(dataFolder);
    files.presetFiles = std::make_shared<PresetFileStore>();
    files.readBackup = [](const std::string& path) { return ReadBackupFile(path); };
    files.writeBackup = [](const std::string& path, std::span<const std::uint8_t> bytes) {
        return WriteBackupFile(path, bytes);
    };
    files.fileSize = [](const std::string& path) { return FileSize(path); };
    files.dataFolder = dataFolder.string();
    return files;
}

} // namespace tolvane
