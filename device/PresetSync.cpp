// Presets: the checksum comparison after identification, the bulk load of the
// slots that differ, Preset dumps in bulk and normal mode, and the Store,
// Select and Request preset messages.

#include "device/LinkTags.h"
#include "device/ParamTable.h"
#include "device/SysexBuilders.h"
#include "device/Tolvane.h"
#include "device/TransferTimeouts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace tolvane {

namespace {

// Offsets inside the 256-byte preset record.
constexpr std::size_t kRecordStoreMarker = 0;
constexpr std::size_t kRecordName = 2;
constexpr std::size_t kRecordValues = 34;
constexpr std::size_t kRecordIrName7 = 192;
constexpr std::size_t kRecordIrName8 = 224;
constexpr std::size_t kNameChars = kNameTextChars;
// The list scrolls by its first visible slot, at most this one.
constexpr int kLastFirstVisibleSlot = 109;
// A list entry written from a dump in normal mode is cut to this length.
constexpr std::size_t kNormalRowChars = 20;

// The received bytes are seen in place: the receive entry runs on the clock
// thread, which allocates nothing.

// The characters up to the first NUL, at most n.
std::string_view Chars(const std::uint8_t* at, std::size_t n) {
    const char* text = reinterpret_cast<const char*>(at);
    return std::string_view(text, strnlen(text, n));
}

std::string_view Trimmed(const std::uint8_t* at, std::size_t n) {
    std::string_view text = Chars(at, n);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

std::string_view View(const NameText& name) {
    return std::string_view(name.data(), strnlen(name.data(), name.size()));
}

// Cut to 32 characters and padded with blanks.
void PutName(std::uint8_t* at, const NameText& name) {
    std::size_t i = 0;
    for (; i < kNameChars && name[i] != '\0'; ++i)
        at[i] = static_cast<std::uint8_t>(name[i]);
    for (; i < kNameChars; ++i)
        at[i] = ' ';
}

// A list row: " %02d " with the number shown, then the name, cut to limit
// characters; held in place.
class RowLabel {
public:
    RowLabel(int number, std::string_view name, std::size_t limit = kNameChars + 16) {
        const int prefix = std::snprintf(text_, sizeof text_, " %02d ", number);
        size_ = prefix > 0 ? std::min(static_cast<std::size_t>(prefix), sizeof text_ - 1) : 0;
        size_ += name.copy(text_ + size_, sizeof text_ - size_);
        size_ = std::min(size_, limit);
    }
    std::string_view View() const { return std::string_view(text_, size_); }

private:
    char text_[kNameChars + 16];
    std::size_t size_ = 0;
};

} // namespace

// ---- Messages --------------------------------------------------------------------

void Tolvane::RequestPreset(int slot) {
    Send(sysex::BuildRequestPreset(static_cast<std::uint8_t>(slot)));
}

void Tolvane::SelectPreset(int slot) {
    Send(sysex::BuildSelectPreset(static_cast<std::uint8_t>(slot)));
}

void Tolvane::StorePreset() {
    std::array<std::uint8_t, kPresetRecordBytes> record{};
    record[kRecordStoreMarker] = 1;
    PutName(&record[kRecordName], presetName_.Load());
    for (int i = 0; i < kNumPresetParams; ++i)
        record[kRecordValues + i] = static_cast<std::uint8_t>(deviceValueCache_[i] & 0x7F);
    const NameText blank{};
    PutName(&record[kRecordIrName7], ParamInt(kParamIrMode7) != 0 ? irNameText_[0].Load() : blank);
    PutName(&record[kRecordIrName8], ParamInt(kParamIrMode8) != 0 ? irNameText_[1].Load() : blank);
    const int slot = CurrentPreset();
    Send(sysex::BuildStorePreset(static_cast<std::uint8_t>(slot), record));
    // The slot now holds what was sent: the stored values behind the modified
    // mark and the voicing buttons, and the slot's list row, follow at once,
    // the row written as a received dump writes it.
    for (int i = 0; i < kNumPresetParams; ++i)
        storedPresetValues_[i] = record[kRecordValues + i];
    flags_.presetModified.store(false);
    DetectVoicings();
    if (EditorOpen()) {
        screen_.SetTextColourByTag(link::kTagNumberDisplay, link::kColourDisplay);
        SetRowText(
            slot,
            RowLabel(PatchOffset() + slot, Chars(&record[kRecordName], kNameChars), kNormalRowChars).View());
    }
}

void Tolvane::PressSave() {
    if (!saveArmed_.load()) {
        saveArmed_.store(true);
        return;
    }
    if (Connected()) {
        Send(sysex::BuildSetParameter(kDeviceNumberSaveToSlot, static_cast<std::uint8_t>(CurrentPreset())));
        blinkCounting_.store(true);
    } else {
        saveArmed_.store(false);
    }
}

void Tolvane::PickPresetSlot(int slot) {
    if (!Connected()) return;
    if (saveArmed_.load())
        Send(sysex::BuildSetParameter(kDeviceNumberSaveToSlot, static_cast<std::uint8_t>(slot)));
    else
        SelectPreset(slot);
}

void Tolvane::CommitPresetName(const std::string& name) {
    SetPresetNameText(name);
    StorePreset();
}

void Tolvane::SetPresetNameText(std::string_view name) {
    presetName_.Store(ToNameText(name));
}

void Tolvane::SetIrNameText(int which, std::string_view name) {
    irNameText_[static_cast<std::size_t>(which & 1)].Store(ToNameText(name));
}

// ---- Synchronisation ---------------------------------------------------------------------

void Tolvane::ChecksumList(const sysex::SysexBlockView& block) {
    if (!block.ChecksumValid()) return;
    const auto data = block.Data();
    bool any = false;
    for (int k = 0; k < kPresetSlotCount; ++k) {
        const ChecksumPair pedal{data[2 * k], data[2 * k + 1]};
        const bool differs = pedal != localChecksums_[static_cast<std::size_t>(k)].Load();
        pending_[k].store(differs);
        any = any || differs;
    }
    if (!any) {
        RequestSettingsBlock(sysex::settings::kGlobal);
        return;
    }
    bulkIndex_.store(-1);
    bulkLoadRunning_.store(true);
    bulkStartPending_.store(true);
}

int Tolvane::LowestPendingSlot() const {
    for (int k = 0; k < kPresetSlotCount; ++k)
        if (pending_[k].load()) return k;
    return -1;
}

void Tolvane::StartBulkLoad() {
    pendingCount_ = static_cast<int>(
        std::count_if(pending_.begin(), pending_.end(), [](const auto& p) { return p.load(); }));
    loadedCount_ = 0;
    const int first = LowestPendingSlot();
    if (first < 0) {
        FinishBulkLoad();
        return;
    }
    bulkIndex_.store(first);
    RequestPreset(first);
    if (EditorOpen()) {
        screen_.SetControlValueByTag(link::kTagProgressKnob, 0.0);
        screen_.SetTextByTag(link::kTagProgressText, "0 %");
        screen_.SetTextByTag(link::kTagProgressCaption, link::kTextLoadingPresets);
        screen_.ShowGroup(link::kGroupProgress);
    }
}

void Tolvane::WatchBulkLoad() {
    if (!bulkLoadRunning_.load() || bulkIndex_.load() < 0) {
        bulkWaitTicks_.store(0);
        return;
    }
    if (bulkWaitTicks_.fetch_add(1) + 1 < kAnswerTimeoutTicks) return;
    if (!bulkLoadRunning_.exchange(false)) return;
    EndBulkLoadEarly(link::kTextLoadStoppedNoAnswer);
    // Looking for the pedal again; when it answers, the checksums decide
    // which slots are still to load.
    flags_.connected.store(false);
    flags_.autoConnect.store(true);
}

void Tolvane::EndBulkLoadEarly(const char* reason) {
    bulkWaitTicks_.store(0);
    Send(sysex::BuildBulkTransfer(false));
    if (EditorOpen()) screen_.HideGroup(link::kGroupProgress);
    const int missing = static_cast<int>(
        std::count_if(pending_.begin(), pending_.end(), [](const auto& p) { return p.load(); }));
    char text[kPendingTextBytes];
    std::snprintf(text, sizeof text,
                  "%s\n%d of %d presets were read; the rest are read at the next connection.", reason,
                  std::max(0, pendingCount_.load() - missing), pendingCount_.load());
    SetPendingMessage(text);
}

void Tolvane::FinishBulkLoad() {
    bulkLoadRunning_.store(false);
    if (presetCacheFailed_.exchange(false)) SetPendingMessage(link::kTextPresetsNotCached);
    if (transfers_.presetsLoaded) transfers_.presetsLoaded();
    flags_.applyFlag.store(false);
    if (EditorOpen()) {
        screen_.SetControlValueByTag(link::kTagProgressKnob, 1.0);
        screen_.SetTextByTag(link::kTagProgressText, "100 %");
        screen_.HideGroup(link::kGroupProgress);
    }
    RequestSettingsBlock(sysex::settings::kGlobal);
}

void Tolvane::ShowProgress(int loaded, int total) {
    const double progress = total > 0 ? static_cast<double>(loaded) / total : 1.0;
    char text[16];
    std::snprintf(text, sizeof text, "%d %%", static_cast<int>(progress * 100));
    screen_.SetControlValueByTag(link::kTagProgressKnob, progress);
    screen_.SetTextByTag(link::kTagProgressText, text);
}

void Tolvane::SetRowText(int slot, std::string_view text) {
    screen_.SetTextByTag(link::kTagPresetRowFirst + slot, text);
}

void Tolvane::SetRowColour(int slot, Colour colour) {
    screen_.SetTextColourByTag(link::kTagPresetRowFirst + slot, colour);
}

// ---- Preset dumps -------------------------------------------------------------------------

void Tolvane::OnPresetDump(const sysex::SysexBlockView& block) {
    if (bulkLoadRunning_.load())
        BulkPresetDump(block);
    else if (TransferQuery(transfers_.exportRunning)) {
        if (transfers_.exportPresetDump) transfers_.exportPresetDump(block);
    } else
        NormalPresetDump(block);
}

void Tolvane::BulkPresetDump(const sysex::SysexBlockView& block) {
    bulkWaitTicks_.store(0);
    flags_.applyFlag.store(true);
    if (!block.ChecksumValid()) {
        // Asked again, without limit. Before the first request there is
        // nothing to repeat: the load itself asks for every pending slot.
        if (bulkIndex_.load() >= 0) RequestPreset(bulkIndex_.load());
        return;
    }
    const int slot = block.Index();
    bulkIndex_.store(slot);
    const auto data = block.Data();
    // A file that cannot be written does not stop the load; its checksum is
    // not taken, so the slot is read again at the next connection. The write
    // is handed to the user-interface thread, which takes the checksum once
    // the file is written (CacheWritten).
    const auto message = block.Message();
    if (!cache_.WritePreset(
            CacheWrite::LoadedPreset, slot, data.data(),
            {message[sysex::kOffsetBlockChecksumHigh], message[sysex::kOffsetBlockChecksumLow]}))
        presetCacheFailed_.store(true);
    pending_[slot].store(false);
    if (transfers_.presetLoaded) transfers_.presetLoaded(slot, data);
    const bool open = EditorOpen();
    if (open) {
        SetRowText(slot, RowLabel(PatchOffset() + slot, Chars(&data[kRecordName], kNameChars)).View());
    }
    const int next = LowestPendingSlot();
    if (next < 0) {
        FinishBulkLoad();
        return;
    }
    bulkIndex_.store(next);
    ++loadedCount_;
    if (open) ShowProgress(loadedCount_, pendingCount_);
    RequestPreset(next);
}

void Tolvane::NormalPresetDump(const sysex::SysexBlockView& block) {
    const int slot = block.Index();
    const int offset = PatchOffset();
    currentPreset_.store(slot);
    const bool open = EditorOpen();
    // The highlight moves to the preset's row; the page logic also takes it
    // from whatever row a press lit.
    if (const int previous = selectedPresetRow_.load(); slot != previous) {
        if (open) {
            if (previous >= 0) SetRowColour(previous, link::kColourListRow);
            SetRowColour(slot, link::kColourListRowSelected);
        }
        selectedPresetRow_.store(slot);
        if (open)
            SetAndQueue(kParamScroll,
                        static_cast<double>(kLastFirstVisibleSlot - std::min(slot, kLastFirstVisibleSlot)) /
                            kLastFirstVisibleSlot);
    }
    presetArrivals_.fetch_add(1);
    if (!block.ChecksumValid()) return;

    const auto data = block.Data();
    flags_.applyFlag.store(true);
    for (int i = 0; i < kNumPresetParams; ++i) {
        const int v = data[kRecordValues + i];
        ApplyValue(i, v);
        storedPresetValues_[i] = v;
    }
    DetectVoicings();
    irEditTargetA_.store(false);
    irEditTargetB_.store(false);

    flags_.presetModified.store(false);
    const std::string_view name = Chars(&data[kRecordName], kNameChars);
    SetPresetNameText(name);
    const bool user7 = ParamInt(kParamIrMode7) != 0;
    const bool user8 = ParamInt(kParamIrMode8) != 0;
    const NameText factory7 = factoryIrNames_[7].Load();
    const NameText factory8 = factoryIrNames_[8].Load();
    // A user IR is named as its slot's record in the cache names it: the
    // preset keeps only a copy of the name, which goes stale when the slot
    // gets another IR (an import into a slot that other presets play too).
    NameText held7{}, held8{};
    auto userIrName = [this](int highIndex, int lowIndex, const std::uint8_t* copy, NameText& held) {
        const int slot = ParamInt(highIndex) * 128 + ParamInt(lowIndex);
        if (cache_.RecordName(slot, held)) {
            const std::string_view cached =
                Trimmed(reinterpret_cast<const std::uint8_t*>(held.data()), held.size());
            if (!cached.empty()) return cached;
        }
        return Trimmed(copy, kNameChars);
    };
    const std::string_view ir7 =
        user7 ? userIrName(kParamUserIr7PresetMsb, kParamUserIr7Preset, &data[kRecordIrName7], held7)
              : View(factory7);
    const std::string_view ir8 =
        user8 ? userIrName(kParamUserIr8PresetMsb, kParamUserIr8Preset, &data[kRecordIrName8], held8)
              : View(factory8);
    SetIrNameText(0, ir7);
    SetIrNameText(1, ir8);
    if (open) {
        ShowPresetNumber(offset + slot);
        screen_.SetTextColourByTag(link::kTagNumberDisplay, link::kColourDisplay);
        screen_.SetTextByTag(link::kTagPresetName, name);
        SetRowText(slot, RowLabel(offset + slot, name, kNormalRowChars).View());
        screen_.SetTextByTag(link::kTagIrName7, ir7);
        screen_.SetTextByTag(link::kTagIrName8, ir8);
        if ((user7 || user8) && transfers_.refreshIrDisplay) transfers_.refreshIrDisplay(ParamInt(kParamIr));
    }
    flags_.applyFlag.store(false);
    // Edits made to the preset before it was loaded are no longer to be undone.
    NoteValuesLoaded();

    if (saveArmed_.exchange(false)) {
        // The dump answers a save to slot: keep it as that slot's file.
        blinkCounting_.store(false);
        const int current = CurrentPreset();
        const auto message = block.Message();
        if (!cache_.WritePreset(
                CacheWrite::SavedPreset, current, data.data(),
                {message[sysex::kOffsetBlockChecksumHigh], message[sysex::kOffsetBlockChecksumLow]}))
            SetPendingMessage(link::kTextPresetsNotCached);
    }

    // At most one request for a user IR that is not in the library yet.
    const int ir7Number = ParamInt(kParamUserIr7PresetMsb) * 128 + ParamInt(kParamUserIr7Preset);
    const int ir8Number = ParamInt(kParamUserIr8PresetMsb) * 128 + ParamInt(kParamUserIr8Preset);
    if (user7) {
        if (!cache_.IrCached(ir7Number)) RequestIr(ir7Number);
    } else if (user8 && !cache_.IrCached(ir8Number)) {
        RequestIr(ir8Number);
    }
}

} // namespace tolvane
