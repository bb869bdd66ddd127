#include "LogText.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

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
    // Non-blocking open, so that a FIFO without a writer does not hang.
    const int flags = O_RDONLY | O_CLOEXEC | (regularFileOnly ? O_NONBLOCK : 0);
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        reason = SystemReason(errno);
        return false;
    }
    struct stat info { };
    if (::fstat(fd, &info) != 0) {
        reason = SystemReason(errno);
        ::close(fd);
        return false;
    }
    if (S_ISDIR(info.st_mode) || (regularFileOnly && !S_ISREG(info.st_mode))) {
        reason = S_ISDIR(info.st_mode) ? SystemReason(EISDIR) : "Not a regular file";
        ::close(fd);
        return false;
    }
    const size_t expected = S_ISREG(info.st_mode) && info.st_size > 0 ? size_t(info.st_size) : 0;
    const bool ok = ReadAll(fd, std::min(expected, size_t(kMaxTextLength) + 1), text, reason, zeroBytes);
    ::close(fd);
    return ok;
}

bool ReadLogStream(int fd, std::string& text, std::string& reason, size_t* zeroBytes)
{
    return ReadAll(fd, 0, text, reason, zeroBytes);
}

}  // namespace orvane
