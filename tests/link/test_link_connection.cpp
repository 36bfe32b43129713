#include "LinkFixture.h"
#include "device/SysexBuilders.h"

#include <gtest/gtest.h>

namespace tolvane::testing {
namespace {

// F0 00 51 21 03 55 0A 0F F7: Request settings block, type 15 (identification).
const Bytes kIdentify = {0xF0, 0x00, 0x51, 0x21, 0x03, 0x55, 0x0A, 0x0F, 0xF7};
// F0 00 51 21 03 55 0A 03 F7: Request settings block, type 3 (preset checksums).
const Bytes kRequestChecksums = {0xF0, 0x00, 0x51, 0x21, 0x03, 0x55, 0x0A, 0x03, 0xF7};
// F0 00 51 21 03 5F 0A F7: Editor closing.
const Bytes kEditorClosing = {0xF0, 0x00, 0x51, 0x21, 0x03, 0x5F, 0x0A, 0xF7};

class Connection : public LinkTest {};

TEST_F(Connection, IdentifiesOnTick33ThenEvery33Ticks) {
    wire.toPedal = false; // a pedal that never answers
    Start();
    std::vector<int> requestTicks;
    for (int tick = 1; tick <= 100; ++tick) {
        const std::size_t mark = wire.sent.size();
        Tick();
        for (const auto& m : SentSince(mark)) {
            EXPECT_EQ(m, kIdentify);
            requestTicks.push_back(tick);
        }
    }
    EXPECT_EQ(requestTicks, (std::vector<int>{33, 66, 99}));
    EXPECT_FALSE(tolvane->Connected());
}

TEST_F(Connection, DrivenByTheDeviceTimer) {
    wire.toPedal = false;
    Start();
    clock.Advance(3200);
    EXPECT_TRUE(wire.sent.empty());
    clock.Advance(100);
    ASSERT_EQ(wire.sent.size(), 1u);
    EXPECT_EQ(wire.sent[0], kIdentify);
}

TEST_F(Connection, FirmwareVersionDecidesAndIsShown) {
    struct Case {
        int versionTimesTen;
        const char* versionLine;
        const char* message; // empty when accepted
    };
    const Case cases[] = {
        {9, "VERSION: 0.9", "Please upgrade Tolvane to actual version 10."},
        {10, "VERSION: 1.0", ""},
        {109, "VERSION: 10.9", ""},
        {110, "VERSION: 11.0", "Editor version out of date. Please download the most recent version."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.versionTimesTen);
        sim::PedalModel pedal{sim::FactoryState()};
        pedal.GetFaults().firmwareVersion = c.versionTimesTen;
        Wire wire(pedal);
        RecordingSeam screen;
        Tolvane editor(wire, screen, store);
        editor.SetTeardownWait(std::chrono::milliseconds(0));
        for (int i = 0; i < 33; ++i)
            editor.OnDeviceTimer();
        ASSERT_EQ(wire.inbox.size(), 1u);
        const Bytes reply = wire.inbox.front();
        editor.ProcessSysEx(SysExMessage{0, static_cast<int>(reply.size()), reply.data()});
        editor.OnIdle();

        EXPECT_TRUE(screen.Has("text 137 DEVICE: Brennix Velumo Ostrel"));
        EXPECT_TRUE(screen.Has(std::string("text 138 ") + c.versionLine));
        EXPECT_TRUE(screen.Has("enable bcontrols"));
        const bool accepted = std::string(c.message).empty();
        EXPECT_EQ(editor.Connected(), accepted);
        if (accepted) {
            EXPECT_EQ(wire.sent.back(), kRequestChecksums);
            // The 32 serial characters as the pedal sends them, blank-padded.
            std::string serial = pedal.State().serial;
            serial.resize(32, ' ');
            EXPECT_TRUE(screen.Has("text 139 SERIAL: " + serial));
        } else {
            EXPECT_TRUE(screen.Has(std::string("ask ") + c.message));
            EXPECT_EQ(wire.sent.back(), kIdentify); // nothing more was asked
        }
    }
}

TEST_F(Connection, BadChecksumUpdatesTheLinesButDoesNotConnect) {
    pedal.GetFaults().corruptBlocks = 1;
    Start();
    Tick(33);
    EXPECT_FALSE(tolvane->Connected());
    EXPECT_TRUE(screen.Has("text 138 VERSION: 1.2"));
    for (const auto& call : screen.calls)
        EXPECT_NE(call.rfind("text 139", 0), 0u) << "no serial line: " << call;
    EXPECT_EQ(wire.sent.back(), kIdentify);
    // The next poll tries again and connects.
    Tick(33);
    EXPECT_TRUE(tolvane->Connected());
}

TEST_F(Connection, GlobalBlockBeforeIdentificationSetsOnlyTheToneSettings) {
    Start();
    std::array<std::uint8_t, 256> data{};
    data[3] = 1;   // PATCH OFFSET
    data[11] = 10; // Soft Clipping
    data[12] = 20; // AnalogSim Gain
    data[13] = 30; // Anti-aliasing Filter
    const auto block = sysex::BuildSettingsBlock(12, 0, data);
    Deliver(Bytes(block.begin(), block.end()));
    EXPECT_FALSE(tolvane->Connected());
    EXPECT_EQ(tolvane->GetParam(kParamSoftClipping)->Int(), 10);
    EXPECT_EQ(tolvane->GetParam(kParamAnalogSimGain)->Int(), 20);
    EXPECT_EQ(tolvane->GetParam(kParamAntiAliasingFilter)->Int(), 30);
    EXPECT_EQ(tolvane->GetParam(kParamPatchOffset)->Int(), 0);
    EXPECT_TRUE(wire.sent.empty());
}

TEST_F(Connection, WithoutAutoConnectNothingIsAskedUntilReconnect) {
    wire.toPedal = false;
    Start();
    tolvane->SetAutoConnect(false);
    Tick(100);
    EXPECT_TRUE(wire.sent.empty());
    tolvane->Reconnect();
    EXPECT_TRUE(screen.Has("text 138 Connecting to the device..."));
    EXPECT_TRUE(screen.Has("disable bcontrols"));
    EXPECT_TRUE(screen.Has("hide progresscontrols"));
    Tick(33);
    ASSERT_EQ(wire.sent.size(), 1u);
    EXPECT_EQ(wire.sent[0], kIdentify);
}

TEST_F(Connection, EditorClosingIsSentOnlyWhenConnected) {
    CacheAllPedalPresets();
    Start();
    tolvane->EditorClosing();
    EXPECT_TRUE(wire.sent.empty());
    Connect();
    ASSERT_TRUE(tolvane->Connected());
    const std::size_t mark = wire.sent.size();
    tolvane->EditorClosing();
    EXPECT_EQ(SentSince(mark), (std::vector<Bytes>{kEditorClosing}));
}

TEST_F(Connection, StatusErrorIsShownByTheIdleStepEvenBeforeIdentification) {
    Start();
    pedal.SendError();
    Pump();
    EXPECT_FALSE(screen.Has("ask ERROR!")); // never from the receiving thread
    Idle();
    EXPECT_EQ(screen.Count("ask ERROR!"), 1);
    Idle();
    EXPECT_EQ(screen.Count("ask ERROR!"), 1);
}

} // namespace
} // namespace tolvane::testing
