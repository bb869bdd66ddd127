// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Send to Receiver..." window: a command line with a Send button, the
// [commands] presets, the history of what was sent this session, and the
// receiver's answers as they arrive (the live text filtered to the
// sentences that answer commands, and the types the user names).
//
// The window sends nothing itself: it asks its owner with SendRequested,
// and the owner tells it what became of each command (NoteSent).

#include <QDialog>
#include <QString>

#include <string>
#include <string_view>
#include <vector>

#include "PresetBox.h"
#include "settings/CommandsConfig.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace orvane {

class ReceiverConsoleDlg : public QDialog {
    Q_OBJECT

public:
    explicit ReceiverConsoleDlg(QWidget* owner);

    // The presets of [commands], in the file's order.
    void SetPresets(const std::vector<CommandPreset>& presets);
    // A live tick's text: its answering sentences join the answers view.
    void NoteReceived(std::string_view text);
    // What became of a command: shown (its text as sent, or as typed when it
    // was refused) and, when sent, kept in the history.
    void NoteSent(const QString& typed, const QString& shown, bool sent, const QString& why);

    QLineEdit* CommandLine() const { return m_Command; }
    QPushButton* SendButton() const { return m_Send; }
    QComboBox* Presets() const { return m_Presets; }
    QListWidget* History() const { return m_History; }
    QPlainTextEdit* Answers() const { return m_Answers; }
    // Types the user adds to the answers ("PUBX, GSA").
    QLineEdit* ExtraTypes() const { return m_ExtraTypes; }
    QLabel* Status() const { return m_Status; }

signals:
    void SendRequested(const QString& typed);

private:
    void OnSend();
    void OnPresetChosen(int index);

    QLineEdit* m_Command = nullptr;
    QPushButton* m_Send = nullptr;
    PresetBox* m_Presets = nullptr;
    QListWidget* m_History = nullptr;
    QPlainTextEdit* m_Answers = nullptr;
    QLineEdit* m_ExtraTypes = nullptr;
    QLabel* m_Status = nullptr;
    std::string m_Rest;  // an unfinished line of the last tick
};

}  // namespace orvane
