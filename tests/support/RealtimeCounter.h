#pragma once
// Counts what the clock thread must not do, while a thread holds the block
// step's mark (core/RealtimeScope.h): every allocation and release through the
// global operator new / delete family, and every file-system or printing call
// (open, fopen, mkdir, rename, unlink, opendir, stat, fwrite, ...). The
// replacements and the interposed C functions live in RealtimeCounter.cpp;
// they reach the real functions through dlsym(RTLD_NEXT).
//
// The first counted call of a run keeps its call stack (taken under a
// re-entrancy guard, so the taking itself is not counted); FirstOffender
// prints it later, outside the marked stretch.
//
// Sanitizer builds (TOLVANE_SANITIZE, TOLVANE_TSAN, TOLVANE_FUZZ) intercept the
// same symbols in their runtimes: there the counting is compiled out, Enabled()
// is false and every count stays zero.

#include <cstdint>
#include <string>

namespace tolvane::testing::realtime {

struct Counts {
    std::uint64_t allocations = 0;
    std::uint64_t releases = 0;
    std::uint64_t fileCalls = 0; // file system and printing
    std::uint64_t Total() const { return allocations + releases + fileCalls; }
};

// Whether this build counts at all.
bool Enabled();
// The counts since the last Reset.
Counts Read();
// Zeroes the counts and forgets the first offender.
void Reset();
// What the first counted call was and its call stack, one frame a line
// (empty when nothing was counted).
std::string FirstOffender();
// With TOLVANE_RT_SITES=1 in the environment: every distinct call stack
// counted since the last Reset, with its count (empty otherwise).
std::string Sites();

// Installs a test listener that resets the counts when a test starts and
// fails the test when, at its end, anything was counted on a marked thread.
// Call once, before the tests run; later calls do nothing.
void InstallGtestCheck();

} // namespace tolvane::testing::realtime
