#include <QtTest>

#include <random>

#include "decoder/GsvPass.h"
#include "replay/Dispatcher.h"

using namespace orvane;

namespace {

// Records every call the dispatcher makes to the outside.
class RecordingHooks : public DispatchHooks {
public:
    void AppendLine(std::string_view line) override { lines.emplace_back(line); }
    int SelectedMessageRow() const override { return messageRow; }
    void MoveSlider(int32_t value) override { sliderMoves.push_back(value); }
    void UpdateMapPosition(double lat, double lon, double heading) override { maps.push_back({lat, lon, heading}); }
    void SendPosition(double lat, double lon, double heading) override { sends.push_back({lat, lon, heading}); }
    bool SatellitesWindowExists() const override { return windowExists; }
    void UpdateSignals(int talkerRow, const SatelliteTable::Row& row) override
    {
        signalRows.push_back(talkerRow);
        if (talkerRow == 0)
            firstPrn = row[0].prn;
    }

    int messageRow = kRmcRow;
    bool windowExists = false;
    std::vector<std::string> lines;
    std::vector<int32_t> sliderMoves;
    std::vector<std::array<double, 3>> maps;
    std::vector<std::array<double, 3>> sends;
    std::vector<int> signalRows;
    int firstPrn = -1;
};

// Every line and every satellite row handed over, in order, as text.
class EventHooks : public DispatchHooks {
public:
    explicit EventHooks(int row) : messageRow(row) { }
    void AppendLine(std::string_view line) override { events.emplace_back(line); }
    int SelectedMessageRow() const override { return messageRow; }
    bool SatellitesWindowExists() const override { return true; }
    void UpdateSignals(int talkerRow, const SatelliteTable::Row& row) override
    {
        std::string event = "signals " + std::to_string(talkerRow);
        for (const GsvSatellite& s : row)
            for (const int32_t value : {s.prn, s.elevation, s.azimuth, s.snr})
                event += ' ' + std::to_string(value);
        events.push_back(event);
    }

    int messageRow;
    std::vector<std::string> events;
};

// A log of random sentences: GSV of several talkers, among them some that do
// not parse, lose their "*" or fill a row, and GSA, GGA and ZDA sentences
// of which some end a dispatcher call.
std::string RandomLog(std::mt19937& random, int sentences)
{
    const char* fixed[] = {"$GPGSA,A,3,01,02,,,,,,,,,,,1.0,2.0,3.0*00\r\n", "$GPGSA,A,3*00\r\n",
        "$GLGSA,A,3,65,,,,,,,,,,,,1.0,2.0,3.0*00\r\n", "$GLGSA,A*00\r\n", "$GPGGA,1,,,,,1,1,,,,*00\r\n",
        "$GPGGA*00\r\n", "$GPZDA,1,40,07,2002,00,00*00\r\n", "$GPZDA,1,12,07,2002,00,00*00\r\n",
        "$GPGSV,1,1,01,05,5*00\r\n", "$GLGSV,12*00\r\n", "$GNGSV,1,1,01,07,1,2", "*", "$GPGSV,1,1,01,,1,2,3*00\r\n"};
    const char* talkers[] = {"GP", "GL", "GA", "GN", "BD"};
    std::string text;
    for (int i = 0; i < sentences; ++i) {
        if (random() % 3 != 0) {
            text += fixed[random() % std::size(fixed)];
            continue;
        }
        text += std::string("$") + talkers[random() % std::size(talkers)] + "GSV,1,1,04";
        for (int k = 1 + int(random() % 4); k > 0; --k)
            text += ',' + std::to_string(random() % 40) + ",10,200," + std::to_string(random() % 50);
        text += "*00\r\n";
    }
    return text;
}

DispatchState Loaded(std::string text)
{
    DispatchState state;
    state.NmeaText = std::move(text);
    state.NmeaTextLength = int32_t(state.NmeaText.size());
    state.m_Loaded = true;
    state.m_Running = true;
    state.m_TalkerRow = 0;
    return state;
}

DispatchState Online(std::string text)
{
    DispatchState state = Loaded(std::move(text));
    state.m_Loaded = false;
    state.m_Online = true;
    return state;
}

const std::string kRmc1 = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
const std::string kRmc2 = "$GPRMC,123520,A,4807.038,S,01131.000,W,000.0,270.0,230394,003.1,W*6A\r\n";
const std::string kRmcNoFix = "$GPRMC,123521,V,,,,,,,230394,,*6A\r\n";

}  // namespace

class TestDispatcher : public QObject {
    Q_OBJECT
private slots:
    void logicErrors()
    {
        RecordingHooks hooks;
        DispatchState state = Loaded(kRmc1);
        state.m_Loaded = false;
        QVERIFY(!DispatchSentences(state, hooks));
        state.m_Loaded = true;
        state.m_TalkerRow = 18;
        QVERIFY(!DispatchSentences(state, hooks));
        QCOMPARE(hooks.lines, (std::vector<std::string>{"Logic Error (1)", "Logic Error (2)"}));
        QCOMPARE(state.m_ParsePosition, 0);
        QVERIFY(hooks.sliderMoves.empty());

        // Rows 8 to 17 pass the guard and find nothing.
        state.m_TalkerRow = 8;
        QVERIFY(!DispatchSentences(state, hooks));
        QCOMPARE(hooks.lines.size(), size_t(2));
        QCOMPARE(state.m_ParsePosition, -1);
    }

    // One sentence per call, the slider following, then the end.
    void replayStepsOneSentenceAtATime()
    {
        RecordingHooks hooks;
        const std::string text = kRmc1 + "$GPGGA,1,2,N,3,E,1,5,1,1,M,,,,*00\r\n" + kRmc2 + kRmcNoFix;
        DispatchState state = Loaded(text);
        QVERIFY(DispatchSentences(state, hooks));
        QCOMPARE(hooks.lines.back(),
            std::string("[2094.03.23 12:35:19] (N)48.117300, (E)11.516667, Speed:41.48Km/h, Heading:84.40"));
        QCOMPARE(state.m_ParsePosition, int32_t(kRmc1.size()) - 4);
        QCOMPARE(hooks.sliderMoves.back(), int32_t(double(state.m_ParsePosition) / double(text.size()) * 10000.0));
        QVERIFY(DispatchSentences(state, hooks));
        QCOMPARE(hooks.lines.back(),
            std::string("[2094.03.23 12:35:20] (S)48.117300, (W)11.516667, Speed:0.00Km/h, Heading:270.00"));
        QVERIFY(DispatchSentences(state, hooks));
        QCOMPARE(hooks.lines.back(), std::string("[2094.03.23 12:35:21] (?)0.000000, (?)0.000000, Speed:0.00Km/h, "
                                                 "Heading:0.00"));
        QVERIFY(!DispatchSentences(state, hooks));
        QCOMPARE(hooks.lines.size(), size_t(3));
        QCOMPARE(state.m_ParsePosition, -1);
        QCOMPARE(state.m_SliderValue, 10000);
        QCOMPARE(hooks.sliderMoves.back(), 10000);
        QVERIFY(state.m_Running);
    }

    // Every parsed RMC is the last position and is sent; the map moves only
    // while on and only for a usable position.
    void rmcPositionUploadAndMap()
    {
        RecordingHooks hooks;
        DispatchState state = Online(kRmc1 + kRmc2 + kRmcNoFix);
        state.m_MapEnabled = true;
        QVERIFY(!DispatchSentences(state, hooks));
        QCOMPARE(hooks.sends.size(), size_t(3));
        QCOMPARE(hooks.sends[1][0], -48.1173);
        QCOMPARE(hooks.sends[1][1], -(11.0 + 31.0 / 60.0));
        QCOMPARE(hooks.sends[1][2], 270.0);
        QCOMPARE(hooks.maps.size(), size_t(2));
        QCOMPARE(hooks.maps[0][2], 84.4);
        QCOMPARE(state.m_Latitude, -0.0);
        QCOMPARE(state.m_Heading, 0.0);

        RecordingHooks mapOff;
        DispatchState off = Online(kRmc1);
        QVERIFY(!DispatchSentences(off, mapOff));
        QCOMPARE(mapOff.sends.size(), size_t(1));
        QVERIFY(mapOff.maps.empty());
    }

    // GGA and GLL move the map with heading 0, and only while it is on.
    void ggaAndGllFollowOnlyWithMap()
    {
        RecordingHooks hooks;
        hooks.messageRow = kGgaRow;
        DispatchState state = Online(
            "$GPGGA,1,4807.038,N,01131.000,E,1,8,0.9,5,M,,,,*00\r\n"
            "$GPGGA,2,,,,,0,0,,,,,,,*00\r\n");
        state.m_MapEnabled = true;
        state.m_Heading = 33;
        QVERIFY(!DispatchSentences(state, hooks));
        QCOMPARE(hooks.lines.size(), size_t(2));
        QCOMPARE(hooks.lines[1], std::string("[00:00:02] Signal: 0, NOS: 0, HDOP: 0.00, (?)0.000000, (?)0.000000"));
        QCOMPARE(hooks.maps.size(), size_t(1));
        QCOMPARE(hooks.maps[0][2], 0.0);
        QCOMPARE(state.m_Heading, 33.0);
        QVERIFY(hooks.sends.empty());

        RecordingHooks gll;
        gll.messageRow = kGllRow;
        DispatchState withoutMap = Online("$GPGLL,4916.45,N,12311.12,W,225444,A,*1D\r\n");
        QVERIFY(!DispatchSentences(withoutMap, gll));
        QCOMPARE(gll.lines, std::vector<std::string>{"[22:54:44] (N)49.274167, (W)123.185333"});
        QVERIFY(gll.maps.empty());
        QCOMPARE(withoutMap.m_Latitude, kStartLatitude);
    }

    // A coordinate too large for a double is infinite: the line shows it,
    // but like a position of zero it moves no map; an RMC sends and keeps
    // a position of zero, never an infinity.
    void infiniteCoordinateIsNoPosition_data()
    {
        QTest::addColumn<int>("messageRow");
        QTest::addColumn<QByteArray>("sentence");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("gga latitude") << kGgaRow << QByteArray("$GPGGA,1,1e400,N,01131.000,E,1,8,0.9,5,M,,,,*00")
                                      << QByteArray("[00:00:01] Signal: 1, NOS: 8, HDOP: 0.90, (N)inf, (E)11.516667");
        QTest::newRow("gga longitude") << kGgaRow << QByteArray("$GPGGA,1,4807.038,S,-1e309,W,1,8,0.9,5,M,,,,*00")
                                       << QByteArray("[00:00:01] Signal: 1, NOS: 8, HDOP: 0.90, (S)48.117300, (W)-inf");
        QTest::newRow("gll latitude") << kGllRow << QByteArray("$GPGLL,-1e400,S,12311.12,W,225444,A,*1D")
                                      << QByteArray("[22:54:44] (S)-inf, (W)123.185333");
        QTest::newRow("gll both") << kGllRow << QByteArray("$GPGLL,1e999,N,1e999,E,225444,A,*1D")
                                  << QByteArray("[22:54:44] (N)inf, (E)inf");
        QTest::newRow("rmc latitude") << kRmcRow
                                      << QByteArray("$GPRMC,123519,A,1e400,N,01131.000,E,022.4,084.4,230394,003.1,W*6A")
                                      << QByteArray(
                                             "[2094.03.23 12:35:19] (N)inf, (E)11.516667, Speed:41.48Km/h, "
                                             "Heading:84.40");
        QTest::newRow("rmc longitude") << kRmcRow
                                       << QByteArray(
                                              "$GPRMC,123519,A,4807.038,N,-1e309,E,022.4,084.4,230394,003.1,W*6A")
                                       << QByteArray(
                                              "[2094.03.23 12:35:19] (N)48.117300, (E)-inf, Speed:41.48Km/h, "
                                              "Heading:84.40");
    }
    void infiniteCoordinateIsNoPosition()
    {
        QFETCH(int, messageRow);
        QFETCH(QByteArray, sentence);
        QFETCH(QByteArray, line);
        RecordingHooks hooks;
        hooks.messageRow = messageRow;
        DispatchState state = Online(sentence.toStdString() + "\r\n");
        state.m_MapEnabled = true;
        state.m_Heading = 33;
        QVERIFY(!DispatchSentences(state, hooks));
        QCOMPARE(hooks.lines, std::vector<std::string>{line.toStdString()});
        QVERIFY(hooks.maps.empty());
        if (messageRow == kRmcRow) {
            // An RMC still sends its line, with a position of zero.
            QCOMPARE(hooks.sends.size(), size_t(1));
            QCOMPARE(hooks.sends[0], (std::array<double, 3>{0.0, 0.0, 84.4}));
            QCOMPARE(state.m_Latitude, 0.0);
            QCOMPARE(state.m_Longitude, 0.0);
            QCOMPARE(state.m_Heading, 84.4);
        } else {
            QVERIFY(hooks.sends.empty());
            QCOMPARE(state.m_Latitude, kStartLatitude);
            QCOMPARE(state.m_Longitude, kStartLongitude);
            QCOMPARE(state.m_Heading, 33.0);
        }
        QVERIFY(state.m_Running);
    }

    // In online mode an error ends the call; the next call goes on after it.
    void onlineErrorResumes()
    {
        RecordingHooks hooks;
        hooks.messageRow = kGgaRow;
        DispatchState state = Online("$GPGGA,1,,,,,1,1,,,,*00\r\n$GPGGA*00\r\n$GPGGA,3,,,,,1,1,,,,*00\r\n");
        int calls = 0;
        while (DispatchSentences(state, hooks))
            ++calls;
        QCOMPARE(calls, 1);
        QCOMPARE(hooks.lines,
            (std::vector<std::string>{"[00:00:01] Signal: 1, NOS: 1, HDOP: 0.00, (?)0.000000, (?)0.000000",
                "[GGA] Error Code:  -1", "[00:00:03] Signal: 1, NOS: 1, HDOP: 0.00, (?)0.000000, (?)0.000000"}));
        QVERIFY(!state.m_Running);
    }

    // A replayed sentence that fails stops the replay and keeps the position.
    void replayErrorStops()
    {
        RecordingHooks hooks;
        hooks.messageRow = kVtgRow;
        const std::string bad = "$GPVTG,054.7,T,034.4,M,005.5,N*00";
        DispatchState state = Loaded(bad + "\r\n$GPVTG,1,T,,M,2,N,3,K*00\r\n");
        QVERIFY(DispatchSentences(state, hooks));
        QCOMPARE(hooks.lines, std::vector<std::string>{"[VTG] Error Code:  7"});
        QVERIFY(!state.m_Running);
        QCOMPARE(state.m_ParsePosition, int32_t(bad.size()) - 2);
    }

    void otherLines_data()
    {
        QTest::addColumn<int>("messageRow");
        QTest::addColumn<QByteArray>("sentence");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("gsa") << kGsaRow << QByteArray("$GPGSA,A,3,04,05,,09,12,,,24,,,,,1.74,1.02,1.41*00")
                             << QByteArray("Automatic 3D mode, HDOP:1.02 / VDOP:1.41 / PDOP:1.74");
        QTest::newRow("gsa unknown") << kGsaRow << QByteArray("$GPGSA,X,1,,,,,,,,,,,,,,,*00")
                                     << QByteArray("Unknown Unknown mode, HDOP:0.00 / VDOP:0.00 / PDOP:0.00");
        QTest::newRow("gsa manual 2D") << kGsaRow << QByteArray("$GPGSA,M,2,,,,,,,,,,,,,0.125,0.375,0.5*00")
                                       << QByteArray("Manual 2D mode, HDOP:0.38 / VDOP:0.50 / PDOP:0.12");
        QTest::newRow("vtg") << kVtgRow << QByteArray("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48")
                             << QByteArray("Heading:54.70, Speed:5.50knots, Speed:10.20Km/h");
        QTest::newRow("zda 31st") << kZdaRow << QByteArray("$GPZDA,201530.00,31,07,2002,00,00*60")
                                  << QByteArray("[2002.07.31 20:15:30]");
        QTest::newRow("zda day 0") << kZdaRow << QByteArray("$GPZDA,201530.00,00,07,2002,00,00*60")
                                   << QByteArray("[ZDA] Invalid Data (34/42)");
        QTest::newRow("zda day 32") << kZdaRow << QByteArray("$GPZDA,201530.00,32,07,2002,00,00*60")
                                    << QByteArray("[ZDA] Invalid Data (34/42)");
        QTest::newRow("high byte letter") << kGllRow << QByteArray("$GPGLL,1,\xb0,1,E,1,A*00")
                                          << QByteArray("[00:00:01] (\xb0)0.016667, (E)0.016667");
    }
    void otherLines()
    {
        QFETCH(int, messageRow);
        QFETCH(QByteArray, sentence);
        QFETCH(QByteArray, line);
        RecordingHooks hooks;
        hooks.messageRow = messageRow;
        DispatchState state = Loaded(sentence.toStdString() + "\r\n\r\n\r\n");
        DispatchSentences(state, hooks);
        QCOMPARE(hooks.lines, std::vector<std::string>{line.toStdString()});
        QVERIFY(state.m_Running);
        QVERIFY(hooks.maps.empty());
        QVERIFY(hooks.sends.empty());
        QCOMPARE(state.m_Latitude, kStartLatitude);
    }

    // With the signals shown, replay merges only the GSV sentences that end
    // before the sentence just shown; a row that decodes nothing clears them.
    void gsvPassFollowsReplay()
    {
        RecordingHooks hooks;
        hooks.windowExists = true;
        DispatchState state =
            Loaded("$GPGSV,1,1,01,03,10,100,40*00\r\n" + kRmc1 + "$GPGSV,1,1,01,05,50,150,45*00\r\n" + kRmc2);
        state.m_SignalsShown = true;
        QVERIFY(DispatchSentences(state, hooks));
        QCOMPARE(state.m_SatelliteTable.entries[0][0].snr, 40);
        QCOMPARE(state.m_SatelliteTable.entries[0][1].prn, 0);
        QCOMPARE(hooks.signalRows, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
        QVERIFY(DispatchSentences(state, hooks));
        QCOMPARE(state.m_SatelliteTable.entries[0][0].snr, 0);
        QCOMPARE(state.m_SatelliteTable.entries[0][1].snr, 45);

        hooks.messageRow = kGsvRow;
        state.m_ParsePosition = 0;
        QVERIFY(!DispatchSentences(state, hooks));
        QCOMPARE(state.m_ParsePosition, -1);
        QCOMPARE(state.m_SatelliteTable.entries[0][0].prn, 3);
        QCOMPARE(state.m_SatelliteTable.entries[0][1].prn, 5);
        QCOMPARE(state.m_SatelliteTable.entries[0][1].snr, 0);

        // Hidden signals: no pass, no hand-over.
        RecordingHooks hidden;
        hidden.windowExists = true;
        DispatchState quiet = Loaded("$GPGSV,1,1,01,03,10,100,40*00\r\n" + kRmc1);
        QVERIFY(DispatchSentences(quiet, hidden));
        QCOMPARE(quiet.m_SatelliteTable.entries[0][0].prn, 0);
        QVERIFY(hidden.signalRows.empty());
    }

    // A live tick whose calls end at errors: each call's GSV pass goes on from
    // what the earlier passes of the tick found, yet every line, every row
    // handed to the satellites window and the final table are those of the
    // plain pass over the whole rest of the text after each call, and each
    // talker's text is searched at most once.
    void liveTickResumesGsvPass_data()
    {
        QTest::addColumn<int>("talkerRow");
        QTest::addColumn<int>("messageRow");
        QTest::newRow("GP GSA") << 0 << kGsaRow;
        QTest::newRow("GL GSA") << 1 << kGsaRow;
        QTest::newRow("GP GGA") << 0 << kGgaRow;
        QTest::newRow("GP ZDA") << 0 << kZdaRow;
    }
    void liveTickResumesGsvPass()
    {
        QFETCH(int, talkerRow);
        QFETCH(int, messageRow);
        std::mt19937 random(uint32_t(talkerRow * 100 + messageRow));
        for (int round = 0; round < 20; ++round) {
            DispatchState plain = Online(RandomLog(random, 400));
            plain.m_TalkerRow = talkerRow;
            DispatchState resuming = plain;
            resuming.m_SignalsShown = true;

            EventHooks expected(messageRow);
            int calls = 0;
            for (bool more = true; more; ++calls) {
                const int32_t start = plain.m_ParsePosition;
                more = DispatchSentences(plain, expected);
                AccumulateGsv(plain.NmeaText, start, std::nullopt, plain.m_SatelliteTable,
                    [&expected](std::string_view line) { expected.AppendLine(line); });
                for (int row = 0; row < kSatelliteRows; ++row)
                    expected.UpdateSignals(row, plain.m_SatelliteTable.entries[size_t(row)]);
            }
            QVERIFY(calls > 5);

            EventHooks got(messageRow);
            while (DispatchSentences(resuming, got)) { }
            QCOMPARE(got.events, expected.events);
            QVERIFY(resuming.m_SatelliteTable == plain.m_SatelliteTable);
            QCOMPARE(resuming.m_ParsePosition, plain.m_ParsePosition);
            const auto length = int64_t(resuming.NmeaText.size());
            QVERIFY(resuming.m_GsvProgress.searchedBytes > 0);
            QVERIFY(resuming.m_GsvProgress.searchedBytes <= kTalkerCount * length);
        }
    }
};

QTEST_APPLESS_MAIN(TestDispatcher)
#include "tst_dispatcher.moc"
