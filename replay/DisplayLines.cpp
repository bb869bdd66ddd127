// SPDX-License-Identifier: GPL-3.0-or-later
#include "DisplayLines.h"

#include "decoder/TextFormat.h"

namespace orvane {

namespace {

// A hemisphere or other letter as shown: itself, or "?" when not received.
char Shown(char16_t letter)
{
    if (letter == 0 || letter > 0xff)
        return '?';
    return char(letter);
}

// "hh:mm:ss"
void AppendClock(std::string& line, const NmeaDateTime& time)
{
    AppendInt(line, time.hour, 2);
    line.push_back(':');
    AppendInt(line, time.minute, 2);
    line.push_back(':');
    AppendInt(line, time.second, 2);
}

// "[hh:mm:ss]"
void AppendTimeOfDay(std::string& line, const NmeaDateTime& time)
{
    line.push_back('[');
    AppendClock(line, time);
    line.push_back(']');
}

// "[yyyy.mm.dd hh:mm:ss]"
void AppendDateTime(std::string& line, const NmeaDateTime& time)
{
    line.push_back('[');
    AppendInt(line, time.year, 4);
    line.push_back('.');
    AppendInt(line, time.month, 2);
    line.push_back('.');
    AppendInt(line, time.day, 2);
    line.push_back(' ');
    AppendClock(line, time);
    line.push_back(']');
}

// "(N)48.117300, (E)11.516667"
void AppendPosition(std::string& line, char16_t latHemisphere, double latitude, char16_t lonHemisphere,
    double longitude)
{
    line.push_back('(');
    line.push_back(Shown(latHemisphere));
    line.push_back(')');
    AppendFixed(line, latitude, 6);
    line.append(", (");
    line.push_back(Shown(lonHemisphere));
    line.push_back(')');
    AppendFixed(line, longitude, 6);
}

}  // namespace

void DisplayLine(const GgaRecord& record, std::string& line)
{
    line.clear();
    AppendTimeOfDay(line, record.dateTime);
    line.append(" Signal: ");
    AppendInt(line, record.fixQuality);
    line.append(", NOS: ");
    AppendInt(line, record.satelliteCount);
    line.append(", HDOP: ");
    AppendFixed(line, record.hdop, 2, 3);
    line.append(", ");
    AppendPosition(line, record.latHemisphere, record.latitude, record.lonHemisphere, record.longitude);
}

void DisplayLine(const GllRecord& record, std::string& line)
{
    line.clear();
    AppendTimeOfDay(line, record.dateTime);
    line.push_back(' ');
    AppendPosition(line, record.latHemisphere, record.latitude, record.lonHemisphere, record.longitude);
}

void DisplayLine(const GsaRecord& record, std::string& line)
{
    line.clear();
    switch (record.selectionMode) {
    case u'M':
        line.append("Manual");
        break;
    case u'A':
        line.append("Automatic");
        break;
    default:
        line.append("Unknown");
        break;
    }
    line.push_back(' ');
    switch (record.fixType) {
    case 2:
        line.append("2D");
        break;
    case 3:
        line.append("3D");
        break;
    default:
        line.append("Unknown");
        break;
    }
    line.append(" mode, HDOP:");
    AppendFixed(line, record.hdop, 2, 3);
    line.append(" / VDOP:");
    AppendFixed(line, record.vdop, 2, 3);
    line.append(" / PDOP:");
    AppendFixed(line, record.pdop, 2, 3);
}

void DisplayLine(const RmcRecord& record, std::string& line)
{
    line.clear();
    AppendDateTime(line, record.dateTime);
    line.push_back(' ');
    AppendPosition(line, record.latHemisphere, record.latitude, record.lonHemisphere, record.longitude);
    line.append(", Speed:");
    AppendFixed(line, record.speedKmh, 2);
    line.append("Km/h, Heading:");
    AppendFixed(line, record.course, 2);
}

void DisplayLine(const VtgRecord& record, std::string& line)
{
    line.clear();
    line.append("Heading:");
    AppendFixed(line, record.courseTrue, 2);
    line.append(", Speed:");
    AppendFixed(line, record.speedKnots, 2);
    line.append("knots, Speed:");
    AppendFixed(line, record.speedKmh, 2);
    line.append("Km/h");
}

void DisplayLine(const ZdaRecord& record, std::string& line)
{
    line.clear();
    AppendDateTime(line, record);
}

std::string ZdaInvalidLine(int32_t position, int32_t length)
{
    std::string line = "[ZDA] Invalid Data (";
    AppendInt(line, position);
    line.push_back('/');
    AppendInt(line, length);
    line.push_back(')');
    return line;
}

}  // namespace orvane
