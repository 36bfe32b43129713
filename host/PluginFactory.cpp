#include "host/PluginFactory.h"

namespace tolvane {

std::unique_ptr<IPlugAPP> MakeProgramPlugin(IMidiOutput& /*output*/) {
    return std::make_unique<IPlugAPP>();
}

MainWindow::EditorLayout ProgramEditorLayout() {
    return {};
}

} // namespace tolvane
