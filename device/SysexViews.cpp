#include "device/SysexViews.h"

namespace tolvane::sysex {

std::optional<StreamMessageView> ReadStreamMessage(std::span<const std::uint8_t> message, StreamPart part) {
    StreamMessageView view;
    view.part = part;
    view.message = message;
    const std::size_t length = message.size();
    switch (part) {
    case StreamPart::Start:
        if (length != kStreamStartLength) return std::nullopt;
        view.item = Join14(message[kOffsetStreamItem], message[kOffsetStreamItem + 1]);
        view.packedLength = Join21(message[kOffsetStreamLength], message[kOffsetStreamLength + 1],
                                   message[kOffsetStreamLength + 2]);
        view.packed = message.subspan(kOffsetStreamStartPacked, kStreamChunk);
        return view;
    case StreamPart::Data:
        if (length != kStreamDataLength) return std::nullopt;
        view.packed = message.subspan(kOffsetStreamPacked, kStreamChunk);
        return view;
    case StreamPart::End: {
        if (length < kStreamEndOverhead + 1 || length > kStreamEndMaxLength) return std::nullopt;
        const std::size_t n = length - kStreamEndOverhead;
        view.packed = message.subspan(kOffsetStreamPacked, n);
        view.checksum = Join14(message[kOffsetStreamPacked + n], message[kOffsetStreamPacked + n + 1]);
        return view;
    }
    }
    return std::nullopt;
}

std::string_view NameView(std::span<const std::uint8_t, kNameChars> chars) {
    std::size_t end = 0;
    while (end < chars.size() && chars[end] != 0)
        ++end;
    while (end > 1 && chars[end - 1] == ' ')
        --end;
    return std::string_view(reinterpret_cast<const char*>(chars.data()), end);
}

std::string ReadName(std::span<const std::uint8_t, kNameChars> chars) {
    return std::string(NameView(chars));
}

} // namespace tolvane::sysex
