// SPDX-License-Identifier: GPL-3.0-or-later
#include "TtffOptions.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "CommandLine.h"
#include "live/ReceiverCommand.h"

namespace orvane {

const char* const kTtffUsage =
    "Usage: orvane-ttff (--port DEV [--baud N] | --tcp HOST:PORT) --restart [NAME=]TEXT...\n"
    "                   [--runs N] [--timeout S] [--settle S] [--holdoff S]\n"
    "                   [--criterion fix|3d] [--hdop X] [--within M --reference LAT,LON]\n"
    "                   [--json] [--csv RUNS.csv]\n"
    "Measures a GNSS receiver's time to first fix: each run sends the restart\n"
    "command and times, on the host's monotonic clock, the arrival of the first\n"
    "epoch that meets the criterion.\n"
    "  --port DEV       the receiver's serial device (/dev/NAME or NAME)\n"
    "  --baud N         its speed, 1200 to 115200 bps (default 9600)\n"
    "  --tcp HOST:PORT  a receiver behind a TCP server that passes commands on\n"
    "  --restart [NAME=]TEXT  a start type: its command as typed in the console\n"
    "                   ($ sentences get their checksum and CR LF; hex: bytes);\n"
    "                   given again, each start type is measured in turn\n"
    "  --runs N         runs per start type (default 10)\n"
    "  --timeout S      a run without a valid fix ends after S s (default 120)\n"
    "  --settle S       the wait between runs (default 10)\n"
    "  --holdoff S      valid epochs this soon after the send are the old fix\n"
    "                   (default 0.1)\n"
    "  --criterion fix|3d  a valid fix: GGA quality >= 1 or RMC status A (fix),\n"
    "                   and a 3D fix (3d)\n"
    "  --hdop X         and an HDOP at most X\n"
    "  --within M --reference LAT,LON  and a position within M metres of the point\n"
    "  --json           print the report as JSON (keys: orvane-ttff(1))\n"
    "  --csv FILE       also write one row per run to FILE\n"
    "  --help, --version\n"
    "Exit status: 0 every run made, 1 the receiver cannot be opened or a series\n"
    "ended early (lost, silent, refused: the report says which), 2 bad arguments.\n";

namespace {

bool Seconds(std::string_view text, double& value, double least)
{
    return ParseFiniteNumber(text, value) && value >= least && value <= 86400;
}

}  // namespace

bool ParseTtffOptions(int argc, char** argv, TtffOptions& options, std::string& error)
{
    bool threeD = false, haveReference = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string_view value;
        bool missing = false;
        double number = 0;
        const auto fail = [&](const std::string& why) {
            error = why;
            return false;
        };
        if (arg == "--help") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (TakeValue(arg, "--port", argc, argv, i, value, missing)) {
            if (missing || value.empty())
                return fail("--port needs a device");
            options.port = value;
        } else if (TakeValue(arg, "--tcp", argc, argv, i, value, missing)) {
            const size_t colon = value.rfind(':');
            int port = 0;
            if (missing || colon == std::string_view::npos || colon == 0 ||
                std::from_chars(value.data() + colon + 1, value.data() + value.size(), port).ptr !=
                    value.data() + value.size() ||
                port < 1 || port > 65535)
                return fail("--tcp needs HOST:PORT, port 1 to 65535");
            std::string_view host = value.substr(0, colon);
            if (host.size() > 2 && host.front() == '[' && host.back() == ']')
                host = host.substr(1, host.size() - 2);
            options.tcpHost = host;
            options.tcpPort = (unsigned short)port;
        } else if (TakeValue(arg, "--baud", argc, argv, i, value, missing)) {
            if (missing || !ParseFiniteNumber(value, number) || number < 1200 || number > 115200 ||
                number != std::floor(number))
                return fail("--baud needs a speed of 1200 to 115200");
            options.baud = int(number);
        } else if (TakeValue(arg, "--restart", argc, argv, i, value, missing)) {
            if (missing)
                return fail("--restart needs a command");
            TtffStart start;
            const size_t equals = value.find('=');
            const bool named = !value.empty() && value.front() != '$' && equals != std::string_view::npos &&
                               value.substr(0, 4) != "hex:" && value.substr(0, 4) != "HEX:";
            start.name = named ? value.substr(0, equals) : value;
            start.command = named ? value.substr(equals + 1) : value;
            const ReceiverCommand command = MakeReceiverCommand(start.command);
            if (!command.Ok())
                return fail("--restart " + std::string(value) + ": " + command.error);
            options.starts.push_back(start);
        } else if (TakeValue(arg, "--runs", argc, argv, i, value, missing)) {
            if (missing || !ParseFiniteNumber(value, number) || number < 1 || number > 10000 ||
                number != std::floor(number))
                return fail("--runs needs a count of 1 to 10000");
            options.runs = int(number);
        } else if (TakeValue(arg, "--timeout", argc, argv, i, value, missing)) {
            if (missing || !Seconds(value, options.timeout, 0.1))
                return fail("--timeout needs seconds, 0.1 to 86400");
        } else if (TakeValue(arg, "--settle", argc, argv, i, value, missing)) {
            if (missing || !Seconds(value, options.settle, 0))
                return fail("--settle needs seconds, 0 to 86400");
        } else if (TakeValue(arg, "--holdoff", argc, argv, i, value, missing)) {
            if (missing || !Seconds(value, options.holdoff, 0))
                return fail("--holdoff needs seconds, 0 to 86400");
        } else if (TakeValue(arg, "--criterion", argc, argv, i, value, missing)) {
            if (missing || (value != "fix" && value != "3d"))
                return fail("--criterion needs fix or 3d");
            threeD = value == "3d";
        } else if (TakeValue(arg, "--hdop", argc, argv, i, value, missing)) {
            if (missing || !ParseFiniteNumber(value, number) || number <= 0)
                return fail("--hdop needs a positive number");
            options.criterion.maxHdop = number;
        } else if (TakeValue(arg, "--within", argc, argv, i, value, missing)) {
            if (missing || !ParseFiniteNumber(value, number) || number <= 0)
                return fail("--within needs metres");
            options.criterion.withinMetres = number;
        } else if (TakeValue(arg, "--reference", argc, argv, i, value, missing)) {
            GeodeticPoint point;
            if (missing || !ParseGeodeticPoint(value, point))
                return fail("--reference needs LAT,LON in signed degrees");
            options.criterion.reference = point;
            haveReference = true;
        } else if (TakeValue(arg, "--csv", argc, argv, i, value, missing)) {
            if (missing || value.empty())
                return fail("--csv needs a file");
            options.csv = value;
        } else {
            return fail("unknown argument '" + std::string(arg) + "'");
        }
    }
    options.criterion.threeD = threeD;
    if (options.help || options.version)
        return true;
    if (options.port.empty() == options.tcpHost.empty()) {
        error = "give one receiver: --port DEV or --tcp HOST:PORT";
        return false;
    }
    if (options.starts.empty()) {
        error = "give a restart command: --restart [NAME=]TEXT";
        return false;
    }
    if (haveReference != (options.criterion.withinMetres > 0)) {
        error = "--within and --reference go together";
        return false;
    }
    return true;
}

}  // namespace orvane
