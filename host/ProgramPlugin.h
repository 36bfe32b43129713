#pragma once
// The plug-in the program runs: the device link (Tolvane) together with what
// it lives on — the editor seam over the window's drawing context, the
// library over the data folder, and the compiled-in manual and factory WAV
// files — and what happens to them when the editor opens and closes.
//
// The parts are a base listed before Tolvane, so they are made before the
// link and outlive it (the link holds references to the seam and library).
//
// User-interface thread only.

#include "device/Tolvane.h"
#include "library/LibraryManual.h"
#include "library/LibraryStore.h"
#include "toolkit/CanvasEditorSeam.h"
#include "toolkit/QtPlatform.h"

#include <filesystem>

namespace tolvane {

class Canvas;

struct ProgramPluginParts {
    explicit ProgramPluginParts(std::filesystem::path folder)
        : dataFolder(std::move(folder)), library(dataFolder) {}

    std::filesystem::path dataFolder;
    QtPlatform platform;
    CanvasEditorSeam seam{platform};
    LibraryStore library;
};

class ProgramPlugin final : private ProgramPluginParts, public Tolvane {
public:
    ProgramPlugin(ISysExSender& sender, std::filesystem::path dataFolder);

    // The editor window's drawing context exists: the link may write to its
    // controls from now on (also from the audio thread, through the queue),
    // dialogs are modal over it, and the factory WAV files are put in place.
    void AttachEditor(Canvas& graphics);
    // The drawing context is about to go: the link sees the editor closed.
    void DetachEditor();

    const std::filesystem::path& Folder() const { return dataFolder; }
    // How Help > Read Manual opens the manual (the desktop's viewer unless
    // replaced, for tests).
    void SetDocumentOpener(DocumentOpener opener) { openDocument_ = std::move(opener); }

private:
    DocumentOpener openDocument_;
};

} // namespace tolvane
