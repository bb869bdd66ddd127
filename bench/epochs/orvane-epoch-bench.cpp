// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-epoch-bench: the epoch reader against the floor of reading a file,
// on one core. Each run maps the file afresh (read-only, the pages coming
// in as they are read) and makes one pass: memchr counting the line ends,
// or the epoch reader over the whole text. Prints the best of the runs of
// each (wall time, and processor time, which others' work on the machine
// disturbs less), and their ratio, the bytes the records take per epoch,
// and a digest of every record and count read, so that a change to the
// reader can be shown to give the same epochs: with DIGEST, the bench
// fails (exit 3) when the digest differs.
//
//   build/tools/loggen/orvane-loggen --nmea 4.11 --bytes 1073741824 --seed 2 -o /tmp/big.nmea
//   build/bench/epochs/orvane-epoch-bench /tmp/big.nmea [RUNS [DIGEST]]
//
// That log's digest: 5eb77793a4549458 (taken over each epoch's satellites
// and C/N0 as they read, the same before and after epochs came to share
// them); the NMEA 4.0 log of the same size and seed (without --nmea), the
// heavier in position sentences: c6179955e9369666. On a machine others
// use, run it pinned to one core (taskset -c 1) with several runs: it
// keeps the best.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <chrono>
#include <cstdint>
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

// FNV-1a over every field of every record (field by field: no padding
// bytes) and the counts. An epoch's satellites and C/N0 count by what
// SatellitesOf and Cn0Of give, not by where they lie: epochs may share them.
class Digest {
public:
    template <class T>
    void Add(const T& value)
    {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        AddBytes(bytes, sizeof(T));
    }
    void AddBytes(const unsigned char* bytes, size_t count)
    {
        for (size_t k = 0; k < count; ++k)
            m_Hash = (m_Hash ^ bytes[k]) * 0x100000001b3ULL;
    }
    uint64_t Value() const { return m_Hash; }

private:
    uint64_t m_Hash = 0xcbf29ce484222325ULL;
};

uint64_t DigestOf(const orvane::EpochLog& log)
{
    Digest d;
    for (const orvane::Epoch& e : log.epochs) {
        d.Add(e.latitude);
        d.Add(e.longitude);
        d.Add(e.timeMs);
        d.Add(e.date.year);
        d.Add(e.date.month);
        d.Add(e.date.day);
        d.Add(e.heightMsl);
        d.Add(e.geoidSeparation);
        d.Add(e.pdop);
        d.Add(e.hdop);
        d.Add(e.vdop);
        d.Add(e.sigmaLatitude);
        d.Add(e.sigmaLongitude);
        d.Add(e.sigmaHeight);
        d.Add(e.speed);
        d.Add(e.course);
        d.Add(e.correctionAge);
        d.Add(e.satelliteCount);
        d.Add(e.stationId);
        d.Add(e.quality);
        d.Add(e.fixType);
        d.Add(e.rmcMode);
        d.Add(e.flags);
        d.Add(e.gnsModes);
        d.Add(e.used);
        d.Add(e.inView);
        size_t signals = 0;
        for (const orvane::EpochSatellite& s : log.SatellitesOf(e)) {
            d.Add(s.key);
            d.Add(s.place);
            d.Add(s.signalBits);
            signals += size_t(s.SignalCount());
        }
        const orvane::EpochCn0 cn0 = log.Cn0Of(e);
        for (size_t k = 0; k < signals; ++k)
            d.Add(cn0[k]);
    }
    d.Add(log.sentences);
    d.Add(log.badChecksum);
    d.Add(log.notParsed);
    d.Add(log.withoutTime);
    d.Add(log.linesTooLong);
    return d.Value();
}

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The processor time the thread has had: on a machine others use too, it
// grows only while the pass runs, where the wall time also grows while it
// waits.
double ThreadSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: orvane-epoch-bench FILE [RUNS [DIGEST]]\n");
        return 2;
    }
    const int runs = argc >= 3 ? std::atoi(argv[2]) : 3;
    const int fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    struct stat info { };
    if (fd < 0 || ::fstat(fd, &info) != 0 || info.st_size == 0) {
        std::perror(argv[1]);
        return 1;
    }
    const auto size = size_t(info.st_size);

    double bestScan = 1e9, bestEpochs = 1e9, bestScanCpu = 1e9, bestEpochsCpu = 1e9;
    size_t lines = 0;
    orvane::EpochLog log;
    for (int run = 0; run < runs; ++run) {
        {
            const auto start = Clock::now();
            const double cpuStart = ThreadSeconds();
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
            bestScanCpu = std::min(bestScanCpu, ThreadSeconds() - cpuStart);
        }
        {
            log = {};
            const auto start = Clock::now();
            const double cpuStart = ThreadSeconds();
            const Mapped text = Map(fd, size);
            orvane::EpochReader reader(log);
            reader.Feed(std::string_view(text.data, size));
            reader.Finish();
            ::munmap(const_cast<char*>(text.data), size);
            bestEpochs = std::min(bestEpochs, Seconds(start));
            bestEpochsCpu = std::min(bestEpochsCpu, ThreadSeconds() - cpuStart);
        }
    }
    ::close(fd);

    const double mib = double(size) / (1 << 20);
    std::printf("file: %.1f MiB, %zu lines\n", mib, lines);
    std::printf("mmap+memchr pass:  %.3f s  (%.0f MiB/s)\n", bestScan, mib / bestScan);
    std::printf("epochs:            %.3f s  (%.0f MiB/s)  %.2fx the pass\n", bestEpochs, mib / bestEpochs,
        bestEpochs / bestScan);
    std::printf("processor time:    %.3f s and %.3f s  %.2fx\n", bestScanCpu, bestEpochsCpu,
        bestEpochsCpu / bestScanCpu);
    std::printf("%zu epochs, %zu satellites, %zu C/N0; %llu sentences, %llu bad checksums, %llu not parsed\n",
        log.epochs.size(), log.satellites.size(), log.cn0.size(), (unsigned long long)log.sentences,
        (unsigned long long)log.badChecksum, (unsigned long long)log.notParsed);
    const uint64_t digest = DigestOf(log);
    std::printf("digest of the records and counts: %016llx\n", (unsigned long long)digest);
    if (!log.epochs.empty()) {
        // What the records hold (RecordBytes: the vectors' capacities) and
        // what they use, per epoch; and how many satellites and C/N0 the
        // epochs read through SatellitesOf and Cn0Of, against those stored.
        const double epochs = double(log.epochs.size());
        size_t satellitesRead = 0, cn0Read = 0;
        for (const orvane::Epoch& e : log.epochs) {
            satellitesRead += e.satelliteCount;
            for (const orvane::EpochSatellite& s : log.SatellitesOf(e))
                cn0Read += size_t(s.SignalCount());
        }
        const double used =
            double(log.epochs.size() * sizeof(orvane::Epoch) + log.satellites.size() * sizeof(orvane::EpochSatellite) +
                   log.used.size() + log.cn0.size() + log.cn0Differences.size());
        std::printf(
            "bytes per epoch: %.1f held (epochs %.1f, satellites %.1f, used flags %.1f, C/N0 %.1f + %.1f as "
            "differences)\n",
            double(log.RecordBytes()) / epochs, double(log.epochs.capacity() * sizeof(orvane::Epoch)) / epochs,
            double(log.satellites.capacity() * sizeof(orvane::EpochSatellite)) / epochs,
            double(log.used.capacity()) / epochs, double(log.cn0.capacity()) / epochs,
            double(log.cn0Differences.capacity()) / epochs);
        std::printf("                 %.1f used (epochs %zu, satellites %.1f, used flags %.1f, C/N0 %.1f + %.1f)\n",
            used / epochs, sizeof(orvane::Epoch),
            double(log.satellites.size() * sizeof(orvane::EpochSatellite)) / epochs, double(log.used.size()) / epochs,
            double(log.cn0.size()) / epochs, double(log.cn0Differences.size()) / epochs);
        std::printf("stored: satellites %.1f%% of those read, C/N0 %.1f%% in full\n",
            satellitesRead ? 100.0 * double(log.satellites.size()) / double(satellitesRead) : 0.0,
            cn0Read ? 100.0 * double(log.cn0.size()) / double(cn0Read) : 0.0);
    }
    if (argc == 4 && std::strtoull(argv[3], nullptr, 16) != digest) {
        std::fprintf(stderr, "the digest is not %s: the reader gives other epochs\n", argv[3]);
        return 3;
    }
    return 0;
}
