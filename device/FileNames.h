#pragma once
// File names the user types in a save question, and names proposed in one.

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace tolvane {

// path with ".extension" added unless it already ends in it (in any case), so
// that the open questions, which list only that extension, find the file again.
inline std::string WithExtension(const std::string& path, const std::string& extension) {
    const std::string suffix = "." + extension;
    if (path.size() > suffix.size()) {
        const auto tail = path.end() - static_cast<std::ptrdiff_t>(suffix.size());
        if (std::equal(tail, path.end(), suffix.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            return path;
    }
    return path + suffix;
}

// A name from a file or from the pedal made safe to propose in a save
// question: it can only ever name a file in the folder the question opens in,
// never lead out of it. Path separators, characters no file name may hold on
// either platform, control characters and every ".." become '_', and so does
// a name that is a single ".".
inline std::string ProposedFileName(const std::string& name) {
    std::string safe;
    safe.reserve(name.size());
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        const bool forbidden =
            u < 0x20 || u == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
        if (forbidden)
            safe += '_';
        else if (c == '.' && !safe.empty() && safe.back() == '.')
            safe.back() = '_';
        else
            safe += c;
    }
    return safe == "." ? "_" : safe;
}

} // namespace tolvane
