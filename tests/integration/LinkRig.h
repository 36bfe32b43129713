#pragma once
// The device link as the program runs it, without a window: the real MIDI
// transport and audio clock (through AppHost) on a private JACK dummy server,
// the pedal simulator on the other end, the data folder in a temporary
// XDG_DATA_HOME, and a recording editor seam that counts as an open editor.
// Every message sent and received is stamped with the steady clock, so the
// test can check the exchange and the benchmark can time it.
//
// Index
//   1. Stamped message records
//   2. StampingSender: the transport, recorded
//   3. HeadlessSeam: the editor seam, recorded
//   4. StampedTolvane: the receive entry, recorded
//   5. LinkRig: one connection's worth of host, plug-in and library

#include "device/SysexConstants.h"
#include "device/Tolvane.h"
#include "host/AppHost.h"
#include "library/DataFolder.h"
#include "library/LibraryStore.h"
#include "library/LibraryTransferFiles.h"
#include "support/JackServer.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tolvane::test {

using Clock = std::chrono::steady_clock;

// ---- 1. Stamped message records --------------------------------------------------

struct Stamped {
    Clock::time_point at;
    std::uint8_t command = 0; // byte 5
    int value = -1;           // byte 7 (type, slot), -1 when the message is shorter
    std::size_t size = 0;
    int value2 = -1; // byte 8 (a reported value), -1 when the message is shorter
};

inline Stamped Stamp(const std::uint8_t* bytes, std::size_t size) {
    Stamped s{Clock::now(), 0, -1, size};
    if (size > sysex::kOffsetCommand) s.command = bytes[sysex::kOffsetCommand];
    if (size > sysex::kOffsetValue1 + 1) s.value = bytes[sysex::kOffsetValue1];
    if (size > sysex::kOffsetValue1 + 2) s.value2 = bytes[sysex::kOffsetValue1 + 1];
    return s;
}

// A list written from the audio and user-interface threads.
class StampLog {
public:
    void Add(const Stamped& s) {
        std::lock_guard lock(mutex_);
        items_.push_back(s);
    }
    std::vector<Stamped> Items() const {
        std::lock_guard lock(mutex_);
        return items_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        items_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<Stamped> items_;
};

// ---- 2. StampingSender -------------------------------------------------------------

class StampingSender final : public ISysExSender {
public:
    explicit StampingSender(ISysExSender& out) : out_(out) {}
    bool SendSysEx(const std::uint8_t* bytes, std::size_t size) override {
        log.Add(Stamp(bytes, size));
        return out_.SendSysEx(bytes, size);
    }
    StampLog log;

private:
    ISysExSender& out_;
};

// ---- 3. HeadlessSeam -----------------------------------------------------------------

// Called on the user-interface thread only (the link queues the audio
// thread's calls and replays them there).
class HeadlessSeam final : public IEditorSeam {
public:
    bool IsEditorOpen() const override { return true; }
    void SetTextByTag(ControlTag tag, std::string_view text) override {
        texts.emplace_back(tag, std::string(text));
    }
    void SetTextColourByTag(ControlTag, Colour) override {}
    void SetControlValueByTag(ControlTag, double) override {}
    void ShowGroup(std::string_view group) override { groups.push_back("show " + std::string(group)); }
    void HideGroup(std::string_view group) override { groups.push_back("hide " + std::string(group)); }
    void EnableGroup(std::string_view group) override { groups.push_back("enable " + std::string(group)); }
    void DisableGroup(std::string_view group) override { groups.push_back("disable " + std::string(group)); }
    AskResult AskUser(std::string_view text, std::string_view, AskButtons) override {
        questions.emplace_back(text);
        return AskResult::Ok;
    }
    std::string AskForFile(FileAction, const std::string&, const std::string&, const std::string&) override {
        return {};
    }

    std::vector<std::pair<ControlTag, std::string>> texts;
    std::vector<std::string> groups;
    std::vector<std::string> questions;
};

// ---- 4. StampedTolvane -------------------------------------------------------------------

// Stamps each received message when the receive entry has finished with it.
class StampedTolvane final : public Tolvane {
public:
    using Tolvane::Tolvane;
    void ProcessSysEx(const SysExMessage& msg) override {
        Tolvane::ProcessSysEx(msg);
        if (msg.data && msg.size > 0) received.Add(Stamp(msg.data, static_cast<std::size_t>(msg.size)));
    }
    StampLog received;
};

// ---- 5. LinkRig ----------------------------------------------------------------------------

// Polls, running the event loop (and so the link's timers), until done() or
// the limit passes.
inline bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Runs the event loop for a while.
inline void RunFor(std::chrono::milliseconds span) {
    RunUntil([] { return false; }, span);
}

// The position of the first record at or after from that matches, or nullopt.
inline std::optional<std::size_t> Find(const std::vector<Stamped>& items, std::uint8_t command,
                                       int value = -1, std::size_t from = 0) {
    for (std::size_t i = from; i < items.size(); ++i)
        if (items[i].command == command && (value < 0 || items[i].value == value)) return i;
    return std::nullopt;
}

// The records at or after from that carry the command, in order.
inline std::vector<Stamped> WithCommand(const std::vector<Stamped>& items, std::uint8_t command,
                                        std::size_t from = 0) {
    std::vector<Stamped> out;
    for (std::size_t i = from; i < items.size(); ++i)
        if (items[i].command == command) out.push_back(items[i]);
    return out;
}

// One run of the program's MIDI side and link, on the data folder of the
// current XDG_DATA_HOME. Make it after the JACK server and the simulator.
class LinkRig {
public:
    // wired: the transfers (IR download among them) use the data folder.
    LinkRig(const std::string& simIn, const std::string& simOut, unsigned bufferFrames, bool wired = false,
            unsigned driver = kDriverJack) {
        HostSettings s;
        s.audioDriver = driver;
        s.bufferSize = bufferFrames;
        s.midiInputPort = simIn;
        s.midiOutputPort = simOut;
        SettingsFile(DataFolder() / kSettingsFileName).Save(s);
        library_ = std::make_unique<LibraryStore>(DataFolder());
        host_ = std::make_unique<AppHost>(
            [this, wired](IMidiOutput& out) {
                sender_ = std::make_unique<StampingSender>(out);
                auto plugin = std::make_unique<StampedTolvane>(*sender_, seam_, *library_);
                plugin->SetTeardownWait(std::chrono::milliseconds(0));
                if (wired) plugin->SetTransferFiles(LibraryTransferFiles(DataFolder()));
                plugin_ = plugin.get();
                return plugin;
            },
            SettingsFile::InDataFolder(), [this](const std::string& text) { errors_.push_back(text); });
        host_->SetPluginSettleTime(std::chrono::milliseconds(50));
        host_->Initialise();
        host_->StartClock();
        started_ = host_->ClockRunning();
    }
    ~LinkRig() {
        host_.reset(); // stops audio and MIDI, then deletes the plug-in
    }

    bool Started() const { return started_; }
    const std::vector<std::string>& Errors() const { return errors_; }
    StampedTolvane& Plugin() { return *plugin_; }
    HeadlessSeam& Seam() { return seam_; }
    StampLog& Sent() { return sender_->log; }
    StampLog& Received() { return plugin_->received; }
    AppHost& Host() { return *host_; }

    // The synchronisation is over when the current preset, requested after
    // End bulk transfer, has been applied. Returns the position of that dump
    // among the received records.
    std::optional<std::size_t> CurrentPresetApplied() {
        const auto sent = Sent().Items();
        const auto end = Find(sent, sysex::command::kEndBulkTransfer);
        if (!end) return std::nullopt;
        const auto received = Received().Items();
        for (std::size_t i = 0; i < received.size(); ++i)
            if (received[i].command == sysex::command::kPresetDump && received[i].at > sent[*end].at)
                return i;
        return std::nullopt;
    }
    bool WaitForSynchronisation(std::chrono::milliseconds limit) {
        return RunUntil([&] { return CurrentPresetApplied().has_value(); }, limit);
    }

private:
    HeadlessSeam seam_;
    std::unique_ptr<LibraryStore> library_;
    std::unique_ptr<StampingSender> sender_;
    StampedTolvane* plugin_ = nullptr;
    std::vector<std::string> errors_;
    std::unique_ptr<AppHost> host_;
    bool started_ = false;
};

// ---- 6. SimulatorTest --------------------------------------------------------------------

// The set-up the integration tests share: a private JACK server at 512 frames,
// a data folder of the test's own as XDG_DATA_HOME, and the simulator keeping
// its state under root/sim.
class SimulatorTest : public ::testing::Test {
protected:
    static constexpr unsigned kBufferFrames = 512;

    void SetUp() override {
        root = std::filesystem::temp_directory_path() / detail::UniqueName("tolvane-integration");
        std::filesystem::create_directories(root / "data");
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        ASSERT_TRUE(jack.Ok()) << jack.Error();
    }
    void TearDown() override {
        sim.reset();
        unsetenv("XDG_DATA_HOME");
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    // The simulator with its state folder and these further arguments.
    std::unique_ptr<SimulatorProcess> StartSimulator(std::vector<std::string> args = {}) {
        args.insert(args.begin(), {"--state", (root / "sim").string()});
        return std::make_unique<SimulatorProcess>(VELUMO_SIM_PATH, std::move(args));
    }
    // A stale cache for every slot: no checksum matches, so the load reads all 128 presets.
    static void StaleCache() {
        const auto presets = DataFolder() / kPresetsFolder;
        std::filesystem::create_directories(presets);
        for (int slot = 0; slot < kPresetSlotCount; ++slot)
            std::ofstream(presets / CacheFileName(slot + 1), std::ios::binary)
                << std::string(kPresetRecordBytes, '\x01');
    }
    static std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path root;
    JackServer jack{static_cast<int>(kBufferFrames)};
    std::unique_ptr<SimulatorProcess> sim;
};

} // namespace tolvane::test
