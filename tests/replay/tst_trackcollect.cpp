// SPDX-License-Identifier: GPL-3.0-or-later
// The track of a log fed in lines, as live ticks feed it. Which sentences
// make points, the full times across midnight and date changes and the
// segments are the --geojson cases of tests/tools/cases.

#include <QtTest>

#include <string>

#include "../common/CaseLog.h"
#include "replay/TrackCollect.h"
#include "replay/TrackExport.h"

using namespace orvane;

class TestTrackCollect : public QObject {
    Q_OBJECT

private slots:
    // Fed one line at a time, the track is that of the log fed whole.
    void piecesMakeTheTrackOfTheWhole_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("one fix, one point") << QFINDTESTDATA("../tools/cases/track_one_fix_one_point.nmea");
        QTest::newRow("the sample") << QFINDTESTDATA("../../samples/drive.nmea");
    }
    void piecesMakeTheTrackOfTheWhole()
    {
        QFETCH(QString, path);
        const std::string log = ReadCaseLog(path);
        TrackCollector whole;
        whole.Feed(log);
        QVERIFY(whole.Size() >= 4);
        const std::string track = TrackToGeoJson(whole.Points(), "log");
        TrackCollector lines;
        for (size_t at = 0; at < log.size();) {
            const size_t end = log.find('\n', at) + 1;
            lines.Feed(std::string_view(log).substr(at, end - at));
            at = end;
        }
        QCOMPARE(TrackToGeoJson(lines.Points(), "log"), track);
    }
};

QTEST_APPLESS_MAIN(TestTrackCollect)
#include "tst_trackcollect.moc"
