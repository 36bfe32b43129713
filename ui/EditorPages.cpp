// The page builder: the steps in their order (which fixes drawing order and
// input priority), and the hand-over of the page logic to the plug-in.

#include "ui/EditorPages.h"

#include "device/Tolvane.h"
#include "toolkit/Canvas.h"
#include "ui/PageBuilder.h"
#include "ui/Readouts.h"

#include <QObject>

#include <cmath>

namespace tolvane::ui {

namespace {

constexpr const char* kHiddenSectionGroups[] = {
    kGroupAnalogSim, kGroupGate,   kGroupDynamics,   kGroupComp,    kGroupExp,    kGroupLevel,
    kGroupDrive,     kGroupPreamp, kGroupBuzz,       kGroupPunch,   kGroupCrunch, kGroupLow,
    kGroupMid,       kGroupHigh,   kGroupAutoFilter, kGroupAmbience};

void InstallCallPoints(Tolvane& plugin, const std::shared_ptr<EditorUi>& ui) {
    // The steps other threads ask for wait in the plug-in's queue, which may
    // outlive these pages.
    QueuedEditorSeam& queue = plugin.ScreenQueue();
    std::weak_ptr<EditorUi> weak = ui;
    ui->SetQueuedSteps(queue.AddAction([weak](int index, int) {
        if (auto alive = weak.lock()) alive->QueuedDisplayStep(index);
    }),
                       queue.AddAction([weak](int page, int) {
                           if (auto alive = weak.lock()) alive->ShowSectionPage(page);
                       }),
                       queue.AddAction([weak](int, int) {
                           if (auto alive = weak.lock()) alive->ShowDrivePageForPreset();
                       }));
    DisplayCallPoints& display = plugin.Display();
    display.voicingsDetected = [ui](int, int) { ui->VoicingsDetected(); };
    display.paramDisplay = [ui](int index) { ui->ParamDisplay(index); };
    display.idleDisplay = [ui] { ui->IdleDisplay(); };
    display.idleDisplayNeedsTicks = [ui] { return ui->IdleDisplayNeedsTicks(); };
    display.editorCommand = [ui](EditorCommand command) { return ui->KeyCommand(command); };
    // The about picture is the pages' own; a transfer component may have
    // claimed the request already.
    if (!plugin.Transfers().requestAbout) plugin.Transfers().requestAbout = [ui] { return ui->ShowAbout(); };
}

// A right-click on a knob whose read-out shows percent or dB opens a prompt
// holding that read-out, and what is typed there is read in the same units.
void GiveKnobsTheirReadoutUnits(Canvas& graphics) {
    for (int i = 0; i < graphics.NControls(); ++i) {
        Control* c = graphics.GetControl(i);
        const Param* param = c ? c->GetParam() : nullptr;
        const int index = c ? c->GetParamIdx() : kNoParam;
        if (!param || !ReadoutFor(index, static_cast<int>(param->Min()))) continue;
        const int lo = static_cast<int>(param->Min()), hi = static_cast<int>(param->Max());
        c->SetValueFormat({[index](double value) { return ReadoutFor(index, static_cast<int>(std::lround(value)))->text; },
                           [index, lo, hi](const std::string& text, double current) -> std::optional<double> {
                               const auto v = ValueForReadout(index, text, static_cast<int>(std::lround(current)), lo, hi);
                               if (!v) return std::nullopt;
                               return static_cast<double>(*v);
                           }});
    }
}

} // namespace

std::shared_ptr<EditorUi> BuildEditorPages(Canvas& graphics, Tolvane& plugin, PageHooks hooks) {
    // 1. Built once per window.
    if (graphics.NControls() > 0) return nullptr;
    auto ui = std::make_shared<EditorUi>(plugin, std::move(hooks));

    // 2. Mouse-over, tooltips and the resize handle.
    graphics.EnableMouseOver(true);
    graphics.EnableTooltips(true);
    graphics.AttachCornerResizer(20.f, colours::kFaintBlack, colours::kBlack, colours::kBlack);

    // 3. Background and the overlays of the drawing context.
    const Bitmap background = graphics.LoadBitmap("background.png");
    // The largest picture of the first paint (about 50 ms to decode).
    graphics.DecodeAhead(background);
    graphics.AddControl(std::make_unique<BitmapControl>(
                            static_cast<float>(graphics.Width() - background.W()) / 2.f, 0.f, background),
                        kNoTag, kGroupBackground);
    graphics.AttachTextEntryControl();
    graphics.AttachPopupMenuControl();
    graphics.AttachBubbleControl();

    // 4. Fonts, styles and the shared images.
    RegisterPageFonts(graphics);
    PageBuilder b{graphics,
                  plugin,
                  ui,
                  MakePageStyles(),
                  graphics.LoadBitmap("mic@2x.png"),
                  graphics.LoadSvg("vector-knob.svg", "px", 72.f)};

    AddPedalKnobs(b);       // 5
    AddPresetList(b);       // 6
    AddEffectSections(b);   // 7
    AddPedalSwitches(b);    // 8
    AddIrSectionPanel(b);   // 9
    AddGraphs(b);           // 10 (11: the factory IR names are the plug-in's)
    AddIrList(b);           // 12
    AddNameAndStatus(b);    // 13
    AddFirmwarePage(b);     // 14
    AddSettingsPages(b);    // 15
    AddAboutAndProgress(b); // 16

    // The value prompt of a knob with a read-out speaks the read-out's units.
    GiveKnobsTheirReadoutUnits(graphics);

    // 17. One section on show: the impulse response.
    for (const char* group : kHiddenSectionGroups)
        graphics.HideGroup(group);
    graphics.ShowGroup(kGroupIr);
    graphics.ShowGroup(kGroupIrDisplay);
    graphics.DisableGroup(kGroupPedal);

    // 18. Built: the display logic may touch the controls; the list shows
    // the library's names at the current scroll position.
    ui->Attach(graphics);
    ui->PrimeGraphs();
    QObject::connect(&graphics, &QObject::destroyed, [weak = std::weak_ptr<EditorUi>(ui)] {
        if (auto alive = weak.lock()) alive->Detach();
    });
    InstallCallPoints(plugin, ui);
    ui->ParamDisplay(kParamScroll);
    plugin.LabelPresetsFromFolderScan();
    plugin.LabelPresetsFromSlotFiles();
    return ui;
}

} // namespace tolvane::ui
