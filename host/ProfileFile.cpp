#include "host/ProfileFile.h"

#include "library/LibraryFiles.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace tolvane {

namespace {

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

} // namespace

bool ProfileFile::SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

const ProfileFile::Section* ProfileFile::Find(const std::string& section) const {
    for (const auto& s : sections_)
        if (SameName(s.name, section)) return &s;
    return nullptr;
}

bool ProfileFile::Load(const std::filesystem::path& path) {
    sections_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream text;
    text << in.rdbuf();
    FromText(text.str());
    return true;
}

bool ProfileFile::Save(const std::filesystem::path& path) const {
    const std::string text = ToText();
    return WriteWholeFile(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

void ProfileFile::FromText(const std::string& text) {
    sections_.clear();
    std::istringstream in(text);
    std::string line;
    Section* current = nullptr;
    while (std::getline(in, line)) {
        const std::string t = Trim(line);
        if (t.empty() || t[0] == ';') continue;
        if (t.front() == '[') {
            const auto close = t.find(']');
            const std::string name =
                Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            auto it = std::find_if(sections_.begin(), sections_.end(),
                                   [&](const Section& s) { return SameName(s.name, name); });
            current = it != sections_.end() ? &*it : &sections_.emplace_back(Section{name, {}});
            continue;
        }
        const auto eq = t.find('=');
        // Lines before the first section or without "=" carry nothing.
        if (!current || eq == std::string::npos) continue;
        const std::string key = Trim(t.substr(0, eq));
        const std::string value = Trim(t.substr(eq + 1));
        auto it = std::find_if(current->entries.begin(), current->entries.end(),
                               [&](const Entry& e) { return SameName(e.key, key); });
        // The first occurrence of a key is the one that counts.
        if (it == current->entries.end()) current->entries.push_back({key, value});
    }
}

std::string ProfileFile::ToText() const {
    std::string out;
    for (const auto& s : sections_) {
        out += "[" + s.name + "]\n";
        for (const auto& e : s.entries)
            out += e.key + "=" + e.value + "\n";
    }
    return out;
}

bool ProfileFile::Has(const std::string& section, const std::string& key) const {
    const Section* s = Find(section);
    if (!s) return false;
    return std::any_of(s->entries.begin(), s->entries.end(),
                       [&](const Entry& e) { return SameName(e.key, key); });
}

std::string ProfileFile::Get(const std::string& section, const std::string& key,
                             const std::string& fallback) const {
    if (const Section* s = Find(section))
        for (const auto& e : s->entries)
            if (SameName(e.key, key)) return e.value;
    return fallback;
}

void ProfileFile::Set(const std::string& section, const std::string& key, const std::string& value) {
    auto sit = std::find_if(sections_.begin(), sections_.end(),
                            [&](const Section& s) { return SameName(s.name, section); });
    Section& s = sit != sections_.end() ? *sit : sections_.emplace_back(Section{section, {}});
    for (auto& e : s.entries)
        if (SameName(e.key, key)) {
            e.value = value;
            return;
        }
    s.entries.push_back({key, value});
}

} // namespace tolvane
