#pragma once
// The editor's pages built on an offscreen drawing context for a plug-in
// wired to the pedal model. Time moves only when a test says so: Tick (the
// 100 ms task), Frame (the 20 ms framework tick) and Advance (animation
// clock, for the vector buttons that act when their click splash ends).

#include "library/LibraryTransferFiles.h"
#include "link/LinkFixture.h"
#include "toolkit/Canvas.h"
#include "toolkit/CanvasEditorControls.h"
#include "toolkit/CanvasEditorSeam.h"
#include "toolkit/Fixtures.h"
#include "toolkit/TextControls.h"
#include "ui/EditorPages.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tolvane::testing {

class PagesTest : public ::testing::Test {
protected:
    // With presetFiles, IMPORT and EXPORT (and their keys) reach the plug-in's
    // preset file transfer as in the program, over files in the test's folder.
    explicit PagesTest(bool presetFiles = false) : wire(pedal), seam(platform) {
        plugin = std::make_unique<Tolvane>(wire, seam, store);
        plugin->SetTeardownWait(std::chrono::milliseconds(0));
        ui::PageHooks hooks;
        if (presetFiles) {
            plugin->SetTransferFiles(LibraryTransferFiles(folder.Path()));
            hooks.loadPresetFile = [this] { plugin->LoadPresetFile(); };
            hooks.savePresetFile = [this] { plugin->SavePresetFile(); };
        }
        graphics = std::make_unique<Canvas>(plugin.get());
        graphics->SetPlatform(&platform);
        graphics->SetClock([this] { return now; });
        seam.Attach(graphics.get());
        controls.Attach(graphics.get());
        plugin->AttachEditorControls(&controls);
        pages = ui::BuildEditorPages(*graphics, *plugin, std::move(hooks));
    }
    ~PagesTest() override {
        plugin->DetachEditorControls();
        seam.Detach();
        controls.Detach();
        graphics.reset();
    }

    void Pump() {
        while (!wire.inbox.empty()) {
            Bytes m = std::move(wire.inbox.front());
            wire.inbox.pop_front();
            plugin->ProcessSysEx(SysExMessage{0, static_cast<int>(m.size()), m.data()});
        }
    }
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            plugin->OnDeviceTimer();
            Pump();
        }
    }
    void Frame(int n = 1) {
        for (int i = 0; i < n; ++i)
            plugin->OnFrameworkTick();
    }
    void Advance(double ms) {
        now += ms;
        graphics->OnFrame();
    }
    // Identification and the whole synchronisation, answers pumped.
    void Connect() {
        for (int slot = 0; slot < sim::kNumPresetSlots; ++slot)
            store.WritePresetFile(slot, pedal.State().presets[slot].data());
        Tick(33);
        for (int i = 0; i < 300 && plugin->BulkLoadRunning(); ++i)
            Tick();
        Frame();
        ASSERT_TRUE(plugin->Connected());
    }

    // A vector button: press, release, and the splash runs out.
    void ClickButton(float x, float y) {
        test::Click(*graphics, x, y);
        Advance(150);
    }
    // A bitmap button pressed and released; its action runs on both.
    void ClickSwitch(float x, float y) { test::Click(*graphics, x, y); }

    std::string Text(ControlTag tag) const {
        auto* c = dynamic_cast<TextControl*>(graphics->ControlByTag(tag));
        return c ? c->GetStr() : "<no text control>";
    }
    bool Hidden(ControlTag tag) const { return graphics->ControlByTag(tag)->IsHidden(); }
    // Whether every control of the group is shown (and there is at least one).
    bool GroupShown(const std::string& group) const {
        int shown = 0, all = 0;
        graphics->ForEachInGroup(group, [&](Control& c) {
            ++all;
            shown += !c.IsHidden();
        });
        return all > 0 && shown == all;
    }
    bool GroupHidden(const std::string& group) const {
        bool any = false;
        graphics->ForEachInGroup(group, [&](Control& c) { any = any || !c.IsHidden(); });
        return !any;
    }
    int ParamInt(int index) const { return plugin->GetParam(index)->Int(); }
    std::size_t Mark() const { return wire.sent.size(); }
    std::vector<Bytes> SentSince(std::size_t mark) const {
        return std::vector<Bytes>(wire.sent.begin() + static_cast<long>(mark), wire.sent.end());
    }
    template <typename M> static Bytes BytesOf(const M& m) { return Bytes(m.data(), m.data() + m.size()); }

    ManualTimerClock clock;
    TempFolder folder;
    LibraryStore store{folder.Path()};
    sim::PedalModel pedal{sim::FactoryState()};
    Wire wire;
    test::FakePlatform platform;
    CanvasEditorSeam seam;
    CanvasEditorControls controls;
    double now = 0.0;
    std::unique_ptr<Tolvane> plugin;
    std::unique_ptr<Canvas> graphics;
    std::shared_ptr<ui::EditorUi> pages;
};

} // namespace tolvane::testing
