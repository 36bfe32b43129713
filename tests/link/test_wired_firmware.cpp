// A firmware update through the plug-in's menu, periodic task and receive
// entry, against the pedal model's boot loader.

#include "LinkFixture.h"
#include "test_transfer_rig.h"

#include "device/LinkTags.h"
#include "device/SysexConstants.h"
#include "device/TransferBuffer.h"

#include <random>

namespace tolvane::testing {
namespace {

namespace cmd = sysex::command;

Bytes FirmwareImage(std::size_t size) {
    std::mt19937 random(7);
    Bytes image(size);
    for (auto& b : image)
        b = static_cast<std::uint8_t>(random());
    return image;
}

// The last text the seam was given for a tag.
std::string LastText(const RecordingSeam& screen, int tag) {
    const std::string prefix = "text " + std::to_string(tag) + " ";
    for (auto it = screen.calls.rbegin(); it != screen.calls.rend(); ++it)
        if (it->rfind(prefix, 0) == 0) return it->substr(prefix.size());
    return "<none>";
}

TEST(WiredFirmware, UpdateSendsOneBlockPerTickAndTheLinkStateFollows) {
    WiredEditorAndPedal side;
    side.Connect();
    ASSERT_TRUE(side.tolvane->Connected());

    side.tolvane->HandleMenuCommand(MenuCommand::FirmwareUpdate);
    EXPECT_TRUE(side.screen.Has("show fwupdatecontrols"));
    EXPECT_TRUE(side.tolvane->Connected());
    EXPECT_FALSE(side.tolvane->Flags().autoConnect.load());

    const Bytes image = FirmwareImage(48 * 1024);
    const auto path = side.folder.Path() / "update.ldr";
    xfertest::WriteFile(path, image);
    const std::size_t mark = side.wire.sent.size();
    side.tolvane->LoadFirmware(path.string());
    ASSERT_EQ(side.SentWith(cmd::kEnterFirmwareUpdate, mark).size(), 1u);
    side.Pump(); // Boot loader ready

    TransferBuffer packed;
    ASSERT_TRUE(packed.Fill(image));
    const int blocks =
        (packed.total + static_cast<int>(sysex::kBootChunk) - 1) / static_cast<int>(sysex::kBootChunk);
    const int ticks = side.TickUntil([&] { return side.pedal.Log().firmwareUpdates == 1; }, 1000);
    EXPECT_EQ(ticks, blocks);
    EXPECT_EQ(side.pedal.Log().lastFirmwareImage, image);
    EXPECT_EQ(side.SentWith(cmd::kFirstFirmwareBlock, mark).size(), 1u);
    EXPECT_EQ(side.SentWith(cmd::kFirmwareBlock, mark).size(), static_cast<std::size_t>(blocks - 1));
    EXPECT_TRUE(side.screen.Has("ask Firmware update finished."));
    // The pedal left the link: the status lines stopped naming it...
    EXPECT_TRUE(side.screen.Has("text " + std::to_string(link::kTagDeviceLine) + " "));
    EXPECT_TRUE(side.screen.Has("text " + std::to_string(link::kTagSerialLine) + " "));
    EXPECT_TRUE(
        side.screen.Has("text " + std::to_string(link::kTagVersionLine) + " " + link::kTextConnecting));
    EXPECT_TRUE(side.screen.Has("hide fwupdatecontrols"));
    // ...and the restarted pedal, asked for at once, is found and named again.
    EXPECT_TRUE(side.tolvane->Connected());
    EXPECT_EQ(LastText(side.screen, link::kTagVersionLine), "VERSION: 1.2");
}

// The boot loader's last word, finished or failed, restarts the pedal: the
// link asks for it again within a second, whether or not the message has
// been dismissed, and finds it.
TEST(WiredFirmware, ThePedalIsLookedForRightAfterTheOutcome) {
    for (const bool fail : {false, true}) {
        SCOPED_TRACE(fail ? "failed" : "finished");
        WiredEditorAndPedal side;
        side.Connect();
        side.pedal.GetFaults().failFirmwareUpdate = fail;
        side.tolvane->HandleMenuCommand(MenuCommand::FirmwareUpdate);
        const auto path = side.folder.Path() / "update.ldr";
        xfertest::WriteFile(path, FirmwareImage(4000));
        side.tolvane->LoadFirmware(path.string());
        side.Pump(); // Boot loader ready

        const std::string outcome = fail ? "ask Error in update!" : "ask Firmware update finished.";
        std::size_t mark = 0;
        for (int i = 0; i < 100 && !side.screen.Has(outcome); ++i) {
            mark = side.wire.sent.size(); // before the tick whose last block draws the outcome
            side.Tick();
        }
        ASSERT_TRUE(side.screen.Has(outcome));
        side.Tick(10);
        const auto requests = side.SentWith(cmd::kRequestSettingsBlock, mark);
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ(requests.front()[7], sysex::settings::kIdentification);
        EXPECT_TRUE(side.tolvane->Connected());
    }
}

} // namespace
} // namespace tolvane::testing
