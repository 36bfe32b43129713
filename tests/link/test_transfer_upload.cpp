// Impulse-response upload against the pedal model: the WAV import, the cache
// file, the eleven stream messages paced by Ready for next IR block, and the
// statuses that follow.

#include "test_transfer_rig.h"
#include "test_transfer_wavfixture.h"

#include <gtest/gtest.h>

namespace tolvane::xfertest {
namespace {

std::filesystem::path UserIrFile(const TransferRig& rig, int slot) {
    char name[16];
    std::snprintf(name, sizeof name, "%03d.dat", slot + 1);
    return rig.folder.Path() / "User IRs" / name;
}

class IrUploadTest : public ::testing::Test {
protected:
    void ImportCabinet(int slot, int frames = 2000) {
        wav = DecayingIr(frames);
        wavPath = rig.folder.File("Cabinet 412.wav");
        WriteFile(wavPath, Wav16(wav));
        rig.seam.files.push_back(wavPath);
        rig.upload.SetSelectedSlot(slot);
        rig.upload.ImportWav();
    }
    TransferRig rig;
    std::vector<int> wav;
    std::string wavPath;
};

TEST_F(IrUploadTest, ImportStoresTheFirst1200SamplesUnderTheFileName) {
    rig.irEditTarget = 7;
    ImportCabinet(5);
    const Bytes record = ReadFile(UserIrFile(rig, 5));
    ASSERT_EQ(record.size(), 2436u);
    EXPECT_EQ(std::string(record.begin() + 4, record.begin() + 36), "Cabinet 412" + std::string(21, ' '));
    for (int i : {0, 1, 1199}) {
        const auto word = static_cast<std::int16_t>(record[36 + 2 * i] | (record[37 + 2 * i] << 8));
        EXPECT_EQ(word, wav[i]) << i;
    }
    // Samples beyond 1200 stay in the buffer only.
    EXPECT_DOUBLE_EQ(rig.samples[1999], wav[1999] / 32768.0);
    EXPECT_EQ(rig.userIrNames[5], "Cabinet 412");
    EXPECT_EQ(rig.seam.texts[69], "Cabinet 412");
    EXPECT_EQ(rig.upload.LastWavPath(), wavPath);
    EXPECT_TRUE(rig.sent.empty()) << "the record goes out from the periodic task";
}

TEST_F(IrUploadTest, ElevenMessagesOnePerTickAfterReady) {
    ImportCabinet(5);
    rig.Ticks(15);
    ASSERT_EQ(rig.sent.size(), 11u);
    const Bytes& start = rig.sent[0];
    ASSERT_EQ(start.size(), 269u);
    // F0 00 51 21 03 | 60 IR stream start | 0A | 00 05 slot 5 | 00 15 61 = 2785 packed bytes
    EXPECT_EQ(Bytes(start.begin(), start.begin() + 12),
              (Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x60, 0x0A, 0x00, 0x05, 0x00, 0x15, 0x61}));
    for (int i = 1; i <= 9; ++i) {
        EXPECT_EQ(rig.sent[i].size(), 264u) << i;
        EXPECT_EQ(rig.sent[i][5], 0x65) << i;
    }
    EXPECT_EQ(rig.sent[10].size(), 235u);
    EXPECT_EQ(rig.sent[10][5], 0x66);

    // The pedal checked the stream checksum and keeps exactly the cached record.
    const Bytes cached = ReadFile(UserIrFile(rig, 5));
    const auto& stored = rig.pedal.State().userIrs[5];
    EXPECT_EQ(Bytes(stored.begin(), stored.end()), cached);
    EXPECT_EQ(rig.statuses.back(), sysex::status::kIrAssignmentDone);
    EXPECT_EQ(rig.refreshes, 1);
    EXPECT_EQ(rig.storePresets, 0) << "no preset file is pending";
    EXPECT_EQ(rig.seam.groups.back(), "hide progresscontrols");
    EXPECT_EQ(rig.seam.texts[53], "0 %");
    EXPECT_EQ(rig.seam.texts[51], "Sending Impulse Response...");
}

TEST_F(IrUploadTest, WaitsForReadyAfterTheStartMessage) {
    ImportCabinet(9);
    rig.pedal.GetFaults().dropAnswers = 1; // the pedal's Ready for next IR block is lost
    rig.Ticks(10);
    ASSERT_EQ(rig.sent.size(), 1u);
    EXPECT_EQ(rig.seam.texts[53], "9 %"); // 256 of 2785

    const auto ready = sysex::BuildApplicationStatus(sysex::status::kReadyForNextIrBlock);
    rig.inbound.emplace_back(ready.begin(), ready.end());
    rig.Deliver();
    for (std::size_t expected = 2; expected <= 11; ++expected) {
        rig.Tick();
        EXPECT_EQ(rig.sent.size(), expected);
    }
    rig.Ticks(3);
    EXPECT_EQ(rig.sent.size(), 11u) << "nothing follows the end message";
}

TEST_F(IrUploadTest, ARejectedFileIsNeitherStoredNorSent) {
    rig.samples.fill(0.3); // what an earlier import left behind
    const std::string path = rig.folder.File("notes.wav");
    WriteFile(path, Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'L', 'I', 'S', 'T'});
    rig.seam.files.push_back(path);
    rig.upload.SetSelectedSlot(3);
    rig.upload.ImportWav();
    rig.Ticks(5);
    EXPECT_TRUE(rig.sent.empty());
    EXPECT_FALSE(std::filesystem::exists(UserIrFile(rig, 3)));
    ASSERT_EQ(rig.seam.asked.size(), 1u);
    EXPECT_NE(rig.seam.asked[0].find("WAV"), std::string::npos);
    EXPECT_EQ(rig.samples[0], 0.3);
}

TEST_F(IrUploadTest, AWavFileAbove16MiBIsRefusedUnread) {
    ImportCabinet(3); // a good file first, so that the buffer holds something
    rig.Ticks(15);
    const Bytes before = ReadFile(UserIrFile(rig, 3));
    const std::size_t sent = rig.sent.size();
    const IrSampleBuffer samples = rig.samples;

    // A valid WAV head followed by enough silence to pass 16 MiB.
    const std::string path = rig.folder.File("huge.wav");
    WriteFile(path, Wav16(DecayingIr(2000)));
    std::filesystem::resize_file(path, kLargestWavFile + 1);
    rig.seam.files.push_back(path);
    rig.seam.asked.clear();
    rig.upload.ImportWav();
    rig.Ticks(5);
    EXPECT_EQ(rig.sent.size(), sent);
    EXPECT_EQ(ReadFile(UserIrFile(rig, 3)), before);
    EXPECT_EQ(rig.samples, samples);
    ASSERT_EQ(rig.seam.asked.size(), 1u);
    EXPECT_NE(rig.seam.asked[0].find("16 MiB"), std::string::npos);
}

TEST_F(IrUploadTest, NothingIsChosenNothingHappens) {
    rig.upload.ImportWav();
    rig.Ticks(3);
    EXPECT_TRUE(rig.sent.empty());
    EXPECT_TRUE(rig.seam.asked.empty());
    EXPECT_EQ(rig.seam.fileQuestions, std::vector<std::string>{"open wav |"});
}

TEST_F(IrUploadTest, NotConnectedKeepsTheRecordAndSendsNothing) {
    rig.link.connected = false;
    ImportCabinet(2, 800);
    rig.link.connected = true;
    rig.Ticks(5);
    EXPECT_TRUE(rig.sent.empty());
    const Bytes record = ReadFile(UserIrFile(rig, 2));
    ASSERT_EQ(record.size(), 2436u);
    // A file shorter than 1200 frames leaves the rest of the record zero.
    EXPECT_EQ(record[36 + 2 * 800], 0);
    EXPECT_EQ(record[36 + 2 * 1199 + 1], 0);
}

TEST_F(IrUploadTest, AnIrTheLibraryCannotKeepIsNotSent) {
    WriteFile(rig.folder.Path() / "User IRs", Bytes{1}); // a file where the folder should be
    ImportCabinet(4);
    rig.Ticks(5);
    EXPECT_TRUE(rig.sent.empty());
    ASSERT_EQ(rig.seam.asked.size(), 1u);
    EXPECT_NE(rig.seam.asked[0].find("could not be saved"), std::string::npos);
    EXPECT_NE(rig.seam.asked[0].find("Nothing was sent"), std::string::npos);
}

// The pedal stops answering after the start message: the upload ends with a
// message three seconds later, and the library has its earlier IR back (or
// none, as before), so that it agrees with the pedal.
TEST_F(IrUploadTest, APedalThatStopsAnsweringEndsTheUploadAndTheLibraryKeepsItsEarlierIr) {
    const Bytes earlier(2436, 0x05);
    WriteFile(UserIrFile(rig, 4), earlier);
    for (const int slot : {4, 5}) {
        SCOPED_TRACE(slot);
        rig.seam.asked.clear();
        rig.pedal.GetFaults().unplugged = true;
        ImportCabinet(slot);
        rig.Ticks(1 + 29); // the start message goes out, then nothing comes back
        EXPECT_TRUE(rig.seam.asked.empty());
        rig.Tick();
        ASSERT_EQ(rig.seam.asked.size(), 1u);
        EXPECT_EQ(rig.seam.asked[0], "The impulse response did not reach the pedal: it did not answer.\n"
                                     "The pedal and the library keep their earlier IR.");
        if (slot == 4)
            EXPECT_EQ(ReadFile(UserIrFile(rig, 4)), earlier);
        else
            EXPECT_FALSE(std::filesystem::exists(UserIrFile(rig, 5)));
        EXPECT_FALSE(rig.upload.MaySend());
    }
}

TEST_F(IrUploadTest, UploadThenDownloadGivesTheIdenticalRecord) {
    ImportCabinet(40);
    rig.Ticks(12);
    const Bytes uploaded = ReadFile(UserIrFile(rig, 40));
    std::filesystem::remove(UserIrFile(rig, 40));

    rig.download.RequestIr(40);
    rig.Deliver();
    EXPECT_EQ(rig.lastReception, IrReception::Written);
    EXPECT_EQ(ReadFile(UserIrFile(rig, 40)), uploaded);
}

} // namespace
} // namespace tolvane::xfertest
