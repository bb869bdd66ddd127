// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "replay/TrackCollect.h"
#include "replay/TrackExport.h"

namespace orvane {

namespace {

// The input's file name without folder and last suffix names the track.
std::string TrackName(const std::string& path)
{
    if (path.empty() || path == "-")
        return "standard input";
    std::string name = path.substr(path.find_last_of('/') + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

bool WriteFile(const std::string& path, const std::string& content)
{
    const bool toStdout = path == "-";
    std::FILE* file = toStdout ? stdout : std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "orvane-decode: cannot write '%s': %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    ok = (toStdout ? std::fflush(file) == 0 : std::fclose(file) == 0) && ok;
    if (!ok) {
        std::fprintf(stderr, "orvane-decode: cannot write '%s': %s\n", path.c_str(), std::strerror(errno));
        if (!toStdout)
            std::remove(path.c_str());
    }
    return ok;
}

}  // namespace

bool TrackFilesSpareInput(const DecodeOptions& options, std::string& message)
{
    struct stat input { };
    const bool fromStdin = options.path.empty() || options.path == "-";
    if ((fromStdin ? ::fstat(STDIN_FILENO, &input) : ::stat(options.path.c_str(), &input)) != 0)
        return true;  // reading it will say what is wrong
    for (const std::string& output : {options.gpxPath, options.geoJsonPath}) {
        struct stat existing { };
        if (output.empty() || output == "-" || ::stat(output.c_str(), &existing) != 0)
            continue;
        if (existing.st_dev == input.st_dev && existing.st_ino == input.st_ino) {
            message = "'" + output + "' is the log being read (" +
                      (fromStdin ? std::string("standard input") : "'" + options.path + "'") +
                      "): not written over; name another output file";
            return false;
        }
    }
    return true;
}

int WriteTrackFiles(const DecodeOptions& options, std::string_view text)
{
    TrackCollector collector;
    collector.Feed(text);
    const std::vector<TrackPoint> points = collector.Points();
    const std::string name = TrackName(options.path);
    if (!options.gpxPath.empty() && !WriteFile(options.gpxPath, TrackToGpx(points, name)))
        return 1;
    if (!options.geoJsonPath.empty() && !WriteFile(options.geoJsonPath, TrackToGeoJson(points, name)))
        return 1;
    return 0;
}

}  // namespace orvane
