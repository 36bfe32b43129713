#pragma once
// File names the user types in a save question.

#include <algorithm>
#include <cctype>
#include <string>

namespace tolvane {

// path with ".extension" added unless it already ends in it (in any case), so
// that the open questions, which list only that extension, find the file again.
inline std::string WithExtension(const std::string& path, const std::string& extension) {
    const std::string suffix = "." + extension;
    if (path.size() > suffix.size()) {
        const auto tail = path.end() - static_cast<std::ptrdiff_t>(suffix.size());
        if (std::equal(tail, path.end(), suffix.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return path;
    }
    return path + suffix;
}

} // namespace tolvane
