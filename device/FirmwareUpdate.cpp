#include "device/FirmwareUpdate.h"

#include "device/LinkTags.h"
#include "device/SysexBuilders.h"
#include "device/TransferTimeouts.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace tolvane {
namespace {

constexpr const char* kTooLarge = "This firmware file is too large for the pedal.\nNothing was sent.";
constexpr const char* kFinished = "Firmware update finished.";
constexpr const char* kFailed = "Error in update!";
constexpr const char* kNoBootLoader =
    "The pedal's boot loader did not answer.\nNothing was sent; the firmware is unchanged.";
constexpr const char* kNoOutcome = "The firmware was sent but the pedal did not confirm the update.\nCheck "
                                   "the version it shows after a restart.";
constexpr const char* kPortsGoneBeforeStart = "The firmware update stopped: the pedal's MIDI ports went "
                                              "away.\nNothing was sent; the firmware is unchanged.";
constexpr const char* kPortsGoneWhileSending = "The firmware update stopped: the pedal's MIDI ports went "
                                               "away.\nNot all of the firmware was sent; run the "
                                               "update again when the pedal is back.";
constexpr const char* kPortsGoneBeforeOutcome =
    "The firmware was sent but the pedal's MIDI ports went away before it confirmed the update.\nCheck the "
    "version it shows after a restart.";
constexpr const char* kNotOpened = "This firmware file cannot be opened.\nNothing was sent.";
constexpr const char* kTooSmall =
    "This firmware file is too small to be a firmware image.\nNothing was sent.";
constexpr const char* kConfirmCaption = "Firmware Update";
constexpr const char* kConfirm =
    "Update the pedal's firmware with this file?\n\n%s\n%zu bytes, dated %s\n\nThe pedal's firmware will be "
    "rewritten. Keep the pedal connected and Tolvane open until the update has finished.";

// The file's date as the user's file manager shows it: local time, to the minute.
std::string FileDate(const std::filesystem::path& path) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    if (error) return "unknown";
    using std::chrono::system_clock;
    const std::time_t t = system_clock::to_time_t(
        std::chrono::time_point_cast<system_clock::duration>(std::chrono::file_clock::to_sys(written)));
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) return "unknown";
#else
    if (localtime_r(&t, &local) == nullptr) return "unknown";
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

} // namespace

FirmwareUpdate::FirmwareUpdate(ISysExSender& sender, IEditorSeam& editor, TransferBuffer& transfer,
                               LinkFlags& link)
    : sender_(sender), editor_(editor), transfer_(transfer), link_(link) {}

void FirmwareUpdate::OpenPage() {
    // Marking the link connected stops the identification polling while the
    // page is open.
    link_.connected = true;
    link_.autoConnect = false;
    editor_.ShowGroup(link::kGroupFirmwareBackground);
    editor_.ShowGroup(link::kGroupFirmwareUpdate);
    editor_.EnableGroup(link::kGroupFirmwareUpdate);
    editor_.DisableGroup(link::kGroupMain);
}

FirmwareLoad FirmwareUpdate::ChooseAndLoad() {
    const std::string path = editor_.AskForFile(FileAction::Open, "ldr", "", "");
    return path.empty() ? FirmwareLoad::NothingChosen : LoadFirmware(path);
}

FirmwareLoad FirmwareUpdate::LoadFirmware(const std::string& path) {
    auto notReadable = [this] {
        editor_.AskUser(kNotOpened, "", AskButtons::Ok);
        return FirmwareLoad::NotReadable;
    };
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return notReadable();
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return notReadable();
    const std::streamoff end = file.tellg();
    if (end < 0) return notReadable();
    const auto length = static_cast<std::size_t>(end);
    if (length > kLongestFile) {
        editor_.AskUser(kTooLarge, "", AskButtons::Ok);
        return FirmwareLoad::TooLong;
    }
    if (length > kLargestImage) {
        editor_.AskUser(kTooLarge, "", AskButtons::Ok);
        return FirmwareLoad::TooLarge;
    }
    if (length < kSmallestImage) {
        editor_.AskUser(kTooSmall, "", AskButtons::Ok);
        return FirmwareLoad::TooSmall;
    }
    file.seekg(0);
    std::vector<std::uint8_t> image(length);
    if (!file.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(length)))
        return notReadable();
    // The image is opaque: the user's confirmation of the file is the last
    // check before the pedal is rewritten.
    if (!Confirmed(path, length)) return FirmwareLoad::Declined;
    if (!transfer_.Fill(image)) {
        editor_.AskUser(kTooLarge, "", AskButtons::Ok);
        return FirmwareLoad::TooLarge;
    }
    const auto message = sysex::BuildEnterFirmwareUpdate();
    waitTicks_ = 0;
    wait_ = Wait::BootLoader;
    sender_.SendSysEx(message.data(), message.size());
    return FirmwareLoad::Sent;
}

bool FirmwareUpdate::Confirmed(const std::string& path, std::size_t length) {
    const std::string name = std::filesystem::path(path).filename().string();
    const std::string date = FileDate(path);
    std::vector<char> text(std::char_traits<char>::length(kConfirm) + name.size() + date.size() + 32);
    std::snprintf(text.data(), text.size(), kConfirm, name.c_str(), length, date.c_str());
    return editor_.AskUser(text.data(), kConfirmCaption, AskButtons::OkCancel) == AskResult::Ok;
}

// The pedal leaves the link (restart into the boot loader, or after the
// update): the status lines no longer name it.
void FirmwareUpdate::ShowLinkLost() {
    if (!editor_.IsEditorOpen()) return;
    editor_.SetTextByTag(link::kTagDeviceLine, "");
    editor_.SetTextByTag(link::kTagSerialLine, "");
    editor_.SetTextByTag(link::kTagVersionLine, link::kTextConnecting);
}

void FirmwareUpdate::ClosePage() {
    link_.connected = false;
    link_.autoConnect = true;
    ShowLinkLost();
    editor_.HideGroup(link::kGroupFirmwareBackground);
    editor_.HideGroup(link::kGroupFirmwareUpdate);
    editor_.EnableGroup(link::kGroupMain);
}

void FirmwareUpdate::CloseAfterMessage() {
    // The page held the polling off; the pedal restarts after an update and
    // is looked for again.
    link_.autoConnect = true;
    editor_.HideGroup(link::kGroupFirmwareProgress);
    editor_.HideGroup(link::kGroupFirmwareBackground);
    editor_.HideGroup(link::kGroupFirmwareUpdate);
    editor_.EnableGroup(link::kGroupMain);
    editor_.DisableGroup(link::kGroupPedal);
    ShowLinkLost();
}

void FirmwareUpdate::Outcome(bool failed) {
    const bool wasSending = firmwareMode_.exchange(false);
    link_.connected = false;
    ShowLinkLost();
    // One outcome is shown: the one the update was waiting for, or a failure
    // that cuts it short. A second status finds nothing waiting.
    const Wait waited = wait_.exchange(Wait::None);
    if (waited != Wait::Outcome && !(failed && (wasSending || waited == Wait::BootLoader))) return;
    // The boot loader has said its last word and the pedal restarts: look
    // for it from now on, not only once the message below is dismissed, and
    // ask at once rather than at the polling's next turn.
    link_.autoConnect = true;
    const auto identify = sysex::BuildRequestSettingsBlock(sysex::settings::kIdentification);
    sender_.SendSysEx(identify.data(), identify.size());
    if (editor_.IsEditorOpen()) {
        editor_.AskUser(failed ? kFailed : kFinished, "", AskButtons::Ok);
        CloseAfterMessage();
    }
}

void FirmwareUpdate::OnBootLoaderStatus(std::uint8_t code) {
    switch (code) {
    case sysex::status::kBootLoaderReady:
        if (wait_ != Wait::BootLoader) break; // not announced by this editor
        wait_ = Wait::None;
        firmwareMode_ = true;
        if (editor_.IsEditorOpen()) {
            editor_.ShowGroup(link::kGroupFirmwareProgress);
            editor_.DisableGroup(link::kGroupFirmwareUpdate);
        }
        break;
    case sysex::status::kUpdateComplete:
        Outcome(false);
        break;
    case sysex::status::kUpdateFailed:
        Outcome(true);
        break;
    default:
        break;
    }
}

void FirmwareUpdate::Watch() {
    const Wait wait = wait_;
    if (wait == Wait::None) return;
    const int limit = wait == Wait::BootLoader ? kAnswerTimeoutTicks : kFirmwareOutcomeTimeoutTicks;
    if (++waitTicks_ < limit) return;
    if (wait_.exchange(Wait::None) != wait) return;
    if (wait == Wait::BootLoader) {
        // The page stays open with its buttons usable: the user may try again.
        editor_.AskUser(kNoBootLoader, "", AskButtons::Ok);
        return;
    }
    link_.connected = false;
    if (editor_.IsEditorOpen()) {
        editor_.AskUser(kNoOutcome, "", AskButtons::Ok);
        CloseAfterMessage();
    }
}

void FirmwareUpdate::Cancel(link::LinkEnd why) {
    const Wait waited = wait_.exchange(Wait::None);
    const bool wasSending = firmwareMode_.exchange(false);
    // An update cut short by the pedal going away is never left on screen as
    // if it were still running: the user learns how far it got.
    if (why != link::LinkEnd::PortsGone || (!wasSending && waited == Wait::None)) return;
    link_.connected = false;
    if (!editor_.IsEditorOpen()) return;
    const char* text = wasSending                   ? kPortsGoneWhileSending
                       : waited == Wait::BootLoader ? kPortsGoneBeforeStart
                                                    : kPortsGoneBeforeOutcome;
    editor_.AskUser(text, "", AskButtons::Ok);
    CloseAfterMessage();
}

bool FirmwareUpdate::OnTick() {
    if (!firmwareMode_) return false;
    if (transfer_.total == 0) {
        // A boot loader that reports ready with no image loaded gets nothing.
        firmwareMode_ = false;
        return false;
    }
    using namespace sysex;
    if (transfer_.position == 0) {
        const auto message =
            BuildBootFirstBlock(kTargetBootLoader, command::kFirstFirmwareBlock,
                                static_cast<std::uint32_t>(transfer_.total), transfer_.Peek(kBootChunk));
        sender_.SendSysEx(message.data(), message.size());
        transfer_.Advance(kBootChunk);
    } else if (transfer_.remaining > static_cast<int>(kBootChunk)) {
        const auto message =
            BuildBootBlock(kTargetBootLoader, command::kFirmwareBlock, transfer_.Peek(kBootChunk));
        sender_.SendSysEx(message.data(), message.size());
        transfer_.Advance(kBootChunk);
    } else {
        const int checksum = Join14(transfer_.checksumHigh, transfer_.checksumLow);
        const auto message = BuildBootLastBlock(kTargetBootLoader, command::kFirmwareBlock,
                                                transfer_.Peek(kBootChunk), checksum);
        sender_.SendSysEx(message.data(), message.size());
        transfer_.Advance(static_cast<std::size_t>(transfer_.remaining));
        firmwareMode_ = false;
        // The boot loader says how it went; until then nothing is claimed.
        waitTicks_ = 0;
        wait_ = Wait::Outcome;
        if (editor_.IsEditorOpen()) {
            editor_.SetControlValueByTag(link::kTagFirmwareKnob, 1.0);
            editor_.SetTextByTag(link::kTagFirmwareText, "100 %");
        }
        return true;
    }
    if (editor_.IsEditorOpen()) {
        const double progress = static_cast<double>(transfer_.position) / transfer_.total;
        editor_.SetControlValueByTag(link::kTagFirmwareKnob, progress);
        char text[16];
        std::snprintf(text, sizeof text, "%d %%", static_cast<int>(progress * 100.0));
        editor_.SetTextByTag(link::kTagFirmwareText, text);
    }
    return true;
}

} // namespace tolvane
