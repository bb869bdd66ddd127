#include <QtTest>

#include <QComboBox>
#include <QSlider>

#include "AppTestSupport.h"

using namespace orvane;

namespace {

const QString kFirst = "[2026.03.14 23:58:00] (N)37.555465, (E)126.971554, Speed:0.02Km/h, Heading:172.00";
const QString kSecond = "[2026.03.14 23:58:01] (N)37.555465, (E)126.971554, Speed:0.02Km/h, Heading:172.00";
const QString kThird = "[2026.03.14 23:58:02] (N)37.555465, (E)126.971554, Speed:0.02Km/h, Heading:172.00";

// Three GPS RMC sentences among GGA sentences that make GPS offered.
QByteArray ThreeRmc()
{
    return Sentences("GP", "GGA", 4) + Sentences("GP", "RMC", 3) + Sentences("GP", "GGA", 4);
}

}  // namespace

class TestReplay : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;  // config folder without config.ini
    QTemporaryDir m_Logs;

    void Load(COrvaneDlg& dialog, const QByteArray& content)
    {
        dialog.DropFiles({WriteFile(m_Logs, "log.nmea", content)});
        QVERIFY(dialog.State().m_Loaded);
    }

    static void Tick(COrvaneDlg& dialog) { dialog.OnTimer(kReplayTimerId); }

private slots:
    void initTestCase() { SetConfigFolder(m_Folder.path()); }

    void threeSentences_data()
    {
        QTest::addColumn<bool>("repeat");
        QTest::newRow("once") << false;
        QTest::newRow("repeat") << true;
    }

    void threeSentences()
    {
        QFETCH(bool, repeat);
        COrvaneDlg dialog;
        Load(dialog, ThreeRmc());
        if (repeat) {
            dialog.Button(IDC_REPEAT)->click();
            QCOMPARE(dialog.Button(IDC_REPEAT)->text(), QString("Once"));
        }
        dialog.Button(IDC_RUN)->click();
        QCOMPARE(dialog.State().m_TalkerRow, 0);
        QCOMPARE(dialog.Button(IDC_RUN)->text(), QString("Stop"));
        QVERIFY(dialog.Replay().Timer().isActive());
        QCOMPARE(dialog.Replay().Timer().interval(), 1000);
        QVERIFY(!dialog.Combo(IDC_SATELLITE_LIST)->isEnabled());
        QVERIFY(!dialog.Combo(IDC_MESSAGE_LIST)->isEnabled());
        QVERIFY(!dialog.Slider()->isEnabled());
        QVERIFY(!dialog.Button(IDC_SHOW_SIGNALS)->isEnabled());

        for (const QString& line : {kFirst, kSecond, kThird}) {
            Tick(dialog);
            QCOMPARE(TopLines(dialog, 1), QStringList{line});
            QVERIFY(dialog.Slider()->value() > 0 && dialog.Slider()->value() < 10000);
        }
        Tick(dialog);
        if (repeat) {
            QCOMPARE(TopLines(dialog, 2), (QStringList{"Replay Log", kThird}));
            QVERIFY(dialog.Replay().Timer().isActive());
            QCOMPARE(dialog.Button(IDC_RUN)->text(), QString("Stop"));
            Tick(dialog);
            QCOMPARE(TopLines(dialog, 1), QStringList{kFirst});
            return;
        }
        QCOMPARE(TopLines(dialog, 2), (QStringList{"Finish Parsing", kThird}));
        QCOMPARE(dialog.Slider()->value(), 10000);
        QCOMPARE(dialog.State().m_ParsePosition, -1);
        QVERIFY(!dialog.Replay().Timer().isActive());
        QCOMPARE(dialog.Button(IDC_RUN)->text(), QString("Run"));
        QVERIFY(dialog.Slider()->isEnabled());

        // Run after the end replays from the beginning.
        dialog.Button(IDC_RUN)->click();
        QCOMPARE(dialog.State().m_ParsePosition, 0);
        Tick(dialog);
        QCOMPARE(TopLines(dialog, 1), QStringList{kFirst});
    }

    void timerDrivesTheReplay()
    {
        COrvaneDlg dialog;
        Load(dialog, ThreeRmc());
        while (dialog.Replay().SpeedStep() < 10)
            dialog.Button(IDC_FASTER)->click();
        dialog.Button(IDC_RUN)->click();
        QTRY_COMPARE(TopLines(dialog, 4), (QStringList{"Finish Parsing", kThird, kSecond, kFirst}));
        QVERIFY(!dialog.Replay().Timer().isActive());
        QTRY_COMPARE(ViewText(dialog), QString(dialog.DisplayText()).replace("\r\n", "\n"));
    }

    void parserErrorStopsWithoutFinishing()
    {
        COrvaneDlg dialog;
        Load(dialog, Sentences("GP", "RMC", 1) + "$GPRMC,1*00\r\n" + Sentences("GP", "RMC", 10, 1));
        dialog.Button(IDC_RUN)->click();
        Tick(dialog);
        QCOMPARE(TopLines(dialog, 1), QStringList{kFirst});
        Tick(dialog);
        QVERIFY(TopLines(dialog, 1).constFirst().startsWith("[RMC] Error Code:  "));
        QVERIFY(!dialog.State().m_Running);
        const QString afterError = dialog.DisplayText();
        Tick(dialog);
        QCOMPARE(dialog.DisplayText(), afterError);
        QVERIFY(!dialog.Replay().Timer().isActive());
        QCOMPARE(dialog.Button(IDC_RUN)->text(), QString("Run"));
        QVERIFY(dialog.Combo(IDC_MESSAGE_LIST)->isEnabled());
        // Run goes on after the failed sentence.
        dialog.Button(IDC_RUN)->click();
        Tick(dialog);
        QCOMPARE(TopLines(dialog, 1), QStringList{kSecond});
    }

    void speedSteps()
    {
        COrvaneDlg dialog;
        Load(dialog, ThreeRmc());
        dialog.Button(IDC_RUN)->click();
        const int periods[] = {1000, 500, 333, 250, 200, 166, 142, 125, 111, 100};
        for (int step = 2; step <= 10; ++step) {
            QVERIFY(dialog.Button(IDC_FASTER)->isEnabled());
            dialog.Button(IDC_FASTER)->click();
            QCOMPARE(dialog.Replay().SpeedStep(), int16_t(step));
            QCOMPARE(dialog.Replay().Interval(), int16_t(periods[step - 1]));
            QCOMPARE(dialog.Replay().Timer().interval(), periods[step - 1]);
            QVERIFY(dialog.Replay().Timer().isActive());
            QVERIFY(dialog.Button(IDC_SLOWER)->isEnabled());
        }
        QVERIFY(!dialog.Button(IDC_FASTER)->isEnabled());
        for (int step = 9; step >= 1; --step) {
            dialog.Button(IDC_SLOWER)->click();
            QCOMPARE(dialog.Replay().SpeedStep(), int16_t(step));
            QCOMPARE(dialog.Replay().Timer().interval(), periods[step - 1]);
            QVERIFY(dialog.Button(IDC_FASTER)->isEnabled());
        }
        QVERIFY(!dialog.Button(IDC_SLOWER)->isEnabled());
    }

    void seekToTheMiddle()
    {
        // 20001 characters: sentences up to position 10000, then the rest.
        const QByteArray before = Sentences("GP", "RMC", 11);
        QByteArray content = before + QByteArray(10000 - before.size(), ' ');
        const QByteArray after = Sentences("GP", "RMC", 1, 30);
        content += after + QByteArray(20001 - content.size() - after.size(), ' ');
        QCOMPARE(content.size(), 20001);
        COrvaneDlg dialog;
        Load(dialog, content);
        QSlider* slider = dialog.Slider();
        slider->setSliderDown(true);
        slider->setSliderPosition(5000);
        slider->setSliderDown(false);
        QCOMPARE(dialog.State().m_SliderValue, 5000);
        QCOMPARE(dialog.State().m_ParsePosition, 10000);
        dialog.Button(IDC_RUN)->click();
        Tick(dialog);
        QCOMPARE(TopLines(dialog, 1),
                 QStringList{"[2026.03.14 23:58:30] (N)37.555465, (E)126.971554, Speed:0.02Km/h, Heading:172.00"});

        // A page step of the slider seeks as well, and so does the wheel:
        // thumb and replay position never disagree.
        dialog.Button(IDC_RUN)->click();
        slider->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(dialog.State().m_ParsePosition, int(double(slider->value()) / 10000.0 * 20001));
        const int beforeWheel = slider->value();
        QWheelEvent wheel(QPointF(5, 5), slider->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(slider, &wheel);
        QVERIFY(slider->value() > beforeWheel);
        QCOMPARE(dialog.State().m_SliderValue, slider->value());
        QCOMPARE(dialog.State().m_ParsePosition, int(double(slider->value()) / 10000.0 * 20001));
    }

    void purgeWhileRunning()
    {
        COrvaneDlg dialog;
        Load(dialog, ThreeRmc());
        dialog.Button(IDC_RUN)->click();
        Tick(dialog);
        const QString lines = dialog.DisplayText();
        dialog.Button(IDC_PURGE)->click();
        QVERIFY(!dialog.Replay().Timer().isActive());
        QVERIFY(!dialog.State().m_Running && !dialog.State().m_Loaded);
        QCOMPARE(dialog.Combo(IDC_SATELLITE_LIST)->count(), 0);
        QCOMPARE(dialog.Combo(IDC_MESSAGE_LIST)->count(), 0);
        for (const int id : {IDC_RUN, IDC_PURGE, IDC_SATELLITE_LIST, IDC_MESSAGE_LIST, IDC_REPLAY_SLIDER})
            QVERIFY2(!dialog.Control(id)->isEnabled(), qPrintable(QString::number(id)));
        QCOMPARE(dialog.Button(IDC_RUN)->text(), QString("Run"));
        QCOMPARE(dialog.Slider()->value(), 0);
        QCOMPARE(dialog.State().NmeaTextLength, 0);
        QVERIFY(dialog.State().NmeaText.empty());
        QCOMPARE(dialog.DisplayText(), lines);
    }

    void clearEmptiesTheView()
    {
        COrvaneDlg dialog;
        Load(dialog, ThreeRmc());
        dialog.Button(IDC_CLEAR)->click();
        QCOMPARE(dialog.DisplayText(), QString());
        QCOMPARE(ViewText(dialog), QString());
        QVERIFY(dialog.State().m_Loaded);
    }
};

QTEST_MAIN(TestReplay)
#include "tst_replay.moc"
