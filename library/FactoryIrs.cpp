#include "library/FactoryIrs.h"

#include "library/DataFolder.h"
#include "library/LibraryFiles.h"

#include <system_error>

namespace tolvane {

void ExtractFactoryIrs(const std::filesystem::path& dataFolder, const ResourceProvider& provider) {
    const std::filesystem::path folder = dataFolder / kFactoryIrsFolder;
    if (CanOpenForReading(folder / kFactoryIrWavNames[0])) return;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (const char* name : kFactoryIrWavNames) {
        const std::vector<std::uint8_t> bytes = provider ? provider(name) : std::vector<std::uint8_t>{};
        if (!bytes.empty()) WriteWholeFile(folder / name, bytes.data(), bytes.size());
    }
}

} // namespace tolvane
