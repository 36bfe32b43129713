// Export All and Import All under the program's three threads at once: a
// pedal thread answers every request and keeps switching presets on its own
// (the MIDI input thread's part: it fills the input rings), the audio thread
// runs the block step and with it the receive entry, and the user-interface
// thread runs the timers, Export All, Import All, RECONNECT and ports going
// away. Under ThreadSanitizer this shows any piece of the backup the two
// sides share without a hand-over; in any build it shows that a backup
// written under such traffic holds exactly the 128 presets in slot order.

#include "LinkFixture.h"

#include "device/SysexBuilders.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace tolvane::testing {
namespace {

// What the editor sends waits here for the pedal thread; sends come from the
// audio and the user-interface threads.
class QueuedWire : public ISysExSender {
public:
    bool SendSysEx(const std::uint8_t* bytes, std::size_t size) override {
        const OffClock midiOut; // the MIDI output is not the clock's work
        const std::lock_guard lock(mutex_);
        queue_.emplace_back(bytes, bytes + size);
        return true;
    }
    std::vector<Bytes> Take() {
        const std::lock_guard lock(mutex_);
        return std::exchange(queue_, {});
    }

private:
    std::mutex mutex_;
    std::vector<Bytes> queue_;
};

TEST(BackupThreads, ExportAndImportUnderPedalTrafficAndResets) {
    TempFolder folder;
    LibraryStore store{folder.Path()};
    RecordingSeam screen;
    QueuedWire wire;
    Tolvane link(wire, screen, store);
    link.SetTeardownWait(std::chrono::milliseconds(0));
    link.SetTransferFiles(LibraryTransferFiles(folder.Path()));

    // A small backup to import: three presets.
    Bytes small;
    for (std::uint8_t slot : {3, 4, 5}) {
        const auto dump = sysex::BuildPresetDump(slot, std::array<std::uint8_t, 256>{});
        small.insert(small.end(), dump.begin(), dump.end());
    }
    const std::string importPath = (folder.Path() / "small.dvb").string();
    ASSERT_TRUE(WriteBackupFile(importPath, small));

    std::atomic<bool> stop{false};
    std::thread pedalThread([&] {
        sim::PedalModel pedal(sim::FactoryState());
        pedal.SetOutput([&](std::span<const std::uint8_t> m) {
            while (!stop && link.AcceptMidiInput(m.data(), m.size()) == MidiInputResult::Dropped)
                std::this_thread::yield();
        });
        for (int n = 0; !stop; ++n) {
            for (const Bytes& m : wire.Take())
                pedal.Receive(m);
            if (n % 64 == 0) pedal.ChangePreset(n / 64 % 128);
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    });
    std::thread audio([&] {
        std::vector<float> left(512), right(512);
        float* outputs[] = {left.data(), right.data()};
        while (!stop) {
            link.ProcessAudio(outputs, 512);
            std::this_thread::yield();
        }
    });

    const std::string exportPath = (folder.Path() / "all.dvb").string();
    auto tick = [&](std::chrono::microseconds pause) {
        link.OnFrameworkTick();
        link.OnDeviceTimer();
        std::this_thread::sleep_for(pause);
    };
    for (int i = 0; i < 2500; ++i) {
        // A command refused while the other transfer runs leaves its file
        // answer unused.
        if (i % 150 == 10) {
            screen.files = {exportPath};
            link.HandleMenuCommand(MenuCommand::ExportAllPresets);
        }
        if (i % 400 == 200) {
            screen.files = {importPath};
            link.HandleMenuCommand(MenuCommand::ImportAllPresets);
        }
        if (i % 170 == 120) link.Reconnect();
        if (i % 290 == 250) link.MidiPortsGone();
        tick(std::chrono::microseconds(200));
    }

    // Then exports left to run to their end, one after the other, while the
    // pedal goes on switching presets: each file is the 128 presets in slot
    // order, and none is given up for want of an answer.
    const BackupTransfer& backup = link.Wiring()->Backup();
    auto settled = [&] {
        return link.Connected() && !link.BulkLoadRunning() && !backup.ExportActive() &&
               !backup.RestoreActive();
    };
    std::vector<int> slots(128);
    for (int i = 0; i < 128; ++i)
        slots[static_cast<std::size_t>(i)] = i;
    for (int run = 0; run < 3; ++run) {
        std::filesystem::remove(exportPath);
        for (int i = 0; i < 3000 && !settled(); ++i)
            tick(std::chrono::microseconds(500));
        EXPECT_TRUE(settled()) << run;
        const std::size_t mark = screen.calls.size();
        screen.files = {exportPath};
        link.HandleMenuCommand(MenuCommand::ExportAllPresets);
        EXPECT_TRUE(backup.ExportActive()) << run;
        for (int i = 0; i < 3000 && backup.ExportActive(); ++i)
            tick(std::chrono::milliseconds(2));
        link.OnFrameworkTick();
        const std::vector<std::string> after(screen.calls.begin() + static_cast<std::ptrdiff_t>(mark),
                                             screen.calls.end());
        EXPECT_NE(std::find(after.begin(), after.end(), "ask Finished successfully!"), after.end()) << run;
        for (const auto& call : after)
            EXPECT_NE(call.rfind("ask Export All stopped", 0), 0u) << run << ": " << call;
        const auto file = ReadBackupFile(exportPath);
        const auto summary = file ? SummariseBackup(*file) : std::nullopt;
        EXPECT_TRUE(summary && summary->presetSlots == slots) << run;
    }
    stop = true;
    pedalThread.join();
    audio.join();
}

} // namespace
} // namespace tolvane::testing
