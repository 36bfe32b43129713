#pragma once
// The host object: owns the plug-in, the settings, the MIDI transport and the
// audio clock, and runs their start-up and shut-down in a fixed order.
//
// Start-up (Initialise, then StartAudio): load settings and run the change
// hook once for every parameter; then open the sound system: create the audio
// API and probe its devices; create the MIDI objects; list the ports; open the
// remembered input, then output port. The program shows its window between
// the two steps (LoadSettings, then OpenSoundSystem and StartAudio once the
// window has painted): every JACK client the libraries open costs tens of
// milliseconds, and nothing on the first picture depends on them. Shut-down (the destructor): the exiting flag; audio stopped; the
// MIDI input callback cancelled; the output port closed; the output objects,
// the input objects and the audio object deleted; then the plug-in's timers
// stopped, a settling wait, and the plug-in deleted.
//
// While it runs, a watch looks at the ports and the sound server twice a
// second: a remembered port that has gone is closed and the plug-in told; it
// is opened again by name (or under its client's new number) when it is
// back. A stream closed under the program (the sound server stopped) is
// reported once; the MIDI objects and the audio side are made again when
// the server answers again.
//
// All on the user-interface thread.

#include "core/AppPlugin.h"
#include "core/Timer.h"
#include "host/AudioClock.h"
#include "host/HostSettings.h"
#include "host/MidiTransport.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tolvane {

class AppHost {
public:
    // Makes the plug-in; it sends through the transport it is given.
    using PluginFactory = std::function<std::unique_ptr<AppPlugin>(IMidiOutput& output)>;
    // Shows an error message box (caption "Error").
    using ErrorReporter = std::function<void(const std::string& text)>;

    AppHost(PluginFactory makePlugin, SettingsFile settingsFile, ErrorReporter reportError);
    ~AppHost();
    AppHost(const AppHost&) = delete;
    AppHost& operator=(const AppHost&) = delete;

    void Initialise() {
        LoadSettings();
        OpenSoundSystem();
    }
    void LoadSettings();
    // Once only; a second call does nothing.
    void OpenSoundSystem();
    bool SoundSystemOpened() const { return watch_ != nullptr; }
    // Chooses the devices and starts the stream. Shows the soundcard message
    // and starts nothing when no output device can be found.
    bool StartAudio();
    void StopAudio() {
        audioStarted_ = false;
        audio_.Stop();
    }

    // The two lists of the settings dialog, each starting with "off".
    const std::vector<std::string>& MidiInputNames() const { return midiInputNames_; }
    const std::vector<std::string>& MidiOutputNames() const { return midiOutputNames_; }
    void ListMidiPorts();
    // "off" closes the port; a name that is not present becomes "off", is
    // saved, and the port is closed.
    void SelectMidiPort(MidiDirection direction, const std::string& name);

    HostSettings& Settings() { return settings_; }
    const HostSettings& SettingsInUse() const { return settingsInUse_; }
    void TakeSnapshot() { snapshot_ = settings_; }
    const HostSettings& Snapshot() const { return snapshot_; }
    // Puts the snapshot back and restarts the audio side with it.
    void RestoreSnapshot();
    // Writes settings.ini; a failure is told to the user once a run.
    bool SaveSettings();
    SettingsFile& File() { return settingsFile_; }

    AppPlugin& Plugin() { return *plugin_; }
    MidiTransport& Transport() { return transport_; }
    AudioClock& Audio() { return audio_; }

    // One look of the watch (the timer calls it; tests may too).
    void WatchPorts();
    bool SoundServerGone() const { return soundServerGone_; }
    bool PortsGone() const { return portsGone_; }

    // How long the plug-in is left to settle after its timers stop.
    void SetPluginSettleTime(std::chrono::milliseconds t) { settleTime_ = t; }

private:
    // The sound server: gone (stream closed under the program) or back.
    void WatchSoundServer();
    // The remembered port of a direction: false when it is not open now.
    bool WatchPort(MidiDirection direction);

    SettingsFile settingsFile_;
    ErrorReporter reportError_;
    HostSettings settings_;
    HostSettings snapshot_;
    HostSettings settingsInUse_;
    std::vector<std::string> midiInputNames_;
    std::vector<std::string> midiOutputNames_;
    std::chrono::milliseconds settleTime_{1000};
    std::unique_ptr<Timer> watch_;
    bool audioStarted_ = false;
    bool soundServerGone_ = false;
    bool portsGone_ = false;
    bool settingsFailureShown_ = false;
    void ReportSettingsNotSaved();

    // The transport outlives the plug-in, which holds it as its sender;
    // the MIDI objects inside it go first at shut-down.
    MidiTransport transport_;
    std::unique_ptr<AppPlugin> plugin_;
    AudioClock audio_;
};

} // namespace tolvane
