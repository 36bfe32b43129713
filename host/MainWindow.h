#pragma once
// The main window: the menu bar, the editor canvas at its draw scale, the
// menu commands, and the shut-down sequence when the window closes.
//
// Shut-down (closeEvent): EditorClosing; the draw scale saved to settings.ini;
// the editor's size and scale kept in the plug-in; the editor closed; then the
// host destroyed (audio, MIDI, plug-in, in its own order); then the event loop
// is asked to quit.

#include "host/AppHost.h"

#include <QMainWindow>

#include <functional>
#include <memory>

namespace tolvane {

class IGraphics;
class GraphicsEditorControls;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // Builds the page of controls on a new editor.
    using EditorLayout = std::function<void(IGraphics& graphics, IPlugAPP& plugin)>;

    MainWindow(std::unique_ptr<AppHost> host, EditorLayout layout = {});
    ~MainWindow() override;

    IGraphics* Editor() const { return graphics_; }
    AppHost* Host() const { return host_.get(); }
    void BringToFront();
    void OpenMidiSettings();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void OpenEditor();
    void CloseEditor();
    void CentreOnScreen();
    void ShutDown();

    std::unique_ptr<AppHost> host_;
    EditorLayout layout_;
    IGraphics* graphics_ = nullptr;
    std::unique_ptr<GraphicsEditorControls> controls_;
    bool closingEditor_ = false;
    bool shutDown_ = false;
};

} // namespace tolvane
