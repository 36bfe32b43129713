#include "host/HostSettings.h"

#include "library/DataFolder.h"
#include "toolkit/OverlayControls.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace tolvane {

namespace {

constexpr const char* kAudio = "audio";
constexpr const char* kMidi = "midi";
constexpr const char* kGui = "GUI";
constexpr const char* kScale = "scale";

// An unsigned key with the range the program offers for it and the value that
// a missing or unusable text stands for. A number outside the range is
// clamped to it; text that is not a whole number of the type (garbage, a
// sign, a fraction, an overflow) takes the default. Values are clamped again
// on writing, so the file only ever holds what the program could have put
// there.
struct UnsignedKey {
    const char* section;
    const char* key;
    unsigned HostSettings::*member;
    unsigned lowest;
    unsigned highest;
    unsigned fallback;
};

// Audio channels count from 1; no sound card offers more than this many.
constexpr unsigned kLastAudioChannel = 256;
// MIDI channel 0 is every channel, 1..16 one of them.
constexpr unsigned kLastMidiChannel = 16;

constexpr UnsignedKey kDriver{kAudio, "driver", &HostSettings::audioDriver, 0, kDriverJack, kDriverSystem};
constexpr UnsignedKey kIn1{kAudio, "in1", &HostSettings::audioInput1, 1, kLastAudioChannel, 1};
constexpr UnsignedKey kIn2{kAudio, "in2", &HostSettings::audioInput2, 1, kLastAudioChannel, 2};
constexpr UnsignedKey kOut1{kAudio, "out1", &HostSettings::audioOutput1, 1, kLastAudioChannel, 1};
constexpr UnsignedKey kOut2{kAudio, "out2", &HostSettings::audioOutput2, 1, kLastAudioChannel, 2};
// Frames per period and sample rates a sound card offers.
constexpr UnsignedKey kBuffer{kAudio, "buffer", &HostSettings::bufferSize, 16, 8192, 512};
constexpr UnsignedKey kRate{kAudio, "sr", &HostSettings::sampleRate, 8000, 384000, 44100};
constexpr UnsignedKey kInChannel{kMidi, "inchan", &HostSettings::midiInputChannel, 0, kLastMidiChannel, 0};
constexpr UnsignedKey kOutChannel{kMidi, "outchan", &HostSettings::midiOutputChannel, 0, kLastMidiChannel, 0};

// The number a whole text spells, or nothing for empty text, trailing text,
// a sign the type cannot take, or a value it cannot hold.
template <typename T> std::optional<T> WholeNumber(const std::string& text) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end) return std::nullopt;
    return value;
}

unsigned Clamped(const UnsignedKey& k, unsigned long long value) {
    return static_cast<unsigned>(std::clamp<unsigned long long>(value, k.lowest, k.highest));
}

void ReadUnsigned(const ProfileFile& file, const UnsignedKey& k, HostSettings& s) {
    const auto value = WholeNumber<unsigned long long>(file.Get(k.section, k.key, ""));
    s.*k.member = value ? Clamped(k, *value) : k.fallback;
}

void WriteUnsigned(ProfileFile& file, const UnsignedKey& k, const HostSettings& s) {
    file.Set(k.section, k.key, std::to_string(Clamped(k, s.*k.member)));
}

// The draw scale clamped to what the corner handle offers; a scale that is not
// a positive number a float can hold falls back to the default.
float UsableScale(double scale) {
    if (!std::isfinite(scale) || scale <= 0.0 || scale > std::numeric_limits<float>::max())
        return kDefaultGuiScale;
    return std::clamp(static_cast<float>(scale), CornerResizerControl::kMinScale,
                      CornerResizerControl::kMaxScale);
}

} // namespace

HostSettings ReadHostSettings(const ProfileFile& f) {
    HostSettings s;
    ReadUnsigned(f, kDriver, s);
    s.audioInputDevice = f.Get(kAudio, "indev", "Built-in Input");
    s.audioOutputDevice = f.Get(kAudio, "outdev", "Built-in Output");
    for (const UnsignedKey* k : {&kIn1, &kIn2, &kOut1, &kOut2, &kBuffer, &kRate})
        ReadUnsigned(f, *k, s);
    s.midiInputPort = f.Get(kMidi, "indev", "no input");
    s.midiOutputPort = f.Get(kMidi, "outdev", "no output");
    ReadUnsigned(f, kInChannel, s);
    ReadUnsigned(f, kOutChannel, s);
    return s;
}

void WriteHostSettings(ProfileFile& f, const HostSettings& s) {
    WriteUnsigned(f, kDriver, s);
    f.Set(kAudio, "indev", s.audioInputDevice);
    f.Set(kAudio, "outdev", s.audioOutputDevice);
    for (const UnsignedKey* k : {&kIn1, &kIn2, &kOut1, &kOut2, &kBuffer, &kRate})
        WriteUnsigned(f, *k, s);
    f.Set(kMidi, "indev", s.midiInputPort);
    f.Set(kMidi, "outdev", s.midiOutputPort);
    WriteUnsigned(f, kInChannel, s);
    WriteUnsigned(f, kOutChannel, s);
}

float ReadGuiScale(const ProfileFile& f) {
    const auto scale = WholeNumber<double>(f.Get(kGui, kScale, ""));
    return scale ? UsableScale(*scale) : kDefaultGuiScale;
}

void WriteGuiScale(ProfileFile& f, float scale) {
    char text[32];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(UsableScale(scale)));
    f.Set(kGui, kScale, text);
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

std::optional<float> SettingsFile::StoredGuiScale() {
    ProfileFile file;
    file.Load(path_);
    if (!WholeNumber<double>(file.Get(kGui, kScale, ""))) return std::nullopt;
    return ReadGuiScale(file);
}

bool SettingsFile::SaveGuiScale(float scale) {
    ProfileFile file;
    file.Load(path_);
    WriteGuiScale(file, scale);
    return file.Save(path_);
}

} // namespace tolvane
