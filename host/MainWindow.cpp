#include "host/MainWindow.h"

#include "device/LinkTags.h"
#include "host/SettingsDialog.h"
#include "toolkit/Canvas.h"
#include "toolkit/CanvasEditorControls.h"
#include "toolkit/ModalDialogs.h"
#include "toolkit/OverlayControls.h"
#include "toolkit/TextControls.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace tolvane {

namespace {

constexpr const char* kCaption = "Tolvane";
// The frame kept free around the window until the window manager has drawn
// its own: a title bar and thin borders.
const QMargins kAssumedFrame(8, 32, 8, 8);
constexpr const char* kAboutText = "Tolvane 1.0.0\nEditor and librarian for the Brennix Velumo Ostrel.";
constexpr const char* kManualFallbackText = "See the manual";
// The status lines while a MIDI port is off, read as one sentence.
constexpr const char* kNoPortsText = "No MIDI ports chosen: open";
constexpr const char* kNoInputText = "No MIDI input port chosen: open";
constexpr const char* kNoOutputText = "No MIDI output port chosen: open";
constexpr const char* kWhereToChooseText = "File \u203A MIDI Settings (Ctrl+,)";
// The sound system is opened after the first paint, or after this at the latest.
constexpr int kOpenSoundSystemLatest = 1000;

void ShowMessage(QWidget* owner, const char* text) {
    QMessageBox box(QMessageBox::NoIcon, kCaption, text, QMessageBox::Ok, owner);
    modal::Run(box);
}

} // namespace

MainWindow::MainWindow(std::unique_ptr<AppHost> host, EditorHooks hooks)
    : host_(std::move(host)), hooks_(std::move(hooks)) {
    modal::ResetQuitting();
    setWindowTitle(kCaption);
    // A fixed client area: no sizing border and no maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    const EditorSizeLimits& limits = host_->Plugin().SizeLimits();
    // Logical pixels, so the system's scale factor is applied on top.
    setMinimumSize(limits.minWidth, limits.minHeight);
    setMaximumSize(limits.maxWidth, limits.maxHeight);
    BuildMenus();
    OpenEditor();
    CentreOnScreen();
    if (!host_->SoundSystemOpened()) {
        canvas_->installEventFilter(this);
        // A window that is never painted (started minimised) still gets its pedal.
        QTimer::singleShot(kOpenSoundSystemLatest, this, &MainWindow::OpenSoundSystem);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == canvas_ && event->type() == QEvent::Paint) {
        canvas_->removeEventFilter(this);
        // Queued: the paint finishes and reaches the screen first.
        QTimer::singleShot(0, this, &MainWindow::OpenSoundSystem);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::OpenSoundSystem() {
    if (!host_ || host_->SoundSystemOpened()) return;
    host_->OpenSoundSystem();
    host_->StartClock();
    // A remembered port that is no longer there was set to "off".
    ShowPortHint();
}

MainWindow::~MainWindow() {
    ShutDown();
}

void MainWindow::BuildMenus() {
    AppPlugin& plugin = host_->Plugin();
    auto command = [this, &plugin](QMenu* menu, const char* text, MenuCommand code) {
        connect(menu->addAction(text), &QAction::triggered, this,
                [&plugin, code] { plugin.HandleMenuCommand(code); });
    };

    QMenu* file = menuBar()->addMenu("&File");
    command(file, "&Import All Presets to Ostrel...", MenuCommand::ImportAllPresets);
    command(file, "&Export All Presets from Ostrel ...", MenuCommand::ExportAllPresets);
    file->addSeparator();
    command(file, "&Firmware Update...", MenuCommand::FirmwareUpdate);
    command(file, "&Clear Cache Data", MenuCommand::ClearCacheData);
    file->addSeparator();
    QAction* settings = file->addAction("&MIDI Settings...\tCtrl+,");
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(settings, &QAction::triggered, this, &MainWindow::OpenMidiSettings);
    command(file, "&Ostrel Global Settings...", MenuCommand::GlobalSettings);
    file->addSeparator();
    connect(file->addAction("&Quit"), &QAction::triggered, this, &QWidget::close);

    BuildEditAndPresetMenus();

    QMenu* help = menuBar()->addMenu("&Help");
    connect(help->addAction("&About"), &QAction::triggered, this, [this, &plugin] {
        if (!plugin.RequestAbout()) ShowMessage(this, kAboutText);
    });
    QAction* manual = help->addAction("&Read Manual");
    manual->setShortcut(QKeySequence(Qt::Key_F1));
    connect(manual, &QAction::triggered, this, [this, &plugin] {
        if (!plugin.RequestManual()) ShowMessage(this, kManualFallbackText);
    });

    // These keys belong to the window and do nothing, so the editor never sees them.
    for (auto key : {Qt::Key_B, Qt::Key_D, Qt::Key_F}) {
        auto* swallow = new QAction(this);
        swallow->setShortcut(QKeySequence(Qt::CTRL | key));
        swallow->setShortcutContext(Qt::WindowShortcut);
        addAction(swallow);
    }
}

void MainWindow::BuildEditAndPresetMenus() {
    AppPlugin& plugin = host_->Plugin();
    auto item = [this](QMenu* menu, const char* text, QKeySequence key, auto act) {
        QAction* action = menu->addAction(text);
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, act);
        return action;
    };
    auto command = [&plugin](EditorCommand c) { return [&plugin, c] { plugin.HandleEditorCommand(c); }; };

    QMenu* edit = menuBar()->addMenu("&Edit");
    item(edit, "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), [&plugin] { plugin.Undo(); });
    item(edit, "&Redo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), [&plugin] { plugin.Redo(); });
    // Shown as they are: whether there is something to undo or redo now.
    connect(edit, &QMenu::aboutToShow, this, [edit, &plugin] {
        const auto actions = edit->actions();
        actions[0]->setEnabled(plugin.CanUndo());
        actions[1]->setEnabled(plugin.CanRedo());
    });
    // Closed, the shortcuts act again; with nothing to do they do nothing.
    connect(edit, &QMenu::aboutToHide, this, [edit] {
        for (QAction* a : edit->actions())
            a->setEnabled(true);
    });
    edit->addSeparator();
    item(edit, "&Close Page", QKeySequence(Qt::Key_Escape), command(EditorCommand::CloseOverlay));

    QMenu* preset = menuBar()->addMenu("&Preset");
    item(preset, "Preset &Up", QKeySequence(Qt::Key_Up), command(EditorCommand::PresetUp));
    item(preset, "Preset &Down", QKeySequence(Qt::Key_Down), command(EditorCommand::PresetDown));
    item(preset, "Up &10 Presets", QKeySequence(Qt::Key_PageUp), command(EditorCommand::PresetUpTen));
    item(preset, "Down 1&0 Presets", QKeySequence(Qt::Key_PageDown), command(EditorCommand::PresetDownTen));
    preset->addSeparator();
    item(preset, "&Save to Its Slot", QKeySequence(Qt::CTRL | Qt::Key_S),
         command(EditorCommand::SavePresetToSlot));
    item(preset, "&Import Preset File...", QKeySequence(Qt::CTRL | Qt::Key_I),
         command(EditorCommand::ImportPresetFile));
    item(preset, "&Export Preset File...", QKeySequence(Qt::CTRL | Qt::Key_E),
         command(EditorCommand::ExportPresetFile));
}

QRect MainWindow::FreeArea() const {
    if (hooks_.freeArea) return hooks_.freeArea();
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect();
}

float MainWindow::LargestFittingScale(int width, int height) const {
    const QRect free = FreeArea();
    if (free.isEmpty() || width <= 0 || height <= 0) return CornerResizerControl::kMaxScale;
    // Before the window is first shown it has no frame yet: room is kept for
    // a title bar and borders as window managers draw them.
    QMargins frame(frameGeometry().left() - geometry().left(), frameGeometry().top() - geometry().top(),
                   frameGeometry().right() - geometry().right(),
                   frameGeometry().bottom() - geometry().bottom());
    if (frame.isNull()) frame = kAssumedFrame;
    const int chromeWidth = frame.left() + frame.right();
    const int chromeHeight = frame.top() + frame.bottom() + menuBar()->sizeHint().height();
    const float fit = std::min(float(free.width() - chromeWidth) / float(width),
                               float(free.height() - chromeHeight) / float(height));
    return std::clamp(fit, CornerResizerControl::kMinScale, CornerResizerControl::kMaxScale);
}

void MainWindow::FitToScreen() {
    if (!canvas_) return;
    const float largest = LargestFittingScale(canvas_->Width(), canvas_->Height());
    canvas_->SetLargestScale(largest);
    if (canvas_->GetDrawScale() > largest)
        canvas_->SetCanvasScale(canvas_->Width(), canvas_->Height(), largest);
}

bool MainWindow::event(QEvent* e) {
    // On another screen the window may no longer fit.
    if (e->type() == QEvent::ScreenChangeInternal) {
        FitToScreen();
        CentreOnScreen();
    }
    return QMainWindow::event(e);
}

void MainWindow::OpenEditor() {
    AppPlugin& plugin = host_->Plugin();
    const EditorSizeLimits& limits = plugin.SizeLimits();
    EditorWindowState state = plugin.LastWindowState();
    if (state.scale == 0.f) {
        // The first start shows the editor as large as the screen allows.
        const std::optional<float> stored = host_->File().StoredGuiScale();
        state = {limits.width, limits.height,
                 stored ? *stored : LargestFittingScale(limits.width, limits.height)};
    }

    canvas_ = new Canvas(&plugin, limits.width, limits.height, 60, this);
    controls_ = std::make_unique<CanvasEditorControls>();
    controls_->Attach(canvas_);
    plugin.AttachEditorControls(controls_.get());
    if (hooks_.opened) hooks_.opened(*canvas_, plugin);
    canvas_->SetCanvasScale(state.width, state.height, state.scale);
    // Resizing never grows the window past the screen's free area, so its
    // corner handle stays in reach; a stored scale that no longer fits is
    // reduced.
    FitToScreen();
    canvas_->setFixedSize(canvas_->size());
    setCentralWidget(canvas_);
    // The corner handle changes the draw scale: the window follows the canvas.
    connect(canvas_, &Canvas::ScaleChanged, this, [this] {
        if (!canvas_) return;
        canvas_->setFixedSize(canvas_->size());
        resize(sizeHint());
    });
    plugin.PushAllValuesToControls();
    ShowPortHint();
}

void MainWindow::ShowPortHint() {
    if (!canvas_ || !host_) return;
    auto setLine = [this](ControlTag tag, const char* text) {
        if (auto* line = dynamic_cast<TextControl*>(canvas_->ControlByTag(tag))) line->SetStr(text);
    };
    const HostSettings& s = host_->Settings();
    const bool input = s.midiInputPort != kPortOff;
    const bool output = s.midiOutputPort != kPortOff;
    if (input && output) {
        // Ports chosen: the pedal is looked for again as after RECONNECT.
        if (portHintShown_) {
            setLine(link::kTagDeviceLine, "");
            setLine(link::kTagVersionLine, link::kTextConnecting);
        }
        portHintShown_ = false;
        return;
    }
    setLine(link::kTagDeviceLine, input ? kNoOutputText : output ? kNoInputText : kNoPortsText);
    setLine(link::kTagVersionLine, kWhereToChooseText);
    setLine(link::kTagSerialLine, "");
    portHintShown_ = true;
}

void MainWindow::CloseEditor() {
    if (closingEditor_ || !canvas_) return;
    closingEditor_ = true;
    AppPlugin& plugin = host_->Plugin();
    plugin.EditorClosing();
    host_->File().SaveGuiScale(canvas_->GetDrawScale());
    plugin.KeepWindowState({canvas_->Width(), canvas_->Height(), canvas_->GetDrawScale()});
    if (hooks_.closing) hooks_.closing(plugin);
    plugin.DetachEditorControls();
    controls_->Detach();
    controls_.reset();
    delete canvas_;
    canvas_ = nullptr;
    closingEditor_ = false;
}

void MainWindow::CentreOnScreen() {
    // Not adjustSize(): it caps a window at two thirds of the screen, which
    // would crop the fixed-size canvas on a small screen.
    resize(sizeHint());
    const QRect area = FreeArea();
    if (area.isEmpty()) return;
    const QSize client = size();
    // Centred in the free area, the title bar never above its top.
    const int top = frameGeometry().top() == geometry().top() ? kAssumedFrame.top()
                                                              : geometry().top() - frameGeometry().top();
    move(area.x() + area.width() / 2 - client.width() / 2,
         std::max(area.y() + top, area.y() + area.height() / 2 - client.height() / 2));
}

void MainWindow::BringToFront() {
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::OpenMidiSettings() {
    OpenSoundSystem(); // the lists need the ports
    SettingsDialog dialog(*host_, this);
    if (modal::Run(dialog) == QDialog::Accepted && host_) host_->SaveSettings();
    ShowPortHint();
}

void MainWindow::ShutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    CloseEditor();
    host_.reset();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A dialog open means this close arrived inside its event loop, with its
    // caller still on the stack: close the dialogs and come back once they
    // have returned.
    if (!modal::ToQuit()) {
        event->ignore();
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    ShutDown();
    event->accept();
    emit Closed();
}

} // namespace tolvane
