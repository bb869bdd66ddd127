#include "LogText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "decoder/FindSentence.h"

namespace orvane {

namespace {

constexpr size_t kChunk = size_t(1) << 20;

std::string SystemReason(int error)
{
    return std::strerror(error);
}

// Appends chunks to text until the end, the first zero byte, or the
// position limit of the decoder.
bool ReadAll(int fd, size_t expectedSize, std::string& text, std::string& reason)
{
    text.clear();
    size_t used = 0;
    text.resize(expectedSize > 0 ? expectedSize + 1 : kChunk);
    for (;;) {
        if (used == text.size())
            text.resize(text.size() * 2);
        const ssize_t got = ::read(fd, text.data() + used, text.size() - used);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            reason = SystemReason(errno);
            text.clear();
            return false;
        }
        if (got == 0)
            break;
        if (const void* zero = std::memchr(text.data() + used, '\0', size_t(got))) {
            used = size_t(static_cast<const char*>(zero) - text.data());
            break;
        }
        used += size_t(got);
        if (used > size_t(kMaxTextLength)) {
            reason = "File too large (more than 2147483647 bytes of text)";
            text.clear();
            return false;
        }
    }
    text.resize(used);
    // Give back a buffer that a zero byte or a stream left far too large;
    // a plain file fits already and is not copied again.
    if (text.capacity() - used > used / 8 + kChunk)
        text.shrink_to_fit();
    return true;
}

}  // namespace

bool ReadLogFile(const std::string& path, bool regularFileOnly, std::string& text, std::string& reason)
{
    // Non-blocking open, so that a FIFO without a writer does not hang.
    const int flags = O_RDONLY | O_CLOEXEC | (regularFileOnly ? O_NONBLOCK : 0);
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        reason = SystemReason(errno);
        return false;
    }
    struct stat info {};
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
    const bool ok = ReadAll(fd, std::min(expected, size_t(kMaxTextLength) + 1), text, reason);
    ::close(fd);
    return ok;
}

bool ReadLogStream(int fd, std::string& text, std::string& reason)
{
    return ReadAll(fd, 0, text, reason);
}

}  // namespace orvane
