// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-epoch-bench: the epoch reader against the floor of reading a file,
// on one core. Each run maps the file afresh (read-only, the pages coming
// in as they are read) and makes one pass: memchr counting the line ends,
// or the epoch reader over the whole text. Prints the best of the runs of
// each, and their ratio.
//
//   build/tools/loggen/orvane-loggen --nmea 4.11 --bytes 1073741824 -o /tmp/big.nmea
//   build/bench/epochs/orvane-epoch-bench /tmp/big.nmea [RUNS]

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "decoder/Epochs.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Mapped {
    const char* data = nullptr;
    size_t size = 0;
};

Mapped Map(int fd, size_t size)
{
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapped == MAP_FAILED) {
        std::perror("mmap");
        std::exit(1);
    }
    return {static_cast<const char*>(mapped), size};
}

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: orvane-epoch-bench FILE [RUNS]\n");
        return 2;
    }
    const int runs = argc == 3 ? std::atoi(argv[2]) : 3;
    const int fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    struct stat info { };
    if (fd < 0 || ::fstat(fd, &info) != 0 || info.st_size == 0) {
        std::perror(argv[1]);
        return 1;
    }
    const auto size = size_t(info.st_size);

    double bestScan = 1e9, bestEpochs = 1e9;
    size_t lines = 0;
    orvane::EpochLog log;
    for (int run = 0; run < runs; ++run) {
        {
            const auto start = Clock::now();
            const Mapped text = Map(fd, size);
            lines = 0;
            const char* at = text.data;
            const char* const end = at + size;
            while (const void* found = std::memchr(at, '\n', size_t(end - at))) {
                ++lines;
                at = static_cast<const char*>(found) + 1;
            }
            ::munmap(const_cast<char*>(text.data), size);
            bestScan = std::min(bestScan, Seconds(start));
        }
        {
            log = {};
            const auto start = Clock::now();
            const Mapped text = Map(fd, size);
            orvane::EpochReader reader(log);
            reader.Feed(std::string_view(text.data, size));
            reader.Finish();
            ::munmap(const_cast<char*>(text.data), size);
            bestEpochs = std::min(bestEpochs, Seconds(start));
        }
    }
    ::close(fd);

    const double mib = double(size) / (1 << 20);
    std::printf("file: %.1f MiB, %zu lines\n", mib, lines);
    std::printf("mmap+memchr pass:  %.3f s  (%.0f MiB/s)\n", bestScan, mib / bestScan);
    std::printf("epochs:            %.3f s  (%.0f MiB/s)  %.2fx the pass\n", bestEpochs, mib / bestEpochs,
        bestEpochs / bestScan);
    std::printf("%zu epochs, %zu satellites, %zu C/N0; %llu sentences, %llu bad checksums, %llu not parsed\n",
        log.epochs.size(), log.satellites.size(), log.cn0.size(), (unsigned long long)log.sentences,
        (unsigned long long)log.badChecksum, (unsigned long long)log.notParsed);
    if (!log.epochs.empty())
        std::printf("record bytes per epoch: %.1f (epoch %zu, satellites and C/N0 %.1f)\n",
            double(log.RecordBytes()) / double(log.epochs.size()), sizeof(orvane::Epoch),
            double(log.RecordBytes()) / double(log.epochs.size()) - double(sizeof(orvane::Epoch)));
    return 0;
}
