// SPDX-License-Identifier: GPL-3.0-or-later
// The write path to the receiver: the serial port on a real pseudo-terminal
// and the NMEA server feed on a real socket take commands while they read
// as before; the live session sends to the open receiver, and a sent
// command's mark in a real recording leaves its replay decoding as the
// received data alone decodes.

#include <QtTest>

#include <QTcpServer>
#include <QTcpSocket>

#include "../common/LoopbackPort.h"
#include "../common/PseudoTerminal.h"
#include "../common/RecordingHooks.h"
#include "decoder/Epochs.h"
#include "live/LiveRecorder.h"
#include "live/LiveSession.h"
#include "live/ReceiverCommand.h"
#include "live/SerialPort.h"
#include "live/TcpFeed.h"
#include "replay/Dispatcher.h"
#include "replay/LogText.h"
#include "settings/Config.h"

using namespace orvane;

namespace {

std::string ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// Every line a live tick shows for each talker and sentence type, and the
// epochs the statistics read.
QStringList Decoded(const std::string& text)
{
    QStringList lines;
    for (int talker = 0; talker < kTalkerCount; ++talker) {
        for (int message = 0; message < kMessageCount; ++message) {
            RecordingHooks hooks(message);
            DecodeCursor cursor;
            cursor.m_TalkerRow = talker;
            DispatchOptions options;
            options.m_Online = true;
            while (DispatchSentences(text, cursor, options, hooks)) { }
            lines << hooks.lines;
        }
    }
    const EpochLog log = ReadEpochs(text);
    lines << QString("epochs %1 sentences %2 bad %3").arg(log.epochs.size()).arg(log.sentences).arg(log.badChecksum);
    return lines;
}

// Sends whole lines in pieces the serial queue takes without a "queue
// full" wait, each once the session has taken the one before.
bool SendInPieces(PseudoTerminal& terminal, const LiveSession& session, const std::string& text)
{
    const size_t base = session.RecordText().size();
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.rfind('\n', at + 2000) + 1;
        if (end <= at)
            return false;
        if (!terminal.Send(std::string_view(text).substr(at, end - at)))
            return false;
        at = end;
        QElapsedTimer waited;
        waited.start();
        while (session.RecordText().size() < base + at && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return session.RecordText().size() == base + text.size();
}

}  // namespace

class TestReceiverWrite : public QObject {
    Q_OBJECT
private slots:
    // The port writes what it is given and still reads what arrives.
    void serialWritesAndReads()
    {
        PseudoTerminal terminal;
        QVERIFY(terminal.Ok());
        SerialPort port;
        std::string reason;
        QVERIFY(port.Open(terminal.SlavePath(), 115200, reason));
        const std::string command = MakeReceiverCommand("$PMTK103").bytes;
        QVERIFY(port.Write(command, reason));
        QString written;
        QTRY_COMPARE((written += QString::fromStdString(terminal.Drain())), QString::fromStdString(command));
        QVERIFY(terminal.Send("$GPTXT,01,01,02,ANTSTATUS=OK*3B\r\n"));
        std::string read;
        QTRY_VERIFY((port.TakeQueued(read), read == "$GPTXT,01,01,02,ANTSTATUS=OK*3B\r\n"));
        port.Close();
        QVERIFY(!port.Write(command, reason));
        QCOMPARE(QString::fromStdString(reason), "the port is not open");
    }

    // The NMEA server feed passes commands to its server; gpsd's and an
    // unconnected feed refuse with a reason.
    void tcpFeedWrites()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        TcpFeed feed(TcpFeed::Kind::NmeaServer, "127.0.0.1", server.serverPort());
        QString reason;
        QVERIFY(!feed.Write("$PMTK101*32\r\n", reason));
        QCOMPARE(reason, QString("not connected to 127.0.0.1:%1").arg(server.serverPort()));
        feed.Open();
        QTRY_VERIFY(server.hasPendingConnections() && feed.Connected());
        QTcpSocket* peer = server.nextPendingConnection();
        QVERIFY(feed.Write("$PMTK101*32\r\n", reason));
        QByteArray got;
        QTRY_COMPARE((got += peer->readAll()), QByteArray("$PMTK101*32\r\n"));
        TcpFeed gpsd(TcpFeed::Kind::Gpsd, "127.0.0.1", server.serverPort());
        QVERIFY(!gpsd.Write("x", reason));
        QCOMPARE(reason, QString("gpsd takes no receiver commands"));
    }

    // A session on a pseudo-terminal receiver: a command goes to the
    // receiver, its mark into the recording between whole received lines,
    // and the recording decodes as the received text does.
    void sentCommandInRecording()
    {
        PseudoTerminal terminal;
        QVERIFY(terminal.Ok());
        QTemporaryDir folder;
        QFile ini(folder.filePath("config.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(QByteArray("[uart]\nport=") + terminal.SlavePath().c_str() + "\nbaudrate=115200\n");
        ini.close();
        SetConfigFolder(folder.path());
        SetRecordingFolder(folder.path());

        QStringList lines;
        LiveSession session([&](const QString& line) { lines << line; });
        {
            LiveSession idle([](const QString&) {});
            QVERIFY(!idle.SendToReceiver("x").sent);
        }
        session.Open();
        QVERIFY(session.SerialOpen());
        std::string arrived;
        session.SetArrivalTap([&](SourceId source, std::string_view bytes) {
            if (source == kSerialSource)
                arrived.append(bytes);
        });
        LiveRecorder recorder([&](const QString& line) { lines << line; });
        recorder.Toggle();
        QVERIFY(recorder.Recording());

        std::string sample = ReadAll(ORVANE_SAMPLE).substr(0, 40000);
        sample.erase(sample.rfind('\n') + 1);
        const size_t half = sample.rfind('\n', sample.size() / 2) + 1;
        const std::string first = sample.substr(0, half), second = sample.substr(half);
        QVERIFY(SendInPieces(terminal, session, first));

        const ReceiverCommand command = MakeReceiverCommand("$PMTK103");
        const LiveSession::SendResult result = session.SendToReceiver(command.bytes);
        QVERIFY(result.sent);
        QCOMPARE(result.target, "[UART] " + QString::fromStdString(terminal.SlavePath()));
        const std::string mark = RecordingMark(command, "2026-12-07T23:59:01.123Z");
        session.NoteForRecording(mark);
        QString written;
        QTRY_COMPARE((written += QString::fromStdString(terminal.Drain())), "$PMTK103*30\r\n");

        QVERIFY(SendInPieces(terminal, session, second));
        QCOMPARE(session.TickText(), sample);
        QCOMPARE(arrived, sample);
        recorder.Step(session.RecordText(), false);
        const QString path = recorder.File().Path();
        recorder.Toggle();
        session.Close();
        SetConfigFolder(QString());
        SetRecordingFolder(QString());

        const std::string recorded = ReadAll(path);
        QCOMPARE(recorded, first + mark + second);
        const QStringList replayed = Decoded(recorded);
        QVERIFY(replayed.size() > 200);
        QCOMPARE(replayed, Decoded(sample));
    }
};

QTEST_GUILESS_MAIN(TestReceiverWrite)
#include "tst_receiverwrite.moc"
