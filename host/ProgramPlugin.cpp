#include "host/ProgramPlugin.h"

#include "host/ProgramResources.h"
#include "library/FactoryIrs.h"
#include "library/LibraryManual.h"
#include "library/LibraryTransferFiles.h"
#include "toolkit/Canvas.h"

#include <chrono>

namespace tolvane {

namespace {
constexpr const char* kManualNotOpenedText = "The manual could not be opened. It is here:\n";
} // namespace

ProgramPlugin::ProgramPlugin(ISysExSender& sender, std::filesystem::path folder)
    : ProgramPluginParts(std::move(folder)), Tolvane(sender, seam, library) {
    // The host stops the clock and the timers and waits before it
    // deletes the plug-in, so the link's own wait would only double it.
    SetTeardownWait(std::chrono::milliseconds(0));
    SetTransferFiles(LibraryTransferFiles(dataFolder));
    openDocument_ = OpenDocument;
    // The menu's own fallback is for a plug-in without a manual; a manual the
    // desktop cannot open is reported with where it is.
    Transfers().requestManual = [this] {
        if (!tolvane::RequestManual(dataFolder, ReadProgramResource, openDocument_))
            Screen().AskUser(kManualNotOpenedText + (dataFolder / kManualFileName).string(), "Tolvane",
                             AskButtons::Ok);
        return true;
    };
}

void ProgramPlugin::AttachEditor(Canvas& graphics) {
    platform.SetParent(graphics.window());
    seam.Attach(&graphics);
    // Asked on this thread, the queue publishes "open" to the audio thread
    // now rather than at the next framework tick.
    Screen().IsEditorOpen();
    ExtractFactoryIrs(dataFolder, ReadProgramResource);
}

void ProgramPlugin::DetachEditor() {
    seam.Detach();
    Screen().IsEditorOpen();
    platform.SetParent(nullptr);
}

} // namespace tolvane
