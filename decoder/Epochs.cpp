// SPDX-License-Identifier: GPL-3.0-or-later
// The epoch reader. One pass over the text: each line is found with
// memchr, its sentence's "*" with memchr, the checksum taken eight bytes at
// a time, and each field read where it stands by a cursor that checks its
// form as it converts it. The satellites of the open epoch are found by
// constellation and PRN in a table stamped with the epoch's number, so
// nothing is cleared between epochs.

#include "Epochs.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "FieldConvert.h"

namespace orvane {

namespace {

constexpr double kKnotsToMs = 1852.0 / 3600.0;
constexpr double kKmhToMs = 1.0 / 3.6;
constexpr int32_t kMsPerDay = 86400000;
constexpr int kPrnLimit = 512;           // PRNs the satellite key holds
constexpr size_t kMostSatellites = 255;  // per epoch
constexpr int kSignalBits = 16;

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
    1e16, 1e17, 1e18};

// The XOR of the body's bytes, eight at a time; false when the body holds
// a "$" or a "*" (a sentence that lost its end runs into the next one, or
// its checksum is not where the line ends).
bool Checksum(const char* p, size_t n, unsigned& sum)
{
    const size_t length = n;
    constexpr uint64_t kDollars = 0x2424242424242424ULL;
    constexpr uint64_t kStars = 0x2a2a2a2a2a2a2a2aULL;
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    constexpr uint64_t kHighBits = 0x8080808080808080ULL;
    uint64_t words = 0;
    uint64_t stray = 0;
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        words ^= word;
        const uint64_t x = word ^ kDollars;
        const uint64_t y = word ^ kStars;
        stray |= ((x - kOnes) & ~x & kHighBits) | ((y - kOnes) & ~y & kHighBits);
    }
    words ^= words >> 32;
    words ^= words >> 16;
    words ^= words >> 8;
    sum = unsigned(words & 0xff);
    if (n != 0 && length >= 8) {
        // The last bytes as the top of the word that ends with them.
        uint64_t word;
        std::memcpy(&word, p + n - 8, 8);
        word >>= 8 * (8 - n);
        word ^= word >> 32;
        word ^= word >> 16;
        word ^= word >> 8;
        sum ^= unsigned(word & 0xff);
        std::memcpy(&word, p + n - 8, 8);
        const uint64_t x = (word ^ kDollars) | (~uint64_t(0) >> (8 * n));
        const uint64_t y = (word ^ kStars) | (~uint64_t(0) >> (8 * n));
        stray |= ((x - kOnes) & ~x & kHighBits) | ((y - kOnes) & ~y & kHighBits);
        n = 0;
    }
    for (; n != 0; ++p, --n) {
        sum ^= static_cast<unsigned char>(*p);
        stray |= *p == '$' || *p == '*';
    }
    return stray == 0;
}

// The value of a hexadecimal digit, or -1.
int Hex(char c)
{
    if (unsigned(c - '0') < 10)
        return c - '0';
    if (unsigned(c - 'A') < 6)
        return c - 'A' + 10;
    return -1;
}

// Reads the fields of one sentence body (after the address, up to "*")
// in order. Each reader takes the next field: false when it is empty or
// missing (a sentence of an older NMEA version ends early); a field that is
// not of its form also sets bad.
class Fields {
public:
    Fields(const char* p, const char* end) : m_P(p), m_End(end) { }

    bool bad = false;

    bool AtEnd() const { return m_P >= m_End; }

    void Skip()
    {
        while (m_P < m_End && *m_P != ',')
            ++m_P;
        if (m_P < m_End)
            ++m_P;
    }

    const char* Position() const { return m_P; }
    // Where the sentence's last field begins.
    const char* LastField() const
    {
        const char* p = m_End;
        while (p > m_P && p[-1] != ',')
            --p;
        return p;
    }

    // A field of one hexadecimal digit.
    bool HexDigit(int32_t& value)
    {
        const char* const start = m_P;
        const int digit = m_P < m_End ? Hex(*m_P) : -1;
        if (digit >= 0)
            ++m_P;
        return Close(start, true, [&] { value = digit; });
    }

    // Digits with an optional minus.
    bool Integer(int32_t& value)
    {
        const bool negative = m_P < m_End && *m_P == '-';
        const char* const start = m_P;
        m_P += negative;
        uint32_t v = 0;
        while (m_P < m_End && unsigned(*m_P - '0') < 10)
            v = v * 10 + unsigned(*m_P++ - '0');
        const bool ok = m_P - start - negative <= 9 && m_P - start > negative;
        return Close(start, ok, [&] { value = negative ? -int32_t(v) : int32_t(v); });
    }

    // A field of digits only (at most nine).
    bool Unsigned(int32_t& value)
    {
        const char* const start = m_P;
        uint32_t v = 0;
        while (m_P < m_End && unsigned(*m_P - '0') < 10)
            v = v * 10 + unsigned(*m_P++ - '0');
        return Close(start, m_P - start <= 9, [&] { value = int32_t(v); });
    }

    // A decimal number: an optional minus, digits with at most one point.
    bool Decimal(double& value)
    {
        const char* const start = m_P;
        const bool negative = m_P < m_End && *m_P == '-';
        m_P += negative;
        uint64_t mantissa = 0;
        int digits = 0;
        int fraction = -1;
        for (; m_P < m_End; ++m_P) {
            const unsigned digit = unsigned(*m_P - '0');
            if (digit < 10) {
                mantissa = mantissa * 10 + digit;
                ++digits;
                fraction += fraction >= 0;
            } else if (*m_P == '.' && fraction < 0) {
                fraction = 0;
            } else {
                break;
            }
        }
        const bool ok = digits != 0 && digits <= 18;
        return Close(start, ok, [&] {
            const double magnitude = double(mantissa) / kPowersOfTen[fraction > 0 ? fraction : 0];
            value = negative ? -magnitude : magnitude;
        });
    }

    bool Float(float& value)
    {
        double read = 0;
        if (!Decimal(read))
            return false;
        value = float(read);
        return true;
    }

    bool Letter(char& value)
    {
        const char* const start = m_P;
        if (m_P < m_End && *m_P != ',')
            ++m_P;
        return Close(start, true, [&] { value = *start; });
    }

    // Letters up to the capacity of out, the rest zero.
    bool Letters(std::array<char, 8>& out)
    {
        const char* const start = m_P;
        while (m_P < m_End && *m_P >= 'A' && *m_P <= 'Z')
            ++m_P;
        const size_t count = size_t(m_P - start);
        return Close(start, count <= out.size(), [&] {
            out = {};
            std::memcpy(out.data(), start, count);
        });
    }

    // hhmmss with any number of decimals: milliseconds since midnight.
    bool Time(int32_t& ms)
    {
        const char* const start = m_P;
        int32_t whole = 0;
        for (; m_P < m_End && unsigned(*m_P - '0') < 10; ++m_P) {
            if (m_P - start < 6)
                whole = whole * 10 + (*m_P - '0');
        }
        bool ok = m_P - start == 6;
        int32_t fraction = 0;
        if (m_P < m_End && *m_P == '.') {
            ++m_P;
            int scale = 100;
            for (; m_P < m_End && unsigned(*m_P - '0') < 10; ++m_P, scale /= 10)
                fraction += (*m_P - '0') * scale;
        }
        const int32_t hours = whole / 10000, minutes = whole / 100 % 100, seconds = whole % 100;
        ok = ok && hours < 24 && minutes < 60 && seconds <= 60;
        return Close(start, ok, [&] { ms = ((hours * 60 + minutes) * 60 + seconds) * 1000 + fraction; });
    }

    // (d)ddmm.mmmm and its hemisphere letter: signed degrees. The letter
    // alone gives the sign (some receivers also write a minus sign).
    bool Coordinate(double& degrees, char positive, char negative, double limit)
    {
        double value = 0;
        char hemisphere = 0;
        const bool number = Decimal(value);
        const bool letter = Letter(hemisphere);
        if (!number || !letter)
            return false;
        value = std::fabs(value);
        const double whole = std::trunc(value / 100.0);
        const double minutes = value - whole * 100.0;
        const double result = whole + minutes / 60.0;
        if (minutes >= 60.0 || result > limit || (hemisphere != positive && hemisphere != negative)) {
            bad = true;
            return false;
        }
        degrees = hemisphere == positive ? result : -result;
        return true;
    }

private:
    // Ends the field: it must stop at a comma or the end of the body. An
    // empty field reads as absent; a good one is stored.
    template <class Store>
    bool Close(const char* start, bool ok, Store store)
    {
        if (m_P >= m_End) {
            if (m_P == start)
                return false;
        } else if (*m_P != ',') {
            bad = true;
            Skip();
            return false;
        } else if (m_P == start) {
            ++m_P;
            return false;
        }
        if (m_P < m_End)
            ++m_P;
        if (!ok) {
            bad = true;
            return false;
        }
        store();
        return true;
    }

    const char* m_P;
    const char* m_End;
};

// A satellite of the open epoch while its sentences come.
struct OpenSatellite {
    uint16_t key = 0;
    uint16_t place = 0;
    uint16_t signalBits = 0;
    std::array<uint8_t, kSignalBits> cn0{};
};

// What one GSV sentence reports.
struct GsvReport {
    // Filled by the reader up to count; left unset beyond, as the reader
    // runs for most lines of a log.
    struct Satellite {
        int32_t prn, elevation, azimuth, snr;
        bool hasPlace;
    };
    std::array<Satellite, 4> satellites;
    size_t count = 0;
    int32_t signal = 0;  // the signal ID; 0 when not given
};

#if defined(__SSE2__)
// The usual GSV sentence read at once: its fields found by a mask of its
// commas taken sixteen bytes at a time, each number read from its digits
// by multiplication. The text must be readable for 64 bytes from body.
// False, having read nothing, for any field out of the plain form (a minus,
// a long field ...): Fields then reads the sentence.
bool QuickGsv(const char* body, const char* end, GsvReport& report)
{
    const auto length = size_t(end - body);
    if (length >= 64)
        return false;
    uint64_t commas = 0, others = 0;
    for (size_t at = 0; at < 64; at += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(body + at));
        const auto comma = uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(',')))));
        const __m128i low = _mm_cmplt_epi8(chunk, _mm_set1_epi8('0'));
        const __m128i high = _mm_cmpgt_epi8(chunk, _mm_set1_epi8('9'));
        const auto other = uint64_t(unsigned(_mm_movemask_epi8(_mm_or_si128(low, high))));
        commas |= comma << at;
        others |= other << at;
    }
    // The body alone, its end a comma like the others.
    const uint64_t inside = (uint64_t(1) << length) - 1;
    commas = (commas & inside) | uint64_t(1) << length;
    uint8_t starts[24], lengths[24];
    size_t fields = 0;
    size_t from = 0;
    for (uint64_t bits = commas; bits != 0; bits &= bits - 1) {
        const auto comma = size_t(std::countr_zero(bits));
        if (fields == 24)
            return false;
        starts[fields] = uint8_t(from);
        lengths[fields] = uint8_t(comma - from);
        ++fields;
        from = comma + 1;
    }
    if (fields < 3)
        return false;
    const size_t rest = fields - 3;
    const size_t groups = rest / 4;
    if (groups > 4 || rest % 4 > 1)
        return false;
    // Digits only, but in the signal ID's field.
    uint64_t numbers = inside & ~commas;
    if (rest % 4 == 1)
        numbers &= (uint64_t(1) << starts[fields - 1]) - 1;
    if ((others & numbers) != 0)
        return false;
    const auto digits = [&](size_t field) {
        const size_t count = lengths[field];
        if (count == 0)
            return int32_t(0);
        uint64_t word;
        std::memcpy(&word, body + starts[field], 8);
        word = (word - 0x3030303030303030ULL) << 8 * (8 - count);
        word = word * 10 + (word >> 8);
        word = ((word & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32)) +
                   ((word >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32))) >>
               32;
        return int32_t(word);
    };
    report.count = 0;
    for (size_t g = 0; g < groups; ++g) {
        const size_t field = 3 + 4 * g;
        if ((lengths[field] | lengths[field + 1] | lengths[field + 2] | lengths[field + 3]) > 8)
            return false;
        GsvReport::Satellite& r = report.satellites[report.count];
        r.prn = digits(field);
        r.elevation = digits(field + 1);
        r.azimuth = digits(field + 2);
        r.snr = digits(field + 3);
        r.hasPlace = lengths[field + 1] != 0 && lengths[field + 2] != 0 && r.elevation <= 90 && r.azimuth <= 360;
        report.count += lengths[field] != 0;
    }
    report.signal = 0;
    if (rest % 4 == 1) {
        const size_t field = fields - 1;
        if (lengths[field] > 1)
            return false;
        if (lengths[field] == 1) {
            report.signal = Hex(body[starts[field]]);
            if (report.signal < 0)
                return false;
        }
    }
    return true;
}
#endif

}  // namespace

int EpochSatellite::SignalCount() const
{
    return std::popcount(signalBits);
}

char EpochSignalId(int bit)
{
    return bit <= 0 || bit >= kSignalBits ? 0 : "0123456789ABCDEF"[bit];
}

int64_t DaysFromDate(const EpochDate& date)
{
    // Howard Hinnant's days_from_civil.
    const int64_t year = int64_t(date.year) - (date.month <= 2);
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (date.month > 2 ? date.month - 3 : date.month + 9) + 2) / 5 + date.day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

EpochDate DateFromDays(int64_t days)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const int64_t year = yearOfEra + era * 400 + (month <= 2);
    return {uint16_t(year), uint8_t(month), uint8_t(day)};
}

int Epoch::UsedTotal() const
{
    int total = 0;
    for (const uint8_t count : used)
        total += count;
    return total;
}

int Epoch::InViewTotal() const
{
    int total = 0;
    for (const uint8_t count : inView)
        total += count;
    return total;
}

size_t EpochLog::RecordBytes() const
{
    return epochs.size() * sizeof(Epoch) + satellites.size() * sizeof(EpochSatellite) + cn0.size();
}

struct EpochReader::State {
    explicit State(EpochLog& log) : log(log) { }

    void Feed(std::string_view text);
    void Line(const char* begin, const char* end);
    // A line without its line ends.
    void Segment(const char* begin, const char* end);
    // False, having read nothing, when the body holds a "$" or a "*".
    bool Sentence(const char* dollar, const char* star);
    void Finish();

    // A time arrived: the open epoch takes it, or closes for a new one.
    void Timed(int32_t ms);
    void Close();
    void TakePosition(double latitude, double longitude, int rank);

    void Gga(Fields& f);
    void Rmc(Fields& f);
    void Gns(Fields& f);
    void Gll(Fields& f);
    void Gsa(Fields& f, std::string_view talker);
    void Gsv(Fields& f, std::string_view talker);
    void TakeGsv(const GsvReport& report, std::string_view talker);
    void Gst(Fields& f);
    void Vtg(Fields& f);
    void Zda(Fields& f);

    EpochLog& log;
    // The end of the text being read: a sentence before it may be read
    // ahead past its own end.
    const char* textEnd = nullptr;
    std::string rest;           // the unfinished line kept from the last piece
    bool skippingLine = false;  // dropping an overlong line up to its end

    Epoch open;
    bool isOpen = false;
    bool timed = false;
    uint64_t openSentences = 0;
    int positionRank = -1;  // of the sentence the position came from: GLL 0, RMC 1, GNS 2, GGA 3
    EpochDate ownDate;      // the open epoch's date from its own sentences

    // The satellites in view of the open epoch, and where each lies by
    // constellation and PRN (valid where the stamp is the epoch's).
    std::vector<OpenSatellite> inView;
    uint32_t stamp = 1;
    std::array<std::array<uint32_t, kPrnLimit>, kConstellationCount> slotStamp{};
    std::array<std::array<uint8_t, kPrnLimit>, kConstellationCount> slot{};
    std::array<std::array<uint32_t, kPrnLimit>, kConstellationCount> usedStamp{};

    // The date and time of the last epoch closed, for epochs without a date
    // of their own.
    EpochDate lastDate;
    int32_t lastTime = -1;
};

EpochReader::EpochReader(EpochLog& log) : m_State(std::make_unique<State>(log)) { }

EpochReader::~EpochReader() = default;

void EpochReader::Feed(std::string_view text)
{
    m_State->Feed(text);
}

void EpochReader::Finish()
{
    m_State->Finish();
}

bool EpochReader::Open() const
{
    return m_State->isOpen;
}

EpochLog ReadEpochs(std::string_view text)
{
    EpochLog log;
    EpochReader reader(log);
    reader.Feed(text);
    reader.Finish();
    return log;
}

void EpochReader::State::Feed(std::string_view text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    if (skippingLine || !rest.empty()) {
        // The kept line goes on up to its end in this piece.
        const char* lineEnd = p;
        while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r')
            ++lineEnd;
        if (!skippingLine) {
            const size_t room = kLongestLine - rest.size();
            if (size_t(lineEnd - p) > room) {
                rest.clear();
                skippingLine = true;
                ++log.linesTooLong;
            } else {
                rest.append(p, lineEnd);
            }
        }
        if (lineEnd == end)
            return;
        if (!skippingLine) {
            textEnd = rest.data() + rest.size();
            Line(rest.data(), textEnd);
        }
        rest.clear();
        skippingLine = false;
        p = lineEnd + 1;
    }
    textEnd = end;
#if defined(__SSE2__)
    // The line ends of 64 bytes at a time as a mask, rather than a search
    // per line.
    for (const char* block = p; end - block >= 64; block += 64) {
        uint64_t newlines = 0;
        for (int at = 0; at < 64; at += 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + at));
            newlines |= uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('\n'))))) << at;
        }
        for (; newlines != 0; newlines &= newlines - 1) {
            const char* const newline = block + std::countr_zero(newlines);
            Line(p, newline);
            p = newline + 1;
        }
    }
#endif
    while (p < end) {
        const auto* newline = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        if (!newline)
            break;
        Line(p, newline);
        p = newline + 1;
    }
    // What follows the last LF: lines ended by CR alone, then the rest.
    const char* tail = p;
    for (const char* q = end; q > tail; --q) {
        if (q[-1] == '\r') {
            Line(tail, q - 1);
            p = q;
            break;
        }
    }
    if (p < end) {
        if (size_t(end - p) > kLongestLine) {
            skippingLine = true;
            ++log.linesTooLong;
        } else {
            rest.assign(p, end);
        }
    }
}

void EpochReader::State::Line(const char* begin, const char* end)
{
    // A CR ends a line as LF does, wherever it stands: what lies between
    // two line ends is the same whether the text came whole or in pieces.
    for (const char* cr; (cr = static_cast<const char*>(std::memchr(begin, '\r', size_t(end - begin))));) {
        Segment(begin, cr);
        begin = cr + 1;
    }
    Segment(begin, end);
}

void EpochReader::State::Segment(const char* begin, const char* end)
{
    if (size_t(end - begin) > kLongestLine) {
        ++log.linesTooLong;
        return;
    }
    // Nearly every line is one sentence: "$", the body and "*hh". Read at
    // once when its body holds no other "$" or "*", which is what the
    // search below would find too.
    if (end - begin >= 9 && begin[0] == '$' && end[-3] == '*' && Sentence(begin, end - 3))
        return;
    // A line may hold more than one sentence (one glued to the sentence
    // before it, which lost its end).
    for (const char* p = begin; p < end;) {
        const auto* dollar = static_cast<const char*>(std::memchr(p, '$', size_t(end - p)));
        if (!dollar)
            return;
        const auto* star = static_cast<const char*>(std::memchr(dollar, '*', size_t(end - dollar)));
        const char* const next = dollar + 1 < end
                                     ? static_cast<const char*>(std::memchr(dollar + 1, '$', size_t(end - dollar - 1)))
                                     : nullptr;
        if (!star || (next && next < star) || end - star < 3) {
            // No "*hh" before the line or the next sentence begins.
            if (end - dollar >= 6)
                ++log.badChecksum;
            if (!next)
                return;
            p = next;
            continue;
        }
        Sentence(dollar, star);
        p = star + 1;
    }
}

bool EpochReader::State::Sentence(const char* dollar, const char* star)
{
    const size_t bodyLength = size_t(star - dollar - 1);
    unsigned sum = 0;
    if (!Checksum(dollar + 1, bodyLength, sum))
        return false;
    if (bodyLength < 5 || dollar[1] == 'P')
        return true;  // no talker and type, or a proprietary sentence
    const std::string_view talker(dollar + 1, 2);
    const std::string_view type(dollar + 3, 3);
    // Only the types read here count, and are checked.
    enum class Kind { Gga, Rmc, Gns, Gll, Gsa, Gsv, Gst, Vtg, Zda, Other };
    Kind kind = Kind::Other;
    switch (type[0] << 16 | type[1] << 8 | type[2]) {
    case 'G' << 16 | 'G' << 8 | 'A':
        kind = Kind::Gga;
        break;
    case 'R' << 16 | 'M' << 8 | 'C':
        kind = Kind::Rmc;
        break;
    case 'G' << 16 | 'N' << 8 | 'S':
        kind = Kind::Gns;
        break;
    case 'G' << 16 | 'L' << 8 | 'L':
        kind = Kind::Gll;
        break;
    case 'G' << 16 | 'S' << 8 | 'A':
        kind = Kind::Gsa;
        break;
    case 'G' << 16 | 'S' << 8 | 'V':
        kind = Kind::Gsv;
        break;
    case 'G' << 16 | 'S' << 8 | 'T':
        kind = Kind::Gst;
        break;
    case 'V' << 16 | 'T' << 8 | 'G':
        kind = Kind::Vtg;
        break;
    case 'Z' << 16 | 'D' << 8 | 'A':
        kind = Kind::Zda;
        break;
    default:
        return true;
    }
    const int high = Hex(star[1]);
    const int low = high < 0 ? -1 : Hex(star[2]);
    if (low < 0 || unsigned(high << 4 | low) != sum) {
        ++log.badChecksum;
        return true;
    }
    if (bodyLength == 5 || dollar[6] != ',') {
        ++log.notParsed;
        return true;
    }

    // Each type reads all its fields before it changes anything, and
    // changes nothing when one is not of its form.
    Fields f(dollar + 7, star);
    switch (kind) {
    case Kind::Gga:
        Gga(f);
        break;
    case Kind::Rmc:
        Rmc(f);
        break;
    case Kind::Gns:
        Gns(f);
        break;
    case Kind::Gll:
        Gll(f);
        break;
    case Kind::Gsa:
        Gsa(f, talker);
        break;
    case Kind::Gsv: {
#if defined(__SSE2__)
        GsvReport report;
        if (dollar + 7 + 64 <= textEnd && QuickGsv(dollar + 7, star, report)) {
            TakeGsv(report, talker);
            break;
        }
#endif
        Gsv(f, talker);
        break;
    }
    case Kind::Gst:
        Gst(f);
        break;
    case Kind::Vtg:
        Vtg(f);
        break;
    case Kind::Zda:
        Zda(f);
        break;
    case Kind::Other:
        break;
    }
    if (f.bad) {
        ++log.notParsed;
        return true;
    }
    ++log.sentences;
    ++openSentences;
    isOpen = true;
    return true;
}

void EpochReader::State::Finish()
{
    if (skippingLine) {
        skippingLine = false;
    } else if (!rest.empty()) {
        const std::string line = std::move(rest);
        rest.clear();
        textEnd = line.data() + line.size();
        Line(line.data(), textEnd);
    }
    if (isOpen)
        Close();
}

void EpochReader::State::Timed(int32_t ms)
{
    if (isOpen && timed && ms != open.timeMs)
        Close();
    if (!timed) {
        timed = true;
        open.timeMs = ms;
    }
    isOpen = true;
}

void EpochReader::State::Close()
{
    if (!timed) {
        log.withoutTime += openSentences;
    } else {
        // The date: its own, else the last epoch's, a day on where the time
        // went back past midnight.
        if (ownDate.Known()) {
            open.date = ownDate;
        } else if (lastDate.Known()) {
            open.date = lastDate;
            if (lastTime >= 0 && open.timeMs < lastTime - kMsPerDay / 2)
                open.date = DateFromDays(DaysFromDate(lastDate) + 1);
        }
        lastDate = open.date;
        lastTime = open.timeMs;

        open.firstSatellite = uint32_t(log.satellites.size());
        open.firstCn0 = uint32_t(log.cn0.size());
        open.satelliteCount = uint16_t(inView.size());
        for (OpenSatellite& satellite : inView) {
            const auto system = size_t((satellite.key >> 9) & 7);
            const size_t prn = satellite.key & 0x1ff;
            if (usedStamp[system][prn] == stamp)
                satellite.key |= 1 << 12;
            log.satellites.push_back({satellite.key, satellite.place, satellite.signalBits});
            for (uint32_t bits = satellite.signalBits; bits != 0; bits &= bits - 1)
                log.cn0.push_back(satellite.cn0[size_t(std::countr_zero(bits))]);
        }
        log.epochs.push_back(open);
    }
    open = Epoch();
    isOpen = false;
    timed = false;
    openSentences = 0;
    positionRank = -1;
    ownDate = {};
    inView.clear();
    ++stamp;
}

void EpochReader::State::TakePosition(double latitude, double longitude, int rank)
{
    if (rank < positionRank)
        return;
    positionRank = rank;
    open.latitude = latitude;
    open.longitude = longitude;
    open.flags |= Epoch::kPosition;
}

// $GPGGA,hhmmss.ss,llll.ll,a,yyyyy.yy,a,q,nn,h.h,a.a,M,g.g,M,age,station
void EpochReader::State::Gga(Fields& f)
{
    int32_t ms = 0;
    const bool hasTime = f.Time(ms);
    double latitude = 0, longitude = 0;
    bool position = f.Coordinate(latitude, 'N', 'S', 90);
    position = f.Coordinate(longitude, 'E', 'W', 180) && position;
    int32_t quality = 0;
    const bool hasQuality = f.Unsigned(quality);
    f.Skip();  // satellites used: the GSAs count them per constellation
    float hdop = 0, height = 0, separation = 0, age = 0;
    const bool hasHdop = f.Float(hdop);
    const bool hasHeight = f.Float(height);
    f.Skip();
    const bool hasSeparation = f.Float(separation);
    f.Skip();
    const bool hasAge = f.Float(age);
    int32_t station = 0;
    const bool hasStation = f.Unsigned(station);
    if (f.bad)
        return;
    if (hasTime)
        Timed(ms);
    if (hasQuality)
        open.quality = int8_t(std::min(quality, 99));
    if (hasHdop && std::isnan(open.hdop))
        open.hdop = hdop;
    if (hasAge)
        open.correctionAge = age;
    if (hasStation)
        open.stationId = uint16_t(std::min(station, 0xfffe));
    if (hasQuality && quality > 0 && position) {
        TakePosition(latitude, longitude, 3);
        if (hasHeight) {
            open.heightMsl = height;
            open.flags |= Epoch::kHeight;
        }
        if (hasSeparation) {
            open.geoidSeparation = separation;
            open.flags |= Epoch::kSeparation;
        }
    }
}

// $GPRMC,hhmmss.ss,A,llll.ll,a,yyyyy.yy,a,knots,course,ddmmyy,var,E,mode,nav
void EpochReader::State::Rmc(Fields& f)
{
    int32_t ms = 0;
    const bool hasTime = f.Time(ms);
    char status = 0;
    f.Letter(status);
    double latitude = 0, longitude = 0;
    bool position = f.Coordinate(latitude, 'N', 'S', 90);
    position = f.Coordinate(longitude, 'E', 'W', 180) && position;
    float knots = 0, course = 0;
    const bool hasSpeed = f.Float(knots);
    const bool hasCourse = f.Float(course);
    int32_t date = 0;
    const bool hasDate = f.Unsigned(date);
    f.Skip();
    f.Skip();
    char mode = 0;
    const bool hasMode = f.Letter(mode);
    if (f.bad)
        return;
    if (hasTime)
        Timed(ms);
    if (hasMode)
        open.rmcMode = mode;
    const bool fix = status == 'A' && (!hasMode || mode != 'N');
    if (fix && position)
        TakePosition(latitude, longitude, 1);
    if (fix && hasSpeed)
        open.speed = float(knots * kKnotsToMs);
    if (fix && hasCourse)
        open.course = course;
    if (hasDate) {
        const int day = date / 10000, month = date / 100 % 100, year = date % 100;
        if (day >= 1 && day <= 31 && month >= 1 && month <= 12)
            ownDate = {uint16_t(year < 80 ? 2000 + year : 1900 + year), uint8_t(month), uint8_t(day)};
    }
}

// $GNGNS,hhmmss.ss,llll.ll,a,yyyyy.yy,a,modes,nn,h.h,alt,sep,age,station,nav
void EpochReader::State::Gns(Fields& f)
{
    int32_t ms = 0;
    const bool hasTime = f.Time(ms);
    double latitude = 0, longitude = 0;
    bool position = f.Coordinate(latitude, 'N', 'S', 90);
    position = f.Coordinate(longitude, 'E', 'W', 180) && position;
    std::array<char, 8> modes{};
    const bool hasModes = f.Letters(modes);
    f.Skip();
    float hdop = 0, height = 0, separation = 0, age = 0;
    const bool hasHdop = f.Float(hdop);
    const bool hasHeight = f.Float(height);
    const bool hasSeparation = f.Float(separation);
    const bool hasAge = f.Float(age);
    int32_t station = 0;
    const bool hasStation = f.Unsigned(station);
    if (f.bad)
        return;
    if (hasTime)
        Timed(ms);
    if (hasModes)
        open.gnsModes = modes;
    if (hasHdop && std::isnan(open.hdop))
        open.hdop = hdop;
    if (hasAge)
        open.correctionAge = age;
    if (hasStation)
        open.stationId = uint16_t(std::min(station, 0xfffe));
    // A fix when any constellation's letter says one.
    const bool fix = hasModes && std::any_of(modes.begin(), modes.end(), [](char c) { return c != 0 && c != 'N'; });
    if (fix && position && positionRank <= 2) {
        TakePosition(latitude, longitude, 2);
        if (hasHeight && !open.Has(Epoch::kHeight)) {
            open.heightMsl = height;
            open.flags |= Epoch::kHeight;
        }
        if (hasSeparation && !open.Has(Epoch::kSeparation)) {
            open.geoidSeparation = separation;
            open.flags |= Epoch::kSeparation;
        }
    }
}

// $GPGLL,llll.ll,a,yyyyy.yy,a,hhmmss.ss,A,mode
void EpochReader::State::Gll(Fields& f)
{
    double latitude = 0, longitude = 0;
    bool position = f.Coordinate(latitude, 'N', 'S', 90);
    position = f.Coordinate(longitude, 'E', 'W', 180) && position;
    int32_t ms = 0;
    const bool hasTime = f.Time(ms);
    char status = 0, mode = 0;
    f.Letter(status);
    const bool hasMode = f.Letter(mode);
    if (f.bad)
        return;
    if (hasTime)
        Timed(ms);
    if (position && status == 'A' && (!hasMode || mode != 'N'))
        TakePosition(latitude, longitude, 0);
}

// $GNGSA,A,3,prn x12,pdop,hdop,vdop,system
void EpochReader::State::Gsa(Fields& f, std::string_view talker)
{
    f.Skip();
    int32_t fixType = 0;
    const bool hasFixType = f.Unsigned(fixType);
    std::array<int32_t, 12> prns{};
    for (int32_t& prn : prns)
        f.Unsigned(prn);
    float pdop = 0, hdop = 0, vdop = 0;
    const bool hasPdop = f.Float(pdop);
    const bool hasHdop = f.Float(hdop);
    const bool hasVdop = f.Float(vdop);
    int32_t system = 0;
    f.Unsigned(system);
    if (f.bad)
        return;
    if (hasFixType && fixType >= 1 && fixType <= 3)
        open.fixType = int8_t(fixType);
    if (hasPdop)
        open.pdop = pdop;
    if (hasHdop)
        open.hdop = hdop;
    if (hasVdop)
        open.vdop = vdop;
    open.flags |= Epoch::kSatellitesUsed;
    Constellation named = Constellation::Other;
    const bool hasSystem = ConstellationOfSystemId(system, 1, named);
    for (const int32_t prn : prns) {
        if (prn <= 0 || prn >= kPrnLimit)
            continue;
        Constellation constellation = Constellation::Other;
        if (!hasSystem || !ConstellationOfSystemId(system, prn, constellation))
            constellation = ConstellationOfTalker(talker, prn);
        uint32_t& mark = usedStamp[size_t(constellation)][size_t(prn)];
        if (mark != stamp) {
            mark = stamp;
            uint8_t& count = open.used[size_t(constellation)];
            count = uint8_t(std::min(count + 1, 255));
        }
    }
}

// $GPGSV,total,number,in view,(prn,elevation,azimuth,snr) x1-4,signal
void EpochReader::State::Gsv(Fields& f, std::string_view talker)
{
    // The sentence count, its number and the satellites in view: each
    // sentence's satellites are taken as they come, so a set that lost a
    // sentence still gives the rest.
    f.Skip();
    f.Skip();
    f.Skip();
    GsvReport report;
    const char* const last = f.LastField();
    while (!f.AtEnd() && !f.bad) {
        if (f.Position() == last) {
            // The field after the last satellite: NMEA 4.10's signal ID,
            // one hexadecimal digit.
            f.HexDigit(report.signal);
            break;
        }
        GsvReport::Satellite r{};
        const bool hasPrn = f.Unsigned(r.prn);
        const bool hasElevation = f.Integer(r.elevation);
        const bool hasAzimuth = f.Unsigned(r.azimuth);
        f.Unsigned(r.snr);
        r.hasPlace = hasElevation && hasAzimuth && r.elevation <= 90 && r.azimuth <= 360;
        r.elevation = std::max(r.elevation, 0);
        if (hasPrn && report.count < report.satellites.size())
            report.satellites[report.count++] = r;
    }
    if (!f.bad)
        TakeGsv(report, talker);
}

void EpochReader::State::TakeGsv(const GsvReport& report, std::string_view talker)
{
    open.flags |= Epoch::kSatellitesInView;
    const auto bit = report.signal <= 0 ? 0 : report.signal;
    const std::optional<Constellation> own = TalkerConstellation(talker);
    const bool fixedSystem = own && *own != Constellation::Gps;
    for (size_t k = 0; k < report.count; ++k) {
        const GsvReport::Satellite& r = report.satellites[k];
        if (r.prn <= 0 || r.prn >= kPrnLimit)
            continue;
        const Constellation constellation = fixedSystem ? *own : ConstellationOfTalker(talker, r.prn);
        const auto system = size_t(constellation);
        OpenSatellite* satellite;
        if (slotStamp[system][size_t(r.prn)] == stamp) {
            satellite = &inView[slot[system][size_t(r.prn)]];
        } else {
            if (inView.size() >= kMostSatellites)
                continue;
            slotStamp[system][size_t(r.prn)] = stamp;
            slot[system][size_t(r.prn)] = uint8_t(inView.size());
            satellite = &inView.emplace_back();
            satellite->key = uint16_t(r.prn | system << 9);
            uint8_t& inViewCount = open.inView[system];
            inViewCount = uint8_t(std::min(inViewCount + 1, 255));
        }
        // The first signal to give a place keeps it; a later band repeats it.
        if (r.hasPlace && !(satellite->key & 1 << 13)) {
            satellite->key |= 1 << 13;
            satellite->place = uint16_t((r.azimuth % 360) | r.elevation << 9);
        }
        // A second set of one signal in one epoch fills a C/N0 the first
        // left empty and keeps one it gave.
        const uint8_t snr = uint8_t(std::min(r.snr, 255));
        if (satellite->signalBits & 1 << bit) {
            if (satellite->cn0[size_t(bit)] == 0)
                satellite->cn0[size_t(bit)] = snr;
        } else {
            satellite->signalBits |= uint16_t(1 << bit);
            satellite->cn0[size_t(bit)] = snr;
        }
    }
}

// $GNGST,hhmmss.ss,rms,major,minor,orientation,sigma lat,sigma lon,sigma alt
void EpochReader::State::Gst(Fields& f)
{
    int32_t ms = 0;
    const bool hasTime = f.Time(ms);
    f.Skip();
    f.Skip();
    f.Skip();
    f.Skip();
    float latitude = 0, longitude = 0, height = 0;
    const bool hasLatitude = f.Float(latitude);
    const bool hasLongitude = f.Float(longitude);
    const bool hasHeight = f.Float(height);
    if (f.bad)
        return;
    if (hasTime)
        Timed(ms);
    if (hasLatitude)
        open.sigmaLatitude = latitude;
    if (hasLongitude)
        open.sigmaLongitude = longitude;
    if (hasHeight)
        open.sigmaHeight = height;
}

// $GPVTG,course,T,magnetic,M,knots,N,kmh,K,mode
void EpochReader::State::Vtg(Fields& f)
{
    float course = 0, knots = 0, kmh = 0;
    const bool hasCourse = f.Float(course);
    f.Skip();
    f.Skip();
    f.Skip();
    const bool hasKnots = f.Float(knots);
    f.Skip();
    const bool hasKmh = f.Float(kmh);
    f.Skip();
    char mode = 0;
    const bool hasMode = f.Letter(mode);
    if (f.bad || (hasMode && mode == 'N'))
        return;
    if (hasCourse)
        open.course = course;
    if (hasKmh)
        open.speed = float(kmh * kKmhToMs);
    else if (hasKnots)
        open.speed = float(knots * kKnotsToMs);
}

// $GPZDA,hhmmss.ss,dd,mm,yyyy,zone hours,zone minutes
void EpochReader::State::Zda(Fields& f)
{
    int32_t ms = 0;
    const bool hasTime = f.Time(ms);
    int32_t day = 0, month = 0, year = 0;
    bool hasDate = f.Unsigned(day);
    hasDate = f.Unsigned(month) && hasDate;
    hasDate = f.Unsigned(year) && hasDate;
    if (f.bad)
        return;
    if (hasTime)
        Timed(ms);
    if (hasDate && day >= 1 && day <= 31 && month >= 1 && month <= 12 && year >= 1980 && year <= 9999)
        ownDate = {uint16_t(year), uint8_t(month), uint8_t(day)};
}

}  // namespace orvane
