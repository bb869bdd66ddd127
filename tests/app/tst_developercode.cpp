// SPDX-License-Identifier: GPL-3.0-or-later
// The developer codes as typed: each of the four words in any case and with
// blanks; no other white space and no letter that only turns into a code's
// letter; and the line each writes. tst_online types them into the window.

#include <QtTest>

#include "DeveloperCode.h"

using namespace orvane;

class TestDeveloperCode : public QObject {
    Q_OBJECT
private slots:
    void parseAndLine_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<DeveloperCode>("code");
        QTest::addColumn<QString>("line");
        const QString raw = "[Developer Code] %1 the 'GNSS Raw Data'";
        const QString progress = "[Developer Code] %1 the progress of recording";
        const QString invalid = "[Developer Code] Invalid Code!";
        QTest::newRow("viewlogdump") << "viewlogdump" << DeveloperCode::ShowRawData << raw.arg("Show");
        QTest::newRow("mask log") << " Mask Log Dump " << DeveloperCode::HideRawData << raw.arg("Hide");
        QTest::newRow("viewtape") << "v i e w t a p e s t a t e" << DeveloperCode::ShowRecording
                                  << progress.arg("Show");
        QTest::newRow("MASKTAPESTATE") << "MASKTAPESTATE" << DeveloperCode::HideRecording << progress.arg("Hide");
        QTest::newRow("tab") << "VIEW\tLOGDUMP" << DeveloperCode::Invalid << invalid;
        QTest::newRow("no-break space") << QStringLiteral("VIEW\u00a0LOGDUMP") << DeveloperCode::Invalid << invalid;
        QTest::newRow("dotless i") << QStringLiteral("v\u0131ewlogdump") << DeveloperCode::Invalid << invalid;
        QTest::newRow("only blanks") << "   " << DeveloperCode::Invalid << invalid;
        QTest::newRow("empty") << "" << DeveloperCode::Invalid << invalid;
        QTest::newRow("prefix") << "VIEWLOGDUM" << DeveloperCode::Invalid << invalid;
        QTest::newRow("longer") << "VIEWLOGDUMPS" << DeveloperCode::Invalid << invalid;
    }
    void parseAndLine()
    {
        QFETCH(QString, typed);
        QFETCH(DeveloperCode, code);
        QFETCH(QString, line);
        QCOMPARE(ParseDeveloperCode(typed), code);
        QCOMPARE(DeveloperCodeLine(code), line);
    }
};

QTEST_APPLESS_MAIN(TestDeveloperCode)
#include "tst_developercode.moc"
