// SPDX-License-Identifier: GPL-3.0-or-later
// GSA and GSV: the satellites of the fix and the satellites in view.

#include "FieldWalk.h"
#include "Parsers.h"

namespace orvane {

using namespace detail;

namespace {

template <int Slot>
void StorePrn(std::string_view field, GsaRecord& record)
{
    record.prn[Slot] = ParseInteger(field);
}

}  // namespace

// $GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39
//        m f 12 satellite slots     pdop hdop vdop (the vdop may end at "*";
//                                                  a system id after it is not read)
int32_t ParseGsa(std::string_view sentence, GsaRecord& record)
{
    static constexpr FieldStore<GsaRecord> kFields[] = {
        StoreLetter<&GsaRecord::selectionMode>,
        StoreInteger<&GsaRecord::fixType>,
        StorePrn<0>,
        StorePrn<1>,
        StorePrn<2>,
        StorePrn<3>,
        StorePrn<4>,
        StorePrn<5>,
        StorePrn<6>,
        StorePrn<7>,
        StorePrn<8>,
        StorePrn<9>,
        StorePrn<10>,
        StorePrn<11>,
        StoreDecimal<&GsaRecord::pdop>,
        StoreDecimal<&GsaRecord::hdop>,
    };
    constexpr int32_t kVdopCode = 18;
    FieldCursor cursor(sentence);
    if (const int32_t code = ParseSentence(cursor, record, kFields); code != 0)
        return code;

    const size_t begin = cursor.Position();
    size_t end = sentence.find(',', begin);
    if (end == std::string_view::npos)
        end = sentence.find('*', begin);
    if (end == std::string_view::npos)
        return kVdopCode;
    if (end > begin)
        record.vdop = ParseDecimal(sentence.substr(begin, end - begin));
    return 0;
}

namespace {

// The signal ID field: one hexadecimal digit. Anything else (empty, longer,
// not a digit) names no signal.
int32_t SignalId(std::string_view field)
{
    if (field.size() != 1)
        return kNoGsvSignal;
    const char c = field.front();
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return kNoGsvSignal;
}

}  // namespace

// $GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74
//        n m sv then groups of prn,elevation,azimuth,snr (any number up to 30;
//        the last snr may end at "*")
// $GPGSV,3,1,10,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45,1*6x
//        from NMEA 4.10 on, one field more after the last group: the signal ID
int32_t ParseGsv(std::string_view sentence, GsvList& list)
{
    constexpr auto npos = std::string_view::npos;
    if (sentence.size() < kMinSentenceLength)
        return -1;
    list = {};

    // Sentence count, sentence number and satellites in view are not read.
    size_t pos = 0;
    for (int32_t code = -2; code >= -5; --code) {
        const size_t comma = sentence.find(',', pos);
        if (comma == npos)
            return code;
        pos = comma + 1;
    }

    auto field = [&](size_t begin, size_t end) { return ParseInteger(sentence.substr(begin, end - begin)); };

    int32_t count = 0;
    for (;;) {
        if (count >= kGsvMaxSatellites)
            return -6;
        const size_t prnEnd = sentence.find(',', pos);
        if (prnEnd == npos) {
            // A field without a comma after it, up to "*": the signal ID.
            const size_t star = sentence.find('*', pos);
            if (star != npos) {
                list.signal = SignalId(sentence.substr(pos, star - pos));
                break;
            }
            return -7;
        }
        const size_t elevationEnd = sentence.find(',', prnEnd + 1);
        if (elevationEnd == npos)
            return -8;
        const size_t azimuthEnd = sentence.find(',', elevationEnd + 1);
        if (azimuthEnd == npos)
            return -9;
        size_t snrEnd = sentence.find(',', azimuthEnd + 1);
        bool last = false;
        if (snrEnd == npos) {
            snrEnd = sentence.find('*', azimuthEnd + 1);
            if (snrEnd == npos)
                return -10;
            last = true;
        }

        GsvSatellite& satellite = list.entries[size_t(count)];
        satellite.prn = field(pos, prnEnd);
        satellite.elevation = field(prnEnd + 1, elevationEnd);
        satellite.azimuth = field(elevationEnd + 1, azimuthEnd);
        satellite.snr = field(azimuthEnd + 1, snrEnd);
        ++count;

        pos = snrEnd + 1;
        if (pos >= sentence.size() || last)
            break;
    }
    list.count = count;
    return count;
}

}  // namespace orvane
