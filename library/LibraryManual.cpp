#include "library/LibraryManual.h"

#include "library/LibraryFiles.h"

namespace tolvane {

bool RequestManual(const std::filesystem::path& dataFolder, const ResourceProvider& provider,
                   const DocumentOpener& opener) {
    const std::filesystem::path path = dataFolder / kManualFileName;
    if (!CanOpenForReading(path) && provider) {
        const std::vector<std::uint8_t> bytes = provider(kManualFileName);
        if (!bytes.empty()) WriteWholeFile(path, bytes.data(), bytes.size());
    }
    return opener && opener(path);
}

} // namespace tolvane
