// The inbound router on its own: byte 0 gives the connected and firmware
// flags, the rest is one message. Every handler reads all it was handed and
// checks that the values it gets are data bytes.

#include "device/InboundRouter.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using namespace tolvane;

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "router: %s\n", what);
        std::abort();
    }
}

class CheckingHandler final : public IInboundHandler {
public:
    unsigned sum = 0;

    void OnPresetDump(const sysex::SysexBlockView& block) override { Read(block.Message()); }
    void OnSettingsBlock(const sysex::SysexBlockView& block, bool) override { Read(block.Message()); }
    void OnIrNameBlock(const sysex::SysexBlockView& block) override { Read(block.Message()); }
    void OnNameMessage(std::string_view name) override {
        Require(name.size() <= 32, "name longer than 32 characters");
        for (char c : name)
            sum += static_cast<unsigned char>(c);
    }
    void OnIrStream(const sysex::StreamMessageView& stream) override {
        Read(stream.message);
        Read(stream.packed);
        Require(stream.packed.size() <= 256, "more than 256 packed bytes in one message");
        Require(stream.packed.empty() || (stream.packed.data() >= stream.message.data() &&
                                          stream.packed.data() + stream.packed.size() <=
                                              stream.message.data() + stream.message.size()),
                "packed bytes outside their message");
    }
    void OnParameterChanged(int index, int value) override {
        Require(index >= 0 && index < 128 && value >= 0 && value < 128, "parameter out of range");
    }
    void OnApplicationStatus(std::uint8_t code) override {
        Require(IsApplicationStatus(code), "status code outside the table");
    }
    void OnBootLoaderStatus(std::uint8_t code) override { sum += code; }

private:
    template <typename Span> void Read(const Span& bytes) {
        for (auto b : bytes)
            sum += b;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    CheckingHandler handler;
    // The transport hands over a copy, so the router sees exactly its length.
    std::vector<std::uint8_t> message(data + 1, data + size);
    RouteInbound(message.data(), message.size(), (data[0] & 1) != 0, (data[0] & 2) != 0, handler);
    return 0;
}
