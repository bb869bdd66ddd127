#include <QtTest>

// The orvane-decode command as scripts use it: arguments, input, output and
// exit status, run as a real process.
class TestDecode : public QObject {
    Q_OBJECT

    struct Result {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    Result Run(const QStringList& arguments, const QByteArray& input = {})
    {
        QProcess process;
        process.start(ORVANE_DECODE, arguments);
        if (!process.waitForStarted())
            return {};
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
    }

    QString WriteLog(const QByteArray& bytes)
    {
        QFile file(m_Dir.filePath(QString("log%1.nmea").arg(++m_Files)));
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(bytes);
        return file.fileName();
    }

    QTemporaryDir m_Dir;
    int m_Files = 0;

private slots:
    void exitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("unknown talker") << QStringList{"--talker", "XX"} << 2;
        QTest::newRow("lower-case talker") << QStringList{"--talker", "gp"} << 2;
        QTest::newRow("unknown message") << QStringList{"--message=ABC"} << 2;
        QTest::newRow("missing value") << QStringList{"--message"} << 2;
        QTest::newRow("unknown option") << QStringList{"--fast"} << 2;
        QTest::newRow("two files") << QStringList{"a", "b"} << 2;
        QTest::newRow("missing file") << QStringList{"/nonexistent/log.nmea"} << 1;
        QTest::newRow("directory") << QStringList{"/"} << 1;
    }
    void exitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        const Result result = Run(arguments);
        QCOMPARE(result.exitCode, exitCode);
        QVERIFY(result.out.isEmpty());
        QCOMPARE(result.err.count('\n'), 1);
    }

    void help()
    {
        const Result result = Run({"--help"});
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.out.startsWith("Usage: orvane-decode [--talker ID] [--message TYPE] [--satellites] [FILE]"));
    }

    // Standard input, "-" and a file give the same lines; zero bytes are
    // left out, not the text after them.
    void inputs()
    {
        const QByteArray log = "$GPRMC,1,A,,,,,,,010203,*00\r\n$GNRMC,2,A,,,,,,,,*00\r\n";
        const QByteArray line = "[2003.02.01 00:00:01] (?)0.000000, (?)0.000000, Speed:0.00Km/h, Heading:0.00\n";
        const QByteArray withZeros = log + QByteArray(3, '\0') + log;
        const QString path = WriteLog(withZeros);
        for (const Result& result : {Run({path}), Run({}, withZeros), Run({"-"}, withZeros)}) {
            QCOMPARE(result.exitCode, 0);
            QCOMPARE(result.out, line + line);
        }
    }

    // Small logs of odd and damaged input with their expected lines; the
    // expected output was worked out independently of this program.
    void goldenCases_data()
    {
        QTest::addColumn<QString>("name");
        const QDir cases(ORVANE_DECODE_CASES);
        const QStringList logs = cases.entryList({"*.nmea"}, QDir::Files, QDir::Name);
        QVERIFY(logs.size() > 40);
        for (const QString& log : logs)
            QTest::newRow(qPrintable(log)) << cases.filePath(log.chopped(5));
    }
    void goldenCases()
    {
        QFETCH(QString, name);
        QFile argumentsFile(name + ".args");
        QFile expectedFile(name + ".expected");
        QVERIFY(argumentsFile.open(QIODevice::ReadOnly) && expectedFile.open(QIODevice::ReadOnly));
        QStringList arguments = QString::fromUtf8(argumentsFile.readAll()).simplified().split(' ', Qt::SkipEmptyParts);
        const Result result = Run(arguments << name + ".nmea");
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, expectedFile.readAll());
    }
};

QTEST_GUILESS_MAIN(TestDecode)
#include "tst_decode.moc"
