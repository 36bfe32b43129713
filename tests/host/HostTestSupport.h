#pragma once
// Shared by the host tests: a temporary data folder, a plug-in that records
// what reaches its receive entries (called on the audio thread), and waiting
// for a condition with a deadline.

#include "core/AppPlugin.h"
#include "host/HostSettings.h"
#include "support/JackServer.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tolvane::test {

// A fresh folder set as XDG_DATA_HOME (and TMPDIR, which keeps the
// single-instance socket private) for the life of the object.
class TempDataHome {
public:
    TempDataHome() {
        static int counter = 0;
        root_ = std::filesystem::temp_directory_path() /
                ("tolvane-host-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "tmp");
        setenv("XDG_DATA_HOME", root_.c_str(), 1);
    }
    ~TempDataHome() {
        unsetenv("XDG_DATA_HOME");
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path DataFolder() const { return root_ / "Tolvane"; }
    std::filesystem::path SettingsPath() const { return DataFolder() / kSettingsFileName; }
    std::filesystem::path Tmp() const { return root_ / "tmp"; }

    // Writes settings.ini for the JACK driver and the simulator's two ports.
    void SaveSettingsFor(const SimulatorProcess& sim, int bufferSize = HostSettings{}.bufferSize) const {
        HostSettings s;
        s.audioDriver = kDriverJack;
        s.bufferSize = bufferSize;
        s.midiInputPort = sim.InPort();
        s.midiOutputPort = sim.OutPort();
        std::filesystem::create_directories(DataFolder());
        SettingsFile(SettingsPath()).Save(s);
    }

private:
    std::filesystem::path root_;
};

class RecordingPlugin : public AppPlugin {
public:
    void ProcessSysEx(const SysExMessage& msg) override {
        std::lock_guard lock(mutex_);
        received_.emplace_back(msg.data, msg.data + msg.size);
    }
    std::vector<std::vector<std::uint8_t>> Received() const {
        std::lock_guard lock(mutex_);
        return received_;
    }
    void EditorClosing() override {
        ++editorClosings;
        if (connected) SendSysEx(SysExMessage{0, 8, kEditorClosing});
    }

    bool HandleEditorCommand(EditorCommand command) override {
        commands.push_back(command);
        return true;
    }

    static constexpr std::uint8_t kEditorClosing[8] = {0xF0, 0x00, 0x51, 0x21, 0x03, 0x5F, 0x0A, 0xF7};
    bool connected = false;
    int editorClosings = 0;
    std::vector<EditorCommand> commands;

private:
    mutable std::mutex mutex_;
    std::vector<std::vector<std::uint8_t>> received_;
};

// Polls (processing Qt events) until done() or the limit passes.
inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The jackd process of the test's server, found by its name.
inline pid_t ServerPid(const std::string& name) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "cmdline");
        std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
        if (cmdline.starts_with("jackd ") && cmdline.find(" " + name + " ") != std::string::npos)
            return static_cast<pid_t>(std::stoi(entry.path().filename().string()));
    }
    return -1;
}

// After a frozen server was let go again: waits until it takes clients, so
// that stopping it next finds it settled (stopped at once after SIGCONT, jackd
// may not finish its exit and leaves its entry in JACK's registry behind).
inline bool ServerAnswersAgain(std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        const std::string out = detail::Capture({"jack_wait", "-c"}, std::chrono::milliseconds(2000));
        if (out.find("running") != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// How many Editor closing messages the simulator has seen, from its status
// line; -1 when it gave none.
inline int EditorClosingsSeen(SimulatorProcess& sim) {
    sim.Command("status");
    std::string line;
    while (sim.ReadLine(line))
        if (line.rfind("status", 0) == 0) break;
    const auto at = line.find("editor-closings=");
    return at == std::string::npos ? -1 : std::stoi(line.substr(at + 16));
}

} // namespace tolvane::test
