#include <QtTest>

#include "replay/TextViewBuffer.h"

using namespace orvane;

class TestTextViewBuffer : public QObject {
    Q_OBJECT
private slots:
    void keepsNewest101Lines()
    {
        TextViewBuffer view;
        for (int i = 1; i <= 102; ++i)
            view.AppendLine(QString("line %1").arg(i));
        const QStringList lines = view.Text().split("\r\n");
        QCOMPARE(lines.size(), 101);
        QCOMPARE(lines.first(), QString("line 102"));
        QCOMPARE(lines.last(), QString("line 2"));
        QVERIFY(view.Text().endsWith("line 2"));
    }

    void emptyNewestLineIsNotCounted()
    {
        TextViewBuffer view;
        for (int i = 1; i <= 101; ++i)
            view.AppendLine(QString("line %1").arg(i));
        view.AppendLine(QString());
        view.AppendLine(QStringLiteral("top"));
        // The empty line's CR LF stood at index 0 when "top" arrived and was
        // not counted, so one more old line stays.
        const QStringList lines = view.Text().split("\r\n");
        QCOMPARE(lines.size(), 102);
        QCOMPARE(lines[0], QString("top"));
        QCOMPARE(lines[1], QString());
        QCOMPARE(lines.last(), QString("line 2"));
        view.AppendLine(QStringLiteral("next"));
        QCOMPARE(view.Text().split("\r\n").size(), 101);

        TextViewBuffer emptyTop;
        for (int i = 1; i <= 101; ++i)
            emptyTop.AppendLine(QString("line %1").arg(i));
        emptyTop.AppendLine(QString());
        emptyTop.AppendLine(QString());
        QCOMPARE(emptyTop.Text().split("\r\n").size(), 102);
        QCOMPARE(emptyTop.Text().split("\r\n").last(), QString("line 2"));
    }

    // A line holding line ends of its own counts them too.
    void embeddedLineEndsCount()
    {
        TextViewBuffer view;
        view.AppendLine("old");
        view.AppendLine(QString("a\r\n").repeated(99) + "b");
        view.AppendLine("new");
        QCOMPARE(view.Text(), "new\r\n" + QString("a\r\n").repeated(99) + "b");
        view.Clear();
        QVERIFY(view.Text().isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestTextViewBuffer)
#include "tst_textviewbuffer.moc"
