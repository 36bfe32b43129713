#pragma once
// A whole link (Tolvane with its transfers wired to in-memory files) built
// fresh for every input and brought into one of its states by a prelude of
// recorded pedal answers and user actions, then fed a stream. Each link is
// built in the memory of the last one and takes over its parameter table, so
// a build allocates little.
//
// A stream is SysEx messages (F0 up to the next F7, or to the end of the
// input) with action bytes between them: 0x01 runs the periodic task, 0x02
// the idle step; other bytes between messages are skipped. Everything runs on
// one thread, which is the user-interface thread and, for the receive entry,
// stands in for the audio thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <span>
#include <vector>

namespace tolvane {
class Tolvane;
}

namespace tolvane::fuzz {

enum class LinkState : std::uint8_t {
    Connecting,
    Connected,
    BulkLoad,
    Export,
    Restore,
    IrDownload,
    BootLoader,
};
inline constexpr int kLinkStateCount = 7;

inline constexpr std::uint8_t kActionTick = 0x01;
inline constexpr std::uint8_t kActionIdle = 0x02;

// Made once per process and never destroyed (the timer registry the link
// uses may be gone by the time static objects are destroyed):
//   static LinkRig& rig = *new LinkRig;
class LinkRig {
public:
    LinkRig();
    ~LinkRig();

    // A fresh link in state, fed stream. Aborts when the link sends a message
    // that breaks the SysEx rules.
    void Run(LinkState state, std::span<const std::uint8_t> stream);
    // After Run: a healthy pedal answers the link for up to ticks ticks (an
    // idle step after each), the user closing a firmware page that is left
    // open with nothing running. True once the link is connected with no
    // transfer or preset load left running.
    bool Settles(int ticks);

    // A fresh link in state, then action on it, then ticks periodic-task
    // ticks (an idle step after every fifth) with a pedal model answering.
    // Returns what the pedal said after the prelude, as a stream: a seed.
    std::vector<std::uint8_t> Drive(LinkState state, int ticks,
                                    const std::function<void(Tolvane&)>& action = {});

    // What the file questions of the next runs find: the backup file
    // (default: the pedal's 128 presets and one IR stream), the preset file
    // "fuzz.dvp" (default: none) and the firmware image file (default: a
    // 1000-byte image).
    void SetBackupFile(std::vector<std::uint8_t> bytes);
    void SetPresetFile(std::vector<std::uint8_t> bytes);
    void SetFirmwareFile(const std::string& path);
    // Every message the link sends from now on is appended to log (nullptr: none).
    void LogSent(std::vector<std::vector<std::uint8_t>>* log);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tolvane::fuzz
