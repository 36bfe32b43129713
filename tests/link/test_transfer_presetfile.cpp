// Preset files against the pedal model: what a save writes, every check and
// question of a load, the redirection of the file's IRs to the current
// preset's slots, the chained uploads and the Store preset that ends them.

#include "device/LinkTags.h"
#include "test_transfer_rig.h"

#include <gtest/gtest.h>

namespace tolvane::xfertest {
namespace {

ir::RecordBytes Cabinet(int seed, const std::string& name) {
    IrSampleBuffer s{};
    for (int i = 0; i < ir::kSamples; ++i)
        s[i] = ((i * seed) % 200 - 100) / 400.0;
    return ir::BuildRecord(s, ir::ComputeGain(s), name);
}

void UseUserIr(TransferRig& rig, int position, int slot, const std::string& name) {
    rig.SetParam(position == 7 ? kParamIrMode7 : kParamIrMode8, 1);
    rig.SetParam(position == 7 ? kParamUserIr7PresetMsb : kParamUserIr8PresetMsb, slot >> 7);
    rig.SetParam(position == 7 ? kParamUserIr7Preset : kParamUserIr8Preset, slot & 127);
    rig.seam.texts[position == 7 ? 69 : 70] = name;
}

Bytes Save(TransferRig& rig, const std::string& name) {
    const std::string path = rig.folder.File(name);
    rig.seam.files.push_back(path);
    rig.presetFile.SavePresetFile();
    return ReadFile(path);
}

TEST(PresetFileSave, SizeFollowsTheUserIrsAvailable) {
    struct Case {
        const char* what;
        int slot7; // -1: position 7 off
        int slot8; // -1: position 8 off
        std::size_t size;
        int firstRecordSeed; // 0: no record
    };
    const Case cases[] = {
        {"both positions off", -1, -1, 262, 0},
        {"position 7 with a cached IR", 5, -1, 2698, 5},
        {"both positions with cached IRs", 5, 133, 5134, 5},
        {"position 8 alone", -1, 133, 2698, 133},
        {"position 7 at slot 300 is not carried", 300, -1, 262, 0},
        {"position 7 at an IR that is not cached", 6, -1, 262, 0},
    };
    for (const auto& c : cases) {
        TransferRig rig;
        for (int slot : {5, 133, 300})
            rig.files.WriteIrRecord(slot, Cabinet(slot, "Cab " + std::to_string(slot)));
        if (c.slot7 >= 0) UseUserIr(rig, 7, c.slot7, "Seven");
        if (c.slot8 >= 0) UseUserIr(rig, 8, c.slot8, "Eight");
        rig.SetParam(kParamGain, 70);
        rig.link.presetModified = true;
        const Bytes file = Save(rig, "My Tone.dvp");
        ASSERT_EQ(file.size(), c.size) << c.what;
        EXPECT_EQ(std::string(file.begin(), file.begin() + 6), std::string("DVLX\x01\x00", 6)) << c.what;
        EXPECT_EQ(std::string(file.begin() + 6, file.begin() + 38), "My Tone" + std::string(25, ' '))
            << c.what;
        EXPECT_EQ(file[38 + kParamGain], 70) << c.what;
        EXPECT_EQ(std::string(file.begin() + 198, file.begin() + 230),
                  c.slot7 >= 0 ? "Seven" + std::string(27, ' ') : std::string(32, ' '))
            << c.what;
        EXPECT_EQ(std::string(file.begin() + 230, file.begin() + 262),
                  c.slot8 >= 0 ? "Eight" + std::string(27, ' ') : std::string(32, ' '))
            << c.what;
        if (c.firstRecordSeed) {
            const auto record = Cabinet(c.firstRecordSeed, "Cab " + std::to_string(c.firstRecordSeed));
            EXPECT_EQ(Bytes(file.begin() + 262, file.begin() + 2698), Bytes(record.begin(), record.end()))
                << c.what;
        }
        EXPECT_FALSE(rig.seam.texts.contains(134)) << c.what << ": the preset keeps its name";
        EXPECT_FALSE(rig.link.presetModified) << c.what;
        EXPECT_TRUE(rig.sent.empty()) << c.what;
    }
}

// The open question lists only ".dvp" files: a name typed without it gets it.
TEST(PresetFileSave, TheExtensionIsAddedWhenMissing) {
    const std::pair<const char*, const char*> cases[] = {
        {"My Tone", "My Tone.dvp"}, {"My Tone.DVP", "My Tone.DVP"}, {"v1.2", "v1.2.dvp"}};
    for (const auto& [typed, written] : cases) {
        TransferRig rig;
        rig.seam.files.push_back(rig.folder.File(typed));
        rig.presetFile.SavePresetFile();
        EXPECT_EQ(std::filesystem::file_size(rig.folder.File(written)), 262u) << typed;
        EXPECT_EQ(rig.presetFile.LastPath(), rig.folder.File(written)) << typed;
    }
}

TEST(PresetFileSave, AFileThatCannotBeCreatedChangesNothing) {
    TransferRig rig;
    rig.link.presetModified = true;
    rig.seam.files.push_back(rig.folder.File("no such folder/x.dvp"));
    rig.presetFile.SavePresetFile();
    EXPECT_EQ(rig.seam.texts.count(134), 0u);
    EXPECT_TRUE(rig.link.presetModified);
    ASSERT_EQ(rig.seam.asked.size(), 1u);
    EXPECT_NE(rig.seam.asked[0].find("could not be written"), std::string::npos);
}

class PresetFileLoad : public ::testing::Test {
protected:
    // A preset file as the program writes it, with changes made by the caller.
    Bytes File(int gain, std::vector<ir::RecordBytes> records = {}, bool on7 = false, bool on8 = false) {
        PresetFileContent c;
        c.name = ir::PadName("Warm Clean");
        c.values[kParamGain] = static_cast<std::uint8_t>(gain);
        c.values[kParamIrMode7] = on7;
        c.values[kParamIrMode8] = on8;
        c.values[kParamUserIr7Preset] = 3;
        c.values[kParamUserIr8PresetMsb] = 1;
        c.values[kParamUserIr8Preset] = 3;
        c.irName7 = ir::PadName(on7 ? "Room A" : "");
        c.irName8 = ir::PadName(on8 ? "Room B" : "");
        c.records = std::move(records);
        return EncodePresetFile(c);
    }
    void Load(const Bytes& file) {
        const std::string path = rig.folder.File("in.dvp");
        WriteFile(path, file);
        rig.seam.files.push_back(path);
        rig.presetFile.LoadPresetFile();
    }
    void Settle() {
        for (int i = 0; i < 40; ++i)
            rig.Tick();
    }
    // The slots of the IR streams sent, in order.
    std::vector<int> StreamSlots() const {
        std::vector<int> slots;
        for (const auto& m : rig.SentWith(sysex::command::kIrStreamStart))
            slots.push_back(m[7] * 128 + m[8]);
        return slots;
    }
    TransferRig rig;
};

TEST_F(PresetFileLoad, AValuesOnlyFileIsAppliedAndStoredOnce) {
    rig.currentPreset = 9;
    Load(File(77));
    Settle();
    EXPECT_EQ(rig.Param(kParamGain), 77);
    EXPECT_FALSE(rig.link.applyFlag);
    EXPECT_TRUE(rig.link.editTracking);
    EXPECT_TRUE(rig.link.presetModified);
    EXPECT_EQ(rig.seam.colours[1], link::kColourDisplayModified);
    EXPECT_EQ(rig.seam.texts[134], "Warm Clean");
    EXPECT_EQ(rig.storePresets, 1);
    EXPECT_TRUE(StreamSlots().empty());
    EXPECT_EQ(rig.pedal.State().presets[9][34 + kParamGain], 77);
    // The file's IR numbers point at the current preset's own slots.
    EXPECT_EQ(rig.Param(kParamUserIr7PresetMsb) * 128 + rig.Param(kParamUserIr7Preset), 9);
    EXPECT_EQ(rig.Param(kParamUserIr8PresetMsb) * 128 + rig.Param(kParamUserIr8Preset), 137);
}

TEST_F(PresetFileLoad, NotConnectedAppliesButSendsNothing) {
    rig.link.connected = false;
    Load(File(77));
    Settle();
    EXPECT_EQ(rig.Param(kParamGain), 77);
    EXPECT_EQ(rig.storePresets, 0);
}

TEST_F(PresetFileLoad, ChecksAndQuestions) {
    struct Case {
        const char* what;
        std::function<void(Bytes&)> change;
        bool modified;
        bool currentIr7On;
        std::vector<AskResult> answers;
        bool applied;
        std::vector<std::string> asked;
        std::vector<std::string> pending;
    };
    const std::string unsaved = "Current Preset not saved. \nContinue without saving?";
    const std::string overwrite =
        "This operation will overwrite the currently selected User IR. \nContinue without saving?";
    const std::string update = "Unsupported file version. \nPlease update Tolvane \nto the latest version.";
    const Case cases[] = {
        {"wrong magic", [](Bytes& f) { f[3] = 'Y'; }, false, false, {}, false, {}, {"Unknown file format."}},
        {"shorter than the block",
         [](Bytes& f) { f.resize(200); },
         false,
         false,
         {},
         false,
         {},
         {"Unknown file format."}},
        {"a broken record after the block",
         [](Bytes& f) { f.resize(400); },
         false,
         false,
         {},
         false,
         {},
         {"Unknown file format."}},
        {"version 1.1", [](Bytes& f) { f[5] = 1; }, false, false, {}, false, {update}, {}},
        {"version 0.9", [](Bytes& f) { f[4] = 0, f[5] = 9; }, false, false, {}, true, {}, {}},
        {"8192 bytes",
         [](Bytes& f) { f.resize(8192); },
         false,
         false,
         {},
         false,
         {"This file is too large to be a preset file.\nNothing was loaded."},
         {}},
        {"position 7 on a factory cabinet",
         [](Bytes& f) { f[38 + kParamIrMode7] = 1, f[38 + 53] = 3, f[38 + 54] = 0; },
         false,
         false,
         {},
         false,
         {},
         {"Unknown file format."}},
        {"position 8 beyond the factory cabinets",
         [](Bytes& f) { f[38 + kParamIrMode8] = 1, f[38 + 55] = 127, f[38 + 56] = 127; },
         false,
         false,
         {},
         false,
         {},
         {"Unknown file format."}},
        {"a user slot above 255 is kept",
         [](Bytes& f) { f[38 + kParamIrMode8] = 1, f[38 + 55] = 2, f[38 + 56] = 127; },
         false,
         false,
         {},
         true,
         {},
         {}},
        {"unsaved preset, cancel", [](Bytes&) {}, true, false, {AskResult::Cancel}, false, {unsaved}, {}},
        {"unsaved preset, continue", [](Bytes&) {}, true, false, {AskResult::Ok}, true, {unsaved}, {}},
        {"own IR would be overwritten, cancel",
         [](Bytes& f) { f[38 + kParamIrMode7] = 1; },
         false,
         true,
         {AskResult::Cancel},
         false,
         {overwrite},
         {}},
        {"own IR off: no question",
         [](Bytes& f) { f[38 + kParamIrMode7] = 1; },
         false,
         false,
         {},
         true,
         {},
         {}},
    };
    for (const auto& c : cases) {
        TransferRig rig;
        rig.link.presetModified = c.modified;
        rig.SetParam(kParamIrMode7, c.currentIr7On);
        rig.seam.answers.assign(c.answers.begin(), c.answers.end());
        Bytes file = File(77);
        c.change(file);
        const std::string path = rig.folder.File("in.dvp");
        WriteFile(path, file);
        rig.seam.files.push_back(path);
        rig.presetFile.LoadPresetFile();
        EXPECT_EQ(rig.Param(kParamGain) == 77, c.applied) << c.what;
        EXPECT_EQ(rig.seam.asked, c.asked) << c.what;
        EXPECT_EQ(rig.pendingMessages, c.pending) << c.what;
    }
}

TEST_F(PresetFileLoad, TwoRecordsGoToSlotsPAnd128PlusPThenThePresetIsStored) {
    const auto first = Cabinet(7, "Room A");
    const auto second = Cabinet(11, "Room B");
    rig.currentPreset = 9;
    Load(File(60, {first, second}, true, true));
    Settle();
    EXPECT_EQ(StreamSlots(), (std::vector<int>{9, 137}));
    const auto& irs = rig.pedal.State().userIrs;
    EXPECT_EQ(Bytes(irs[9].begin(), irs[9].end()), Bytes(first.begin(), first.end()));
    EXPECT_EQ(Bytes(irs[137].begin(), irs[137].end()), Bytes(second.begin(), second.end()));
    EXPECT_EQ(rig.storePresets, 1);
    EXPECT_EQ(rig.sent.back()[5], sysex::command::kStorePreset) << "stored after both uploads";
    EXPECT_EQ(rig.seam.texts[69], "Room A");
    EXPECT_EQ(rig.seam.texts[70], "Room B");
    EXPECT_EQ(ReadFile(rig.folder.Path() / "User IRs" / "138.dat"), Bytes(second.begin(), second.end()));
}

TEST_F(PresetFileLoad, OneRecordWithBothPositionsGoesToBothSlots) {
    const auto only = Cabinet(7, "Room A");
    rig.currentPreset = 2;
    Load(File(60, {only}, true, true));
    Settle();
    EXPECT_EQ(StreamSlots(), (std::vector<int>{2, 130}));
    const auto& irs = rig.pedal.State().userIrs;
    EXPECT_EQ(irs[2], irs[130]);
    EXPECT_EQ(rig.storePresets, 1);
}

TEST_F(PresetFileLoad, PositionEightAlone) {
    const auto only = Cabinet(5, "Room B");
    rig.currentPreset = 4;
    Load(File(60, {only}, false, true));
    Settle();
    EXPECT_EQ(StreamSlots(), std::vector<int>{132});
    EXPECT_EQ(rig.storePresets, 1);
}

// The name a file carries becomes the preset's name; EXPORT proposes it only
// as a file name, in the folder the file was imported from.
TEST(PresetFileExport, ANameFromAnImportedFileIsProposedOnlyAsAFileName) {
    const std::pair<std::string, std::string> cases[] = {
        {"../../../../somewhere/NAME", "________somewhere_NAME"},
        {"..\\..\\C:\\Users\\x", "____C__Users_x"},
        {"/etc/passwd", "_etc_passwd"},
        {"Line\nbreak\tand\x7f", "Line_break_and_"},
        {"..", "_"},
        {".", "_"},
        {"Lead v1.2...", "Lead v1.2_."},
    };
    for (const auto& [stored, proposed] : cases) {
        TransferRig rig;
        std::filesystem::create_directories(rig.folder.File("chosen"));
        const std::string path = rig.folder.File("chosen/in.dvp");
        PresetFileContent content;
        content.name = ir::PadName(stored);
        WriteFile(path, EncodePresetFile(content));
        rig.seam.files.push_back(path);
        rig.presetFile.LoadPresetFile();
        ASSERT_EQ(rig.seam.texts[134], stored);
        // The program's name field follows the loaded name; so does the rig's.
        rig.presetName = rig.seam.texts[134];

        rig.presetFile.SavePresetFile(); // the question is cancelled
        ASSERT_FALSE(rig.seam.fileQuestions.empty());
        EXPECT_EQ(rig.seam.fileQuestions.back(), "save dvp " + rig.folder.File("chosen") + "|" + proposed)
            << stored;
    }
}

TEST(PresetFileRoundTrip, SavedOnOnePedalLoadedOnAnother) {
    TransferRig source;
    // Factory preset 7 uses user IRs at both positions.
    const auto& preset = source.pedal.State().presets[7];
    for (int i = 0; i < kNumPresetParams; ++i)
        source.SetParam(i, preset[34 + i]);
    const int slot7 = source.Param(kParamUserIr7PresetMsb) * 128 + source.Param(kParamUserIr7Preset);
    const int slot8 = source.Param(kParamUserIr8PresetMsb) * 128 + source.Param(kParamUserIr8Preset);
    for (int slot : {slot7, slot8}) {
        source.download.RequestIr(slot);
        source.Deliver();
    }
    source.seam.texts[69] = "Seven";
    source.seam.texts[70] = "Eight";
    const std::string path = source.folder.File("Moved.dvp");
    ASSERT_EQ(Save(source, "Moved.dvp").size(), 5134u);

    TransferRig target{sim::PedalState{}};
    target.currentPreset = 20;
    target.seam.files.push_back(path);
    target.presetFile.LoadPresetFile();
    for (int i = 0; i < 40; ++i)
        target.Tick();
    const auto& stored = target.pedal.State().presets[20];
    for (int i = 0; i < kNumPresetParams; ++i) {
        const int expected = i == kParamUserIr7PresetMsb   ? 0
                             : i == kParamUserIr7Preset    ? 20
                             : i == kParamUserIr8PresetMsb ? 1
                             : i == kParamUserIr8Preset    ? 20
                                                           : preset[34 + i];
        EXPECT_EQ(stored[34 + i], expected) << "parameter " << i;
    }
    EXPECT_EQ(target.pedal.State().userIrs[20], source.pedal.State().userIrs[slot7]);
    EXPECT_EQ(target.pedal.State().userIrs[148], source.pedal.State().userIrs[slot8]);
}

} // namespace
} // namespace tolvane::xfertest
