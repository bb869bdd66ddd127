// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogText.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "TruncationGuard.h"
#include "decoder/FindSentence.h"

namespace orvane {

namespace {

constexpr size_t kChunk = size_t(256) << 10;

std::string SystemReason(int error)
{
    return std::strerror(error);
}

// Has the kernel map the pages of a freshly reserved buffer in one call.
// Touching them one at a time while copying costs several times more on
// large logs. Best effort: older kernels refuse, and then nothing changes.
void PrefaultBuffer(std::string& text)
{
    const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<uintptr_t>(text.data()) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<uintptr_t>(text.data()) + text.capacity()) & ~(page - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
}

// Appends chunks to text, without their zero bytes, until the end or the
// position limit of the decoder. The chunks are appended rather than read
// into a resized string, which would first fill the whole buffer with zeros.
bool ReadAll(int fd, size_t expectedSize, std::string& text, std::string& reason, size_t* zeroBytes)
{
    text.clear();
    size_t skipped = 0;
    if (expectedSize > 0) {
        text.reserve(expectedSize + 1);
        PrefaultBuffer(text);
    }
    std::string chunk(kChunk, '\0');
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            reason = SystemReason(errno);
            text.clear();
            return false;
        }
        if (got == 0)
            break;
        skipped += AppendWithoutZeros(text, std::string_view(chunk.data(), size_t(got)));
        if (text.size() > size_t(kMaxTextLength)) {
            reason = "File too large (more than 2147483647 bytes of text)";
            text.clear();
            return false;
        }
    }
    // Give back a buffer that many zero bytes left far too large; a plain
    // file fits already and is not copied again.
    if (text.capacity() - text.size() > text.size() / 8 + kChunk)
        text.shrink_to_fit();
    if (zeroBytes)
        *zeroBytes = skipped;
    return true;
}

// Opens a log for reading: -1 with the reason when it cannot be opened or
// is refused (a directory; with regularFileOnly, anything but a regular
// file, without blocking on it).
int OpenLog(const std::string& path, bool regularFileOnly, std::string& reason)
{
    // Non-blocking open, so that a FIFO without a writer does not hang.
    const int flags = O_RDONLY | O_CLOEXEC | (regularFileOnly ? O_NONBLOCK : 0);
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        reason = SystemReason(errno);
        return -1;
    }
    struct stat info { };
    if (::fstat(fd, &info) != 0) {
        reason = SystemReason(errno);
        ::close(fd);
        return -1;
    }
    if (S_ISDIR(info.st_mode) || (regularFileOnly && !S_ISREG(info.st_mode))) {
        reason = S_ISDIR(info.st_mode) ? SystemReason(EISDIR) : "Not a regular file";
        ::close(fd);
        return -1;
    }
    return fd;
}

// A regular file's size, capped just past what positions can address; 0
// for anything else.
size_t ExpectedSize(int fd)
{
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
        return 0;
    return std::min(size_t(info.st_size), size_t(kMaxTextLength) + 1);
}

}  // namespace

size_t AppendWithoutZeros(std::string& text, std::string_view bytes)
{
    size_t skipped = 0;
    while (!bytes.empty()) {
        const void* zero = std::memchr(bytes.data(), '\0', bytes.size());
        const size_t run = zero ? size_t(static_cast<const char*>(zero) - bytes.data()) : bytes.size();
        text.append(bytes.data(), run);
        bytes.remove_prefix(run);
        const size_t zeros = std::min(bytes.find_first_not_of('\0'), bytes.size());
        skipped += zeros;
        bytes.remove_prefix(zeros);
    }
    return skipped;
}

bool ReadLogFile(const std::string& path, bool regularFileOnly, std::string& text, std::string& reason,
    size_t* zeroBytes)
{
    const int fd = OpenLog(path, regularFileOnly, reason);
    if (fd < 0)
        return false;
    const bool ok = ReadAll(fd, ExpectedSize(fd), text, reason, zeroBytes);
    ::close(fd);
    return ok;
}

struct LoadedLog::Mapping {
    Mapping(const void* address, size_t size) : bytes(static_cast<const char*>(address), size) { }
    ~Mapping()
    {
        if (guarded)
            ReleaseMappedLog(bytes.data());
        ::munmap(const_cast<char*>(bytes.data()), bytes.size());
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;
    std::string_view bytes;
    bool guarded = false;  // a file cut short reads as zero bytes
};

std::string_view LoadedLog::View() const
{
    return m_Mapping ? m_Mapping->bytes : std::string_view(m_Copy);
}

void LoadedLog::Clear()
{
    m_Mapping.reset();
    std::string().swap(m_Copy);
}

bool ReadLogFile(const std::string& path, bool regularFileOnly, LoadedLog& log, std::string& reason, size_t* zeroBytes)
{
    log.Clear();
    const int fd = OpenLog(path, regularFileOnly, reason);
    if (fd < 0)
        return false;
    const size_t size = ExpectedSize(fd);
    // A regular file whose every byte is text is used where it lies, read
    // from the page cache with nothing written. The zero byte search reads
    // its pages in: each fault maps a run of pages around it, which costs
    // less than having them all mapped in advance.
    if (size > 0 && size <= size_t(kMaxTextLength)) {
        void* address = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (address != MAP_FAILED) {
            auto mapping = std::make_shared<LoadedLog::Mapping>(address, size);
            mapping->guarded = GuardMappedLog(address, size);
            if (mapping->guarded && !std::memchr(address, '\0', size)) {
                ::close(fd);
                log.m_Mapping = std::move(mapping);
                if (zeroBytes)
                    *zeroBytes = 0;
                return true;
            }
            // Zero bytes, or no room to guard the mapping: the text is a
            // copy (without zero bytes), read afresh.
            if (::lseek(fd, 0, SEEK_SET) != 0) {
                reason = SystemReason(errno);
                ::close(fd);
                return false;
            }
        }
    }
    const bool ok = ReadAll(fd, size, log.m_Copy, reason, zeroBytes);
    ::close(fd);
    return ok;
}

bool ReadLogStream(int fd, std::string& text, std::string& reason, size_t* zeroBytes)
{
    return ReadAll(fd, 0, text, reason, zeroBytes);
}

}  // namespace orvane
