// Export All against a pedal that says more than it was asked: only the answer
// to the request in flight is kept, once; every other message is handled as it
// is without an export, so the screen keeps following the pedal.

#include "LinkFixture.h"

#include "device/SysexBuilders.h"
#include "device/SysexConstants.h"

#include <functional>

namespace tolvane::testing {
namespace {

using Noise = std::function<void(WiredEditorAndPedal&)>;

// Export All of a connected editor into path, noise made before every tick;
// the file's bytes, empty when none was written.
Bytes RunExport(WiredEditorAndPedal& e, const std::string& path, const Noise& noise = {}) {
    e.screen.files.push_back(path);
    e.tolvane->HandleMenuCommand(MenuCommand::ExportAllPresets);
    for (int tick = 0; tick < 1000 && e.Wiring().Backup().ExportActive(); ++tick) {
        if (noise) noise(e);
        e.Tick();
    }
    return ReadBackupFile(path).value_or(Bytes{});
}

// The backup of a quiet factory pedal: 128 dumps in slot order, then the IRs.
const Bytes& QuietBackup() {
    static const Bytes bytes = [] {
        WiredEditorAndPedal quiet;
        quiet.Connect();
        return RunExport(quiet, (quiet.folder.Path() / "quiet.dvb").string());
    }();
    return bytes;
}

TEST(BackupExportAnswers, WhatTheRequestDidNotAskForIsNotStored) {
    ASSERT_EQ(SummariseBackup(QuietBackup())->presetSlots.size(), 128u);
    const std::array<std::uint8_t, sysex::kStreamChunk> chunk{};
    const auto strayData =
        sysex::BuildStreamData(sysex::kTargetApplication, sysex::command::kIrStreamData, chunk);
    const auto strayEnd = sysex::BuildStreamEnd(sysex::kTargetApplication, sysex::command::kIrStreamEnd,
                                                std::span(chunk).first(20), 0);
    const auto ask = [](WiredEditorAndPedal& e, const auto& request) {
        e.pedal.Receive({request.data(), request.size()});
    };
    struct Case {
        const char* what;
        Noise noise;
        int currentPresetAfter; // -1: the one before the export
    };
    const Case cases[] = {
        {"the pedal is switched to preset 50 at every tick", [](auto& e) { e.pedal.ChangePreset(50); }, 50},
        {"slot 0's dump again at every tick", [&](auto& e) { ask(e, sysex::BuildRequestPreset(0)); }, 0},
        {"user IR 3's stream at every tick", [&](auto& e) { ask(e, sysex::BuildRequestImpulseResponse(3)); },
         -1},
        {"stream data and end outside any stream",
         [&](auto& e) {
             e.wire.inbox.emplace_back(strayData.begin(), strayData.end());
             e.wire.inbox.emplace_back(strayEnd.Span().begin(), strayEnd.Span().end());
         },
         -1},
    };
    for (const auto& c : cases) {
        WiredEditorAndPedal editor;
        editor.Connect();
        const int before = editor.tolvane->CurrentPreset();
        const Bytes file = RunExport(editor, (editor.folder.Path() / "noisy.dvb").string(), c.noise);
        EXPECT_TRUE(file == QuietBackup()) << c.what << ": " << file.size() << " bytes";
        EXPECT_TRUE(editor.screen.Has("ask Finished successfully!")) << c.what;
        // Dumps that are not the answer are taken as the pedal's current preset.
        EXPECT_EQ(editor.tolvane->CurrentPreset(), c.currentPresetAfter < 0 ? before : c.currentPresetAfter)
            << c.what;
    }
}

// Export All chosen while the presets of a new connection are still being
// read: the reading's dumps are its own, and the export still gets its answers.
TEST(BackupExportAnswers, AnExportStartedWhileThePresetsAreReadIsAnswered) {
    WiredEditorAndPedal editor;
    // The library lacks two presets: the connection reads them.
    for (int slot = 0; slot < sim::kNumPresetSlots; ++slot)
        if (slot != 100 && slot != 101)
            editor.store.WritePresetFile(slot, editor.pedal.State().presets[slot].data());
    editor.tolvane = std::make_unique<Tolvane>(editor.wire, editor.screen, editor.store);
    editor.tolvane->SetTeardownWait(std::chrono::milliseconds(0));
    editor.tolvane->SetTransferFiles(LibraryTransferFiles(editor.folder.Path()));
    // Identification, then the answers one at a time, as the clock hands them
    // over, until the first of the two is on its way.
    auto readingWaits = [&] {
        return editor.tolvane->BulkLoadRunning() && !editor.wire.inbox.empty() &&
               Command(editor.wire.inbox.front()) == sysex::command::kPresetDump;
    };
    for (int tick = 0; tick < 40 && !readingWaits(); ++tick) {
        editor.tolvane->OnDeviceTimer();
        while (!editor.wire.inbox.empty() && !readingWaits()) {
            const Bytes m = std::move(editor.wire.inbox.front());
            editor.wire.inbox.pop_front();
            {
                const RealtimeScope clock;
                editor.tolvane->ProcessSysEx(SysExMessage{0, static_cast<int>(m.size()), m.data()});
            }
            editor.tolvane->Cache().Drain();
        }
    }
    ASSERT_TRUE(readingWaits());
    ASSERT_EQ(editor.wire.inbox.front()[sysex::kOffsetBlockIndex], 100);
    const Bytes file = RunExport(editor, (editor.folder.Path() / "early.dvb").string());
    EXPECT_TRUE(editor.screen.Has("ask Finished successfully!"));
    EXPECT_TRUE(file == QuietBackup()) << file.size() << " bytes";
}

} // namespace
} // namespace tolvane::testing
