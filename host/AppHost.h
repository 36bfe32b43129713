#pragma once
// The host object: owns the plug-in, the settings, the MIDI transport and the
// internal clock, and runs their start-up and shut-down in a fixed order.
//
// Start-up (Initialise, then StartClock): load settings and run the change
// hook once for every parameter; then open the sound system: the program's
// JACK client when a JACK server runs, the ALSA sequencer's MIDI objects when
// its device is there; list the ports; open the remembered input, then output
// port. The program shows its window between the two steps (LoadSettings,
// then OpenSoundSystem and StartClock once the window has painted): opening a
// JACK client costs tens of milliseconds, and nothing on the first picture
// depends on it. The JACK client's callback clocks the plug-in; without one
// the internal clock does, at the pace of settings.ini's buffer and rate. No
// sound card is ever needed.
//
// Shut-down (the destructor): the exiting flag; the internal clock stopped;
// the JACK client closed (within its deadline: a frozen server does not hold
// the program); the MIDI input callback cancelled; the output port closed;
// the output and input objects deleted; then the plug-in's timers stopped, a
// settling wait, and the plug-in deleted.
//
// While it runs, a watch looks at the ports and the sound server twice a
// second: a remembered port whose connection has gone is closed and the
// plug-in told; it is opened again by name (or under its client's new
// number) when it is back. A JACK server that shut the program out is
// reported once and the internal clock takes over; every two seconds while
// there is no JACK client the watch looks for a server, and opens the client
// again when one answers.
//
// All on the user-interface thread.

#include "core/AppPlugin.h"
#include "core/Timer.h"
#include "host/HostSettings.h"
#include "host/InternalClock.h"
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
    // Starts the clock of the plug-in: the JACK client's callback when the
    // client is open (it runs from the moment it opened), else the internal
    // clock at the stored buffer size and rate. Records the settings in use.
    void StartClock();
    void StopClock() { clock_.Stop(); }
    // What clocks the plug-in now, for the settings dialog.
    std::string DescribeClock() const;
    bool ClockRunning() const;

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
    // Puts the snapshot back and restarts the clock with it.
    void RestoreSnapshot();
    // Writes settings.ini; a failure is told to the user once a run.
    bool SaveSettings();
    SettingsFile& File() { return settingsFile_; }

    AppPlugin& Plugin() { return *plugin_; }
    MidiTransport& Transport() { return transport_; }
    const MidiTransport& Transport() const { return transport_; }
    InternalClock& Clock() { return clock_; }

    // One look of the watch (the timer calls it; tests may too).
    void WatchPorts();
    // RECONNECT: both ports closed and opened again.
    void ReopenPorts();
    bool SoundServerGone() const { return soundServerGone_; }
    bool PortsGone() const { return portsGone_; }

    // How long the plug-in is left to settle after its timers stop.
    void SetPluginSettleTime(std::chrono::milliseconds t) { settleTime_ = t; }

private:
    // The JACK server: gone (it shut the client out) or there again.
    void WatchSoundServer();
    // The remembered port of a direction: false when it is not open now.
    bool WatchPort(MidiDirection direction);
    // Opens the port remembered in the settings (or the one that took its
    // place) and remembers what it opened; empty when none could be opened.
    std::string OpenRememberedPort(MidiDirection direction);

    SettingsFile settingsFile_;
    ErrorReporter reportError_;
    HostSettings settings_;
    HostSettings snapshot_;
    HostSettings settingsInUse_;
    std::vector<std::string> midiInputNames_;
    std::vector<std::string> midiOutputNames_;
    std::chrono::milliseconds settleTime_{1000};
    std::unique_ptr<Timer> watch_;
    int looksWithoutJack_ = 0;
    std::uint64_t sendFailuresLogged_ = 0;
    bool soundServerGone_ = false;
    bool portsGone_ = false;
    bool settingsFailureShown_ = false;
    void ReportSettingsNotSaved();

    // The transport outlives the plug-in, which holds it as its sender;
    // the MIDI objects inside it go first at shut-down.
    MidiTransport transport_;
    std::unique_ptr<AppPlugin> plugin_;
    InternalClock clock_;
};

} // namespace tolvane
