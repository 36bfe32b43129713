// The IR page's IMPORT button of row 7, pressed on the canvas of a connected
// editor. The factory presets 7, 31, 79 and 127 set the scene: preset 7
// plays user IR 1 at position 7, and its own slot 7 is the one presets 31,
// 79 and 127 play ("Silver Bell 2x12").

#include "PagesFixture.h"

#include "device/SysexConstants.h"
#include "library/LibraryTransferFiles.h"
#include "link/test_transfer_wavfixture.h"

#include <filesystem>

namespace tolvane::testing {
namespace {

// The IMPORT button of IR row 7 on the IR page.
constexpr float kImportX = 1019.f, kImportY = 1087.f;
constexpr int kPreset = 7;

class IrImportTest : public PagesTest {
protected:
    void SetUp() override {
        plugin->SetTransferFiles(LibraryTransferFiles(folder.Path()));
        Connect();
        pedal.ChangePreset(kPreset);
        Pump();
        pages->ShowSectionPage(ui::kPageIr);
        Frame();
        ASSERT_EQ(plugin->CurrentPreset(), kPreset);
        ASSERT_EQ(Text(69), "Alnico Blue 1x12");
    }

    std::string WriteWav(const std::string& name) {
        const auto path = folder.Path() / name;
        xfertest::WriteFile(path, xfertest::Wav16(xfertest::DecayingIr(1500)));
        return path.string();
    }
    int SlotAtPosition7() const {
        return ParamInt(kParamUserIr7PresetMsb) * 128 + ParamInt(kParamUserIr7Preset);
    }
    std::optional<ir::RecordBytes> CachedSlot7() { return WavIrFiles(folder.Path()).ReadIrRecord(kPreset); }
};

// Cancel, a file that is no WAV, one above 16 MiB, and No to the question
// about the presets sharing the slot: the pedal hears nothing at all.
TEST_F(IrImportTest, EveryRefusalLeavesThePedalAsItWas) {
    const std::string bad = (folder.Path() / "notes.wav").string();
    xfertest::WriteFile(bad, Bytes{'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v'});
    const std::string huge = WriteWav("Huge.wav");
    std::filesystem::resize_file(huge, 17u * 1024u * 1024u);
    const std::string good = WriteWav("MyCab_Bright.wav");
    const int off = plugin->PatchOffset();
    const std::string sharers =
        std::to_string(31 + off) + ", " + std::to_string(79 + off) + ", " + std::to_string(127 + off);
    struct Case {
        const char* what;
        std::string file;
        AskResult answer;
        std::string told; // the start of the last message shown
    };
    const Case cases[] = {
        {"cancelled", "", AskResult::Ok, "file:wav"},
        {"not a WAV", bad, AskResult::Ok, "This file cannot be read as a WAV file."},
        {"too large", huge, AskResult::Ok, "This WAV file is larger than 16 MiB"},
        {"shared slot kept", good, AskResult::Cancel,
         "The user IR slot this import replaces is also used by presets " + sharers + "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto edit = pedal.State().editBuffer;
        const auto stored = pedal.State().userIrs[kPreset];
        const auto cached = CachedSlot7();
        const int slot = SlotAtPosition7();
        platform.file = c.file;
        platform.answer = c.answer;
        platform.asked.clear();
        const auto mark = Mark();

        ClickButton(kImportX, kImportY);
        Tick(5);
        Frame();

        EXPECT_TRUE(SentSince(mark).empty());
        EXPECT_EQ(pedal.State().editBuffer, edit);
        EXPECT_EQ(pedal.State().userIrs[kPreset], stored);
        EXPECT_EQ(SlotAtPosition7(), slot);
        EXPECT_EQ(CachedSlot7(), cached);
        EXPECT_EQ(Text(69), "Alnico Blue 1x12");
        ASSERT_FALSE(platform.asked.empty());
        EXPECT_EQ(platform.asked.back().rfind(c.told, 0), 0u) << platform.asked.back();
    }
}

// Yes to the question: the slot gets the IR, position 7 plays it, and the
// file's name is the slot's name wherever it is shown, for every preset
// that plays the slot, also after saving and stepping away and back.
TEST_F(IrImportTest, AnAcceptedImportNamesTheSlotForEveryPresetThatPlaysIt) {
    platform.file = WriteWav("MyCab_Bright.wav");
    platform.answer = AskResult::Ok;
    ClickButton(kImportX, kImportY);
    Tick(20);
    Frame();
    EXPECT_EQ(Text(69), "MyCab_Bright");
    EXPECT_EQ(SlotAtPosition7(), kPreset);
    const auto& ir = pedal.State().userIrs[kPreset];
    EXPECT_EQ(std::string(ir.begin() + ir::kNameOffset, ir.begin() + ir::kNameOffset + ir::kNameLength),
              ir::PadName("MyCab_Bright"));

    plugin->HandleEditorCommand(EditorCommand::SavePresetToSlot);
    Pump();
    plugin->HandleEditorCommand(EditorCommand::PresetUp);
    Pump();
    plugin->HandleEditorCommand(EditorCommand::PresetDown);
    Pump();
    Frame();
    ASSERT_EQ(plugin->CurrentPreset(), kPreset);
    EXPECT_EQ(Text(69), "MyCab_Bright");

    pedal.ChangePreset(127);
    Pump();
    Frame();
    EXPECT_EQ(Text(69), "MyCab_Bright");
}

} // namespace
} // namespace tolvane::testing
