#pragma once
// Routing of one received SysEx message to at most one handler method, by its
// length, header, command, the link's connected state and whether a firmware
// update is running. The router reads only the bytes it is given and keeps no
// state; the handlers own every decision beyond the route (checksums, export
// versus reception, restore versus ordinary statuses).
//
// Beyond the routing rules, a message is dropped unless every byte between the
// leading F0 and the last byte is a 7-bit data byte: a byte of 0x80 or more
// there breaks the SysEx rules and would reach a handler as a value out of
// range (or, stored in a backup file, as a false message boundary). Messages
// whose fields would lie outside their own length are dropped as well: a
// Parameter changed must be 10 bytes long and an IR stream message must have
// its shape's length.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "device/SysexViews.h"

namespace tolvane {

class IInboundHandler {
public:
    virtual ~IInboundHandler() = default;

    // Preset dump (0x41), only while connected. The checksum is not checked:
    // a bad one during the bulk load is requested again by the handler.
    virtual void OnPresetDump(const sysex::SysexBlockView& block) = 0;
    // Settings block (0x52), connected or not: while not connected it is the
    // identification reply, which acts on byte 6 before checking the checksum.
    virtual void OnSettingsBlock(const sysex::SysexBlockView& block, bool connected) = 0;
    // IR name block (0x6B, byte 6 = 0x0A), only while connected; checksum unchecked.
    virtual void OnIrNameBlock(const sysex::SysexBlockView& block) = 0;
    // Name message (0x7B): the 32 characters read with ReadName. The view lives
    // only for the call.
    virtual void OnNameMessage(std::string_view name) = 0;
    // IR stream start / data / end (0x60, 0x65, 0x66), only while connected;
    // the handler decides between IR reception and a running backup export.
    virtual void OnIrStream(const sysex::StreamMessageView& stream) = 0;
    // Parameter changed (0x51): parameter index and value, both 0..127.
    virtual void OnParameterChanged(int index, int value) = 0;
    // Status of the application, connected or not; only codes of the status
    // table (sysex::status, application codes) arrive here.
    virtual void OnApplicationStatus(std::uint8_t code) = 0;
    // Boot-loader status: Boot loader ready, Update complete, Update failed.
    virtual void OnBootLoaderStatus(std::uint8_t code) = 0;
};

enum class InboundRoute {
    None,
    PresetDump,
    SettingsBlock,
    IrNameBlock,
    NameMessage,
    IrStream,
    ParameterChanged,
    ApplicationStatus,
    BootLoaderStatus,
};

// Routes one message (bytes[0] .. bytes[length - 1], F0 to F7) and returns the
// route taken; InboundRoute::None means no handler was called.
InboundRoute RouteInbound(const std::uint8_t* bytes, std::size_t length, bool connected,
                          bool firmwareUpdateRunning, IInboundHandler& handler);

// True for the codes of the application's status table.
bool IsApplicationStatus(std::uint8_t code);

} // namespace tolvane
