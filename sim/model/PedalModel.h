#pragma once
// The simulated pedal: fed one inbound SysEx message at a time, it changes its
// state as the pedal does and hands every answer to the output callback. It
// never looks at a clock: answers held back by the delay fault come out only
// when Advance() moves its time on. Unprompted messages (a knob turned, a
// preset chosen on the pedal, an error) are started by the calls of section 3.

#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <vector>

#include "sim/model/PackedStreamReceiver.h"
#include "sim/model/PedalState.h"

namespace tolvane::sim {

// Faults a test switches on. Counters count down as they strike.
struct Faults {
    int firmwareVersion = 12;     // version × 10, carried in byte 6 of every Settings block
    int corruptBlocks = 0;        // the next N block messages sent carry a wrong checksum
    int dropAnswers = 0;          // the next N messages the pedal would send are lost
    int rejectRestoreMessage = 0; // the k-th answered restore message (from 1, counted from
                                  // the last Begin bulk transfer) is rejected; 0 = none
    bool failFirmwareUpdate = false;
    int answerDelayMs = 0;  // answers leave this long after the message that caused them
    bool unplugged = false; // hears nothing, answers nothing
};

// What the pedal noticed that has no effect on its stored state.
struct Activity {
    int received = 0; // messages taken (well-formed and known)
    int ignored = 0;  // messages dropped as malformed or unknown
    int sent = 0;     // messages handed to the output
    int bulkBegins = 0;
    int bulkEnds = 0;
    bool bulkOpen = false;
    int editorClosings = 0;
    int restoreAnswered = 0; // since the last Begin bulk transfer
    bool bootLoaderActive = false;
    int firmwareUpdates = 0; // completed ones
    std::vector<std::uint8_t> lastFirmwareImage;
};

class PedalModel {
public:
    using Output = std::function<void(std::span<const std::uint8_t>)>;

    explicit PedalModel(PedalState state);
    PedalModel(); // factory content

    void SetOutput(Output output) { output_ = std::move(output); }

    // 1. Inbound ------------------------------------------------------------
    // bytes run from F0 to F7.
    void Receive(std::span<const std::uint8_t> message);

    // 2. Time ---------------------------------------------------------------
    void Advance(int milliseconds);
    // Answers held back by the delay fault, not yet sent.
    std::size_t PendingAnswers() const { return pending_.size(); }

    // 3. Unprompted ---------------------------------------------------------
    // A knob on the pedal: the preset value changes and Parameter changed goes out.
    void TurnKnob(int index, int value);
    // The foot switches: the pedal switches preset and sends its dump.
    void ChangePreset(int slot);
    void SendError();

    // 4. State --------------------------------------------------------------
    const PedalState& State() const { return state_; }
    PedalState& MutableState() {
        dirty_ = true;
        return state_;
    }
    const Activity& Log() const { return activity_; }
    Faults& GetFaults() { return faults_; }
    // True once after every change of the stored state (the program saves then).
    bool TakeDirty();

private:
    using Handler = void (PedalModel::*)(std::span<const std::uint8_t>);
    struct Route {
        std::uint8_t command;
        std::size_t minLength;
        std::size_t maxLength;
        Handler handler;
    };
    static const Route* FindRoute(std::uint8_t target, std::uint8_t command, std::size_t length);

    // Application handlers
    void OnStorePreset(std::span<const std::uint8_t> m);
    void OnSelectPreset(std::span<const std::uint8_t> m);
    void OnRequestPreset(std::span<const std::uint8_t> m);
    void OnSetParameter(std::span<const std::uint8_t> m);
    void OnStoreSettingsBlock(std::span<const std::uint8_t> m);
    void OnRequestSettingsBlock(std::span<const std::uint8_t> m);
    void OnFactoryReset(std::span<const std::uint8_t> m);
    void OnBeginBulk(std::span<const std::uint8_t> m);
    void OnEndBulk(std::span<const std::uint8_t> m);
    void OnEditorClosing(std::span<const std::uint8_t> m);
    void OnIrStreamStart(std::span<const std::uint8_t> m);
    void OnIrStreamData(std::span<const std::uint8_t> m);
    void OnIrStreamEnd(std::span<const std::uint8_t> m);
    void OnRequestImpulseResponse(std::span<const std::uint8_t> m);
    void OnRequestIrNameBlock(std::span<const std::uint8_t> m);
    void OnRestoreIrStart(std::span<const std::uint8_t> m);
    void OnRestoreIrData(std::span<const std::uint8_t> m);
    void OnRestoreIrEnd(std::span<const std::uint8_t> m);
    void OnRestorePreset(std::span<const std::uint8_t> m);
    // Boot-loader handlers
    void OnEnterFirmwareUpdate(std::span<const std::uint8_t> m);
    void OnFirstFirmwareBlock(std::span<const std::uint8_t> m);
    void OnFirmwareBlock(std::span<const std::uint8_t> m);

    // Answers
    void SendPresetDump(int slot);
    void SendSettingsBlock(int type);
    void SendIrStream(int number);
    void SendStatus(std::uint8_t code);
    void Send(std::span<const std::uint8_t> message);
    void Flush();

    void SelectSlot(int slot);
    // Counts one answered restore message; true when the reject fault hits it.
    bool RestoreRejectedNow();
    // Stores a received IR record; false when the length or number is wrong.
    bool StoreIr(int number, const PackedStreamReceiver::Result& result);

    PedalState state_;
    Faults faults_;
    Activity activity_;
    Output output_;
    bool dirty_ = false;

    PackedStreamReceiver irUpload_;
    PackedStreamReceiver irRestore_;
    PackedStreamReceiver firmware_;
    int irUploadNumber_ = -1;
    int irRestoreNumber_ = -1;

    struct Pending {
        std::int64_t due;
        std::vector<std::uint8_t> bytes;
    };
    std::deque<Pending> pending_;
    std::int64_t now_ = 0;
};

} // namespace tolvane::sim
