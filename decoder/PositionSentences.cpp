// SPDX-License-Identifier: GPL-3.0-or-later
// GGA and GLL: time and position fixes.

#include "FieldWalk.h"
#include "Parsers.h"

namespace orvane {

using namespace detail;

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
//        time   lat      N lon       E q sv hdop alt  M (geoid and DGPS data not read)
int32_t ParseGga(std::string_view sentence, GgaRecord& record)
{
    static constexpr FieldStore<GgaRecord> kFields[] = {
        StoreTime<&GgaRecord::dateTime>,
        StoreDegrees<&GgaRecord::latitude>,
        StoreLetter<&GgaRecord::latHemisphere>,
        StoreDegrees<&GgaRecord::longitude>,
        StoreLetter<&GgaRecord::lonHemisphere>,
        StoreInteger<&GgaRecord::fixQuality>,
        StoreInteger16<&GgaRecord::satelliteCount>,
        StoreDecimal<&GgaRecord::hdop>,
        StoreDecimal<&GgaRecord::altitude>,
        StoreLetter<&GgaRecord::altitudeUnit>,
    };
    return ParseSentence(sentence, record, kFields);
}

// $GPGLL,4916.45,N,12311.12,W,225444,A,*1D
//        lat     N lon      W time   (status and mode not read)
int32_t ParseGll(std::string_view sentence, GllRecord& record)
{
    static constexpr FieldStore<GllRecord> kFields[] = {
        StoreDegrees<&GllRecord::latitude>,
        StoreLetter<&GllRecord::latHemisphere>,
        StoreDegrees<&GllRecord::longitude>,
        StoreLetter<&GllRecord::lonHemisphere>,
        StoreTime<&GllRecord::dateTime>,
    };
    return ParseSentence(sentence, record, kFields);
}

}  // namespace orvane
