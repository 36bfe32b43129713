#pragma once
// Help > Read Manual: the manual is written from the program's resources into
// the data folder when it is not there yet, then opened with the system's
// viewer.

#include "library/FactoryIrs.h"

#include <filesystem>
#include <functional>

namespace tolvane {

inline constexpr const char* kManualFileName = "Quist_Velumo_OM1.pdf";

// Opens a document with the system's default viewer (the host supplies it);
// false when the system could not.
using DocumentOpener = std::function<bool(const std::filesystem::path&)>;

// Whether the manual was handed to the viewer.
bool RequestManual(const std::filesystem::path& dataFolder, const ResourceProvider& provider,
                   const DocumentOpener& opener);

} // namespace tolvane
