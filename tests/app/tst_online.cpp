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
const QByteArray kGga = "$GPGGA,235800.00,3733.32791,N,12658.29325,E,1,22,0.64,31.5,M,23.6,M,,*6F\r\n";

int Count(const COrvaneDlg& dialog, const QString& line)
{
    return int(dialog.DisplayText().split("\r\n").count(line));
}

}  // namespace

class TestOnline : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;
    quint16 m_Port = 0;

    // The serial port as given, 115200 bps, and a free TCP input port.
    void WriteConfig(const QString& uartPort)
    {
        m_Port = FreePort();
        QVERIFY(!WriteFile(m_Folder, "config.ini",
            QString("[uart]\nport=%1\nbaudrate=115200\n[server]\ninputport=%2\n")
                .arg(uartPort, QString::number(m_Port))
                .toUtf8())
                     .isEmpty());
    }

    // A line of the serial port, which names the receiver's device.
    static QString UartLine(const char* format, const PseudoTerminal& receiver)
    {
        return QString(format).arg(QString::fromStdString(receiver.SlavePath()));
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
        QComboBox* talkers = dialog.Combo(IDC_SATELLITE_LIST);
        QCOMPARE(talkers->count(), 8);
        QCOMPARE(talkers->currentText(), QString("GPS (GP)"));
        QVERIFY(talkers->isEnabled());
        QCOMPARE(dialog.Combo(IDC_MESSAGE_LIST)->currentIndex(), kRmcRow);

        dialog.Button(IDC_ONLINE_MODE)->click();
        QCOMPARE(dialog.Button(IDC_ONLINE_MODE)->text(), QString("Online Mode"));
        QVERIFY(dialog.Control(IDC_RUN)->isVisible() && !dialog.Control(IDC_LIVE_INPUT)->isVisible());
        QCOMPARE(talkers->count(), 0);
    }

    // The serial port is tried first; a sentence that straddles two ticks
    // is decoded once, whole.
    void serialSentenceAcrossTicks()
    {
        PseudoTerminal receiver;
        QVERIFY(receiver.Ok());
        WriteConfig(QString::fromStdString(receiver.SlavePath()));
        COrvaneDlg dialog;
        GoLive(dialog);
        QCOMPARE(TopLine(dialog), UartLine("[UART] OK to open the GNSS data port(%1 115200bps)", receiver));
        QVERIFY(!dialog.DisplayText().contains("[TCP]"));
        QCOMPARE(dialog.Button(IDC_LIVE_INPUT)->text(), QString("Pause"));

        QVERIFY(receiver.Send((kGga + kRmc.left(30)).toStdString()));
        QTRY_VERIFY(dialog.Live().Lines().Waiting(kSerialSource) == 30);
        // Right after a tick of the window's own timer, the rest has a whole
        // period to arrive: the sentence straddles that tick.
        QSignalSpy ticks(&dialog.LiveTimer(), &QTimer::timeout);
        QVERIFY(ticks.wait());
        QCOMPARE(dialog.Live().Lines().Waiting(kSerialSource), size_t(30));
        QVERIFY(receiver.Send(kRmc.mid(30).toStdString()));
        QTRY_COMPARE(Count(dialog, RmcLine(0)), 1);
        LiveTick(dialog);
        QCOMPARE(Count(dialog, RmcLine(0)), 1);
        QVERIFY(!dialog.DisplayText().contains("Error Code"));

        dialog.Button(IDC_LIVE_INPUT)->click();
        QCOMPARE(TopLine(dialog), UartLine("[UART] OK to close the GNSS data port (%1 115200bps)", receiver));
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
        QVERIFY(dialog.LiveTimer().isActive());
        receiver->CloseMaster();
        QTRY_COMPARE(dialog.Button(IDC_LIVE_INPUT)->text(), QString("Start Parsing"));
        QCOMPARE(TopLine(dialog), UartLine("[UART] OK to close the GNSS data port (%1 115200bps)", *receiver));
        QVERIFY(
            TopLines(dialog, 2)[1].startsWith(UartLine("[UART] Lost the GNSS data port (%1 115200bps): ", *receiver)));
        QVERIFY(!dialog.LiveTimer().isActive());

        receiver = std::make_unique<PseudoTerminal>();
        WriteConfig(QString::fromStdString(receiver->SlavePath()));
        dialog.Button(IDC_LIVE_INPUT)->click();
        QCOMPARE(dialog.Button(IDC_LIVE_INPUT)->text(), QString("Pause"));
    }

    // Without a serial receiver the TCP input opens; three clients come and
    // their disconnect lines follow the close line in order of connection.
    // A "%1" inside the port name is printed as it stands. A sentence sent
    // without a line end is decoded at once, not held until 4096 bytes pile
    // up.
    void tcpClientsInOrder()
    {
        WriteConfig("/nonexistent/tty%1x");
        COrvaneDlg dialog;
        GoLive(dialog);
        QCOMPARE(TopLines(dialog, 3), (QStringList{QString("[TCP] OK to open GNSS data port (%1)").arg(m_Port),
                                          QString("[Config] server/inputport = %1 (ok)").arg(m_Port),
                                          "[UART] Fail to open the GNSS data port(/nonexistent/tty%1x 115200bps)"}));
        QTcpSocket clients[3];
        QStringList disconnected;
        for (QTcpSocket& client : clients) {
            QVERIFY(ConnectInput(dialog, client, m_Port));
            QVERIFY(dialog.DisplayText().contains(
                QString("[TCP] new client is connected (127.0.0.1:%1)").arg(client.localPort())));
            disconnected.prepend(QString("[TCP] a client is disconnected (127.0.0.1:%1)").arg(client.localPort()));
        }
        clients[1].write(kRmc.chopped(2));
        QTRY_COMPARE(Count(dialog, RmcLine(0)), 1);
        QCOMPARE(dialog.Live().Lines().WaitingTotal(), size_t(0));
        // Any other rest goes on once its source stays silent for a tick.
        dialog.HoldTimer(kLiveTimerId);
        clients[2].write("$GPTXT,rest");
        QTRY_COMPARE(dialog.Live().Lines().WaitingTotal(), size_t(11));
        LiveTick(dialog);
        QCOMPARE(dialog.Live().Lines().WaitingTotal(), size_t(11));
        LiveTick(dialog);
        QCOMPARE(dialog.Live().Lines().WaitingTotal(), size_t(0));
        dialog.Button(IDC_LIVE_INPUT)->click();
        QCOMPARE(TopLine(dialog), QString("[TCP] OK to close GNSS data port (%1)").arg(m_Port));
        QTRY_COMPARE(TopLines(dialog, 4),
            disconnected + QStringList{QString("[TCP] OK to close GNSS data port (%1)").arg(m_Port)});
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
    // lists; one line says why. Leaving online mode then closes the source.
    void dropWhileOnlineRefusedThenLeave()
    {
        WriteConfig("/nonexistent/ttyGPS");
        COrvaneDlg dialog;
        GoLive(dialog);
        dialog.Combo(IDC_SATELLITE_LIST)->setCurrentIndex(2);
        dialog.DropFiles({WriteFile(m_Folder, "log.nmea", kRmc.repeated(20))});
        QCOMPARE(TopLine(dialog), QString("Fail to load 'log.nmea': leave Online Mode first."));
        QVERIFY(!dialog.State().m_Loaded);
        QVERIFY(!QString::fromStdString(dialog.State().NmeaText).contains("$GPRMC"));
        QCOMPARE(dialog.Combo(IDC_SATELLITE_LIST)->count(), 8);
        QCOMPARE(dialog.Combo(IDC_SATELLITE_LIST)->currentIndex(), 2);
        QVERIFY(dialog.LiveTimer().isActive());

        dialog.Button(IDC_ONLINE_MODE)->click();
        QCOMPARE(TopLine(dialog), QString("[TCP] OK to close GNSS data port (%1)").arg(m_Port));
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
