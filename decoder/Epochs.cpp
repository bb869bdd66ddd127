// SPDX-License-Identifier: GPL-3.0-or-later
// The epoch reader. One pass over the text: with SSE2 the line ends are
// found 64 bytes at a time and each sentence's checksum taken sixteen
// bytes at a time (with the masks of commas and digits the quick GSV and
// GSA readers take their fields from), without it byte by byte and eight
// bytes at a time; each other field is read where it stands by a cursor
// that checks its form. Numbers are kept as their digits and converted only
// where the epoch stores them; a GSA that comes again byte for byte is
// taken as before, unread (SentenceMemo.h), and so is a time or coordinate
// that is the text last read (FieldMemo). The satellites of the open
// epoch are found by constellation and PRN in a table stamped with the
// epoch's number, so nothing is cleared between epochs.

#include "Epochs.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Calendar.h"
#include "FieldConvert.h"
#include "SentenceMemo.h"
#include "VectorGrowth.h"

namespace orvane {

namespace {

constexpr double kKnotsToMs = 1852.0 / 3600.0;
constexpr double kKmhToMs = 1.0 / 3.6;
constexpr int32_t kMsPerDay = 86400000;
constexpr int kPrnLimit = 512;           // PRNs the satellite key holds
constexpr size_t kMostSatellites = 255;  // per epoch
constexpr int kSignalBits = 16;
// A text read at once from this size on reserves its records once the
// first kReserveJudged bytes are read (with SSE2, where Feed reads it in
// blocks).
[[maybe_unused]] constexpr size_t kReserveFrom = size_t(8) << 20;
[[maybe_unused]] constexpr size_t kReserveJudged = size_t(1) << 20;

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
    1e16, 1e17, 1e18};

constexpr uint64_t kIntegerPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000,
    10000000000, 100000000000};

// A decimal number as written: its digits as one integer, those before the
// point alone, how many follow it, and its sign. Fields read it and check
// its form; its value is worked out only where it is stored, as most
// sentences of an epoch repeat what an earlier one gave.
struct DecimalText {
    uint64_t mantissa = 0;
    uint64_t integer = 0;
    int fraction = 0;
    bool negative = false;

    // The value as a float: the mantissa (at most 18 digits) divided by an
    // exact power of ten, correctly rounded, then rounded to a float.
    float Value() const
    {
        const double magnitude = double(mantissa) / kPowersOfTen[fraction];
        return float(negative ? -magnitude : magnitude);
    }
};

// A coordinate read and found good: its digits (the minus ignored), its
// whole degrees and hemisphere.
struct CoordinateText {
    uint64_t mantissa = 0;
    double whole = 0;
    int fraction = 0;
    bool negative = false;  // south or west

    // Signed degrees: the whole degrees and the minutes (the number less
    // the whole degrees' hundreds) over 60, as WholeDegrees checked them.
    double Degrees() const
    {
        const double value = double(mantissa) / kPowersOfTen[fraction];
        const double minutes = value - whole * 100.0;
        const double result = whole + minutes / 60.0;
        return negative ? -result : result;
    }
};

// The whole degrees of a coordinate's number, as std::trunc(value / 100)
// gives them; none when its minutes reach 60 or its degrees (whole plus
// minutes / 60) pass limit.
//
// Where the digits are exact in a double (below 2^53), at most eleven
// follow the point and the degrees are at most limit (180 at most), the
// digits before the last two of the integer part are those whole degrees,
// and the tests are those of the digits, without dividing:
//  - value = mantissa / 10^f rounds monotonically; a number of f decimals
//    lies at least 10^-f from 100 (D + 1), more than half a unit in the
//    last place there (2^-38 below 2^15), so value stays below it, and
//    value / 100 stays more than half a unit below D + 1 (2^-45 below 256);
//  - minutes = value - 100 D is exact (Sterbenz), and reaches 60 exactly
//    when the number does, by the same monotone rounding;
//  - below limit degrees, minutes under 60 keep the result at most limit;
//    at limit, any minutes (at least 10^-f less the rounding, so more than
//    1e-13 degrees) put the result past it, as 2^-45 is less.
// Other numbers take the division itself.
inline std::optional<double> WholeDegrees(const DecimalText& number, int32_t limit)
{
    const uint64_t degrees = number.integer / 100;
    if (number.mantissa < uint64_t(1) << 53 && number.fraction <= 11 && degrees <= uint64_t(limit)) {
        const uint64_t minutes = number.integer % 100;
        const bool minutesGiven =
            minutes != 0 || number.mantissa != number.integer * kIntegerPowersOfTen[number.fraction];
        if (minutes >= 60 || (degrees == uint64_t(limit) && minutesGiven))
            return std::nullopt;
        return double(degrees);
    }
    const double value = double(number.mantissa) / kPowersOfTen[number.fraction];
    const double whole = std::trunc(value / 100.0);
    const double minutes = value - whole * 100.0;
    if (minutes >= 60.0 || whole + minutes / 60.0 > double(limit))
        return std::nullopt;
    return whole;
}

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

// The text a field last read as good, with the comma after it, and what
// it gave. The sentences of one epoch repeat its time and position as the
// same text, so a field that is that text again gives the same without
// being read.
template <class Value>
struct FieldMemo {
    static constexpr size_t kLongest = 16;

    std::array<unsigned char, kLongest> text{};  // zero past length
    std::array<unsigned char, kLongest> keep{};  // 0xff over length
    size_t length = 0;                           // 0: none kept
    Value value{};
};

// The value of each byte as a hexadecimal digit (upper case), or -1: looked
// up, as the checksum's digits are letters or not at random.
constexpr std::array<int8_t, 256> kHexValues = [] {
    std::array<int8_t, 256> values{};
    for (int c = 0; c < 256; ++c)
        values[size_t(c)] = int8_t(c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1);
    return values;
}();

int Hex(char c)
{
    return kHexValues[static_cast<unsigned char>(c)];
}

// Reads the fields of one sentence body (after the address, up to "*")
// in order. Each reader takes the next field: false when it is empty or
// missing (a sentence of an older NMEA version ends early); a field that is
// not of its form also sets bad. The body's end is its "*", which no
// number holds: the loops over digits stop there without a bound.
class Fields {
public:
    Fields(const char* p, const char* end) : m_P(p), m_End(end) { }

    bool bad = false;

    bool AtEnd() const { return m_P >= m_End; }

    void Skip() { m_P = FieldAfter(m_P); }

    const char* Position() const { return m_P; }
    // Goes on from p, the start of a field.
    void Seek(const char* p) { m_P = p; }
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
        const int digit = Hex(*start);
        return Close(start, start + (digit >= 0), true, [&] { value = digit; });
    }

    // Digits with an optional minus.
    bool Integer(int32_t& value)
    {
        const char* const start = m_P;
        const bool negative = *start == '-';
        uint32_t v = 0;
        const char* const stop = DigitsFrom(start + negative, v);
        const bool ok = stop - start - negative <= 9 && stop - start > negative;
        return Close(start, stop, ok, [&] { value = negative ? -int32_t(v) : int32_t(v); });
    }

    // A field of digits only (at most nine).
    bool Unsigned(int32_t& value)
    {
        const char* const start = m_P;
        uint32_t v = 0;
        const char* const stop = DigitsFrom(start, v);
        return Close(start, stop, stop - start <= 9, [&] { value = int32_t(v); });
    }

    // A decimal number: an optional minus, digits with at most one point.
    // Its text only: DecimalText::Value converts it.
    bool Decimal(DecimalText& number)
    {
        const char* const start = m_P;
        const bool negative = *start == '-';
        const char* const whole = start + negative;
        uint64_t mantissa = 0;
        const char* stop = DigitsFrom(whole, mantissa);
        const uint64_t integer = mantissa;
        int digits = int(stop - whole);
        int fraction = 0;
        if (*stop == '.') {
            const char* const decimals = stop + 1;
            stop = DigitsFrom(decimals, mantissa);
            fraction = int(stop - decimals);
            digits += fraction;
        }
        const bool ok = digits != 0 && digits <= 18;
        return Close(start, stop, ok, [&] { number = {mantissa, integer, fraction, negative}; });
    }

    bool Letter(char& value)
    {
        const char* const start = m_P;
        const char* const stop = start + (start < m_End && *start != ',');
        return Close(start, stop, true, [&] { value = *start; });
    }

    // Letters up to the capacity of out, the rest zero.
    bool Letters(std::array<char, 8>& out)
    {
        const char* const start = m_P;
        const char* stop = start;
        while (*stop >= 'A' && *stop <= 'Z')
            ++stop;
        const size_t count = size_t(stop - start);
        return Close(start, stop, count <= out.size(), [&] {
            out = {};
            std::memcpy(out.data(), start, count);
        });
    }

    // hhmmss with any number of decimals (the first three count):
    // milliseconds since midnight.
    bool Time(int32_t& ms)
    {
        const char* const start = m_P;
        const char* stop = start;
        while (unsigned(*stop - '0') < 10)
            ++stop;
        const auto pair = [start](int at) { return (start[at] - '0') * 10 + (start[at + 1] - '0'); };
        const bool six = stop - start == 6;
        const int32_t hours = six ? pair(0) : 0, minutes = six ? pair(2) : 0, seconds = six ? pair(4) : 0;
        int32_t fraction = 0;
        if (*stop == '.') {
            const char* const decimals = ++stop;
            while (unsigned(*stop - '0') < 10)
                ++stop;
            const ptrdiff_t count = stop - decimals;
            fraction = (count > 0 ? (decimals[0] - '0') * 100 : 0) + (count > 1 ? (decimals[1] - '0') * 10 : 0) +
                       (count > 2 ? decimals[2] - '0' : 0);
        }
        const bool ok = six && hours < 24 && minutes < 60 && seconds <= 60;
        return Close(start, stop, ok, [&] { ms = ((hours * 60 + minutes) * 60 + seconds) * 1000 + fraction; });
    }

    // Time, or the memo's time where the field is its text again.
    bool Time(int32_t& ms, FieldMemo<int32_t>& memo)
    {
        if (Recall(memo, ms))
            return true;
        const char* const start = m_P;
        if (!Time(ms))
            return false;
        Remember(memo, start, ms);
        return true;
    }

    // Coordinate, or the memo's coordinate where the number and hemisphere
    // are its text again (a memo per kind of coordinate).
    bool Coordinate(CoordinateText& coordinate, char positive, char negative, int32_t limit,
        FieldMemo<CoordinateText>& memo)
    {
        if (Recall(memo, coordinate))
            return true;
        const char* const start = m_P;
        if (!Coordinate(coordinate, positive, negative, limit))
            return false;
        Remember(memo, start, coordinate);
        return true;
    }

    // (d)ddmm.mmmm and its hemisphere letter, its form checked as the
    // degrees it gives would be (minutes below 60, at most limit degrees);
    // CoordinateText::Degrees converts it. The letter alone gives the sign
    // (some receivers also write a minus sign).
    bool Coordinate(CoordinateText& coordinate, char positive, char negative, int32_t limit)
    {
        DecimalText number;
        char hemisphere = 0;
        const bool hasNumber = Decimal(number);
        const bool hasLetter = Letter(hemisphere);
        if (!hasNumber || !hasLetter)
            return false;
        std::optional<double> whole = WholeDegrees(number, limit);
        if (!whole || (hemisphere != positive && hemisphere != negative)) {
            bad = true;
            return false;
        }
        coordinate = {number.mantissa, *whole, number.fraction, hemisphere == negative};
        return true;
    }

private:
    // Whether the text from here is the memo's, comma included: then its
    // value, and on after it. Compared sixteen bytes at once, where the
    // body goes on that far.
    template <class Value>
    bool Recall(const FieldMemo<Value>& memo, Value& value)
    {
        constexpr size_t kLongest = FieldMemo<Value>::kLongest;
        if (memo.length == 0 || size_t(m_End - m_P) < kLongest)
            return false;
        uint64_t text[2], kept[2], keep[2];
        std::memcpy(text, m_P, kLongest);
        std::memcpy(kept, memo.text.data(), kLongest);
        std::memcpy(keep, memo.keep.data(), kLongest);
        if ((((text[0] ^ kept[0]) & keep[0]) | ((text[1] ^ kept[1]) & keep[1])) != 0)
            return false;
        m_P += memo.length;
        value = memo.value;
        return true;
    }

    // Keeps the text read from start, when it ended at a comma and the
    // body goes on far enough for Recall to compare it.
    template <class Value>
    void Remember(FieldMemo<Value>& memo, const char* start, const Value& value) const
    {
        constexpr size_t kLongest = FieldMemo<Value>::kLongest;
        const auto length = size_t(m_P - start);
        if (length > kLongest || m_P[-1] != ',' || size_t(m_End - start) < kLongest)
            return;
        memo.text = {};
        memo.keep = {};
        std::memcpy(memo.text.data(), start, length);
        std::fill_n(memo.keep.begin(), length, static_cast<unsigned char>(0xff));
        memo.length = length;
        memo.value = value;
    }

    // The digits from p added to value; where they stop. The loop runs on a
    // copy of the position, kept in a register.
    template <class Value>
    static const char* DigitsFrom(const char* p, Value& value)
    {
        Value v = value;
        while (unsigned(*p - '0') < 10)
            v = v * 10 + Value(*p++ - '0');
        value = v;
        return p;
    }

    // The start of the field after the one p lies in (the body's end, once
    // there).
    const char* FieldAfter(const char* p) const
    {
        while (p < m_End && *p != ',')
            ++p;
        return p < m_End ? p + 1 : p;
    }

    // Ends the field from start, read up to stop: it must stop at a comma
    // or the end of the body. An empty field reads as absent; a good one
    // is stored.
    template <class Store>
    bool Close(const char* start, const char* stop, bool ok, Store store)
    {
        if (stop >= m_End) {
            m_P = stop;
            if (stop == start)
                return false;
        } else if (*stop != ',') {
            bad = true;
            m_P = FieldAfter(stop);
            return false;
        } else {
            m_P = stop + 1;
            if (stop == start)
                return false;
        }
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

// A satellite of the open epoch while its sentences come (32 bytes, so
// that the slot's index finds it by a shift).
struct alignas(32) OpenSatellite {
    uint16_t key = 0;
    uint16_t place = 0;
    uint16_t signalBits = 0;
    std::array<uint8_t, kSignalBits> cn0{};
};

// The sentence types read, by their three letters.
enum class Kind : uint8_t { Gga, Rmc, Gns, Gll, Gsa, Gsv, Gst, Vtg, Zda, Other };

struct KindEntry {
    uint32_t type;  // the letters, the first in bits 16-23; 0: none
    Kind kind;
};

constexpr uint32_t TypeCode(const char (&letters)[4])
{
    return uint32_t(uint8_t(letters[0])) << 16 | uint32_t(uint8_t(letters[1])) << 8 | uint8_t(letters[2]);
}

constexpr KindEntry kTypes[] = {{TypeCode("GGA"), Kind::Gga}, {TypeCode("RMC"), Kind::Rmc},
    {TypeCode("GNS"), Kind::Gns}, {TypeCode("GLL"), Kind::Gll}, {TypeCode("GSA"), Kind::Gsa},
    {TypeCode("GSV"), Kind::Gsv}, {TypeCode("GST"), Kind::Gst}, {TypeCode("VTG"), Kind::Vtg},
    {TypeCode("ZDA"), Kind::Zda}};

constexpr size_t KindSlot(uint32_t type)
{
    return (type ^ type >> 9) & 31;
}

// Looked up by KindSlot, which no two of the types share, rather than by a
// chain of comparisons.
constexpr std::array<KindEntry, 32> kKinds = [] {
    std::array<KindEntry, 32> kinds{};
    for (const KindEntry& entry : kTypes)
        kinds[KindSlot(entry.type)] = entry;
    return kinds;
}();
static_assert(size_t(std::count_if(kKinds.begin(), kKinds.end(), [](const KindEntry& e) { return e.type != 0; })) ==
                  std::size(kTypes),
    "two sentence types share a slot");

// What the fields of a GSA before its DOPs report (GsaReport{}: none).
struct GsaReport {
    int32_t fixType;
    bool hasFixType;
    std::array<int32_t, 12> listed;
};

// The masks of a sentence's body (with SSE2).
struct BodyScan;

// What a GSA gives the epoch: a pure function of its body (its talker
// included), so that a body met again gives it without being read.
struct GsaTaken {
    int8_t fixType = 0;  // 1-3; 0: none given
    bool hasPdop = false, hasHdop = false, hasVdop = false;
    float pdop = 0, hdop = 0, vdop = 0;
    uint8_t count = 0;
    // The satellites listed: constellation in bits 9-11, PRN below.
    std::array<uint16_t, 12> keys{};
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

// The constellation of each PRN as ConstellationOfTalker and
// ConstellationOfSystemId give it, looked up rather than worked out per
// satellite: under a combined talker (by the PRN's range), under GP (GPS
// and the neighbours it reports), and by GSA's system IDs below
// kSystemIds (kNoConstellation where the ID names none).
constexpr int kSystemIds = 16;
constexpr uint8_t kNoConstellation = 0xff;

struct PrnTables {
    std::array<Constellation, kPrnLimit> byRange;
    std::array<Constellation, kPrnLimit> underGps;
    // Every PRN of one constellation, for its own talker (GL, GA ...).
    std::array<std::array<Constellation, kPrnLimit>, kConstellationCount> only;
    std::array<std::array<uint8_t, kPrnLimit>, kSystemIds> bySystem;
};

const PrnTables& Prns()
{
    static const PrnTables tables = [] {
        PrnTables t{};
        for (int32_t prn = 0; prn < kPrnLimit; ++prn) {
            t.byRange[size_t(prn)] = ConstellationOfPrn(prn);
            t.underGps[size_t(prn)] = ConstellationOfTalker("GP", prn);
            for (int c = 0; c < kConstellationCount; ++c)
                t.only[size_t(c)][size_t(prn)] = Constellation(c);
            for (int32_t system = 0; system < kSystemIds; ++system) {
                Constellation constellation = Constellation::Other;
                t.bySystem[size_t(system)][size_t(prn)] =
                    ConstellationOfSystemId(system, prn, constellation) ? uint8_t(constellation) : kNoConstellation;
            }
        }
        return t;
    }();
    return tables;
}

#if defined(__SSE2__)
#define ORVANE_EPOCHS_SCAN 1

// One look at a sentence's body, sixteen bytes at a time, for its checksum
// and the masks the quick readers take its fields from (bit k of low:
// byte k of the body; of high: byte 64 + k). Bodies shorter than
// kScanned, the text readable for kReadable bytes from the body.
constexpr size_t kScanned = 80;
constexpr size_t kReadable = kScanned + 16;

struct BodyScan {
    uint64_t commasLow, commasHigh;
    uint64_t othersLow, othersHigh;  // bytes other than digits
};

// 0xff for the first kScanned bytes, then 0: loaded from kScanned - n on,
// it keeps the first n bytes of a chunk.
constexpr std::array<unsigned char, 2 * kScanned> kKeep = [] {
    std::array<unsigned char, 2 * kScanned> keep{};
    for (size_t k = 0; k < kScanned; ++k)
        keep[k] = 0xff;
    return keep;
}();

// The XOR of the body's n bytes into sum, and with kFieldMasks its masks;
// false when the body holds a "$" or a "*", as Checksum.
template <bool kFieldMasks>
inline bool ScanBody(const char* body, size_t n, unsigned& sum, BodyScan& scan)
{
    const __m128i comma = _mm_set1_epi8(','), dollar = _mm_set1_epi8('$'), star = _mm_set1_epi8('*');
    const __m128i zero = _mm_set1_epi8('0'), nine = _mm_set1_epi8('9');
    __m128i x = _mm_setzero_si128();
    __m128i stray = _mm_setzero_si128();
    uint64_t commas[2] = {0, 0}, others[2] = {0, 0};
    for (size_t at = 0; at < kScanned; at += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(body + at));
        const __m128i keep = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kKeep.data() + kScanned - n + at));
        x = _mm_xor_si128(x, _mm_and_si128(chunk, keep));
        stray = _mm_or_si128(stray,
            _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, dollar), _mm_cmpeq_epi8(chunk, star)), keep));
        if constexpr (kFieldMasks) {
            const __m128i other = _mm_or_si128(_mm_cmplt_epi8(chunk, zero), _mm_cmpgt_epi8(chunk, nine));
            commas[at / 64] |= uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, comma)))) << at % 64;
            others[at / 64] |= uint64_t(unsigned(_mm_movemask_epi8(other))) << at % 64;
        }
    }
    x = _mm_xor_si128(x, _mm_srli_si128(x, 8));
    x = _mm_xor_si128(x, _mm_srli_si128(x, 4));
    x = _mm_xor_si128(x, _mm_srli_si128(x, 2));
    x = _mm_xor_si128(x, _mm_srli_si128(x, 1));
    sum = unsigned(_mm_cvtsi128_si32(x)) & 0xff;
    scan = {commas[0], commas[1], others[0], others[1]};
    return _mm_movemask_epi8(stray) == 0;
}

// The bits set, without the instruction (not in every x86-64).
inline int BitCount(uint64_t bits)
{
    bits -= (bits >> 1) & 0x5555555555555555ULL;
    bits = (bits & 0x3333333333333333ULL) + ((bits >> 2) & 0x3333333333333333ULL);
    bits = (bits + (bits >> 4)) & 0x0f0f0f0f0f0f0f0fULL;
    return int((bits * 0x0101010101010101ULL) >> 56);
}

// A satellite of a GSV as "pp,ee,aaa,ss," and as "pp,ee,aaa,,": its
// commas (or the body's end) from the first digit on. The weights of its
// digits in the bytes 0-7 and 8-15 of the group, in pairs: the lanes are
// the PRN, the elevation split over two lanes, the azimuth's first two digits;
// then its last digit, the C/N0.
constexpr uint64_t kFullGroup = 1 << 2 | 1 << 5 | 1 << 9 | 1 << 12;
constexpr uint64_t kNoSnrGroup = 1 << 2 | 1 << 5 | 1 << 9 | 1 << 10;
const __m128i kGroupLow = _mm_setr_epi16(10, 1, 0, 10, 1, 0, 100, 10);
const __m128i kGroupHigh = _mm_setr_epi16(1, 0, 10, 1, 0, 0, 0, 0);

// The value of a field of 0 to 3 digits at p, read as one word: the text
// must be readable for four bytes from p.
inline int32_t ShortDigits(const char* p, unsigned count)
{
    uint32_t word;
    std::memcpy(&word, p, 4);
    // The digits to the top three bytes, the first in the second byte.
    uint32_t digits = (word & 0x0f0f0f0fU) << (8 * (3 - count)) << 8;
    digits = (digits * 10 + (digits >> 8)) & 0x00ff00ffU;
    return int32_t((digits * (100 << 16 | 1)) >> 16);
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
    return DaysFromCivil(date.year, date.month, date.day);
}

EpochDate DateFromDays(int64_t days)
{
    const CivilDate date = CivilFromDays(days);
    return {uint16_t(date.year), uint8_t(date.month), uint8_t(date.day)};
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

EpochCn0 EpochLog::Cn0Of(const Epoch& epoch) const
{
    if (!(epoch.firstCn0 & kCn0Differences))
        return {cn0.data() + epoch.firstCn0, nullptr};
    const uint8_t* run = cn0Differences.data() + (epoch.firstCn0 & ~kCn0Differences);
    const uint32_t base = uint32_t(run[0]) | uint32_t(run[1]) << 8 | uint32_t(run[2]) << 16 | uint32_t(run[3]) << 24;
    return {cn0.data() + base, run + 4};
}

size_t EpochLog::RecordBytes() const
{
    return epochs.capacity() * sizeof(Epoch) + satellites.capacity() * sizeof(EpochSatellite) + used.capacity() +
           cn0.capacity() + cn0Differences.capacity();
}

static_assert(std::is_trivial_v<EpochSatellite>, "an epoch's satellites are appended as one copy");
static_assert(sizeof(EpochSatellite) == 6, "an epoch's satellites compare as bytes: no padding");
static_assert(sizeof(Epoch) <= 112, "a day of 10 Hz epochs: every byte of an epoch counts 864000 times");

namespace {

// Where an epoch's run of records lies in the shared vector.
struct RecordRun {
    size_t first = 0;
    size_t count = 0;
};

// Where the run lies: the last run's, when its records are the same bytes
// (the vector is checked to still hold them, whatever was done to it
// since), else appended. An empty run leaves the last one as it is, so
// that epochs without a GSV (a receiver that sends them once a second, at
// 10 Hz) do not keep the next that has them from sharing.
template <class Record>
uint32_t SharedRun(std::vector<Record>& records, const Record* run, size_t count, RecordRun& last)
{
    if (count == 0)
        return uint32_t(records.size());
    if (last.count == count && last.first + count <= records.size() &&
        std::memcmp(records.data() + last.first, run, count * sizeof(Record)) == 0)
        return uint32_t(last.first);
    last = {records.size(), count};
    ReserveForMore(records, count);
    records.insert(records.end(), run, run + count);
    return uint32_t(last.first);
}

}  // namespace

struct EpochReader::State {
    explicit State(EpochLog& log) : log(log), prns(Prns()) { }

    void Feed(std::string_view text);
    // A line without its line end (no CR or LF in it).
    void Line(const char* begin, const char* end);
    // A line that is not one plain sentence.
    void OddLine(const char* begin, const char* end);
    // False, having read nothing, when the body holds a "$" or a "*".
    bool Sentence(const char* dollar, const char* star);
    bool AnySentence(const char* dollar, const char* star, size_t bodyLength, Kind kind);
    // Whether the sentence's "*hh" matches sum and a type follows its
    // talker; a sentence that fails is counted as a bad checksum or as not
    // parsed.
    bool Checked(const char* dollar, const char* star, size_t bodyLength, unsigned sum);
    // A sentence read: taken into the open epoch, or counted as not parsed
    // when a field was not of its form.
    void Count(bool bad)
    {
        if (bad) {
            ++log.notParsed;
            return;
        }
        ++log.sentences;
        ++openSentences;
        isOpen = true;
    }
    void Finish();

    // A time arrived: the open epoch takes it, or closes for a new one.
    void Timed(int32_t ms);
    void Close();
    // The position, converted, when no sentence of a higher rank gave one.
    void TakePosition(const CoordinateText& latitude, const CoordinateText& longitude, int rank);

    void Gga(Fields& f);
    void Rmc(Fields& f);
    void Gns(Fields& f);
    void Gll(Fields& f);
    // The sentence's talker becomes the one its satellites are taken under.
    void Talker(const char* letters);
    Constellation OfTalker(int32_t prn) const { return talkerPrns[prn]; }

    // A GSA met lately, taken and counted as then; false when none is
    // kept.
    bool RecallGsa(const char* dollar, const char* star);
    // A GSA checked: read, kept and taken.
    void GsaSentence(const char* dollar, const char* star, size_t bodyLength, const BodyScan* scan, Fields& f);
    void Gsa(Fields& f, GsaTaken& taken);
    // The fields of a GSA after its PRNs, and what all of it gives.
    void GsaEnd(Fields& f, const GsaReport& report, GsaTaken& taken);
    void TakeGsa(const GsaTaken& taken);
    void Gsv(Fields& f);
    void TakeGsv(const GsvReport& report);
    // The open epoch's satellite of the PRN under the talker, added if new;
    // none for a PRN out of range or past kMostSatellites.
    [[gnu::always_inline]] OpenSatellite* InView(int32_t prn);
    [[gnu::always_inline]] void TakeSignal(OpenSatellite& satellite, int bit, int32_t snr);
#if defined(ORVANE_EPOCHS_SCAN)
    bool QuickGsa(const char* body, size_t length, const BodyScan& scan, Fields& f, GsaTaken& taken);
    bool QuickGsv(const char* body, size_t length, const BodyScan& scan);
#endif
    void Gst(Fields& f);
    void Vtg(Fields& f);
    void Zda(Fields& f);

    EpochLog& log;
    // The end of the text being read: a sentence before it may be read
    // ahead past its own end.
    const char* textEnd = nullptr;
    std::string rest;           // the unfinished line kept from the last piece
    bool skippingLine = false;  // dropping an overlong line up to its end

    // Where epochs begin, when asked for: the bytes fed before the last
    // piece, where that piece and the line being read begin, and where the
    // kept line began in the stream.
    std::vector<uint64_t>* starts = nullptr;
    uint64_t fedBefore = 0;
    const char* pieceBegin = nullptr;
    size_t pieceSize = 0;
    const char* lineBegin = nullptr;
    bool lineKept = false;  // the line being read is the kept one
    uint64_t keptOffset = 0;
    uint64_t openStart = 0;  // of the open epoch
    uint64_t LineOffset() const
    {
        return lineKept ? keptOffset : fedBefore + uint64_t(lineBegin - pieceBegin);
    }

    Epoch open;
    bool isOpen = false;
    bool timed = false;
    uint64_t openSentences = 0;
    int positionRank = -1;  // of the sentence the position came from: GLL 0, RMC 1, GNS 2, GGA 3
    EpochDate ownDate;      // the open epoch's date from its own sentences

    // The satellites in view of the open epoch, and where each lies by
    // constellation and PRN (valid where the stamp is the epoch's).
    // Those tables are indexed by the satellite's key: its constellation
    // and PRN.
    std::array<OpenSatellite, kMostSatellites> inView;
    size_t inViewCount = 0;
    uint32_t stamp = 1;
    std::array<uint32_t, kConstellationCount * kPrnLimit> slotStamp{};
    std::array<uint8_t, kConstellationCount * kPrnLimit> slot{};
    std::array<uint32_t, kConstellationCount * kPrnLimit> usedStamp{};
    // The open epoch's records as Close appends them.
    std::array<EpochSatellite, kMostSatellites> closing{};
    std::array<uint8_t, kMostSatellites * kSignalBits> closingCn0{};
    std::array<uint8_t, (kMostSatellites + 7) / 8> closingUsed{};
    // The runs the last epoch with satellites points at, for the next to
    // share.
    RecordRun lastSatellites, lastUsed;
    // The last C/N0 run stored in full, which later ones may be stored as
    // differences from, and the last run of differences from it (its
    // firstCn0; 0: none), as many values as the full run.
    RecordRun cn0Base;
    uint32_t lastDifferences = 0;
    std::array<uint8_t, kMostSatellites * kSignalBits + 1> closingShifted{};
    std::array<uint8_t, (kMostSatellites * kSignalBits + 1) / 2> closingDifferences{};
    // Whether the closing epoch's satellites, used flags and C/N0 still
    // fit the places an epoch holds.
    bool RoomForSatellites() const;
    // Stores the closing epoch's C/N0: the full run or the last run of
    // differences from it where they are the same values, else as
    // differences from the full run where each fits, else in full. Gives
    // its firstCn0.
    uint32_t StoreCn0(const uint8_t* values, size_t count);

    // The date and time of the last epoch closed, for epochs without a date
    // of their own.
    EpochDate lastDate;
    int32_t lastTime = -1;

    // The time and coordinates last read, for the next sentence that
    // repeats them.
    FieldMemo<int32_t> timeMemo;
    FieldMemo<CoordinateText> latitudeMemo, longitudeMemo;

    const PrnTables& prns;
    // The GSAs read lately (a receiver's GSAs of one epoch and more).
    SentenceMemo<GsaTaken, 16> gsaMemo;
    // The constellation of the PRNs of the last GSV's or GSA's talker, and
    // those of the talkers met, by their letters as a number (more than 16
    // bits: none).
    const Constellation* talkerPrns = prns.byRange.data();
    struct TalkerEntry {
        uint32_t code = ~0U;
        const Constellation* prns = nullptr;
    };
    std::array<TalkerEntry, 64> talkers{};
};

EpochReader::EpochReader(EpochLog& log, std::vector<uint64_t>* starts) : m_State(std::make_unique<State>(log))
{
    m_State->starts = starts;
}

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

inline bool EpochReader::State::Sentence(const char* dollar, const char* star)
{
    const size_t bodyLength = size_t(star - dollar - 1);
    // Only the types read here count, and are checked; a body without a
    // talker and type, or a proprietary one, is none of them.
    Kind kind = Kind::Other;
    if (bodyLength >= 5 && dollar[1] != 'P') {
        const auto type = uint32_t(uint8_t(dollar[3])) << 16 | uint32_t(uint8_t(dollar[4])) << 8 | uint8_t(dollar[5]);
        const KindEntry& entry = kKinds[KindSlot(type)];
        if (entry.type == type)
            kind = entry.kind;
    }
    // A GSA as it came lately: as it was taken then, unread.
    if (kind == Kind::Gsa && RecallGsa(dollar, star))
        return true;
#if defined(ORVANE_EPOCHS_SCAN)
    // The commonest sentence the shortest way: as below, but for GSV alone.
    if (kind == Kind::Gsv && bodyLength < kScanned && size_t(textEnd - dollar - 1) >= kReadable) {
        BodyScan scan{};
        unsigned sum = 0;
        if (!ScanBody<true>(dollar + 1, bodyLength, sum, scan))
            return false;
        if (!Checked(dollar, star, bodyLength, sum))
            return true;
        Talker(dollar + 1);
        bool bad = false;
        if (!QuickGsv(dollar + 1, bodyLength, scan)) {
            Fields f(dollar + 7, star);
            Gsv(f);
            bad = f.bad;
        }
        Count(bad);
        return true;
    }
#endif
    return AnySentence(dollar, star, bodyLength, kind);
}

inline void EpochReader::State::Line(const char* begin, const char* end)
{
    // Nearly every line is one sentence: "$", the body and "*hh". Read at
    // once when its body holds no other "$" or "*", which is what the
    // search in OddLine would find too.
    lineBegin = begin;
    if (size_t(end - begin) - 9 <= kLongestLine - 9 && begin[0] == '$' && end[-3] == '*' && Sentence(begin, end - 3))
        return;
    OddLine(begin, end);
}

void EpochReader::State::Feed(std::string_view text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    fedBefore += pieceSize;
    pieceBegin = p;
    pieceSize = text.size();
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
            lineKept = true;
            Line(rest.data(), textEnd);
            lineKept = false;
        }
        rest.clear();
        skippingLine = false;
        p = lineEnd + 1;
    }
    // A CR ends a line as LF does, wherever it stands: what lies between
    // two line ends is the same whether the text came whole or in pieces.
    textEnd = end;
#if defined(__SSE2__)
    // The line ends of 64 bytes at a time as a mask, rather than a search
    // per line.
    const __m128i newline = _mm_set1_epi8('\n'), carriageReturn = _mm_set1_epi8('\r');
    // A large text: once its first part is read, the records the whole
    // will likely need are reserved, judged from that part, rather than
    // grown by doubling (each growth a copy into fresh memory).
    const char* const start = p;
    const char* reserveAt = size_t(end - p) >= kReserveFrom ? p + kReserveJudged : end;
    const size_t epochsBefore = log.epochs.size(), satellitesBefore = log.satellites.size(), cn0Before = log.cn0.size();
    for (const char* block = p; end - block >= 64; block += 64) {
        if (block >= reserveAt) {
            const double scale = double(end - start) / double(block - start) * 1.05;
            const auto reserve = [scale](auto& records, size_t before) {
                const size_t wanted = before + size_t(double(records.size() - before) * scale) + 64;
                if (wanted > records.capacity())
                    records.reserve(wanted);
            };
            reserve(log.epochs, epochsBefore);
            reserve(log.satellites, satellitesBefore);
            reserve(log.cn0, cn0Before);
            reserveAt = end;
        }
        uint64_t ends = 0;
        for (int at = 0; at < 64; at += 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + at));
            const __m128i found = _mm_or_si128(_mm_cmpeq_epi8(chunk, newline), _mm_cmpeq_epi8(chunk, carriageReturn));
            ends |= uint64_t(unsigned(_mm_movemask_epi8(found))) << at;
        }
        for (; ends != 0; ends &= ends - 1) {
            const char* const lineEnd = block + std::countr_zero(ends);
            if (lineEnd != p)
                Line(p, lineEnd);
            p = lineEnd + 1;
        }
    }
#endif
    for (const char* q = p; q < end; ++q) {
        if (*q == '\n' || *q == '\r') {
            if (q != p)
                Line(p, q);
            p = q + 1;
        }
    }
    if (p < end) {
        if (size_t(end - p) > kLongestLine) {
            skippingLine = true;
            ++log.linesTooLong;
        } else {
            rest.assign(p, end);
            keptOffset = fedBefore + uint64_t(p - pieceBegin);
        }
    }
}

void EpochReader::State::OddLine(const char* begin, const char* end)
{
    if (size_t(end - begin) > kLongestLine) {
        ++log.linesTooLong;
        return;
    }
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

inline bool EpochReader::State::Checked(const char* dollar, const char* star, size_t bodyLength, unsigned sum)
{
    const int high = Hex(star[1]);
    const int low = Hex(star[2]);
    if ((high | low) < 0 || unsigned(high << 4 | low) != sum) {
        ++log.badChecksum;
        return false;
    }
    if (bodyLength == 5 || dollar[6] != ',') {
        ++log.notParsed;
        return false;
    }
    return true;
}

bool EpochReader::State::AnySentence(const char* dollar, const char* star, size_t bodyLength, Kind kind)
{
    unsigned sum = 0;
#if defined(ORVANE_EPOCHS_SCAN)
    // The masks of the fields only for the types whose quick readers take
    // them.
    BodyScan scan{};
    const bool scanned = bodyLength < kScanned && size_t(textEnd - dollar - 1) >= kReadable;
    const bool clean = !scanned                                 ? Checksum(dollar + 1, bodyLength, sum)
                       : kind == Kind::Gsv || kind == Kind::Gsa ? ScanBody<true>(dollar + 1, bodyLength, sum, scan)
                                                                : ScanBody<false>(dollar + 1, bodyLength, sum, scan);
    if (!clean)
        return false;
#else
    if (!Checksum(dollar + 1, bodyLength, sum))
        return false;
#endif
    if (kind == Kind::Other)
        return true;
    if (!Checked(dollar, star, bodyLength, sum))
        return true;

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
#if defined(ORVANE_EPOCHS_SCAN)
        GsaSentence(dollar, star, bodyLength, scanned ? &scan : nullptr, f);
#else
        GsaSentence(dollar, star, bodyLength, nullptr, f);
#endif
        break;
    case Kind::Gsv: {
        Talker(dollar + 1);
#if defined(ORVANE_EPOCHS_SCAN)
        if (scanned && QuickGsv(dollar + 1, bodyLength, scan))
            break;
#endif
        Gsv(f);
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
    Count(f.bad);
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
        lineKept = true;
        Line(line.data(), textEnd);
        lineKept = false;
    }
    if (isOpen)
        Close();
    // A stream fed after this one begins its first epoch at its first byte.
    openStart = fedBefore + pieceSize;
}

void EpochReader::State::Timed(int32_t ms)
{
    if (isOpen && timed && ms != open.timeMs) {
        Close();
        // This line opens the next epoch.
        if (starts)
            openStart = LineOffset();
    }
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

        // Where the runs would pass what an epoch's 32-bit places reach
        // (and firstCn0's flag), a log of tens of gigabytes, the epoch keeps
        // its fix and counts but not its satellites.
        if (!RoomForSatellites())
            inViewCount = 0;
        open.satelliteCount = uint16_t(inViewCount);
        uint8_t* cn0 = closingCn0.data();
        const size_t usedBytes = (inViewCount + 7) / 8;
        std::fill_n(closingUsed.begin(), usedBytes, uint8_t(0));
        for (size_t k = 0; k < inViewCount; ++k) {
            const OpenSatellite& satellite = inView[k];
            const bool used = usedStamp[satellite.key & 0xfff] == stamp;
            closing[k] = {uint16_t(satellite.key), satellite.place, satellite.signalBits};
            closingUsed[k >> 3] = uint8_t(closingUsed[k >> 3] | used << (k & 7));
            for (uint32_t bits = satellite.signalBits; bits != 0; bits &= bits - 1)
                *cn0++ = satellite.cn0[size_t(std::countr_zero(bits))];
        }
        open.firstSatellite = SharedRun(log.satellites, closing.data(), inViewCount, lastSatellites);
        open.firstUsed = SharedRun(log.used, closingUsed.data(), usedBytes, lastUsed);
        open.firstCn0 = StoreCn0(closingCn0.data(), size_t(cn0 - closingCn0.data()));
        ReserveForMore(log.epochs, 1);
        log.epochs.push_back(open);
        if (starts) {
            ReserveForMore(*starts, 1);
            starts->push_back(openStart);
        }
    }
    open = Epoch();
    isOpen = false;
    timed = false;
    openSentences = 0;
    positionRank = -1;
    ownDate = {};
    inViewCount = 0;
    ++stamp;
}

bool EpochReader::State::RoomForSatellites() const
{
    // At most kSignalBits C/N0 per satellite.
    const size_t mostCn0 = inViewCount * kSignalBits;
    constexpr size_t kPlaces = std::numeric_limits<uint32_t>::max();
    return log.satellites.size() + inViewCount < kPlaces && log.used.size() + inViewCount < kPlaces &&
           log.cn0.size() + mostCn0 < kCn0Differences && log.cn0Differences.size() + 4 + mostCn0 < kCn0Differences;
}

uint32_t EpochReader::State::StoreCn0(const uint8_t* values, size_t count)
{
    // None to read: a place that reads as full values (a differences run
    // would be read for its base).
    if (count == 0)
        return 0;
    const size_t packed = (count + 1) / 2;
    if (cn0Base.count == count && cn0Base.first + count <= log.cn0.size()) {
        // The differences from the full run plus 8, modulo 256 as they are
        // read back: 0-15 where they fit in half a byte, 8 where the same.
        const uint8_t* base = log.cn0.data() + cn0Base.first;
        uint8_t* const shifted = closingShifted.data();
        unsigned outside = 0, changed = 0;
        for (size_t k = 0; k < count; ++k) {
            shifted[k] = uint8_t(values[k] - base[k] + 8);
            outside |= shifted[k] & 0xf0U;
            changed |= shifted[k] ^ 8U;
        }
        shifted[count] = 8;  // the half byte after an odd count
        if (changed == 0)
            return uint32_t(cn0Base.first);
        if (outside == 0) {
            uint8_t* const nibbles = closingDifferences.data();
            for (size_t k = 0; k < packed; ++k)
                nibbles[k] = uint8_t((shifted[2 * k] ^ 8U) | (shifted[2 * k + 1] ^ 8U) << 4);
            // The same differences as the last run of them: that run.
            const size_t last = lastDifferences & ~kCn0Differences;
            if (lastDifferences != 0 && last + 4 + packed <= log.cn0Differences.size() &&
                std::memcmp(log.cn0Differences.data() + last + 4, nibbles, packed) == 0)
                return lastDifferences;
            const size_t at = log.cn0Differences.size();
            ReserveForMore(log.cn0Differences, 4 + packed);
            log.cn0Differences.resize(at + 4 + packed);
            uint8_t* const run = log.cn0Differences.data() + at;
            for (int k = 0; k < 4; ++k)
                run[k] = uint8_t(cn0Base.first >> (8 * k));
            std::memcpy(run + 4, nibbles, packed);
            lastDifferences = uint32_t(at) | kCn0Differences;
            return lastDifferences;
        }
    }
    cn0Base = {log.cn0.size(), count};
    lastDifferences = 0;
    ReserveForMore(log.cn0, count);
    log.cn0.insert(log.cn0.end(), values, values + count);
    return uint32_t(cn0Base.first);
}

void EpochReader::State::TakePosition(const CoordinateText& latitude, const CoordinateText& longitude, int rank)
{
    if (rank < positionRank)
        return;
    positionRank = rank;
    open.latitude = latitude.Degrees();
    open.longitude = longitude.Degrees();
    open.flags |= Epoch::kPosition;
}

// $GPGGA,hhmmss.ss,llll.ll,a,yyyyy.yy,a,q,nn,h.h,a.a,M,g.g,M,age,station
void EpochReader::State::Gga(Fields& f)
{
    int32_t ms = 0;
    const bool hasTime = f.Time(ms, timeMemo);
    CoordinateText latitude, longitude;
    bool position = f.Coordinate(latitude, 'N', 'S', 90, latitudeMemo);
    position = f.Coordinate(longitude, 'E', 'W', 180, longitudeMemo) && position;
    int32_t quality = 0;
    const bool hasQuality = f.Unsigned(quality);
    f.Skip();  // satellites used: the GSAs count them per constellation
    DecimalText hdop, height, separation, age;
    const bool hasHdop = f.Decimal(hdop);
    const bool hasHeight = f.Decimal(height);
    f.Skip();
    const bool hasSeparation = f.Decimal(separation);
    f.Skip();
    const bool hasAge = f.Decimal(age);
    int32_t station = 0;
    const bool hasStation = f.Unsigned(station);
    if (f.bad)
        return;
    if (hasTime)
        Timed(ms);
    if (hasQuality)
        open.quality = int8_t(std::min(quality, 99));
    if (hasHdop && std::isnan(open.hdop))
        open.hdop = hdop.Value();
    if (hasAge)
        open.correctionAge = age.Value();
    if (hasStation)
        open.stationId = uint16_t(std::min(station, 0xfffe));
    if (hasQuality && quality > 0 && position) {
        TakePosition(latitude, longitude, 3);
        if (hasHeight) {
            open.heightMsl = height.Value();
            open.flags |= Epoch::kHeight;
        }
        if (hasSeparation) {
            open.geoidSeparation = separation.Value();
            open.flags |= Epoch::kSeparation;
        }
    }
}

// $GPRMC,hhmmss.ss,A,llll.ll,a,yyyyy.yy,a,knots,course,ddmmyy,var,E,mode,nav
void EpochReader::State::Rmc(Fields& f)
{
    int32_t ms = 0;
    const bool hasTime = f.Time(ms, timeMemo);
    char status = 0;
    f.Letter(status);
    CoordinateText latitude, longitude;
    bool position = f.Coordinate(latitude, 'N', 'S', 90, latitudeMemo);
    position = f.Coordinate(longitude, 'E', 'W', 180, longitudeMemo) && position;
    DecimalText knots, course;
    const bool hasSpeed = f.Decimal(knots);
    const bool hasCourse = f.Decimal(course);
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
        open.speed = float(knots.Value() * kKnotsToMs);
    if (fix && hasCourse)
        open.course = course.Value();
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
    const bool hasTime = f.Time(ms, timeMemo);
    CoordinateText latitude, longitude;
    bool position = f.Coordinate(latitude, 'N', 'S', 90, latitudeMemo);
    position = f.Coordinate(longitude, 'E', 'W', 180, longitudeMemo) && position;
    std::array<char, 8> modes{};
    const bool hasModes = f.Letters(modes);
    f.Skip();
    DecimalText hdop, height, separation, age;
    const bool hasHdop = f.Decimal(hdop);
    const bool hasHeight = f.Decimal(height);
    const bool hasSeparation = f.Decimal(separation);
    const bool hasAge = f.Decimal(age);
    int32_t station = 0;
    const bool hasStation = f.Unsigned(station);
    if (f.bad)
        return;
    if (hasTime)
        Timed(ms);
    if (hasModes)
        open.gnsModes = modes;
    if (hasHdop && std::isnan(open.hdop))
        open.hdop = hdop.Value();
    if (hasAge)
        open.correctionAge = age.Value();
    if (hasStation)
        open.stationId = uint16_t(std::min(station, 0xfffe));
    // A fix when any constellation's letter says one.
    const bool fix = hasModes && std::any_of(modes.begin(), modes.end(), [](char c) { return c != 0 && c != 'N'; });
    if (fix && position && positionRank <= 2) {
        TakePosition(latitude, longitude, 2);
        if (hasHeight && !open.Has(Epoch::kHeight)) {
            open.heightMsl = height.Value();
            open.flags |= Epoch::kHeight;
        }
        if (hasSeparation && !open.Has(Epoch::kSeparation)) {
            open.geoidSeparation = separation.Value();
            open.flags |= Epoch::kSeparation;
        }
    }
}

// $GPGLL,llll.ll,a,yyyyy.yy,a,hhmmss.ss,A,mode
void EpochReader::State::Gll(Fields& f)
{
    CoordinateText latitude, longitude;
    bool position = f.Coordinate(latitude, 'N', 'S', 90, latitudeMemo);
    position = f.Coordinate(longitude, 'E', 'W', 180, longitudeMemo) && position;
    int32_t ms = 0;
    const bool hasTime = f.Time(ms, timeMemo);
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

bool EpochReader::State::RecallGsa(const char* dollar, const char* star)
{
    const auto* const kept = gsaMemo.Find(dollar, star, size_t(textEnd - dollar - 1));
    if (!kept)
        return false;
    if (!kept->bad)
        TakeGsa(kept->taken);
    Count(kept->bad);
    return true;
}

void EpochReader::State::GsaSentence(const char* dollar, const char* star, size_t bodyLength, const BodyScan* scan,
    Fields& f)
{
    const char* const body = dollar + 1;
    GsaTaken taken;
    Talker(body);
#if defined(ORVANE_EPOCHS_SCAN)
    if (!scan || !QuickGsa(body, bodyLength, *scan, f, taken))
        Gsa(f, taken);
#else
    (void)scan;
    (void)bodyLength;
    Gsa(f, taken);
#endif
    gsaMemo.Keep(dollar, star, f.bad, taken);
    if (!f.bad)
        TakeGsa(taken);
}

// $GNGSA,A,3,prn x12,pdop,hdop,vdop,system
void EpochReader::State::Gsa(Fields& f, GsaTaken& taken)
{
    f.Skip();
    GsaReport report{};
    report.hasFixType = f.Unsigned(report.fixType);
    for (int32_t& prn : report.listed)
        f.Unsigned(prn);
    GsaEnd(f, report, taken);
}

void EpochReader::State::GsaEnd(Fields& f, const GsaReport& report, GsaTaken& taken)
{
    DecimalText pdop, hdop, vdop;
    taken.hasPdop = f.Decimal(pdop);
    taken.hasHdop = f.Decimal(hdop);
    taken.hasVdop = f.Decimal(vdop);
    int32_t system = 0;
    f.Unsigned(system);
    if (f.bad)
        return;
    if (report.hasFixType && report.fixType >= 1 && report.fixType <= 3)
        taken.fixType = int8_t(report.fixType);
    if (taken.hasPdop)
        taken.pdop = pdop.Value();
    if (taken.hasHdop)
        taken.hdop = hdop.Value();
    if (taken.hasVdop)
        taken.vdop = vdop.Value();
    // The system ID names the constellation of each PRN where it names
    // one; the talker otherwise.
    Constellation named = Constellation::Other;
    const bool hasSystem = ConstellationOfSystemId(system, 1, named);
    const uint8_t* const bySystem =
        hasSystem && system >= 0 && system < kSystemIds ? prns.bySystem[size_t(system)].data() : nullptr;
    for (const int32_t prn : report.listed) {
        if (prn <= 0 || prn >= kPrnLimit)
            continue;
        Constellation constellation = Constellation::Other;
        if (bySystem) {
            constellation = bySystem[prn] != kNoConstellation ? Constellation(bySystem[prn]) : OfTalker(prn);
        } else if (!hasSystem || !ConstellationOfSystemId(system, prn, constellation)) {
            constellation = OfTalker(prn);
        }
        taken.keys[taken.count++] = uint16_t(prn | int32_t(constellation) << 9);
    }
}

void EpochReader::State::TakeGsa(const GsaTaken& taken)
{
    if (taken.fixType != 0)
        open.fixType = taken.fixType;
    if (taken.hasPdop)
        open.pdop = taken.pdop;
    if (taken.hasHdop)
        open.hdop = taken.hdop;
    if (taken.hasVdop)
        open.vdop = taken.vdop;
    open.flags |= Epoch::kSatellitesUsed;
    // Each satellite new to the epoch counts once for its constellation.
    for (size_t k = 0; k < taken.count; ++k) {
        const uint16_t key = taken.keys[k];
        uint32_t& mark = usedStamp[key];
        if (mark != stamp) {
            mark = stamp;
            uint8_t& used = open.used[size_t(key >> 9)];
            used = uint8_t(std::min(used + 1, 255));
        }
    }
}

#if defined(ORVANE_EPOCHS_SCAN)
// The fix type and the twelve PRNs of a GSA from the masks of its body, as
// Gsa reads them, the rest by Fields. False, having changed nothing, for a
// field out of the plain form (more than three digits, a sentence that ends
// among the PRNs ...): Fields then reads the sentence.
bool EpochReader::State::QuickGsa(const char* body, size_t length, const BodyScan& scan, Fields& f, GsaTaken& taken)
{
    if (length < 6 || length - 6 >= 64)
        return false;
    const auto span = unsigned(length - 6);
    const char* const fields = body + 6;
    const uint64_t commas = scan.commasLow >> 6 | scan.commasHigh << 58;
    const uint64_t others = scan.othersLow >> 6 | scan.othersHigh << 58;
    const uint64_t inside = (uint64_t(1) << span) - 1;
    uint64_t bits = commas & inside;
    // The mode's end, then the fix type's and the PRNs' (a comma each).
    if (bits == 0)
        return false;
    const auto modeEnd = unsigned(std::countr_zero(bits));
    bits &= bits - 1;
    unsigned fieldEnds[13];
    for (unsigned& end : fieldEnds) {
        if (bits == 0)
            return false;
        end = unsigned(std::countr_zero(bits));
        bits &= bits - 1;
    }
    const unsigned last = fieldEnds[12];
    // Digits only, at most three in a row.
    const uint64_t numbers = ~(commas & inside) & (~uint64_t(0) << modeEnd << 1) & ((uint64_t(1) << last) - 1);
    if ((others & numbers) != 0 || (numbers & numbers >> 1 & numbers >> 2 & numbers >> 3) != 0)
        return false;
    GsaReport report;
    report.hasFixType = fieldEnds[0] != modeEnd + 1;
    report.fixType = ShortDigits(fields + modeEnd + 1, fieldEnds[0] - modeEnd - 1);
    for (size_t k = 0; k < 12; ++k)
        report.listed[k] = ShortDigits(fields + fieldEnds[k] + 1, fieldEnds[k + 1] - fieldEnds[k] - 1);
    f.Seek(fields + last + 1);
    GsaEnd(f, report, taken);
    return true;
}
#endif

// $GPGSV,total,number,in view,(prn,elevation,azimuth,snr) x1-4,signal
void EpochReader::State::Gsv(Fields& f)
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
        TakeGsv(report);
}

void EpochReader::State::Talker(const char* letters)
{
    const uint32_t code = uint32_t(uint8_t(letters[0])) | uint32_t(uint8_t(letters[1])) << 8;
    TalkerEntry& entry = talkers[(code ^ code >> 5) % talkers.size()];
    if (entry.code != code) {
        const std::optional<Constellation> own = TalkerConstellation(std::string_view(letters, 2));
        entry.code = code;
        entry.prns = !own                         ? prns.byRange.data()
                     : *own == Constellation::Gps ? prns.underGps.data()
                                                  : prns.only[size_t(*own)].data();
    }
    talkerPrns = entry.prns;
}

inline OpenSatellite* EpochReader::State::InView(int32_t prn)
{
    if (prn <= 0 || prn >= kPrnLimit)
        return nullptr;
    const auto system = size_t(OfTalker(prn));
    const size_t key = size_t(prn) | system << 9;
    if (slotStamp[key] == stamp)
        return &inView[slot[key]];
    if (inViewCount >= kMostSatellites)
        return nullptr;
    slotStamp[key] = stamp;
    slot[key] = uint8_t(inViewCount);
    OpenSatellite* const satellite = &inView[inViewCount++];
    satellite->key = uint16_t(key);
    satellite->place = 0;
    satellite->signalBits = 0;
    // At most kMostSatellites in all: the count needs no bound.
    ++open.inView[system];
    return satellite;
}

inline void EpochReader::State::TakeSignal(OpenSatellite& satellite, int bit, int32_t snr)
{
    // A second set of one signal in one epoch fills a C/N0 the first left
    // empty and keeps one it gave.
    const auto value = uint8_t(std::min(snr, 255));
    if (satellite.signalBits & 1 << bit) {
        if (satellite.cn0[size_t(bit)] == 0)
            satellite.cn0[size_t(bit)] = value;
    } else {
        satellite.signalBits |= uint16_t(1 << bit);
        satellite.cn0[size_t(bit)] = value;
    }
}

void EpochReader::State::TakeGsv(const GsvReport& report)
{
    open.flags |= Epoch::kSatellitesInView;
    const auto bit = report.signal <= 0 ? 0 : report.signal;
    for (size_t k = 0; k < report.count; ++k) {
        const GsvReport::Satellite& r = report.satellites[k];
        OpenSatellite* const satellite = InView(r.prn);
        if (!satellite)
            continue;
        // The first signal to give a place keeps it; a later band repeats it.
        if (r.hasPlace && !(satellite->key & 1 << 13)) {
            satellite->key |= 1 << 13;
            satellite->place = uint16_t((r.azimuth == 360 ? 0 : r.azimuth) | r.elevation << 9);
        }
        TakeSignal(*satellite, bit, r.snr);
    }
}

#if defined(ORVANE_EPOCHS_SCAN)
// The usual GSV sentence read at once from the masks of its body, whose
// address and comma take the first six bytes: as Gsv and TakeGsv read it.
// False, having changed nothing, for any field out of the plain form (a
// minus, a field of more than three digits ...): Fields then reads it.
bool EpochReader::State::QuickGsv(const char* body, size_t length, const BodyScan& scan)
{
    // The fields from the seventh byte on, the body's end a comma like the
    // others.
    if (length < 6 || length - 6 >= 64)
        return false;
    const auto span = unsigned(length - 6);
    const char* const fields = body + 6;
    const uint64_t commas = scan.commasLow >> 6 | scan.commasHigh << 58;
    const uint64_t others = scan.othersLow >> 6 | scan.othersHigh << 58;
    const uint64_t inside = (uint64_t(1) << span) - 1;
    const uint64_t ends = (commas & inside) | uint64_t(1) << span;
    // The three counts: their form is not checked (Fields skips them).
    uint64_t bits = ends & (ends - 1);
    bits &= bits - 1;
    if (bits == 0)
        return false;
    unsigned start = unsigned(std::countr_zero(bits)) + 1;
    bits &= bits - 1;
    const int rest = BitCount(bits);
    const int groups = rest / 4;
    if (groups > 4 || rest % 4 > 1)
        return false;
    // Digits only from the first satellite up to the signal ID, at most
    // three in a row.
    uint64_t numbers = inside & ~ends & (~uint64_t(0) << (start - 1) << 1);
    int signal = 0;
    if (rest % 4 == 1) {
        // The signal ID: the last field, one hexadecimal digit or empty.
        const auto last = unsigned(64 - std::countl_zero(ends & inside));
        numbers &= (uint64_t(1) << last) - 1;
        if (span - last > 1)
            return false;
        if (span - last == 1) {
            signal = Hex(fields[last]);
            if (signal < 0)
                return false;
        }
    }
    if ((others & numbers) != 0 || (numbers & numbers >> 1 & numbers >> 2 & numbers >> 3) != 0)
        return false;

    open.flags |= Epoch::kSatellitesInView;
    for (int g = 0; g < groups; ++g) {
        // Most receivers write a satellite as "pp,ee,aaa,ss" (or with the
        // C/N0 empty): its four numbers at once, by the weights of their
        // digits, two bytes to a lane.
        const uint64_t layout = ends >> start;
        const bool full = (layout & 0x1fff) == kFullGroup;
        if (full || (layout & 0x7ff) == kNoSnrGroup) {
            const __m128i digits =
                _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(fields + start)), _mm_set1_epi8('0'));
            alignas(16) int32_t low[4], high[4];
            _mm_store_si128(reinterpret_cast<__m128i*>(low),
                _mm_madd_epi16(_mm_unpacklo_epi8(digits, _mm_setzero_si128()), kGroupLow));
            _mm_store_si128(reinterpret_cast<__m128i*>(high),
                _mm_madd_epi16(_mm_unpackhi_epi8(digits, _mm_setzero_si128()), kGroupHigh));
            start += full ? 13 : 11;
            OpenSatellite* const satellite = InView(low[0]);
            if (!satellite)
                continue;
            const int32_t elevation = low[1] + low[2], azimuth = low[3] + high[0];
            if (!(satellite->key & 1 << 13) && elevation <= 90 && azimuth <= 360) {
                satellite->key |= 1 << 13;
                satellite->place = uint16_t((azimuth == 360 ? 0 : azimuth) | elevation << 9);
            }
            TakeSignal(*satellite, signal, full ? high[1] : 0);
            continue;
        }
        // Any other: its fields' ends one by one.
        uint64_t next = ends >> start << start;
        const auto prnEnd = unsigned(std::countr_zero(next));
        next &= next - 1;
        const auto elevationEnd = unsigned(std::countr_zero(next));
        next &= next - 1;
        const auto azimuthEnd = unsigned(std::countr_zero(next));
        next &= next - 1;
        const auto snrEnd = unsigned(std::countr_zero(next));
        const unsigned prnStart = start;
        start = snrEnd + 1;
        if (prnEnd == prnStart)
            continue;
        OpenSatellite* const satellite = InView(ShortDigits(fields + prnStart, prnEnd - prnStart));
        if (!satellite)
            continue;
        const unsigned elevationLength = elevationEnd - prnEnd - 1, azimuthLength = azimuthEnd - elevationEnd - 1;
        if (!(satellite->key & 1 << 13) && elevationLength != 0 && azimuthLength != 0) {
            const int32_t elevation = ShortDigits(fields + prnEnd + 1, elevationLength);
            const int32_t azimuth = ShortDigits(fields + elevationEnd + 1, azimuthLength);
            if (elevation <= 90 && azimuth <= 360) {
                satellite->key |= 1 << 13;
                satellite->place = uint16_t((azimuth == 360 ? 0 : azimuth) | elevation << 9);
            }
        }
        TakeSignal(*satellite, signal, ShortDigits(fields + azimuthEnd + 1, snrEnd - azimuthEnd - 1));
    }
    return true;
}
#endif

// $GNGST,hhmmss.ss,rms,major,minor,orientation,sigma lat,sigma lon,sigma alt
void EpochReader::State::Gst(Fields& f)
{
    int32_t ms = 0;
    const bool hasTime = f.Time(ms, timeMemo);
    f.Skip();
    f.Skip();
    f.Skip();
    f.Skip();
    DecimalText latitude, longitude, height;
    const bool hasLatitude = f.Decimal(latitude);
    const bool hasLongitude = f.Decimal(longitude);
    const bool hasHeight = f.Decimal(height);
    if (f.bad)
        return;
    if (hasTime)
        Timed(ms);
    if (hasLatitude)
        open.sigmaLatitude = latitude.Value();
    if (hasLongitude)
        open.sigmaLongitude = longitude.Value();
    if (hasHeight)
        open.sigmaHeight = height.Value();
}

// $GPVTG,course,T,magnetic,M,knots,N,kmh,K,mode
void EpochReader::State::Vtg(Fields& f)
{
    DecimalText course, knots, kmh;
    const bool hasCourse = f.Decimal(course);
    f.Skip();
    f.Skip();
    f.Skip();
    const bool hasKnots = f.Decimal(knots);
    f.Skip();
    const bool hasKmh = f.Decimal(kmh);
    f.Skip();
    char mode = 0;
    const bool hasMode = f.Letter(mode);
    if (f.bad || (hasMode && mode == 'N'))
        return;
    if (hasCourse)
        open.course = course.Value();
    if (hasKmh)
        open.speed = float(kmh.Value() * kKmhToMs);
    else if (hasKnots)
        open.speed = float(knots.Value() * kKnotsToMs);
}

// $GPZDA,hhmmss.ss,dd,mm,yyyy,zone hours,zone minutes
void EpochReader::State::Zda(Fields& f)
{
    int32_t ms = 0;
    const bool hasTime = f.Time(ms, timeMemo);
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
