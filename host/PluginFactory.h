#pragma once
// The plug-in the program runs and what the main window does with it when
// its editor opens and closes.

#include "core/AppPlugin.h"
#include "core/MidiOutput.h"
#include "host/MainWindow.h"

#include <memory>

namespace tolvane {

// A ProgramPlugin over the data folder, sending through output.
std::unique_ptr<AppPlugin> MakeProgramPlugin(IMidiOutput& output);
// Attaches a ProgramPlugin's seam to each new editor and builds its pages;
// detaches it before the editor goes. Other plug-ins are left alone.
MainWindow::EditorHooks ProgramEditorHooks();

} // namespace tolvane
