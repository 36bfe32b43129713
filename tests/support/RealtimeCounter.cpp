// The counting side of RealtimeCounter.h: replacements of the global operator
// new / delete family and interposers of the C library's file-system and
// printing calls. Each one counts when the calling thread holds the block
// step's mark, then does what the real one does.

// The interposers define the C library's own names; the fortified inline
// wrappers of some of them would clash with those definitions.
#undef _FORTIFY_SOURCE

#include "tests/support/RealtimeCounter.h"

#include "core/RealtimeScope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define TOLVANE_RT_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TOLVANE_RT_SANITIZED 1
#endif

#if defined(TOLVANE_REALTIME_COUNTER) && TOLVANE_REALTIME_COUNTER && !defined(TOLVANE_RT_SANITIZED) &&       \
    defined(__linux__)
#define TOLVANE_RT_COUNTING 1
#else
#define TOLVANE_RT_COUNTING 0
#endif

#if TOLVANE_RT_COUNTING
#include <cstdarg>
#include <cstdlib>
#include <dirent.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tolvane::testing::realtime {

namespace {

constexpr int kMaxFrames = 48;

std::atomic<std::uint64_t> gAllocations{0};
std::atomic<std::uint64_t> gReleases{0};
std::atomic<std::uint64_t> gFileCalls{0};

// The first offender since the last Reset: claimed by one thread, whose
// frames and description are published by `ready`.
std::atomic<bool> gClaimed{false};
std::atomic<bool> gReady{false};
[[maybe_unused]] void* gFrames[kMaxFrames];
int gFrameCount = 0;
char gWhat[96];

// With TOLVANE_RT_SITES=1 in the environment every distinct call stack is
// kept with its count (a fixed table, so the hook allocates nothing), for
// finding all the offenders of a run at once.
constexpr int kMaxSites = 128;
struct Site {
    std::uint64_t hash = 0;
    std::uint64_t count = 0;
    int frameCount = 0;
    void* frames[kMaxFrames];
    char what[32];
};
Site gSites[kMaxSites];
std::atomic<int> gSiteCount{0};
[[maybe_unused]] bool gKeepSites = false;

#if TOLVANE_RT_COUNTING
// Set while this thread is inside a hook, so that what the hook itself calls
// (backtrace, the real function) is not counted again.
constinit thread_local bool tInHook = false;

enum class Kind { Allocation, Release, File };

// Only for a run that asked for it; not meant for several threads at once.
void KeepSite(const char* what) {
    void* frames[kMaxFrames];
    const int n = ::backtrace(frames, kMaxFrames);
    std::uint64_t hash = 1469598103934665603ull;
    for (int i = 0; i < n; ++i)
        hash = (hash ^ reinterpret_cast<std::uintptr_t>(frames[i])) * 1099511628211ull;
    const int count = gSiteCount.load();
    for (int i = 0; i < count; ++i)
        if (gSites[i].hash == hash) {
            ++gSites[i].count;
            return;
        }
    if (count == kMaxSites) return;
    Site& site = gSites[count];
    site.hash = hash;
    site.count = 1;
    site.frameCount = n;
    std::copy_n(frames, n, site.frames);
    std::snprintf(site.what, sizeof site.what, "%s", what);
    gSiteCount.store(count + 1);
}

void Note(Kind kind, const char* what) {
    if (!RealtimeScope::Active() || tInHook) return;
    tInHook = true;
    switch (kind) {
    case Kind::Allocation:
        gAllocations.fetch_add(1, std::memory_order_relaxed);
        break;
    case Kind::Release:
        gReleases.fetch_add(1, std::memory_order_relaxed);
        break;
    case Kind::File:
        gFileCalls.fetch_add(1, std::memory_order_relaxed);
        break;
    }
    if (!gClaimed.exchange(true)) {
        gFrameCount = ::backtrace(gFrames, kMaxFrames);
        std::snprintf(gWhat, sizeof gWhat, "%s", what);
        gReady.store(true, std::memory_order_release);
    }
    if (gKeepSites) KeepSite(what);
    tInHook = false;
}

// backtrace loads the unwinder on its first call, which allocates: done once
// at start, outside any marked stretch.
[[maybe_unused]] const bool gUnwinderLoaded = [] {
    void* frames[2];
    const char* sites = std::getenv("TOLVANE_RT_SITES");
    gKeepSites = sites && sites[0] == '1';
    return ::backtrace(frames, 2) >= 0;
}();
#endif

} // namespace

bool Enabled() {
    return TOLVANE_RT_COUNTING != 0;
}

Counts Read() {
    Counts c;
    c.allocations = gAllocations.load();
    c.releases = gReleases.load();
    c.fileCalls = gFileCalls.load();
    return c;
}

void Reset() {
    gReady.store(false);
    gAllocations.store(0);
    gReleases.store(0);
    gFileCalls.store(0);
    gFrameCount = 0;
    gWhat[0] = '\0';
    gClaimed.store(false);
    gSiteCount.store(0);
}

#if TOLVANE_RT_COUNTING
namespace {

// The frames from `first` on, one a line, as the symbols they resolve to.
void AppendFrames(std::string& text, void* const* frames, int count, int first) {
    char** symbols = ::backtrace_symbols(frames, count);
    if (!symbols) return;
    for (int i = first; i < count; ++i) {
        text += "    ";
        text += symbols[i];
        text += '\n';
    }
    std::free(symbols);
}

} // namespace
#endif

std::string Sites() {
    std::string text;
#if TOLVANE_RT_COUNTING
    for (int i = 0; i < gSiteCount.load(); ++i) {
        const Site& site = gSites[i];
        text += std::to_string(site.count) + " x " + site.what + "\n";
        AppendFrames(text, site.frames, site.frameCount, 3);
    }
#endif
    return text;
}

std::string FirstOffender() {
    if (!gReady.load(std::memory_order_acquire)) return {};
    std::string text = gWhat;
    text += '\n';
#if TOLVANE_RT_COUNTING
    // Frame 0 and 1 are Note and the hook.
    AppendFrames(text, gFrames, gFrameCount, 2);
#endif
    return text;
}

namespace {

class RealtimeCheck : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override { Reset(); }
    void OnTestEnd(const ::testing::TestInfo&) override {
        const Counts c = Read();
        if (c.Total() == 0) return;
        ADD_FAILURE() << "the block step's thread allocated or touched files: " << c.allocations
                      << " allocations, " << c.releases << " releases, " << c.fileCalls
                      << " file or printing calls; the first was " << FirstOffender() << Sites();
    }
};

} // namespace

void InstallGtestCheck() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    // After the result printer: the end of a test reaches the listeners in
    // the reverse order, so a failure added here is printed with its test.
    ::testing::UnitTest::GetInstance()->listeners().Append(new RealtimeCheck);
}

} // namespace tolvane::testing::realtime

#if TOLVANE_RT_COUNTING

namespace rt = tolvane::testing::realtime;

// ---- The operator new / delete family --------------------------------------------

namespace {

void* Allocate(std::size_t size) {
    rt::Note(rt::Kind::Allocation, "operator new");
    for (;;) {
        if (void* p = std::malloc(size ? size : 1)) return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

void* AllocateAligned(std::size_t size, std::align_val_t align) {
    rt::Note(rt::Kind::Allocation, "operator new (aligned)");
    const std::size_t alignment = std::max(static_cast<std::size_t>(align), sizeof(void*));
    for (;;) {
        void* p = nullptr;
        if (::posix_memalign(&p, alignment, size ? size : 1) == 0) return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

void Release(void* p) {
    if (!p) return;
    rt::Note(rt::Kind::Release, "operator delete");
    std::free(p);
}

} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t align) {
    return AllocateAligned(size, align);
}
void* operator new[](std::size_t size, std::align_val_t align) {
    return AllocateAligned(size, align);
}
void* operator new(std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    try {
        return AllocateAligned(size, align);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    try {
        return AllocateAligned(size, align);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    Release(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    Release(p);
}

// ---- File-system and printing calls ------------------------------------------------

namespace {

// The next definition of name after this program's, looked up once.
template <typename F> F Real(const char* name, std::atomic<void*>& cache) {
    void* f = cache.load(std::memory_order_acquire);
    if (!f) {
        f = ::dlsym(RTLD_NEXT, name);
        cache.store(f, std::memory_order_release);
    }
    return reinterpret_cast<F>(f);
}

// A mode argument follows the flags only when a file may be created.
bool TakesMode(int flags) {
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

} // namespace

// Each interposer: counts, then forwards to the real function.
#define TOLVANE_FORWARD(ret, name, params, args)                                                             \
    extern "C" ret name params {                                                                             \
        static std::atomic<void*> real{nullptr};                                                             \
        rt::Note(rt::Kind::File, #name);                                                                     \
        return Real<ret(*) params>(#name, real) args;                                                        \
    }
#define TOLVANE_FORWARD_NOTHROW(ret, name, params, args)                                                     \
    extern "C" ret name params noexcept {                                                                    \
        static std::atomic<void*> real{nullptr};                                                             \
        rt::Note(rt::Kind::File, #name);                                                                     \
        return Real<ret(*) params>(#name, real) args;                                                        \
    }

#define TOLVANE_FORWARD_OPEN(name)                                                                           \
    extern "C" int name(const char* path, int flags, ...) {                                                  \
        static std::atomic<void*> real{nullptr};                                                             \
        rt::Note(rt::Kind::File, #name);                                                                     \
        mode_t mode = 0;                                                                                     \
        if (TakesMode(flags)) {                                                                              \
            va_list ap;                                                                                      \
            va_start(ap, flags);                                                                             \
            mode = static_cast<mode_t>(va_arg(ap, int));                                                     \
            va_end(ap);                                                                                      \
        }                                                                                                    \
        return Real<int (*)(const char*, int, ...)>(#name, real)(path, flags, mode);                         \
    }
#define TOLVANE_FORWARD_OPENAT(name)                                                                         \
    extern "C" int name(int dir, const char* path, int flags, ...) {                                         \
        static std::atomic<void*> real{nullptr};                                                             \
        rt::Note(rt::Kind::File, #name);                                                                     \
        mode_t mode = 0;                                                                                     \
        if (TakesMode(flags)) {                                                                              \
            va_list ap;                                                                                      \
            va_start(ap, flags);                                                                             \
            mode = static_cast<mode_t>(va_arg(ap, int));                                                     \
            va_end(ap);                                                                                      \
        }                                                                                                    \
        return Real<int (*)(int, const char*, int, ...)>(#name, real)(dir, path, flags, mode);               \
    }

TOLVANE_FORWARD_OPEN(open)
TOLVANE_FORWARD_OPEN(open64)
TOLVANE_FORWARD_OPENAT(openat)
TOLVANE_FORWARD_OPENAT(openat64)
TOLVANE_FORWARD(int, creat, (const char* path, mode_t mode), (path, mode))
TOLVANE_FORWARD(int, creat64, (const char* path, mode_t mode), (path, mode))
TOLVANE_FORWARD(FILE*, fopen, (const char* path, const char* mode), (path, mode))
TOLVANE_FORWARD(FILE*, fopen64, (const char* path, const char* mode), (path, mode))
TOLVANE_FORWARD(FILE*, freopen, (const char* path, const char* mode, FILE* f), (path, mode, f))
TOLVANE_FORWARD(FILE*, freopen64, (const char* path, const char* mode, FILE* f), (path, mode, f))
TOLVANE_FORWARD_NOTHROW(int, mkdir, (const char* path, mode_t mode), (path, mode))
TOLVANE_FORWARD_NOTHROW(int, mkdirat, (int dir, const char* path, mode_t mode), (dir, path, mode))
TOLVANE_FORWARD_NOTHROW(int, rename, (const char* from, const char* to), (from, to))
TOLVANE_FORWARD_NOTHROW(int, renameat, (int fromDir, const char* from, int toDir, const char* to),
                        (fromDir, from, toDir, to))
TOLVANE_FORWARD_NOTHROW(int, renameat2,
                        (int fromDir, const char* from, int toDir, const char* to, unsigned flags),
                        (fromDir, from, toDir, to, flags))
TOLVANE_FORWARD_NOTHROW(int, unlink, (const char* path), (path))
TOLVANE_FORWARD_NOTHROW(int, unlinkat, (int dir, const char* path, int flags), (dir, path, flags))
TOLVANE_FORWARD_NOTHROW(int, remove, (const char* path), (path))
TOLVANE_FORWARD_NOTHROW(int, rmdir, (const char* path), (path))
TOLVANE_FORWARD(DIR*, opendir, (const char* path), (path))
TOLVANE_FORWARD(DIR*, fdopendir, (int fd), (fd))
TOLVANE_FORWARD_NOTHROW(int, stat, (const char* __restrict path, struct stat* __restrict buf), (path, buf))
TOLVANE_FORWARD_NOTHROW(int, lstat, (const char* __restrict path, struct stat* __restrict buf), (path, buf))
TOLVANE_FORWARD_NOTHROW(int, stat64, (const char* __restrict path, struct stat64* __restrict buf),
                        (path, buf))
TOLVANE_FORWARD_NOTHROW(int, lstat64, (const char* __restrict path, struct stat64* __restrict buf),
                        (path, buf))
TOLVANE_FORWARD_NOTHROW(int, fstatat,
                        (int dir, const char* __restrict path, struct stat* __restrict buf, int flags),
                        (dir, path, buf, flags))
TOLVANE_FORWARD_NOTHROW(int, fstatat64,
                        (int dir, const char* __restrict path, struct stat64* __restrict buf, int flags),
                        (dir, path, buf, flags))
TOLVANE_FORWARD_NOTHROW(int, statx,
                        (int dir, const char* __restrict path, int flags, unsigned mask,
                         struct statx* __restrict buf),
                        (dir, path, flags, mask, buf))
TOLVANE_FORWARD_NOTHROW(int, access, (const char* path, int mode), (path, mode))
TOLVANE_FORWARD_NOTHROW(int, faccessat, (int dir, const char* path, int mode, int flags),
                        (dir, path, mode, flags))
TOLVANE_FORWARD_NOTHROW(int, truncate, (const char* path, off_t length), (path, length))
TOLVANE_FORWARD_NOTHROW(int, truncate64, (const char* path, off64_t length), (path, length))
TOLVANE_FORWARD_NOTHROW(int, ftruncate, (int fd, off_t length), (fd, length))
TOLVANE_FORWARD_NOTHROW(int, ftruncate64, (int fd, off64_t length), (fd, length))
// Printing.
TOLVANE_FORWARD(std::size_t, fwrite,
                (const void* __restrict data, std::size_t size, std::size_t n, FILE* __restrict f),
                (data, size, n, f))
TOLVANE_FORWARD(int, fputs, (const char* __restrict text, FILE* __restrict f), (text, f))
TOLVANE_FORWARD(int, puts, (const char* text), (text))
TOLVANE_FORWARD(int, fputc, (int c, FILE* f), (c, f))
TOLVANE_FORWARD(int, putc, (int c, FILE* f), (c, f))
TOLVANE_FORWARD(int, putchar, (int c), (c))
TOLVANE_FORWARD(int, vfprintf, (FILE* __restrict f, const char* __restrict format, va_list ap),
                (f, format, ap))
TOLVANE_FORWARD(int, vprintf, (const char* __restrict format, va_list ap), (format, ap))

extern "C" int fprintf(FILE* __restrict f, const char* __restrict format, ...) {
    static std::atomic<void*> real{nullptr};
    rt::Note(rt::Kind::File, "fprintf");
    va_list ap;
    va_start(ap, format);
    const int n = Real<int (*)(FILE*, const char*, va_list)>("vfprintf", real)(f, format, ap);
    va_end(ap);
    return n;
}

extern "C" int printf(const char* __restrict format, ...) {
    static std::atomic<void*> real{nullptr};
    rt::Note(rt::Kind::File, "printf");
    va_list ap;
    va_start(ap, format);
    const int n = Real<int (*)(const char*, va_list)>("vprintf", real)(format, ap);
    va_end(ap);
    return n;
}

#endif // TOLVANE_RT_COUNTING
