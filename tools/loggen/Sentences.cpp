// SPDX-License-Identifier: GPL-3.0-or-later
#include "Sentences.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "Earth.h"
#include "NumberText.h"
#include "SentenceFrame.h"
#include "decoder/TextFormat.h"

namespace orvane::loggen {

namespace {

constexpr size_t kGsaSlots = 12;
constexpr size_t kGsvPerSentence = 4;

// hhmmss.ss
void AppendTime(std::string& out, const EpochTime& time)
{
    AppendInt(out, time.hour, 2);
    AppendInt(out, time.minute, 2);
    AppendInt(out, time.second, 2);
    out += '.';
    AppendInt(out, time.hundredths, 2);
}

// ddmm.mmmmm,N,dddmm.mmmmm,E
void AppendPosition(std::string& out, const Fix& fix)
{
    AppendDegreesMinutes(out, std::fabs(fix.latitude), 2);
    out += ',';
    out += fix.latitude >= 0.0 ? 'N' : 'S';
    out += ',';
    AppendDegreesMinutes(out, std::fabs(fix.longitude), 3);
    out += ',';
    out += fix.longitude >= 0.0 ? 'E' : 'W';
}

// One sentence of a GSV set: sentence count, its number, satellites in
// view, then prn, elevation, azimuth and SNR of up to four of them. A
// satellite in view but not tracked has an empty SNR.
void AppendGsvSentence(std::string& out, const char* address, const SatelliteList& inView, size_t number,
    size_t sentences, int signal, char signalId)
{
    const size_t start = BeginSentence(out, address);
    out += ',';
    AppendInt(out, int64_t(sentences));
    out += ',';
    AppendInt(out, int64_t(number) + 1);
    out += ',';
    AppendInt(out, int64_t(inView.size()), 2);
    const size_t first = number * kGsvPerSentence;
    for (size_t i = first; i < std::min(inView.size(), first + kGsvPerSentence); ++i) {
        const Satellite& s = *inView[i];
        out += ',';
        AppendInt(out, s.number, 2);
        out += ',';
        AppendInt(out, std::lround(std::min(s.elevation, 90.0)), 2);
        out += ',';
        AppendInt(out, std::lround(s.azimuth) % 360, 3);  // 359.6 rounds to 000
        out += ',';
        if (const int snr = SignalSnr(s, signal); snr > 0)
            AppendInt(out, snr, 2);
    }
    if (signalId != 0) {
        out += ',';
        out += signalId;
    }
    FinishSentence(out, start);
}

}  // namespace

void AppendRmc(std::string& out, const char* address, const Fix& fix, char navStatus)
{
    const size_t start = BeginSentence(out, address);
    out += ',';
    AppendTime(out, fix.time);
    out += ",A,";
    AppendPosition(out, fix);
    out += ',';
    AppendRounded(out, fix.speed * kKnotsPerMs, 3);
    out += ',';
    AppendRounded(out, fix.course, 2);
    out += ',';
    AppendInt(out, fix.time.date.day, 2);
    AppendInt(out, fix.time.date.month, 2);
    AppendInt(out, fix.time.date.year % 100, 2);
    out += ",,,A";
    if (navStatus != 0) {
        out += ',';
        out += navStatus;
    }
    FinishSentence(out, start);
}

void AppendVtg(std::string& out, const char* address, const Fix& fix)
{
    const size_t start = BeginSentence(out, address);
    out += ',';
    AppendRounded(out, fix.course, 2, 3);
    out += ",T,,M,";
    AppendRounded(out, fix.speed * kKnotsPerMs, 2, 3);
    out += ",N,";
    AppendRounded(out, fix.speed * kKmhPerMs, 2, 3);
    out += ",K,A";
    FinishSentence(out, start);
}

void AppendGga(std::string& out, const char* address, const Fix& fix)
{
    const size_t start = BeginSentence(out, address);
    out += ',';
    AppendTime(out, fix.time);
    out += ',';
    AppendPosition(out, fix);
    out += ",1,";
    AppendInt(out, std::min(fix.usedCount, 99), 2);  // the field holds two digits
    out += ',';
    AppendRounded(out, fix.dops.hdop, 2);
    out += ',';
    AppendRounded(out, fix.altitude, 1);
    out += ",M,";
    AppendRounded(out, fix.separation, 1);
    out += ",M,,";
    FinishSentence(out, start);
}

void AppendGns(std::string& out, const Fix& fix, const GroupLists& used)
{
    const size_t start = BeginSentence(out, "GNGNS");
    out += ',';
    AppendTime(out, fix.time);
    out += ',';
    AppendPosition(out, fix);
    out += ',';
    for (const Group g : {kGroupGp, kGroupGl, kGroupGa, kGroupGb, kGroupGq})
        out += used[g].empty() ? 'N' : 'A';
    out += ',';
    AppendInt(out, std::min(fix.usedCount, 99), 2);
    out += ',';
    AppendRounded(out, fix.dops.hdop, 2);
    out += ',';
    AppendRounded(out, fix.altitude, 1);
    out += ',';
    AppendRounded(out, fix.separation, 1);
    out += ",,,";
    out += kNavStatus;
    FinishSentence(out, start);
}

void AppendGst(std::string& out, const Fix& fix)
{
    // The horizontal covariance is the range variance times the east/north
    // block of the inverted normal matrix; its eigenvalues are the squared
    // axes of the error ellipse.
    const Dops& d = fix.dops;
    const double variance = fix.rangeSigma * fix.rangeSigma;
    const double mean = (d.qEast + d.qNorth) / 2.0;
    const double half = std::hypot((d.qNorth - d.qEast) / 2.0, d.qEastNorth);
    const double major = std::sqrt(variance * (mean + half));
    const double minor = std::sqrt(variance * std::max(mean - half, 0.0));
    // Clockwise from north, in [0, 180): north is the second axis.
    double orientation = std::atan2(2.0 * d.qEastNorth, d.qNorth - d.qEast) / kDeg / 2.0;
    if (orientation < 0.0)
        orientation += 180.0;
    if (std::lround(orientation * 10.0) >= 1800)
        orientation = 0.0;

    const size_t start = BeginSentence(out, "GNGST");
    out += ',';
    AppendTime(out, fix.time);
    for (const double value : {fix.residualRms, major, minor}) {
        out += ',';
        AppendRounded(out, value, 2);
    }
    out += ',';
    AppendRounded(out, orientation, 1);
    if (fix.knownSigma) {
        for (const double sigma : {fix.sigmaNorth, fix.sigmaEast, fix.sigmaUp}) {
            out += ',';
            AppendRounded(out, sigma, 2);
        }
    } else {
        for (const double q : {d.qNorth, d.qEast, d.qUp}) {
            out += ',';
            AppendRounded(out, std::sqrt(variance * q), 2);
        }
    }
    FinishSentence(out, start);
}

void AppendGsa(std::string& out, const char* address, const SatelliteList& used, const Dops& dops, int systemId)
{
    const size_t start = BeginSentence(out, address);
    out += ",A,3";
    for (size_t i = 0; i < kGsaSlots; ++i) {
        out += ',';
        if (i < used.size())
            AppendInt(out, used[i]->number, 2);
    }
    out += ',';
    AppendRounded(out, dops.pdop, 2);
    out += ',';
    AppendRounded(out, dops.hdop, 2);
    out += ',';
    AppendRounded(out, dops.vdop, 2);
    if (systemId > 0) {
        out += ',';
        AppendInt(out, systemId);
    }
    FinishSentence(out, start);
}

void AppendGsv(std::string& out, const char* address, const SatelliteList& inView, int signal, char signalId)
{
    const size_t count = inView.size();
    const size_t sentences = count == 0 ? 1 : (count + kGsvPerSentence - 1) / kGsvPerSentence;
    for (size_t k = 0; k < sentences; ++k)
        AppendGsvSentence(out, address, inView, k, sentences, signal, signalId);
}

void AppendGll(std::string& out, const Fix& fix)
{
    const size_t start = BeginSentence(out, "GPGLL");
    out += ',';
    AppendPosition(out, fix);
    out += ',';
    AppendTime(out, fix.time);
    out += ",A,A";
    FinishSentence(out, start);
}

void AppendZda(std::string& out, const char* address, const Fix& fix)
{
    const size_t start = BeginSentence(out, address);
    out += ',';
    AppendTime(out, fix.time);
    out += ',';
    AppendInt(out, fix.time.date.day, 2);
    out += ',';
    AppendInt(out, fix.time.date.month, 2);
    out += ',';
    AppendInt(out, fix.time.date.year, 4);
    out += ",00,00";
    FinishSentence(out, start);
}

}  // namespace orvane::loggen
