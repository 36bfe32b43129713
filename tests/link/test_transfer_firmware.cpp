// Firmware update against the pedal model's boot loader: the length rules,
// the blocks one per tick, the checksum in the last block and the link state.

#include "test_transfer_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace tolvane::xfertest {
namespace {

Bytes Image(std::size_t length) {
    Bytes image(length);
    for (std::size_t i = 0; i < length; ++i)
        image[i] = static_cast<std::uint8_t>((i * 131 + 7) ^ (i >> 8));
    return image;
}

constexpr const char* kConfirmStart = "Update the pedal's firmware with this file?";

// Opens the firmware page and loads an image of the given length through the
// "UPDATE FIRMWARE" button's file question. An image that goes out was
// confirmed first; the confirmation is taken off the questions asked.
FirmwareLoad Load(TransferRig& rig, const Bytes& image) {
    const std::string path = rig.folder.File("image.ldr");
    WriteFile(path, image);
    rig.firmware.OpenPage();
    rig.seam.groups.clear();
    rig.seam.files.push_back(path);
    const FirmwareLoad result = rig.firmware.ChooseAndLoad();
    if (result == FirmwareLoad::Sent) {
        EXPECT_FALSE(rig.seam.asked.empty());
        if (!rig.seam.asked.empty()) {
            EXPECT_EQ(rig.seam.asked.front().rfind(kConfirmStart, 0), 0u) << rig.seam.asked.front();
            rig.seam.asked.erase(rig.seam.asked.begin());
        }
    }
    return result;
}

// Runs ticks until the firmware mode ends; returns the boot-loader blocks sent.
std::vector<Bytes> RunUpdate(TransferRig& rig) {
    rig.Deliver(); // Boot loader ready
    for (int i = 0; i < 400 && rig.firmware.Running(); ++i)
        rig.Tick();
    std::vector<Bytes> blocks;
    for (const auto& m : rig.sent)
        if (m[4] == 0x02 && (m[5] == 0x13 || m[5] == 0x20)) blocks.push_back(m);
    return blocks;
}

class FirmwareTest : public ::testing::Test {
protected:
    TransferRig rig;
};

TEST(FirmwareFiles, BlocksForEachImageLength) {
    struct Case {
        std::size_t length;
        std::size_t blocks;
        std::size_t lastLength;
        Bytes lengthBytes; // bytes 6..8 of the first block: N7 highest first
    };
    const Case cases[] = {
        {419, 2, 248, {0x00, 0x03, 0x5F}},    // 479 packed: 240 + last 239
        {420, 3, 10, {0x00, 0x03, 0x61}},     // 481 packed: 240 + 240 + last 1
        {57343, 274, 24, {0x03, 0x7F, 0x7F}}, // 65535 packed: 240 + 272 x 240 + last 15
    };
    for (const auto& c : cases) {
        TransferRig rig;
        const Bytes image = Image(c.length);
        ASSERT_EQ(Load(rig, image), FirmwareLoad::Sent) << c.length;
        ASSERT_EQ(rig.sent.size(), 1u);
        EXPECT_EQ(rig.sent[0], (Bytes{0xF0, 0x00, 0x51, 0x21, 0x02, 0x10, 0xF7})) << "Enter firmware update";
        const auto blocks = RunUpdate(rig);
        ASSERT_EQ(blocks.size(), c.blocks) << c.length;
        EXPECT_EQ(blocks.front().size(), 250u);
        EXPECT_EQ(Bytes(blocks.front().begin() + 6, blocks.front().begin() + 9), c.lengthBytes) << c.length;
        for (std::size_t i = 1; i + 1 < blocks.size(); ++i)
            ASSERT_EQ(blocks[i].size(), 247u) << c.length << " block " << i;
        EXPECT_EQ(blocks.back().size(), c.lastLength) << c.length;
        // The boot loader reassembled the image and accepted its checksum.
        EXPECT_EQ(rig.pedal.Log().firmwareUpdates, 1) << c.length;
        EXPECT_EQ(rig.pedal.Log().lastFirmwareImage, image) << c.length;
        EXPECT_FALSE(rig.link.connected) << "Update complete drops the link";
        EXPECT_TRUE(rig.link.autoConnect) << "the restarted pedal is looked for again";
        EXPECT_EQ(rig.seam.asked, std::vector<std::string>{"Firmware update finished."});
        EXPECT_EQ(rig.seam.texts[135], "100 %");
    }
}

TEST_F(FirmwareTest, PageGroupsAndProgress) {
    ASSERT_EQ(Load(rig, Image(1000)), FirmwareLoad::Sent);
    EXPECT_TRUE(rig.link.connected);
    EXPECT_FALSE(rig.link.autoConnect);
    rig.Deliver();
    EXPECT_TRUE(rig.firmware.Running());
    EXPECT_EQ(rig.seam.groups,
              (std::vector<std::string>{"show firmwarecontrols", "disable fwupdatecontrols"}));
    rig.Tick();
    // 240 of 1143 packed bytes.
    EXPECT_EQ(rig.seam.texts[135], "20 %");
    EXPECT_NEAR(rig.seam.values[136], 240.0 / 1143.0, 1e-12);
    rig.seam.groups.clear();
    RunUpdate(rig);
    EXPECT_EQ(rig.seam.groups,
              (std::vector<std::string>{"hide firmwarecontrols", "hide fwbgcontrols", "hide fwupdatecontrols",
                                        "enable maincontrols", "disable bcontrols"}));
}

TEST(FirmwareFiles, RefusedFiles) {
    struct Case {
        std::size_t length;
        FirmwareLoad result;
        bool message;
    };
    const Case cases[] = {
        {65536, FirmwareLoad::TooLong, true},  {65535, FirmwareLoad::TooLarge, true},
        {57344, FirmwareLoad::TooLarge, true}, {209, FirmwareLoad::TooSmall, true},
        {0, FirmwareLoad::TooSmall, true},     {210, FirmwareLoad::Sent, false},
    };
    for (const auto& c : cases) {
        TransferRig rig;
        EXPECT_EQ(Load(rig, Image(c.length)), c.result) << c.length;
        const bool sent = c.result == FirmwareLoad::Sent;
        EXPECT_EQ(rig.sent.size(), sent ? 1u : 0u) << c.length;
        EXPECT_EQ(rig.seam.asked.size(), c.message ? 1u : 0u) << c.length;
        if (!sent) {
            rig.Deliver();
            rig.Ticks(3);
            EXPECT_TRUE(rig.sent.empty()) << c.length;
        }
    }
    TransferRig rig;
    EXPECT_EQ(rig.firmware.LoadFirmware(rig.folder.File("missing.ldr")), FirmwareLoad::NotReadable);
    EXPECT_TRUE(rig.sent.empty());
    EXPECT_EQ(rig.seam.asked.size(), 1u);
}

// The image is opaque, so the user confirms the file (name, size, date) and
// that the pedal will be rewritten; Cancel sends nothing, now or later.
TEST(FirmwareFiles, TheFileIsConfirmedBeforeThePedalIsRewritten) {
    for (const AskResult answer : {AskResult::Ok, AskResult::Cancel}) {
        const bool ok = answer == AskResult::Ok;
        TransferRig rig;
        const std::string path = rig.folder.File("ostrel-2.1.ldr");
        WriteFile(path, Image(40000));
        using namespace std::chrono;
        std::filesystem::last_write_time(path, file_clock::from_sys(time_point_cast<system_clock::duration>(
                                                   sys_days{2026y / March / 15} + 12h)));
        rig.firmware.OpenPage();
        rig.seam.groups.clear();
        rig.seam.answers.push_back(answer);
        EXPECT_EQ(rig.firmware.LoadFirmware(path), ok ? FirmwareLoad::Sent : FirmwareLoad::Declined) << ok;
        ASSERT_EQ(rig.seam.asked.size(), 1u) << ok;
        const std::string& text = rig.seam.asked[0];
        EXPECT_EQ(rig.seam.askedButtons[0], AskButtons::OkCancel);
        for (const char* part : {kConfirmStart, "ostrel-2.1.ldr", "40000 bytes", "2026-03-15", "rewritten"})
            EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
        EXPECT_EQ(rig.sent.size(), ok ? 1u : 0u) << ok;
        rig.Deliver();
        rig.Ticks(5);
        if (!ok) {
            EXPECT_TRUE(rig.sent.empty());
            EXPECT_FALSE(rig.firmware.Active());
            EXPECT_TRUE(rig.seam.groups.empty()) << "the page stays open for another file";
        }
    }
}

TEST_F(FirmwareTest, FailedUpdateShowsTheErrorAndClosesThePage) {
    rig.pedal.GetFaults().failFirmwareUpdate = true;
    ASSERT_EQ(Load(rig, Image(500)), FirmwareLoad::Sent);
    RunUpdate(rig);
    rig.Deliver();
    rig.Ticks(120);
    // One outcome: the failure, never "finished" with it.
    EXPECT_EQ(rig.seam.asked, (std::vector<std::string>{"Error in update!"}));
    EXPECT_FALSE(rig.link.connected);
    EXPECT_FALSE(rig.firmware.Running());
}

// A boot loader that never answers, before or after the image: the wait ends
// with a message that says what was and was not done.
TEST_F(FirmwareTest, ABootLoaderThatDoesNotAnswerEndsTheWait) {
    rig.pedal.GetFaults().unplugged = true;
    ASSERT_EQ(Load(rig, Image(500)), FirmwareLoad::Sent);
    rig.Ticks(29);
    EXPECT_TRUE(rig.seam.asked.empty());
    rig.Tick();
    ASSERT_EQ(rig.seam.asked.size(), 1u);
    EXPECT_NE(rig.seam.asked[0].find("firmware is unchanged"), std::string::npos);
    EXPECT_FALSE(rig.firmware.Running());
    rig.Ticks(200);
    EXPECT_EQ(rig.seam.asked.size(), 1u);
}

TEST_F(FirmwareTest, NoOutcomeAfterTheLastBlockIsNotCalledFinished) {
    ASSERT_EQ(Load(rig, Image(500)), FirmwareLoad::Sent);
    rig.Deliver();                          // Boot loader ready
    rig.pedal.GetFaults().dropAnswers = 10; // its Update complete is lost
    for (int i = 0; i < 50 && rig.firmware.Running(); ++i)
        rig.Tick();
    rig.Ticks(99);
    EXPECT_TRUE(rig.seam.asked.empty());
    rig.Tick();
    ASSERT_EQ(rig.seam.asked.size(), 1u);
    EXPECT_NE(rig.seam.asked[0].find("did not confirm"), std::string::npos);
    EXPECT_FALSE(rig.link.connected);
}

// The pedal's ports going away ends the update in each of its states with a
// message that says how far it got, and the page closes; RECONNECT (which the
// page disables) and a link with nothing running stay silent.
TEST(FirmwareFiles, PortsGoneEndTheUpdateWithWhatWasDone) {
    struct Case {
        const char* state;
        int ticksAfterReady; // -1: the boot loader has not answered yet
        link::LinkEnd why;
        const char* said; // a piece of the message, or nullptr for none
    };
    const Case cases[] = {
        {"announced", -1, link::LinkEnd::PortsGone, "Nothing was sent"},
        {"sending", 1, link::LinkEnd::PortsGone, "Not all of the firmware was sent"},
        {"sent, no outcome yet", 10, link::LinkEnd::PortsGone, "before it confirmed"},
        {"sending, reconnect", 1, link::LinkEnd::Reconnect, nullptr},
    };
    for (const auto& c : cases) {
        TransferRig rig;
        ASSERT_EQ(Load(rig, Image(2000)), FirmwareLoad::Sent) << c.state;
        if (c.ticksAfterReady >= 0) {
            rig.Deliver();                          // Boot loader ready
            rig.pedal.GetFaults().dropAnswers = 10; // no Update complete
            rig.Ticks(c.ticksAfterReady);
        }
        rig.seam.groups.clear();
        rig.firmware.Cancel(c.why);
        EXPECT_FALSE(rig.firmware.Running()) << c.state;
        if (c.said == nullptr) {
            EXPECT_TRUE(rig.seam.asked.empty()) << c.state;
            continue;
        }
        ASSERT_EQ(rig.seam.asked.size(), 1u) << c.state;
        EXPECT_NE(rig.seam.asked[0].find(c.said), std::string::npos) << c.state << ": " << rig.seam.asked[0];
        EXPECT_NE(std::find(rig.seam.groups.begin(), rig.seam.groups.end(), "hide fwupdatecontrols"),
                  rig.seam.groups.end())
            << c.state;
        EXPECT_FALSE(rig.link.connected) << c.state;
        // Nothing more is sent and no later time-out speaks again.
        const std::size_t sent = rig.sent.size();
        rig.Ticks(200);
        EXPECT_EQ(rig.sent.size(), sent) << c.state;
        EXPECT_EQ(rig.seam.asked.size(), 1u) << c.state;
    }
}

TEST_F(FirmwareTest, ClosingThePageResumesTheSearch) {
    rig.firmware.OpenPage();
    EXPECT_EQ(rig.seam.groups, (std::vector<std::string>{"show fwbgcontrols", "show fwupdatecontrols",
                                                         "enable fwupdatecontrols", "disable maincontrols"}));
    rig.firmware.ClosePage();
    EXPECT_FALSE(rig.link.connected);
    EXPECT_TRUE(rig.link.autoConnect);
    EXPECT_EQ(rig.seam.groups.back(), "enable maincontrols");
}

TEST_F(FirmwareTest, NothingChosenNothingSent) {
    rig.firmware.OpenPage();
    EXPECT_EQ(rig.firmware.ChooseAndLoad(), FirmwareLoad::NothingChosen);
    EXPECT_TRUE(rig.sent.empty());
}

TEST_F(FirmwareTest, ReadyWithoutAnImageSendsNothing) {
    rig.firmware.OnBootLoaderStatus(sysex::status::kBootLoaderReady);
    rig.Ticks(3);
    EXPECT_TRUE(rig.sent.empty());
    EXPECT_FALSE(rig.firmware.Running());
}

} // namespace
} // namespace tolvane::xfertest
