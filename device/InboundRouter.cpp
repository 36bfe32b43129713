#include "device/InboundRouter.h"

#include <algorithm>
#include <span>
#include <string>

#include "device/SysexConstants.h"

namespace tolvane {

namespace {

using namespace sysex;

enum class Header { Application, BootLoader, Other };

Header ReadHeader(const std::uint8_t* m) {
    if (!std::equal(kManufacturer.begin(), kManufacturer.end(), m + kOffsetManufacturer))
        return Header::Other;
    switch (m[kOffsetTarget]) {
    case kTargetApplication:
        return Header::Application;
    case kTargetBootLoader:
        return Header::BootLoader;
    default:
        return Header::Other;
    }
}

// Every byte between F0 and the closing byte must be a data byte.
bool BodyIsData(const std::uint8_t* m, std::size_t length) {
    return std::all_of(m + 1, m + length - 1, [](std::uint8_t b) { return b <= kDataMask; });
}

bool IsBootLoaderStatus(std::uint8_t code) {
    return code == status::kBootLoaderReady || code == status::kUpdateComplete ||
           code == status::kUpdateFailed;
}

InboundRoute RouteBlock(std::span<const std::uint8_t, kBlockLength> m, bool connected,
                        IInboundHandler& handler) {
    const SysexBlockView block(m);
    const std::uint8_t cmd = block.Command();
    if (cmd == command::kPresetDump && connected) {
        handler.OnPresetDump(block);
        return InboundRoute::PresetDump;
    }
    if (cmd == command::kSettingsBlock) {
        handler.OnSettingsBlock(block, connected);
        return InboundRoute::SettingsBlock;
    }
    if (cmd == command::kIrNameBlock && connected && block.Byte6() == kPayloadMarker) {
        handler.OnIrNameBlock(block);
        return InboundRoute::IrNameBlock;
    }
    return InboundRoute::None;
}

InboundRoute RouteName(const std::uint8_t* m, IInboundHandler& handler) {
    const auto chars = std::span<const std::uint8_t, kNameChars>(m + kOffsetNameChars, kNameChars);
    handler.OnNameMessage(NameView(chars));
    return InboundRoute::NameMessage;
}

InboundRoute RouteStream(std::span<const std::uint8_t> m, IInboundHandler& handler) {
    StreamPart part;
    switch (m[kOffsetCommand]) {
    case command::kIrStreamStart:
        part = StreamPart::Start;
        break;
    case command::kIrStreamData:
        part = StreamPart::Data;
        break;
    case command::kIrStreamEnd:
        part = StreamPart::End;
        break;
    default:
        return InboundRoute::None;
    }
    const auto stream = ReadStreamMessage(m, part);
    if (!stream) return InboundRoute::None;
    handler.OnIrStream(*stream);
    return InboundRoute::IrStream;
}

InboundRoute RouteShort(const std::uint8_t* m, std::size_t length, Header header, IInboundHandler& handler) {
    const std::uint8_t cmd = m[kOffsetCommand];
    if (header == Header::Application) {
        if (m[kOffsetMarker] == kPayloadMarker) {
            if (cmd != command::kParameterChanged || length != kTwoValueLength) return InboundRoute::None;
            handler.OnParameterChanged(m[kOffsetValue1], m[kOffsetValue2]);
            return InboundRoute::ParameterChanged;
        }
        if (!IsApplicationStatus(cmd)) return InboundRoute::None;
        handler.OnApplicationStatus(cmd);
        return InboundRoute::ApplicationStatus;
    }
    if (header == Header::BootLoader && IsBootLoaderStatus(cmd)) {
        handler.OnBootLoaderStatus(cmd);
        return InboundRoute::BootLoaderStatus;
    }
    return InboundRoute::None;
}

} // namespace

bool IsApplicationStatus(std::uint8_t code) {
    switch (code) {
    case status::kOperationFinished:
    case status::kIrNumberStepDone:
    case status::kIrAssignmentDone:
    case status::kError:
    case status::kReadyForNextIrBlock:
    case status::kBlockAccepted:
    case status::kBlockRejected:
    case status::kBlockAcceptedContinue:
    case status::kBlockAcceptedAlt:
    case status::kBlockRejectedAlt:
        return true;
    default:
        return false;
    }
}

InboundRoute RouteInbound(const std::uint8_t* bytes, std::size_t length, bool connected,
                          bool firmwareUpdateRunning, IInboundHandler& handler) {
    if (bytes == nullptr || length < kStatusLength || !BodyIsData(bytes, length)) return InboundRoute::None;
    const Header header = ReadHeader(bytes);

    if (length == kBlockLength) {
        if (header != Header::Application) return InboundRoute::None;
        return RouteBlock(std::span<const std::uint8_t, kBlockLength>(bytes, kBlockLength), connected,
                          handler);
    }

    if (length > kTwoValueLength) {
        if (length == kNameLength && !firmwareUpdateRunning) {
            if (header == Header::Application && bytes[kOffsetMarker] == kPayloadMarker &&
                bytes[kOffsetCommand] == command::kName)
                return RouteName(bytes, handler);
            return InboundRoute::None;
        }
        if (header != Header::Application || !connected) return InboundRoute::None;
        return RouteStream(std::span<const std::uint8_t>(bytes, length), handler);
    }

    return RouteShort(bytes, length, header, handler);
}

} // namespace tolvane
