#pragma once
// Firmware update: the firmware page, the image packed into the transfer
// buffer, and one boot-loader block per tick once the boot loader is ready.
//
// Entry points and who calls them:
//   OpenPage            user-interface thread: menu "&Firmware Update...".
//   ChooseAndLoad       user-interface thread: the "UPDATE FIRMWARE" button.
//   LoadFirmware        the same, with a path already chosen.
//   ClosePage           user-interface thread: the page's "X" button.
//   OnBootLoaderStatus  inbound thread: Boot loader ready (0x12), Update
//                       complete (0x14), Update failed (0x15).
//   OnTick              periodic task, step 2: call it first after step 1;
//                       when it returns true the tick ends there.
//   Running             firmware mode, for the receive entry (no Name messages
//                       while it is set) and for the periodic task.
//   Watch               periodic task, every tick: ends a wait for the boot
//                       loader that has lasted too long, with a message.
//   Cancel              user-interface thread: RECONNECT or the port watch
//                       ends whatever runs; an update cut short by the ports
//                       going away says how far it got and closes the page.
//
// The outcome is the boot loader's: "Firmware update finished." only after
// Update complete, "Error in update!" after Update failed; one of them, once.
// Either way the pedal restarts, and the link looks for it again at once.

#include "core/EditorSeam.h"
#include "core/MessageSender.h"
#include "device/LinkFlags.h"
#include "device/LinkTags.h"
#include "device/TransferBuffer.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace tolvane {

enum class FirmwareLoad {
    Sent,          // Enter firmware update went out
    NothingChosen, // the file question was cancelled
    NotReadable,   // the file cannot be opened: refused with a message
    TooLong,       // 65536 bytes or more: refused with a message
    TooLarge,      // its packed form would not fit the transfer buffer: refused with a message
    TooSmall,      // shorter than one boot-loader block once packed: refused with a message
    Declined,      // the user cancelled the confirmation: nothing sent
};

class FirmwareUpdate {
public:
    static constexpr std::size_t kLongestFile = 65535;
    // Packed, 57343 bytes fill the 65536-byte transfer buffer.
    static constexpr std::size_t kLargestImage = 57343;
    // Smaller images pack to fewer than the 240 bytes of the first block.
    static constexpr std::size_t kSmallestImage = 210;

    FirmwareUpdate(ISysExSender& sender, IEditorSeam& editor, TransferBuffer& transfer, LinkFlags& link);

    void OpenPage();
    FirmwareLoad ChooseAndLoad();
    FirmwareLoad LoadFirmware(const std::string& path);
    void ClosePage();
    void OnBootLoaderStatus(std::uint8_t code);
    bool OnTick();
    void Watch();
    void Cancel(link::LinkEnd why);
    bool Running() const { return firmwareMode_; }
    // Sending, or waiting for the boot loader's answer.
    bool Active() const { return firmwareMode_ || wait_ != Wait::None; }

private:
    void ShowLinkLost();
    enum class Wait { None, BootLoader, Outcome };
    void CloseAfterMessage();
    void Outcome(bool failed);
    bool Confirmed(const std::string& path, std::size_t length);

    ISysExSender& sender_;
    IEditorSeam& editor_;
    TransferBuffer& transfer_;
    LinkFlags& link_;
    std::atomic<bool> firmwareMode_{false};
    std::atomic<Wait> wait_{Wait::None};
    std::atomic<int> waitTicks_{0};
};

} // namespace tolvane
