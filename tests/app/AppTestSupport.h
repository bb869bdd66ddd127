// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the window tests share: the controls by id, a seam that answers the
// modal questions, files written for a test, and the steps of a window going
// live.

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include "../common/Sentence.h"
#include "OrvaneDlg.h"
#include "UiSeam.h"
#include "settings/Config.h"

namespace orvane {

// A control of a window laid out from its table, by its id (its object
// name); nullptr when it has none of that class.
template <class T>
T* Find(const QWidget& window, int id)
{
    return window.findChild<T*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

inline QPushButton* Button(const QWidget& window, int id)
{
    return Find<QPushButton>(window, id);
}

inline QComboBox* Combo(const QWidget& window, int id)
{
    return Find<QComboBox>(window, id);
}

// The main window's text view's lines, newest first, separated by CR LF.
inline const QString& DisplayText(const COrvaneDlg& dialog)
{
    return dialog.TextLines().Text();
}

class AnsweringSeam : public UiSeam {
public:
    void MessageBox(QWidget*, const QString& text) override { messages.append(text); }

    QString OpenFileName(QWidget*, const OpenFileRequest& request) override
    {
        requests.append(request);
        return answer;
    }

    // Records what the dialog shows, and closes it as its OK would.
    int RunModal(QDialog& dialog) override
    {
        modalTitles.append(dialog.windowTitle());
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            modalTexts.append(label->text());
        for (const QPushButton* button : dialog.findChildren<QPushButton*>())
            modalTexts.append(button->text());
        return QDialog::Accepted;
    }

    QStringList messages;
    QList<OpenFileRequest> requests;
    QString answer;  // the file the open dialog returns; empty: cancelled
    QStringList modalTitles;
    QStringList modalTexts;
};

// A seam that also answers the save dialog.
class SavingSeam : public AnsweringSeam {
public:
    QString SaveFileName(QWidget*, const SaveFileRequest& request) override
    {
        captions.append(request.caption + " " + request.pattern);
        return saveAnswer;
    }
    QString saveAnswer;  // empty: cancelled
    QStringList captions;
};

inline QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

// config.ini of the text in the folder, which becomes the config folder.
inline bool UseConfig(const QTemporaryDir& dir, const QByteArray& text)
{
    SetConfigFolder(dir.path());
    return !WriteFile(dir, "config.ini", text).isEmpty();
}

// No serial device, so the window's TCP input opens on the port.
inline QByteArray TcpInputConfig(quint16 port)
{
    return "[uart]\nport=/nonexistent/tty\nbaudrate=115200\n[server]\ninputport=" + QByteArray::number(port) + "\n";
}

inline QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The newest lines of the text view, newest first.
inline QStringList TopLines(const COrvaneDlg& dialog, int count)
{
    return DisplayText(dialog).split(QStringLiteral("\r\n")).mid(0, count);
}

inline QString TopLine(const COrvaneDlg& dialog)
{
    return TopLines(dialog, 1).constFirst();
}

inline QString ViewText(const COrvaneDlg& dialog)
{
    return Find<QPlainTextEdit>(dialog, IDC_TEXT_VIEW)->toPlainText();
}

// The view shows what the window holds, with LF for CR LF.
inline bool ViewShowsText(const COrvaneDlg& dialog)
{
    return ViewText(dialog) == QString(DisplayText(dialog)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// n sentences "$<talker><type>,..." with a distinct time each, with their
// checksums.
inline QByteArray Sentences(const char* talker, const char* type, int n, int firstSecond = 0)
{
    QByteArray out;
    for (int k = 0; k < n; ++k)
        out += WithChecksum(talker + QByteArray(type) + ",2358" +
                            QByteArray::number(firstSecond + k).rightJustified(2, '0') +
                            ".00,A,3733.32791,N,12658.29325,E,0.012,172.00,140326,,,A");
    return out;
}

// The decoded line of Sentences("GP", "RMC", ...) for the second of 23:58.
inline QString RmcLine(int second)
{
    return QStringLiteral("[2026.03.14 23:58:%1] (N)37.555465, (E)126.971554, Speed:0.02Km/h, Heading:172.00")
        .arg(second, 2, 10, QLatin1Char('0'));
}

inline void TypeCode(COrvaneDlg& dialog, const QString& code)
{
    Find<QLineEdit>(dialog, IDC_DEVELOPER_CODE_EDIT)->setText(code);
    Button(dialog, IDC_DEVELOPER_CODE)->click();
}

// Drops the log, written as a file of the folder, on the window; true when
// it loaded.
inline bool DropLog(COrvaneDlg& dialog, const QTemporaryDir& dir, const QString& name, const QByteArray& log)
{
    dialog.DropFiles({WriteFile(dir, name, log)});
    return dialog.Replay().Loaded();
}

// Presses Run with timer 291 held: the test gives the ticks.
inline void RunByHand(COrvaneDlg& dialog)
{
    Button(dialog, IDC_RUN)->click();
    dialog.Replay().HoldTimer();
}

// Online with the live input open.
inline void GoLive(COrvaneDlg& dialog)
{
    Button(dialog, IDC_ONLINE_MODE)->click();
    Button(dialog, IDC_LIVE_INPUT)->click();
}

// Connects a client to the window's TCP input and waits for its line.
inline bool ConnectInput(COrvaneDlg& dialog, QTcpSocket& client, quint16 port)
{
    const auto connected = [&] { return DisplayText(dialog).count(QStringLiteral("[TCP] new client is connected")); };
    const qsizetype before = connected();
    client.connectToHost(QHostAddress::LocalHost, port);
    return client.waitForConnected(5000) && QTest::qWaitFor([&] { return connected() > before; }, 5000);
}

}  // namespace orvane

// The tests that load pages: under AddressSanitizer the browser engine
// deletes some of its own objects through a pointer of another size when
// a loaded page is destroyed. That one check is off for them.
#define ORVANE_PAGE_TEST_MAIN(TestClass)                                                                               \
    extern "C" const char* __asan_default_options()                                                                    \
    {                                                                                                                  \
        return "new_delete_type_mismatch=0";                                                                           \
    }                                                                                                                  \
    QTEST_MAIN(TestClass)
