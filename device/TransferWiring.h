#pragma once
// The transfers of the device link, wired into the plug-in: IR upload,
// firmware update, IR download and display, backup export and restore, and
// preset files. The wiring owns the components and what only they share (the
// transfer buffer, the IR slot view's rows); the IR sample buffer is the
// plug-in's, since the editor draws it. The wiring fills the plug-in's call
// points, so that the periodic task, the receive entry and the menu reach them.
//
// Some steps always run on the user-interface thread, queued there when the
// pedal's answer that asks for them arrives on the audio thread: refreshing
// the IR display (its sample buffer is drawn by that thread, and loading it
// reads files), loading the second IR of a preset file (the file's path
// belongs to the user's file question), showing a bank of the IR slot view,
// checking a restore against the presets read back and emptying the caches
// after a restore (these build text or touch files). The receive entry's
// own cache writes go through the plug-in's CacheHandOver.
//
// The device link sits below the library, so the files the transfers use come
// in through interfaces; whoever builds the plug-in supplies the library's
// implementations (TransferFiles) with Tolvane::SetTransferFiles.

#include "core/Snapshot.h"
#include "device/BackupTransfer.h"
#include "device/FirmwareUpdate.h"
#include "device/IrDisplay.h"
#include "device/IrDownload.h"
#include "device/IrUpload.h"
#include "device/IrUploadFiles.h"
#include "device/PresetFileTransfer.h"
#include "device/PresetFileTransferStore.h"
#include "device/TransferBuffer.h"

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace tolvane {

class Tolvane;

// The text of an IR slot view row, held in place (the clock reads it too).
struct SlotViewText {
    char text[ir::kNameLength + 16] = {};
    std::string_view View() const { return std::string_view(text, strnlen(text, sizeof text)); }
};

struct TransferFiles {
    // WAV files and the IR cache files.
    std::shared_ptr<IIrFiles> irFiles;
    // Preset files (".dvp").
    std::shared_ptr<IPresetFileStore> presetFiles;
    // Backup files (".dvb"), whole.
    decltype(BackupHooks::readFile) readBackup;
    decltype(BackupHooks::writeFile) writeBackup;
    decltype(BackupHooks::fileSize) fileSize;
    // Where the export's file question starts.
    std::string dataFolder;
};

class TransferWiring {
public:
    static constexpr int kSlotViewRows = 32;

    // Fills plugin.Transfers(); the plug-in outlives the wiring.
    TransferWiring(Tolvane& plugin, TransferFiles files);

    IrUpload& Upload() { return upload_; }
    FirmwareUpdate& Firmware() { return firmware_; }
    IrDownload& Download() { return download_; }
    IrDisplay& Display() { return display_; }
    BackupTransfer& Backup() { return backup_; }
    PresetFileTransfer& PresetFile() { return presetFile_; }

    // The text of an IR slot view row: what the pedal's name blocks or an
    // upload last put there, else the library's name for the slot.
    std::string SlotViewName(int slot);
    // The same without allocating, for the clock thread.
    SlotViewText SlotViewTextOf(int slot);

private:
    void FillCallPoints();
    void SetSlotViewRow(int row, std::string_view text);
    int Param(int index) const;
    int UserIrNumber(int highIndex, int lowIndex) const;
    void Refresh();
    void FactoryIrWritten(int factoryIndex);

    IrUploadHooks UploadHooks();
    IrDownloadHooks DownloadHooks();
    IrDisplayHooks DisplayHooks();
    BackupHooks BackupFileHooks();
    PresetFileHooks PresetHooks();

    Tolvane& plugin_;
    TransferFiles files_;
    TransferBuffer transfer_;

    // The slot view's rows for the bank of parameter 77, written by the
    // user-interface thread (a bank change, an upload) and the audio thread
    // (name blocks), read by both: each row is replaced and read whole.
    struct RowText {
        bool set = false;
        char text[ir::kNameLength + 16] = {};
    };
    std::array<Snapshot<RowText>, kSlotViewRows> rows_;
    // Ids of the steps queued to the user-interface thread.
    int refreshAction_ = -1;
    int loadSecondIrAction_ = -1;
    // The check of a restore once the presets were read back (it builds its
    // report as text), and the end of a restore's emptying of the caches.
    int verifyRestoreAction_ = -1;
    int clearCacheAction_ = -1;
    // Showing a bank of the slot view (it names every row, as text).
    int showBankAction_ = -1;

    IrUpload upload_;
    FirmwareUpdate firmware_;
    IrDownload download_;
    IrDisplay display_;
    BackupTransfer backup_;
    PresetFileTransfer presetFile_;
};

} // namespace tolvane
