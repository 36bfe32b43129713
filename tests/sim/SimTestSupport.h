#pragma once
// A pedal model wired to a recorder, and the editor's side of the transfers
// the tests need (an IR stream, a firmware image in boot-loader blocks).

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "device/SevenBitPacking.h"
#include "device/SysexBuilders.h"
#include "sim/model/FactoryContent.h"
#include "sim/model/PedalModel.h"

namespace tolvane::sim::testing {

using Bytes = std::vector<std::uint8_t>;

struct RecordingPedal {
    PedalModel model;
    std::vector<Bytes> answers;

    explicit RecordingPedal(PedalState state = FactoryState()) : model(std::move(state)) {
        model.SetOutput(
            [this](std::span<const std::uint8_t> m) { answers.emplace_back(m.begin(), m.end()); });
    }

    template <typename Message> void Send(const Message& m) {
        model.Receive(std::span<const std::uint8_t>(m));
    }
    std::vector<Bytes> Take() { return std::exchange(answers, {}); }
};

// The messages of one packed stream, as the editor sends an impulse response:
// start (first 256 packed bytes), data messages, end with the stream checksum.
inline std::vector<Bytes> IrStreamMessages(std::uint8_t startCommand, std::uint8_t dataCommand,
                                           std::uint8_t endCommand, int item,
                                           std::span<const std::uint8_t> record) {
    Bytes packed(PackedLength(record.size()));
    Pack7(record, packed);
    const std::span<const std::uint8_t> all(packed);
    std::vector<Bytes> out;
    const auto start = sysex::BuildStreamStart(sysex::kTargetApplication, startCommand, item,
                                               static_cast<std::uint32_t>(packed.size()), all.first(256));
    out.emplace_back(start.begin(), start.end());
    std::size_t at = 256;
    for (; packed.size() - at > 256; at += 256) {
        const auto data =
            sysex::BuildStreamData(sysex::kTargetApplication, dataCommand, all.subspan(at, 256));
        out.emplace_back(data.begin(), data.end());
    }
    const auto end = sysex::BuildStreamEnd(sysex::kTargetApplication, endCommand, all.subspan(at),
                                           sysex::StreamChecksumOf(all));
    out.emplace_back(end.Span().begin(), end.Span().end());
    return out;
}

// A firmware image as the editor sends it after Boot loader ready.
inline std::vector<Bytes> FirmwareMessages(std::span<const std::uint8_t> image) {
    Bytes packed(PackedLength(image.size()));
    Pack7(image, packed);
    const std::span<const std::uint8_t> all(packed);
    std::vector<Bytes> out;
    const auto first =
        sysex::BuildBootFirstBlock(sysex::kTargetBootLoader, sysex::command::kFirstFirmwareBlock,
                                   static_cast<std::uint32_t>(packed.size()), all.first(240));
    out.emplace_back(first.begin(), first.end());
    std::size_t at = 240;
    for (; packed.size() - at > 240; at += 240) {
        const auto block = sysex::BuildBootBlock(sysex::kTargetBootLoader, sysex::command::kFirmwareBlock,
                                                 all.subspan(at, 240));
        out.emplace_back(block.begin(), block.end());
    }
    const auto last = sysex::BuildBootLastBlock(sysex::kTargetBootLoader, sysex::command::kFirmwareBlock,
                                                all.subspan(at), sysex::StreamChecksumOf(all));
    out.emplace_back(last.Span().begin(), last.Span().end());
    return out;
}

} // namespace tolvane::sim::testing
