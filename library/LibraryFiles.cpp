#include "library/LibraryFiles.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <fstream>
#include <process.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tolvane {

namespace {

#ifdef _WIN32

// A file opened for reading only when it is a regular one.
class RegularFile {
public:
    explicit RegularFile(const std::filesystem::path& path) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) return;
        size_ = std::filesystem::file_size(path, ec);
        if (!ec) in_.open(path, std::ios::binary);
    }
    bool IsOpen() const { return in_.is_open() && in_.good(); }
    std::uintmax_t Size() const { return size_; }
    std::vector<std::uint8_t> Read(std::size_t limit) {
        std::vector<std::uint8_t> bytes(limit);
        in_.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(limit));
        bytes.resize(static_cast<std::size_t>(in_.gcount()));
        return bytes;
    }

private:
    std::ifstream in_;
    std::uintmax_t size_ = 0;
};

unsigned long CurrentProcessId() {
    return static_cast<unsigned long>(_getpid());
}

#else

// A file opened for reading only when it is a regular one. The open itself
// never waits: O_NONBLOCK makes a FIFO with no writer open at once, and its
// type is then refused.
class RegularFile {
public:
    explicit RegularFile(const std::filesystem::path& path) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0) return;
        struct stat info {};
        if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
        size_ = static_cast<std::uintmax_t>(info.st_size);
    }
    ~RegularFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    std::uintmax_t Size() const { return size_; }
    // Up to limit bytes; fewer when the file ends or a read fails.
    std::vector<std::uint8_t> Read(std::size_t limit) {
        std::vector<std::uint8_t> bytes(limit);
        std::size_t done = 0;
        while (done < limit) {
            const ssize_t n = ::read(fd_, bytes.data() + done, limit - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
        return bytes;
    }

private:
    int fd_ = -1;
    std::uintmax_t size_ = 0;
};

unsigned long CurrentProcessId() {
    return static_cast<unsigned long>(::getpid());
}

#endif

// A short name beside the file: the target's own name may already be close to
// the file system's 255-byte limit, so no suffix is added to it.
std::filesystem::path TemporaryPath(const std::filesystem::path& path) {
    // Unique per process and call, so that two threads writing the same file
    // never share a temporary one.
    static std::atomic<unsigned> counter{0};
    char name[40];
    std::snprintf(name, sizeof name, ".tolvane-%lx-%x", CurrentProcessId(), ++counter);
    return path.parent_path() / name;
}

// Writes every byte to a new file at temporary; false on any failure.
bool WriteNewFile(const std::filesystem::path& temporary, const std::uint8_t* bytes, std::size_t size) {
#ifdef _WIN32
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    out.close();
    return !out.fail();
#else
    // A leftover of an earlier run with the same process id is overwritten; a
    // link at that name is never followed.
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return (::close(fd) == 0) && done == size;
#endif
}

} // namespace

std::optional<std::vector<std::uint8_t>> ReadFileStart(const std::filesystem::path& path,
                                                       std::size_t maxBytes) {
    RegularFile file(path);
    if (!file.IsOpen()) return std::nullopt;
    return file.Read(maxBytes);
}

std::optional<std::vector<std::uint8_t>> ReadExactFile(const std::filesystem::path& path, std::size_t size) {
    RegularFile file(path);
    if (!file.IsOpen() || file.Size() != size) return std::nullopt;
    // One byte more than wanted shows a file that grew since it was opened.
    auto bytes = file.Read(size + 1);
    if (bytes.size() != size) return std::nullopt;
    return bytes;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path,
                                                       std::size_t maxBytes) {
    RegularFile file(path);
    if (!file.IsOpen() || file.Size() > maxBytes) return std::nullopt;
    auto bytes = file.Read(static_cast<std::size_t>(file.Size()) + 1);
    if (bytes.size() > maxBytes) return std::nullopt;
    return bytes;
}

bool WriteWholeFile(const std::filesystem::path& path, const std::uint8_t* bytes, std::size_t size) {
    const std::filesystem::path temporary = TemporaryPath(path);
    bool written = WriteNewFile(temporary, bytes, size);
    std::error_code ec;
    if (written) {
        std::filesystem::rename(temporary, path, ec);
        written = !ec;
    }
    if (!written) std::filesystem::remove(temporary, ec);
    return written;
}

std::optional<std::uintmax_t> FileSize(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) return std::nullopt;
    return size;
}

bool CanOpenForReading(const std::filesystem::path& path) {
    return RegularFile(path).IsOpen();
}

} // namespace tolvane
