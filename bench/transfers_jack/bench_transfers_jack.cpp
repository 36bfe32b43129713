// End-to-end timings of the transfers over JACK, run by hand (not a test):
//
//   bench_transfers_jack [runs]
//
// The wired plug-in talks through the real MIDI transport, its receive entry
// is clocked by the program's JACK client, and the pedal simulator answers on a
// private JACK dummy server (512-frame periods). This program plays the
// user-interface thread: it runs the periodic task every 100 ms and the
// framework tick every 20 ms. Each figure is printed beside the floor the
// 100 ms tick sets (ticks needed x 100 ms):
//
//   IR upload      import -> IR assignment done; 11 messages, one per tick
//   firmware       48 KiB image, Enter firmware update -> Update complete;
//                  one boot-loader block per tick
//   export all     menu -> backup written; one request per tick for the 128
//                  presets and the user IRs they use, then one tick that finds
//                  no further IR and one that writes the file. Measured on the
//                  factory pedal, and again on one whose presets use no user IR
//
// Sections
//   1. The screen and the data folder
//   2. The plug-in on the transport, and the user-interface loop
//   3. The three measurements
//   4. main

#include "support/JackServer.h"

#include "device/LinkTags.h"
#include "device/ParamTable.h"
#include "device/SysexConstants.h"
#include "device/Tolvane.h"
#include "device/TransferBuffer.h"
#include "device/TransferWiring.h"
#include "host/HostSettings.h"
#include "host/MidiTransport.h"
#include "library/BackupFile.h"
#include "library/LibraryStore.h"
#include "library/LibraryTransferFiles.h"
#include "sim/model/FactoryContent.h"
#include "sim/model/StateFiles.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace tolvane {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;
using namespace std::chrono_literals;

constexpr unsigned kSampleRate = 44100;
constexpr unsigned kBufferFrames = 512;
constexpr double kTickMs = kDeviceTimerMs;
constexpr int kIrUploadMessages = 11;
constexpr std::size_t kFirmwareBytes = 48 * 1024;
constexpr int kUploadSlot = 40;

// ---- 1. Screen and data folder ------------------------------------------------------

// An open editor that answers every question with OK and file questions from
// a script. Called on this program's main thread only (the link queues the
// audio thread's calls and the framework tick replays them here).
class BenchSeam final : public IEditorSeam {
public:
    std::deque<std::string> files;
    std::vector<std::string> asked;
    // How often a received preset was applied (its name shown).
    int presetsShown = 0;

    bool IsEditorOpen() const override { return true; }
    void SetTextByTag(ControlTag tag, std::string_view) override {
        if (tag == link::kTagPresetName) ++presetsShown;
    }
    void SetTextColourByTag(ControlTag, Colour) override {}
    void SetControlValueByTag(ControlTag, double) override {}
    void ShowGroup(std::string_view) override {}
    void HideGroup(std::string_view) override {}
    void EnableGroup(std::string_view) override {}
    void DisableGroup(std::string_view) override {}
    AskResult AskUser(std::string_view text, std::string_view, AskButtons) override {
        asked.emplace_back(text);
        return AskResult::Ok;
    }
    std::string AskForFile(FileAction, const std::string&, const std::string&, const std::string&) override {
        if (files.empty()) return {};
        std::string path = files.front();
        files.pop_front();
        return path;
    }
};

class TempFolder {
public:
    TempFolder()
        : path_(std::filesystem::temp_directory_path() / test::detail::UniqueName("tolvane-xfer-bench")) {
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A mono 16-bit 44100 Hz WAV file of a decaying impulse response.
std::vector<std::uint8_t> ImpulseWav(int frames) {
    std::vector<std::uint8_t> b;
    auto put = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
    const auto dataBytes = static_cast<std::uint32_t>(2 * frames);
    tag("RIFF");
    put(36 + dataBytes, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2); // PCM
    put(1, 2); // mono
    put(kSampleRate, 4);
    put(kSampleRate * 2, 4);
    put(2, 2);
    put(16, 2);
    tag("data");
    put(dataBytes, 4);
    for (int i = 0; i < frames; ++i)
        put(static_cast<std::uint16_t>((i % 2 ? -1 : 1) * (20000 / (1 + i / 8))), 2);
    return b;
}


// ---- 2. Plug-in, transport and loop ---------------------------------------------------

// When a status arrived on the audio thread, as milliseconds since the clock's epoch.
struct StatusStamp {
    std::atomic<std::int64_t> at{0};
    std::atomic<int> code{0};
    void Clear() {
        at.store(0);
        code.store(0);
    }
    void Set(int c) {
        code.store(c);
        at.store(
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count());
    }
    bool Seen() const { return at.load() != 0; }
    Clock::time_point When() const { return Clock::time_point(std::chrono::microseconds(at.load())); }
};

class Rig {
public:
    Rig(const std::string& simIn, const std::string& simOut)
        : library_(folder_.Path()), plugin_(transport_, seam_, library_) {
        plugin_.SetTeardownWait(0ms);
        plugin_.SetTransferFiles(LibraryTransferFiles(folder_.Path()));
        // Stamp the statuses that end a transfer, after the wiring has acted on them.
        TransferCallPoints& t = plugin_.Transfers();
        t.transferStatus = [this, inner = t.transferStatus](std::uint8_t code) {
            inner(code);
            if (code == sysex::status::kIrAssignmentDone || code == sysex::status::kError) irStatus.Set(code);
        };
        t.bootLoaderStatus = [this, inner = t.bootLoaderStatus](std::uint8_t code) {
            inner(code);
            if (code == sysex::status::kUpdateComplete || code == sysex::status::kUpdateFailed)
                bootStatus.Set(code);
        };
        // Count the IR stream messages that reach the receive entry.
        t.irStream = [this, inner = t.irStream](const sysex::StreamMessageView& stream) {
            ++streamMessages;
            inner(stream);
        };
        plugin_.Screen().IsEditorOpen(); // publishes "open" to the audio thread

        // The JACK client's callback is the clock, at the server's period.
        transport_.CreateObjects(plugin_, ProbeSoundSystems(false));
        ok_ = transport_.Jack() && transport_.OpenPort(MidiDirection::Input, simIn) &&
              transport_.OpenPort(MidiDirection::Output, simOut);
        nextTick_ = nextFrame_ = Clock::now();
    }
    ~Rig() {
        transport_.SetExiting();
        transport_.CloseJack();
        transport_.CancelInputCallback();
        transport_.DeleteOutputObjects();
        transport_.DeleteInputObjects();
    }

    bool Ok() const { return ok_; }
    Tolvane& Plugin() { return plugin_; }
    BenchSeam& Seam() { return seam_; }
    const std::filesystem::path& Folder() const { return folder_.Path(); }

    // Runs the user-interface thread's timers until done() holds after a
    // periodic tick or framework tick, or the limit passes. Returns the
    // periodic ticks run, or -1 on the limit.
    int RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        const auto end = Clock::now() + limit;
        int ticks = 0;
        while (Clock::now() < end) {
            const auto next = std::min(nextTick_, nextFrame_);
            std::this_thread::sleep_until(next);
            if (Clock::now() >= nextTick_) {
                plugin_.OnDeviceTimer();
                ++ticks;
                nextTick_ += std::chrono::milliseconds(kDeviceTimerMs);
            }
            if (Clock::now() >= nextFrame_) {
                plugin_.OnFrameworkTick();
                nextFrame_ += std::chrono::milliseconds(kFrameworkTimerMs);
            }
            if (done()) return ticks;
        }
        return -1;
    }
    // Returns right after a periodic tick, so that what the caller starts now
    // waits a whole period for the next one, as after a fresh tick in the program.
    void AlignToTick() {
        std::this_thread::sleep_until(nextTick_);
        plugin_.OnDeviceTimer();
        nextTick_ += std::chrono::milliseconds(kDeviceTimerMs);
    }

    // Identification and the whole synchronisation: it ends when the
    // current preset, asked for after the settings, has been applied.
    bool Connect() {
        const int before = seam_.presetsShown;
        return RunUntil([&] { return plugin_.Connected() && seam_.presetsShown > before; }, 60s) >= 0;
    }

    StatusStamp irStatus;
    std::atomic<int> streamMessages{0};
    StatusStamp bootStatus;

private:
    TempFolder folder_;
    BenchSeam seam_;
    LibraryStore library_;
    MidiTransport transport_;
    Tolvane plugin_;
    bool ok_ = false;
    Clock::time_point nextTick_, nextFrame_;
};

// ---- 3. Measurements --------------------------------------------------------------------

struct Figure {
    double ms = -1;
    int ticks = -1;
    int floorTicks = 0;
};

void Print(const char* what, const std::vector<Figure>& runs) {
    for (const Figure& f : runs) {
        if (f.ms < 0) {
            std::printf("  %-14s did not complete\n", what);
            continue;
        }
        std::printf("  %-14s %9.1f ms  %4d ticks   floor %4d ticks x %.0f ms = %8.1f ms  (%+.1f ms)\n", what,
                    f.ms, f.ticks, f.floorTicks, kTickMs, f.floorTicks * kTickMs,
                    f.ms - f.floorTicks * kTickMs);
    }
}

Figure MeasureUpload(Rig& rig) {
    const auto wav = rig.Folder() / "Bench Cab.wav";
    WriteFile(wav, ImpulseWav(2000));
    rig.Seam().files.push_back(wav.string());
    rig.irStatus.Clear();
    rig.AlignToTick();
    const auto start = Clock::now();
    rig.Plugin().ImportIrFile(kUploadSlot);
    Figure f;
    f.floorTicks = kIrUploadMessages;
    f.ticks = rig.RunUntil([&] { return rig.irStatus.Seen(); }, 10s);
    if (f.ticks < 0 || rig.irStatus.code.load() != sysex::status::kIrAssignmentDone) {
        std::fprintf(stderr, "IR upload: no IR assignment done\n");
        return f;
    }
    f.ms = Ms(rig.irStatus.When() - start).count();
    return f;
}

Figure MeasureExport(Rig& rig) {
    const auto path = (rig.Folder() / "bench.dvb").string();
    std::filesystem::remove(path);
    rig.Seam().files.push_back(path);
    rig.AlignToTick();
    const auto start = Clock::now();
    rig.Plugin().HandleMenuCommand(MenuCommand::ExportAllPresets);
    TransferWiring& wiring = *rig.Plugin().Wiring();
    rig.streamMessages = 0;
    Figure f;
    f.ticks = rig.RunUntil([&] { return !wiring.Backup().ExportActive(); }, 60s);
    const double ms = Ms(Clock::now() - start).count();
    const auto bytes = ReadBackupFile(path);
    const auto summary = bytes ? SummariseBackup(*bytes) : std::nullopt;
    if (f.ticks < 0 || !summary || summary->presetSlots.size() != kPresetSlotCount) {
        std::printf("  export: no complete backup within the limit; %d IR stream messages reached the "
                    "receive entry (a whole IR is %d)\n",
                    rig.streamMessages.load(), kIrUploadMessages);
        return f;
    }
    f.ms = ms;
    f.floorTicks = kPresetSlotCount + static_cast<int>(summary->irNumbers.size()) + 2;
    std::printf("  export: %zu presets, %zu user IRs, %zu bytes\n", summary->presetSlots.size(),
                summary->irNumbers.size(), bytes->size());
    return f;
}

Figure MeasureFirmware(Rig& rig) {
    std::mt19937 random(11);
    std::vector<std::uint8_t> image(kFirmwareBytes);
    for (auto& b : image)
        b = static_cast<std::uint8_t>(random());
    const auto path = rig.Folder() / "bench.ldr";
    WriteFile(path, image);
    TransferBuffer packed;
    packed.Fill(image);
    Figure f;
    f.floorTicks =
        (packed.total + static_cast<int>(sysex::kBootChunk) - 1) / static_cast<int>(sysex::kBootChunk);

    rig.Plugin().HandleMenuCommand(MenuCommand::FirmwareUpdate);
    rig.bootStatus.Clear();
    rig.AlignToTick();
    const auto start = Clock::now();
    rig.Plugin().LoadFirmware(path.string());
    f.ticks = rig.RunUntil([&] { return rig.bootStatus.Seen(); }, 120s);
    if (f.ticks < 0 || rig.bootStatus.code.load() != sysex::status::kUpdateComplete) {
        std::fprintf(stderr, "firmware: no Update complete\n");
        return f;
    }
    f.ms = Ms(rig.bootStatus.When() - start).count();
    rig.Plugin().CloseFirmwarePage();
    return f;
}

// ---- 4. main -------------------------------------------------------------------------------

// The factory pedal with every preset's IR positions 7 and 8 on the factory
// cabinets: an export of it holds the 128 presets and no IR.
sim::PedalState PedalWithoutUserIrs() {
    sim::PedalState state = sim::FactoryState();
    for (auto& record : state.presets)
        for (int index : {kParamIrMode7, kParamIrMode8})
            record[sim::kPresetValuesOffset + static_cast<std::size_t>(index)] = 0;
    state.editBuffer = state.presets[static_cast<std::size_t>(state.currentPreset)];
    return state;
}

int Run(int runs) {
    test::JackServer jack(static_cast<int>(kBufferFrames));
    if (!jack.Ok()) return std::fprintf(stderr, "%s\n", jack.Error().c_str()), 1;
    std::printf("JACK dummy, %u frames at %u Hz (%.2f ms per audio callback), %d run(s)\n", kBufferFrames,
                kSampleRate, kBufferFrames * 1000.0 / kSampleRate, runs);
    std::vector<Figure> uploads, exports, firmware, presetExports;
    {
        test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--fresh"});
        if (!sim.Ok()) return std::fprintf(stderr, "%s\n", sim.Error().c_str()), 1;
        Rig rig(sim.InPort(), sim.OutPort());
        if (!rig.Ok()) return std::fprintf(stderr, "the JACK client or its MIDI ports did not open\n"), 1;
        for (int r = 0; r < runs; ++r) {
            if (!rig.Connect()) return std::fprintf(stderr, "the pedal was not found\n"), 1;
            uploads.push_back(MeasureUpload(rig));
            exports.push_back(MeasureExport(rig));
            // The update ends the connection; the next run connects again.
            firmware.push_back(MeasureFirmware(rig));
        }
    }
    {
        TempFolder stateFolder;
        if (!sim::SaveState(PedalWithoutUserIrs(), stateFolder.Path()))
            return std::fprintf(stderr, "the simulator state could not be written\n"), 1;
        test::SimulatorProcess sim(VELUMO_SIM_PATH, {"--state", stateFolder.Path().string()});
        if (!sim.Ok()) return std::fprintf(stderr, "%s\n", sim.Error().c_str()), 1;
        Rig rig(sim.InPort(), sim.OutPort());
        if (!rig.Ok()) return std::fprintf(stderr, "the JACK client or its MIDI ports did not open\n"), 1;
        if (!rig.Connect()) return std::fprintf(stderr, "the pedal was not found\n"), 1;
        for (int r = 0; r < runs; ++r)
            presetExports.push_back(MeasureExport(rig));
    }
    Print("IR upload", uploads);
    Print("export all", exports);
    Print("export, no IR", presetExports);
    Print("firmware", firmware);
    return 0;
}

} // namespace
} // namespace tolvane

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    return tolvane::Run(runs);
}
