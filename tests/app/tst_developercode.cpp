#include <QtTest>

#include "DeveloperCode.h"

using namespace orvane;

Q_DECLARE_METATYPE(orvane::DeveloperCode)

class TestDeveloperCode : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<DeveloperCode>("code");
        QTest::newRow("view raw") << "VIEWLOGDUMP" << DeveloperCode::ShowRawData;
        QTest::newRow("mask raw") << "MASKLOGDUMP" << DeveloperCode::HideRawData;
        QTest::newRow("view tape") << "VIEWTAPESTATE" << DeveloperCode::ShowRecording;
        QTest::newRow("mask tape") << "MASKTAPESTATE" << DeveloperCode::HideRecording;
        QTest::newRow("lower case") << "viewlogdump" << DeveloperCode::ShowRawData;
        QTest::newRow("mixed case") << "MaskTapeState" << DeveloperCode::HideRecording;
        QTest::newRow("blanks between") << "v i e w t a p e s t a t e" << DeveloperCode::ShowRecording;
        QTest::newRow("blanks around") << "  masklogdump   " << DeveloperCode::HideRawData;
        QTest::newRow("tab") << "VIEW\tLOGDUMP" << DeveloperCode::Invalid;
        QTest::newRow("trailing tab") << "VIEWLOGDUMP\t" << DeveloperCode::Invalid;
        QTest::newRow("line break") << "VIEWLOGDUMP\n" << DeveloperCode::Invalid;
        QTest::newRow("no-break space") << QString("VIEW") + QChar(0x00A0) + "LOGDUMP" << DeveloperCode::Invalid;
        QTest::newRow("dotless i") << QString("v") + QChar(0x0131) + "ewlogdump" << DeveloperCode::Invalid;
        QTest::newRow("empty") << "" << DeveloperCode::Invalid;
        QTest::newRow("only blanks") << "   " << DeveloperCode::Invalid;
        QTest::newRow("prefix") << "VIEWLOGDUM" << DeveloperCode::Invalid;
        QTest::newRow("longer") << "VIEWLOGDUMPS" << DeveloperCode::Invalid;
    }
    void parse()
    {
        QFETCH(QString, typed);
        QFETCH(DeveloperCode, code);
        QCOMPARE(ParseDeveloperCode(typed), code);
    }

    void lines_data()
    {
        QTest::addColumn<DeveloperCode>("code");
        QTest::addColumn<QString>("line");
        QTest::newRow("show raw") << DeveloperCode::ShowRawData << "[Developer Code] Show the 'GNSS Raw Data'";
        QTest::newRow("hide raw") << DeveloperCode::HideRawData << "[Developer Code] Hide the 'GNSS Raw Data'";
        QTest::newRow("show tape") << DeveloperCode::ShowRecording << "[Developer Code] Show the progress of recording";
        QTest::newRow("hide tape") << DeveloperCode::HideRecording << "[Developer Code] Hide the progress of recording";
        QTest::newRow("invalid") << DeveloperCode::Invalid << "[Developer Code] Invalid Code!";
    }
    void lines()
    {
        QFETCH(DeveloperCode, code);
        QFETCH(QString, line);
        QCOMPARE(DeveloperCodeLine(code), line);
    }
};

QTEST_GUILESS_MAIN(TestDeveloperCode)
#include "tst_developercode.moc"
