// The main page: the virtual pedal (knobs, number display, switches), the
// preset list with its scroll bar, the graphs, the preset-name field and the
// device status lines.

#include "device/Tolvane.h"
#include "ui/DynamicsResponseGraph.h"
#include "ui/FreqResponseGraph.h"
#include "ui/InvisibleSelectControl.h"
#include "ui/PageBuilder.h"
#include "ui/SevenSegmentText.h"

#include <cstdio>

namespace tolvane::ui {

namespace {

struct PedalKnob {
    float x, y; // centre
    const char* bitmap;
    int param;
};

constexpr PedalKnob kPedalKnobs[] = {
    {770.f, 189.f, "knobrotate.png", kParamDrive},
    {913.f, 190.f, "knobrotate.png", kParamLow},
    {1055.5f, 191.f, "knobrotate.png", kParamMid},
    {1198.5f, 191.f, "knobrotate.png", kParamHigh},
    {1342.f, 191.f, "knobrotate.png", kParamReverb},
    {984.5f, 347.5f, "knobrotate.png", kParamGate},
    {1127.5f, 347.5f, "knobrotate.png", kParamAutoFilterLevel},
    {769.5f, 349.5f, "knobrotatebig.png", kParamLevel},
};

constexpr Rect kNumberDisplay{1255, 315, 1383, 403};
constexpr Colour kRowBackground{255, 38, 38, 38};
constexpr Colour kCurveColour{255, 100, 255, 255};
constexpr Colour kNameColour{255, 100, 255, 255};

} // namespace

void AddPedalKnobs(PageBuilder& b) {
    for (const auto& k : kPedalKnobs) {
        const Bitmap bitmap = b.g.LoadBitmap(k.bitmap);
        // A knob is its bitmap's size centred on the point.
        b.g.AddControl(std::make_unique<BitmapKnobRotaterControl>(Rect{k.x, k.y, k.x, k.y}, bitmap, k.param),
                       kNoTag, kGroupPedal);
    }
    b.g.AddControl(std::make_unique<SevenSegmentText>(kNumberDisplay, "188", b.styles.sevenSegGhost),
                   kTagNumberGhost, kGroupPedal);
    b.g.AddControl(std::make_unique<SevenSegmentText>(kNumberDisplay, "00", b.styles.sevenSeg),
                   kTagNumberDisplay, kGroupPedal);
}

void AddPresetList(PageBuilder& b) {
    for (int i = 0; i < kPresetSlotCount; ++i) {
        char text[16];
        std::snprintf(text, sizeof text, " %02d", i + 1);
        const float top = kListTop + kRowPitch * static_cast<float>(i);
        b.ui->controls.presetRows[i] = b.Text(Rect{kListLeft, top, 261, top + 48}, text, b.styles.listRow, "",
                                              kTagPresetRowFirst + i, kRowBackground);
        // Long names end in "…" before the scroll bar.
        b.ui->controls.presetRows[i]->SetElide(true);
    }
    b.ui->controls.listSurface = b.g.AddControl(
        std::make_unique<InvisibleSelectControl>(Rect{1, 228, 260, 1178}, kParamPresetListRow), kNoTag, "");

    VectorStyle bar = b.styles.base.WithRoundness(0.2f).WithShowLabel(false).WithShowValue(false);
    bar.hideCursor = false;
    b.g.AddControl(
        std::make_unique<VectorSliderControl>(Rect{260, 230, 300, 1170}, kParamScroll, "", bar, true, 12.f),
        kNoTag, kGroupMain);
}

void AddPedalSwitches(PageBuilder& b) {
    auto ui = b.ui;
    b.Button({15, 170, 130, 215}, "IMPORT", b.styles.button, kGroupMain, [](EditorUi& u) {
        if (u.Hooks().loadPresetFile) u.Hooks().loadPresetFile();
    });
    b.Button({135, 170, 250, 215}, "EXPORT", b.styles.button, kGroupMain, [](EditorUi& u) {
        if (u.Hooks().savePresetFile) u.Hooks().savePresetFile();
    });

    const Bitmap fswitch = b.g.LoadBitmap("fswitch.png", 2);
    auto footswitch = [&](float x, float y, ControlTag tag, std::function<void(EditorUi&, Control&)> act) {
        b.g.AddControl(
            std::make_unique<BitmapButtonControl>(x, y, fswitch, [ui, act](Control* c) { act(*ui, *c); }),
            tag, kGroupPedal);
    };
    footswitch(1460, 486, kTagUpSwitch, [](EditorUi& u, Control& c) { u.UpDownSwitch(c, +1); });
    footswitch(1100, 486, kTagSelectSwitch, [](EditorUi& u, Control& c) { u.SelectSwitch(c); });
    footswitch(733, 486, kTagDownSwitch, [](EditorUi& u, Control& c) { u.UpDownSwitch(c, -1); });
    footswitch(1459, 322, kTagFilterSwitch, [](EditorUi& u, Control& c) { u.FilterSwitch(c); });

    b.Picture(1172, 260, "led.png", kGroupFilterLed, kTagFilterLed);
    b.g.HideGroup(kGroupFilterLed);

    b.g.AddControl(std::make_unique<BitmapButtonControl>(869, 314, b.g.LoadBitmap("save.png", 2),
                                                         [ui](Control* c) { ui->SaveButton(*c); }),
                   kTagSaveButton, kGroupPedal);
}

void AddGraphs(PageBuilder& b) {
    auto* freq =
        b.g.AddControl(std::make_unique<FreqResponseGraph>(Rect{1200, 685, 1872, 1135}, kCurveColour), kNoTag,
                       kGroupIrDisplay);
    freq->SetRange(20, 20480, 100, 30);
    b.ui->controls.freqGraph = freq;
    auto* dynamics =
        b.g.AddControl(std::make_unique<DynamicsResponseGraph>(Rect{1200, 700, 1865, 1130}, kCurveColour),
                       kNoTag, kGroupMain);
    dynamics->SetHidden(true);
    b.ui->controls.dynamicsGraph = dynamics;

    TextStyle hint = b.styles.body.WithSize(24).WithColour(kNameColour);
    b.Text({1350, 658, 1817, 678}, "CLICK HERE TO EDIT IMPULSE RESPONSE", hint, kGroupMain, kTagClickToEditIr)
        ->SetHidden(true);
    // Any mouse event over the graph area asks for the impulse-response page.
    b.g.AddControl(std::make_unique<InvisibleSelectControl>(Rect{1180, 650, 1880, 1160}, kParamPageTrigger),
                   kNoTag, "");
}

void AddNameAndStatus(PageBuilder& b) {
    TextStyle nameStyle = b.styles.body.WithSize(24).WithColour(kNameColour).WithVAlign(VAlign::Middle);
    auto ui = b.ui;
    auto* name = b.g.AddControl(std::make_unique<EditableTextControl>(
                                    Rect{20, 120, 260, 144}, "Velumo Ostrel Default Preset Name", nameStyle),
                                kTagPresetName, kGroupMain);
    name->SetElide(true);
    name->SetMaxChars(kPresetNameChars); // what a preset record keeps
    name->SetOnAction([ui](Control* c) {
        auto* text = dynamic_cast<TextControl*>(c);
        if (!text) return;
        // The name is stored on the pedal with the preset at once; that is not
        // undone, so Undo must not reach past it.
        ui->Plugin().FenceHistory();
        ui->Plugin().CommitPresetName(text->GetStr());
    });

    // Three lines inside the status box (656, 3)-(1064, 76), clear of its edges.
    const TextStyle status = b.styles.body.WithSize(20).WithVAlign(VAlign::Middle);
    b.Text({668, 8, 1056, 29}, "", status, kGroupDevice, kTagDeviceLine);
    b.Text({668, 29, 1056, 50}, "", status, kGroupDevice, kTagVersionLine);
    b.Text({668, 50, 1056, 71}, "", status, kGroupDevice, kTagSerialLine);
    b.Button({540, 18, 655, 63}, "RECONNECT", b.styles.button, kGroupDevice,
             [](EditorUi& u) { u.Plugin().Reconnect(); });
    if (auto* line = dynamic_cast<TextControl*>(b.g.ControlByTag(kTagVersionLine)))
        line->SetStr(link::kTextConnecting);

    b.Button({208, 306, 818, 750}, "Editing is not possible in Standalone Mode.", b.styles.notice, kGroupMain,
             {}, kTagStandaloneNotice)
        ->SetHidden(true);
}

} // namespace tolvane::ui
