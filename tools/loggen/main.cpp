// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-loggen: writes a deterministic NMEA 0183 log of a car driving
// through Seoul with a multi-constellation receiver, one epoch per second.

#include "Generator.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr const char* kProgram = "orvane-loggen";
constexpr std::uint64_t kDefaultSeconds = 300;
constexpr std::size_t kFlushSize = std::size_t(1) << 20;

void PrintUsage()
{
    std::printf(
        "usage: %s [--seconds N | --bytes N] [--seed N] [--nmea 4.0|4.11] [-o FILE]\n"
        "       [--static [--bias E,N,U] [--noise E,N,U] [--rate HZ] | [--offset E,N,U] [--delay S]]\n"
        "\n"
        "Writes the NMEA 0183 output of a simulated GNSS receiver (GPS, QZSS, SBAS,\n"
        "GLONASS, Galileo, and BeiDou with --nmea 4.11) in a car driving through Seoul,\n"
        "one epoch per second, starting 2026-03-14 23:58:00 UTC. The same arguments\n"
        "always give the same bytes.\n"
        "\n"
        "  --seconds N  write N epochs (default %llu)\n"
        "  --bytes N    write epochs until at least N bytes are written, ending with a\n"
        "               whole epoch (for benchmark logs); excludes --seconds\n"
        "  --seed N     seed of the drive and signal simulation (default %llu)\n"
        "  --nmea 4.0   the output as it has always been (the default): GP sentences\n"
        "               and GN RMC/GGA, GSA and GSV per talker GP (with QZSS and SBAS),\n"
        "               GL and GA\n"
        "  --nmea 4.11  the output of a multi-band receiver: GN RMC, VTG, GGA, GNS, GST\n"
        "               and ZDA, one GN GSA per constellation with its system ID, GSV\n"
        "               sets per constellation and signal with the signal ID, BeiDou\n"
        "               (GB) and QZSS (GQ) added; the same drive as 4.0 for a seed\n"
        "  -o FILE      write to FILE instead of standard output (\"-\" is standard output)\n"
        "  --static     a receiver standing at the start point instead of the drive\n"
        "  --bias E,N,U its fixes' bias east, north and up, in metres (with --static)\n"
        "  --noise E,N,U  standard deviations of their normal noise, in metres, drawn\n"
        "               from the seed; the 4.11 output's GST reports them\n"
        "  --rate HZ    its epochs per second (with --static; 1, 2, 4, 5, 10, 20, 25, 50\n"
        "               or 100), each epoch's time in hundredths of a second\n"
        "  --offset E,N,U  write the device under test of the drive: the positions of\n"
        "               the usual output (its reference) moved by E,N,U metres\n"
        "  --delay S    and reported S seconds late (interpolated between epochs)\n"
        "  -h, --help   show this text\n",
        kProgram, static_cast<unsigned long long>(kDefaultSeconds),
        static_cast<unsigned long long>(orvane::loggen::kDefaultSeed));
}

[[noreturn]] void UsageError(const std::string& message)
{
    std::fprintf(stderr, "%s: %s (try --help)\n", kProgram, message.c_str());
    std::exit(2);
}

std::uint64_t ParseNumber(std::string_view option, std::string_view text, bool allowZero)
{
    std::uint64_t value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(first, last, value, 10);
    if (ec == std::errc::result_out_of_range)
        UsageError(std::string(option) + " value '" + std::string(text) + "' is too large");
    if (text.empty() || ec != std::errc() || ptr != last)
        UsageError(std::string(option) + " needs a non-negative decimal integer, got '" + std::string(text) + "'");
    if (!allowZero && value == 0)
        UsageError(std::string(option) + " must be at least 1");
    return value;
}

struct Options {
    std::optional<std::uint64_t> seconds;
    std::optional<std::uint64_t> bytes;
    std::optional<std::uint64_t> seed;
    std::optional<orvane::loggen::NmeaVersion> version;
    std::optional<std::string> output;
    orvane::loggen::Scenario scenario;
};

// E,N,U: three decimal numbers in metres.
std::array<double, 3> ParseTriple(std::string_view option, std::string_view text)
{
    std::array<double, 3> values{};
    std::string_view rest = text;
    for (size_t k = 0; k < 3; ++k) {
        const size_t comma = rest.find(',');
        const std::string_view part = rest.substr(0, comma);
        const auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), values[k]);
        if (part.empty() || ec != std::errc() || ptr != part.data() + part.size() || !std::isfinite(values[k]) ||
            (k < 2) != (comma != std::string_view::npos))
            UsageError(std::string(option) + " needs three numbers E,N,U in metres, got '" + std::string(text) + "'");
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return values;
}

orvane::loggen::NmeaVersion ParseVersion(std::string_view text)
{
    if (text == "4.0")
        return orvane::loggen::NmeaVersion::V4_0;
    if (text == "4.11")
        return orvane::loggen::NmeaVersion::V4_11;
    UsageError("--nmea takes 4.0 or 4.11, got '" + std::string(text) + "'");
}

Options ParseArguments(int argc, char** argv)
{
    Options opt;
    bool biasOrNoise = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            PrintUsage();
            std::exit(0);
        }

        // Accept both "--name value" and "--name=value".
        std::string_view name = arg;
        std::optional<std::string_view> value;
        if (arg.starts_with("--")) {
            if (const auto eq = arg.find('='); eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
            }
        }
        if (arg == "--static") {
            opt.scenario.standing = true;
            continue;
        }
        const bool known = name == "--seconds" || name == "--bytes" || name == "--seed" || name == "--nmea" ||
                           name == "-o" || name == "--bias" || name == "--noise" || name == "--offset" ||
                           name == "--delay" || name == "--rate";
        if (!known) {
            if (arg.starts_with("-") && arg != "-")
                UsageError("unknown option '" + std::string(arg) + "'");
            UsageError("unexpected argument '" + std::string(arg) + "'");
        }
        if (!value) {
            if (i + 1 >= argc)
                UsageError(std::string(name) + " needs a value");
            value = std::string_view(argv[++i]);
        }

        if (name == "--seconds") {
            if (opt.seconds)
                UsageError("--seconds given twice");
            opt.seconds = ParseNumber(name, *value, false);
        } else if (name == "--bytes") {
            if (opt.bytes)
                UsageError("--bytes given twice");
            opt.bytes = ParseNumber(name, *value, false);
        } else if (name == "--seed") {
            if (opt.seed)
                UsageError("--seed given twice");
            opt.seed = ParseNumber(name, *value, true);
        } else if (name == "--bias") {
            opt.scenario.bias = ParseTriple(name, *value);
            biasOrNoise = true;
        } else if (name == "--noise") {
            opt.scenario.noise = ParseTriple(name, *value);
            for (const double sigma : opt.scenario.noise)
                if (sigma < 0)
                    UsageError("--noise takes standard deviations of 0 or more");
            biasOrNoise = true;
        } else if (name == "--rate") {
            const uint64_t rate = ParseNumber(name, *value, false);
            if (rate == 0 || 100 % rate != 0)
                UsageError("--rate needs epochs per second that divide 100 (1, 2, 4, 5, 10, 20, 25, 50, 100)");
            opt.scenario.rate = int(rate);
        } else if (name == "--offset") {
            opt.scenario.offset = ParseTriple(name, *value);
            opt.scenario.device = true;
        } else if (name == "--delay") {
            const std::string number(*value);
            char* endPointer = nullptr;
            opt.scenario.delay = std::strtod(number.c_str(), &endPointer);
            if (number.empty() || *endPointer != '\0' || !(opt.scenario.delay >= 0) || opt.scenario.delay > 3600)
                UsageError("--delay needs seconds from 0 to 3600, got '" + number + "'");
            opt.scenario.device = true;
        } else if (name == "--nmea") {
            if (opt.version)
                UsageError("--nmea given twice");
            opt.version = ParseVersion(*value);
        } else {
            if (opt.output)
                UsageError("-o given twice");
            if (value->empty())
                UsageError("-o needs a file name");
            opt.output = std::string(*value);
        }
    }
    if (opt.seconds && opt.bytes)
        UsageError("--seconds and --bytes exclude each other");
    if ((biasOrNoise || opt.scenario.rate != 1) && !opt.scenario.standing)
        UsageError("--bias, --noise and --rate need --static");
    if (opt.scenario.standing && opt.scenario.device)
        UsageError("--static excludes --offset and --delay");
    return opt;
}

}  // namespace

int main(int argc, char** argv)
{
    const Options opt = ParseArguments(argc, argv);

    const bool toStdout = !opt.output || *opt.output == "-";
    const std::string outName = toStdout ? std::string("standard output") : *opt.output;
    std::FILE* file = toStdout ? stdout : std::fopen(opt.output->c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "%s: cannot open '%s': %s\n", kProgram, outName.c_str(), std::strerror(errno));
        return 1;
    }

    auto fail = [&]() {
        std::fprintf(stderr, "%s: cannot write '%s': %s\n", kProgram, outName.c_str(), std::strerror(errno));
        if (!toStdout)
            std::fclose(file);
        return 1;
    };

    orvane::loggen::Generator generator(opt.seed.value_or(orvane::loggen::kDefaultSeed),
        opt.version.value_or(orvane::loggen::NmeaVersion::V4_0), opt.scenario);
    std::string buffer;
    buffer.reserve(kFlushSize + 16 * 1024);
    std::uint64_t written = 0;

    const std::uint64_t epochs = opt.seconds.value_or(kDefaultSeconds);
    for (;;) {
        if (opt.bytes ? written + buffer.size() >= *opt.bytes : generator.EpochCount() >= epochs)
            break;
        generator.AppendEpoch(buffer);
        if (buffer.size() >= kFlushSize) {
            if (std::fwrite(buffer.data(), 1, buffer.size(), file) != buffer.size())
                return fail();
            written += buffer.size();
            buffer.clear();
        }
    }
    if (!buffer.empty() && std::fwrite(buffer.data(), 1, buffer.size(), file) != buffer.size())
        return fail();
    if (std::fflush(file) != 0)
        return fail();
    if (!toStdout && std::fclose(file) != 0) {
        std::fprintf(stderr, "%s: cannot write '%s': %s\n", kProgram, outName.c_str(), std::strerror(errno));
        return 1;
    }
    return 0;
}
