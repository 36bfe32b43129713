#include "host/AppHost.h"

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

} // namespace

AppHost::AppHost(PluginFactory makePlugin, SettingsFile settingsFile, ErrorReporter reportError)
    : settingsFile_(std::move(settingsFile)), reportError_(std::move(reportError)),
      plugin_(MakePlugin(makePlugin, transport_)), audio_(*plugin_) {}

AppHost::~AppHost() {
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

void AppHost::Initialise() {
    settings_ = settingsFile_.Load();
    // One look at what the system offers serves both sides.
    const SoundSystems present = ProbeSoundSystems();
    audio_.CreateApi(settings_.audioDriver, present);
    audio_.ProbeDevices();
    transport_.CreateObjects(*plugin_, present);
    ListMidiPorts();
    SelectMidiPort(MidiDirection::Input, settings_.midiInputPort);
    SelectMidiPort(MidiDirection::Output, settings_.midiOutputPort);
    plugin_->NotifyAllParams(kReset);
}

bool AppHost::StartAudio() {
    const AudioDeviceChoice choice = ChooseAudioDevices(audio_.Devices(), settings_);
    if (choice.settingsChanged) SaveSettings();
    // The program has no audio inputs, so only a missing output stops it.
    if (choice.output < 0) {
        if (reportError_) reportError_(kSoundcardMessage);
        return false;
    }
    if (!audio_.Start(choice.output, settings_.sampleRate, settings_.bufferSize)) return false;
    settingsInUse_ = settings_;
    return true;
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
