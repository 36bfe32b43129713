#pragma once
// The chosen audio and MIDI devices and how they are kept in settings.ini
// (sections "audio" and "midi"), plus the editor's draw scale (section "GUI").

#include "host/ProfileFile.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tolvane {

inline constexpr const char* kPortOff = "off";
inline constexpr const char* kSettingsFileName = "settings.ini";
inline constexpr float kDefaultGuiScale = 0.5f;

enum AudioDriver : unsigned { kDriverSystem = 0, kDriverJack = 1 };

struct HostSettings {
    unsigned audioDriver = kDriverSystem;
    std::string audioInputDevice = "Default Device";
    std::string audioOutputDevice = "Default Device";
    unsigned sampleRate = 44100;
    unsigned bufferSize = 512;
    unsigned midiInputChannel = 0;
    unsigned midiOutputChannel = 0;
    unsigned audioInput1 = 1, audioInput2 = 2;
    unsigned audioOutput1 = 1, audioOutput2 = 2;
    std::string midiInputPort = kPortOff;
    std::string midiOutputPort = kPortOff;

    bool operator==(const HostSettings&) const = default;

    // Defaults when settings.ini does not exist.
    static HostSettings FirstStart() { return HostSettings{}; }
};

// Reads every key; keys that are absent take the values a file without them
// stands for ("Built-in Input", "no input", ...). Numbers are clamped to the
// range the program offers; text that is no usable number takes the default.
HostSettings ReadHostSettings(const ProfileFile& file);
// Writes every key of both sections in their fixed order, numbers clamped as
// on reading.
void WriteHostSettings(ProfileFile& file, const HostSettings& settings);

// The draw scale within what the corner handle offers; a scale that is not a
// positive finite float is the default, on reading and on writing.
float ReadGuiScale(const ProfileFile& file);
void WriteGuiScale(ProfileFile& file, float scale);

// settings.ini inside the data folder.
class SettingsFile {
public:
    explicit SettingsFile(std::filesystem::path path) : path_(std::move(path)) {}
    // The file in DataFolder(), which is created when missing.
    static SettingsFile InDataFolder();

    const std::filesystem::path& Path() const { return path_; }
    // Reads the settings (first-start defaults when the file does not exist)
    // and writes them back at once, so the file exists afterwards.
    HostSettings Load();
    // Rewrites the "audio" and "midi" keys; other sections are kept.
    bool Save(const HostSettings& settings);
    // Whether the last write of the settings (by Load or Save) reached the
    // file; when not, the earlier file is still whole.
    bool Saved() const { return saved_; }
    float LoadGuiScale();
    // The scale the file holds; nullopt when it holds none (a first start).
    std::optional<float> StoredGuiScale();
    bool SaveGuiScale(float scale);

private:
    std::filesystem::path path_;
    bool saved_ = true;
};

} // namespace tolvane
