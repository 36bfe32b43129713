// Inbound routing: each well-formed message reaches exactly the handler its
// length, header, command and link state call for, and malformed or foreign
// messages reach none.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "device/InboundRouter.h"
#include "device/SysexBuilders.h"

namespace tolvane {
namespace {

using namespace sysex;
using Bytes = std::vector<std::uint8_t>;

template <typename M> Bytes AsBytes(const M& m) {
    return Bytes(m.data(), m.data() + m.size());
}

// Records every call with what the handler would read from it.
class RecordingHandler : public IInboundHandler {
public:
    struct Call {
        InboundRoute route = InboundRoute::None;
        int a = -1, b = -1; // index / value, block index / byte 6, status code, stream item / size
        bool connected = false;
        bool checksumValid = false;
        StreamPart part = StreamPart::Start;
        std::string name;
    };
    std::vector<Call> calls;

    void OnPresetDump(const SysexBlockView& block) override {
        AddBlock(InboundRoute::PresetDump, block, false);
    }
    void OnSettingsBlock(const SysexBlockView& block, bool connected) override {
        AddBlock(InboundRoute::SettingsBlock, block, connected);
    }
    void OnIrNameBlock(const SysexBlockView& block) override {
        AddBlock(InboundRoute::IrNameBlock, block, false);
    }
    void OnNameMessage(std::string_view name) override { Add(InboundRoute::NameMessage).name = name; }
    void OnIrStream(const StreamMessageView& s) override {
        Call& c = Add(InboundRoute::IrStream, s.item, static_cast<int>(s.packed.size()));
        c.part = s.part;
    }
    void OnParameterChanged(int index, int value) override {
        Add(InboundRoute::ParameterChanged, index, value);
    }
    void OnApplicationStatus(std::uint8_t code) override { Add(InboundRoute::ApplicationStatus, code); }
    void OnBootLoaderStatus(std::uint8_t code) override { Add(InboundRoute::BootLoaderStatus, code); }

private:
    Call& Add(InboundRoute route, int a = -1, int b = -1) {
        Call& c = calls.emplace_back();
        c.route = route;
        c.a = a;
        c.b = b;
        return c;
    }
    void AddBlock(InboundRoute route, const SysexBlockView& block, bool connected) {
        Call& c = Add(route, block.Index(), block.Byte6());
        c.connected = connected;
        c.checksumValid = block.ChecksumValid();
    }
};

struct Link {
    bool connected;
    bool firmwareUpdate;
};
constexpr Link kConnected{true, false};
constexpr Link kIdle{false, false};
constexpr Link kFirmware{true, true};

// Routes m and checks the return value agrees with the single call recorded.
RecordingHandler Route(const Bytes& m, Link link) {
    RecordingHandler h;
    const InboundRoute route = RouteInbound(m.data(), m.size(), link.connected, link.firmwareUpdate, h);
    if (route == InboundRoute::None) {
        EXPECT_TRUE(h.calls.empty());
    } else {
        EXPECT_EQ(h.calls.size(), 1u);
        if (!h.calls.empty()) {
            EXPECT_EQ(h.calls[0].route, route);
        }
    }
    return h;
}

InboundRoute RouteOf(const Bytes& m, Link link) {
    const RecordingHandler h = Route(m, link);
    return h.calls.empty() ? InboundRoute::None : h.calls[0].route;
}

// A message of `length` bytes with the application header and the given
// command and byte 6, payload zero.
Bytes Raw(std::size_t length, std::uint8_t command, std::uint8_t byte6 = kPayloadMarker,
          std::uint8_t target = kTargetApplication) {
    Bytes m(length, 0x00);
    const Bytes head = {0xF0, 0x00, 0x51, 0x21, target, command, byte6};
    std::copy_n(head.begin(), std::min(length, head.size()), m.begin());
    if (length > head.size()) m.back() = 0xF7;
    return m;
}

std::array<std::uint8_t, kBlockDataSize> Data(std::uint8_t fill) {
    std::array<std::uint8_t, kBlockDataSize> d;
    d.fill(fill);
    return d;
}

Bytes StreamStart() {
    return AsBytes(
        BuildStreamStart(kTargetApplication, command::kIrStreamStart, 389, 2785, Bytes(256, 0x11)));
}
Bytes StreamData() {
    return AsBytes(BuildStreamData(kTargetApplication, command::kIrStreamData, Bytes(256, 0x11)));
}
Bytes StreamEnd(std::size_t n) {
    return AsBytes(BuildStreamEnd(kTargetApplication, command::kIrStreamEnd, Bytes(n, 0x11), 0x123));
}

TEST(InboundRouter, RoutingTable) {
    using R = InboundRoute;
    const struct {
        const char* what;
        Bytes message;
        Link link;
        R route;
    } cases[] = {
        // 267-byte blocks
        {"preset dump, connected", AsBytes(BuildPresetDump(7, Data(1))), kConnected, R::PresetDump},
        {"preset dump, not connected", AsBytes(BuildPresetDump(7, Data(1))), kIdle, R::None},
        {"settings block, connected", AsBytes(BuildSettingsBlock(12, 0, Data(1))), kConnected,
         R::SettingsBlock},
        {"settings block, identification", AsBytes(BuildSettingsBlock(12, 15, Data(1))), kIdle,
         R::SettingsBlock},
        {"IR name block, connected", AsBytes(BuildIrNameBlock(4, Data(' '))), kConnected, R::IrNameBlock},
        {"IR name block, not connected", AsBytes(BuildIrNameBlock(4, Data(' '))), kIdle, R::None},
        {"IR name block, byte 6 not 0A", AsBytes(BuildBlock(3, command::kIrNameBlock, 0x0B, 4, Data(0))),
         kConnected, R::None},
        {"store preset echoed back", AsBytes(BuildStorePreset(1, Data(0))), kConnected, R::None},
        {"boot-loader header block", AsBytes(BuildBlock(2, command::kPresetDump, 0x0A, 1, Data(0))),
         kConnected, R::None},
        // 42-byte name
        {"name", AsBytes(BuildNameMessage("MY RIG")), kIdle, R::NameMessage},
        {"name during firmware update", AsBytes(BuildNameMessage("MY RIG")), kFirmware, R::None},
        {"42 bytes, other command", Raw(42, 0x7A), kConnected, R::None},
        {"42 bytes, byte 6 not 0A", Raw(42, command::kName, 0x0B), kConnected, R::None},
        {"42-byte stream end outside firmware update", Raw(42, command::kIrStreamEnd), kConnected, R::None},
        {"42-byte stream end during firmware update", Raw(42, command::kIrStreamEnd), kFirmware, R::IrStream},
        // IR streams
        {"stream start", StreamStart(), kConnected, R::IrStream},
        {"stream data", StreamData(), kConnected, R::IrStream},
        {"stream end, 225 bytes", StreamEnd(225), kConnected, R::IrStream},
        {"stream end, 1 byte", StreamEnd(1), kConnected, R::IrStream},
        {"stream end, 256 bytes", StreamEnd(256), kConnected, R::IrStream},
        {"stream start, not connected", StreamStart(), kIdle, R::None},
        {"stream data, not connected", StreamData(), kIdle, R::None},
        {"stream data, boot-loader header",
         AsBytes(BuildStreamData(2, command::kIrStreamData, Bytes(256, 1))), kConnected, R::None},
        {"restore IR data is not accepted inbound",
         AsBytes(BuildStreamData(3, command::kRestoreIrData, Bytes(256, 1))), kConnected, R::None},
        // 7..10 bytes
        {"parameter changed", AsBytes(BuildParameterChanged(5, 100)), kConnected, R::ParameterChanged},
        {"parameter changed, not connected", AsBytes(BuildParameterChanged(5, 100)), kIdle,
         R::ParameterChanged},
        {"10 bytes 0x51, byte 6 not 0A: status 0x51, not in table", Raw(10, 0x51, 0x0B), kConnected, R::None},
        {"9-byte parameter changed has no value byte", Raw(9, command::kParameterChanged), kConnected,
         R::None},
        {"8-byte parameter changed", Raw(8, command::kParameterChanged), kConnected, R::None},
        {"other command with 0A", AsBytes(BuildSetParameter(5, 1)), kConnected, R::None},
        {"error before identification", AsBytes(BuildApplicationStatus(status::kError)), kIdle,
         R::ApplicationStatus},
        {"status not in table", AsBytes(BuildApplicationStatus(0x58)), kConnected, R::None},
        {"status 10 bytes long", Raw(10, status::kOperationFinished, 0x00), kConnected, R::ApplicationStatus},
        {"boot loader ready", AsBytes(BuildBootLoaderStatus(status::kBootLoaderReady)), kIdle,
         R::BootLoaderStatus},
        {"update complete", AsBytes(BuildBootLoaderStatus(status::kUpdateComplete)), kFirmware,
         R::BootLoaderStatus},
        {"update failed", AsBytes(BuildBootLoaderStatus(status::kUpdateFailed)), kFirmware,
         R::BootLoaderStatus},
        {"boot loader, unknown code", AsBytes(BuildBootLoaderStatus(0x13)), kFirmware, R::None},
        {"boot loader code as application status", AsBytes(BuildApplicationStatus(status::kBootLoaderReady)),
         kConnected, R::None},
        {"application code from boot loader", AsBytes(BuildBootLoaderStatus(status::kError)), kConnected,
         R::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RouteOf(c.message, c.link), c.route) << c.what;
}

TEST(InboundRouter, EveryApplicationStatusCodeArrivesConnectedOrNot) {
    const std::uint8_t codes[] = {0x57, 0x5F, 0x61, 0x62, 0x63, 0x71, 0x72, 0x73, 0x7D, 0x7E};
    for (const Link link : {kConnected, kIdle}) {
        for (const std::uint8_t code : codes) {
            const auto h = Route(AsBytes(BuildApplicationStatus(code)), link);
            ASSERT_EQ(h.calls.size(), 1u) << int(code);
            EXPECT_EQ(h.calls[0].route, InboundRoute::ApplicationStatus);
            EXPECT_EQ(h.calls[0].a, code);
        }
    }
    int accepted = 0;
    for (int code = 0; code < 0x80; ++code)
        accepted += IsApplicationStatus(static_cast<std::uint8_t>(code));
    EXPECT_EQ(accepted, 10);
}

TEST(InboundRouter, HandlersReceiveTheFields) {
    {
        const auto h = Route(AsBytes(BuildParameterChanged(37, 127)), kConnected);
        ASSERT_EQ(h.calls.size(), 1u);
        EXPECT_EQ(h.calls[0].a, 37);
        EXPECT_EQ(h.calls[0].b, 127);
    }
    {
        const auto h = Route(AsBytes(BuildSettingsBlock(109, 15, Data(3))), kIdle);
        ASSERT_EQ(h.calls.size(), 1u);
        EXPECT_EQ(h.calls[0].a, 15);  // type
        EXPECT_EQ(h.calls[0].b, 109); // version × 10
        EXPECT_FALSE(h.calls[0].connected);
        EXPECT_TRUE(h.calls[0].checksumValid);
    }
    {
        const auto h = Route(AsBytes(BuildSettingsBlock(12, 3, Data(3))), kConnected);
        ASSERT_EQ(h.calls.size(), 1u);
        EXPECT_TRUE(h.calls[0].connected);
    }
    {
        const auto h = Route(AsBytes(BuildNameMessage("CLEAN  TONE")), kConnected);
        ASSERT_EQ(h.calls.size(), 1u);
        EXPECT_EQ(h.calls[0].name, "CLEAN  TONE");
    }
    {
        const auto h = Route(StreamStart(), kConnected);
        ASSERT_EQ(h.calls.size(), 1u);
        EXPECT_EQ(h.calls[0].part, StreamPart::Start);
        EXPECT_EQ(h.calls[0].a, 389);
        EXPECT_EQ(h.calls[0].b, 256);
    }
    {
        const auto h = Route(StreamEnd(225), kConnected);
        ASSERT_EQ(h.calls.size(), 1u);
        EXPECT_EQ(h.calls[0].part, StreamPart::End);
        EXPECT_EQ(h.calls[0].b, 225);
    }
}

TEST(InboundRouter, BlockWithSwappedChecksumIsRoutedAndFailsValidation) {
    auto data = Data(0);
    data[0] = 0x05; // S = 5 -> 00 05
    Bytes dump = AsBytes(BuildPresetDump(2, data));
    std::swap(dump[264], dump[265]);
    const auto h = Route(dump, kConnected);
    ASSERT_EQ(h.calls.size(), 1u);
    EXPECT_EQ(h.calls[0].route, InboundRoute::PresetDump);
    EXPECT_FALSE(h.calls[0].checksumValid);
}

TEST(InboundRouter, ByteZeroIsNotExamined) {
    Bytes m = AsBytes(BuildParameterChanged(1, 2));
    m[0] = 0x00;
    EXPECT_EQ(RouteOf(m, kConnected), InboundRoute::ParameterChanged);
}

// Every length the routes do not use, with each command a route knows: only a
// stream message whose length fits its shape gets through.
TEST(InboundRouter, LengthsOutsideTheRoutesAreIgnored) {
    const std::uint8_t commands[] = {
        command::kPresetDump,    command::kSettingsBlock,    command::kIrNameBlock,
        command::kName,          command::kParameterChanged, status::kError,
        command::kIrStreamStart, command::kIrStreamData,     command::kIrStreamEnd};
    for (std::size_t length = 0; length <= kMaxInboundLength; ++length) {
        if (length == kBlockLength || length == kNameLength || (length >= 7 && length <= 10)) continue;
        for (const std::uint8_t command : commands) {
            const bool streamFits = (command == command::kIrStreamStart && length == kStreamStartLength) ||
                                    (command == command::kIrStreamData && length == kStreamDataLength) ||
                                    (command == command::kIrStreamEnd && length >= 11 && length <= 266);
            const Bytes m = Raw(length, command);
            const auto expected = streamFits ? InboundRoute::IrStream : InboundRoute::None;
            ASSERT_EQ(RouteOf(m, kConnected), expected) << "length " << length << " command " << int(command);
        }
    }
}

TEST(InboundRouter, ForeignMessagesAreIgnoredAtEveryLength) {
    const Bytes good[] = {
        AsBytes(BuildPresetDump(1, Data(0))),
        AsBytes(BuildSettingsBlock(12, 15, Data(0))),
        AsBytes(BuildNameMessage("X")),
        StreamStart(),
        StreamData(),
        StreamEnd(100),
        AsBytes(BuildParameterChanged(1, 2)),
        AsBytes(BuildApplicationStatus(status::kError)),
    };
    for (const Bytes& m : good) {
        ASSERT_NE(RouteOf(m, kConnected), InboundRoute::None) << m.size();
        for (std::size_t at = 1; at <= 3; ++at) { // another manufacturer
            Bytes other = m;
            other[at] ^= 0x01;
            EXPECT_EQ(RouteOf(other, kConnected), InboundRoute::None) << m.size() << " byte " << at;
        }
        for (const std::uint8_t target : {0x00, 0x01, 0x04, 0x7F}) {
            Bytes other = m;
            other[4] = target;
            EXPECT_EQ(RouteOf(other, kConnected), InboundRoute::None)
                << m.size() << " target " << int(target);
        }
    }
    for (std::size_t length = 0; length <= kMaxInboundLength; ++length) {
        const Bytes m = Raw(length, command::kIrStreamEnd, kPayloadMarker, 0x01);
        EXPECT_EQ(RouteOf(m, kConnected), InboundRoute::None) << "target 01, length " << length;
    }
}

TEST(InboundRouter, ShortMessagesAreIgnored) {
    const Bytes full = AsBytes(BuildApplicationStatus(status::kError));
    for (std::size_t length = 0; length < 7; ++length) {
        const Bytes m(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(RouteOf(m, kIdle), InboundRoute::None) << length;
    }
    EXPECT_EQ(RouteOf({0xF0, 0x7E, 0xF7}, kConnected), InboundRoute::None);
    RecordingHandler h;
    EXPECT_EQ(RouteInbound(nullptr, 10, true, false, h), InboundRoute::None);
}

// A byte of 0x80 or more inside a message breaks the SysEx rules; the message
// is dropped instead of handing a handler a value out of range.
TEST(InboundRouter, NonDataBytesInsideAMessageAreIgnored) {
    const struct {
        const char* what;
        Bytes message;
        std::size_t at;
    } cases[] = {
        {"parameter index", AsBytes(BuildParameterChanged(1, 2)), 7},
        {"parameter value", AsBytes(BuildParameterChanged(1, 2)), 8},
        {"preset slot", AsBytes(BuildPresetDump(1, Data(0))), 7},
        {"preset data", AsBytes(BuildPresetDump(1, Data(0))), 100},
        {"checksum byte", AsBytes(BuildPresetDump(1, Data(0))), 264},
        {"firmware version", AsBytes(BuildSettingsBlock(12, 15, Data(0))), 6},
        {"settings type", AsBytes(BuildSettingsBlock(12, 15, Data(0))), 7},
        {"name character", AsBytes(BuildNameMessage("ABC")), 8},
        {"stream item", StreamStart(), 7},
        {"packed byte", StreamData(), 50},
        {"stream checksum", StreamEnd(100), 108},
        {"status code", AsBytes(BuildApplicationStatus(status::kError)), 5},
        {"manufacturer", AsBytes(BuildApplicationStatus(status::kError)), 2},
    };
    for (const auto& c : cases) {
        ASSERT_NE(RouteOf(c.message, kConnected), InboundRoute::None) << c.what;
        for (const std::uint8_t bad : {0x80, 0xF0, 0xF7, 0xFF}) {
            Bytes m = c.message;
            m[c.at] = bad;
            EXPECT_EQ(RouteOf(m, kConnected), InboundRoute::None) << c.what << " = " << int(bad);
        }
    }
}

} // namespace
} // namespace tolvane
