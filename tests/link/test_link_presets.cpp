#include "LinkFixture.h"
#include "device/LinkTags.h"
#include "device/TransferTimeouts.h"
#include "library/DataFolder.h"
#include "library/LibraryFiles.h"
#include "library/PresetCache.h"

#include <gtest/gtest.h>

namespace tolvane::testing {
namespace {

// F0 00 51 21 03 5A 0A F7 / ... 5B ...: Begin and End bulk transfer.
const Bytes kBeginBulk = {0xF0, 0x00, 0x51, 0x21, 0x03, 0x5A, 0x0A, 0xF7};
const Bytes kEndBulk = {0xF0, 0x00, 0x51, 0x21, 0x03, 0x5B, 0x0A, 0xF7};
// F0 00 51 21 03 55 0A 00 F7: Request settings block, type 0 (global settings).
const Bytes kRequestGlobal = {0xF0, 0x00, 0x51, 0x21, 0x03, 0x55, 0x0A, 0x00, 0xF7};

// F0 00 51 21 03 40 0A slot F7: Request preset.
Bytes RequestPreset(std::uint8_t slot) {
    return {0xF0, 0x00, 0x51, 0x21, 0x03, 0x40, 0x0A, slot, 0xF7};
}

class Presets : public LinkTest {
protected:
    // Tick 33 sends the identification; the answers up to the checksum list
    // are pumped. Returns what was sent from then on.
    std::size_t Identify() {
        Tick(32);
        const std::size_t mark = wire.sent.size();
        Tick();
        return mark;
    }
    // A bulk load in which the wire to the pedal is held after the first
    // request: that many requests are answered by hand, then the pedal is gone.
    void LoadAnsweredBy(int answered) {
        Start();
        Identify();
        Tick(); // Begin bulk transfer
        wire.toPedal = false;
        Tick(); // the first Request preset
        for (int i = 0; i < answered; ++i) {
            pedal.Receive(wire.sent.back());
            Pump();
        }
    }
    // Put there behind the link's back: the link reads the folder again, as
    // it does when it starts, to learn of it.
    void IrRecordFile(int irNumber) const {
        folder.Write(std::filesystem::path("User IRs") / CacheFileName(irNumber + 1), Bytes(2436, 0));
        if (tolvane) tolvane->Cache().Reload();
    }
    Bytes CachedFile(int slot) const {
        return ReadWholeFile(PresetFilePath(folder.Path(), slot)).value_or(Bytes{});
    }
};

// The library cannot keep what the pedal sends: the load goes on, the user is
// told once, and the slots keep no checksum so that they are read again.
TEST_F(Presets, PresetsTheLibraryCannotKeepAreReportedAndReadAgainNextTime) {
    folder.Write("Presets", {1}); // a file where the folder should be
    Start();
    Connect();
    Idle();
    EXPECT_EQ(screen.Count("ask " + std::string(link::kTextPresetsNotCached)), 1);
    EXPECT_FALSE(tolvane->BulkLoadRunning());
    for (int slot : {0, 64, 127})
        EXPECT_EQ(tolvane->LocalChecksum(slot), (ChecksumPair{0, 0})) << slot;
}

// The pedal goes quiet during the bulk load: three seconds later the load
// ends, says how far it got, leaves the pedal's bulk mode and looks for the
// pedal again; the slots not read keep no checksum.
TEST_F(Presets, ABulkLoadWithoutAnswerEndsAndTheSearchResumes) {
    LoadAnsweredBy(10);
    ASSERT_TRUE(tolvane->BulkLoadRunning());
    Tick(kAnswerTimeoutTicks);
    EXPECT_FALSE(tolvane->BulkLoadRunning());
    EXPECT_FALSE(tolvane->Connected());
    EXPECT_EQ(wire.sent.back(), kEndBulk);
    Idle();
    EXPECT_TRUE(screen.Has("ask Loading presets stopped: the pedal did not answer.\n10 of 128 presets were read; "
                           "the rest are read at the next connection."))
        << screen.calls.back();
    EXPECT_EQ(tolvane->LocalChecksum(100), (ChecksumPair{0, 0}));
    // The search goes on: once the pedal is back, the rest is loaded.
    wire.toPedal = true;
    Connect();
    EXPECT_TRUE(tolvane->Connected());
    EXPECT_NE(tolvane->LocalChecksum(100), (ChecksumPair{0, 0}));
}

// Texts left for the idle step are shown whole, also those longer than a
// line or two: a load cut short by the ports going away, and the host's
// notice that the sound system stopped. Both used to lose their ends.
TEST_F(Presets, LongMessagesForTheIdleStepAreShownWhole) {
    LoadAnsweredBy(10);
    tolvane->MidiPortsGone();
    Idle();
    EXPECT_TRUE(screen.Has("ask Loading presets stopped: the pedal's MIDI ports went away.\n10 of 128 presets "
                           "were read; the rest are read at the next connection."))
        << screen.calls.back();

    const std::string notice = "The sound system has stopped: the audio stream and the MIDI ports were closed.\n"
                               "Tolvane opens them again by itself when the sound system runs again.";
    tolvane->ShowHostMessage(notice);
    Idle();
    EXPECT_TRUE(screen.Has("ask " + notice)) << screen.calls.back();
}

TEST_F(Presets, AllChecksumsEqualGoesStraightToTheGlobalBlock) {
    CacheAllPedalPresets();
    Start();
    const std::size_t mark = Identify();
    const auto sent = SentSince(mark);
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(Command(sent[0]), 0x55); // identification request
    EXPECT_EQ(Command(sent[1]), 0x55); // checksum list request
    EXPECT_EQ(sent[2], kRequestGlobal);
    for (const auto& m : sent)
        EXPECT_NE(m, kBeginBulk);
    EXPECT_FALSE(tolvane->BulkLoadRunning());
}

TEST_F(Presets, OnlyTheSlotThatDiffersIsLoaded) {
    // The current slot uses no user IR, so no IR request joins the sequence.
    pedal.MutableState().presets[7][34 + kParamIrMode7] = 0;
    pedal.MutableState().presets[7][34 + kParamIrMode8] = 0;
    CacheAllPedalPresets();
    pedal.MutableState().presets[5][40] ^= 0x01;
    pedal.MutableState().currentPreset = 7;
    Start();
    Identify();
    ASSERT_TRUE(tolvane->BulkLoadRunning());

    std::size_t mark = wire.sent.size();
    Tick();
    EXPECT_EQ(SentSince(mark), (std::vector<Bytes>{kBeginBulk}));

    mark = wire.sent.size();
    Tick();
    EXPECT_EQ(SentSince(mark),
              (std::vector<Bytes>{RequestPreset(5), kRequestGlobal, kEndBulk, RequestPreset(7)}));
    const auto& stored = pedal.State().presets[5];
    EXPECT_EQ(CachedFile(5), Bytes(stored.begin(), stored.end()));
    EXPECT_FALSE(tolvane->BulkLoadRunning());
    EXPECT_FALSE(tolvane->Flags().applyFlag.load());
    // The progress overlay, naming the load, came and went.
    EXPECT_TRUE(screen.Has("text 51 Loading Presets..."));
    EXPECT_TRUE(screen.Has("show progresscontrols"));
    EXPECT_TRUE(screen.Has("text 53 100 %"));
    EXPECT_TRUE(screen.Has("hide progresscontrols"));
    // The current preset's values are now the editor's.
    EXPECT_EQ(tolvane->CurrentPreset(), 7);
    EXPECT_EQ(tolvane->GetParam(kParamGain)->Int(), pedal.State().presets[7][34 + kParamGain]);
}

TEST_F(Presets, ADumpWithABadChecksumDuringTheLoadIsAskedForAgain) {
    CacheAllPedalPresets();
    pedal.MutableState().presets[5][40] ^= 0x01;
    pedal.MutableState().presets[9][40] ^= 0x01;
    Start();
    Identify();
    Tick(); // Begin bulk transfer
    pedal.GetFaults().corruptBlocks = 1;
    const std::size_t mark = wire.sent.size();
    Tick();
    const auto sent = SentSince(mark);
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent[0], RequestPreset(5));
    EXPECT_EQ(sent[1], RequestPreset(5));
    EXPECT_EQ(sent[2], RequestPreset(9));
    EXPECT_EQ(CachedFile(9).size(), 256u);
    EXPECT_EQ(tolvane->LocalChecksum(5), LabelPresetsFromSlotFiles(folder.Path(), 0).checksums[5]);
}

TEST_F(Presets, EmptyLocalSlotMatchesAnEmptyPedalSlot) {
    // A slot whose pedal checksum is 00 00 and whose file is missing is not loaded.
    CacheAllPedalPresets();
    pedal.MutableState().presets[3].fill(0);
    std::filesystem::remove(PresetFilePath(folder.Path(), 3));
    Start();
    Identify();
    EXPECT_FALSE(tolvane->BulkLoadRunning());
}

TEST_F(Presets, NormalDumpMovesHighlightAndScroll) {
    CacheAllPedalPresets();
    Start();
    Connect();
    struct Case {
        int slot;
        int scroll; // parameter 70: 109 - min(slot, 109)
    };
    for (const Case c : {Case{115, 0}, Case{0, 109}, Case{20, 89}}) {
        screen.calls.clear();
        pedal.ChangePreset(c.slot);
        Pump();
        EXPECT_EQ(tolvane->CurrentPreset(), c.slot);
        EXPECT_EQ(tolvane->GetParam(kParamScroll)->Int(), c.scroll) << c.slot;
        EXPECT_TRUE(screen.Has("colour " + std::to_string(1000 + c.slot) + " 255,100,255,255"));
        EXPECT_FALSE(tolvane->Flags().presetModified.load());
        for (int i = 0; i < kNumPresetParams; ++i)
            ASSERT_EQ(tolvane->StoredValues()[i], pedal.State().presets[c.slot][34 + i]) << i;
    }
}

TEST_F(Presets, AtMostOneRequestForAMissingUserIr) {
    auto& preset = pedal.MutableState().presets[4];
    preset[34 + kParamIrMode7] = 1;
    preset[34 + kParamIrMode8] = 1;
    preset[34 + kParamUserIr7PresetMsb] = 1; // IR 7: 1 * 128 + 2 = 130
    preset[34 + kParamUserIr7Preset] = 2;
    preset[34 + kParamUserIr8PresetMsb] = 0; // IR 8: 9
    preset[34 + kParamUserIr8Preset] = 9;
    CacheAllPedalPresets();
    Start();
    Connect();
    // F0 00 51 21 03 69 0A 01 02 F7: Request impulse response 130.
    const Bytes request130 = {0xF0, 0x00, 0x51, 0x21, 0x03, 0x69, 0x0A, 0x01, 0x02, 0xF7};
    const auto irRequests = [&](std::size_t from) {
        std::vector<Bytes> found;
        for (const auto& m : SentSince(from))
            if (Command(m) == 0x69) found.push_back(m);
        return found;
    };
    std::size_t mark = wire.sent.size();
    pedal.ChangePreset(4);
    Pump();
    EXPECT_EQ(irRequests(mark), (std::vector<Bytes>{request130}));

    // Once the IR of position 7 is cached, nothing is asked for while 7 is on.
    IrRecordFile(130);
    mark = wire.sent.size();
    pedal.ChangePreset(4);
    Pump();
    EXPECT_TRUE(irRequests(mark).empty());
}

TEST_F(Presets, StorePresetCarriesTheNameCutOrPadded) {
    CacheAllPedalPresets();
    Start();
    Connect();
    struct Case {
        std::string name;
        std::string onWire;
    };
    const Case cases[] = {{"", std::string(32, ' ')},
                          {"LEAD", "LEAD" + std::string(28, ' ')},
                          {std::string(40, 'N'), std::string(32, 'N')}};
    for (const Case& c : cases) {
        const std::size_t mark = wire.sent.size();
        tolvane->CommitPresetName(c.name);
        const auto sent = SentSince(mark);
        ASSERT_EQ(sent.size(), 1u);
        const Bytes& m = sent[0];
        ASSERT_EQ(m.size(), 267u);
        EXPECT_EQ(m[5], 0x20);                     // Store preset
        EXPECT_EQ(m[7], tolvane->CurrentPreset()); // slot
        EXPECT_EQ(m[8], 1);                        // record offset 0
        EXPECT_EQ(std::string(m.begin() + 10, m.begin() + 42), c.onWire);
        EXPECT_EQ(m[8 + 34 + kParamGain], tolvane->DeviceValues()[kParamGain]);
        EXPECT_EQ(pedal.State().presets[tolvane->CurrentPreset()][2], c.onWire[0]);
    }
}

TEST_F(Presets, SaveToSlotWritesTheAnsweringDumpAsTheSlotFile) {
    CacheAllPedalPresets();
    Start();
    Connect();
    std::filesystem::remove(PresetFilePath(folder.Path(), tolvane->CurrentPreset()));
    tolvane->PressSave();
    ASSERT_TRUE(tolvane->SaveArmed());
    const std::size_t mark = wire.sent.size();
    tolvane->PressSave();
    // F0 00 51 21 03 50 0A 12 slot F7: Set parameter 18 = the current slot.
    ASSERT_FALSE(SentSince(mark).empty());
    EXPECT_EQ(SentSince(mark)[0], (Bytes{0xF0, 0x00, 0x51, 0x21, 0x03, 0x50, 0x0A, 0x12,
                                         static_cast<std::uint8_t>(tolvane->CurrentPreset()), 0xF7}));
    Pump();
    EXPECT_FALSE(tolvane->SaveArmed());
    EXPECT_EQ(CachedFile(tolvane->CurrentPreset()).size(), 256u);
}

} // namespace
} // namespace tolvane::testing
