#include "host/HostSettings.h"

#include "library/DataFolder.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tolvane {

namespace {

constexpr const char* kAudio = "audio";
constexpr const char* kMidi = "midi";
constexpr const char* kGui = "GUI";
constexpr const char* kScale = "scale";

// Profile-file integers: a number at the start of the text, else 0.
long ReadNumber(const ProfileFile& file, const char* section, const char* key, long fallback) {
    if (!file.Has(section, key)) return fallback;
    return std::strtol(file.Get(section, key, "").c_str(), nullptr, 10);
}

unsigned ReadUnsigned(const ProfileFile& file, const char* section, const char* key, unsigned fallback) {
    return static_cast<unsigned>(ReadNumber(file, section, key, fallback));
}

std::string Format(const char* format, auto value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

HostSettings ReadHostSettings(const ProfileFile& f) {
    HostSettings s;
    s.audioDriver = ReadUnsigned(f, kAudio, "driver", 0);
    s.audioInputDevice = f.Get(kAudio, "indev", "Built-in Input");
    s.audioOutputDevice = f.Get(kAudio, "outdev", "Built-in Output");
    s.audioInput1 = ReadUnsigned(f, kAudio, "in1", 1);
    s.audioInput2 = ReadUnsigned(f, kAudio, "in2", 2);
    s.audioOutput1 = ReadUnsigned(f, kAudio, "out1", 1);
    s.audioOutput2 = ReadUnsigned(f, kAudio, "out2", 2);
    s.bufferSize = ReadUnsigned(f, kAudio, "buffer", 512);
    s.sampleRate = ReadUnsigned(f, kAudio, "sr", 44100);
    s.midiInputPort = f.Get(kMidi, "indev", "no input");
    s.midiOutputPort = f.Get(kMidi, "outdev", "no output");
    s.midiInputChannel = ReadUnsigned(f, kMidi, "inchan", 0);
    s.midiOutputChannel = ReadUnsigned(f, kMidi, "outchan", 0);
    return s;
}

void WriteHostSettings(ProfileFile& f, const HostSettings& s) {
    f.Set(kAudio, "driver", Format("%u", s.audioDriver));
    f.Set(kAudio, "indev", s.audioInputDevice);
    f.Set(kAudio, "outdev", s.audioOutputDevice);
    f.Set(kAudio, "in1", Format("%u", s.audioInput1));
    f.Set(kAudio, "in2", Format("%u", s.audioInput2));
    f.Set(kAudio, "out1", Format("%u", s.audioOutput1));
    f.Set(kAudio, "out2", Format("%u", s.audioOutput2));
    f.Set(kAudio, "buffer", Format("%i", static_cast<int>(s.bufferSize)));
    f.Set(kAudio, "sr", Format("%i", static_cast<int>(s.sampleRate)));
    f.Set(kMidi, "indev", s.midiInputPort);
    f.Set(kMidi, "outdev", s.midiOutputPort);
    f.Set(kMidi, "inchan", Format("%u", s.midiInputChannel));
    f.Set(kMidi, "outchan", Format("%u", s.midiOutputChannel));
}

float ReadGuiScale(const ProfileFile& f) {
    const double scale = std::atof(f.Get(kGui, kScale, "0.5").c_str());
    // A scale that is not a positive number would give an editor of no size.
    return std::isfinite(scale) && scale > 0.0 ? static_cast<float>(scale) : kDefaultGuiScale;
}

void WriteGuiScale(ProfileFile& f, float scale) {
    f.Set(kGui, kScale, Format("%f", static_cast<double>(scale)));
}

SettingsFile SettingsFile::InDataFolder() {
    return SettingsFile(DataFolder() / kSettingsFileName);
}

HostSettings SettingsFile::Load() {
    ProfileFile file;
    HostSettings settings = file.Load(path_) ? ReadHostSettings(file) : HostSettings::FirstStart();
    Save(settings);
    return settings;
}

bool SettingsFile::Save(const HostSettings& settings) {
    ProfileFile file;
    file.Load(path_);
    WriteHostSettings(file, settings);
    saved_ = file.Save(path_);
    return saved_;
}

float SettingsFile::LoadGuiScale() {
    ProfileFile file;
    file.Load(path_);
    return ReadGuiScale(file);
}

bool SettingsFile::SaveGuiScale(float scale) {
    ProfileFile file;
    file.Load(path_);
    WriteGuiScale(file, scale);
    return file.Save(path_);
}

} // namespace tolvane
