// SPDX-License-Identifier: GPL-3.0-or-later
// RMC, VTG and ZDA: motion, course and date.

#include "FieldWalk.h"
#include "Parsers.h"

namespace orvane {

using namespace detail;

namespace {

constexpr double kKilometresPerNauticalMile = 1.852;

void StoreSpeedFromKnots(std::string_view field, RmcRecord& record)
{
    record.speedKmh = ParseDecimal(field) * kKilometresPerNauticalMile;
}

// ddmmyy read as one integer; the century is always 2000.
void StoreDate(std::string_view field, RmcRecord& record)
{
    const int32_t value = ParseInteger(field);
    record.dateTime.day = uint16_t(value / 10000);
    record.dateTime.month = uint16_t((value % 10000) / 100);
    record.dateTime.year = uint16_t(2000 + value % 100);
}

}  // namespace

// $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A
//        time   st lat     N lon       E knots course date (variation not read)
int32_t ParseRmc(std::string_view sentence, RmcRecord& record)
{
    static constexpr FieldStore<RmcRecord> kFields[] = {
        StoreTime<&RmcRecord::dateTime>,
        StoreLetter<&RmcRecord::status>,
        StoreDegrees<&RmcRecord::latitude>,
        StoreLetter<&RmcRecord::latHemisphere>,
        StoreDegrees<&RmcRecord::longitude>,
        StoreLetter<&RmcRecord::lonHemisphere>,
        StoreSpeedFromKnots,
        StoreDecimal<&RmcRecord::course>,
        StoreDate,
    };
    return ParseSentence(sentence, record, kFields);
}

// $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48
//        true  T mag   M knots N kmh   K (the unit is the character after comma 8;
//                                         the magnetic course is not kept)
int32_t ParseVtg(std::string_view sentence, VtgRecord& record)
{
    static constexpr FieldStore<VtgRecord> kFields[] = {
        StoreDecimal<&VtgRecord::courseTrue>,
        StoreLetter<&VtgRecord::courseTrueRef>,
        SkipField<VtgRecord>,
        StoreLetter<&VtgRecord::courseMagneticRef>,
        StoreDecimal<&VtgRecord::speedKnots>,
        StoreLetter<&VtgRecord::speedKnotsUnit>,
        StoreDecimal<&VtgRecord::speedKmh>,
    };
    FieldCursor cursor(sentence);
    if (const int32_t code = ParseSentence(cursor, record, kFields); code != 0)
        return code;
    // No comma needed after the unit: both the older form ending "K*" and
    // the form with a trailing mode field parse.
    if (cursor.Position() < sentence.size())
        record.speedKmhUnit = char16_t(static_cast<unsigned char>(sentence[cursor.Position()]));
    return 0;
}

// $GPZDA,201530.00,04,07,2002,00,00*60
//        time      dd mm yyyy (zone not read)
int32_t ParseZda(std::string_view sentence, ZdaRecord& record)
{
    static constexpr FieldStore<ZdaRecord> kFields[] = {
        [](std::string_view field, ZdaRecord& time) { SplitTime(ParseDecimal(field), time); },
        StoreInteger16<&ZdaRecord::day>,
        StoreInteger16<&ZdaRecord::month>,
        StoreInteger16<&ZdaRecord::year>,
    };
    return ParseSentence(sentence, record, kFields);
}

}  // namespace orvane
