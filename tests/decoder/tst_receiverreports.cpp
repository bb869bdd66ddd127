// SPDX-License-Identifier: GPL-3.0-or-later
// What GNS, GST, GBS, RMC, THS and TXT report, as the fix summary's
// callers reach it: broken sentences and other types leave it as it was,
// each report replaces its type's whole one, the TXT log. What a single
// sentence of each type gives, and the keys in their order, are the
// summary_receiver_reports case of tests/tools/cases.

#include <QtTest>

#include <string>

#include "../common/Sentence.h"
#include "decoder/ReceiverReports.h"

using namespace orvane;

Q_DECLARE_METATYPE(orvane::ReportResult)

namespace {

// The sentence's type is the three letters after the talker.
ReportResult Take(ReceiverReports& reports, const QString& sentence)
{
    const std::string text = sentence.toStdString();
    return reports.Take(text, text.size() >= 6 ? std::string_view(text).substr(3, 3) : std::string_view());
}

QString Text(const ReceiverReports& reports)
{
    return QString::fromStdString(ReceiverReportsText(reports));
}

// One sentence of every type, each with values in every field it carries.
const QStringList kEveryType = {
    "$GNGNS,014035.00,4332.69262,S,17235.48549,E,RRRRN,31,0.5,23.4,11.3,1.0,0023,S*61",
    "$GNGST,072801.00,0.97,0.012,0.009,85.4,0.010,0.011,0.025*4E",
    "$GNGBS,170557.00,3.0,2.9,8.3,11,0.002,-18.6,4.2,1,7*63",
    "$GNRMC,083559.00,A,4717.11437,N,00833.91522,E,0.004,77.52,091202,,,D,S*33",
    "$GNTHS,77.52,E*2A",
    "$GNTXT,01,01,02,ANTSTATUS=OK*25",
};

ReceiverReports EveryType()
{
    ReceiverReports reports;
    for (const QString& sentence : kEveryType) {
        if (Take(reports, sentence) != ReportResult::Taken)
            qFatal("not taken: %s", qPrintable(sentence));
    }
    return reports;
}

QList<uint64_t> Updates(const ReceiverReports& reports)
{
    return {reports.Gns().updates, reports.Gst().updates, reports.Gbs().updates, reports.Rmc().updates,
        reports.TrueHeading().updates, reports.Txt().Received()};
}

// A TXT sentence with its checksum.
QString TxtSentence(int total, int number, int id, const QString& text)
{
    const QString body = QString("GNTXT,%1,%2,%3,%4")
                             .arg(total, 2, 10, QChar('0'))
                             .arg(number, 2, 10, QChar('0'))
                             .arg(id, 2, 10, QChar('0'))
                             .arg(text);
    return QString::fromLatin1(WithChecksum(body.toLatin1())).chopped(2);
}

}  // namespace

class TestReceiverReports : public QObject {
    Q_OBJECT

private slots:
    // A sentence cut short or with a field not of its form is reported as
    // not parsed and changes nothing, not even the fields before the fault.
    // (Checksums are not read: the broken rows carry "*00".)
    void brokenSentencesChangeNothing_data()
    {
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<QString>("type");
        const QString gns = "$GNGNS,112257.00,3844.24011,N,00908.43828,W,%1*00";
        QTest::newRow("gns without star") << "$GNGNS,112257.00,3844.24011,N,00908.43828,W,AN,03,10.5,,,,,S"
                                          << "GNS";
        QTest::newRow("gns without station field") << gns.arg("AN,03,10.5,,,") << "GNS";
        QTest::newRow("gns digit among modes") << gns.arg("A1,03,10.5,,,,") << "GNS";
        QTest::newRow("gns lower-case mode") << gns.arg("an,03,10.5,,,,") << "GNS";
        QTest::newRow("gns too many modes") << gns.arg("AAAAAAAAAAAAAAAAA,03,10.5,,,,") << "GNS";
        QTest::newRow("gns satellites with a point") << gns.arg("AN,3.5,10.5,,,,") << "GNS";
        QTest::newRow("gns hdop two points") << gns.arg("AN,03,10.5.1,,,,") << "GNS";
        QTest::newRow("gns nav status two letters") << gns.arg("AN,03,10.5,,,,,SS") << "GNS";
        QTest::newRow("gst seven fields") << "$GNGST,082356.00,1.8,,,,1.7,1.3*00"
                                          << "GST";
        QTest::newRow("gst letter for a sigma") << "$GNGST,082356.00,1.8,,,,1.7,x,2.2*00"
                                                << "GST";
        QTest::newRow("gst minus alone") << "$GNGST,082356.00,-,,,,1.7,1.3,2.2*00"
                                         << "GST";
        QTest::newRow("gst huge number") << "$GNGST,082356.00," + QString(400, '9') + ",,,,1.7,1.3,2.2*00"
                                         << "GST";
        QTest::newRow("gbs signed satellite") << "$GPGBS,235458.00,1.4,1.3,3.1,-3,,-21.4,3.8*00"
                                              << "GBS";
        QTest::newRow("gbs system id of three digits") << "$GNGBS,170557.00,3.0,2.9,8.3,,,,,123,7*00"
                                                       << "GBS";
        QTest::newRow("gbs signal id not hex") << "$GNGBS,170557.00,3.0,2.9,8.3,,,,,1,G*00"
                                               << "GBS";
        QTest::newRow("rmc lower-case mode")
            << "$GNRMC,083559.00,A,4717.11437,N,00833.91522,E,0.004,77.52,091202,,,d,S*00"
            << "RMC";
        QTest::newRow("rmc nav status digit")
            << "$GNRMC,083559.00,A,4717.11437,N,00833.91522,E,0.004,77.52,091202,,,D,1*00"
            << "RMC";
        QTest::newRow("rmc without star") << "$GNRMC,083559.00,A,4717.11437,N,00833.91522,E,0.004,77.52,091202,,,D,S"
                                          << "RMC";
        QTest::newRow("ths above 360") << "$GNTHS,360.5,A*00"
                                       << "THS";
        QTest::newRow("ths without mode field") << "$GNTHS,77.52*00"
                                                << "THS";
        QTest::newRow("txt number above total") << "$GNTXT,01,02,02,ANTSTATUS=OK*00"
                                                << "TXT";
        QTest::newRow("txt number 0") << "$GNTXT,01,00,02,ANTSTATUS=OK*00"
                                      << "TXT";
        QTest::newRow("txt empty id") << "$GNTXT,01,01,,ANTSTATUS=OK*00"
                                      << "TXT";
        QTest::newRow("txt without text field") << "$GNTXT,01,01,02*00"
                                                << "TXT";
        QTest::newRow("txt control character") << "$GNTXT,01,01,02,ANT\tSTATUS*00"
                                               << "TXT";
        QTest::newRow("txt cut short") << "$GNTXT,01,01,02,ANTSTAT"
                                       << "TXT";
        QTest::newRow("address alone") << "$GNGST*00"
                                       << "GST";
        QTest::newRow("empty") << ""
                               << "GNS";
    }

    void brokenSentencesChangeNothing()
    {
        QFETCH(QString, sentence);
        QFETCH(QString, type);
        ReceiverReports reports = EveryType();
        const QString before = Text(reports);
        const QList<uint64_t> updates = Updates(reports);
        const std::string text = sentence.toStdString();
        QCOMPARE(reports.Take(text, type.toStdString()), ReportResult::NotParsed);
        QCOMPARE(Text(reports), before);
        QCOMPARE(Updates(reports), updates);
    }

    void otherTypesAreNotRead_data()
    {
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<QString>("type");
        QTest::newRow("gga") << "$GNGGA,235800.00,3733.32791,N,12658.29325,E,1,22,0.64,31.5,M,23.6,M,,*71"
                             << "GGA";
        QTest::newRow("vtg") << "$GPVTG,172.00,T,,M,000.01,N,000.02,K,A*3A"
                             << "VTG";
        QTest::newRow("lower-case type") << "$GNTHS,77.52,E*2A"
                                         << "ths";
        QTest::newRow("no type") << "$GNTHS,77.52,E*2A"
                                 << "";
        QTest::newRow("broken gsv") << "$GPGSV,x"
                                    << "GSV";
    }

    void otherTypesAreNotRead()
    {
        QFETCH(QString, sentence);
        QFETCH(QString, type);
        ReceiverReports reports = EveryType();
        const QString before = Text(reports);
        const QList<uint64_t> updates = Updates(reports);
        const std::string text = sentence.toStdString();
        QCOMPARE(reports.Take(text, type.toStdString()), ReportResult::OtherType);
        QCOMPARE(Text(reports), before);
        QCOMPARE(Updates(reports), updates);
    }

    // Each sentence replaces its type's whole report: a field the latest
    // sentence left empty is unknown even when an earlier one gave it.
    void latestReportReplacesTheWhole()
    {
        ReceiverReports reports = EveryType();
        QCOMPARE(Take(reports, "$GNGST,082356.00,1.8,,,,1.7,1.3,2.2*60"), ReportResult::Taken);
        QCOMPARE(reports.Gst().updates, uint64_t(2));
        const GstReport& gst = reports.Gst().value;
        QCOMPARE(gst.rangeRms, std::optional<double>(1.8));
        QVERIFY(!gst.sigmaMajor && !gst.sigmaMinor && !gst.orientation);
        QCOMPARE(gst.sigmaAltitude, std::optional<double>(2.2));

        // 28 satellites used in a GNS, however many a GGA could hold.
        QCOMPARE(Take(reports, "$GNGNS,093020.00,3150.81213,S,11552.40391,E,AAAAN,28,0.6,31.6,-30.8,,,S*61"),
            ReportResult::Taken);
        const GnsReport& gns = reports.Gns().value;
        QCOMPARE(gns.Modes(), std::string_view("AAAAN"));
        QCOMPARE(gns.satellitesUsed, std::optional<int32_t>(28));
        QCOMPARE(gns.geoidSeparation, std::optional<double>(-30.8));
        QVERIFY(!gns.differentialAge && !gns.stationId);
        QCOMPARE(gns.navStatus, std::optional<char>('S'));
        QCOMPARE(reports.Gns().updates, uint64_t(2));

        // An RMC of the older form leaves the mode as the last RMC that had one.
        QCOMPARE(Take(reports, "$GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E*68"),
            ReportResult::Taken);
        QCOMPARE(reports.Rmc().updates, uint64_t(1));
        QCOMPARE(reports.Rmc().value, (RmcStatus{'D', 'S'}));
        // One whose mode field is empty says the mode is not known.
        QCOMPARE(Take(reports, "$GPRMC,225446,V,,,,,,,191194,,,*1B"), ReportResult::Taken);
        QCOMPARE(reports.Rmc().updates, uint64_t(2));
        QCOMPARE(reports.Rmc().value, (RmcStatus{}));

        // A heading marked not valid leaves the last valid one.
        QCOMPARE(Take(reports, "$GNTHS,12.00,V*3D"), ReportResult::Taken);
        QCOMPARE(reports.TrueHeading().updates, uint64_t(1));
        QCOMPARE(reports.TrueHeading().value, (HeadingReport{77.52, 'E'}));
        QCOMPARE(Take(reports, "$GNTHS,12.00,M*26"), ReportResult::Taken);
        QCOMPARE(reports.TrueHeading().value, (HeadingReport{12.0, 'M'}));
        QCOMPARE(reports.TrueHeading().updates, uint64_t(2));
    }

    // The last eight TXT sentences, oldest first, each its own message
    // (the parts of a longer message too).
    void txtLogKeepsTheLastEight()
    {
        ReceiverReports reports;
        QString expected;
        for (int k = 1; k <= 11; ++k) {
            QCOMPARE(Take(reports, TxtSentence(1, 1, k % 3, QString("MESSAGE %1").arg(k))), ReportResult::Taken);
            if (k > 3)
                expected += QString("txt=%1,MESSAGE %2\n").arg(k % 3, 2, 10, QChar('0')).arg(k);
        }
        const TxtLog& txt = reports.Txt();
        QCOMPARE(txt.Size(), size_t(8));
        QCOMPARE(txt.Received(), uint64_t(11));
        QCOMPARE(txt.At(0).Text(), std::string_view("MESSAGE 4"));
        QCOMPARE(txt.At(7).Text(), std::string_view("MESSAGE 11"));
        QVERIFY(Text(reports).endsWith(expected));
        QCOMPARE(Text(reports).count("txt="), 8);

        QCOMPARE(Take(reports, TxtSentence(2, 1, 7, "FIRST HALF")), ReportResult::Taken);
        QCOMPARE(Take(reports, TxtSentence(2, 2, 7, "SECOND HALF")), ReportResult::Taken);
        QCOMPARE(txt.Size(), size_t(8));
        QCOMPARE(txt.At(0).Text(), std::string_view("MESSAGE 6"));
        const TxtMessage& first = txt.At(6);
        const TxtMessage& second = txt.At(7);
        QCOMPARE((QList<int32_t>{first.total, first.number, first.id, second.total, second.number, second.id}),
            (QList<int32_t>{2, 1, 7, 2, 2, 7}));
        QCOMPARE(second.Text(), std::string_view("SECOND HALF"));
        QVERIFY(Text(reports).endsWith("txt=07,FIRST HALF\ntxt=07,SECOND HALF\n"));
    }

    // The text as sent, up to its "*": commas and escapes kept, empty
    // allowed, a text longer than the capacity cut.
    void txtTextAsSent_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");
        QTest::newRow("comma in the text") << "PROTVER=18.00, GPS;GLO"
                                           << "PROTVER=18.00, GPS;GLO";
        QTest::newRow("escape") << "A^2CB"
                                << "A^2CB";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("longer than kept") << QString(200, 'x') << QString(int(kTxtTextCapacity), 'x');
    }

    void txtTextAsSent()
    {
        QFETCH(QString, text);
        QFETCH(QString, kept);
        ReceiverReports reports;
        QCOMPARE(Take(reports, TxtSentence(1, 1, 2, text)), ReportResult::Taken);
        QCOMPARE(reports.Txt().Size(), size_t(1));
        const std::string_view got = reports.Txt().At(0).Text();
        QCOMPARE(QString::fromLatin1(got.data(), qsizetype(got.size())), kept);
        QVERIFY(Text(reports).endsWith("\ntxt=02," + kept + "\n"));
    }

    void resetForgetsEverything()
    {
        ReceiverReports reports = EveryType();
        QVERIFY(Text(reports) != Text(ReceiverReports()));
        reports.Reset();
        QCOMPARE(Text(reports), Text(ReceiverReports()));
        QCOMPARE(Updates(reports), (QList<uint64_t>{0, 0, 0, 0, 0, 0}));
        QCOMPARE(reports.Txt().Size(), size_t(0));
    }
};

QTEST_APPLESS_MAIN(TestReceiverReports)
#include "tst_receiverreports.moc"
