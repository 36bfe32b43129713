#include "host/ProgramPlugin.h"

#include "host/ProgramResources.h"
#include "library/FactoryIrs.h"
#include "library/LibraryManual.h"
#include "library/LibraryTransferFiles.h"
#include "toolkit/Canvas.h"

#include <chrono>

namespace tolvane {

ProgramPlugin::ProgramPlugin(ISysExSender& sender, std::filesystem::path folder)
    : ProgramPluginParts(std::move(folder)), Tolvane(sender, seam, library) {
    // The host stops the audio stream and the timers and waits before it
    // deletes the plug-in, so the link's own wait would only double it.
    SetTeardownWait(std::chrono::milliseconds(0));
    SetTransferFiles(LibraryTransferFiles(dataFolder));
    Transfers().requestManual = [this] {
        return tolvane::RequestManual(dataFolder, ReadProgramResource, OpenDocument);
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
