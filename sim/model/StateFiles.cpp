#include "sim/model/StateFiles.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tolvane::sim {

namespace {

using Bytes = std::vector<std::uint8_t>;

bool WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    return !ec;
}

std::optional<Bytes> ReadFile(const std::filesystem::path& path, std::size_t expected) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() != expected) return std::nullopt;
    return bytes;
}

template <typename Array> void Append(Bytes& out, const Array& a) {
    out.insert(out.end(), a.begin(), a.end());
}

template <typename Array> std::size_t Take(Array& a, const Bytes& in, std::size_t at) {
    std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(at), a.size(), a.begin());
    return at + a.size();
}

std::string NameAt(const std::uint8_t* chars) {
    std::string name(reinterpret_cast<const char*>(chars), sysex::kNameChars);
    return name.substr(0, name.find_last_not_of(' ') + 1);
}

std::string NamesText(const PedalState& state) {
    std::string text = "Presets\n";
    for (int s = 0; s < kNumPresetSlots; ++s)
        text += "  " + std::to_string(s) + "  " +
                NameAt(state.presets[static_cast<std::size_t>(s)].data() + kPresetNameOffset) + "\n";
    text += "User IRs\n";
    for (int n = 0; n < kNumUserIrSlots; ++n) {
        const IrData& ir = state.userIrs[static_cast<std::size_t>(n)];
        if (!IsEmptyIr(ir))
            text += "  " + std::to_string(n) + "  " + NameAt(ir.data() + kIrNameOffset) + "\n";
    }
    text += "Factory IRs\n";
    for (int k = 0; k < kNumFactoryIrs; ++k)
        text += "  " + std::to_string(kFirstFactoryIr + k) + "  " +
                NameAt(state.factoryIrs[static_cast<std::size_t>(k)].data() + kIrNameOffset) + "\n";
    return text;
}

constexpr std::size_t kEditSize = 1 + sizeof(PresetRecord);
constexpr std::size_t kSettingsSize = 3 * sysex::kBlockDataSize;

} // namespace

bool SaveState(const PedalState& state, const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return false;

    Bytes presets, edit, settings, user, factory;
    for (const auto& p : state.presets)
        Append(presets, p);
    edit.push_back(static_cast<std::uint8_t>(state.currentPreset));
    Append(edit, state.editBuffer);
    Append(settings, state.globalSettings);
    Append(settings, state.midiCcNumbers);
    Append(settings, state.programMap);
    for (const auto& ir : state.userIrs)
        Append(user, ir);
    for (const auto& ir : state.factoryIrs)
        Append(factory, ir);
    const std::string names = NamesText(state);

    return WriteFile(folder / "presets.bin", presets) && WriteFile(folder / "edit.bin", edit) &&
           WriteFile(folder / "settings.bin", settings) && WriteFile(folder / "user-irs.bin", user) &&
           WriteFile(folder / "factory-irs.bin", factory) &&
           WriteFile(folder / "serial.txt", Bytes(state.serial.begin(), state.serial.end())) &&
           WriteFile(folder / "names.txt", Bytes(names.begin(), names.end()));
}

std::optional<PedalState> LoadState(const std::filesystem::path& folder) {
    const auto presets = ReadFile(folder / "presets.bin", kNumPresetSlots * sizeof(PresetRecord));
    const auto edit = ReadFile(folder / "edit.bin", kEditSize);
    const auto settings = ReadFile(folder / "settings.bin", kSettingsSize);
    const auto user = ReadFile(folder / "user-irs.bin", kNumUserIrSlots * kIrBytes);
    const auto factory = ReadFile(folder / "factory-irs.bin", kNumFactoryIrs * kIrBytes);
    if (!presets || !edit || !settings || !user || !factory) return std::nullopt;
    if ((*edit)[0] >= kNumPresetSlots) return std::nullopt;

    std::ifstream serialIn(folder / "serial.txt", std::ios::binary);
    if (!serialIn) return std::nullopt;
    std::string serial((std::istreambuf_iterator<char>(serialIn)), std::istreambuf_iterator<char>());

    PedalState state;
    std::size_t at = 0;
    for (auto& p : state.presets)
        at = Take(p, *presets, at);
    state.currentPreset = (*edit)[0];
    Take(state.editBuffer, *edit, 1);
    at = Take(state.globalSettings, *settings, 0);
    at = Take(state.midiCcNumbers, *settings, at);
    Take(state.programMap, *settings, at);
    at = 0;
    for (auto& ir : state.userIrs)
        at = Take(ir, *user, at);
    at = 0;
    for (auto& ir : state.factoryIrs)
        at = Take(ir, *factory, at);
    state.serial = serial.substr(0, kSerialChars);
    return state;
}

} // namespace tolvane::sim
