// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include "replay/TextView.h"

using namespace orvane;

class TestTextView : public QObject {
    Q_OBJECT
private slots:
    // The view keeps the newest line and the 100 before it. A CR LF at the
    // very top (an empty newest line) is not counted, so one more old line
    // stays; line ends inside a line count like any other.
    void keepsNewest101Lines_data()
    {
        QTest::addColumn<int>("numbered");  // "line 1" to "line N" first
        QTest::addColumn<QStringList>("appended");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("bottom");
        QTest::newRow("102 lines") << 101 << QStringList{"line 102"} << 101 << "line 102"
                                   << "line 2";
        QTest::newRow("empty newest line") << 101 << QStringList{"", "top"} << 102 << "top"
                                           << "line 2";
        QTest::newRow("empty line below the top") << 101 << QStringList{"", "top", "next"} << 101 << "next"
                                                  << "line 4";
        QTest::newRow("two empty lines") << 101 << QStringList{"", ""} << 102 << ""
                                         << "line 2";
        QTest::newRow("line ends inside a line")
            << 0 << QStringList{"old", QString("a\r\n").repeated(99) + "b", "new"} << 101 << "new"
            << "b";
    }
    void keepsNewest101Lines()
    {
        QFETCH(int, numbered);
        QFETCH(QStringList, appended);
        QFETCH(int, lines);
        QFETCH(QString, top);
        QFETCH(QString, bottom);
        TextView view;
        for (int i = 1; i <= numbered; ++i)
            view.AppendLine(QString("line %1").arg(i));
        for (const QString& line : appended)
            view.AppendLine(line);
        const QStringList shown = view.Text().split("\r\n");
        QCOMPARE(shown.size(), lines);
        QCOMPARE(shown.first(), top);
        QCOMPARE(shown.last(), bottom);
        view.Clear();
        QVERIFY(view.Text().isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestTextView)
#include "tst_textview.moc"
