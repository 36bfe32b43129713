#pragma once
// The main page's EXPORT and IMPORT of a single preset: saving the current
// preset with the user IRs it uses, and loading one onto the current preset,
// its IRs redirected to the preset's own user IR slots (p and 128 + p) and
// uploaded one after the other before the preset is stored.
//
// Entry points and who calls them:
//   SavePresetFile  user-interface thread: the EXPORT button.
//   LoadPresetFile  user-interface thread: the IMPORT button.
//   LoadSecondIr    user-interface thread: queued there by IrUpload's IR
//                   assignment done (audio thread) while both IR positions of
//                   a loaded file are pending (hook loadSecondIr). The file's
//                   path is only ever touched on the user-interface thread.

#include "core/EditorSeam.h"
#include "core/ParamList.h"
#include "device/IrUpload.h"
#include "device/IrUploadFiles.h"
#include "device/LinkFlags.h"
#include "device/PresetFileTransferStore.h"

#include <functional>
#include <string>

namespace tolvane {

struct PresetFileHooks {
    // Text of the preset-name field (tag 134).
    std::function<std::string()> presetNameText;
    // Name shown for the user IR of position 7 or 8 (tags 69, 70).
    std::function<std::string(int position)> irPositionName;
    // The current preset slot p, 0..127.
    std::function<int()> currentPreset;
    // Applies one value from a file: DeviceValueCache[index] := value, the
    // parameter set from the plain value, the change passed to the controls.
    // Called with the apply flag set and edit tracking off.
    std::function<void(int index, int value)> applyFileValue;
    // The preset-name field was given the name a loaded file carries: the
    // name Store preset sends follows it.
    std::function<void(const std::string& name)> presetNameChanged;
    // Keeps the name of position 7's or 8's user IR.
    std::function<void(int position, const std::string& name)> setIrPositionName;
    // Sets the pending message and marks it to be shown at the next idle step.
    std::function<void(const std::string& text)> setPendingMessage;
    // Store preset of the current preset.
    std::function<void()> sendStorePreset;
};

class PresetFileTransfer {
public:
    PresetFileTransfer(IEditorSeam& editor, IPresetFileStore& store, IIrFiles& files, const ParamList& params,
                       LinkFlags& link, IrUpload& upload, PresetFileHooks hooks);

    void SavePresetFile();
    void LoadPresetFile();
    void LoadSecondIr();

    const std::string& LastPath() const { return lastPath_; }

private:
    int Value(int index) const;
    void UploadRecord(const ir::RecordBytes& record, int slot);

    IEditorSeam& editor_;
    IPresetFileStore& store_;
    IIrFiles& files_;
    const ParamList& params_;
    LinkFlags& link_;
    IrUpload& upload_;
    PresetFileHooks hooks_;
    std::string lastPath_;
};

} // namespace tolvane
