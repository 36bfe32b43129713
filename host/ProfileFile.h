#pragma once
// A small reader and writer of profile (ini) files: "[section]" headers and
// "key=value" lines. Sections and keys are matched without regard to case and
// keep the spelling they were first written with; values are text. Setting a
// key replaces its value in place or appends it to its section, so the other
// sections of the file survive a save.

#include <filesystem>
#include <string>
#include <vector>

namespace tolvane {

class ProfileFile {
public:
    // False when the file cannot be read; the contents are then empty.
    bool Load(const std::filesystem::path& path);
    bool Save(const std::filesystem::path& path) const;

    bool Has(const std::string& section, const std::string& key) const;
    // The value, or fallback when the section or key is absent.
    std::string Get(const std::string& section, const std::string& key, const std::string& fallback) const;
    void Set(const std::string& section, const std::string& key, const std::string& value);

    std::string ToText() const;
    void FromText(const std::string& text);

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    const Section* Find(const std::string& section) const;
    static bool SameName(const std::string& a, const std::string& b);

    std::vector<Section> sections_;
};

} // namespace tolvane
