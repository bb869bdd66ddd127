// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReceiverConsoleDlg.h"

#include <QComboBox>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "live/ReceiverReplies.h"

namespace orvane {

namespace {
constexpr int kAnswerLines = 2000;
constexpr int kHistoryItems = 100;
constexpr size_t kLongestRest = 4096;

QString Now()
{
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("hh:mm:ss.zzz"));
}
}  // namespace

ReceiverConsoleDlg::ReceiverConsoleDlg(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Send to Receiver"));
    setObjectName(QStringLiteral("ReceiverConsole"));
    resize(720, 520);

    m_Presets = new PresetBox(this);
    m_Command = new QLineEdit(this);
    m_Command->setObjectName(QStringLiteral("command"));
    m_Command->setPlaceholderText(QStringLiteral("$PMTK101, or hex: B5 62 06 04 04 00 00 00 02 00 10 68"));
    m_Send = new QPushButton(QStringLiteral("&Send"), this);
    m_Send->setObjectName(QStringLiteral("send"));
    m_Send->setAutoDefault(false);
    m_ExtraTypes = new QLineEdit(this);
    m_ExtraTypes->setObjectName(QStringLiteral("extraTypes"));
    m_ExtraTypes->setPlaceholderText(QStringLiteral("more types to show, e.g. PUBX, GSA"));
    m_Answers = new QPlainTextEdit(this);
    m_Answers->setObjectName(QStringLiteral("answers"));
    m_Answers->setReadOnly(true);
    m_Answers->setMaximumBlockCount(kAnswerLines);
    m_Answers->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_History = new QListWidget(this);
    m_History->setObjectName(QStringLiteral("history"));
    m_History->setMaximumWidth(240);
    m_Status = new QLabel(this);
    m_Status->setObjectName(QStringLiteral("status"));
    m_Status->setWordWrap(true);

    auto* commandRow = new QHBoxLayout;
    commandRow->addWidget(m_Command, 1);
    commandRow->addWidget(m_Send);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Preset:"), m_Presets);
    form->addRow(QStringLiteral("Command:"), commandRow);
    form->addRow(QStringLiteral("Also show:"), m_ExtraTypes);
    auto* history = new QVBoxLayout;
    history->addWidget(new QLabel(QStringLiteral("History"), this));
    history->addWidget(m_History, 1);
    auto* answers = new QVBoxLayout;
    answers->addWidget(new QLabel(QStringLiteral("Answers"), this));
    answers->addWidget(m_Answers, 1);
    auto* views = new QHBoxLayout;
    views->addLayout(answers, 1);
    views->addLayout(history);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_Status);
    layout->addLayout(views, 1);

    connect(m_Send, &QPushButton::clicked, this, &ReceiverConsoleDlg::OnSend);
    connect(m_Command, &QLineEdit::returnPressed, this, &ReceiverConsoleDlg::OnSend);
    connect(m_Presets, &QComboBox::activated, this, &ReceiverConsoleDlg::OnPresetChosen);
    // A history entry comes back to the line; a double click sends it again.
    connect(m_History, &QListWidget::itemClicked, this,
        [this](QListWidgetItem* item) { m_Command->setText(item->text()); });
    connect(m_History, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_Command->setText(item->text());
        OnSend();
    });
}

void ReceiverConsoleDlg::SetPresets(const std::vector<CommandPreset>& presets)
{
    m_Presets->SetPresets(presets);
}

void ReceiverConsoleDlg::OnPresetChosen(int index)
{
    if (const std::optional<QString> text = m_Presets->PresetText(index))
        m_Command->setText(*text);
}

void ReceiverConsoleDlg::OnSend()
{
    const QString typed = m_Command->text();
    emit SendRequested(typed);
}

void ReceiverConsoleDlg::NoteSent(const QString& typed, const QString& shown, bool sent, const QString& why)
{
    if (!sent) {
        m_Status->setText(QStringLiteral("Not sent: %1").arg(why));
        m_Answers->appendPlainText(QStringLiteral("%1 not sent: %2 (%3)").arg(Now(), shown, why));
        return;
    }
    m_Status->setText(QStringLiteral("Sent %1").arg(why));
    m_Answers->appendPlainText(QStringLiteral("%1 > %2").arg(Now(), shown));
    // The newest on top, once: a command sent again moves up.
    const QList<QListWidgetItem*> same = m_History->findItems(typed, Qt::MatchExactly);
    for (QListWidgetItem* item : same)
        delete m_History->takeItem(m_History->row(item));
    m_History->insertItem(0, typed);
    while (m_History->count() > kHistoryItems)
        delete m_History->takeItem(m_History->count() - 1);
    m_Command->clear();
}

void ReceiverConsoleDlg::NoteReceived(std::string_view text)
{
    const std::vector<std::string> extra = ParseReplyTypes(m_ExtraTypes->text().toStdString());
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        if (end == std::string_view::npos) {
            m_Rest.append(rest);
            if (m_Rest.size() > kLongestRest)
                m_Rest.clear();
            return;
        }
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        std::string joined;
        if (!m_Rest.empty()) {
            joined = m_Rest + std::string(line);
            m_Rest.clear();
            line = joined;
        }
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (IsReply(line, extra))
            m_Answers->appendPlainText(
                QStringLiteral("%1 < %2").arg(Now(), QString::fromLatin1(line.data(), qsizetype(line.size()))));
    }
}

}  // namespace orvane
