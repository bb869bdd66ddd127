// SPDX-License-Identifier: GPL-3.0-or-later
// The dispatcher over a text from the input: replay or online mode, with or
// without the satellite pass, the talker row and the message row taken from
// the input's first bytes (every row, including those no parser handles).

#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "replay/Dispatcher.h"

namespace {

using namespace orvane;

class CountingHooks : public DispatchHooks {
public:
    CountingHooks(int messageRow, bool windowExists) : m_MessageRow(messageRow), m_WindowExists(windowExists) { }
    void AppendLine(std::string_view line) override { m_Bytes += line.size(); }
    int SelectedMessageRow() const override { return m_MessageRow; }
    void MoveSlider(int32_t value) override
    {
        if (value < 0 || value > kSliderMaximum)
            fuzz::Fail("slider outside 0..10000");
    }
    bool SatellitesWindowExists() const override { return m_WindowExists; }
    void UpdateSignals(int talkerRow, const SatelliteTable::Row&) override
    {
        if (talkerRow < 0 || talkerRow >= kSatelliteRows)
            fuzz::Fail("signals for a row outside the table");
    }

private:
    int m_MessageRow;
    bool m_WindowExists;
    size_t m_Bytes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput input(data, size);
    const uint8_t mode = input.Byte();
    // kMessageCount + 1 talker rows: every talker, "none", and rows past the
    // talker table that the guard lets through; one more message row than
    // the table holds, and -1 for no selection.
    const int talkerRow = input.Byte() % (kMessageCount + 1);
    const int messageRow = int(input.Byte() % (kMessageCount + 1)) - 1;

    const std::string text(input.Rest());
    DecodeCursor cursor;
    cursor.m_TalkerRow = talkerRow;
    FixSummary summary;
    const DispatchOptions options{.m_Online = (mode & 1) != 0,
        .m_Loaded = (mode & 2) == 0,
        .m_SignalsShown = (mode & 4) != 0,
        .m_FixSummary = &summary};
    CountingHooks hooks(messageRow, (mode & 8) != 0);

    // Each call moves on by at least one character or stops, so the text's
    // length bounds the calls; more would be a dispatcher that never ends.
    size_t calls = 0;
    while (DispatchSentences(text, cursor, options, hooks)) {
        if (size_t(cursor.m_ParsePosition) > text.size())
            fuzz::Fail("parse position beyond the text");
        if (++calls > text.size() + 1)
            fuzz::Fail("the dispatcher does not come to an end");
    }
    return 0;
}
