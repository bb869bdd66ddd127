// SPDX-License-Identifier: GPL-3.0-or-later
#include "DecodeOptions.h"

#include <string_view>

#include "CommandLine.h"
#include "decoder/Tables.h"

namespace orvane {

const char* const kDecodeUsage =
    "Usage: orvane-decode [--talker ID] [--message TYPE] [--satellites] [FILE]\n"
    "       orvane-decode [--gpx OUT] [--geojson OUT] [FILE]\n"
    "       orvane-decode [--summary] [--sky] [FILE]\n"
    "Decodes the NMEA sentences of one talker and type in FILE (or standard\n"
    "input when FILE is '-' or missing) and prints the line the viewer shows\n"
    "for each, oldest first.\n"
    "  --talker ID      GP GL GA GB BD GI QZ GN (default GP); GQ is QZ, and QZ\n"
    "                   reads both QZ and GQ sentences\n"
    "  --message TYPE   DTM GBQ GBS GGA GLL GLQ GNQ GNS GPQ GRS GSA GST GSV RMC\n"
    "                   TXT VLW VTG ZDA (default RMC)\n"
    "  --satellites     also merge the GSV sentences of every talker, as while\n"
    "                   the signals are shown, and print the satellite table as\n"
    "                   SAT,<talker>,<slot>,<prn>,<elevation>,<azimuth>,<snr>\n"
    "  --gpx OUT        write the track of FILE (every talker, one point per\n"
    "                   fix) as GPX 1.1 to OUT instead of printing lines\n"
    "  --geojson OUT    the same as GeoJSON; OUT '-' is standard output\n"
    "  --summary        print instead the fix summary of every talker at the end\n"
    "                   of FILE, one key=value line per field\n"
    "  --sky            print instead the satellites in view at the end of FILE as\n"
    "                   SKY,<talker>,<prn>,<elevation>,<azimuth>,<snr>,<used>\n"
    "  --help           show this text\n"
    "  --version        show the version\n"
    "Exit status: 0 done, 1 the input cannot be read or the output not written,\n"
    "2 bad arguments.\n";

OptionsResult ParseDecodeOptions(int argc, char** argv, DecodeOptions& options, std::string& message)
{
    bool havePath = false;
    bool onlyPaths = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string_view value;
        bool missing = false;
        if (!onlyPaths && arg == "--help") {
            return OptionsResult::Help;
        } else if (!onlyPaths && arg == "--satellites") {
            options.satellites = true;
        } else if (!onlyPaths && arg == "--summary") {
            options.summary = true;
        } else if (!onlyPaths && arg == "--sky") {
            options.sky = true;
        } else if (!onlyPaths && TakeValue(arg, "--talker", argc, argv, i, value, missing)) {
            if (missing) {
                message = "--talker needs a talker id";
                return OptionsResult::Error;
            }
            options.talkerRow = TalkerRowFromId(value);
            if (options.talkerRow < 0) {
                message = "unknown talker '" + std::string(value) + "' (GP GL GA GB BD GI QZ GN, GQ)";
                return OptionsResult::Error;
            }
        } else if (!onlyPaths && TakeValue(arg, "--message", argc, argv, i, value, missing)) {
            if (missing) {
                message = "--message needs a message type";
                return OptionsResult::Error;
            }
            options.messageRow = MessageRowFromId(value);
            if (options.messageRow < 0) {
                message = "unknown message '" + std::string(value) + "'";
                return OptionsResult::Error;
            }
        } else if (!onlyPaths && (TakeValue(arg, "--gpx", argc, argv, i, value, missing) ||
                                     TakeValue(arg, "--geojson", argc, argv, i, value, missing))) {
            const bool gpx = arg.substr(0, 5) == "--gpx";
            if (missing || value.empty()) {
                message = std::string(gpx ? "--gpx" : "--geojson") + " needs an output file";
                return OptionsResult::Error;
            }
            (gpx ? options.gpxPath : options.geoJsonPath) = value;
            if (options.gpxPath == "-" && options.geoJsonPath == "-") {
                message = "only one of --gpx and --geojson may write to standard output";
                return OptionsResult::Error;
            }
        } else if (!onlyPaths && arg == "--") {
            onlyPaths = true;
        } else if (!onlyPaths && arg.size() > 1 && arg[0] == '-') {
            message = "unknown option '" + std::string(arg) + "'";
            return OptionsResult::Error;
        } else {
            if (havePath) {
                message = "only one FILE may be given";
                return OptionsResult::Error;
            }
            options.path = arg;
            havePath = true;
        }
    }
    return OptionsResult::Run;
}

}  // namespace orvane
