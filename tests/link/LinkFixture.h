#pragma once
// A Tolvane wired to the pedal model, with a recording screen and a temporary
// data folder. Time moves only when a test calls Tick (the 100 ms task) or
// Idle (the 20 ms step); the pedal's answers reach the receive entry when the
// test pumps them, one at a time, as the audio thread would.

#include "../library/LibraryTempFolder.h"
#include "core/ManualTimer.h"
#include "core/RealtimeScope.h"
#include "device/ParamTable.h"
#include "device/Tolvane.h"
#include "device/TransferWiring.h"
#include "library/BackupFile.h"
#include "library/LibraryStore.h"
#include "library/LibraryTransferFiles.h"
#include "library/PresetFile.h"
#include "library/WavIrFiles.h"
#include "sim/model/FactoryContent.h"
#include "sim/model/PedalModel.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace tolvane::testing {

using Bytes = std::vector<std::uint8_t>;

// Every call the link makes on the screen, as one line of text. It stands for
// the editor, which works on the user-interface thread: what it does is not
// the clock's.
class RecordingSeam : public IEditorSeam {
public:
    bool open = true;
    AskResult answer = AskResult::Ok;
    // The answers to file questions, in order; nothing chosen when empty.
    std::deque<std::string> files;
    std::vector<std::string> calls;

    bool IsEditorOpen() const override { return open; }
    void SetTextByTag(ControlTag tag, std::string_view text) override {
        const OffClock screen;
        calls.push_back("text " + std::to_string(tag) + " " + std::string(text));
    }
    void SetTextColourByTag(ControlTag tag, Colour c) override {
        const OffClock screen;
        calls.push_back("colour " + std::to_string(tag) + " " + std::to_string(c.a) + "," +
                        std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b));
    }
    void SetControlValueByTag(ControlTag tag, double v) override {
        const OffClock screen;
        calls.push_back("value " + std::to_string(tag) + " " + std::to_string(v));
    }
    void ShowGroup(std::string_view g) override {
        const OffClock screen;
        calls.push_back("show " + std::string(g));
    }
    void HideGroup(std::string_view g) override {
        const OffClock screen;
        calls.push_back("hide " + std::string(g));
    }
    void EnableGroup(std::string_view g) override {
        const OffClock screen;
        calls.push_back("enable " + std::string(g));
    }
    void DisableGroup(std::string_view g) override {
        const OffClock screen;
        calls.push_back("disable " + std::string(g));
    }
    AskResult AskUser(std::string_view text, std::string_view caption, AskButtons) override {
        const OffClock screen;
        calls.push_back("ask " + std::string(text) + (caption.empty() ? "" : " / " + std::string(caption)));
        return answer;
    }
    std::string AskForFile(FileAction action, const std::string& extension, const std::string&,
                           const std::string&) override {
        const OffClock screen;
        calls.push_back(std::string(action == FileAction::Open ? "open " : "save ") + extension);
        if (files.empty()) return {};
        std::string path = files.front();
        files.pop_front();
        return path;
    }

    bool Has(const std::string& call) const {
        for (const auto& c : calls)
            if (c == call) return true;
        return false;
    }
    int Count(const std::string& call) const {
        int n = 0;
        for (const auto& c : calls)
            n += c == call;
        return n;
    }
};

// The wire: what the editor sends is recorded and handed to the pedal; what
// the pedal answers waits in the inbox until pumped.
class Wire : public ISysExSender {
public:
    explicit Wire(sim::PedalModel& pedal) : pedal_(pedal) {
        pedal_.SetOutput([this](std::span<const std::uint8_t> m) { inbox.emplace_back(m.begin(), m.end()); });
    }
    bool SendSysEx(const std::uint8_t* bytes, std::size_t size) override {
        // The MIDI output and the pedal beyond it are not the clock's work.
        const OffClock midiOut;
        sent.emplace_back(bytes, bytes + size);
        if (toPedal) pedal_.Receive({bytes, size});
        return true;
    }

    std::vector<Bytes> sent;
    std::deque<Bytes> inbox;
    bool toPedal = true;

private:
    sim::PedalModel& pedal_;
};

// Byte 5 of a message: its command.
inline std::uint8_t Command(const Bytes& m) {
    return m.size() > 5 ? m[5] : 0;
}

// One editor, wired to the library, and its pedal; for scenarios with more
// than one of them. Time moves as in LinkTest; the timers it would create
// stay inactive.
struct WiredEditorAndPedal {
    explicit WiredEditorAndPedal(sim::PedalState state = sim::FactoryState())
        : pedal(std::move(state)), wire(pedal) {
        tolvane = std::make_unique<Tolvane>(wire, screen, store);
        tolvane->SetTeardownWait(std::chrono::milliseconds(0));
        tolvane->SetTransferFiles(LibraryTransferFiles(folder.Path()));
    }

    void Pump() {
        while (!wire.inbox.empty()) {
            Bytes m = std::move(wire.inbox.front());
            wire.inbox.pop_front();
            {
                const RealtimeScope clock; // as the block step runs it
                tolvane->ProcessSysEx(SysExMessage{0, static_cast<int>(m.size()), m.data()});
            }
            // The cache writes the clock handed over, as the idle step writes them.
            tolvane->Cache().Drain();
        }
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            tolvane->OnDeviceTimer();
            Pump();
        }
    }
    // Ticks until done() holds, at most limit ticks; the ticks it took, or -1.
    template <typename Done> int TickUntil(Done done, int limit) {
        for (int n = 1; n <= limit; ++n) {
            Tick();
            if (done()) return n;
        }
        return -1;
    }
    // Identification and the whole synchronisation.
    void Connect() {
        Tick(33);
        for (int i = 0; i < 300 && tolvane->BulkLoadRunning(); ++i)
            Tick();
    }
    TransferWiring& Wiring() { return *tolvane->Wiring(); }
    // The messages sent from mark on whose command byte is command.
    std::vector<Bytes> SentWith(std::uint8_t command, std::size_t mark = 0) const {
        std::vector<Bytes> out;
        for (std::size_t i = mark; i < wire.sent.size(); ++i)
            if (Command(wire.sent[i]) == command) out.push_back(wire.sent[i]);
        return out;
    }

    TempFolder folder;
    LibraryStore store{folder.Path()};
    sim::PedalModel pedal;
    Wire wire;
    RecordingSeam screen;
    std::unique_ptr<Tolvane> tolvane;
};

class LinkTest : public ::testing::Test {
protected:
    LinkTest() : wire(pedal) {}

    // Builds the editor; call after preparing the library and the pedal.
    void Start() {
        tolvane = std::make_unique<Tolvane>(wire, screen, store);
        tolvane->SetTeardownWait(std::chrono::milliseconds(0));
    }
    // The same with the transfers wired to the library.
    void StartWired() {
        Start();
        tolvane->SetTransferFiles(LibraryTransferFiles(folder.Path()));
    }

    // Delivers the pedal's answers (and the answers they cause) to the editor.
    void Pump() {
        while (!wire.inbox.empty()) {
            Bytes m = std::move(wire.inbox.front());
            wire.inbox.pop_front();
            Deliver(m);
        }
    }
    // One answer through the receive entry, on the clock as the block step
    // runs it, then the user-interface thread's part.
    void Deliver(const Bytes& m) {
        {
            const RealtimeScope clock;
            tolvane->ProcessSysEx(SysExMessage{0, static_cast<int>(m.size()), m.data()});
        }
        // The cache writes the clock handed over, as the idle step writes
        // them, so that what a test reads from the data folder is there.
        tolvane->Cache().Drain();
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            tolvane->OnDeviceTimer();
            Pump();
        }
    }
    void Idle(int n = 1) {
        for (int i = 0; i < n; ++i)
            tolvane->OnIdle();
    }

    // The library holds exactly the pedal's presets, so nothing needs loading.
    void CacheAllPedalPresets() {
        for (int slot = 0; slot < sim::kNumPresetSlots; ++slot)
            store.WritePresetFile(slot, pedal.State().presets[slot].data());
    }

    // Identification and the whole synchronisation, answers pumped.
    void Connect() {
        Tick(33);
        for (int i = 0; i < 300 && tolvane->BulkLoadRunning(); ++i)
            Tick();
    }

    // The user turns a control.
    void UserSets(int index, double plain) {
        const Param* p = tolvane->GetParam(index);
        tolvane->ParamChangeFromControl(index, p->NormalFromValue(plain));
    }

    std::vector<Bytes> SentSince(std::size_t mark) const {
        return std::vector<Bytes>(wire.sent.begin() + static_cast<long>(mark), wire.sent.end());
    }

    ManualTimerClock clock;
    TempFolder folder;
    LibraryStore store{folder.Path()};
    sim::PedalModel pedal{sim::FactoryState()};
    Wire wire;
    RecordingSeam screen;
    std::unique_ptr<Tolvane> tolvane;
};

} // namespace tolvane::testing
