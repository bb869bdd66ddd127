#include <QtTest>

#include <QComboBox>
#include <QTcpServer>
#include <QTcpSocket>


#include "../common/LoopbackPort.h"
#include "../common/PseudoTerminal.h"
#include "AppTestSupport.h"

using namespace orvane;

namespace {

const QByteArray kRmc = "$GPRMC,235800.00,A,3733.32791,N,12658.29325,E,0.012,172.00,140326,,,A*6A\r\n";
const QString kRmcLine = "[2026.03.14 23:58:00] (N)37.555465, (E)126.971554, Speed:0.02Km/h, Heading:172.00";
const QByteArray kGga = "$GPGGA,235800.00,3733.32791,N,12658.29325,E,1,22,0.64,31.5,M,23.6,M,,*6F\r\n";

}  // namespace

class TestOnline : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;
    quint16 m_Port = 0;

    void WriteConfig(const QString& uartPort)
    {
        m_Port = FreePort();
        QVERIFY(!WriteFile(m_Folder, "config.ini",
                           QString("[uart]\nport=%1\nbaudrate=115200\n[server]\ninputport=%2\n")
                               .arg(uartPort, QString::number(m_Port))
                               .toUtf8())
                     .isEmpty());
    }

    static void GoLive(COrvaneDlg& dialog)
    {
        dialog.Button(IDC_ONLINE_MODE)->click();
        dialog.Button(IDC_LIVE_INPUT)->click();
    }

    static void Tick(COrvaneDlg& dialog) { dialog.OnTimer(kLiveTimerId); }

    static int Count(const COrvaneDlg& dialog, const QString& line)
    {
        return int(dialog.DisplayText().split("\r\n").count(line));
    }

private slots:
    void initTestCase() { SetConfigFolder(m_Folder.path()); }

    void layoutFollowsMode()
    {
        COrvaneDlg dialog;
        dialog.show();
        dialog.Button(IDC_ONLINE_MODE)->click();
        QCOMPARE(dialog.Button(IDC_ONLINE_MODE)->text(), QString("Offline Mode"));
        for (int id : {IDC_LOAD_FILE, IDC_PURGE, IDC_SLOWER, IDC_RUN, IDC_FASTER, IDC_REPEAT})
            QVERIFY(!dialog.Control(id)->isVisible());
        for (int id : {IDC_LIVE_INPUT, IDC_RECORDING, IDC_DEVELOPER_CODE_EDIT, IDC_DEVELOPER_CODE})
            QVERIFY(dialog.Control(id)->isVisible());
        QCOMPARE(dialog.Button(IDC_LIVE_INPUT)->text(), QString("Start Parsing"));
        QComboBox* talkers = dialog.Combo(IDC_SATELLITE_LIST);
        QCOMPARE(talkers->count(), 8);
        QCOMPARE(talkers->currentText(), QString("GPS (GP)"));
        QVERIFY(talkers->isEnabled());
        QCOMPARE(dialog.Combo(IDC_MESSAGE_LIST)->currentIndex(), kRmcRow);

        dialog.Button(IDC_ONLINE_MODE)->click();
        QCOMPARE(dialog.Button(IDC_ONLINE_MODE)->text(), QString("Online Mode"));
        QVERIFY(dialog.Control(IDC_RUN)->isVisible());
        QVERIFY(!dialog.Control(IDC_LIVE_INPUT)->isVisible());
        QCOMPARE(talkers->count(), 0);
    }

    // The serial port is tried first; a sentence that straddles two ticks
    // is decoded once, whole.
    void serialSentenceAcrossTicks()
    {
        PseudoTerminal receiver;
        QVERIFY(!QString::fromStdString(receiver.SlavePath()).isEmpty());
        WriteConfig(QString::fromStdString(receiver.SlavePath()));
        COrvaneDlg dialog;
        GoLive(dialog);
        QCOMPARE(TopLines(dialog, 1).first(),
                 QString("[UART] OK to open the GNSS data port(%1 115200bps)").arg(QString::fromStdString(receiver.SlavePath())));
        QVERIFY(!dialog.DisplayText().contains("[TCP]"));
        QCOMPARE(dialog.Button(IDC_LIVE_INPUT)->text(), QString("Pause"));
        QVERIFY(dialog.LiveTimer().isActive());

        QVERIFY(receiver.Send((kGga + kRmc.left(30)).toStdString()));
        QTRY_VERIFY(dialog.Live().Lines().Waiting(kSerialSource) == 30);
        // Right after a tick of the window's own timer, the rest has a whole
        // period to arrive: the sentence straddles that tick.
        QSignalSpy ticks(&dialog.LiveTimer(), &QTimer::timeout);
        QVERIFY(ticks.wait());
        QCOMPARE(dialog.Live().Lines().Waiting(kSerialSource), size_t(30));
        QVERIFY(receiver.Send(kRmc.mid(30).toStdString()));
        QTRY_COMPARE(Count(dialog, kRmcLine), 1);
        Tick(dialog);
        QCOMPARE(Count(dialog, kRmcLine), 1);
        QVERIFY(!dialog.DisplayText().contains("Error Code"));

        dialog.Button(IDC_LIVE_INPUT)->click();
        QCOMPARE(TopLines(dialog, 1).first(),
                 QString("[UART] OK to close the GNSS data port (%1 115200bps)").arg(QString::fromStdString(receiver.SlavePath())));
        QCOMPARE(dialog.Button(IDC_LIVE_INPUT)->text(), QString("Start Parsing"));
        QVERIFY(!dialog.LiveTimer().isActive());
    }

    // An unplugged receiver closes the port by itself; it can start again.
    void vanishingReceiver()
    {
        auto receiver = std::make_unique<PseudoTerminal>();
        WriteConfig(QString::fromStdString(receiver->SlavePath()));
        COrvaneDlg dialog;
        GoLive(dialog);
        QCOMPARE(dialog.Button(IDC_LIVE_INPUT)->text(), QString("Pause"));
        receiver->CloseMaster();
        QTRY_COMPARE(dialog.Button(IDC_LIVE_INPUT)->text(), QString("Start Parsing"));
        const QStringList lines = TopLines(dialog, 2);
        QCOMPARE(lines[0], QString("[UART] OK to close the GNSS data port (%1 115200bps)").arg(QString::fromStdString(receiver->SlavePath())));
        QVERIFY(lines[1].startsWith(QString("[UART] Lost the GNSS data port (%1 115200bps): ").arg(QString::fromStdString(receiver->SlavePath()))));
        QVERIFY(!dialog.LiveTimer().isActive());

        receiver = std::make_unique<PseudoTerminal>();
        WriteConfig(QString::fromStdString(receiver->SlavePath()));
        dialog.Button(IDC_LIVE_INPUT)->click();
        QCOMPARE(dialog.Button(IDC_LIVE_INPUT)->text(), QString("Pause"));
    }

    // Without a serial receiver the TCP input opens; three clients come and
    // their disconnect lines follow the close line in order of connection.
    void tcpClientsInOrder()
    {
        WriteConfig("/nonexistent/ttyGPS");
        COrvaneDlg dialog;
        GoLive(dialog);
        QCOMPARE(TopLines(dialog, 3), (QStringList{QString("[TCP] OK to open GNSS data port (%1)").arg(m_Port),
                                                     QString("[Config] server/inputport = %1 (ok)").arg(m_Port),
                                                     "[UART] Fail to open the GNSS data port(/nonexistent/ttyGPS 115200bps)"}));
        QTcpSocket clients[3];
        QStringList peers;
        for (QTcpSocket& client : clients) {
            client.connectToHost(QHostAddress::LocalHost, m_Port);
            QVERIFY(client.waitForConnected(5000));
            peers << QString("127.0.0.1:%1").arg(client.localPort());
            QTRY_VERIFY(dialog.DisplayText().contains("[TCP] new client is connected (" + peers.last() + ")"));
        }
        dialog.Button(IDC_LIVE_INPUT)->click();
        QCOMPARE(TopLines(dialog, 1).first(), QString("[TCP] OK to close GNSS data port (%1)").arg(m_Port));
        QTRY_COMPARE(TopLines(dialog, 4),
                     (QStringList{"[TCP] a client is disconnected (" + peers[2] + ")",
                                  "[TCP] a client is disconnected (" + peers[1] + ")",
                                  "[TCP] a client is disconnected (" + peers[0] + ")",
                                  QString("[TCP] OK to close GNSS data port (%1)").arg(m_Port)}));
    }

    // Two clients whose sentences arrive in interleaved pieces are both
    // decoded, each once.
    void interleavedClients()
    {
        WriteConfig("/nonexistent/ttyGPS");
        COrvaneDlg dialog;
        GoLive(dialog);
        QTcpSocket first, second;
        for (QTcpSocket* client : {&first, &second}) {
            client->connectToHost(QHostAddress::LocalHost, m_Port);
            QVERIFY(client->waitForConnected(5000));
        }
        const QByteArray other = QByteArray(kRmc).replace("235800.00", "235801.00");
        QTRY_COMPARE(dialog.DisplayText().count("[TCP] new client is connected"), 2);
        // Just after a tick of the window's timer, so that no source stays
        // silent for a whole tick while the pieces come.
        QSignalSpy ticks(&dialog.LiveTimer(), &QTimer::timeout);
        QVERIFY(ticks.wait());
        first.write(kRmc.left(20));
        QTRY_COMPARE(dialog.Live().Lines().WaitingTotal(), size_t(20));
        second.write(other.left(40));
        QTRY_COMPARE(dialog.Live().Lines().WaitingTotal(), size_t(60));
        first.write(kRmc.mid(20));
        QTRY_COMPARE(dialog.Live().Lines().WaitingTotal(), size_t(40));
        second.write(other.mid(40));
        QTRY_COMPARE(dialog.Live().Lines().WaitingTotal(), size_t(0));
        const QString otherLine = QString(kRmcLine).replace("23:58:00", "23:58:01");
        QTRY_VERIFY((Tick(dialog), Count(dialog, kRmcLine) == 1 && Count(dialog, otherLine) == 1));
        Tick(dialog);
        QCOMPARE(Count(dialog, kRmcLine), 1);
        QCOMPARE(Count(dialog, otherLine), 1);
        QVERIFY(!dialog.DisplayText().contains("Error Code"));
    }

    // A peer that sends whole sentences without line ends is decoded at the
    // next tick, not held until 4096 bytes pile up.
    void sentenceWithoutLineEndIsDecoded()
    {
        WriteConfig("/nonexistent/ttyGPS");
        COrvaneDlg dialog;
        GoLive(dialog);
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, m_Port);
        QVERIFY(client.waitForConnected(5000));
        client.write(kRmc.chopped(2));
        QTRY_COMPARE(Count(dialog, kRmcLine), 1);
        QCOMPARE(dialog.Live().Lines().WaitingTotal(), size_t(0));
    }

    // A "%1" inside a configured port name is printed as it stands, not
    // replaced by the next value of the line.
    void placeholderInPortNamePrintedAsIs()
    {
        WriteConfig("/nonexistent/tty%1x");
        COrvaneDlg dialog;
        GoLive(dialog);
        QVERIFY(dialog.DisplayText().contains("[UART] Fail to open the GNSS data port(/nonexistent/tty%1x 115200bps)"));
    }

    // Online, the map buttons keep the lists open for a new choice.
    void mapButtonsKeepListsEnabledOnline()
    {
        QVERIFY(!WriteFile(m_Folder, "config.ini", "[map]\ncount=1\nurl1=about:blank\n").isEmpty());
        COrvaneDlg dialog;
        dialog.Button(IDC_ONLINE_MODE)->click();
        for (int id : {IDC_ENABLE_MAP, IDC_SECONDARY_MAP, IDC_SECONDARY_MAP, IDC_ENABLE_MAP}) {
            dialog.Button(id)->click();
            QVERIFY2(dialog.Combo(IDC_SATELLITE_LIST)->isEnabled(), qPrintable(dialog.Button(id)->text()));
            QVERIFY(dialog.Combo(IDC_MESSAGE_LIST)->isEnabled());
        }
        QCOMPARE(dialog.Button(IDC_ENABLE_MAP)->text(), QString("Enable Map"));
    }

    // A log dropped while online touches neither the live text nor the
    // lists; one line says why.
    void dropWhileOnlineRefused()
    {
        WriteConfig("/nonexistent/ttyGPS");
        COrvaneDlg dialog;
        GoLive(dialog);
        dialog.Combo(IDC_SATELLITE_LIST)->setCurrentIndex(2);
        const QString log = WriteFile(m_Folder, "log.nmea", kRmc.repeated(20));
        dialog.DropFiles({log});
        QCOMPARE(TopLines(dialog, 1).first(), QString("Fail to load 'log.nmea': leave Online Mode first."));
        QVERIFY(!dialog.State().m_Loaded);
        QVERIFY(!QString::fromStdString(dialog.State().NmeaText).contains("$GPRMC"));
        QCOMPARE(dialog.Combo(IDC_SATELLITE_LIST)->count(), 8);
        QCOMPARE(dialog.Combo(IDC_SATELLITE_LIST)->currentIndex(), 2);
        QVERIFY(dialog.LiveTimer().isActive());
    }

    // Leaving online mode while live closes the source first.
    void leaveWhileLive()
    {
        WriteConfig("/nonexistent/ttyGPS");
        COrvaneDlg dialog;
        GoLive(dialog);
        QVERIFY(dialog.LiveTimer().isActive());
        dialog.Button(IDC_ONLINE_MODE)->click();
        QCOMPARE(TopLines(dialog, 1).first(), QString("[TCP] OK to close GNSS data port (%1)").arg(m_Port));
        QVERIFY(!dialog.LiveTimer().isActive());
        QCOMPARE(dialog.Button(IDC_ONLINE_MODE)->text(), QString("Online Mode"));
        QCOMPARE(dialog.Combo(IDC_SATELLITE_LIST)->count(), 0);
        QTcpSocket late;
        late.connectToHost(QHostAddress::LocalHost, m_Port);
        QVERIFY(!late.waitForConnected(2000));
    }
};

QTEST_MAIN(TestOnline)
#include "tst_online.moc"
