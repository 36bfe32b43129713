#include "library/DataFolder.h"

#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace tolvane {

namespace {

std::filesystem::path BaseFolder() {
#ifdef _WIN32
    if (const char* local = std::getenv("LOCALAPPDATA"); local && *local) return local;
#else
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return xdg;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".local" / "share";
#endif
    return std::filesystem::temp_directory_path();
}

} // namespace

std::filesystem::path DataFolder() {
    std::filesystem::path folder = BaseFolder() / "Tolvane";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

std::string CacheFileName(int fileNumber) {
    char name[16];
    std::snprintf(name, sizeof name, "%03d.dat", fileNumber);
    return name;
}

} // namespace tolvane
