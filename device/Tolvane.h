#pragma once
// The plug-in object: owner of the 138 parameters, the editor delegate the
// screen talks to, the processor the MIDI side talks to, and the device link
// that keeps the editor and the pedal in agreement.
//
// Sections
//   1. Construction and the framework hooks
//   2. Call points for the transfer components and the editor's display logic
//   3. Connection (identification, reconnect, pending message)
//   4. Presets (synchronisation, dumps, store / select / request, save)
//   5. Live edits (change hook, interlocks, voicings, pedal reports)
//   6. Settings blocks and factory resets
//   7. Local library (labels, checksums, Clear Cache Data)
//   8. State for the editor and for tests
//
// The member functions are spread over Tolvane.cpp (1-3), PresetSync.cpp (4),
// LiveEdit.cpp (5), SettingsBlocks.cpp (6) and LinkCache.cpp (7).
//
// Threads: the receive entry (ProcessSysEx) and everything it triggers run on
// the audio thread; the periodic task, the idle step and all user actions on
// the user-interface thread. Screen effects made on the audio thread, and
// every parameter value on its way to the controls, are queued in one ring
// (QueuedEditorSeam) and replayed in the order raised by the idle step;
// messages for the user from the audio thread go through the pending message.
// Every member both threads reach says at its declaration which thread owns
// it and how the other one gets it: an atomic, a Snapshot (a small value read
// and replaced whole), or a step queued to the user-interface thread.
//
// The audio thread allocates nothing and touches no file there (it holds the
// block step's mark, core/RealtimeScope.h, and the link tests count both):
// texts for the screen are built in fixed buffers or seen in place, what the
// receive entry asks of the cache is answered by CacheHandOver's mirror, the
// preset dumps and IR records it keeps are handed to the user-interface
// thread through CacheHandOver's queue (written by the idle step before the
// screen queue is replayed, and before any cache read on that thread), and
// work that needs files or builds text (the folder scan, a slot-view bank,
// the check after a restore) is queued there as a step of the screen queue.

#include "core/AppPlugin.h"
#include "core/EditorSeam.h"
#include "core/MessageSender.h"
#include "core/RingBuffer.h"
#include "core/Snapshot.h"
#include "device/CacheHandOver.h"
#include "device/DeviceTables.h"
#include "device/InboundRouter.h"
#include "device/IrUploadRecord.h"
#include "device/KeptSettingsBlocks.h"
#include "device/LinkFlags.h"
#include "device/LinkLibrary.h"
#include "device/LinkTags.h"
#include "device/NameText.h"
#include "device/QueuedEditorSeam.h"
#include "device/TransferWiring.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tolvane {

// Empty call points, filled by whoever owns the behaviour. An empty function
// means "nothing there yet" and is skipped (queries answer false).
struct TransferCallPoints {
    // Periodic task step 2: a firmware update is running; send its next block.
    std::function<bool()> firmwareUpdateRunning;
    std::function<void()> sendNextFirmwareBlock;
    // Step 3: a restore is running; may it send, and send its next message
    // (Begin bulk transfer for a pending bulk start is sent by the link).
    std::function<bool()> restoreRunning;
    std::function<bool()> restoreMaySend;
    std::function<void()> sendNextRestoreMessage;
    // Step 4: a backup export is running; one step of it (connected given).
    std::function<bool()> exportRunning;
    std::function<void(bool connected)> exportStep;
    // Step 7: the IR upload may send its next message.
    std::function<void()> irUploadStep;
    // Every tick, before the steps: each transfer waiting for the pedal counts
    // the tick and gives up, with a message, when the answer is overdue.
    std::function<void()> watchTransfers;
    // The bulk load took a preset (slot, its 256 record bytes), and it ended
    // with every slot read: after a restore the backup is checked against them.
    std::function<void(int slot, std::span<const std::uint8_t> record)> presetLoaded;
    std::function<void()> presetsLoaded;
    // RECONNECT, or the pedal's ports went away: every running transfer
    // ends, saying what was done and why.
    std::function<void(link::LinkEnd why)> resetTransfers;
    // Request impulse response for an IR number: the deferred request of
    // step 1 and the Preset dump's request for an IR the library lacks.
    std::function<void(int number)> requestIr;

    // Receive side: a Preset dump while an export runs, IR streams, IR name
    // blocks, the statuses the transfers own (0x61, 0x63, 0x71-0x73, 0x7D,
    // 0x7E while a restore runs) and the boot loader's statuses.
    std::function<void(const sysex::SysexBlockView&)> exportPresetDump;
    std::function<void(const sysex::StreamMessageView&)> irStream;
    std::function<void(const sysex::SysexBlockView&)> irNameBlock;
    std::function<void(std::uint8_t code)> transferStatus;
    std::function<void(std::uint8_t code)> bootLoaderStatus;

    // The IR display for a selector value (run on the user-interface thread,
    // queued there when asked for elsewhere), and the IR slot view's bank.
    std::function<void(int irValue)> refreshIrDisplay;
    std::function<void(int bank)> showIrBank;
    // The name the IR slot view shows for a user slot (empty when none).
    std::function<std::string(int slot)> slotViewName;

    // Menu commands 1, 5, 6 (firmware page, import all, export all) and About.
    std::function<void(MenuCommand)> menuCommand;
    std::function<bool()> requestAbout;
    // Help > Read Manual (writes the manual from the resources and opens it).
    std::function<bool()> requestManual;
};

struct DisplayCallPoints {
    // The display step of a parameter change (read-outs, pages, lists),
    // after the link's own part; runs on the thread of the change.
    std::function<void(int index)> paramDisplay;
    // The idle display step (preset stepping, blinking), and whether it needs
    // the next tick (user-interface thread).
    std::function<void()> idleDisplay;
    std::function<bool()> idleDisplayNeedsTicks;
    // After a received preset: the voicings found (10 / 5 for none).
    std::function<void(int amp, int ambience)> voicingsDetected;

    // The IR display: "the sample buffer (IrSamples) changed, draw it again".
    std::function<void()> irSamplesChanged;
    // Row 0..31 of the IR slot view has a new text (Transfers().slotViewName);
    // called on the thread that changed it, also the audio thread.
    std::function<void(int row)> irSlotViewChanged;
    // The editor's keys that the pages act on (preset stepping, saving,
    // preset files, closing an overlay); true when handled.
    std::function<bool(EditorCommand)> editorCommand;
};

class Tolvane : public AppPlugin, private IInboundHandler {
public:
    // ---- 1. Construction and hooks --------------------------------------------

    // sender reaches the pedal, editor the screen, library the data folder.
    // A parameter table taken from an earlier link (ReleaseParams) is used
    // again with its defaults restored, which saves building 138 parameters.
    Tolvane(ISysExSender& sender, IEditorSeam& editor, ILinkLibrary& library, ParamList reused = {});
    ~Tolvane() override;

    // The files the transfers use (the library's, supplied by whoever builds
    // the plug-in). Until this is called the transfers are not wired and
    // their actions do nothing; files without both interfaces are ignored.
    // Call once, before the timers run and the clock starts.
    void SetTransferFiles(TransferFiles files);
    TransferWiring* Wiring() { return wiring_ ? &*wiring_ : nullptr; }
    // Hands the parameter table to the next link; for a link about to be
    // destroyed, whose timers are stopped.
    ParamList ReleaseParams();

    // How long the destructor waits after stopping the timers, so that an
    // audio callback still running has finished with the object.
    void SetTeardownWait(std::chrono::milliseconds wait) { teardownWait_ = wait; }

    using EditorDelegate::OnParamChange;
    void OnParamChange(int index) override;
    void ProcessSysEx(const SysExMessage& msg) override; // the receive entry
    void OnIdle() override;
    void EditorClosing() override;
    bool RequestAbout() override;
    bool RequestManual() override;
    void HandleMenuCommand(MenuCommand command) override;
    bool HandleEditorCommand(EditorCommand command) override;
    // The pedal's own values (preset, global settings, knob CC numbers) are
    // undoable; the editor's selections, list positions and the two-step
    // user-IR numbers are not.
    bool IsUndoable(int index) const override;
    bool FencesHistory(int index) const override;
    void OnDeviceTimer() override; // the periodic task, every 100 ms

    // ---- 2. Call points ---------------------------------------------------------

    TransferCallPoints& Transfers() { return transfers_; }
    DisplayCallPoints& Display() { return display_; }
    // What the link shows the screen through (queued off the UI thread).
    IEditorSeam& Screen() { return screen_; }
    // The same, as the one ordered queue of screen work: the page logic puts
    // its own steps there when they are raised off the user-interface thread.
    QueuedEditorSeam& ScreenQueue() { return screen_; }
    // Sends one message to the pedal.
    void Send(const std::uint8_t* bytes, std::size_t size) { sender_.SendSysEx(bytes, size); }
    template <typename M> void Send(const M& message) { Send(message.data(), message.size()); }

    // ---- 3. Connection ------------------------------------------------------------

    void Reconnect(); // the "RECONNECT" button
    // The host found the pedal's MIDI ports gone: what runs ends with a
    // message saying so, the status lines show it, and the link looks for
    // the pedal again, which finds it once the ports are back.
    void MidiPortsGone() override;
    // The ports are back (reopened by name): the status lines say the pedal
    // is being looked for.
    void MidiPortsBack() override;
    // Shown by the next idle step, as the pending message.
    void ShowHostMessage(const std::string& text) override;
    // Text shown by the next idle step (any thread, the clock's included:
    // allocates nothing; a newer text replaces an older one not yet shown).
    void SetPendingMessage(std::string_view text);

    // ---- 4. Presets -----------------------------------------------------------------

    void RequestPreset(int slot);
    void SelectPreset(int slot);
    void StorePreset();
    // The save button: the first press arms, the second stores into the current
    // slot (Set parameter 18) when connected, or disarms when not.
    void PressSave();
    // A press on a preset-list slot: Save to slot when armed, else Select preset
    // (only when connected).
    void PickPresetSlot(int slot);
    // The preset-name field's text was committed: it is stored with the preset.
    void CommitPresetName(const std::string& name);
    // A restore or the IR assignment asks for Begin bulk transfer on the next tick.
    void SetBulkStartPending() { bulkStartPending_.store(true); }

    // ---- 5. Live edits ----------------------------------------------------------------

    // Sets parameter index to the plain value v the way the program does it
    // itself (normalised, set, change hook, queued for the controls).
    void ApplyValue(int index, double v);
    void ApplyAmpVoicing(int k);
    void ApplyAmbienceVoicing(int k);
    void DetectVoicings();
    void ParameterChangedByPedal(int index, int value);
    // The IMPORT buttons name the IR position a user IR is given to.
    void SetIrEditTargets(bool positionA, bool positionB);
    // An import accepted for position 7 (positionA) or 8: it becomes the IR
    // edit target and gets user IR slot; its high part goes to the pedal
    // now, its low part when the pedal reports IR number step done.
    void TargetUserIrSlot(bool positionA, int slot);
    // Whether the IR list's last event was a press (parameter 72 acts only then).
    void SetIrListEventIsPress(bool press) { irListPress_ = press; }
    // The text the IR list row of position 7 (which = 0) or 8 (1) shows.
    void SetIrNameText(int which, std::string_view name);

    // ---- Transfers started by the user (need SetTransferFiles) ----------------------------

    // The IMPORT buttons and the IR slot view: a WAV file for user IR slot;
    // once it is accepted, IR position 7 or 8 (irPosition; 0: none) of the
    // current preset is pointed at the slot.
    void ImportIrFile(int slot, int irPosition = 0);
    // The "UPDATE FIRMWARE" button with the chosen image, and the page's "X".
    void LoadFirmware(const std::string& path);
    void CloseFirmwarePage();
    // The main page's EXPORT and IMPORT of a single preset.
    void SavePresetFile();
    void LoadPresetFile();
    // The impulse response being imported or shown (the IR display draws it).
    const IrSampleBuffer& IrSamples() const { return irSamples_; }

    // ---- 6. Settings blocks -------------------------------------------------------------

    void RequestSettingsBlock(int type);
    void StoreSettingsBlock(int type);
    // The data of a Store settings block of type 0, 1 or 2.
    std::array<std::uint8_t, kPresetRecordBytes> BuildSettingsData(int type) const;
    // The reset buttons: ask "Are you sure?", then reset (0 all, 1 presets,
    // 2 settings). The caches are emptied first for 0 and 1.
    void FactoryResetButton(int kind);
    void OpenGlobalSettings();
    void CloseGlobalSettings();
    void OpenKnobCcPage();
    void LeaveKnobCcPage();
    void OpenProgramMapPage();
    void LeaveProgramMapPage();
    // The controller-jack page: reads the type-1 block on opening and writes
    // it back, jack set-up included, on leaving.
    void OpenJacksPage();
    void LeaveJacksPage();

    // ---- 7. Local library -----------------------------------------------------------------

    void LabelPresetsFromSlotFiles();
    void LabelPresetsFromFolderScan();
    void ClearCacheData();

    // ---- 8. State --------------------------------------------------------------------------

    const LinkFlags& Flags() const { return flags_; }
    // The transfer components share the link flags and the bulk-start request.
    LinkFlags& SharedFlags() { return flags_; }
    std::atomic<bool>& BulkStartPendingFlag() { return bulkStartPending_; }
    bool Connected() const { return flags_.connected.load(); }
    void SetAutoConnect(bool on) { flags_.autoConnect.store(on); }
    void SetConnected(bool on) { flags_.connected.store(on); }
    bool BulkLoadRunning() const { return bulkLoadRunning_.load(); }
    int CurrentPreset() const { return currentPreset_.load(); }
    void SetCurrentPreset(int slot) { currentPreset_.store(slot); }
    // The slot of the last preset that arrived (-1 before any), and how many
    // have arrived: the list highlights that row, and only it.
    int SelectedPresetRow() const { return selectedPresetRow_.load(); }
    int PresetArrivals() const { return presetArrivals_.load(); }
    int PatchOffset() const;
    ChecksumPair LocalChecksum(int slot) const {
        return localChecksums_[static_cast<std::size_t>(slot)].Load();
    }
    ProgramMap GetProgramMap() const;
    const DeviceValueCache& DeviceValues() const { return deviceValueCache_; }
    const StoredPresetValues& StoredValues() const { return storedPresetValues_; }
    int AmpVoicing() const { return ampVoicing_.load(); }
    int AmbienceVoicing() const { return ambienceVoicing_.load(); }
    int LastEditIndex() const { return lastEdit_.Load().index; }
    int IrSlotStep() const { return irSlotStep_.load(); }
    bool IrRequestPending() const { return irRequestPending_.load(); }
    bool SaveArmed() const { return saveArmed_.load(); }
    // The pedal did not answer a save in time: the next press arms again
    // rather than storing at once.
    void DisarmSave() {
        blinkCounting_.store(false);
        saveArmed_.store(false);
    }
    FactoryIrNames FactoryNames() const;
    void SetFactoryIrName(int entry, std::string_view name);
    // The cache as the link reaches it: the mirror the clock asks, and the
    // writes it hands to the user-interface thread (drained by the idle step).
    CacheHandOver& Cache() { return cache_; }

protected:
    bool PushParamChange(const ParamChange& change) override;
    bool ShowInputLoss() override;
    // The edit tracking, the display hold, a pending message and the idle
    // display step count ticks; without them the framework timer may sleep.
    bool IdleNeedsTicks() const override;
    bool ScreenQueuesEmpty() const override {
        return AppPlugin::ScreenQueuesEmpty() && screen_.Empty() && cache_.Empty();
    }

private:
    friend class TransferWiring;

    // IInboundHandler: the routes of the receive entry.
    void OnPresetDump(const sysex::SysexBlockView& block) override;
    void OnSettingsBlock(const sysex::SysexBlockView& block, bool connected) override;
    void OnIrNameBlock(const sysex::SysexBlockView& block) override;
    void OnNameMessage(std::string_view name) override;
    void OnIrStream(const sysex::StreamMessageView& stream) override;
    void OnParameterChanged(int index, int value) override;
    void OnApplicationStatus(std::uint8_t code) override;
    void OnBootLoaderStatus(std::uint8_t code) override;

    bool EditorOpen() { return screen_.IsEditorOpen(); }
    bool TransferQuery(const std::function<bool()>& query) const { return query && query(); }
    int ParamInt(int index) const;
    // Set from a normalised value with the change hook, then queued for the controls.
    void SetAndQueue(int index, double normalised);

    // Connection
    void IdentificationReply(const sysex::SysexBlockView& block);
    void ShowPendingMessage();
    // Ends what runs and looks for the pedal again.
    void EndLink(link::LinkEnd why);
    // The status lines while the pedal is being looked for.
    void ShowLinkLines(const char* device, const char* version);
    // Connection and transfers
    void RequestIr(int number);
    // Presets
    void SetPresetNameText(std::string_view name);
    void ChecksumList(const sysex::SysexBlockView& block);
    void StartBulkLoad();
    void FinishBulkLoad();
    // The bulk load waits for a dump; one overdue ends the load.
    void WatchBulkLoad();
    // The load ended before every slot arrived (bulk load running already
    // cleared): End bulk transfer, the progress hidden, the user told.
    void EndBulkLoadEarly(const char* reason);
    void BulkPresetDump(const sysex::SysexBlockView& block);
    void NormalPresetDump(const sysex::SysexBlockView& block);
    void ShowProgress(int loaded, int total);
    int LowestPendingSlot() const;
    void SetRowText(int slot, std::string_view text);
    void SetRowColour(int slot, Colour colour);
    // Live edits
    void DeviceStep(int index, int v);
    void Interlock(int index, int v);
    void ShowPresetNumber(int number);
    void UpdatePresetModified();
    void ApplyVoicingValue(int index, int tableValue, bool fromMinimum);
    void LightVoicings();
    void IrNumberStepDone();
    void UserIrSlotLowPart(bool positionA, int v);
    void ClickIrSlot(int row, bool rightColumn);
    // IR slot A or B := slot; the step waits for the pedal after the high part.
    void SendUserIrSlotHighPart(bool positionA, int slot);
    // Settings
    void SettingsBlock(const sysex::SysexBlockView& block);
    void ApplySettingValue(int index, int v);
    void ApplySlotFileLabels(const SlotFileLabels& labels);
    // Local library: what became of a cache write the clock handed over
    // (user-interface thread).
    void CacheWritten(const CacheWriteResult& result);

    ISysExSender& sender_;
    QueuedEditorSeam screen_;
    ILinkLibrary& library_;
    // Every cache access the link makes, so that the clock's go to memory.
    CacheHandOver cache_;
    // The folder scan a new patch offset asks for, run on the user-interface thread.
    int folderScanAction_ = -1;
    TransferCallPoints transfers_;
    DisplayCallPoints display_;
    std::chrono::milliseconds teardownWait_{1000};

    LinkFlags flags_;
    DeviceValueCache deviceValueCache_{};
    StoredPresetValues storedPresetValues_{};
    // The program map: read by a received program change or settings block
    // (audio thread) and edited on its page (user-interface thread); one
    // number per entry, so atomics.
    std::array<std::atomic<std::int32_t>, kProgramMapSize> programMap_;
    KeptSettingsBlocks keptBlocks_;
    // Written when a factory IR arrives (audio thread) or is read from the
    // cache; read by a received preset and the pages: each name whole.
    std::array<Snapshot<NameText>, kNumFactoryIrNames> factoryIrNames_;

    // Connection
    int pollCounter_ = 0;
    std::atomic<bool> bulkStartPending_{false};
    // Room for the longest text left for the idle step: a stopped load's
    // reason with its count, or the host's sound-system notice (about 150).
    static constexpr std::size_t kPendingTextBytes = 256;
    struct PendingText {
        char text[kPendingTextBytes];
    };
    // Both threads leave texts; the idle step shows them.
    SharedProducerRing<PendingText, 8> pendingMessages_;

    // Presets
    // The cached presets' checksums: taken from the slot files (user-interface
    // thread) and from received presets (audio thread), each pair whole.
    std::array<Snapshot<ChecksumPair>, kPresetSlotCount> localChecksums_;
    std::array<std::atomic<bool>, kPresetSlotCount> pending_{};
    // Counted by the periodic task when the load starts and by each dump.
    std::atomic<int> pendingCount_{0};
    std::atomic<int> loadedCount_{0};
    std::atomic<bool> bulkLoadRunning_{false};
    // A received preset could not be written to the library during the load.
    std::atomic<bool> presetCacheFailed_{false};
    // Ticks since the last Request preset or dump of the running load.
    std::atomic<int> bulkWaitTicks_{0};
    std::atomic<int> bulkIndex_{0};
    std::atomic<int> currentPreset_{0};
    std::atomic<int> selectedPresetRow_{-1};
    std::atomic<int> presetArrivals_{0};
    std::atomic<bool> saveArmed_{false};
    std::atomic<bool> blinkCounting_{false};
    // The name Store preset sends, and the names of the user IRs of positions
    // 7 and 8: set by a received preset (audio thread) and by the user, a
    // file or an upload (user-interface thread); each read and replaced whole.
    Snapshot<NameText> presetName_;
    std::array<Snapshot<NameText>, 2> irNameText_;

    // Live edits
    // A value on the two-digit display holds it for a while: any thread that
    // changes a parameter asks for the hold, the idle step (user-interface
    // thread, sole owner of the count) takes the request and counts.
    std::atomic<bool> displayHoldAsked_{false};
    bool displayHold_ = false;
    int displayHoldTicks_ = 0;
    // The last tracked edit: made on the thread of the change (the pedal's
    // knobs arrive on the audio thread), ended by the idle step. Index and
    // value travel together, so a reader never pairs one edit's index with
    // another's value.
    struct EditMark {
        int index = -1;
        int value = 0;
    };
    Snapshot<EditMark> lastEdit_;
    // The idle step's sample of the last edit (user-interface thread only).
    EditMark sampledEdit_;
    int editSampleTicks_ = 0;
    // Found from a received preset (audio thread), read by the pages.
    std::atomic<int> ampVoicing_{10};
    std::atomic<int> ambienceVoicing_{5};
    // The two-step user-IR number: started by the user (user-interface
    // thread), advanced by the pedal's "step done" (audio thread), read by the
    // periodic task. Each is one number, so atomics.
    std::atomic<int> irSlotStep_{0};
    std::atomic<int> irSlotA_{0};
    std::atomic<int> irSlotB_{0};
    std::atomic<bool> irEditTargetA_{false};
    std::atomic<bool> irEditTargetB_{false};
    std::atomic<bool> irRequestPending_{false};
    bool irListPress_ = true;

    // Transfers. The IR display's samples belong to the user-interface
    // thread: it draws them, and a refresh asked for on the audio thread is
    // queued there (TransferWiring).
    IrSampleBuffer irSamples_{};
    // Last, so that it goes first: it refers to everything above. Held in
    // the object, so that building a link allocates nothing this large.
    std::optional<TransferWiring> wiring_;
};

} // namespace tolvane
