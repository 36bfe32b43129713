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
// Without a JACK client, every fourth look asks whether a server runs.
constexpr int kLooksBetweenJackProbes = 4;

constexpr const char* kSoundServerGoneText =
    "The sound system has stopped: its MIDI ports were closed.\n"
    "Tolvane opens them again by itself when the sound system runs again.";

constexpr const char* kSettingsNotSavedText =
    "The settings could not be saved (the data folder is not writable or the disk is full):\n%s\n"
    "The earlier settings file is kept; changes last until Tolvane is closed.";

} // namespace

AppHost::AppHost(PluginFactory makePlugin, SettingsFile settingsFile, ErrorReporter reportError)
    : settingsFile_(std::move(settingsFile)), reportError_(std::move(reportError)),
      plugin_(MakePlugin(makePlugin, transport_)), clock_(*plugin_) {
    plugin_->SetPortReopener([this] { ReopenPorts(); });
}

AppHost::~AppHost() {
    watch_.reset();
    transport_.SetExiting();
    clock_.Stop();
    // First, and within its deadline: everything after it is local.
    transport_.CloseJack();
    transport_.CancelInputCallback();
    transport_.ClosePort(MidiDirection::Output);
    transport_.DeleteOutputObjects();
    transport_.DeleteInputObjects();
    plugin_->StopTimers();
    // A server that did not answer the close will not run the client again:
    // there is nothing left to settle, and quitting must not wait on it.
    if (!JackClientLeftBehind()) std::this_thread::sleep_for(settleTime_);
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
    // The JACK client itself finds out whether a server runs.
    transport_.CreateObjects(*plugin_, ProbeSoundSystems(false));
    ListMidiPorts();
    SelectMidiPort(MidiDirection::Input, settings_.midiInputPort);
    SelectMidiPort(MidiDirection::Output, settings_.midiOutputPort);
    watch_ = Timer::Create([this](Timer&) { WatchPorts(); }, kWatchMs);
}

void AppHost::StartClock() {
    if (transport_.Jack())
        clock_.Stop();
    else
        clock_.Start(settings_.bufferSize, settings_.sampleRate);
    settingsInUse_ = settings_;
}

bool AppHost::ClockRunning() const {
    return transport_.Jack() != nullptr || clock_.IsRunning();
}

std::string AppHost::DescribeClock() const {
    char text[160];
    if (const JackClient* jack = transport_.Jack()) {
        std::snprintf(text, sizeof text, "JACK client \"%s\", %u frames at %u Hz", jack->ClientName().c_str(),
                      jack->PeriodFrames(), jack->SampleRate());
    } else if (clock_.IsRunning()) {
        std::snprintf(text, sizeof text, "internal, %u frames at %u Hz (from settings.ini)",
                      clock_.BufferFrames(), clock_.SampleRate());
    } else {
        std::snprintf(text, sizeof text, "not running");
    }
    return text;
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
    // The JACK client's count starts again with a new client.
    const std::uint64_t failed = transport_.SendFailures();
    if (failed > sendFailuresLogged_)
        std::fprintf(stderr, "Tolvane: %llu MIDI messages to the pedal could not be sent\n",
                     static_cast<unsigned long long>(failed - sendFailuresLogged_));
    sendFailuresLogged_ = failed;
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
    const std::string open = transport_.OpenPortName(direction);
    if (!open.empty()) {
        // Our own connection, not the name: a port that went and came back
        // under the same name, or a connection undone in a patchbay, leaves
        // the name listed but carries nothing.
        if (transport_.OpenPortAlive(direction)) return true;
        std::fprintf(stderr, "Tolvane: the MIDI port \"%s\" has gone\n", open.c_str());
        transport_.ClosePort(direction);
        return false;
    }
    const std::string found = OpenRememberedPort(direction);
    if (found.empty()) return false;
    std::fprintf(stderr, "Tolvane: the MIDI port \"%s\" is back\n", found.c_str());
    return true;
}

std::string AppHost::OpenRememberedPort(MidiDirection direction) {
    std::string& remembered =
        direction == MidiDirection::Input ? settings_.midiInputPort : settings_.midiOutputPort;
    const std::string found = FindReturnedPort(transport_.PortNames(direction), remembered);
    if (found.empty() || !transport_.OpenPort(direction, found)) return {};
    if (found != remembered) {
        remembered = found;
        SaveSettings();
    }
    return found;
}

void AppHost::ReopenPorts() {
    if (!watch_) return;
    bool gone = false;
    for (MidiDirection direction : {MidiDirection::Input, MidiDirection::Output}) {
        const std::string& remembered =
            direction == MidiDirection::Input ? settings_.midiInputPort : settings_.midiOutputPort;
        if (remembered == kPortOff) continue;
        transport_.ClosePort(direction);
        gone = OpenRememberedPort(direction).empty() || gone;
    }
    // A port that did not open again is the port watch's from here: it keeps
    // looking, and tells the plug-in when the port is back.
    if (gone && !portsGone_) {
        portsGone_ = true;
        plugin_->MidiPortsGone();
    }
}

void AppHost::WatchSoundServer() {
    if (transport_.JackServerGone()) {
        // The server shut the client out; its ports and connections are gone.
        soundServerGone_ = true;
        transport_.CloseJack();
        looksWithoutJack_ = 0;
        ListMidiPorts();
        StartClock();
        plugin_->ShowHostMessage(kSoundServerGoneText);
        return;
    }
    if (transport_.Jack() || ++looksWithoutJack_ < kLooksBetweenJackProbes) return;
    looksWithoutJack_ = 0;
    if (!transport_.ReopenJack()) return;
    if (soundServerGone_) std::fprintf(stderr, "Tolvane: the sound system is back\n");
    soundServerGone_ = false;
    ListMidiPorts();
    // The ports themselves are opened by the port watch as they appear.
    StartClock();
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
    StartClock();
}

} // namespace tolvane
