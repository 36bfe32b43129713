// Writes the seed corpus of every fuzz target, made by the project's own
// builders: the link's states as a pedal model answers them, the messages of
// those exchanges one by one, the factory cabinets as WAV files, preset and
// backup files as the library encodes them, firmware images, a settings file,
// cache files.
//
// Usage: tolvane_fuzz_seeds <folder>; empties the folder, then writes
// <folder>/<target>/<name>.

#include "device/Tolvane.h"
#include "fuzz/LinkRig.h"
#include "library/IrRecord.h"
#include "library/PresetFile.h"
#include "tools/irsynth/Cabinet.h"
#include "tools/irsynth/WavWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace tolvane;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

fs::path root;
int written = 0;

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
    const fs::path dir = root / target;
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ++written;
}

// The messages of a stream, without its action bytes.
std::vector<Bytes> Messages(const Bytes& stream) {
    std::vector<Bytes> out;
    for (std::size_t i = 0; i < stream.size(); ++i) {
        if (stream[i] != 0xF0) continue;
        std::size_t end = i;
        while (end < stream.size() && stream[end] != 0xF7)
            ++end;
        out.emplace_back(stream.begin() + static_cast<long>(i),
                         stream.begin() + static_cast<long>(std::min(end + 1, stream.size())));
        i = end;
    }
    return out;
}

Bytes Concat(const std::vector<Bytes>& parts) {
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

void LinkAndRouterSeeds(fuzz::LinkRig& rig) {
    const char* names[] = {"connecting", "connected", "bulkload", "export", "restore", "irdownload", "bootloader"};
    const int ticks[] = {60, 10, 20, 200, 160, 5, 12};
    std::vector<Bytes> sentByLink;
    rig.LogSent(&sentByLink);
    std::map<std::pair<int, std::size_t>, Bytes> distinct; // by command and length
    for (int s = 0; s < fuzz::kLinkStateCount; ++s) {
        const Bytes stream = rig.Drive(static_cast<fuzz::LinkState>(s), ticks[s]);
        Bytes seed{static_cast<std::uint8_t>(s)};
        seed.insert(seed.end(), stream.begin(), stream.end());
        Seed("fuzz_link", names[s], seed);
        for (const Bytes& m : Messages(stream))
            distinct.emplace(std::make_pair(m.size() > 5 ? m[5] : 0, m.size()), m);
    }
    rig.LogSent(nullptr);
    for (const auto& [key, m] : distinct)
        for (std::uint8_t flags : {0, 1, 3}) {
            Bytes seed{flags};
            seed.insert(seed.end(), m.begin(), m.end());
            Seed("fuzz_router", "c" + std::to_string(key.first) + "_l" + std::to_string(key.second) + "_f" +
                                    std::to_string(flags),
                 seed);
        }
    // The pedal model's input is what the link sends: one seed per kind of
    // exchange, ticks between the messages.
    std::map<int, std::vector<Bytes>> byCommand;
    for (const Bytes& m : sentByLink)
        if (m.size() > 5 && byCommand[m[5]].size() < 40) byCommand[m[5]].push_back(m);
    for (const auto& [command, messages] : byCommand) {
        Bytes seed;
        for (const Bytes& m : messages) {
            seed.insert(seed.end(), m.begin(), m.end());
            seed.push_back(0x01);
        }
        Seed("fuzz_sim_model", "command_" + std::to_string(command), seed);
    }
    Seed("fuzz_sim_model", "session", Concat({sentByLink.begin(), sentByLink.begin() +
                                                                        static_cast<long>(std::min<std::size_t>(
                                                                            sentByLink.size(), 300))}));
}

void WavSeeds() {
    int k = 0;
    for (const CabinetRecipe& cab : FactoryCabinets()) {
        const std::vector<double> samples = RenderCabinet(cab);
        Seed("fuzz_wav", "cabinet" + std::to_string(++k), EncodeMonoWav(samples, cab.sampleRate, cab.bitsPerSample));
    }
    // Short files at the rates and depths a user may bring.
    std::vector<double> shortIr(300);
    for (std::size_t i = 0; i < shortIr.size(); ++i)
        shortIr[i] = (i % 2 ? -0.5 : 0.5) / (1.0 + static_cast<double>(i) / 10.0);
    for (int rate : {8000, 22050, 48000, 96000})
        for (int bits : {16, 24})
            Seed("fuzz_wav", "short_" + std::to_string(rate) + "_" + std::to_string(bits),
                 EncodeMonoWav(shortIr, rate, bits));
}

void PresetFileSeeds(fuzz::LinkRig& rig) {
    PresetFileContent content;
    content.name = "Fuzz preset                     ";
    for (int i = 0; i < kPresetFileValues; ++i)
        content.values[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i % 100);
    content.irName7 = std::string(32, ' ');
    content.irName8 = std::string(32, ' ');
    Seed("fuzz_preset_file", "plain", EncodePresetFile(content));
    // Positions 7 and 8 on (parameters 40 and 41), each with an IR record.
    content.values[40] = 1;
    content.values[41] = 1;
    content.irName7 = ir::PadName("Seven");
    content.irName8 = ir::PadName("Eight");
    IrSampleBuffer samples{};
    for (int i = 0; i < ir::kSamples; ++i)
        samples[static_cast<std::size_t>(i)] = (i % 2 ? -0.3 : 0.3) / (1 + i);
    content.records.push_back(ir::BuildRecord(samples, ir::ComputeGain(samples), "Seven"));
    Seed("fuzz_preset_file", "one_record", EncodePresetFile(content));
    content.records.push_back(ir::BuildRecord(samples, 0.5, "Eight"));
    Seed("fuzz_preset_file", "two_records", EncodePresetFile(content));
    rig.SetPresetFile({});
}

void BackupSeeds(fuzz::LinkRig& rig) {
    // An export as the link writes it: the pedal's answers while it ran.
    const Bytes exported = rig.Drive(fuzz::LinkState::Export, 200);
    const std::vector<Bytes> messages = Messages(exported);
    Seed("fuzz_backup", "export", Concat(messages));
    Seed("fuzz_backup", "three_presets", Concat({messages.begin(), messages.begin() + 3}));
}

void FirmwareSeeds() {
    // The sizes at the edges of the boot-loader blocks, and a typical one.
    for (std::size_t size : {209u, 210u, 419u, 420u, 4000u}) {
        Bytes image(size);
        for (std::size_t i = 0; i < size; ++i)
            image[i] = static_cast<std::uint8_t>(i * 31 + 7);
        Seed("fuzz_firmware", "image_" + std::to_string(size), image);
    }
}

void ProfileSeeds() {
    const std::string settings = "[audio]\nindriver=0\nindev=Default Device\noutdev=Default Device\nsr=44100\n"
                                 "buffersize=512\n[midi]\nindev=Velumo Ostrel\noutdev=Velumo Ostrel\n"
                                 "inchan=0\noutchan=0\n[GUI]\nscale=1.000000\n";
    Seed("fuzz_profile", "settings", Bytes(settings.begin(), settings.end()));
    const std::string odd = "; comment\n[Audio]\r\nINDEV = x \r\n[midi]\nindev=\n[]\n=value\nnoequals\n";
    Seed("fuzz_profile", "odd", Bytes(odd.begin(), odd.end()));
}

// One byte for the cache file (0 preset, 1 user IR, 2 factory IR), then its
// content: whole records and records a byte short.
void CacheFolderSeeds() {
    Bytes preset(kPresetRecordBytes, 0x20);
    const std::string name = "Crunch";
    std::copy(name.begin(), name.end(), preset.begin() + 2);
    IrRecord ir;
    ir.name = PadIrName("Cab");
    const auto record = EncodeIrRecord(ir);
    for (std::uint8_t kind : {0, 1, 2}) {
        Bytes whole = kind == 0 ? preset : Bytes(record.begin(), record.end());
        whole.insert(whole.begin(), kind);
        Seed("fuzz_cache_folder", "whole_" + std::to_string(kind), whole);
        whole.pop_back();
        Seed("fuzz_cache_folder", "short_" + std::to_string(kind), whole);
    }
}

void SettingsSeeds() {
    // Every key as the program writes it, and every key at or beyond the edge
    // of its range or not a number at all.
    const std::string written =
        "[audio]\ndriver=1\nindev=Built-in Input\noutdev=Built-in Output\nin1=1\nin2=2\n"
        "out1=1\nout2=2\nbuffer=512\nsr=44100\n[midi]\nindev=Velumo Ostrel\n"
        "outdev=no output\ninchan=0\noutchan=16\n[GUI]\nscale=0.750000\n";
    Seed("fuzz_settings", "written", Bytes(written.begin(), written.end()));
    const std::string edges = "[AUDIO]\nDriver=2\nin1=0\nin2=257\nout1=-1\nout2=+3\nbuffer=15\n"
                              "sr=99999999999999999999\n[midi]\ninchan=17\noutchan=1.5\n[gui]\nscale=nan\n";
    Seed("fuzz_settings", "edges", Bytes(edges.begin(), edges.end()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    root = argv[1];
    fs::remove_all(root);
    fuzz::LinkRig rig;
    LinkAndRouterSeeds(rig);
    WavSeeds();
    PresetFileSeeds(rig);
    BackupSeeds(rig);
    FirmwareSeeds();
    ProfileSeeds();
    CacheFolderSeeds();
    SettingsSeeds();
    std::printf("%d seeds written to %s\n", written, root.string().c_str());
    return 0;
}
