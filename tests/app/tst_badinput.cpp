// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile input against the running window: TCP peers that send random
// bytes, endless lines, storms of connections, silence and half closes; a
// serial receiver sending random bytes at full speed; broken config.ini
// files; logs no receiver writes. The window keeps ticking, the other
// sources keep decoding, and each case ends with its usual line.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <QTcpSocket>
#include <QtTest>

#include <atomic>
#include <thread>

#include "../common/LoopbackPort.h"
#include "../common/PseudoTerminal.h"
#include "AppTestSupport.h"

using namespace orvane;

namespace {

QByteArray RandomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = char(random.generate() & 0xff);
    return bytes;
}

// A client socket of the operating system itself, for what QTcpSocket
// does not offer (a half close); -1 when it cannot connect.
int RawConnect(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

}  // namespace

class TestBadInput : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;
    quint16 m_Port = 0;

    void WriteConfig(const QByteArray& bytes) { QVERIFY(UseConfig(m_Folder, bytes)); }
    void WriteTcpConfig() { WriteConfig(TcpInputConfig(m_Port = FreePort())); }

    // The good client's sentence for the second is decoded, whatever the
    // other peers do meanwhile.
    static void VerifyDecodes(COrvaneDlg& dialog, QTcpSocket& good, int second)
    {
        QVERIFY(good.write(Sentences("GP", "RMC", 1, second)) > 0);
        QTRY_VERIFY_WITH_TIMEOUT(DisplayText(dialog).contains(RmcLine(second)), 10000);
    }

    static void VerifyTicking(const COrvaneDlg& dialog)
    {
        QSignalSpy ticks(&dialog.LiveTimer(), &QTimer::timeout);
        QVERIFY(ticks.wait(5000));
    }

private slots:
    void initTestCase() { SetConfigFolder(m_Folder.path()); }

    void hostileTcpPeers()
    {
        WriteTcpConfig();
        AnsweringSeam seam;
        COrvaneDlg dialog(&seam);
        GoLive(dialog);
        QVERIFY(dialog.Live().TcpInputOpen());
        QTcpSocket good;
        QVERIFY(ConnectInput(dialog, good, m_Port));
        // A peer that connects and never sends stays connected throughout.
        QTcpSocket silent;
        QVERIFY(ConnectInput(dialog, silent, m_Port));
        const int held = 2;
        VerifyDecodes(dialog, good, 0);

        // Random bytes from eight peers at once.
        std::vector<std::unique_ptr<QTcpSocket>> noisy;
        for (quint32 k = 0; k < 8; ++k) {
            noisy.push_back(std::make_unique<QTcpSocket>());
            QVERIFY(ConnectInput(dialog, *noisy.back(), m_Port));
            noisy.back()->write(RandomBytes(64 << 10, k + 1));
        }
        VerifyDecodes(dialog, good, 1);
        for (auto& peer : noisy) {
            QTRY_COMPARE(peer->bytesToWrite(), qint64(0));
            peer->disconnectFromHost();
        }
        noisy.clear();
        QTRY_COMPARE(dialog.Live().TcpInputClients(), held);
        VerifyTicking(dialog);

        // A 10 MB line without a line end; the sentence after its end is
        // decoded whole.
        QTcpSocket endless;
        QVERIFY(ConnectInput(dialog, endless, m_Port));
        endless.write(QByteArray(10 << 20, 'x'));
        VerifyDecodes(dialog, good, 2);
        endless.write("\r\n" + Sentences("GP", "RMC", 1, 3));
        QTRY_VERIFY_WITH_TIMEOUT(DisplayText(dialog).contains(RmcLine(3)), 20000);
        endless.disconnectFromHost();
        QTRY_COMPARE(dialog.Live().TcpInputClients(), held);

        // A half-closed peer: its last sentence is decoded and its
        // connection ends.
        const int halfClosed = RawConnect(m_Port);
        QVERIFY(halfClosed >= 0);
        QTRY_COMPARE(dialog.Live().TcpInputClients(), held + 1);
        const QByteArray last = Sentences("GP", "RMC", 1, 4).chopped(2);
        QCOMPARE(::write(halfClosed, last.constData(), size_t(last.size())), ssize_t(last.size()));
        QCOMPARE(::shutdown(halfClosed, SHUT_WR), 0);
        QTRY_VERIFY(DisplayText(dialog).contains(RmcLine(4)));
        QTRY_COMPARE(dialog.Live().TcpInputClients(), held);
        ::close(halfClosed);

        // 1,000 connections opened and dropped, five at a time (the
        // listening queue holds five): each is accepted, then dropped.
        for (int batch = 0; batch < 200; ++batch) {
            int fds[5];
            for (int& fd : fds) {
                fd = RawConnect(m_Port);
                QVERIFY(fd >= 0);
            }
            QTRY_COMPARE(dialog.Live().TcpInputClients(), held + 5);
            for (const int fd : fds)
                ::close(fd);
            QTRY_COMPARE(dialog.Live().TcpInputClients(), held);
        }
        VerifyDecodes(dialog, good, 5);
        VerifyTicking(dialog);
        QVERIFY(silent.state() == QAbstractSocket::ConnectedState);
        QCOMPARE(seam.messages, QStringList{});
    }

    // A receiver that sends random bytes as fast as the terminal takes them.
    void serialRandomBytes()
    {
        PseudoTerminal receiver;
        QVERIFY(receiver.Ok());
        WriteConfig("[uart]\nport=" + QByteArray::fromStdString(receiver.SlavePath()) + "\nbaudrate=115200\n");
        AnsweringSeam seam;
        COrvaneDlg dialog(&seam);
        GoLive(dialog);
        QVERIFY(dialog.Live().SerialOpen());
        std::atomic<bool> flooded{false};
        std::thread writer([&] {
            // 256 KB: the 8 KB queue overflows again and again.
            const QByteArray noise = RandomBytes(256 << 10, 7);
            for (qsizetype at = 0; at < noise.size(); at += 4096)
                receiver.Send(
                    std::string_view(noise.constData() + at, size_t(std::min<qsizetype>(4096, noise.size() - at))));
            flooded = true;
        });
        // The window keeps ticking through the flood.
        QSignalSpy ticks(&dialog.LiveTimer(), &QTimer::timeout);
        const bool ended = QTest::qWaitFor([&] { return flooded.load(); }, 60000);
        writer.join();
        QVERIFY(ended);
        // Once the port has run dry, the receiver's next sentence decodes.
        QTRY_VERIFY(ticks.count() >= 3);
        const int before = int(ticks.count());
        QTRY_VERIFY(ticks.count() >= before + 2);
        QVERIFY(receiver.Send(("\r\n" + Sentences("GP", "RMC", 1, 9)).toStdString()));
        QTRY_VERIFY(DisplayText(dialog).contains(RmcLine(9)));
        VerifyTicking(dialog);
        // A full queue is told as it always is, and nothing else.
        for (const QString& message : seam.messages)
            QCOMPARE(message, QString("m_QueueRead FULL!"));
    }

    // A config.ini of random bytes (other broken files are read in
    // tst_config): the input port's usual line and the TCP input refused;
    // the window then goes live with a good file.
    void brokenConfig()
    {
        WriteConfig(RandomBytes(64 << 10, 3));
        COrvaneDlg dialog;
        GoLive(dialog);
        QStringList lines = TopLines(dialog, 3);
        lines.removeIf([](const QString& line) { return line.startsWith("[TCP] GNSS data port (22): "); });
        QCOMPARE(lines.mid(0, 2),
            (QStringList{"[TCP] Fail to open GNSS data port (22)", "[Config] server/inputport = 22 (default)"}));
        QVERIFY(!dialog.Live().IsOpen());

        WriteTcpConfig();
        Button(dialog, IDC_LIVE_INPUT)->click();
        QVERIFY(dialog.Live().TcpInputOpen());
        QTcpSocket good;
        QVERIFY(ConnectInput(dialog, good, m_Port));
        VerifyDecodes(dialog, good, 0);
    }

    void badLogs_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("messages");
        QByteArray everyByte;
        for (int value = 0; value < 256; ++value)
            everyByte += char(value);
        QTest::newRow("binary") << RandomBytes(1 << 20, 5).replace('\0', '\1')
                                << QStringList{"Invalid NMEA or not enough information", "Load 'bad.log' OK!",
                                       "bad.log"}
                                << QStringList{};
        QTest::newRow("50 MB single line") << QByteArray("$GPRMC,").repeated((50 << 20) / 7)
                                           << QStringList{"Load 'bad.log' OK!", "bad.log"} << QStringList{};
        QTest::newRow("every byte value") << everyByte
                                          << QStringList{"Invalid NMEA or not enough information",
                                                 "1 zero byte skipped", "Load 'bad.log' OK!", "bad.log"}
                                          << QStringList{};
    }

    // Each log has its usual answer, a replay over it ends, and a good log
    // loads after it.
    void badLogs()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, messages);
        AnsweringSeam seam;
        COrvaneDlg dialog(&seam);
        dialog.DropFiles({WriteFile(m_Folder, "bad.log", content)});
        QCOMPARE(TopLines(dialog, int(lines.size())), lines);
        QCOMPARE(seam.messages, messages);
        if (dialog.Replay().Loaded()) {
            // A few replay ticks over it end without a crash.
            Button(dialog, IDC_RUN)->click();
            for (int tick = 0; tick < 5; ++tick)
                dialog.OnReplayTick();
            if (Button(dialog, IDC_RUN)->text() == QString("Stop"))
                Button(dialog, IDC_RUN)->click();
            QCOMPARE(Button(dialog, IDC_RUN)->text(), QString("Run"));
        }
        dialog.DropFiles({WriteFile(m_Folder, "good.log", Sentences("GP", "RMC", 20))});
        QCOMPARE(TopLine(dialog), QString("Load 'good.log' OK!"));
    }
};

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
