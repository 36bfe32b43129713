#pragma once
// The plug-in and the editor page the program runs with.

#include "core/IPlugAPP.h"
#include "host/MainWindow.h"

#include <memory>

namespace tolvane {

std::unique_ptr<IPlugAPP> MakeProgramPlugin(IMidiOutput& output);
MainWindow::EditorLayout ProgramEditorLayout();

} // namespace tolvane
