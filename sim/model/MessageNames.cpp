#include "sim/model/MessageNames.h"

#include <algorithm>

#include "device/SysexChecksum.h"
#include "device/SysexConstants.h"

namespace tolvane::sim {

using namespace sysex;

namespace {

// What to show after the name.
enum class Fields { None, Slot, Type, Kind, Block, NumberValue, IndexValue, Item, Packed };

struct Entry {
    std::uint8_t target;
    std::uint8_t command;
    bool status; // a 7-byte status message, told apart from commands by length
    const char* name;
    Fields fields;
};

constexpr std::uint8_t A = kTargetApplication;
constexpr std::uint8_t B = kTargetBootLoader;

constexpr Entry kEntries[] = {
    {A, command::kStorePreset, false, "Store preset", Fields::Slot},
    {A, command::kSelectPreset, false, "Select preset", Fields::Slot},
    {A, command::kRequestPreset, false, "Request preset", Fields::Slot},
    {A, command::kPresetDump, false, "Preset dump", Fields::Slot},
    {A, command::kSetParameter, false, "Set parameter", Fields::NumberValue},
    {A, command::kParameterChanged, false, "Parameter changed", Fields::IndexValue},
    {A, command::kSettingsBlock, false, "Settings block", Fields::Type},
    {A, command::kRequestSettingsBlock, false, "Request settings block", Fields::Type},
    {A, command::kFactoryReset, false, "Factory reset", Fields::Kind},
    {A, command::kBeginBulkTransfer, false, "Begin bulk transfer", Fields::None},
    {A, command::kEndBulkTransfer, false, "End bulk transfer", Fields::None},
    {A, command::kEditorClosing, false, "Editor closing", Fields::None},
    {A, command::kIrStreamStart, false, "IR stream start", Fields::Item},
    {A, command::kIrStreamData, false, "IR stream data", Fields::None},
    {A, command::kIrStreamEnd, false, "IR stream end", Fields::Packed},
    {A, command::kRequestImpulseResponse, false, "Request impulse response", Fields::Item},
    {A, command::kRequestIrNameBlock, false, "Request IR name block", Fields::Block},
    {A, command::kIrNameBlock, false, "IR name block", Fields::Block},
    {A, command::kRestoreIrStart, false, "Restore IR start", Fields::Item},
    {A, command::kRestoreIrData, false, "Restore IR data", Fields::None},
    {A, command::kRestoreIrEnd, false, "Restore IR end", Fields::Packed},
    {A, command::kName, false, "Name", Fields::None},
    {A, command::kRestorePreset, false, "Restore preset", Fields::Slot},
    {A, status::kOperationFinished, true, "Operation finished", Fields::None},
    {A, status::kIrNumberStepDone, true, "IR number step done", Fields::None},
    {A, status::kIrAssignmentDone, true, "IR assignment done", Fields::None},
    {A, status::kError, true, "Error", Fields::None},
    {A, status::kReadyForNextIrBlock, true, "Ready for next IR block", Fields::None},
    {A, status::kBlockAccepted, true, "Block accepted", Fields::None},
    {A, status::kBlockAcceptedAlt, true, "Block accepted", Fields::None},
    {A, status::kBlockRejected, true, "Block rejected", Fields::None},
    {A, status::kBlockRejectedAlt, true, "Block rejected", Fields::None},
    {A, status::kBlockAcceptedContinue, true, "Block accepted, continue", Fields::None},
    {B, command::kEnterFirmwareUpdate, true, "Enter firmware update", Fields::None},
    {B, status::kBootLoaderReady, true, "Boot loader ready", Fields::None},
    {B, status::kUpdateComplete, true, "Update complete", Fields::None},
    {B, status::kUpdateFailed, true, "Update failed", Fields::None},
    {B, command::kFirstFirmwareBlock, false, "First firmware block", Fields::None},
    {B, command::kFirmwareBlock, false, "Firmware block", Fields::None},
};

std::string Hex(std::uint8_t b) {
    static const char* digits = "0123456789ABCDEF";
    return {'0', 'x', digits[b >> 4], digits[b & 0xF]};
}

} // namespace

std::string DescribeMessage(std::span<const std::uint8_t> m) {
    const std::size_t n = m.size();
    const std::string length = " (" + std::to_string(n) + ")";
    if (n < kStatusLength || !std::equal(kManufacturer.begin(), kManufacturer.end(), m.begin() + 1))
        return "Unknown message" + length;
    const bool isStatus = n == kStatusLength;
    const Entry* entry = nullptr;
    for (const Entry& e : kEntries)
        if (e.target == m[kOffsetTarget] && e.command == m[kOffsetCommand] && e.status == isStatus)
            entry = &e;
    if (!entry) return "Unknown " + Hex(m[kOffsetTarget]) + "/" + Hex(m[kOffsetCommand]) + length;

    std::string text = entry->name + length;
    const auto v1 = [&] {
        return n > kOffsetValue1 + 1 ? std::to_string(m[kOffsetValue1]) : std::string("?");
    };
    const auto v2 = [&] {
        return n > kOffsetValue2 + 1 ? std::to_string(m[kOffsetValue2]) : std::string("?");
    };
    switch (entry->fields) {
    case Fields::None:
        break;
    case Fields::Slot:
        text += " slot=" + v1();
        break;
    case Fields::Type:
        text += " type=" + v1();
        break;
    case Fields::Kind:
        text += " kind=" + v1();
        break;
    case Fields::Block:
        text += " block=" + v1();
        break;
    case Fields::NumberValue:
        text += " number=" + v1() + " value=" + v2();
        break;
    case Fields::IndexValue:
        text += " index=" + v1() + " value=" + v2();
        break;
    case Fields::Item:
        if (n > kOffsetValue2 + 1)
            text += " item=" + std::to_string(Join14(m[kOffsetValue1], m[kOffsetValue2]));
        break;
    case Fields::Packed:
        text += " packed=" + std::to_string(n - kStreamEndOverhead);
        break;
    }
    return text;
}

} // namespace tolvane::sim
