#include "library/IrRecord.h"

#include <algorithm>

namespace tolvane {

namespace {

constexpr double kWordScale = 1.0 / 32768.0;

} // namespace

double IrRecord::Gain() const {
    return gainWord * kWordScale;
}

double IrRecord::Sample(std::size_t i) const {
    return samples[i] * kWordScale;
}

std::string IrRecord::Name() const {
    return TrimName(name.data(), name.size());
}

std::array<char, kIrNameLength> PadIrName(std::string_view name) {
    const std::string padded = ir::PadName(std::string(name));
    std::array<char, kIrNameLength> out;
    std::copy_n(padded.begin(), kIrNameLength, out.begin());
    return out;
}

std::string TrimName(const char* text, std::size_t length) {
    std::size_t end = 0;
    while (end < length && text[end] != '\0')
        ++end;
    while (end > 0 && text[end - 1] == ' ')
        --end;
    return std::string(text, end);
}

std::string PrintableText(const std::uint8_t* text, std::size_t length) {
    std::string out;
    for (std::size_t i = 0; i < length && text[i] != 0; ++i)
        if (text[i] >= 0x20 && text[i] < 0x7F) out += static_cast<char>(text[i]);
    return out;
}

std::array<std::uint8_t, kIrRecordSize> EncodeIrRecord(const IrRecord& record) {
    return ir::EncodeFields(record);
}

std::optional<IrRecord> DecodeIrRecord(const std::uint8_t* bytes, std::size_t size) {
    if (size != kIrRecordSize) return std::nullopt;
    ir::RecordBytes raw;
    std::copy_n(bytes, kIrRecordSize, raw.begin());
    IrRecord record;
    static_cast<ir::RecordFields&>(record) = ir::DecodeFields(raw);
    return record;
}

} // namespace tolvane
