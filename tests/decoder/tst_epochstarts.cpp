// SPDX-License-Identifier: GPL-3.0-or-later
// Where each epoch of a log begins: the line that opened it, whatever the
// line ends, with untimed sentences before the first time and sentences
// the reader refuses in between.

#include <QtTest>

#include <string>

#include "../common/Sentence.h"
#include "decoder/EpochStarts.h"

using namespace orvane;

namespace {

// count epochs a second apart from 10:00:00, each an RMC, a GGA and a GSA,
// the line ends replaced by lineEnd; a GSV before the first time when
// leading, and a sentence with a wrong checksum after each GGA.
std::string Log(int count, const std::string& lineEnd, bool leading)
{
    std::string log;
    const auto add = [&](std::string sentence) {
        sentence.resize(sentence.size() - 2);
        log += sentence + lineEnd;
    };
    if (leading)
        add(Nmea("GPGSV,1,1,01,05,40,050,45"));
    char body[120];
    for (int s = 0; s < count; ++s) {
        std::snprintf(body, sizeof body, "GPRMC,1000%02d.00,A,3730.0,N,12700.0,E,0.0,0.0,140326,,,A", s);
        add(Nmea(body));
        std::snprintf(body, sizeof body, "GPGGA,1000%02d.00,3730.0,N,12700.0,E,1,05,1.0,50.0,M,20.0,M,,", s);
        add(Nmea(body));
        add("$GPGGA,bad*00\r\n");
        add(Nmea("GPGSA,A,3,05,,,,,,,,,,,,1.8,1.0,1.5"));
    }
    return log;
}

}  // namespace

class TestEpochStarts : public QObject {
    Q_OBJECT

private slots:
    void startsAtTheOpeningLine_data()
    {
        QTest::addColumn<QString>("lineEnd");
        QTest::addColumn<bool>("leading");
        QTest::newRow("CR LF") << "\r\n" << false;
        QTest::newRow("LF, a GSV before the first time") << "\n" << true;
        QTest::newRow("CR LF, a GSV before the first time") << "\r\n" << true;
        QTest::newRow("CR") << "\r" << false;
    }

    void startsAtTheOpeningLine()
    {
        QFETCH(QString, lineEnd);
        QFETCH(bool, leading);
        const std::string text = Log(40, lineEnd.toStdString(), leading);
        const EpochsWithStarts read = ReadEpochsWithStarts(text);
        const EpochLog whole = ReadEpochs(text);
        QCOMPARE(read.log.epochs.size(), size_t(40));
        QCOMPARE(read.log.epochs.size(), whole.epochs.size());
        QCOMPARE(read.log.badChecksum, whole.badChecksum);
        QCOMPARE(read.starts.size(), read.log.epochs.size());
        QCOMPARE(read.starts[0], uint64_t(0));
        for (size_t k = 1; k < read.starts.size(); ++k) {
            QCOMPARE(read.log.epochs[k].timeMs, whole.epochs[k].timeMs);
            const std::string opening = QString("$GPRMC,1000%1.00,").arg(k, 2, 10, QChar('0')).toStdString();
            QCOMPARE(text.substr(read.starts[k], opening.size()), opening);
        }
        // Any place in an epoch's text belongs to it.
        for (size_t k = 0; k < read.starts.size(); ++k) {
            const uint64_t end = k + 1 < read.starts.size() ? read.starts[k + 1] : text.size();
            QCOMPARE(EpochAtOffset(read.starts, read.starts[k]), k);
            QCOMPARE(EpochAtOffset(read.starts, end - 1), k);
        }
    }

    void piecesGiveTheSameStarts_data()
    {
        QTest::addColumn<int>("pieceSize");
        for (const int size : {1, 2, 7, 64, 65, 1000})
            QTest::newRow(qPrintable(QString::number(size))) << size;
    }

    void piecesGiveTheSameStarts()
    {
        // Lines cut between pieces, kept and read with the next: each epoch
        // still begins where its opening line begins in the stream.
        QFETCH(int, pieceSize);
        const std::string text = Log(40, "\r\n", true);
        const EpochsWithStarts whole = ReadEpochsWithStarts(text);
        EpochLog log;
        std::vector<uint64_t> starts;
        EpochReader reader(log, &starts);
        for (size_t at = 0; at < text.size(); at += size_t(pieceSize))
            reader.Feed(std::string_view(text).substr(at, size_t(pieceSize)));
        reader.Finish();
        QCOMPARE(log.epochs.size(), size_t(40));
        QVERIFY(starts == whole.starts);

        // A second stream fed after the first: its epochs begin in it.
        const size_t firstStream = starts.size();
        reader.Feed(text);
        reader.Finish();
        QCOMPARE(starts.size(), 2 * firstStream);
        for (size_t k = 0; k < firstStream; ++k)
            QCOMPARE(starts[firstStream + k], text.size() + whole.starts[k]);
    }
};

QTEST_GUILESS_MAIN(TestEpochStarts)
#include "tst_epochstarts.moc"
