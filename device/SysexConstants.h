#pragma once
// The pedal's SysEx wire format in numbers: the frame, the message lengths,
// the offsets inside a message and every command and status code. Each value
// is named here once; builders, router and handlers use these names only.
//
// Index
//   1. Frame and header
//   2. Message lengths and sizes
//   3. Offsets inside a message
//   4. Commands (byte 5)
//   5. Status codes (byte 5 of a status message)
//   6. Settings block types and factory reset kinds

#include <array>
#include <cstddef>
#include <cstdint>

namespace tolvane::sysex {

// 1. Frame and header ------------------------------------------------------

inline constexpr std::uint8_t kStart = 0xF0;
inline constexpr std::uint8_t kEnd = 0xF7;
inline constexpr std::array<std::uint8_t, 3> kManufacturer = {0x00, 0x51, 0x21};
inline constexpr std::uint8_t kTargetApplication = 0x03;
inline constexpr std::uint8_t kTargetBootLoader = 0x02;
// Byte 6 of every message to the application, and of the inbound messages
// that carry a payload; the boot loader's messages have no such byte.
inline constexpr std::uint8_t kPayloadMarker = 0x0A;
// Largest value of one data byte; anything above is a MIDI status byte.
inline constexpr std::uint8_t kDataMask = 0x7F;

// 2. Message lengths and sizes (lengths count F0 and F7) ------------------

inline constexpr std::size_t kStatusLength = 7;
inline constexpr std::size_t kCommandLength = 8;
inline constexpr std::size_t kOneValueLength = 9;
inline constexpr std::size_t kTwoValueLength = 10;
inline constexpr std::size_t kBlockLength = 267;
inline constexpr std::size_t kNameLength = 42;
inline constexpr std::size_t kStreamStartLength = 269;
inline constexpr std::size_t kStreamDataLength = 264;
inline constexpr std::size_t kStreamEndOverhead = 10; // a stream end is n + 10 bytes
inline constexpr std::size_t kBootFirstBlockLength = 250;
inline constexpr std::size_t kBootBlockLength = 247;
inline constexpr std::size_t kBootLastBlockOverhead = 9; // a last boot-loader block is n + 9 bytes
inline constexpr std::size_t kMaxInboundLength = 512;

inline constexpr std::size_t kBlockDataSize = 256;
inline constexpr std::size_t kStreamChunk = 256; // packed bytes per IR stream message
inline constexpr std::size_t kBootChunk = 240;   // packed bytes per boot-loader block
inline constexpr std::size_t kNameChars = 32;
inline constexpr std::size_t kNamesPerIrNameBlock = 8;

inline constexpr std::size_t kStreamEndMaxLength = kStreamChunk + kStreamEndOverhead;
inline constexpr std::size_t kBootLastBlockMaxLength = kBootChunk + kBootLastBlockOverhead;

// 3. Offsets inside a message --------------------------------------------

inline constexpr std::size_t kOffsetManufacturer = 1;
inline constexpr std::size_t kOffsetTarget = 4;
inline constexpr std::size_t kOffsetCommand = 5;
inline constexpr std::size_t kOffsetMarker = 6; // 0x0A; firmware version × 10 in a Settings block
inline constexpr std::size_t kOffsetValue1 = 7;
inline constexpr std::size_t kOffsetValue2 = 8;

inline constexpr std::size_t kOffsetBlockIndex = 7;
inline constexpr std::size_t kOffsetBlockData = 8;
inline constexpr std::size_t kOffsetBlockChecksumHigh = 264;
inline constexpr std::size_t kOffsetBlockChecksumLow = 265;

inline constexpr std::size_t kOffsetNameChars = 7;

inline constexpr std::size_t kOffsetStreamItem = 7;   // two bytes, high first
inline constexpr std::size_t kOffsetStreamLength = 9; // three bytes, high first
inline constexpr std::size_t kOffsetStreamStartPacked = 12;
inline constexpr std::size_t kOffsetStreamPacked = 7; // data and end messages

inline constexpr std::size_t kOffsetBootLength = 6; // first block: three bytes, high first
inline constexpr std::size_t kOffsetBootFirstPacked = 9;
inline constexpr std::size_t kOffsetBootPacked = 6; // other blocks

// 4. Commands (byte 5) ------------------------------------------------------

namespace command {
// To the application
inline constexpr std::uint8_t kStorePreset = 0x20;
inline constexpr std::uint8_t kSelectPreset = 0x23;
inline constexpr std::uint8_t kRequestPreset = 0x40;
inline constexpr std::uint8_t kSetParameter = 0x50;
inline constexpr std::uint8_t kStoreSettingsBlock = 0x52;
inline constexpr std::uint8_t kRequestSettingsBlock = 0x55;
inline constexpr std::uint8_t kFactoryReset = 0x56;
inline constexpr std::uint8_t kBeginBulkTransfer = 0x5A;
inline constexpr std::uint8_t kEndBulkTransfer = 0x5B;
inline constexpr std::uint8_t kEditorClosing = 0x5F;
inline constexpr std::uint8_t kRequestImpulseResponse = 0x69;
inline constexpr std::uint8_t kRequestIrNameBlock = 0x6A;
inline constexpr std::uint8_t kRestoreIrStart = 0x77;
inline constexpr std::uint8_t kRestoreIrData = 0x78;
inline constexpr std::uint8_t kRestoreIrEnd = 0x79;
inline constexpr std::uint8_t kRestorePreset = 0x7F;
// From the application
inline constexpr std::uint8_t kPresetDump = 0x41;
inline constexpr std::uint8_t kParameterChanged = 0x51;
inline constexpr std::uint8_t kSettingsBlock = 0x52;
inline constexpr std::uint8_t kIrNameBlock = 0x6B;
inline constexpr std::uint8_t kName = 0x7B;
// Both ways: an impulse response travels as one stream
inline constexpr std::uint8_t kIrStreamStart = 0x60;
inline constexpr std::uint8_t kIrStreamData = 0x65;
inline constexpr std::uint8_t kIrStreamEnd = 0x66;
// To the boot loader
inline constexpr std::uint8_t kEnterFirmwareUpdate = 0x10;
inline constexpr std::uint8_t kFirstFirmwareBlock = 0x13;
inline constexpr std::uint8_t kFirmwareBlock = 0x20;
} // namespace command

// 5. Status codes --------------------------------------------------------

namespace status {
// From the application (7-byte status messages)
inline constexpr std::uint8_t kOperationFinished = 0x57;
inline constexpr std::uint8_t kIrNumberStepDone = 0x5F;
inline constexpr std::uint8_t kIrAssignmentDone = 0x61;
inline constexpr std::uint8_t kError = 0x62;
inline constexpr std::uint8_t kReadyForNextIrBlock = 0x63;
inline constexpr std::uint8_t kBlockAccepted = 0x71;
inline constexpr std::uint8_t kBlockRejected = 0x72;
inline constexpr std::uint8_t kBlockAcceptedContinue = 0x73;
inline constexpr std::uint8_t kBlockAcceptedAlt = 0x7D;
inline constexpr std::uint8_t kBlockRejectedAlt = 0x7E;
// From the boot loader
inline constexpr std::uint8_t kBootLoaderReady = 0x12;
inline constexpr std::uint8_t kUpdateComplete = 0x14;
inline constexpr std::uint8_t kUpdateFailed = 0x15;
} // namespace status

// 6. Settings block types and factory reset kinds --------------------------

namespace settings {
inline constexpr std::uint8_t kGlobal = 0;
inline constexpr std::uint8_t kMidiCcNumbers = 1;
inline constexpr std::uint8_t kProgramMapping = 2;
inline constexpr std::uint8_t kPresetChecksums = 3;
inline constexpr std::uint8_t kIdentification = 15;
} // namespace settings

namespace reset {
inline constexpr std::uint8_t kEverything = 0;
inline constexpr std::uint8_t kPresets = 1;
inline constexpr std::uint8_t kSettings = 2;
} // namespace reset

} // namespace tolvane::sysex
