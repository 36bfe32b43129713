// Construction, the display step of a parameter change, section pages and the
// voicing buttons. The preset browser is in PresetBrowser.cpp, the button
// actions in PageActions.cpp.

#include "ui/EditorUi.h"

#include "device/Tolvane.h"
#include "toolkit/Canvas.h"
#include "toolkit/TextControls.h"
#include "ui/DynamicsResponseGraph.h"
#include "ui/Readouts.h"

#include <algorithm>
#include <cstdio>

namespace tolvane::ui {

namespace {

// Every section group, hidden before a page shows its own.
constexpr const char* kSectionGroups[] = {
    kGroupAnalogSim, kGroupGate,     kGroupDynamics, kGroupExp,    kGroupComp,   kGroupIr,
    kGroupIrDisplay, kGroupAmbience, kGroupBuzz,     kGroupPunch,  kGroupCrunch, kGroupLow,
    kGroupMid,       kGroupHigh,     kGroupDrive,    kGroupPreamp, kGroupLevel,  kGroupAutoFilter};

struct PageLayout {
    int page;
    bool dynamicsGraph;
    bool clickToEditIr;
    bool hidesFilterGroup;
    const char* groups[2];
};

constexpr PageLayout kPages[] = {
    {kPageGate, true, true, true, {kGroupGate, nullptr}},
    {kPageAmbience, false, true, true, {kGroupIrDisplay, kGroupAmbience}},
    {kPageIr, false, false, true, {kGroupIr, kGroupIrDisplay}},
    {kPageAnalogSim, false, true, false, {kGroupAnalogSim, kGroupIrDisplay}},
    {kPageLowFilter, false, true, false, {kGroupLow, kGroupIrDisplay}},
    {kPageMidFilter, false, true, false, {kGroupMid, kGroupIrDisplay}},
    {kPageHighFilter, false, true, false, {kGroupHigh, kGroupIrDisplay}},
    {kPageDrive, true, true, true, {kGroupDrive, nullptr}},
    {kPagePreamp, false, true, true, {kGroupIrDisplay, kGroupPreamp}},
    {kPageLevel, false, true, true, {kGroupIrDisplay, kGroupLevel}},
    {kPageAutoFilter, false, true, true, {kGroupIrDisplay, kGroupAutoFilter}},
    {kPageBuzzFilter, false, true, false, {kGroupBuzz, kGroupIrDisplay}},
    {kPagePunchFilter, false, true, false, {kGroupPunch, kGroupIrDisplay}},
    {kPageCrunchFilter, false, true, false, {kGroupCrunch, kGroupIrDisplay}},
    {kPageDynamics, true, true, true, {kGroupDynamics, nullptr}},
};

// The page a user edit of the parameter brings up, or none.
int PageFor(int index) {
    switch (index) {
    case kParamLevel:
        return kPageLevel;
    case kParamDrive:
        return kPageDrive;
    case kParamLow:
        return kPageLowFilter;
    case kParamHigh:
        return kPageHighFilter;
    case kParamReverb:
        return kPageAmbience;
    case kParamGate:
        return kPageGate;
    case kParamMid:
    case kParamMidShift:
        return kPageMidFilter;
    case kParamAutoFilterLevel:
        return kPageAutoFilter;
    case kParamPageTrigger:
        return kPageIr;
    default:
        return kPageNone;
    }
}

// IR values at or above this involve IR positions 7 and 8 in the display.
bool DisplayUsesUserPositions(int irValue) {
    return static_cast<float>(irValue) / 127.f * 8.f > 6.f;
}

} // namespace

// ---- 1. Construction and the drawing context ------------------------------------

EditorUi::EditorUi(Tolvane& plugin, PageHooks hooks)
    : plugin_(plugin), hooks_(std::move(hooks)), uiThread_(std::this_thread::get_id()) {
    firstVisible_.store(kLastFirstVisible - ParamInt(kParamScroll));
    autoFilterOn_.store(ParamInt(kParamAutoFilterOn) != 0);
}

void EditorUi::Attach(Canvas& graphics) {
    canvas_.store(&graphics);
}

void EditorUi::Detach() {
    canvas_.store(nullptr);
    controls = {};
}

int EditorUi::ParamInt(int index) const {
    const Param* p = plugin_.GetParam(index);
    return p ? p->Int() : 0;
}

Control* EditorUi::ByTag(ControlTag tag) const {
    Canvas* g = canvas_.load();
    return g ? g->ControlByTag(tag) : nullptr;
}

TextControl* EditorUi::TextByTag(ControlTag tag) const {
    return dynamic_cast<TextControl*>(ByTag(tag));
}

void EditorUi::SetText(ControlTag tag, const std::string& text) const {
    if (TextControl* c = TextByTag(tag)) c->SetStr(text);
}

void EditorUi::SetControlHidden(ControlTag tag, bool hidden) const {
    if (Control* c = ByTag(tag)) c->SetHidden(hidden);
}

void EditorUi::SetControlDisabled(ControlTag tag, bool disabled) const {
    if (Control* c = ByTag(tag)) c->SetDisabled(disabled);
}

void EditorUi::RefreshIrDisplay(int irValue) {
    if (plugin_.Transfers().refreshIrDisplay) plugin_.Transfers().refreshIrDisplay(irValue);
}

// ---- 2. Display steps ---------------------------------------------------------------

void EditorUi::ParamDisplay(int index) {
    if (index < 0 || index >= kNumParams) return;
    const int v = ParamInt(index);
    // State that is kept with the window closed and on any thread.
    if (index == kParamScroll) firstVisible_.store(kLastFirstVisible - std::clamp(v, 0, kLastFirstVisible));
    if (index == kParamAutoFilterOn) autoFilterOn_.store(v != 0);

    if (OnUiThread())
        RunDisplayStep(index, true);
    else
        plugin_.ScreenQueue().RunOnUi(displayStepAction_, index);

    // The IR display follows the selector, also with the window closed.
    if (index == kParamIr) RefreshIrDisplay(v);
    if ((index == kParamIrMode7 || index == kParamIrMode8) && DisplayUsesUserPositions(ParamInt(kParamIr)))
        RefreshIrDisplay(ParamInt(kParamIr));
}

void EditorUi::RunDisplayStep(int index, bool userEdit) {
    Canvas* g = canvas_.load();
    if (!g) return;
    const int v = ParamInt(index);

    // The two-digit display may have been hidden by blinking.
    if (IsPresetParam(index)) ShowNumber(true);

    if (auto readout = ReadoutFor(index, v)) SetText(readout->tag, readout->text);
    if (auto caption = CaptionFor(index, v)) SetText(caption->tag, caption->text);
    FeedGraphs(index, v);

    switch (index) {
    case kParamIr:
        SetText(kTagNumberDisplay, IrSelectorNumber(v));
        // The inverted slider follows without telling anyone.
        if (Control* slider = ByTag(kTagIrSlider)) slider->SetValueFromDelegate(1.0 - v / 127.0);
        if (userEdit && !plugin_.Flags().applyFlag.load() && CurrentPage() != kPageIr)
            ShowSectionPage(kPageIr);
        break;
    case kParamIrMode7:
    case kParamIrMode8:
        IrPositionMode(index, v);
        break;
    case kParamAutoFilterOn:
        if (v != 0)
            g->ShowGroup(kGroupFilterLed);
        else
            g->HideGroup(kGroupFilterLed);
        break;
    case kParamScroll:
        PlaceRows();
        break;
    case kParamPresetListRow:
        if (userEdit) ListEvent();
        break;
    case kParamCustomIrBank:
        ShowCustomIrBank(v);
        break;
    case kParamIrSlotLeft:
    case kParamIrSlotRight:
        if (userEdit) ClickIrSlot(index, v);
        break;
    default:
        break;
    }
    if (userEdit) SwitchPageFor(index);
}

void EditorUi::FeedGraphs(int index, int v) {
    DynamicsResponseGraph* graph = controls.dynamicsGraph;
    if (!graph) return;
    switch (index) {
    case kParamGate:
        graph->SetLowerKnee(GateThresholdDb(v));
        break;
    case kParamGateRatio:
        graph->SetLowerSlope(1.0 / GateRatio(v));
        break;
    case kParamDynamics:
        graph->SetUpperKnee(DynamicsThresholdDb(v));
        if (CurrentPage() == kPageDynamics) ShowDynamicsRatio();
        if (CurrentPage() == kPageDrive) {
            const double ratio = v >= 65   ? CompressorRatio(ParamInt(kParamCompressorRatio))
                                 : v <= 63 ? 1.0 / ExpanderRatio(ParamInt(kParamExpanderRatio))
                                           : 1.0;
            graph->SetUpperRatio(ratio);
        }
        break;
    case kParamCompressorRatio:
        if (Control* c = ByTag(kTagCompRatioValue); c && !c->IsHidden())
            graph->SetUpperRatio(CompressorRatio(v));
        break;
    case kParamExpanderRatio:
        if (Control* c = ByTag(kTagExpRatioValue); c && !c->IsHidden())
            graph->SetUpperRatio(1.0 / ExpanderRatio(v));
        break;
    default:
        break;
    }
}

void EditorUi::IrPositionMode(int index, int v) {
    const bool first = index == kParamIrMode7;
    SetControlDisabled(first ? kTagIrGainKnob7 : kTagIrGainKnob8, v == 0);
    SetControlDisabled(first ? kTagIrImport7 : kTagIrImport8, v == 0);
    const ControlTag row = first ? kTagIrName7 : kTagIrName8;
    if (v == 0) {
        SetText(row, plugin_.FactoryNames()[first ? 7 : 8]);
        return;
    }
    // The user IR of that position, by its slot number.
    const int high = ParamInt(first ? kParamUserIr7PresetMsb : kParamUserIr8PresetMsb);
    const int low = ParamInt(first ? kParamUserIr7Preset : kParamUserIr8Preset);
    if (const auto& name = plugin_.Transfers().slotViewName) SetText(row, name(128 * high + low));
}

void EditorUi::SwitchPageFor(int index) {
    const int page = PageFor(index);
    if (page == kPageNone || page == CurrentPage() || plugin_.Flags().applyFlag.load()) return;
    ShowSectionPage(page);
}

void EditorUi::ShowCustomIrBank(int bank) {
    const auto& name = plugin_.Transfers().slotViewName;
    for (int j = 0; j < kIrSlotsPerBank; ++j) {
        TextControl* row = controls.irSlotRows[j];
        if (!row) continue;
        const int slot = kIrSlotsPerBank * bank + j;
        if (name) row->SetStr(name(slot));
        row->SetTextColour(slot == chosenIrSlot_ ? kColourIrSlotRowChosen : kColourIrSlotRow);
    }
}

void EditorUi::ClickIrSlot(int index, int v) {
    const int row =
        std::clamp(v, 0, kIrSlotsPerColumn - 1) + (index == kParamIrSlotRight ? kIrSlotsPerColumn : 0);
    const int bank = ParamInt(kParamCustomIrBank);
    const int previous = chosenIrSlot_ - kIrSlotsPerBank * bank;
    if (previous >= 0 && previous < kIrSlotsPerBank && controls.irSlotRows[previous])
        controls.irSlotRows[previous]->SetTextColour(kColourIrSlotRow);
    chosenIrSlot_ = kIrSlotsPerBank * bank + row;
    if (controls.irSlotRows[row]) controls.irSlotRows[row]->SetTextColour(kColourIrSlotRowChosen);
}

void EditorUi::VoicingsDetected() {
    if (CurrentPage() != kPageDrive) return;
    if (OnUiThread())
        ShowDrivePageForPreset();
    else
        plugin_.ScreenQueue().RunOnUi(presetPageAction_);
}

void EditorUi::ShowDrivePageForPreset() {
    auto& applying = plugin_.SharedFlags().applyFlag;
    const bool was = applying.exchange(true);
    ShowSectionPage(kPageDrive);
    applying.store(was);
}

void EditorUi::PrimeGraphs() {
    for (int index : {kParamGate, kParamGateRatio, kParamDynamics})
        FeedGraphs(index, ParamInt(index));
}

void EditorUi::IdleDisplay() {
    if (!canvas_.load()) return;
    // A preset arrived: the highlight goes to its row, wherever a press left it.
    if (const int arrivals = plugin_.PresetArrivals(); arrivals != arrivalsSeen_) {
        arrivalsSeen_ = arrivals;
        HighlightOnly(plugin_.SelectedPresetRow());
    }
    // Preset stepping while the up or down switch is held.
    if ((upHeld_ || downHeld_) && !askAtRelease_) {
        const int before = repeatTicks_++;
        if (before >= 0 && ((repeatTicks_ % 4 == 0 && repeatTicks_ <= 20) || repeatTicks_ > 20))
            StepPreset(upHeld_ ? 1 : -1);
    }
    // Blinking while a save or a selection is armed.
    if (!plugin_.SaveArmed()) {
        // The pedal answered (or the save was disarmed): nothing to wait for.
        saveWaitOver_ = false;
        blinkCounting_ = false;
    }
    bool saveArmed = plugin_.SaveArmed() && !saveWaitOver_;
    if (saveArmed) {
        BlinkStep(8, 2, saveArmed);
        // Ten blinks without the pedal's answer: the save is given up.
        if (!saveArmed) plugin_.DisarmSave();
        saveWaitOver_ = !saveArmed;
    } else if (selectArmed_) {
        BlinkStep(16, 4, selectArmed_);
    } else {
        blinkPhase_ = 0;
        ShowNumber(true);
    }
}

bool EditorUi::IdleDisplayNeedsTicks() const {
    if (!canvas_.load()) return false;
    const Control* number = ByTag(kTagNumberDisplay);
    return plugin_.PresetArrivals() != arrivalsSeen_ || upHeld_ || downHeld_ || plugin_.SaveArmed() ||
           saveWaitOver_ || blinkCounting_ || selectArmed_ || blinkPhase_ != 0 ||
           (number && number->IsHidden());
}

void EditorUi::BlinkStep(int period, int hidePhase, bool& armed) {
    const bool stepping = upHeld_ || downHeld_;
    if (blinkPhase_ == 0 && !stepping) ShowNumber(true);
    if (blinkPhase_ == hidePhase && !stepping) ShowNumber(false);
    if (blinkPhase_ == 0 && blinkCounting_ && ++blinkCount_ > 10) {
        armed = false;
        blinkCounting_ = false;
        blinkCount_ = 0;
        ShowNumber(true);
    }
    blinkPhase_ = (blinkPhase_ + 1) % period;
}

void EditorUi::ShowNumber(bool visible) const {
    SetControlHidden(kTagNumberDisplay, !visible);
}

// ---- 3. Section pages and voicing buttons -----------------------------------------------

void EditorUi::ShowSectionPage(int page) {
    if (!OnUiThread()) {
        plugin_.ScreenQueue().RunOnUi(showPageAction_, page);
        return;
    }
    Canvas* g = canvas_.load();
    if (!g) return;
    const PageLayout* layout = nullptr;
    for (const auto& l : kPages)
        if (l.page == page) layout = &l;
    if (!layout) return;

    if (controls.dynamicsGraph) controls.dynamicsGraph->SetHidden(true);
    for (const char* group : kSectionGroups)
        g->HideGroup(group);
    currentPage_.store(page);

    if (controls.dynamicsGraph) controls.dynamicsGraph->SetHidden(!layout->dynamicsGraph);
    SetControlHidden(kTagClickToEditIr, !layout->clickToEditIr);
    for (const char* group : layout->groups)
        if (group) g->ShowGroup(group);
    if (layout->hidesFilterGroup) g->HideGroup(kGroupFilter);
    if (page == kPageDynamics) ShowDynamicsRatio();

    if (page == kPageDrive) {
        // Compression follows Dynamics on the drive page.
        const int dynamics = ParamInt(kParamDynamics);
        if (dynamics > 63) {
            const double normalised = (dynamics - 64) / 63.0;
            plugin_.SetParamAndNotify(kParamCompression, normalised);
            plugin_.QueueParamForControls(kParamCompression, normalised, true);
        } else if (Param* compression = plugin_.GetParam(kParamCompression)) {
            compression->SetValue(compression->ValueFromNormal(0.0));
            plugin_.OnParamChange(kParamCompression, kUI, -1);
            plugin_.QueueParamForControls(kParamCompression, compression->Value(), false);
        }
    }
}

// The dynamics page shows the compressor's ratio and timing above the centre
// of Dynamics and the expander's below it.
void EditorUi::ShowDynamicsRatio() {
    Canvas* g = canvas_.load();
    if (!g) return;
    const bool compressor = ParamInt(kParamDynamics) >= 64;
    g->ShowGroup(compressor ? kGroupComp : kGroupExp);
    g->HideGroup(compressor ? kGroupExp : kGroupComp);
    if (controls.dynamicsGraph)
        controls.dynamicsGraph->SetUpperRatio(compressor
                                                  ? CompressorRatio(ParamInt(kParamCompressorRatio))
                                                  : 1.0 / ExpanderRatio(ParamInt(kParamExpanderRatio)));
}

void EditorUi::LightAmpVoicing(int k) {
    for (int i = 0; i < kNumAmpModels; ++i)
        if (Control* c = ByTag(kTagAmpModelFirst + i)) c->SetValueFromDelegate(i == k ? 1.0 : 0.0);
}

void EditorUi::LightAmbienceVoicing(int k) {
    for (int i = 0; i < kNumReverbTypes; ++i)
        if (Control* c = ByTag(kTagReverbTypeFirst + i)) c->SetValueFromDelegate(i == k ? 1.0 : 0.0);
}

} // namespace tolvane::ui
