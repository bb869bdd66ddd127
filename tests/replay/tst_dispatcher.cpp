// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <random>

#include "../common/RecordingHooks.h"
#include "decoder/GsvPass.h"
#include "decoder/SummaryText.h"
#include "replay/Dispatcher.h"

using namespace orvane;

namespace {

QString Position(double latitude, double longitude, double heading)
{
    return QString("%1 %2 %3").arg(latitude, 0, 'g', 10).arg(longitude, 0, 'g', 10).arg(heading, 0, 'g', 10);
}

// Every call the dispatcher makes to the outside, in order, as text.
using Hooks = RecordingHooks;

// A log of random sentences: GSV of several talkers, among them some that do
// not parse, lose their "*" or fill a row, and GSA, GGA and ZDA sentences
// of which some end a dispatcher call. With signal IDs, most GSV sentences
// end in one of three, and QZSS ones come as QZ and GQ.
std::string RandomLog(std::mt19937& random, int sentences, bool signalIds = false)
{
    const char* fixed[] = {"$GPGSA,A,3,01,02,,,,,,,,,,,1.0,2.0,3.0*00\r\n", "$GPGSA,A,3*00\r\n",
        "$GLGSA,A,3,65,,,,,,,,,,,,1.0,2.0,3.0*00\r\n", "$GLGSA,A*00\r\n", "$GPGGA,1,,,,,1,1,,,,*00\r\n",
        "$GPGGA*00\r\n", "$GPZDA,1,40,07,2002,00,00*00\r\n", "$GPZDA,1,12,07,2002,00,00*00\r\n",
        "$GPGSV,1,1,01,05,5*00\r\n", "$GLGSV,12*00\r\n", "$GNGSV,1,1,01,07,1,2", "*", "$GPGSV,1,1,01,,1,2,3*00\r\n"};
    const char* talkers[] = {"GP", "GL", "GA", "GN", "BD", "QZ", "GQ"};
    const char* signalFields[] = {",1", ",6", ",B", ""};
    std::string text;
    for (int i = 0; i < sentences; ++i) {
        if (random() % 3 != 0) {
            text += fixed[random() % std::size(fixed)];
            continue;
        }
        text += std::string("$") + talkers[random() % (signalIds ? 7 : 5)] + "GSV,1,1,04";
        for (int k = 1 + int(random() % 4); k > 0; --k)
            text += ',' + std::to_string(random() % 40) + ",10,200," + std::to_string(random() % 50);
        if (signalIds)
            text += signalFields[random() % std::size(signalFields)];
        text += "*00\r\n";
    }
    return text;
}

// A text with its cursor and options, as a replay (a log loaded, Run
// pressed) or a live tick decodes it, with the fix summary on.
struct Decoding {
    std::string text;
    DecodeCursor cursor;
    DispatchOptions options;
    FixSummary summary;
    bool stopped = false;  // a call ended at a sentence that does not parse

    DispatchResult Call(DispatchHooks& hooks)
    {
        DispatchOptions withSummary = options;
        withSummary.m_FixSummary = &summary;
        const DispatchResult result = DispatchSentences(text, cursor, withSummary, hooks);
        stopped = stopped || result.parseError;
        return result;
    }
    const FixSummary& CatchUp() { return CatchUpFixSummary(text, cursor, summary); }
};

Decoding Loaded(std::string text, bool online = false)
{
    Decoding state;
    state.text = std::move(text);
    state.options = {.m_Online = online, .m_Loaded = !online};
    state.cursor.m_TalkerRow = 0;
    return state;
}

const QByteArray kRmc1 = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
const QByteArray kRmc2 = "$GPRMC,123520,A,4807.038,S,01131.000,W,000.0,270.0,230394,003.1,W*6A\r\n";
const QByteArray kRmcNoFix = "$GPRMC,123521,V,,,,,,,230394,,*6A\r\n";
const QString kLine1 = "[2094.03.23 12:35:19] (N)48.117300, (E)11.516667, Speed:41.48Km/h, Heading:84.40";
const QString kLine2 = "[2094.03.23 12:35:20] (S)48.117300, (W)11.516667, Speed:0.00Km/h, Heading:270.00";
const QString kLineNoFix = "[2094.03.23 12:35:21] (?)0.000000, (?)0.000000, Speed:0.00Km/h, Heading:0.00";

}  // namespace

class TestDispatcher : public QObject {
    Q_OBJECT
private slots:
    // Calls as the replay (until the end or a stop) or a live tick (until
    // the end) makes them: the lines, slider moves, map moves and positions
    // sent, in order, then the position and heading kept, where the next
    // search starts and whether the run was stopped. Every parsed RMC is
    // sent, a position of zero for coordinates that are not finite; the map
    // follows only while on and only a usable position, GGA and GLL with
    // heading 0.
    void dispatch_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("talkerRow");
        QTest::addColumn<int>("messageRow");
        QTest::addColumn<bool>("map");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("events");
        const auto row = [](const char* name, const char* mode, int talker, int message, bool map,
                             const QByteArray& text, const QStringList& events) {
            QTest::newRow(name) << QString(mode) << talker << message << map << text << events;
        };
        const QString start = "kept 37.5554652 126.9715542 33 at ", send1 = "send 48.1173 11.51666667 84.4";
        const QString send2 = "send -48.1173 -11.51666667 270", gga1 = "[00:00:01] Signal: 1, NOS: 8, HDOP: 0.90, ";
        row("neither loaded nor online", "none", 0, kRmcRow, false, kRmc1, {"Logic Error (1)", start + "0"});
        row("talker row 18", "replay", 18, kRmcRow, false, kRmc1, {"Logic Error (2)", start + "0"});
        // kept as is: the guard is the message table's size.
        row("talker row 8 finds nothing", "replay", 8, kRmcRow, false, kRmc1, {"slider 10000", start + "-1"});
        row("replay: a sentence a call", "replay", 0, kRmcRow, false,
            kRmc1 + "$GPGGA,1,2,N,3,E,1,5,1,1,M,,,,*00\r\n" + kRmc2 + kRmcNoFix,
            {kLine1, send1, "slider 3142", "next call", kLine2, send2, "slider 8142", "next call", kLineNoFix,
                "send 0 0 0", "slider 9809", "next call", "slider 10000", "kept 0 0 0 at -1"});
        row("replay: an error stops at it", "replay", 0, kVtgRow, false,
            "$GPVTG,054.7,T,034.4,M,005.5,N*00\r\n$GPVTG,1,T,,M,2,N,3,K*00\r\n",
            {"[VTG] Error Code:  7", "slider 5081", start + "31 stopped"});
        row("rmc with the map", "online", 0, kRmcRow, true, kRmc1 + kRmc2 + kRmcNoFix,
            {kLine1, send1, "map 48.1173 11.51666667 84.4", kLine2, send2, "map -48.1173 -11.51666667 270", kLineNoFix,
                "send 0 0 0", "kept 0 0 0 at -1"});
        // A receiver that puts its own minus sign beside W: the letter
        // alone gives the sign, for the map and the position sent.
        row("rmc minus sign beside W", "online", 0, kRmcRow, true,
            "$GPRMC,123519,A,4807.038,N,-01131.000,W,022.4,084.4,230394,003.1,W*6A\r\n",
            {"[2094.03.23 12:35:19] (N)48.117300, (W)-11.516667, Speed:41.48Km/h, Heading:84.40",
                "send 48.1173 -11.51666667 84.4", "map 48.1173 -11.51666667 84.4",
                "kept 48.1173 -11.51666667 84.4 at -1"});
        row("gll minus sign beside W", "online", 0, kGllRow, true, "$GPGLL,4916.45,N,-12311.12,W,225444,A,*1D\r\n",
            {"[22:54:44] (N)49.274167, (W)-123.185333", "map 49.27416667 -123.1853333 0",
                "kept 49.27416667 -123.1853333 33 at -1"});
        row("rmc without the map", "online", 0, kRmcRow, false, kRmc1,
            {kLine1, send1, "kept 48.1173 11.51666667 84.4 at -1"});
        row("gga with the map", "online", 0, kGgaRow, true,
            "$GPGGA,1,4807.038,N,01131.000,E,1,8,0.9,5,M,,,,*00\r\n$GPGGA,2,,,,,0,0,,,,,,,*00\r\n",
            {gga1 + "(N)48.117300, (E)11.516667", "map 48.1173 11.51666667 0",
                "[00:00:02] Signal: 0, NOS: 0, HDOP: 0.00, (?)0.000000, (?)0.000000",
                "kept 48.1173 11.51666667 33 at -1"});
        row("gll without the map", "online", 0, kGllRow, false, "$GPGLL,4916.45,N,12311.12,W,225444,A,*1D\r\n",
            {"[22:54:44] (N)49.274167, (W)123.185333", start + "-1"});
        // In online mode an error ends the call; the next call goes on after it.
        row("online error", "online", 0, kGgaRow, false,
            "$GPGGA,1,,,,,1,1,,,,*00\r\n$GPGGA*00\r\n$GPGGA,3,,,,,1,1,,,,*00\r\n",
            {"[00:00:01] Signal: 1, NOS: 1, HDOP: 0.00, (?)0.000000, (?)0.000000", "[GGA] Error Code:  -1", "next call",
                "[00:00:03] Signal: 1, NOS: 1, HDOP: 0.00, (?)0.000000, (?)0.000000", start + "-1 stopped"});
        // A coordinate too large for a double is infinite: shown, but no position.
        row("gga longitude -inf", "online", 0, kGgaRow, true, "$GPGGA,1,4807.038,S,-1e309,W,1,8,0.9,5,M,,,,*00",
            {gga1 + "(S)48.117300, (W)-inf", start + "-1"});
        row("rmc latitude inf", "online", 0, kRmcRow, true,
            "$GPRMC,123519,A,1e400,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
            {"[2094.03.23 12:35:19] (N)inf, (E)11.516667, Speed:41.48Km/h, Heading:84.40", "send 0 0 84.4",
                "kept 0 0 84.4 at -1"});
        row("rmc longitude -inf", "online", 0, kRmcRow, true,
            "$GPRMC,123519,A,4807.038,N,-1e309,E,022.4,084.4,230394,003.1,W*6A",
            {"[2094.03.23 12:35:19] (N)48.117300, (E)-inf, Speed:41.48Km/h, Heading:84.40", "send 0 0 84.4",
                "kept 0 0 84.4 at -1"});
    }
    void dispatch()
    {
        QFETCH(QString, mode);
        QFETCH(int, talkerRow);
        QFETCH(int, messageRow);
        QFETCH(bool, map);
        QFETCH(QByteArray, text);
        QFETCH(QStringList, events);
        const bool online = mode == "online";
        Decoding state = Loaded(text.toStdString(), online);
        state.options.m_Loaded = mode == "replay";
        state.options.m_MapEnabled = map;
        DecodeCursor& cursor = state.cursor;
        cursor.m_TalkerRow = talkerRow;
        cursor.m_Heading = 33;
        Hooks hooks(messageRow);
        while (state.Call(hooks) && (online || !state.stopped))
            hooks.events << "next call";
        hooks.events << QString("kept %1 at %2%3")
                            .arg(Position(cursor.m_Latitude, cursor.m_Longitude, cursor.m_Heading))
                            .arg(cursor.m_ParsePosition)
                            .arg(state.stopped ? " stopped" : "");
        QCOMPARE(hooks.events, events);
    }

    // With the signals shown, replay merges only the GSV sentences that end
    // before the sentence just shown and hands every talker row over; a
    // message row that decodes nothing leaves every satellite without
    // values. Hidden signals: no pass, no hand-over.
    void gsvPassFollowsReplay()
    {
        const std::string text = "$GPGSV,1,1,01,03,10,100,40*00\r\n" + kRmc1.toStdString() +
                                 "$GPGSV,1,1,01,05,50,150,45*00\r\n" + kRmc2.toStdString();
        Hooks hidden(kRmcRow, true);
        Decoding quiet = Loaded(text);
        QVERIFY(quiet.Call(hidden));
        QCOMPARE(hidden.events.size(), 3);
        QCOMPARE(quiet.cursor.m_SatelliteTable.entries[0][0].prn, 0);

        Hooks hooks(kRmcRow, true);
        Decoding state = Loaded(text);
        state.options.m_SignalsShown = true;
        QVERIFY(state.Call(hooks));
        QCOMPARE(hooks.events.size(), 3 + kSatelliteRows);
        QVERIFY(hooks.events[3].startsWith("signals 0 3 10 100 40 0 0 0 0 "));
        QVERIFY(hooks.events[10].startsWith("signals 7 0 "));
        QVERIFY(state.Call(hooks));
        const SatelliteTable::Row& row = state.cursor.m_SatelliteTable.entries[0];
        QCOMPARE(row[0], (GsvSatellite{3, 0, 0, 0}));
        QCOMPARE(row[1], (GsvSatellite{5, 50, 150, 45}));
        hooks.messageRow = kGsvRow;
        state.cursor.m_ParsePosition = 0;
        QVERIFY(!state.Call(hooks));
        QCOMPARE(row[0], (GsvSatellite{3, 0, 0, 0}));
        QCOMPARE(row[1], (GsvSatellite{5, 0, 0, 0}));
    }

    // A live tick whose calls end at errors: each call's GSV pass goes on from
    // what the earlier passes of the tick found, yet every line, every row
    // handed to the satellites window and the final table are those of the
    // plain pass over the whole rest of the text after each call, and each
    // talker's text is searched at most once; also where the GSV sentences
    // carry signal IDs and QZSS ones come as QZ and GQ.
    void liveTickResumesGsvPass_data()
    {
        QTest::addColumn<int>("talkerRow");
        QTest::addColumn<int>("messageRow");
        QTest::addColumn<bool>("signalIds");
        QTest::newRow("GP GSA") << 0 << kGsaRow << false;
        QTest::newRow("GL GSA") << 1 << kGsaRow << false;
        QTest::newRow("GP GGA") << 0 << kGgaRow << false;
        QTest::newRow("GP ZDA") << 0 << kZdaRow << false;
        QTest::newRow("GP GSA, signal IDs") << 0 << kGsaRow << true;
        QTest::newRow("GL GSA, signal IDs") << 1 << kGsaRow << true;
        QTest::newRow("GP ZDA, signal IDs") << 0 << kZdaRow << true;
    }
    void liveTickResumesGsvPass()
    {
        QFETCH(int, talkerRow);
        QFETCH(int, messageRow);
        QFETCH(bool, signalIds);
        std::mt19937 random(uint32_t(talkerRow * 100 + messageRow + (signalIds ? 1000 : 0)));
        for (int round = 0; round < 20; ++round) {
            Decoding plain = Loaded(RandomLog(random, 400, signalIds), true);
            plain.cursor.m_TalkerRow = talkerRow;
            Decoding resuming = plain;
            resuming.options.m_SignalsShown = true;

            Hooks expected(messageRow, true);
            int calls = 0;
            for (bool more = true; more; ++calls) {
                const int32_t start = plain.cursor.m_ParsePosition;
                more = bool(plain.Call(expected));
                AccumulateGsv(plain.text, start, std::nullopt, plain.cursor.m_SatelliteTable,
                    [&expected](std::string_view line) { expected.AppendLine(line); });
                for (int row = 0; row < kSatelliteRows; ++row)
                    expected.UpdateSignals(row, plain.cursor.m_SatelliteTable.entries[size_t(row)]);
            }
            QVERIFY(calls > 5);

            Hooks got(messageRow, true);
            while (resuming.Call(got)) { }
            QCOMPARE(got.events, expected.events);
            QVERIFY(resuming.cursor.m_SatelliteTable == plain.cursor.m_SatelliteTable);
            QCOMPARE(resuming.cursor.m_ParsePosition, plain.cursor.m_ParsePosition);
            QVERIFY(resuming.cursor.m_GsvProgress.searchedBytes > 0);
            QVERIFY(resuming.cursor.m_GsvProgress.searchedBytes <= kTalkerCount * int64_t(resuming.text.size()));
        }
    }

    // Offline the fix summary reads each call's stretch only when it is
    // brought up to date, and then exactly as if it had read every stretch
    // at once: in a row, after a seek back or forward, and never from a
    // text that has been replaced.
    void summaryCatchesUpWithEveryStretch_data()
    {
        QTest::addColumn<int>("callsBefore");
        QTest::addColumn<double>("seekTo");  // a share of the text; < 0: no seek
        QTest::addColumn<int>("callsAfter");
        QTest::newRow("in a row") << 40 << -1.0 << 0;
        QTest::newRow("seek back") << 30 << 0.1 << 25;
        QTest::newRow("seek forward") << 5 << 0.7 << 30;
        QTest::newRow("seek to where it stands") << 10 << 0.0 << 10;
    }
    void summaryCatchesUpWithEveryStretch()
    {
        QFETCH(int, callsBefore);
        QFETCH(double, seekTo);
        QFETCH(int, callsAfter);
        std::mt19937 random(7);
        const std::string text = RandomLog(random, 400);
        Decoding state = Loaded(text);
        DecodeCursor& cursor = state.cursor;
        FixSummary expected;
        Hooks hooks(kGsaRow);
        const auto call = [&] {
            const int32_t start = cursor.m_ParsePosition;
            state.Call(hooks);
            if (start >= 0)
                expected.Consume(text, size_t(start),
                    cursor.m_ParsePosition > start ? size_t(cursor.m_ParsePosition) : text.size());
        };
        for (int i = 0; i < callsBefore; ++i)
            call();
        QCOMPARE(SummaryText(state.summary), SummaryText(FixSummary()));
        if (seekTo > 0)
            cursor.m_ParsePosition = int32_t(seekTo * double(text.size()));
        if (seekTo == 0.0)
            state.CatchUp();
        for (int i = 0; i < callsAfter; ++i)
            call();
        const FixSummary& summary = state.CatchUp();
        QVERIFY(SummaryText(summary) != SummaryText(FixSummary()));
        QCOMPARE(SummaryText(summary) + SkyText(summary), SummaryText(expected) + SkyText(expected));
        QCOMPARE(SummaryText(state.CatchUp()), SummaryText(expected));

        // A range noted in a text that is gone, past the end of the text
        // that replaced it, is dropped, not read.
        cursor.m_ParsePosition = 0;
        call();
        const std::string before = SummaryText(state.summary);
        std::string().swap(state.text);
        state.text = "$GPGGA,1,,,,,1,1,,,,*00\r\n";
        QVERIFY(!cursor.m_SummaryPending.empty() && cursor.m_SummaryPending.back().second > state.text.size());
        state.CatchUp();
        QCOMPARE(SummaryText(state.summary), before);
    }
};

QTEST_APPLESS_MAIN(TestDispatcher)
#include "tst_dispatcher.moc"
