// SPDX-License-Identifier: GPL-3.0-or-later
// What a typed command sends, how a sent command is marked in a recording,
// and the shipped [commands] examples: each one a command the rule accepts,
// with the checksum its receiver checks.

#include <QtTest>

#include "decoder/SentenceChecksum.h"
#include "live/ReceiverCommand.h"
#include "live/ReceiverReplies.h"
#include "settings/CommandsConfig.h"

using namespace orvane;

namespace {

// Reads the [commands] group of a config.ini holding ini: false when the
// file could not be written; any says whether a preset was read, lines
// the lines the reading wrote.
bool ReadPresets(const QByteArray& ini, CommandPresetsConfig& record, QStringList& lines, bool& any)
{
    QTemporaryDir folder;
    QFile config(folder.filePath("config.ini"));
    if (!config.open(QIODevice::WriteOnly) || config.write(ini) != ini.size())
        return false;
    config.close();
    SetConfigFolder(folder.path());
    any = ReadConfig(record, [&](const QString& l) { lines << l; });
    SetConfigFolder(QString());
    return true;
}

}  // namespace

Q_DECLARE_METATYPE(ReceiverCommand::Kind)

class TestReceiverCommand : public QObject {
    Q_OBJECT
private slots:
    void commandBytes_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("bytes");  // empty: refused
        QTest::addColumn<QString>("error");
        QTest::newRow("checksum and CR LF added") << QByteArray("$PMTK101") << QByteArray("$PMTK101*32\r\n") << "";
        QTest::newRow("star without digits") << QByteArray("$PMTK103*") << QByteArray("$PMTK103*30\r\n") << "";
        QTest::newRow("fields") << QByteArray("$PMTK220,1000") << QByteArray("$PMTK220,1000*1F\r\n") << "";
        QTest::newRow("checksum kept as typed") << QByteArray("$PAIR004*3E") << QByteArray("$PAIR004*3E\r\n") << "";
        QTest::newRow("lower-case checksum kept") << QByteArray("$PAIR004*3e") << QByteArray("$PAIR004*3e\r\n") << "";
        QTest::newRow("line end not doubled") << QByteArray("$PMTK101*32\r\n") << QByteArray("$PMTK101*32\r\n") << "";
        QTest::newRow("blanks around") << QByteArray("  $PAIR006 \n") << QByteArray("$PAIR006*3C\r\n") << "";
        QTest::newRow("plain text") << QByteArray("RESET") << QByteArray("RESET\r\n") << "";
        QTest::newRow("hex spaced") << QByteArray("hex: B5 62 06 04") << QByteArray("\xB5\x62\x06\x04") << "";
        QTest::newRow("hex packed, any case") << QByteArray("HEX:b562ff00") << QByteArray("\xB5\x62\xFF\x00", 4) << "";
        QTest::newRow("bad hex digit") << QByteArray("hex: B5 6G") << QByteArray()
                                       << "hex: 'G' is not a hex digit (at character 10)";
        QTest::newRow("odd hex digits") << QByteArray("hex: B56") << QByteArray() << "hex: an odd number of digits";
        QTest::newRow("split byte") << QByteArray("hex: B 5") << QByteArray()
                                    << "hex: a byte needs two digits (at character 6)";
        QTest::newRow("empty hex") << QByteArray("hex:  ") << QByteArray() << "hex: no bytes given";
        QTest::newRow("nothing") << QByteArray(" \r\n") << QByteArray() << "nothing to send";
        QTest::newRow("dollar alone") << QByteArray("$") << QByteArray() << "nothing after the $";
        QTest::newRow("star with one digit")
            << QByteArray("$PMTK101*3") << QByteArray()
            << "a '*' must end the sentence or be followed by its two hex checksum digits";
        QTest::newRow("text after checksum")
            << QByteArray("$PMTK101*32x") << QByteArray()
            << "a '*' must end the sentence or be followed by its two hex checksum digits";
    }
    void commandBytes()
    {
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        const ReceiverCommand command = MakeReceiverCommand(std::string_view(typed.constData(), size_t(typed.size())));
        QCOMPARE(QString::fromStdString(command.error), error);
        QCOMPARE(command.Ok(), error.isEmpty());
        QCOMPARE(QByteArray::fromStdString(command.bytes), bytes);
    }

    // The recording's line never holds a "$", so no reader finds a sentence
    // in it; what was sent can be read back from it.
    void recordingMark_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("mark");
        QTest::addColumn<QString>("shown");
        const QByteArray at = "# 2026-12-07T23:59:01.123Z sent ";
        QTest::newRow("sentence") << QByteArray("$PMTK101") << at + "NMEA PMTK101*32\r\n"
                                  << "$PMTK101*32";
        QTest::newRow("hex") << QByteArray("hex:b5 62") << at + "hex B5 62\r\n"
                             << "hex: B5 62";
        QTest::newRow("text") << QByteArray("log version") << at + "text log version\r\n"
                              << "log version";
        QTest::newRow("text with a dollar") << QByteArray("A$B") << at + "hex 41 24 42 0D 0A\r\n"
                                            << "A$B";
        QTest::newRow("sentence with a second dollar")
            << QByteArray("$GPRMC$X*00") << at + "hex 24 47 50 52 4D 43 24 58 2A 30 30 0D 0A\r\n"
            << "$GPRMC$X*00";
    }
    void recordingMark()
    {
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, mark);
        QFETCH(QString, shown);
        const ReceiverCommand command = MakeReceiverCommand(typed.toStdString());
        QVERIFY(command.Ok());
        const std::string line = RecordingMark(command, "2026-12-07T23:59:01.123Z");
        QCOMPARE(QByteArray::fromStdString(line), mark);
        QCOMPARE(line.find('$'), std::string::npos);
        QCOMPARE(QString::fromStdString(CommandDisplayText(command)), shown);
    }

    // Every example of the shipped file, with its ';' removed, is a preset
    // that makes a command; a sentence's checksum as written and a UBX
    // frame's two check bytes are those the receiver computes.
    void shippedExamples()
    {
        QFile shipped(ORVANE_SHIPPED_CONFIG);
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QByteArray text;
        bool inCommands = false;
        int examples = 0;
        for (QByteArray line : shipped.readAll().split('\n')) {
            if (line.startsWith('['))
                inCommands = line.trimmed() == "[commands]";
            if (inCommands && line.startsWith(';') && line.size() > 1 && line[1] != ' ' && line.contains('=')) {
                line.remove(0, 1);
                ++examples;
            }
            text += line + '\n';
        }
        QVERIFY(examples >= 15);
        CommandPresetsConfig presets;
        QStringList lines;
        bool any = false;
        QVERIFY(ReadPresets(text, presets, lines, any));
        QVERIFY(any);
        QCOMPARE(int(presets.presets.size()), examples);
        QCOMPARE(lines.size(), examples);
        for (const CommandPreset& preset : presets.presets) {
            const ReceiverCommand command = MakeReceiverCommand(preset.text.toStdString());
            QVERIFY2(command.Ok(), qPrintable(preset.name));
            const std::string& b = command.bytes;
            if (command.kind == ReceiverCommand::Kind::Nmea) {
                const size_t star = b.find('*');
                std::string checksum;
                AppendChecksum(checksum, std::string_view(b).substr(1, star - 1));
                QCOMPARE(b.substr(star, 3), checksum);
            } else {
                QCOMPARE(command.kind, ReceiverCommand::Kind::Hex);
                QVERIFY(b.size() >= 8 && b.substr(0, 2) == "\xB5\x62");
                uint8_t a = 0, c = 0;
                for (size_t i = 2; i + 2 < b.size(); ++i)
                    c = uint8_t(c + (a = uint8_t(a + uint8_t(b[i]))));
                QCOMPARE(int(uint8_t(b[b.size() - 2])), int(a));
                QCOMPARE(int(uint8_t(b.back())), int(c));
            }
        }
    }

    // The answers the console shows, and those that refuse a command.
    void replies_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("extra");
        QTest::addColumn<bool>("reply");
        QTest::addColumn<QString>("refusal");  // empty: none
        QTest::newRow("PMTK001 done") << QByteArray("$PMTK001,220,3*30\r\n") << "" << true << "";
        QTest::newRow("PMTK001 unsupported")
            << QByteArray("$PMTK001,103,1*33") << "" << true << "PMTK 103: unsupported command";
        QTest::newRow("PMTK001 invalid") << QByteArray("$PMTK001,999,0*3A") << "" << true
                                         << "PMTK 999: invalid command";
        QTest::newRow("PAIR001 busy") << QByteArray("$PAIR001,006,5*3F") << "" << true << "PAIR 006: busy";
        QTest::newRow("PAIR001 processing") << QByteArray("$PAIR001,006,1*3B") << "" << true << "";
        QTest::newRow("PQTM error") << QByteArray("$PQTMCFGRCVRMODE,ERROR,1*1A") << "" << true
                                    << "PQTMCFGRCVRMODE: error 1";
        QTest::newRow("PQTM answer") << QByteArray("$PQTMVERNO,LC29HDANR11A03S,2023/05/08,16:39:19*3B") << "" << true
                                     << "";
        QTest::newRow("TXT of any talker") << QByteArray("$GNTXT,01,01,02,ANTSTATUS=OK*3B") << "" << true << "";
        QTest::newRow("position, not named")
            << QByteArray("$GPGGA,120000.00,,,,,0,00,99.99,,,,,,*67") << "" << false << "";
        QTest::newRow("type named, any talker")
            << QByteArray("$GNGSA,A,1,,,,,,,,,,,,,,,*00") << "pubx, gsa" << true << "";
        QTest::newRow("address named") << QByteArray("$PUBX,00,1*00") << "PUBX" << true << "";
        QTest::newRow("other address") << QByteArray("$GPGSA,A,1*00") << "GNGSA" << false << "";
        QTest::newRow("no sentence") << QByteArray("PMTK001,1,3") << "" << false << "";
    }
    void replies()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, extra);
        QFETCH(bool, reply);
        QFETCH(QString, refusal);
        const std::string text = line.toStdString();
        QCOMPARE(IsReply(text, ParseReplyTypes(extra.toStdString())), reply);
        const std::optional<std::string> refused = Refusal(text);
        QCOMPARE(refused.has_value(), !refusal.isEmpty());
        if (refused)
            QCOMPARE(QString::fromStdString(*refused), refusal);
    }

    // The group's lines and its first-wins, case-blind names; a file
    // without the group gives no preset and no line.
    void presetsGroup_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("presets");
        QTest::newRow("no group") << QByteArray("[uart]\nport=ttyS0\n") << QStringList{} << QStringList{};
        QTest::newRow("in order, first wins")
            << QByteArray("[Commands]\ncold = $PMTK103\nUBX hot=hex: B5 62\nCOLD=$X\nempty=\n")
            << QStringList{"[Config] commands/cold = $PMTK103 (ok)", "[Config] commands/UBX hot = hex: B5 62 (ok)",
                   "[Config] commands/empty = (unused: no command)"}
            << QStringList{"cold|$PMTK103", "UBX hot|hex: B5 62"};
    }
    void presetsGroup()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, presets);
        CommandPresetsConfig record;
        record.presets.push_back({"stale", "x"});
        QStringList written;
        bool any = false;
        QVERIFY(ReadPresets(ini, record, written, any));
        QCOMPARE(any, !presets.isEmpty());
        QCOMPARE(written, lines);
        QStringList read;
        for (const CommandPreset& preset : record.presets)
            read << preset.name + '|' + preset.text;
        QCOMPARE(read, presets);
    }
};

QTEST_GUILESS_MAIN(TestReceiverCommand)
#include "tst_receivercommand.moc"
