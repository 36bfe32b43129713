#include "host/PluginFactory.h"

#include "host/ProgramPlugin.h"
#include "library/DataFolder.h"
#include "toolkit/Canvas.h"
#include "ui/EditorPages.h"
#include "ui/FreqResponseGraph.h"


namespace tolvane {

namespace {

// The pages' buttons that start a transfer go to the plug-in's own actions.
ui::PageHooks TransferButtons(ProgramPlugin& program) {
    ui::PageHooks hooks;
    hooks.loadPresetFile = [&program] { program.LoadPresetFile(); };
    hooks.savePresetFile = [&program] { program.SavePresetFile(); };
    hooks.loadFirmware = [&program](const std::string& path) { program.LoadFirmware(path); };
    hooks.closeFirmwarePage = [&program] { program.CloseFirmwarePage(); };
    return hooks;
}

// The graph of the IR display. A received impulse response is announced on
// the audio thread: the redraw waits in the plug-in's queue of screen work,
// behind what was raised before it, and runs on the user-interface thread
// from the samples as they are then. The page stays where the user put it.
void ConnectIrDisplay(ProgramPlugin& program, const std::shared_ptr<ui::EditorUi>& pages) {
    std::weak_ptr<ui::EditorUi> weak = pages;
    auto& display = program.Display();
    const int redraw = program.ScreenQueue().AddAction([weak, &program](int, int) {
        auto p = weak.lock();
        if (p && p->controls.freqGraph) p->controls.freqGraph->SetImpulseResponse(program.IrSamples().data());
    });
    display.irSamplesChanged = [&program, redraw] { program.ScreenQueue().RunOnUi(redraw); };
}

} // namespace

std::unique_ptr<AppPlugin> MakeProgramPlugin(IMidiOutput& output) {
    return std::make_unique<ProgramPlugin>(output, DataFolder());
}

MainWindow::EditorHooks ProgramEditorHooks() {
    MainWindow::EditorHooks hooks;
    hooks.opened = [](Canvas& graphics, AppPlugin& plugin) {
        auto* program = dynamic_cast<ProgramPlugin*>(&plugin);
        if (!program) return;
        // The seam first: the page builder writes labels through it.
        program->AttachEditor(graphics);
        if (auto pages = ui::BuildEditorPages(graphics, *program, TransferButtons(*program)))
            ConnectIrDisplay(*program, pages);
    };
    hooks.closing = [](AppPlugin& plugin) {
        if (auto* program = dynamic_cast<ProgramPlugin*>(&plugin)) program->DetachEditor();
    };
    return hooks;
}

} // namespace tolvane
