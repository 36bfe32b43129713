#pragma once
// The editor's page logic for one plug-in: how the pages follow the
// parameters (read-outs, captions, section pages, graphs, lists), the idle
// step's preset stepping and blinking, and what the buttons and switches do.
// The page builder (EditorPages.h) makes one, lays the controls out for it and
// installs it in the plug-in's display call points.
//
// Sections
//   1. Construction, hooks and the drawing context
//   2. Display steps (the plug-in's call points)
//   3. Section pages and voicing buttons
//   4. Button actions
//   5. Preset browser
//   6. The editor's keys
//   7. State, for the builder and for tests
//
// Threads: the display step runs on the thread of the parameter change. On the
// user-interface thread it touches the controls at once; on any other thread
// (values from the pedal, applied by the audio thread) it keeps only the state
// that lives without a window and puts the rest of the step in the plug-in's
// queue of screen work, which the next framework tick replays on the
// user-interface thread in the order everything was raised. A section page
// asked for off that thread is queued the same way. Page switches follow only
// changes made on the user-interface thread with the apply flag clear.

#include "core/EditorDelegate.h"
#include "core/EditorSeam.h"
#include "device/ParamTable.h"
#include "ui/PageTags.h"

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace tolvane {
class Canvas;
class Control;
class TextControl;
class InvisibleSelectControl;
class DynamicsResponseGraph;
class FreqResponseGraph;
class Tolvane;
} // namespace tolvane

namespace tolvane::ui {

// What the pages hand to parts of the program that the plug-in does not
// offer itself (file transfers, firmware). Empty functions do nothing.
struct PageHooks {
    std::function<void()> loadPresetFile; // main "IMPORT"
    std::function<void()> savePresetFile; // main "EXPORT"
    // "UPDATE FIRMWARE" with the chosen ".ldr" path.
    std::function<void(const std::string& path)> loadFirmware;
    // The firmware page's "X"; when empty the pages close it themselves.
    std::function<void()> closeFirmwarePage;
    std::string version = "1.0.0";
    std::string makerSiteText = "www.brennix.com";
    std::string makerSiteUrl = "https://www.brennix.com/downloads";
};

inline constexpr Colour kColourRow{150, 100, 255, 255};
inline constexpr Colour kColourRowSelected{255, 100, 255, 255};
inline constexpr Colour kColourDisplay{255, 255, 255, 255};
inline constexpr Colour kColourIrSlotRow{255, 120, 120, 120};
inline constexpr Colour kColourIrSlotRowChosen{255, 200, 200, 200};

inline constexpr int kIrSlotsPerBank = 32;
inline constexpr int kIrSlotsPerColumn = 16;

class EditorUi {
public:
    // ---- 1. Construction ---------------------------------------------------
    // The calling thread becomes the user-interface thread.
    EditorUi(Tolvane& plugin, PageHooks hooks);
    EditorUi(const EditorUi&) = delete;
    EditorUi& operator=(const EditorUi&) = delete;

    Tolvane& Plugin() { return plugin_; }
    const PageHooks& Hooks() const { return hooks_; }

    // The pages are built on graphics: the display steps may touch them now.
    void Attach(Canvas& graphics);
    // The ids of the display step and of ShowSectionPage in the plug-in's
    // queue of screen work (the builder registers them).
    void SetQueuedSteps(int displayStep, int showPage, int presetPage) {
        displayStepAction_ = displayStep;
        showPageAction_ = showPage;
        presetPageAction_ = presetPage;
    }
    // The drive page shown again for a received preset, with the apply flag
    // set as while the preset was applied: nothing goes back to the pedal.
    void ShowDrivePageForPreset();
    // The display step of a change raised on another thread, now on this one.
    void QueuedDisplayStep(int index) { RunDisplayStep(index, false); }
    // The window is gone; state goes on being kept.
    void Detach();
    Canvas* Graphics() const { return canvas_.load(); }

    // Controls the logic needs beyond tags, registered by the builder.
    struct Controls {
        std::array<TextControl*, 128> presetRows{};
        InvisibleSelectControl* listSurface = nullptr;
        DynamicsResponseGraph* dynamicsGraph = nullptr;
        FreqResponseGraph* freqGraph = nullptr;
        std::array<TextControl*, kIrSlotsPerBank> irSlotRows{};
    };
    Controls controls;

    // ---- 2. Display steps ---------------------------------------------------
    void ParamDisplay(int index);
    void IdleDisplay();
    // Whether IdleDisplay needs the next tick: something steps or blinks, a
    // preset arrived, or the number display waits to be shown again.
    bool IdleDisplayNeedsTicks() const;
    // A preset arrived and its voicings were found: with the drive page on
    // show, the page is shown again so that COMPRESSION follows Dynamics.
    void VoicingsDetected();
    // The dynamics graph takes the knees and slopes of the current values.
    void PrimeGraphs();

    // ---- 3. Section pages and voicing buttons --------------------------------
    void ShowSectionPage(int page);
    int CurrentPage() const { return currentPage_.load(); }
    // The compressor's or the expander's controls, as Dynamics says.
    void ShowDynamicsRatio();
    // k = 0..9 (10: none) and 0..4 (5: none); only while the window is open.
    void LightAmpVoicing(int k);
    void LightAmbienceVoicing(int k);

    // ---- 4. Button actions ---------------------------------------------------
    void AmpModelButton(int k, Control& button);
    void ReverbTypeButton(int k, Control& button);
    void FilterSwitch(Control& button);
    void IrImport(bool firstPosition);
    void UpdateFirmware();
    void CloseFirmwarePage();
    void CloseGlobalSettings();
    void CloseCustomIrPicker();
    // The about overlay when a window exists; false otherwise.
    bool ShowAbout();

    // ---- 5. Preset browser -----------------------------------------------------
    // Bitmap buttons call these on press and again on release.
    void UpDownSwitch(Control& button, int direction);
    void SelectSwitch(Control& button);
    void SaveButton(Control& button);

    // ---- 6. The editor's keys ---------------------------------------------------
    // Up and down step as the switches do (ten at a time too), saving stores
    // the current preset into its slot as a second press of SAVE would,
    // import and export are the main page's buttons, and closing takes the
    // topmost text editor, popup menu, overlay or settings page away. True
    // when the command was for the pages.
    bool KeyCommand(EditorCommand command);

    // ---- 7. State ---------------------------------------------------------------
    int FirstVisiblePreset() const { return firstVisible_.load(); }
    int SelectedPresetRow() const { return selectedRow_; }
    bool SelectArmed() const { return selectArmed_; }
    bool BlinkCounting() const { return blinkCounting_; }
    bool AutoFilterOn() const { return autoFilterOn_.load(); }
    int ChosenIrSlot() const { return chosenIrSlot_; }

private:
    bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }
    int ParamInt(int index) const;
    Control* ByTag(ControlTag tag) const;
    TextControl* TextByTag(ControlTag tag) const;
    void SetText(ControlTag tag, const std::string& text) const;
    void SetControlHidden(ControlTag tag, bool hidden) const;
    void SetControlDisabled(ControlTag tag, bool disabled) const;

    void RunDisplayStep(int index, bool userEdit);
    void FeedGraphs(int index, int v);
    void IrPositionMode(int index, int v);
    void SwitchPageFor(int index);
    void ShowCustomIrBank(int bank);
    void ClickIrSlot(int index, int v);
    void RefreshIrDisplay(int irValue);

    void PlaceRows();
    void ListEvent();
    void PressListRow(int row);
    void HighlightRow(int slot, bool selected);
    void HighlightOnly(int slot);
    void StepPreset(int direction);
    // Whether the current preset may be left: true when it holds no edits the
    // pedal has not stored, or when the user agrees to drop them.
    bool MayLeaveEditedPreset();
    // What a press of up or down shows after stepping, and what its release sends.
    void ShowSteppedPreset();
    void SelectSteppedPreset();
    void StepPresetsByKey(int steps);
    void SavePresetToSlotByKey();
    bool CloseTopmost();
    bool GroupShown(const char* group) const;
    void ShowNumber(bool visible) const;
    void BlinkStep(int period, int hidePhase, bool& armed);

    Tolvane& plugin_;
    PageHooks hooks_;
    std::thread::id uiThread_;
    std::atomic<Canvas*> canvas_{nullptr};

    int displayStepAction_ = -1;
    int showPageAction_ = -1;
    int presetPageAction_ = -1;

    std::atomic<int> currentPage_{kPageNone};
    std::atomic<bool> autoFilterOn_{false};
    std::atomic<int> firstVisible_{0};
    int chosenIrSlot_ = 0;

    // Preset browser
    // The one highlighted row (-1: none). A press moves it; every preset that
    // arrives puts it on that preset's row.
    int selectedRow_ = -1;
    int arrivalsSeen_ = 0;
    bool upHeld_ = false;
    bool downHeld_ = false;
    bool selectHeld_ = false;
    bool saveHeld_ = false;
    bool selectArmed_ = false;
    // Up or down pressed on an edited preset: nothing steps while held, and
    // the release asks whether to leave it.
    bool askAtRelease_ = false;
    int repeatTicks_ = 0;
    int blinkPhase_ = 0;
    int blinkCount_ = 0;
    bool blinkCounting_ = false;
    // The wait for the pedal's answer to a save ran out while the plug-in
    // still holds the save armed: the display stops blinking.
    bool saveWaitOver_ = false;
};

} // namespace tolvane::ui
