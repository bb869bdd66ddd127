// SPDX-License-Identifier: GPL-3.0-or-later
// The receiver reports: each line of the input as a sentence whose type is
// the three characters after its talker. A sentence that is not taken
// changes nothing; the TXT log stays within its places and its text within
// the printable characters.

#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "decoder/ReceiverReports.h"

using namespace orvane;

namespace {

uint64_t UpdateSum(const ReceiverReports& reports)
{
    return reports.Gns().updates + reports.Gst().updates + reports.Gbs().updates + reports.Rmc().updates +
           reports.TrueHeading().updates + reports.Txt().Received();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    ReceiverReports reports;
    std::string text = ReceiverReportsText(reports);
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view sentence = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);

        const std::string_view type = sentence.size() >= 6 ? sentence.substr(3, 3) : std::string_view();
        const uint64_t updates = UpdateSum(reports);
        const ReportResult result = reports.Take(sentence, type);
        const std::string after = ReceiverReportsText(reports);
        if (result != ReportResult::Taken && (after != text || UpdateSum(reports) != updates))
            fuzz::Fail("a sentence not taken changed the reports");
        if (result == ReportResult::OtherType && type != "GNS" && type != "GST" && type != "GBS" && type != "RMC" &&
            type != "THS" && type != "TXT")
            continue;
        if (result == ReportResult::OtherType)
            fuzz::Fail("a sentence of a type read here was called another type");
        text = after;

        const TxtLog& txt = reports.Txt();
        if (txt.Size() > TxtLog::kCapacity || txt.Size() > txt.Received())
            fuzz::Fail("the TXT log holds more than it may");
        for (size_t k = 0; k < txt.Size(); ++k) {
            const TxtMessage& message = txt.At(k);
            if (message.length > kTxtTextCapacity || message.number < 1 || message.number > message.total)
                fuzz::Fail("a TXT message out of its form");
            for (const char c : message.Text())
                if (c < ' ' || c > '~')
                    fuzz::Fail("a TXT message with a character that is not printable");
        }
    }
    return 0;
}
