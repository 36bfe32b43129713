// The overlays drawn over the main page: the firmware-update page, the
// custom-IR picker, the global settings page with the knob CC and
// program-mapping pages, the about picture and the progress panel.

#include "device/Tolvane.h"
#include "ui/InvisibleSelectControl.h"
#include "ui/PageBuilder.h"

#include <cstdio>

namespace tolvane::ui {

namespace {

constexpr Rect kWholeCanvas{0, 0, 1920, 1200};
constexpr Colour kDialText{255, 24, 24, 24};

struct SettingPair {
    const char* heading;
    float x, y; // top-left of the heading
    int param;
};

constexpr SettingPair kSettingPairs[] = {
    {"PATCH OFFSET", 760, 350, kParamPatchOffset},
    {"EDIT POT DISPLAY MODE", 760, 450, kParamEditPotDisplayMode},
    {"PRESET PROTECTION WRITER", 760, 550, kParamPresetProtectionWriter},
    {"TUNER FREQUENCY", 980, 350, kParamTunerFrequency},
    {"TUNER DETUNE", 980, 450, kParamTunerDetune},
    {"MIDI THRU FUNCTION", 980, 550, kParamMidiThruMode},
    {"MIDI MAPPING", 1200, 350, kParamDefineMidiMapping},
    {"MIDI CC MODE", 1200, 450, kParamMidiCcMode},
    {"MIDI CHANNEL SELECT", 1200, 550, kParamMidiCcChannel},
};

// The controller-jack set-up the pedal reports in its type-1 block. The rest
// of the jack set-up has no known place in any block, so it is not shown.
constexpr SettingPair kJackPairs[] = {
    {"JACK 1 MODE", 760, 350, kParamJack1Mode},
    {"JACK 1 POLARITY", 760, 450, kParamJack1Polarity},
    {"JACK 2 MODE", 980, 350, kParamJack2Mode},
    {"JACK 2 POLARITY", 980, 450, kParamJack2Polarity},
    {"PEDAL 2 MODE", 1200, 350, kParamPedal2Mode},
    {"PEDAL 2 CHANNEL", 1200, 450, kParamPedal2MidiChannel},
};

constexpr const char* kKnobCcCaptions[] = {"DRIVE",  "LOW",  "MID",    "HIGH",
                                           "REVERB", "GATE", "FILTER", "LEVEL"};

double ParamValue(const Tolvane& plugin, int index) {
    const Param* p = plugin.GetParam(index);
    return p ? p->Value() : 0.0;
}

// The overlay pictures are 1920 x 1080; the strip below them is dimmed the
// same way so the page under an overlay is veiled to the bottom edge.
void OverlayPicture(PageBuilder& b, const char* picture, const char* group, ControlTag tag = kNoTag) {
    b.Picture(0, 0, picture, group, tag);
    b.g.AddControl(std::make_unique<PanelControl>(Rect{0, 1080, 1920, 1200}, Colour{212, 4, 4, 5}), kNoTag, group);
}

VectorNumberBoxControl* NumberBox(PageBuilder& b, const Rect& r, int param, const char* label,
                              const char* group) {
    return b.g.AddControl(std::make_unique<VectorNumberBoxControl>(r, param, nullptr, label, b.styles.base,
                                                               ParamValue(b.plugin, param), 0.0, 127.0,
                                                               "%0.0f"),
                          kNoTag, group);
}

void AddCustomIrPicker(PageBuilder& b) {
    const char* group = kGroupCustomIr;
    b.g.AddControl(std::make_unique<PanelControl>(Rect{314, 470, 1164, 1070}, Colour{223, 16, 16, 16}),
                   kNoTag, group);
    b.Button(kWholeCanvas, "", b.styles.backdrop, group, [](EditorUi& u) { u.CloseCustomIrPicker(); });
    TextStyle bank;
    bank.size = 24;
    bank.colour = colours::kBlack;
    b.g.AddControl(std::make_unique<CaptionControl>(Rect{689, 490, 839, 520}, kParamCustomIrBank, bank,
                                                     colours::kGrey200, false),
                   kNoTag, group);
    const TextStyle row = b.styles.irRow.WithColour(kColourIrSlotRow);
    for (int column = 0; column < 2; ++column) {
        const float left = column == 0 ? 460.f : 770.f;
        for (int j = 0; j < kIrSlotsPerColumn; ++j) {
            char text[32];
            std::snprintf(text, sizeof text, "Empty Slot %d", j + 1 + column * kIrSlotsPerColumn);
            const float top = 550.f + 30.f * static_cast<float>(j);
            b.ui->controls.irSlotRows[column * kIrSlotsPerColumn + j] =
                b.Text({left, top, left + 300, top + 28}, text, row, group, kNoTag, Colour{255, 38, 38, 38});
        }
        b.g.AddControl(
            std::make_unique<InvisibleSelectControl>(Rect{left, 550, left + 300, 1030},
                                                       column == 0 ? kParamIrSlotLeft : kParamIrSlotRight),
            kNoTag, group);
    }
    b.g.HideGroup(group);
}

// A heading over a drop-down of each setting.
template <std::size_t N>
void AddSettingPairs(PageBuilder& b, const SettingPair (&pairs)[N], const char* group) {
    // 16 units keeps the longest heading ("PRESET PROTECTION WRITER") clear of its neighbour.
    const TextStyle heading = b.styles.panelText.WithSize(16);
    TextStyle caption;
    caption.size = 24;
    caption.colour = colours::kLightGrey;
    for (const SettingPair& s : pairs) {
        b.Text({s.x, s.y, s.x + 200, s.y + 30}, s.heading, heading, group);
        b.g.AddControl(std::make_unique<CaptionControl>(Rect{s.x, s.y + 30, s.x + 200, s.y + 70}, s.param,
                                                         caption, colours::kDarkGrey, false),
                       kNoTag, group);
    }
}

void AddGlobalSettingsPage(PageBuilder& b) {
    const char* group = kGroupGlobalSettings;
    b.Button(kWholeCanvas, "", b.styles.backdrop, group, [](EditorUi& u) { u.CloseGlobalSettings(); });
    OverlayPicture(b, "globalbg.png", group);
    b.Button({1444, 220, 1499, 260}, "X", b.styles.ButtonAt(30), group,
             [](EditorUi& u) { u.CloseGlobalSettings(); });

    AddSettingPairs(b, kSettingPairs, group);

    b.Text({900, 710, 1300, 740}, "RESET TO FACTORY DEFAULT SETTINGS",
           b.styles.body.WithColour(colours::kLightGrey).WithAlign(HAlign::Centre), group);
    const VectorStyle button = b.styles.ButtonAt(20);
    b.Button({760, 760, 960, 810}, "ALL", button, group,
             [](EditorUi& u) { u.Plugin().FactoryResetButton(0); });
    b.Button({980, 760, 1180, 810}, "PRESETS", button, group,
             [](EditorUi& u) { u.Plugin().FactoryResetButton(1); });
    b.Button({1200, 760, 1400, 810}, "SETTINGS", button, group,
             [](EditorUi& u) { u.Plugin().FactoryResetButton(2); });
    b.Button({1410, 383, 1510, 423}, "SETUP", button, group,
             [](EditorUi& u) { u.Plugin().OpenProgramMapPage(); });
    b.Button({1410, 483, 1510, 523}, "SETUP", button, group,
             [](EditorUi& u) { u.Plugin().OpenKnobCcPage(); });
    b.Text({760, 640, 1190, 685}, "CONTROLLER JACKS",
           b.styles.panelText.WithSize(16).WithAlign(HAlign::Far).WithVAlign(VAlign::Middle), group);
    b.Button({1200, 640, 1400, 685}, "JACKS", button, group, [](EditorUi& u) { u.Plugin().OpenJacksPage(); });
}

void AddJacksPage(PageBuilder& b) {
    const char* group = kGroupJacks;
    OverlayPicture(b, "globalbg.png", group);
    b.Button({1040, 250, 1160, 300}, "BACK", b.styles.ButtonAt(20), group,
             [](EditorUi& u) { u.Plugin().LeaveJacksPage(); });
    AddSettingPairs(b, kJackPairs, group);
    b.g.HideGroup(group);
}

void AddKnobCcPage(PageBuilder& b) {
    const char* group = kGroupKnobCc;
    OverlayPicture(b, "globalbg.png", group);
    for (int k = 0; k < kNumKnobCcParams; ++k) {
        const float top = 353.f + 50.f * static_cast<float>(k);
        NumberBox(b, {1103, top, 1217, top + 44}, kFirstKnobCcParam + k, "", group);
    }
    const TextStyle caption =
        b.styles.panelText.WithSize(30).WithAlign(HAlign::Far).WithVAlign(VAlign::Middle);
    for (int k = 0; k < kNumKnobCcParams; ++k) {
        const float top = 353.f + 50.f * static_cast<float>(k);
        b.Text({863, top, 1077, top + 44}, kKnobCcCaptions[k], caption, group);
    }
    b.Button({1040, 250, 1160, 300}, "BACK", b.styles.ButtonAt(20), group,
             [](EditorUi& u) { u.Plugin().LeaveKnobCcPage(); });
    b.g.HideGroup(group);
}

void AddProgramMapPage(PageBuilder& b) {
    const char* group = kGroupProgramMap;
    OverlayPicture(b, "globalbg.png", group);
    b.Button({1040, 250, 1160, 300}, "BACK", b.styles.ButtonAt(20), group,
             [](EditorUi& u) { u.Plugin().LeaveProgramMapPage(); });
    b.Picture(850, 330, "pellory.png", group);
    NumberBox(b, {900, 500, 1050, 550}, kParamControllerProgram, "Ctrl. Program (0-127)", group);
    NumberBox(b, {1150, 500, 1300, 550}, kParamDunvaleProgram, "Ostrel Program (0-127)", group);
    b.g.HideGroup(group);
}

} // namespace

void AddFirmwarePage(PageBuilder& b) {
    OverlayPicture(b, "fwbg.png", kGroupFirmwareBackground, kTagFirmwareBackground);
    b.Button({1000, 650, 1200, 715}, "UPDATE FIRMWARE", b.styles.button, kGroupFirmwareUpdate,
             [](EditorUi& u) { u.UpdateFirmware(); });
    const Colour linkColour{255, 116, 116, 116};
    b.g.AddControl(std::make_unique<UrlControl>(Rect{748, 346, 948, 376}, b.ui->Hooks().makerSiteText,
                                                 b.ui->Hooks().makerSiteUrl, b.styles.panelText.WithSize(25),
                                                 colours::kTransparent, linkColour),
                   kNoTag, kGroupFirmwareUpdate);
    b.Button({1508, 310, 1563, 350}, "X", b.styles.ButtonAt(30), kGroupFirmwareUpdate,
             [](EditorUi& u) { u.CloseFirmwarePage(); });
    b.g.HideGroup(kGroupFirmwareBackground);
    b.g.HideGroup(kGroupFirmwareUpdate);

    b.g.AddControl(
        std::make_unique<VectorKnobControl>(Rect{1010, 710, 1185, 885}, kNoParam, "PERCENT", b.styles.knob),
        kTagFirmwareKnob, kGroupFirmwareProgress);
    // The percentage sits on the dial's light disc, so it is drawn dark.
    b.Text({1010, 705, 1185, 880}, "0 %",
           b.styles.panelText.WithSize(50).WithVAlign(VAlign::Middle).WithColour(kDialText),
           kGroupFirmwareProgress, kTagFirmwareText);
    b.g.HideGroup(kGroupFirmwareProgress);
}

void AddSettingsPages(PageBuilder& b) {
    AddCustomIrPicker(b);
    AddGlobalSettingsPage(b);
    AddKnobCcPage(b);
    AddProgramMapPage(b);
    AddJacksPage(b);
    b.g.HideGroup(kGroupGlobalSettings);
}

void AddAboutAndProgress(PageBuilder& b) {
    b.Picture(0, 0, "about.png", kGroupAbout);
    // Set a little apart from the end of the logo, which reaches x 1258.
    b.Text({1274, 314, 1404, 360}, "v" + b.ui->Hooks().version,
           b.styles.panelText.WithSize(40).WithAlign(HAlign::Near).WithVAlign(VAlign::Middle), kGroupAbout);
    b.Button(kWholeCanvas, "", b.styles.backdrop, kGroupAbout, [](EditorUi& u) {
        if (Canvas* g = u.Graphics()) g->HideGroup(kGroupAbout);
    });
    b.g.HideGroup(kGroupAbout);

    const char* group = kGroupProgress;
    b.g.AddControl(std::make_unique<PanelControl>(Rect{850, 400, 1250, 800}, Colour{208, 32, 32, 32}),
                   kNoTag, group);
    b.Text({850, 400, 1250, 470}, link::kTextLoadingPresets,
           b.styles.panelText.WithSize(40).WithVAlign(VAlign::Middle), group, kTagProgressCaption);
    b.g.AddControl(
        std::make_unique<VectorKnobControl>(Rect{950, 500, 1150, 700}, kNoParam, "PRESET", b.styles.knob),
        kTagProgressKnob, group);
    b.Text({850, 400, 1250, 800}, "0 %", b.styles.panelText.WithSize(60).WithVAlign(VAlign::Middle).WithColour(kDialText),
           group, kTagProgressText);
    b.g.HideGroup(group);
}

} // namespace tolvane::ui
