#pragma once
// A name of up to 32 characters (a preset, an IR) kept as plain bytes, so that
// one thread can hand it to another whole through a Snapshot.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace tolvane {

inline constexpr std::size_t kNameTextChars = 32;
// Not terminated when all 32 characters are used.
using NameText = std::array<char, kNameTextChars>;

// Cut to 32 characters.
inline NameText ToNameText(std::string_view text) {
    NameText name{};
    std::copy_n(text.begin(), std::min(text.size(), kNameTextChars), name.begin());
    return name;
}

// The characters up to the first NUL.
inline std::string FromNameText(const NameText& name) {
    return std::string(name.data(), strnlen(name.data(), name.size()));
}

} // namespace tolvane
