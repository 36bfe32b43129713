// The effect section pages of the lower half of the main page: knob columns
// with captions, read-outs and units, the amp-model and reverb-type buttons,
// the section titles, and the impulse-response section.

#include "device/Tolvane.h"
#include "toolkit/SvgKnobControl.h"
#include "ui/IrListSelectControl.h"
#include "ui/PageBuilder.h"

#include <string_view>
#include <vector>

namespace tolvane::ui {

namespace {

struct Column {
    float x;
    const char* caption;
    int param;
    ControlTag readoutTag;
    const char* initial;
    const char* unit; // none for a ratio: its read-out carries its own ":1"
    ControlTag captionTag = kNoTag;
};

struct Section {
    const char* group;
    bool driveRows; // the drive and pre-amp sections sit 70 units lower
    std::vector<Column> columns;
};

struct SelectorButton {
    ControlTag tag;
    float x, y;
    const char* bitmap;
};

constexpr SelectorButton kReverbTypes[] = {
    {73, 354, 730, "radio-room.png"},  {74, 517, 730, "radio-hall.png"},   {75, 657, 730, "radio-spring.png"},
    {76, 798, 730, "radio-plate.png"}, {77, 938, 730, "radio-chorus.png"},
};

constexpr SelectorButton kAmpModels[] = {
    {78, 354, 730, "amp-blond.png"},     {79, 517, 730, "amp-liverpool.png"},
    {80, 657, 730, "amp-british.png"},   {81, 798, 730, "amp-caliclassic.png"},
    {82, 938, 730, "amp-boutiquea.png"}, {83, 354, 766, "amp-tweed.png"},
    {84, 517, 766, "amp-topboost.png"},  {85, 657, 766, "amp-plexi.png"},
    {86, 798, 766, "amp-calimetal.png"}, {87, 938, 766, "amp-boutiqueb.png"},
};

// Sections in add order; the reverb-type buttons come before the first, the
// amp-model buttons before "drivecontrols".
const std::vector<Section>& Sections() {
    static const std::vector<Section> sections = {
        {kGroupAmbience,
         false,
         {{480, "LEVEL", kParamReverb, kTagReverbLevelValue, "0.00", "%"},
          {760, "DECAY", kParamReverbDecayTime, kTagDecayValue, "0.00", "%"}}},
        {kGroupAnalogSim,
         false,
         {{630, "SMOOTHING", kParamAnalogSim, kTagAnalogSimValue, "Bypass", "%", kTagAnalogSimCaption}}},
        {kGroupGate,
         false,
         {{380, "THRESHOLD", kParamGate, kTagGateThresholdValue, "0.00", "dB"},
          {630, "RATIO", kParamGateRatio, kTagGateRatioValue, "1:1", ""},
          {880, "RELEASE", kParamGateRelease, kTagGateReleaseValue, "50", "ms"}}},
        {kGroupLevel, false, {{630, "LEVEL", kParamLevel, kTagLevelValue, "0.00", "%"}}},
        {kGroupDrive,
         true,
         {{380, "PRE-AMP", kParamGain, kTagGainValue, "50.00", "%"},
          {630, "PRESENCE", kParamCrunch, kTagPresenceValue, "0.00", "%"},
          {880, "COMPRESSION", kParamCompression, kTagCompressionValue, "0.00", "%"}}},
        {kGroupPreamp, true, {{630, "PARALLEL CLEAN", kParamCleanInputLevel, kTagCleanValue, "50.0", "%"}}},
        {kGroupDynamics, false, {{480, "THRESHOLD", kParamDynamics, kTagDynamicsValue, "0.00", "dB"}}},
        {kGroupComp, false, {{760, "RATIO", kParamCompressorRatio, kTagCompRatioValue, "1:1", ""}}},
        {kGroupExp, false, {{760, "RATIO", kParamExpanderRatio, kTagExpRatioValue, "1:1", ""}}},
        {kGroupBuzz,
         false,
         {{480, "GAIN", kParamBuzz, kTagBuzzGainValue, "0.00", "dB"},
          {760, "QUALITY", kParamBuzzQ, kTagBuzzQValue, "0.00", "Level"}}},
        {kGroupPunch,
         false,
         {{380, "GAIN", kParamPunch, kTagPunchGainValue, "0.00", "dB"},
          {630, "FREQUENCY", kParamPunchFreq, kTagPunchFreqValue, "0.00", "Hz"},
          {880, "QUALITY", kParamPunchQ, kTagPunchQValue, "0.00", "Level"}}},
        {kGroupCrunch, false, {{760, "QUALITY", kParamCrunchQ, kTagCrunchQValue, "0.00", "Level"}}},
        {kGroupLow,
         false,
         {{480, "GAIN", kParamLow, kTagLowGainValue, "0.00", "dB"},
          {760, "QUALITY", kParamLowQ, kTagLowQValue, "0.00", "Level"}}},
        {kGroupMid,
         false,
         {{380, "GAIN", kParamMid, kTagMidGainValue, "0.00", "dB"},
          {630, "FREQUENCY", kParamMidShift, kTagMidFreqValue, "0.00", "Hz"},
          {880, "QUALITY", kParamMidQ, kTagMidQValue, "0.00", "Level"}}},
        {kGroupHigh,
         false,
         {{480, "GAIN", kParamHigh, kTagHighGainValue, "0.00", "dB"},
          {760, "QUALITY", kParamHighQ, kTagHighQValue, "0.00", "Level"}}},
        {kGroupAutoFilter, false, {{630, "LEVEL", kParamAutoFilterLevel, kTagAutoFilterValue, "0.00", "%"}}},
    };
    return sections;
}

struct Title {
    const char* group;
    const char* text;
    ControlTag tag = kNoTag;
};

constexpr Title kTitles[] = {
    {kGroupAmbience, "AMBIENCE"},
    {kGroupAnalogSim, "ANALOG SIM."},
    {kGroupGate, "GATE"},
    {kGroupLevel, "MASTER LEVEL"},
    {kGroupDrive, "DRIVE"},
    {kGroupPreamp, "PRE-AMP"},
    {kGroupDynamics, "DYNAMICS", kTagDynamicsTitle},
    {kGroupBuzz, "BUZZ FILTER"},
    {kGroupPunch, "PUNCH FILTER"},
    {kGroupCrunch, "CRUNCH FILTER"},
    {kGroupLow, "LOW FILTER"},
    {kGroupMid, "MID FILTER"},
    {kGroupHigh, "HIGH FILTER"},
    {kGroupAutoFilter, "AUTO FILTER"},
};

// ---- Section tabs ----------------------------------------------------------------
// Every page of a family carries the family's row of tabs along the bottom of
// the section panel, its own tab lit, so each page is one click from the
// others: the drive pages, the filter pages and the dynamics pages.
struct Tab {
    const char* label;
    int page;
    const char* group; // the page's own group, which carries its copy of the row
};

const std::vector<std::vector<Tab>>& TabFamilies() {
    static const std::vector<std::vector<Tab>> families = {
        {{"DRIVE", kPageDrive, kGroupDrive},
         {"PRE-AMP", kPagePreamp, kGroupPreamp},
         {"ANALOG", kPageAnalogSim, kGroupAnalogSim}},
        {{"LOW", kPageLowFilter, kGroupLow},
         {"MID", kPageMidFilter, kGroupMid},
         {"HIGH", kPageHighFilter, kGroupHigh},
         {"BUZZ", kPageBuzzFilter, kGroupBuzz},
         {"PUNCH", kPagePunchFilter, kGroupPunch},
         {"CRUNCH", kPageCrunchFilter, kGroupCrunch},
         {"AUTO", kPageAutoFilter, kGroupAutoFilter}},
        {{"GATE", kPageGate, kGroupGate},
         {"DYNAMICS", kPageDynamics, kGroupDynamics},
         {"LEVEL", kPageLevel, kGroupLevel}},
    };
    return families;
}

inline constexpr float kTabLeft = 440.f;
inline constexpr float kTabTop = 1132.f;
inline constexpr float kTabWidth = 96.f;
inline constexpr float kTabHeight = 36.f;
inline constexpr float kTabGap = 5.f;

void AddSectionTabs(PageBuilder& b) {
    const VectorStyle tab = b.styles.ButtonAt(15).WithRoundness(0.3f);
    // The lit tab: the section colour with dark text, as the chosen amp model.
    const VectorStyle lit = tab.WithColour(kForeground, Colour{255, 51, 255, 255})
                                .WithColour(kPressed, Colour{255, 51, 255, 255});
    for (const auto& family : TabFamilies()) {
        for (const Tab& owner : family) {
            float x = kTabLeft;
            for (const Tab& t : family) {
                const int page = t.page;
                b.Button({x, kTabTop, x + kTabWidth, kTabTop + kTabHeight}, t.label,
                         t.page == owner.page ? lit : tab, owner.group,
                         [page](EditorUi& u) { u.ShowSectionPage(page); });
                x += kTabWidth + kTabGap;
            }
        }
    }
}

// ---- Further settings ----------------------------------------------------------
// Settings of a section without a knob of their own: a caption and a value
// box that opens a list (for named values) or takes a typed number.
struct SettingRow {
    const char* group;
    const char* caption;
    int param;
    float x, y;
};

constexpr SettingRow kSettingRows[] = {
    {kGroupGate, "ATTACK", kParamGateAttack, 630, 1050},
    {kGroupComp, "ATTACK", kParamCompressorAttack, 965, 780},
    {kGroupComp, "RELEASE", kParamCompressorRelease, 965, 830},
    {kGroupComp, "OUTPUT", kParamCompressorOutputGain, 965, 880},
    {kGroupExp, "ATTACK", kParamExpanderAttack, 965, 780},
    {kGroupExp, "RELEASE", kParamExpanderRelease, 965, 830},
    {kGroupExp, "OUTPUT", kParamExpanderOutputGain, 965, 880},
    {kGroupDynamics, "LOOKAHEAD", kParamLookahead, 965, 930},
    {kGroupDynamics, "AUTO GAIN", kParamAutoGain, 965, 980},
    {kGroupAmbience, "MODE", kParamReverbMode, 965, 830},
    {kGroupAmbience, "MOD. DEPTH", kParamReverbModulationDepth, 965, 880},
    {kGroupAmbience, "MOD. RATE", kParamReverbModulationRate, 965, 930},
    {kGroupAnalogSim, "SOFT CLIP", kParamSoftClipping, 965, 800},
    {kGroupAnalogSim, "SIM. GAIN", kParamAnalogSimGain, 965, 850},
    {kGroupAnalogSim, "ANTI-ALIAS", kParamAntiAliasingFilter, 965, 900},
    {kGroupAutoFilter, "ATTACK", kParamAutoFilterAttack, 965, 830},
    {kGroupAutoFilter, "RELEASE", kParamAutoFilterRelease, 965, 880},
    {kGroupLevel, "TUNER", kParamTuner, 965, 830},
};

// Values that read better by name than by number.
struct NamedValues {
    int param;
    std::vector<const char*> names;
};

const std::vector<NamedValues>& ValueNames() {
    static const std::vector<NamedValues> names = {
        {kParamAutoGain, {"Off", "On"}},
        {kParamLookahead, {"Off", "On"}},
        {kParamTuner, {"Off", "Mute", "Bypass"}},
        {kParamReverbMode, {"Room", "Hall", "Arena", "Spring", "Plate"}},
    };
    return names;
}

void AddSettingRows(PageBuilder& b) {
    for (const NamedValues& n : ValueNames()) {
        Param* p = b.plugin.GetParam(n.param);
        if (!p || p->NDisplayTexts() > 0) continue; // named once, for every window
        for (std::size_t i = 0; i < n.names.size(); ++i)
            p->AddDisplayText(static_cast<double>(i), n.names[i]);
    }
    const TextStyle caption =
        b.styles.panelText.WithSize(17).WithAlign(HAlign::Far).WithVAlign(VAlign::Middle);
    TextStyle value = b.styles.panelText.WithSize(20).WithVAlign(VAlign::Middle);
    value.colour = colours::kLightGrey;
    for (const SettingRow& r : kSettingRows) {
        b.Text({r.x, r.y, r.x + 102, r.y + 40}, r.caption, caption, r.group);
        b.g.AddControl(std::make_unique<CaptionControl>(Rect{r.x + 108, r.y + 2, r.x + 198, r.y + 38}, r.param,
                                                         value, colours::kDarkGrey, false),
                       kNoTag, r.group);
    }
}

constexpr Colour kKnobReadout{255, 24, 24, 24};

void AddColumn(PageBuilder& b, const char* group, bool driveRows, const Column& c) {
    const float dy = driveRows ? 70.f : 0.f;
    const float x = c.x;
    b.Text({x, 780 + dy, x + 200, 810 + dy}, c.caption, b.styles.label, group, c.captionTag);
    b.g.AddControl(std::make_unique<VectorKnobControl>(Rect{x, 820 + dy, x + 200, 1020 + dy}, c.param, c.caption,
                                                   b.styles.knob),
                   kNoTag, group);
    // The read-out sits on the knob's light disc, so it is drawn dark; the
    // unit goes under the knob, clear of the disc.
    b.Text({x, 895 + dy, x + 200, 935 + dy}, c.initial, b.styles.value.WithSize(40).WithColour(kKnobReadout), group,
           c.readoutTag);
    b.Text({x, 1020 + dy, x + 200, 1054 + dy}, c.unit, b.styles.unit.WithSize(28), group);
}

void AddSelectorButtons(PageBuilder& b, const char* group, const SelectorButton* buttons, int count,
                        bool amp) {
    auto ui = b.ui;
    for (int k = 0; k < count; ++k) {
        const SelectorButton& s = buttons[k];
        b.g.AddControl(std::make_unique<BitmapButtonControl>(s.x, s.y, b.g.LoadBitmap(s.bitmap, 2),
                                                         [ui, k, amp](Control* c) {
                                                             if (amp)
                                                                 ui->AmpModelButton(k, *c);
                                                             else
                                                                 ui->ReverbTypeButton(k, *c);
                                                         }),
                       s.tag, group);
    }
}

// The titles go over the IR section's panel, whose top edge they reach.
void AddSectionTitles(PageBuilder& b) {
    for (const Title& t : kTitles)
        b.Text({400, 664, 700, 734}, t.text, b.styles.title, t.group, t.tag);
    // The IR panel's picture starts at y 705: its title stays above the frame.
    b.Text({400, 652, 800, 702}, "IMPULSE RESPONSE", b.styles.title, kGroupIr);
}

} // namespace

void AddEffectSections(PageBuilder& b) {
    for (const Section& s : Sections()) {
        if (std::string_view(s.group) == kGroupAmbience)
            AddSelectorButtons(b, s.group, kReverbTypes, kNumReverbTypes, false);
        if (std::string_view(s.group) == kGroupDrive)
            AddSelectorButtons(b, s.group, kAmpModels, kNumAmpModels, true);
        for (const Column& c : s.columns)
            AddColumn(b, s.group, s.driveRows, c);
    }
    AddSettingRows(b);
    AddSectionTabs(b);
}

void AddIrSectionPanel(PageBuilder& b) {
    b.Picture(429, 705, "irbg.png", kGroupIr);
    AddSectionTitles(b);
    b.Button(
        {984, 1068, 1054, 1106}, "IMPORT", b.styles.ButtonAt(14), kGroupIr, [](EditorUi& u) { u.IrImport(true); },
        kTagIrImport7);
    b.Button(
        {984, 1118, 1054, 1156}, "IMPORT", b.styles.ButtonAt(14), kGroupIr, [](EditorUi& u) { u.IrImport(false); },
        kTagIrImport8);
    const VectorStyle mode = b.styles.knob.WithRoundness(1.f);
    b.g.AddControl(
        std::make_unique<VectorSlideSwitchControl>(Rect{740, 1072, 800, 1100}, kParamIrMode7, "MODE", mode),
        kTagIrMode7, kGroupIr);
    b.g.AddControl(
        std::make_unique<VectorSlideSwitchControl>(Rect{740, 1122, 800, 1150}, kParamIrMode8, "MODE", mode),
        kTagIrMode8, kGroupIr);
    b.g.AddControl(
        std::make_unique<SvgKnobControl>(Rect{815, 1070, 845, 1100}, b.vectorKnob, kParamUserIrGain7),
        kTagIrGainKnob7, kGroupIr);
    b.g.AddControl(
        std::make_unique<SvgKnobControl>(Rect{815, 1120, 845, 1150}, b.vectorKnob, kParamUserIrGain8),
        kTagIrGainKnob8, kGroupIr);
    const TextStyle value = b.styles.irValue.WithSize(22);
    b.Text({905, 1077, 955, 1127}, "0.00", value, kGroupIr, kTagIrGainValue7);
    b.Text({905, 1127, 955, 1161}, "0.00", value, kGroupIr, kTagIrGainValue8);
    // The user-IR controls wait for their MODE switch.
    for (ControlTag tag : {kTagIrGainKnob7, kTagIrImport7, kTagIrGainKnob8, kTagIrImport8})
        b.g.ControlByTag(tag)->SetDisabled(true);
}

void AddIrList(PageBuilder& b) {
    const auto& names = b.plugin.FactoryNames();
    for (int i = 0; i < 9; ++i) {
        const float top = 713.f + 50.f * static_cast<float>(i);
        b.Text({495, top, 725, top + 43}, names[i], b.styles.irRow, kGroupIr,
               i == 0 ? kNoTag : kTagIrRowBase + i, Colour{0, 38, 38, 38});
    }
    b.g.AddControl(
        std::make_unique<IrListSelectControl>(Rect{445, 713, 695, 1163}, kParamIrListRow, b.plugin), kNoTag,
        kGroupIr);
    b.Picture(374, 713, "irslot.png", kGroupIr);
    b.g.AddControl(
        std::make_unique<BitmapSliderControl>(Rect{374, 717, 424, 1149}, b.mic, kParamIrSelectorInverted),
        kTagIrSlider, kGroupIr);
}

} // namespace tolvane::ui
