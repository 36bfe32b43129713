// The IR slot view's names and the download of an IR from the pedal model:
// the chain of name blocks, the received stream written to the right folder,
// a damaged stream dropped, an oversized one cut at the buffer.

#include "test_transfer_rig.h"

#include "device/SevenBitPacking.h"

#include <gtest/gtest.h>

namespace tolvane::xfertest {
namespace {

std::vector<int> NameBlockRequests(const TransferRig& rig) {
    std::vector<int> indices;
    for (const auto& m : rig.SentWith(sysex::command::kRequestIrNameBlock))
        indices.push_back(m[7]);
    return indices;
}

std::string IrNameOf(const sim::IrData& record) {
    return ir::TrimName(std::string(record.begin() + 4, record.begin() + 36));
}

TEST(IrNames, ABankIsReadAsFourBlocksInAChain) {
    TransferRig rig;
    rig.download.ShowBank(0);
    EXPECT_EQ(rig.slotViewRows[0], "?") << "the cached names come first";
    rig.Deliver();
    EXPECT_EQ(NameBlockRequests(rig), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(rig.slotViewRows[0], IrNameOf(rig.pedal.State().userIrs[0]));
    EXPECT_EQ(rig.slotViewRows[11], IrNameOf(rig.pedal.State().userIrs[11]));
    EXPECT_EQ(rig.slotViewRows[31], "Empty Slot 32");
}

TEST(IrNames, BlankNamesBecomeEmptySlotsAndTheChainStopsAfterTheFourthBlock) {
    TransferRig rig;
    rig.download.ShowBank(1);
    rig.Deliver();
    EXPECT_EQ(NameBlockRequests(rig), (std::vector<int>{4, 5, 6, 7}));
    // Block 5 is the second quarter of bank 1: its third name is row 10.
    EXPECT_EQ(rig.slotViewRows[10], "Empty Slot 11");
    EXPECT_EQ(rig.slotViewRows[31], "Empty Slot 32");
}

TEST(IrNames, ABlockWithAWrongChecksumIsIgnoredAndEndsTheChain) {
    TransferRig rig;
    rig.pedal.GetFaults().corruptBlocks = 1;
    rig.download.ShowBank(0);
    rig.Deliver();
    EXPECT_EQ(NameBlockRequests(rig), std::vector<int>{0});
    EXPECT_EQ(rig.slotViewRows[0], "?");
}

TEST(IrDownload, AFactoryIrGoesToFactoryIrsAndItsNameIsReadAgain) {
    TransferRig rig;
    rig.download.RequestIr(384);
    EXPECT_EQ(rig.sent.back(), (Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x69, 0x0A, 0x03, 0x00, 0xF7}));
    rig.Deliver();
    EXPECT_EQ(rig.lastReception, IrReception::Written);
    const auto& cabinet = rig.pedal.State().factoryIrs[0];
    EXPECT_EQ(ReadFile(rig.folder.Path() / "Factory IRs" / "001.dat"), Bytes(cabinet.begin(), cabinet.end()));
    EXPECT_EQ(rig.factoryNamesReread, std::vector<int>{0});
    EXPECT_EQ(rig.refreshes, 1);
    EXPECT_EQ(rig.seam.texts[53], "100 %");
    EXPECT_EQ(rig.seam.groups.front(), "show progresscontrols");
    EXPECT_EQ(rig.seam.groups.back(), "hide progresscontrols");
}

TEST(IrDownload, ADamagedStreamIsDropped) {
    TransferRig rig;
    rig.download.RequestIr(3);
    ASSERT_EQ(rig.inbound.size(), 11u);
    rig.inbound[4][100] ^= 0x01; // one packed bit flipped on the way
    rig.Deliver();
    EXPECT_EQ(rig.lastReception, IrReception::Dropped);
    EXPECT_FALSE(std::filesystem::exists(rig.folder.Path() / "User IRs" / "004.dat"));
    EXPECT_EQ(rig.refreshes, 0);
    EXPECT_EQ(rig.seam.groups.back(), "hide progresscontrols");

    // The next download of the same IR is taken as usual.
    rig.download.RequestIr(3);
    rig.Deliver();
    EXPECT_EQ(rig.lastReception, IrReception::Written);
}

// The pedal stops half-way: three seconds later the stream is dropped with a
// message, nothing is written, and the next download is taken as usual.
TEST(IrDownload, AStreamThatStopsHalfWayIsDroppedAfterThreeSeconds) {
    TransferRig rig;
    rig.download.RequestIr(3);
    rig.inbound.resize(5); // start and four data messages arrive, the rest is lost
    rig.Deliver();
    rig.Ticks(29);
    EXPECT_TRUE(rig.seam.asked.empty());
    rig.Tick();
    ASSERT_EQ(rig.seam.asked.size(), 1u);
    EXPECT_EQ(rig.seam.asked[0],
              "Impulse response 3 was not received whole: the pedal stopped sending.\nNothing was written.");
    EXPECT_FALSE(std::filesystem::exists(rig.folder.Path() / "User IRs" / "004.dat"));
    EXPECT_EQ(rig.seam.groups.back(), "hide progresscontrols");
    rig.download.RequestIr(3);
    rig.Deliver();
    EXPECT_EQ(rig.lastReception, IrReception::Written);
    rig.Ticks(40);
    EXPECT_EQ(rig.seam.asked.size(), 1u);
}

TEST(IrDownload, DataWithoutAStartIsIgnored) {
    TransferRig rig;
    rig.download.RequestIr(3);
    rig.inbound.pop_front();
    rig.Deliver();
    EXPECT_EQ(rig.lastReception, IrReception::Ignored);
    EXPECT_FALSE(std::filesystem::exists(rig.folder.Path() / "User IRs" / "004.dat"));
}

TEST(IrDownload, AStreamLongerThanTheBufferIsCutAt4096Bytes) {
    TransferRig rig;
    Bytes data(5000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7);
    Bytes packed(PackedLength(data.size()));
    Pack7(data, packed);
    const int checksum = sysex::StreamChecksumOf(packed);
    using namespace sysex;
    auto feed = [&](std::span<const std::uint8_t> message, StreamPart part) {
        return rig.download.OnStreamMessage(*ReadStreamMessage(message, part));
    };
    const std::span<const std::uint8_t> all(packed);
    feed(BuildStreamStart(kTargetApplication, command::kIrStreamStart, 20, packed.size(), all.first(256)),
         StreamPart::Start);
    std::size_t pos = 256;
    for (; packed.size() - pos > 256; pos += 256)
        feed(BuildStreamData(kTargetApplication, command::kIrStreamData, all.subspan(pos, 256)),
             StreamPart::Data);
    EXPECT_EQ(
        feed(BuildStreamEnd(kTargetApplication, command::kIrStreamEnd, all.subspan(pos), checksum).Span(),
             StreamPart::End),
        IrReception::Written);
    const Bytes file = ReadFile(rig.folder.Path() / "User IRs" / "021.dat");
    EXPECT_EQ(file, Bytes(data.begin(), data.begin() + 4096));
}

TEST(IrDownload, PositionBsIrIsFetchedWhenItIsNotCached) {
    struct Case {
        bool positionB;
        bool slotBCached;
        bool requested;
    };
    for (const Case c : {Case{true, false, true}, Case{true, true, false}, Case{false, false, false}}) {
        TransferRig rig;
        rig.SetParam(kParamIrMode8, c.positionB ? 1 : 0);
        rig.SetParam(kParamUserIr8PresetMsb, 0);
        rig.SetParam(kParamUserIr8Preset, 7);
        if (c.slotBCached) WriteFile(rig.folder.Path() / "User IRs" / "008.dat", Bytes(2436, 0));
        rig.download.RequestIr(3);
        rig.Deliver();
        const auto requests = rig.SentWith(sysex::command::kRequestImpulseResponse);
        ASSERT_EQ(requests.size(), c.requested ? 2u : 1u);
        if (c.requested) {
            EXPECT_EQ(requests[1][8], 7);
        }
    }
}

} // namespace
} // namespace tolvane::xfertest
