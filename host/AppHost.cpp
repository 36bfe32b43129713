#include "host/AppHost.h"

#include "host/PortNames.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <thread>

namespace tolvane {

namespace {

// The plug-in is constructed under a process-wide lock.
std::mutex& PluginConstructionMutex() {
    static std::mutex m;
    return m;
}

std::unique_ptr<AppPlugin> MakePlugin(const AppHost::PluginFactory& make, IMidiOutput& output) {
    std::lock_guard lock(PluginConstructionMutex());
    auto plugin = make(output);
    plugin->SetMidiOutput(&output);
    return plugin;
}

// Twice a second: a pedal pulled out is noticed within half a second.
constexpr std::uint32_t kWatchMs = 500;

constexpr const char* kSoundServerGoneText =
    "The sound system has stopped: the audio stream and the MIDI ports were closed.\n"
    "Tolvane opens them again by itself when the sound system runs again.";

constexpr const char* kSettingsNotSavedText =
    "The settings could not be saved (the data folder is not writable or the disk is full):\n%s\n"
    "The earlier settings file is kept; changes last until Tolvane is closed.";

} // namespace

AppHost::AppHost(PluginFactory makePlugin, SettingsFile settingsFile, ErrorReporter reportError)
    : settingsFile_(std::move(settingsFile)), reportError_(std::move(reportError)),
      plugin_(MakePlugin(makePlugin, transport_)), audio_(*plugin_) {}

AppHost::~AppHost() {
    watch_.reset();
    transport_.SetExiting();
    audio_.Stop();
    transport_.CancelInputCallback();
    transport_.ClosePort(MidiDirection::Output);
    transport_.DeleteOutputObjects();
    transport_.DeleteInputObjects();
    audio_.DeleteApi();
    plugin_->StopTimers();
    std::this_thread::sleep_for(settleTime_);
    plugin_.reset();
}

void AppHost::LoadSettings() {
    settings_ = settingsFile_.Load();
    if (!settingsFile_.Saved()) ReportSettingsNotSaved();
    // Not connected yet, so this sends nothing: it fills the value caches and
    // the displays.
    plugin_->NotifyAllParams(kReset);
}

void AppHost::OpenSoundSystem() {
    if (watch_) return;
    // One look at what the system offers serves both sides.
    const SoundSystems present = ProbeSoundSystems();
    audio_.CreateApi(settings_.audioDriver, present);
    audio_.ProbeDevices();
    transport_.CreateObjects(*plugin_, present);
    ListMidiPorts();
    SelectMidiPort(MidiDirection::Input, settings_.midiInputPort);
    SelectMidiPort(MidiDirection::Output, settings_.midiOutputPort);
    watch_ = Timer::Create([this](Timer&) { WatchPorts(); }, kWatchMs);
}

bool AppHost::StartAudio() {
    const AudioDeviceChoice choice = ChooseAudioDevices(audio_.Devices(), settings_);
    if (choice.settingsChanged) SaveSettings();
    // The program has no audio inputs, so only a missing output stops it.
    if (choice.output < 0) {
        if (reportError_) reportError_(kSoundcardMessage);
        return false;
    }
    audioStarted_ = audio_.Start(choice.output, settings_.sampleRate, settings_.bufferSize);
    if (!audioStarted_) return false;
    settingsInUse_ = settings_;
    return true;
}

bool AppHost::SaveSettings() {
    if (settingsFile_.Save(settings_)) return true;
    ReportSettingsNotSaved();
    return false;
}

void AppHost::ReportSettingsNotSaved() {
    if (settingsFailureShown_) return;
    settingsFailureShown_ = true;
    std::string text = kSettingsNotSavedText;
    text.replace(text.find("%s"), 2, settingsFile_.Path().string());
    plugin_->ShowHostMessage(text);
}

void AppHost::WatchPorts() {
    WatchSoundServer();
    bool gone = false;
    for (MidiDirection direction : {MidiDirection::Input, MidiDirection::Output})
        gone = !WatchPort(direction) || gone;
    if (gone == portsGone_) return;
    portsGone_ = gone;
    if (gone)
        plugin_->MidiPortsGone();
    else
        plugin_->MidiPortsBack();
}

bool AppHost::WatchPort(MidiDirection direction) {
    std::string& remembered =
        direction == MidiDirection::Input ? settings_.midiInputPort : settings_.midiOutputPort;
    if (remembered == kPortOff) return true;
    const std::vector<std::string> listed = transport_.PortNames(direction);
    const std::string open = transport_.OpenPortName(direction);
    if (!open.empty()) {
        if (std::find(listed.begin(), listed.end(), open) != listed.end()) return true;
        std::fprintf(stderr, "Tolvane: the MIDI port \"%s\" has gone\n", open.c_str());
        transport_.ClosePort(direction);
        return false;
    }
    const std::string found = FindReturnedPort(listed, remembered);
    if (found.empty() || !transport_.OpenPort(direction, found)) return false;
    std::fprintf(stderr, "Tolvane: the MIDI port \"%s\" is back\n", found.c_str());
    if (found != remembered) {
        remembered = found;
        SaveSettings();
    }
    return true;
}

void AppHost::WatchSoundServer() {
    if (!soundServerGone_) {
        if (!audioStarted_ || audio_.IsOpen()) return;
        // The library closed the stream when its server shut the program out;
        // the MIDI objects on that server are dead too.
        soundServerGone_ = true;
        audioStarted_ = false;
        transport_.CancelInputCallback();
        transport_.DeleteOutputObjects();
        transport_.DeleteInputObjects();
        audio_.DeleteApi();
        plugin_->ShowHostMessage(kSoundServerGoneText);
        return;
    }
    const SoundSystems present = ProbeSoundSystems();
    const bool back = settings_.audioDriver == kDriverJack ? present.jack
                                                           : present.jack || present.pulse || present.alsaCards;
    if (!back) return;
    std::fprintf(stderr, "Tolvane: the sound system is back\n");
    soundServerGone_ = false;
    audio_.CreateApi(settings_.audioDriver, present);
    audio_.ProbeDevices();
    transport_.CreateObjects(*plugin_, present);
    ListMidiPorts();
    // The ports themselves are opened by the port watch as they appear.
    StartAudio();
}

void AppHost::ListMidiPorts() {
    midiInputNames_ = {kPortOff};
    midiOutputNames_ = {kPortOff};
    if (!transport_.HasInputObject() || !transport_.HasOutputObject()) return;
    for (auto& n : transport_.PortNames(MidiDirection::Input))
        midiInputNames_.push_back(n);
    for (auto& n : transport_.PortNames(MidiDirection::Output))
        midiOutputNames_.push_back(n);
}

void AppHost::SelectMidiPort(MidiDirection direction, const std::string& name) {
    const bool input = direction == MidiDirection::Input;
    if ((input && !transport_.HasInputObject()) || (!input && !transport_.HasOutputObject())) return;
    if (name == kPortOff) {
        transport_.ClosePort(direction);
        return;
    }
    if (!transport_.OpenPort(direction, name)) {
        (input ? settings_.midiInputPort : settings_.midiOutputPort) = kPortOff;
        SaveSettings();
    }
}

void AppHost::RestoreSnapshot() {
    settings_ = snapshot_;
    audio_.CreateApi(settings_.audioDriver);
    audio_.ProbeDevices();
    StartAudio();
}

} // namespace tolvane
