// SPDX-License-Identifier: GPL-3.0-or-later
// The RTCM 3 frame checker: streams built here from frames, wrong CRCs,
// cut frames and junk, fed whole and in pieces of every size.

#include <QtTest>

#include <map>

#include "../common/RtcmFrameBuilder.h"
#include "decoder/RtcmFrames.h"

using namespace orvane;

namespace {

using TypeCounts = std::map<uint16_t, uint64_t>;

struct Expected {
    uint64_t frames = 0, wrongCrc = 0, cutFrames = 0, junkStretches = 0, junkBytes = 0;
    TypeCounts types;
};

QByteArray WithWrongCrc(QByteArray frame)
{
    frame[frame.size() - 1] = char(frame.back() ^ 0x01);
    return frame;
}

QByteArray WithFlippedPayloadBit(QByteArray frame)
{
    frame[10] = char(frame[10] ^ 0x20);
    return frame;
}

TypeCounts TypesOf(const RtcmFrameChecker& checker)
{
    TypeCounts counts;
    for (const auto& [type, count] : checker.Types())
        counts[type] = count.count;
    return counts;
}

void Feed(RtcmFrameChecker& checker, const QByteArray& bytes, int64_t nowMs = 0)
{
    checker.Feed(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), nowMs);
}

}  // namespace

Q_DECLARE_METATYPE(Expected)

class TestRtcmFrames : public QObject {
    Q_OBJECT
private slots:
    // The check value of CRC-24Q over "123456789", for the test's own CRC
    // and the program's.
    void crcCheckValue()
    {
        const QByteArray check = "123456789";
        QCOMPARE(BitwiseCrc24q(check), 0xCDE703u);
        QCOMPARE(Crc24q(reinterpret_cast<const uint8_t*>(check.constData()), size_t(check.size())), 0xCDE703u);
    }

    void counts_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<Expected>("expected");

        const QByteArray f1005 = RtcmFrame(1005, 19), f1074 = RtcmFrame(1074, 180, 7), f1084 = RtcmFrame(1084, 120, 3),
                         f1094 = RtcmFrame(1094, 160, 9), f1124 = RtcmFrame(1124, 140, 5),
                         f1230 = RtcmFrame(1230, 6, 2);
        QTest::newRow("good frames") << f1005 + f1074 + f1084 + f1094 + f1124 + f1230 + f1074
                                     << Expected{.frames = 7,
                                            .types = {{1005, 1}, {1074, 2}, {1084, 1}, {1094, 1}, {1124, 1},
                                                {1230, 1}}};
        QTest::newRow("wrong crc") << f1005 + WithWrongCrc(f1074) + f1084
                                   << Expected{.frames = 2, .wrongCrc = 1, .types = {{1005, 1}, {1084, 1}}};
        QTest::newRow("flipped payload bit") << f1005 + WithFlippedPayloadBit(f1094) + f1084
                                             << Expected{.frames = 2, .wrongCrc = 1, .types = {{1005, 1}, {1084, 1}}};
        QTest::newRow("cut frame") << f1005 + f1074.left(40) + f1084
                                   << Expected{.frames = 2, .cutFrames = 1, .types = {{1005, 1}, {1084, 1}}};
        QTest::newRow("cut header") << f1005 + f1074.left(2) + f1084
                                    << Expected{.frames = 2, .cutFrames = 1, .types = {{1005, 1}, {1084, 1}}};
        QTest::newRow("junk between frames")
            << f1005 + "$GPTXT,hello\r\n" + f1084
            << Expected{.frames = 2, .junkStretches = 1, .junkBytes = 14, .types = {{1005, 1}, {1084, 1}}};
        QTest::newRow("junk with a false preamble")
            << f1005 + QByteArray("\xD3\xFF\x01xyz", 6) + f1084
            << Expected{.frames = 2, .junkStretches = 1, .junkBytes = 6, .types = {{1005, 1}, {1084, 1}}};
        QTest::newRow("junk first") << "\r\n" + f1230
                                    << Expected{.frames = 1, .junkStretches = 1, .junkBytes = 2, .types = {{1230, 1}}};
        QTest::newRow("two junk stretches")
            << "ab" + f1005 + "cde" + f1084
            << Expected{.frames = 2, .junkStretches = 2, .junkBytes = 5, .types = {{1005, 1}, {1084, 1}}};
        QTest::newRow("cut at the end") << f1005 + f1074.left(100)
                                        << Expected{.frames = 1, .cutFrames = 1, .types = {{1005, 1}}};
        QTest::newRow("lone preamble at the end")
            << f1005 + QByteArray(1, char(0xD3)) << Expected{.frames = 1, .cutFrames = 1, .types = {{1005, 1}}};
        QTest::newRow("wrong crc then cut")
            << WithWrongCrc(f1124) + f1094.left(30) + f1005
            << Expected{.frames = 1, .wrongCrc = 1, .cutFrames = 1, .types = {{1005, 1}}};
        QTest::newRow("frames without a number")
            << RtcmFrame(0, 0) + RtcmFrame(0, 1) + f1005 << Expected{.frames = 3, .types = {{1005, 1}}};
        QTest::newRow("longest frame") << RtcmFrame(1077, 1023) + f1005
                                       << Expected{.frames = 2, .types = {{1077, 1}, {1005, 1}}};
        QTest::newRow("only junk") << QByteArray("$GPGGA,1*00\r\n")
                                   << Expected{.junkStretches = 1, .junkBytes = 13, .types = {}};
    }
    // Whatever the pieces, the same counts; every byte is counted as seen.
    void counts()
    {
        QFETCH(QByteArray, stream);
        QFETCH(Expected, expected);
        for (const qsizetype piece : {qsizetype(1), qsizetype(2), qsizetype(5), qsizetype(64), stream.size()}) {
            RtcmFrameChecker checker;
            for (qsizetype at = 0; at < stream.size(); at += piece)
                Feed(checker, stream.mid(at, piece));
            checker.EndOfStream();
            const RtcmCounts& counts = checker.Counts();
            const QString where = QString("pieces of %1").arg(piece);
            QVERIFY2(counts.bytes == uint64_t(stream.size()), qPrintable(where));
            QVERIFY2(counts.frames == expected.frames, qPrintable(where + " frames " + QString::number(counts.frames)));
            QVERIFY2(counts.wrongCrc == expected.wrongCrc, qPrintable(where));
            QVERIFY2(counts.cutFrames == expected.cutFrames,
                qPrintable(where + " cut " + QString::number(counts.cutFrames)));
            QVERIFY2(counts.junkStretches == expected.junkStretches, qPrintable(where));
            QVERIFY2(counts.junkBytes == expected.junkBytes, qPrintable(where));
            QVERIFY2(TypesOf(checker) == expected.types, qPrintable(where));
            QCOMPARE(counts.BadFrames(), expected.wrongCrc + expected.cutFrames + expected.junkStretches);
        }
    }

    // Each type's time is the caller's time of the piece that completed
    // its last frame.
    void lastTimePerType()
    {
        const QByteArray f1005 = RtcmFrame(1005, 19), f1074 = RtcmFrame(1074, 180);
        RtcmFrameChecker checker;
        Feed(checker, f1005, 1000);
        Feed(checker, f1074.left(50), 2000);
        Feed(checker, f1074.mid(50), 3000);
        Feed(checker, f1005.left(10), 4000);
        QCOMPARE(checker.Types().at(1005).lastMs, int64_t(1000));
        QCOMPARE(checker.Types().at(1074).lastMs, int64_t(3000));
        Feed(checker, f1005.mid(10), 5000);
        QCOMPARE(checker.Types().at(1005).lastMs, int64_t(5000));
        QCOMPARE(checker.Types().at(1005).count, uint64_t(2));
    }

    // A frame open when a stream ends is cut, and the next stream starts
    // afresh; Reset forgets everything.
    void streamEndsAndReset()
    {
        const QByteArray f1084 = RtcmFrame(1084, 120);
        RtcmFrameChecker checker;
        Feed(checker, f1084.left(60));
        QCOMPARE(checker.Counts().cutFrames, uint64_t(0));
        checker.EndOfStream();
        QCOMPARE(checker.Counts().cutFrames, uint64_t(1));
        Feed(checker, f1084.mid(60));  // the rest, on a new stream, is junk
        Feed(checker, f1084);
        QCOMPARE(checker.Counts().junkStretches, uint64_t(1));
        QCOMPARE(checker.Counts().frames, uint64_t(1));
        checker.Reset();
        QCOMPARE(checker.Counts().bytes, uint64_t(0));
        QVERIFY(checker.Types().empty());
    }
};

QTEST_APPLESS_MAIN(TestRtcmFrames)
#include "tst_rtcmframes.moc"
