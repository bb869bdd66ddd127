// SPDX-License-Identifier: GPL-3.0-or-later
// The NTRIP client against real casters on 127.0.0.1: RTKLIB's str2str
// relaying frames pushed into it, and the tests' own NTRIP 2 caster. The
// corrections go to a pseudo-terminal standing in for the receiver.

#include <QtTest>

#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>

#include <memory>

#include "../common/LoopbackPort.h"
#include "../common/NtripTestCaster.h"
#include "../common/ReceiverPty.h"
#include "../common/RtcmFrameBuilder.h"
#include "SourceSpies.h"
#include "live/NtripClient.h"
#include "live/NtripReply.h"

using namespace orvane;

namespace {

constexpr int kRetryMs = 200;
const QByteArray kGga = "$GPGGA,120000.00,4807.03800,N,01131.00000,E,1,08,0.9,545.4,M,46.9,M,,*4E";

const QByteArray f1005 = RtcmFrame(1005, 19), f1074 = RtcmFrame(1074, 180, 7), f1084 = RtcmFrame(1084, 120, 3),
                 f1094 = RtcmFrame(1094, 160, 9), f1124 = RtcmFrame(1124, 140, 5), f1230 = RtcmFrame(1230, 6, 2);

QByteArray WithWrongCrc(QByteArray frame)
{
    frame[frame.size() - 1] = char(frame.back() ^ 0x01);
    return frame;
}

// A client with its lines caught and its corrections written to a
// receiver's pseudo-terminal.
struct Client : NtripClient, SourceSpies {
    ReceiverPty receiver;
    QSignalSpy tables;
    QList<State> states;

    Client(const NtripSettings& settings, NtripTiming timing)
        : NtripClient(settings, timing), SourceSpies(this), tables(this, &NtripClient::SourceTableRead)
    {
        connect(this, &NtripClient::Corrections, this, [this](const QByteArray& bytes) { receiver.Write(bytes); });
        connect(this, &NtripClient::StateChanged, this, [this](State state) { states << state; });
    }
    bool HasLine(const QString& line) const { return Lines().contains(line); }
    qsizetype Tries() const { return states.count(State::Connecting); }
};

NtripTiming FastTiming(int stallMs = 5000)
{
    return NtripTiming{.retryMs = kRetryMs, .connectTimeoutMs = 3000, .stallMs = stallMs, .ggaIntervalMs = 100};
}

NtripSettings Settings(quint16 port, const QString& mountpoint = "MOUNT", const QString& password = "s3cret",
    const QString& host = "127.0.0.1")
{
    return NtripSettings{.caster = host, .port = port, .mountpoint = mountpoint, .user = "ann", .password = password};
}

// True once something accepts connections on the port.
bool Listening(quint16 port)
{
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port);
    return probe.waitForConnected(200);
}

// RTKLIB's str2str as a caster: it relays what comes into its input port
// to the clients of its mountpoint.
class Str2Str {
public:
    Str2Str(quint16 inPort, quint16 outPort) : m_In(inPort), m_Out(outPort) { }
    ~Str2Str() { Stop(); }
    bool Start()
    {
        m_Process = std::make_unique<QProcess>();
        m_Process->setProcessChannelMode(QProcess::MergedChannels);
        m_Process->start("str2str",
            {"-in", QString("tcpsvr://:%1").arg(m_In), "-out", QString("ntripc://ann:s3cret@:%1/MOUNT").arg(m_Out)});
        return m_Process->waitForStarted();
    }
    void Stop()
    {
        if (!m_Process)
            return;
        m_Process->terminate();
        if (!m_Process->waitForFinished(3000))
            m_Process->kill();
        m_Process->waitForFinished(3000);
        m_Process.reset();
    }
    // Pushes bytes into the input port, connecting first.
    bool Push(const QByteArray& bytes)
    {
        if (!m_Pusher || m_Pusher->state() != QAbstractSocket::ConnectedState) {
            m_Pusher = std::make_unique<QTcpSocket>();
            m_Pusher->connectToHost(QHostAddress::LocalHost, m_In);
            if (!m_Pusher->waitForConnected(2000))
                return false;
        }
        m_Pusher->write(bytes);
        return m_Pusher->waitForBytesWritten(2000);
    }
    void DropPusher() { m_Pusher.reset(); }

private:
    quint16 m_In, m_Out;
    std::unique_ptr<QProcess> m_Process;
    std::unique_ptr<QTcpSocket> m_Pusher;
};

bool HaveStr2Str()
{
    return !QStandardPaths::findExecutable("str2str").isEmpty();
}

}  // namespace

class TestNtrip : public QObject {
    Q_OBJECT
private slots:
    // Frames pushed into str2str reach the receiver byte for byte and in
    // order, bad ones too, across a restart of the caster; the frames are
    // counted on the way.
    void str2strRelaysAcrossRestart()
    {
        if (!HaveStr2Str())
            QSKIP("str2str (Debian package rtklib) is not installed");
        const quint16 in = FreePort(), out = FreePort();
        Str2Str caster(in, out);
        QVERIFY(caster.Start());
        QTRY_VERIFY_WITH_TIMEOUT(Listening(out), 10000);
        Client client(Settings(out), FastTiming());
        QVERIFY(client.receiver.Ok());
        client.Open();
        const QString address = QString("127.0.0.1:%1/MOUNT").arg(out);
        QTRY_VERIFY_WITH_TIMEOUT(client.HasLine("[NTRIP] connected to " + address + " (NTRIP 1)"), 10000);

        const QByteArray first = f1005 + f1074 + WithWrongCrc(f1084) + "junk\r\n" + f1094;
        QVERIFY(caster.Push(first));
        QTRY_COMPARE_WITH_TIMEOUT(client.receiver.Received(), first, 10000);

        caster.Stop();
        caster.DropPusher();
        const auto lossLine = [&] {
            const QStringList lines = client.Lines();
            const auto it = std::find_if(lines.begin(), lines.end(),
                [&](const QString& line) { return line.startsWith("[NTRIP] lost " + address + " ("); });
            return it == lines.end() ? QString() : *it;
        };
        QTRY_VERIFY(!lossLine().isEmpty());
        QVERIFY2(lossLine().endsWith("); next try in 0.2 s"), qPrintable(lossLine()));
        QVERIFY(caster.Start());
        QTRY_VERIFY_WITH_TIMEOUT(client.HasLine("[NTRIP] reconnected to " + address + " (NTRIP 1)"), 15000);

        const QByteArray second = f1124 + f1230 + f1074.left(30) + f1005 + f1094;
        QVERIFY(caster.Push(second));
        QTRY_COMPARE_WITH_TIMEOUT(client.receiver.Received(), first + second, 10000);
        QCOMPARE(client.BytesReceived(), first.size() + second.size());
        const RtcmCounts& counts = client.Frames().Counts();
        QTRY_COMPARE(counts.frames, uint64_t(7));
        QCOMPARE(counts.wrongCrc, uint64_t(1));
        QCOMPARE(counts.cutFrames, uint64_t(1));
        QCOMPARE(counts.junkStretches, uint64_t(1));
        QCOMPARE(client.Frames().Types().at(1094).count, uint64_t(2));
    }

    // str2str refuses a wrong password, and answers a mountpoint it does
    // not have with its source table.
    void str2strRefuses_data()
    {
        QTest::addColumn<QString>("mountpoint");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("reason");
        QTest::newRow("wrong password") << "MOUNT"
                                        << "wrong"
                                        << "401 Unauthorized: wrong user or password";
        QTest::newRow("missing mountpoint") << "NOPE"
                                            << "s3cret"
                                            << "the caster has no mountpoint NOPE: it sent its source table";
    }
    void str2strRefuses()
    {
        if (!HaveStr2Str())
            QSKIP("str2str (Debian package rtklib) is not installed");
        QFETCH(QString, mountpoint);
        QFETCH(QString, password);
        QFETCH(QString, reason);
        const quint16 in = FreePort(), out = FreePort();
        Str2Str caster(in, out);
        QVERIFY(caster.Start());
        QTRY_VERIFY_WITH_TIMEOUT(Listening(out), 10000);
        Client client(Settings(out, mountpoint, password), FastTiming());
        client.Open();
        QTRY_VERIFY_WITH_TIMEOUT(!client.status.isEmpty(), 10000);
        QCOMPARE(client.Lines(),
            QStringList{QString("[NTRIP] fail to connect to 127.0.0.1:%1/%2 (%3); next try in 0.2 s")
                            .arg(QString::number(out), mountpoint, reason)});
        // The same refusal, try after try, is written once.
        QTRY_VERIFY(client.states.count(NtripClient::State::Waiting) >= 3);
        QCOMPARE(client.status.size(), 1);
        QVERIFY(client.receiver.Received().isEmpty());
    }

    // NTRIP 2 from the tests' caster: the request's form, the stream in
    // chunks of any size (or bare, for NTRIP 1) passed on byte for byte,
    // and the receiver's GGA sent to the caster at the interval.
    void streamsAndSendsGga_data()
    {
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("chunkSize");
        QTest::newRow("NTRIP 2, chunks of 1") << 2 << 1;
        QTest::newRow("NTRIP 2, chunks of 7") << 2 << 7;
        QTest::newRow("NTRIP 2, chunks of 4096") << 2 << 4096;
        QTest::newRow("NTRIP 1") << 1 << 0;
    }
    void streamsAndSendsGga()
    {
        QFETCH(int, version);
        QFETCH(int, chunkSize);
        NtripTestCaster caster;
        caster.chunkSize = chunkSize;
        NtripSettings settings = Settings(caster.Port());
        settings.version = version;
        Client client(settings, FastTiming());
        client.SetLatestFix(kGga, 48.1, 11.5);
        client.Open();
        const QString address = QString("127.0.0.1:%1/MOUNT").arg(caster.Port());
        QTRY_COMPARE(client.Lines(),
            QStringList{QString("[NTRIP] connected to %1 (NTRIP %2)").arg(address).arg(version)});
        QCOMPARE(client.AnswerVersion(), version);
        const QByteArray request = caster.requests.value(0);
        const QByteArray auth = "Authorization: Basic " + QByteArray("ann:s3cret").toBase64() + "\r\n";
        QVERIFY2(request.startsWith(version == 2 ? "GET /MOUNT HTTP/1.1\r\n" : "GET /MOUNT HTTP/1.0\r\n"), request);
        QVERIFY(request.contains(auth));
        QCOMPARE(request.contains("Ntrip-Version: Ntrip/2.0\r\n"), version == 2);
        QVERIFY(request.contains("User-Agent: NTRIP "));

        const QByteArray stream = f1005 + f1074 + "\xD3\x00" + WithWrongCrc(f1124) + f1230 + f1084;
        QTRY_VERIFY(caster.streaming);
        caster.Send(stream);
        QTRY_COMPARE(client.receiver.Received(), stream);
        QTRY_COMPARE(client.Frames().Counts().frames, uint64_t(4));
        QCOMPARE(client.Frames().Counts().BadFrames(), uint64_t(2));  // the cut frame and the wrong CRC

        QTRY_VERIFY(caster.sentLines.size() >= 3);
        for (const QByteArray& line : caster.sentLines)
            QCOMPARE(line, kGga);
        QVERIFY(client.GgaSent() >= 3);
    }

    // Without a mountpoint the source table is read once and listed
    // nearest first, by geodesic distance from the latest fix.
    void sourceTableNearestFirst_data()
    {
        QTest::addColumn<int>("version");
        QTest::newRow("NTRIP 2, in chunks") << 2;
        QTest::newRow("NTRIP 1") << 1;
    }
    void sourceTableNearestFirst()
    {
        QFETCH(int, version);
        NtripTestCaster caster;
        caster.chunkSize = 13;
        caster.table =
            "CAS;127.0.0.1;2101;Test;Orvane;0;DEU;48.0;11.0;0.0.0.0;0;none\r\n"
            "STR;FAR;Far;RTCM 3.3;1005(10),1074(1);2;GPS;Net;DEU;0.00;3.00;0;0;x;none;B;N;9600;\r\n"
            "STR;NEAR;Near;RTCM 3.2;1005(10);2;GPS+GLO;Net;DEU;0.00;1.00;1;0;x;none;B;N;9600;\r\n"
            "STR;NOWHERE;;RTCM 3;;\r\n"
            "STR;MID;Mid;RTCM 3.2;1005(10);2;GPS+GAL;Net;DEU;2.00;0.00;0;0;x;none;B;N;9600;\r\n";
        NtripSettings settings = Settings(caster.Port(), "");
        settings.version = version;
        Client client(settings, FastTiming());
        client.SetLatestFix(kGga, 0.0, 0.0);
        client.Open();
        QTRY_COMPARE(client.tables.size(), 1);
        QStringList names;
        for (const NtripMountpoint& mountpoint : client.Mountpoints())
            names << mountpoint.name;
        QCOMPARE(names, (QStringList{"NEAR", "MID", "FAR", "NOWHERE"}));
        // One degree of longitude on the equator is 111319.49 m on WGS84;
        // one of latitude from it, 110574.39 m.
        QVERIFY(std::abs(*client.Mountpoints()[0].distanceMetres - 111319.49) < 0.5);
        QVERIFY(std::abs(*client.Mountpoints()[1].distanceMetres - 2 * 110574.39) < 300);
        QVERIFY(client.Mountpoints()[0].wantsGga);
        QCOMPARE(client.Lines(), QStringList{QString("[NTRIP] 127.0.0.1:%1 has 4 mountpoint(s), nearest first: NEAR "
                                                     "(RTCM 3.2, GPS+GLO, 111.3 km), MID (RTCM 3.2, GPS+GAL, 221.1 "
                                                     "km), FAR (RTCM 3.3, GPS, 334.0 km), NOWHERE (RTCM 3)")
                                                 .arg(caster.Port())});
        QCOMPARE(client.CurrentState(), NtripClient::State::Closed);
        QCOMPARE(caster.requests.value(0).left(16),
            QByteArray("GET / HTTP/1.").append(version == 2 ? '1' : '0') + "\r\n");
    }

    // Each way a connection fails has its line, and the client tries again.
    void failures_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("mountpoint");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("tableForUnknown");
        QTest::addColumn<QString>("reason");
        QTest::newRow("refused") << "127.0.0.1"
                                 << "MOUNT"
                                 << "s3cret" << false << "Connection refused";
        QTest::newRow("unknown host") << "nosuchhost.invalid"
                                      << "MOUNT"
                                      << "s3cret" << false << "Host not found";
        QTest::newRow("wrong password") << "127.0.0.1"
                                        << "MOUNT"
                                        << "wrong" << false << "401 Unauthorized: wrong user or password";
        QTest::newRow("no such mountpoint, 404")
            << "127.0.0.1"
            << "NOPE"
            << "s3cret" << false << "404 Not Found: the caster has no mountpoint NOPE";
        QTest::newRow("no such mountpoint, source table")
            << "127.0.0.1"
            << "NOPE"
            << "s3cret" << true << "the caster has no mountpoint NOPE: it sent its source table";
    }
    void failures()
    {
        QFETCH(QString, host);
        QFETCH(QString, mountpoint);
        QFETCH(QString, password);
        QFETCH(bool, tableForUnknown);
        QFETCH(QString, reason);
        auto caster = std::make_unique<NtripTestCaster>();
        caster->tableForUnknown = tableForUnknown;
        caster->table = "STR;MOUNT;;RTCM 3.2;;\r\n";
        const quint16 port = caster->Port();
        if (reason == "Connection refused")
            caster.reset();
        Client client(Settings(port, mountpoint, password, host), FastTiming());
        client.Open();
        QTRY_VERIFY_WITH_TIMEOUT(!client.status.isEmpty(), 30000);
        QCOMPARE(client.Lines(), QStringList{QString("[NTRIP] fail to connect to %1:%2/%3 (%4); next try in 0.2 s")
                                                 .arg(host, QString::number(port), mountpoint, reason)});
        const qsizetype tries = client.Tries();
        QTRY_VERIFY(client.Tries() > tries);  // the next try
        QVERIFY(client.receiver.Received().isEmpty());
    }

    // A stream that stops sending is lost after the stall time, and the
    // client connects again.
    void stalledStreamIsLost()
    {
        NtripTestCaster caster;
        Client client(Settings(caster.Port()), FastTiming(400));
        client.Open();
        const QString address = QString("127.0.0.1:%1/MOUNT").arg(caster.Port());
        QTRY_VERIFY(caster.streaming);
        caster.Send(f1005);
        QTRY_COMPARE(client.receiver.Received(), f1005);
        QTRY_COMPARE(client.status.size(), 2);
        QCOMPARE(client.Lines()[1], "[NTRIP] lost " + address + " (no data in 0.4 s); next try in 0.2 s");
        QTRY_COMPARE(client.status.size(), 3);
        QCOMPARE(client.Lines()[2], "[NTRIP] reconnected to " + address + " (NTRIP 2)");
        QCOMPARE(caster.requests.size(), 2);
    }

    // What some NTRIP 1 casters put between ICY 200 OK and the stream.
    void icyPrelude_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<bool>("ended");
        QTest::addColumn<int>("size");
        QTest::newRow("a frame at once") << f1005 << false << 0;
        QTest::newRow("nothing yet") << QByteArray() << false << -1;
        QTest::newRow("a blank line") << "\r\n" + f1005 << false << 2;
        QTest::newRow("header lines") << "Server: x\r\nX-A: b\r\n\r\n" + f1005 << false << 21;
        QTest::newRow("header lines coming") << QByteArray("Server: x\r\n") << false << -1;
        QTest::newRow("text without a blank line, ended") << QByteArray("Server: x\r\n") << true << 0;
    }
    void icyPrelude()
    {
        QFETCH(QByteArray, stream);
        QFETCH(bool, ended);
        QFETCH(int, size);
        QCOMPARE(IcyPreludeSize(stream, ended), qsizetype(size));
    }
};

QTEST_MAIN(TestNtrip)
#include "tst_ntrip.moc"
