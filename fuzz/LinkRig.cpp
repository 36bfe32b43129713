#include "fuzz/LinkRig.h"

#include "core/MessageSender.h"
#include "device/LinkTags.h"
#include "device/SysexBuilders.h"
#include "device/Tolvane.h"
#include "device/TransferWiring.h"
#include "fuzz/MemoryFiles.h"
#include "sim/model/FactoryContent.h"
#include "sim/model/PedalModel.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <new>
#include <unistd.h>

namespace tolvane::fuzz {

namespace {

constexpr int kIrToDownload = 384; // a factory cabinet: every pedal has one
constexpr std::size_t kFirmwareImageBytes = 1000;
// Slots the library lacks in the bulk-load state, so that three are loaded.
constexpr int kMissingSlots[] = {3, 64, 127};

// Answers every question with OK and names a file for every file question.
// Keeps whether the firmware page is shown.
class AnsweringSeam final : public IEditorSeam {
public:
    bool firmwarePage = false;

    bool IsEditorOpen() const override { return true; }
    void SetTextByTag(ControlTag, std::string_view) override {}
    void SetTextColourByTag(ControlTag, Colour) override {}
    void SetControlValueByTag(ControlTag, double) override {}
    void ShowGroup(std::string_view group) override {
        if (group == link::kGroupFirmwareUpdate) firmwarePage = true;
    }
    void HideGroup(std::string_view group) override {
        if (group == link::kGroupFirmwareUpdate) firmwarePage = false;
    }
    void EnableGroup(std::string_view) override {}
    void DisableGroup(std::string_view) override {}
    AskResult AskUser(std::string_view, std::string_view, AskButtons) override { return AskResult::Ok; }
    std::string AskForFile(FileAction, const std::string& extension, const std::string&,
                           const std::string&) override {
        return "fuzz." + extension;
    }
};

// Checks every message the link sends; hands it to a pedal model when one is attached.
class CheckingSender final : public ISysExSender {
public:
    sim::PedalModel* pedal = nullptr;
    std::vector<Bytes>* log = nullptr;

    bool SendSysEx(const std::uint8_t* bytes, std::size_t size) override {
        bool wellFormed = size >= 7 && bytes[0] == 0xF0 && bytes[size - 1] == 0xF7;
        for (std::size_t i = 1; wellFormed && i + 1 < size; ++i)
            wellFormed = bytes[i] < 0x80;
        if (!wellFormed) {
            std::fprintf(stderr, "the link sent a message that breaks the SysEx rules (%zu bytes)\n", size);
            std::abort();
        }
        if (log) log->emplace_back(bytes, bytes + size);
        if (pedal) pedal->Receive({bytes, size});
        return true;
    }
};

Bytes Concat(const std::vector<Bytes>& messages) {
    Bytes out;
    for (const auto& m : messages)
        out.insert(out.end(), m.begin(), m.end());
    return out;
}

} // namespace

struct LinkRig::Impl {
    // Recorded once from a pedal model.
    Bytes idReply, checksumList, settings0, currentDump, bootReady;
    std::vector<Bytes> irStream;
    Bytes backup;
    std::optional<Bytes> presetFile;
    std::unique_ptr<sim::PedalState> factory;
    std::array<std::array<std::uint8_t, kPresetRecordBytes>, kPresetSlotCount> pedalPresets{};
    std::string firmwarePath;

    // Per run.
    MemoryLibrary library;
    AnsweringSeam seam;
    CheckingSender sender;
    // The link is built in the same storage every run: a fresh object, but
    // on memory that is already mapped, so building it costs a clear rather
    // than page faults (the link holds the screen queue and the transfer
    // buffers inline, over a megabyte).
    struct Arena {
        alignas(Tolvane) std::byte bytes[sizeof(Tolvane)];
    };
    std::unique_ptr<Arena> arena = std::make_unique<Arena>();
    Tolvane* link = nullptr;

    // The parameter table of the last link, for the next one.
    ParamList params;

    void DropLink() {
        if (!link) return;
        params = link->ReleaseParams();
        link->~Tolvane();
        link = nullptr;
    }

    Impl() { Record(); }

    void Record() {
        factory = std::make_unique<sim::PedalState>(sim::FactoryState());
        sim::PedalModel pedal(*factory);
        std::vector<Bytes> answers;
        pedal.SetOutput([&](std::span<const std::uint8_t> m) { answers.emplace_back(m.begin(), m.end()); });
        auto ask = [&](const auto& message) {
            answers.clear();
            pedal.Receive({message.data(), message.size()});
            return answers;
        };
        idReply = ask(sysex::BuildRequestSettingsBlock(15)).at(0);
        checksumList = ask(sysex::BuildRequestSettingsBlock(3)).at(0);
        settings0 = ask(sysex::BuildRequestSettingsBlock(0)).at(0);
        currentDump = ask(sysex::BuildRequestPreset(settings0.at(8))).at(0);
        irStream = ask(sysex::BuildRequestImpulseResponse(kIrToDownload));
        std::vector<Bytes> dumps;
        for (int slot = 0; slot < kPresetSlotCount; ++slot) {
            dumps.push_back(ask(sysex::BuildRequestPreset(static_cast<std::uint8_t>(slot))).at(0));
            std::copy(dumps.back().begin() + 8, dumps.back().begin() + 8 + kPresetRecordBytes,
                      pedalPresets[static_cast<std::size_t>(slot)].begin());
        }
        backup = Concat(dumps);
        const Bytes ir = Concat(irStream);
        backup.insert(backup.end(), ir.begin(), ir.end());
        const auto ready = sysex::BuildBootLoaderStatus(sysex::status::kBootLoaderReady);
        bootReady.assign(ready.begin(), ready.end());

        firmwarePath = (std::filesystem::temp_directory_path() /
                        ("tolvane_fuzz_firmware_" + std::to_string(::getpid()) + ".ldr"))
                           .string();
        Bytes image(kFirmwareImageBytes);
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 37 + 11);
        // Removed at exit even though a fuzz target never destroys its rig.
        static const struct RemoveAtExit {
            std::string path;
            ~RemoveAtExit() {
                std::error_code ignored;
                std::filesystem::remove(path, ignored);
            }
        } removeImage{firmwarePath};
        std::ofstream(firmwarePath, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    }

    void Deliver(const Bytes& m) { Deliver(m.data(), m.size()); }
    void Deliver(const std::uint8_t* bytes, std::size_t size) {
        link->ProcessSysEx(SysExMessage{0, static_cast<int>(size), bytes});
    }

    void Build(LinkState state) {
        DropLink();
        seam.firmwarePage = false;
        library.presets = {};
        for (int slot = 0; slot < kPresetSlotCount; ++slot)
            library.presets[static_cast<std::size_t>(slot)] = pedalPresets[static_cast<std::size_t>(slot)];
        if (state == LinkState::BulkLoad)
            for (int slot : kMissingSlots)
                library.presets[static_cast<std::size_t>(slot)].reset();
        link = new (arena->bytes) Tolvane(sender, seam, library, std::move(params));
        link->SetTeardownWait(std::chrono::milliseconds(0));
        TransferFiles files;
        files.irFiles = std::make_shared<MemoryIrFiles>();
        auto presetFiles = std::make_shared<MemoryPresetFiles>();
        if (presetFile) presetFiles->files["fuzz.dvp"] = *presetFile;
        files.presetFiles = presetFiles;
        files.readBackup = [this](const std::string&) { return std::optional<Bytes>(backup); };
        // The restore reads no file whose size it was not told.
        files.fileSize = [this](const std::string&) { return std::optional<std::uintmax_t>(backup.size()); };
        files.writeBackup = [](const std::string&, std::span<const std::uint8_t>) { return true; };
        link->SetTransferFiles(std::move(files));
    }

    void Connect() {
        Deliver(idReply);
        Deliver(checksumList);
        Deliver(settings0);
        Deliver(currentDump);
    }

    // Brings the fresh link into state.
    void Prelude(LinkState state) {
        switch (state) {
        case LinkState::Connecting:
            break;
        case LinkState::Connected:
            Connect();
            break;
        case LinkState::BulkLoad:
            Deliver(idReply);
            Deliver(checksumList);
            break;
        case LinkState::Export:
            Connect();
            link->HandleMenuCommand(MenuCommand::ExportAllPresets);
            break;
        case LinkState::Restore:
            Connect();
            link->HandleMenuCommand(MenuCommand::ImportAllPresets);
            break;
        case LinkState::IrDownload:
            Connect();
            Deliver(irStream.at(0));
            break;
        case LinkState::BootLoader:
            Connect();
            link->HandleMenuCommand(MenuCommand::FirmwareUpdate);
            link->LoadFirmware(firmwarePath);
            Deliver(bootReady);
            break;
        }
    }

    // The copy of the message being delivered (the transport's 512 bytes at most).
    std::array<std::uint8_t, 512> message{};

    void Feed(std::span<const std::uint8_t> stream) {
        std::size_t i = 0;
        while (i < stream.size()) {
            const std::uint8_t b = stream[i];
            if (b != 0xF0) {
                if (b == kActionTick) link->OnDeviceTimer();
                if (b == kActionIdle) link->OnIdle();
                ++i;
                continue;
            }
            std::size_t end = i + 1;
            while (end < stream.size() && stream[end] != 0xF7)
                ++end;
            end = std::min(end + 1, stream.size());
            // The transport hands over a copy of at most 512 bytes.
            const std::size_t size = std::min<std::size_t>(end - i, message.size());
            std::copy_n(stream.begin() + static_cast<long>(i), size, message.begin());
            Deliver(message.data(), size);
            i = end;
        }
    }
};

LinkRig::LinkRig() : impl_(std::make_unique<Impl>()) {}
LinkRig::~LinkRig() {
    impl_->DropLink();
}

void LinkRig::Run(LinkState state, std::span<const std::uint8_t> stream) {
    impl_->sender.pedal = nullptr;
    impl_->Build(state);
    impl_->Prelude(state);
    impl_->Feed(stream);
}

bool LinkRig::Settles(int ticks) {
    Impl& r = *impl_;
    sim::PedalModel pedal(*r.factory);
    std::deque<Bytes> answers;
    pedal.SetOutput([&](std::span<const std::uint8_t> m) { answers.emplace_back(m.begin(), m.end()); });
    r.sender.pedal = &pedal;
    Tolvane& link = *r.link;
    TransferWiring& w = *link.Wiring();
    auto settled = [&] {
        return link.Connected() && !r.seam.firmwarePage && !link.BulkLoadRunning() &&
               !w.Backup().ExportActive() && !w.Backup().RestoreActive() && !w.Firmware().Active() &&
               !w.Upload().Active() && !w.Download().Receiving();
    };
    bool done = settled();
    for (int t = 0; t < ticks && !done; ++t) {
        if (r.seam.firmwarePage && !w.Firmware().Active()) link.CloseFirmwarePage();
        link.OnDeviceTimer();
        pedal.Advance(100);
        while (!answers.empty()) {
            const Bytes m = std::move(answers.front());
            answers.pop_front();
            r.Deliver(m);
        }
        link.OnIdle();
        done = settled();
    }
    r.sender.pedal = nullptr;
    return done;
}

void LinkRig::SetBackupFile(std::vector<std::uint8_t> bytes) {
    impl_->backup = std::move(bytes);
}

void LinkRig::SetPresetFile(std::vector<std::uint8_t> bytes) {
    impl_->presetFile = std::move(bytes);
}

void LinkRig::LogSent(std::vector<std::vector<std::uint8_t>>* log) {
    impl_->sender.log = log;
}

void LinkRig::SetFirmwareFile(const std::string& path) {
    impl_->firmwarePath = path;
}

std::vector<std::uint8_t> LinkRig::Drive(LinkState state, int ticks, const std::function<void(Tolvane&)>& action) {
    sim::PedalModel pedal(*impl_->factory);
    std::deque<Bytes> answers;
    bool recording = false;
    pedal.SetOutput([&](std::span<const std::uint8_t> m) {
        if (recording) answers.emplace_back(m.begin(), m.end());
    });
    impl_->sender.pedal = &pedal;
    impl_->Build(state);
    impl_->Prelude(state);
    // The pedal already answered what the prelude delivered; what it says
    // from here on is the stream.
    recording = true;
    if (action) action(*impl_->link);
    Bytes stream;
    auto pump = [&] {
        while (!answers.empty()) {
            Bytes m = std::move(answers.front());
            answers.pop_front();
            stream.insert(stream.end(), m.begin(), m.end());
            impl_->Deliver(m);
        }
    };
    if (state == LinkState::Connected) {
        for (int k = 0; k < 20; ++k)
            pedal.TurnKnob(k % 38, (k * 13) % 128);
        pedal.ChangePreset(7);
        pedal.SendError();
        pump();
    }
    if (state == LinkState::IrDownload)
        for (std::size_t k = 1; k < impl_->irStream.size(); ++k)
            answers.push_back(impl_->irStream[k]);
    pump();
    for (int t = 1; t <= ticks; ++t) {
        impl_->link->OnDeviceTimer();
        stream.push_back(kActionTick);
        pedal.Advance(100);
        pump();
        if (t % 5 == 0) {
            impl_->link->OnIdle();
            stream.push_back(kActionIdle);
        }
    }
    impl_->sender.pedal = nullptr;
    impl_->DropLink();
    return stream;
}

} // namespace tolvane::fuzz
