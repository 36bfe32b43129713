#pragma once
// The main window: the menu bar, the editor canvas at its draw scale, the
// menu commands, and the shut-down sequence when the window closes.
//
// Shut-down (closeEvent): EditorClosing; the draw scale saved to settings.ini;
// the editor's size and scale kept in the plug-in; the closing hook; the
// editor detached from the delegate and deleted; then the
// host destroyed (audio, MIDI, plug-in, in its own order); then Closed is
// emitted, which the program connects to the event loop's quit. A close that
// arrives while a modal dialog is open closes the dialogs first and finishes
// once they have returned (ModalDialogs.h).

#include "host/AppHost.h"

#include <QMainWindow>
#include <QRect>

#include <functional>
#include <memory>

namespace tolvane {

class Canvas;
class CanvasEditorControls;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // What the plug-in's side does with each editor: opened runs right after
    // the editor is created and the delegate's controls are attached (the
    // plug-in attaches its own views and builds the pages); closing runs after
    // EditorClosing, before the editor is deleted.
    struct EditorHooks {
        std::function<void(Canvas& graphics, AppPlugin& plugin)> opened;
        std::function<void(AppPlugin& plugin)> closing;
        // Where the window may go, in logical pixels; unset: the free area
        // of the window's screen.
        std::function<QRect()> freeArea;
    };

    MainWindow(std::unique_ptr<AppHost> host, EditorHooks hooks = {});
    ~MainWindow() override;

    Canvas* Editor() const { return canvas_; }
    AppHost* Host() const { return host_.get(); }
    void BringToFront();
    void OpenMidiSettings();

signals:
    // The window has shut everything down.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    // Undo, redo and closing a page; stepping, saving and the preset files.
    void BuildEditAndPresetMenus();
    void OpenEditor();
    QRect FreeArea() const;
    // The largest draw scale at which the window, frame and menu bar
    // included, fits the screen's free area.
    float LargestFittingScale(int width, int height) const;
    // Caps the corner handle at the fitting scale and shrinks an editor that
    // has outgrown it (a stored scale, another screen).
    void FitToScreen();
    void CloseEditor();
    void CentreOnScreen();
    // While a MIDI port is off the status lines say so and where to choose it.
    void ShowPortHint();
    void ShutDown();
    // Opens the sound system and starts the audio when the host has not done
    // so yet: right after the editor's first paint, so the window shows
    // without waiting for JACK.
    void OpenSoundSystem();

    std::unique_ptr<AppHost> host_;
    EditorHooks hooks_;
    Canvas* canvas_ = nullptr;
    std::unique_ptr<CanvasEditorControls> controls_;
    bool closingEditor_ = false;
    bool portHintShown_ = false;
    bool shutDown_ = false;
};

} // namespace tolvane
