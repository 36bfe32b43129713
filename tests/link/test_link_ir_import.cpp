// A WAV file imported into the user IR slot of factory preset 7 (which plays
// user IR 1, "Alnico Blue 1x12", until then): the file's name stays the
// slot's name after the preset is saved, after a restart of the editor, and
// inside a preset file exported afterwards.

#include "LinkFixture.h"
#include "test_transfer_wavfixture.h"

#include "device/SysexConstants.h"
#include "library/PresetFile.h"

namespace tolvane::testing {
namespace {

constexpr int kPreset = 7;

TEST_F(LinkTest, AnImportedIrKeepsItsNameAcrossSaveRestartAndPresetFile) {
    CacheAllPedalPresets();
    StartWired();
    Connect();
    pedal.ChangePreset(kPreset);
    Pump();
    ASSERT_TRUE(screen.Has("text 69 Alnico Blue 1x12"));

    const auto wav = folder.Path() / "MyCab_Bright.wav";
    xfertest::WriteFile(wav, xfertest::Wav16(xfertest::DecayingIr(1500)));
    screen.files.push_back(wav.string());
    tolvane->ImportIrFile(kPreset, 7);
    Tick(20);
    tolvane->PressSave();
    tolvane->PressSave();
    Tick();
    ASSERT_EQ(pedal.State().presets[kPreset][sim::kPresetValuesOffset + kParamUserIr7Preset], kPreset);

    tolvane.reset();
    screen.calls.clear();
    StartWired();
    Connect();
    pedal.ChangePreset(kPreset + 1);
    Pump();
    pedal.ChangePreset(kPreset);
    Pump();
    std::string shown;
    for (const auto& call : screen.calls)
        if (call.rfind("text 69 ", 0) == 0) shown = call.substr(8);
    EXPECT_EQ(shown, "MyCab_Bright");

    const auto dvp = (folder.Path() / "Bright.dvp").string();
    screen.files.push_back(dvp);
    tolvane->SavePresetFile();
    const auto bytes = xfertest::ReadFile(dvp);
    PresetFileContent content;
    ASSERT_EQ(DecodePresetFile(bytes, content), PresetFileRead::Ok);
    EXPECT_EQ(content.irName7, ir::PadName("MyCab_Bright"));
}

} // namespace
} // namespace tolvane::testing
