// A backup file: split into messages, summarised, rewritten for a restore,
// then restored through a connected link to a pedal model.

#include "device/BackupTransferMessages.h"
#include "fuzz/LinkRig.h"
#include "library/BackupFile.h"

#include "device/Tolvane.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tolvane::fuzz::LinkRig& rig = *new tolvane::fuzz::LinkRig;
    std::vector<std::uint8_t> bytes(data, data + size);
    tolvane::SummariseBackup(bytes);
    if (const auto spans = tolvane::backup::SplitMessages(bytes)) {
        std::vector<std::uint8_t> copy = bytes;
        std::uint32_t sum = 0;
        for (const auto& m : *spans) {
            if (m.offset + m.length > copy.size()) __builtin_trap();
            tolvane::backup::RewriteForRestore({copy.data() + m.offset, m.length}, sum);
            tolvane::backup::UsedIrSlots({copy.data() + m.offset, m.length});
        }
    }
    rig.SetBackupFile(std::move(bytes));
    rig.Drive(tolvane::fuzz::LinkState::Connected, 40,
              [](tolvane::Tolvane& link) { link.HandleMenuCommand(tolvane::MenuCommand::ImportAllPresets); });
    return 0;
}
