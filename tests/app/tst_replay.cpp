#include <QtTest>

#include <QComboBox>
#include <QSlider>

#include "AppTestSupport.h"

using namespace orvane;

class TestReplay : public QObject {
    Q_OBJECT

    QTemporaryDir m_Folder;  // config folder without config.ini
    QTemporaryDir m_Logs;

    // Three GPS RMC sentences among GGA sentences that make GPS offered.
    void Load(COrvaneDlg& dialog,
        const QByteArray& content = Sentences("GP", "GGA", 4) + Sentences("GP", "RMC", 3) + Sentences("GP", "GGA", 4))
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
        Load(dialog);
        if (repeat) {
            dialog.Button(IDC_REPEAT)->click();
            QCOMPARE(dialog.Button(IDC_REPEAT)->text(), QString("Once"));
        }
        dialog.Button(IDC_RUN)->click();
        QCOMPARE(dialog.State().m_TalkerRow, 0);
        QCOMPARE(dialog.Button(IDC_RUN)->text(), QString("Stop"));
        QVERIFY(dialog.Replay().Timer().isActive());
        QCOMPARE(dialog.Replay().Timer().interval(), 1000);
        for (const int id : {IDC_SATELLITE_LIST, IDC_MESSAGE_LIST, IDC_REPLAY_SLIDER, IDC_SHOW_SIGNALS})
            QVERIFY2(!dialog.Control(id)->isEnabled(), qPrintable(QString::number(id)));

        for (int second = 0; second < 3; ++second) {
            Tick(dialog);
            QCOMPARE(TopLine(dialog), RmcLine(second));
            QVERIFY(dialog.Slider()->value() > 0 && dialog.Slider()->value() < 10000);
        }
        Tick(dialog);
        if (repeat) {
            QCOMPARE(TopLines(dialog, 2), (QStringList{"Replay Log", RmcLine(2)}));
            QVERIFY(dialog.Replay().Timer().isActive());
            QCOMPARE(dialog.Button(IDC_RUN)->text(), QString("Stop"));
            Tick(dialog);
            QCOMPARE(TopLine(dialog), RmcLine(0));
            return;
        }
        QCOMPARE(TopLines(dialog, 2), (QStringList{"Finish Parsing", RmcLine(2)}));
        QCOMPARE(dialog.Slider()->value(), 10000);
        QCOMPARE(dialog.State().m_ParsePosition, -1);
        QVERIFY(!dialog.Replay().Timer().isActive());
        QCOMPARE(dialog.Button(IDC_RUN)->text(), QString("Run"));
        QVERIFY(dialog.Slider()->isEnabled());

        // Run after the end replays from the beginning.
        dialog.Button(IDC_RUN)->click();
        Tick(dialog);
        QCOMPARE(TopLine(dialog), RmcLine(0));
    }

    void timerDrivesTheReplay()
    {
        COrvaneDlg dialog;
        Load(dialog);
        while (dialog.Replay().SpeedStep() < 10)
            dialog.Button(IDC_FASTER)->click();
        dialog.Button(IDC_RUN)->click();
        QTRY_COMPARE(TopLines(dialog, 4), (QStringList{"Finish Parsing", RmcLine(2), RmcLine(1), RmcLine(0)}));
        QVERIFY(!dialog.Replay().Timer().isActive());
        QTRY_VERIFY(ViewShowsText(dialog));
    }

    void parserErrorStopsWithoutFinishing()
    {
        COrvaneDlg dialog;
        Load(dialog, Sentences("GP", "RMC", 1) + "$GPRMC,1*00\r\n" + Sentences("GP", "RMC", 10, 1));
        dialog.Button(IDC_RUN)->click();
        Tick(dialog);
        Tick(dialog);
        QVERIFY(TopLine(dialog).startsWith("[RMC] Error Code:  "));
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
        QCOMPARE(TopLine(dialog), RmcLine(1));
    }

    // Ten steps, each with its period; Faster and Slower are disabled at
    // the ends.
    void speedSteps()
    {
        COrvaneDlg dialog;
        Load(dialog);
        dialog.Button(IDC_RUN)->click();
        const int periods[] = {1000, 500, 333, 250, 200, 166, 142, 125, 111, 100};
        const auto verifyStep = [&](int step) {
            QCOMPARE(dialog.Replay().SpeedStep(), int16_t(step));
            QCOMPARE(dialog.Replay().Interval(), int16_t(periods[step - 1]));
            QCOMPARE(dialog.Replay().Timer().interval(), periods[step - 1]);
            QVERIFY(dialog.Replay().Timer().isActive());
            QCOMPARE(dialog.Button(IDC_FASTER)->isEnabled(), step < 10);
            QCOMPARE(dialog.Button(IDC_SLOWER)->isEnabled(), step > 1);
        };
        for (int step = 2; step <= 10; ++step) {
            dialog.Button(IDC_FASTER)->click();
            verifyStep(step);
        }
        for (int step = 9; step >= 1; --step) {
            dialog.Button(IDC_SLOWER)->click();
            verifyStep(step);
        }
    }

    // Letting go of the thumb, a page step and the wheel all seek: thumb
    // and replay position never disagree.
    void seekToTheMiddle()
    {
        // 20001 characters: sentences up to position 10000, then the rest.
        const QByteArray before = Sentences("GP", "RMC", 11);
        QByteArray content = before + QByteArray(10000 - before.size(), ' ');
        const QByteArray after = Sentences("GP", "RMC", 1, 30);
        content += after + QByteArray(20001 - content.size() - after.size(), ' ');
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
        QCOMPARE(TopLine(dialog), RmcLine(30));

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

    // Purge stops and unloads but keeps the text; Clear empties the text.
    void purgeAndClear()
    {
        COrvaneDlg dialog;
        Load(dialog);
        dialog.Button(IDC_RUN)->click();
        Tick(dialog);
        const QString lines = dialog.DisplayText();
        dialog.Button(IDC_PURGE)->click();
        QVERIFY(!dialog.Replay().Timer().isActive());
        QVERIFY(!dialog.State().m_Running && !dialog.State().m_Loaded);
        QCOMPARE(dialog.Combo(IDC_SATELLITE_LIST)->count() + dialog.Combo(IDC_MESSAGE_LIST)->count(), 0);
        for (const int id : {IDC_RUN, IDC_PURGE, IDC_SATELLITE_LIST, IDC_MESSAGE_LIST, IDC_REPLAY_SLIDER})
            QVERIFY2(!dialog.Control(id)->isEnabled(), qPrintable(QString::number(id)));
        QCOMPARE(dialog.Button(IDC_RUN)->text(), QString("Run"));
        QCOMPARE(dialog.Slider()->value(), 0);
        QCOMPARE(dialog.State().NmeaTextLength, 0);
        QVERIFY(dialog.State().NmeaText.empty());
        QCOMPARE(dialog.DisplayText(), lines);

        dialog.Button(IDC_CLEAR)->click();
        QCOMPARE(dialog.DisplayText(), QString());
        QCOMPARE(ViewText(dialog), QString());
    }
};

QTEST_MAIN(TestReplay)
#include "tst_replay.moc"
