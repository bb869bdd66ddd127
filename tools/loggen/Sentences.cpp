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

// hhmmss.00: the receiver reports whole seconds.
void AppendTime(std::string& out, const EpochTime& time)
{
    AppendInt(out, time.hour, 2);
    AppendInt(out, time.minute, 2);
    AppendInt(out, time.second, 2);
    out += ".00";
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
    size_t sentences)
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
        AppendInt(out, s.prn, 2);
        out += ',';
        AppendInt(out, std::lround(std::min(s.elevation, 90.0)), 2);
        out += ',';
        AppendInt(out, std::lround(s.azimuth) % 360, 3);  // 359.6 rounds to 000
        out += ',';
        if (s.tracked)
            AppendInt(out, s.snr, 2);
    }
    FinishSentence(out, start);
}

}  // namespace

void AppendRmc(std::string& out, const char* address, const Fix& fix)
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
    FinishSentence(out, start);
}

void AppendVtg(std::string& out, const Fix& fix)
{
    const size_t start = BeginSentence(out, "GPVTG");
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

void AppendGsa(std::string& out, const char* address, const SatelliteList& used, const Dops& dops)
{
    const size_t start = BeginSentence(out, address);
    out += ",A,3";
    for (size_t i = 0; i < kGsaSlots; ++i) {
        out += ',';
        if (i < used.size())
            AppendInt(out, used[i]->prn, 2);
    }
    out += ',';
    AppendRounded(out, dops.pdop, 2);
    out += ',';
    AppendRounded(out, dops.hdop, 2);
    out += ',';
    AppendRounded(out, dops.vdop, 2);
    FinishSentence(out, start);
}

void AppendGsv(std::string& out, const char* address, const SatelliteList& inView)
{
    const size_t count = inView.size();
    const size_t sentences = count == 0 ? 1 : (count + kGsvPerSentence - 1) / kGsvPerSentence;
    for (size_t k = 0; k < sentences; ++k)
        AppendGsvSentence(out, address, inView, k, sentences);
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

void AppendZda(std::string& out, const Fix& fix)
{
    const size_t start = BeginSentence(out, "GPZDA");
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
