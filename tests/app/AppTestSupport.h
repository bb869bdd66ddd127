#pragma once
// What the window tests share: a seam that answers the modal questions,
// files written for a test, and a main window started on a config folder
// of the test's own.

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "Config.h"
#include "OrvaneDlg.h"
#include "UiSeam.h"

namespace orvane {

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

inline QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

// The newest lines of the text view, newest first.
inline QStringList TopLines(const COrvaneDlg& dialog, int count)
{
    return dialog.DisplayText().split(QStringLiteral("\r\n")).mid(0, count);
}

inline QString ViewText(const COrvaneDlg& dialog)
{
    return static_cast<const QPlainTextEdit*>(dialog.Control(IDC_TEXT_VIEW))->toPlainText();
}

// n sentences "$<talker><type>,..." with a distinct time each.
inline QByteArray Sentences(const char* talker, const char* type, int n, int firstSecond = 0)
{
    QByteArray out;
    for (int k = 0; k < n; ++k) {
        out += QByteArray("$") + talker + type + ",2358" + QByteArray::number(firstSecond + k).rightJustified(2, '0') +
               ".00,A,3733.32791,N,12658.29325,E,0.012,172.00,140326,,,A*6A\r\n";
    }
    return out;
}

}  // namespace orvane
