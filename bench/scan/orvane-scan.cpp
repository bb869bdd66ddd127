// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-scan: the floor for reading a log, one pass of memchr over a
// read-only mapping of the file, counting its line ends. The pages come in
// as memchr reads them, each fault mapping a run of pages around it: that is
// faster than having them all mapped in advance. orvane-decode's
// whole-process time is measured against this program's.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvane-scan FILE\n");
        return 2;
    }
    const int fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    struct stat info { };
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    const size_t size = size_t(info.st_size);
    size_t lines = 0;
    if (size > 0) {
        void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped == MAP_FAILED) {
            std::perror("mmap");
            return 1;
        }
        const char* at = static_cast<const char*>(mapped);
        const char* const end = at + size;
        while (const void* found = std::memchr(at, '\n', size_t(end - at))) {
            ++lines;
            at = static_cast<const char*>(found) + 1;
        }
        ::munmap(mapped, size);
    }
    ::close(fd);
    std::printf("%zu lines\n", lines);
    return 0;
}
