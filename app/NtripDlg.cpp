// SPDX-License-Identifier: GPL-3.0-or-later
#include "NtripDlg.h"

#include "FixTimeline.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace orvane {

namespace {

constexpr int kRefreshMs = 1000;

QTableWidget* MakeTable(const QStringList& headers, QWidget* parent)
{
    auto* table = new QTableWidget(0, int(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QTableWidgetItem* NumberItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

}  // namespace

QString NtripStateText(const NtripClient* client)
{
    if (!client)
        return QStringLiteral("off");
    switch (client->CurrentState()) {
    case NtripClient::State::Closed:
        return QStringLiteral("closed");
    case NtripClient::State::Connecting:
        return QStringLiteral("connecting");
    case NtripClient::State::Requesting:
        return QStringLiteral("asking the caster");
    case NtripClient::State::Streaming:
        return QStringLiteral("streaming (NTRIP %1)").arg(client->AnswerVersion());
    case NtripClient::State::ReadingTable:
        return QStringLiteral("reading the source table");
    case NtripClient::State::Waiting:
        return QStringLiteral("waiting to try again");
    }
    return {};
}

QStringList RtkFigures(const RtkProgress* rtk)
{
    if (!rtk)
        return {QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-")};
    const auto seconds = [](std::optional<double> value) { return QStringLiteral("%1 s").arg(*value, 0, 'f', 1); };
    QStringList refix;
    for (const double value : rtk->RefixSeconds())
        refix << QString::number(value, 'f', 1);
    return {
        rtk->CorrectionAge() ? seconds(rtk->CorrectionAge()) : QStringLiteral("-"),
        QStringLiteral("fixed %1 %, float %2 % of %3 epochs")
            .arg(100 * rtk->FixedShare(), 0, 'f', 1)
            .arg(100 * rtk->FloatShare(), 0, 'f', 1)
            .arg(rtk->Epochs()),
        rtk->FirstFixedSeconds() ? seconds(rtk->FirstFixedSeconds()) + QStringLiteral(" after the first correction")
                                 : QStringLiteral("-"),
        rtk->CorrectionGaps() == 0
            ? QStringLiteral("no correction gap")
            : QStringLiteral("%1 correction gap(s), fixed again after %2")
                  .arg(rtk->CorrectionGaps())
                  .arg(refix.isEmpty() ? QStringLiteral("-") : refix.join(QStringLiteral(", ")) + QStringLiteral(" s")),
    };
}

NtripDlg::NtripDlg(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("NTRIP"));
    m_Caster = new QLabel(this);
    m_State = new QLabel(this);
    m_Rate = new QLabel(this);
    m_Frames = new QLabel(this);
    m_Frames->setWordWrap(true);
    for (QLabel*& row : m_Rtk)
        row = new QLabel(this);
    m_Timeline = new FixTimeline(this);
    m_Connect = new QPushButton(this);
    m_SourceTable = new QPushButton(QStringLiteral("Source &Table"), this);
    m_Types = MakeTable({QStringLiteral("Message"), QStringLiteral("Count"), QStringLiteral("Age of last")}, this);
    m_Mountpoints = MakeTable(
        {QStringLiteral("Mountpoint"), QStringLiteral("Format"), QStringLiteral("Systems"), QStringLiteral("Distance")},
        this);

    auto* figures = new QFormLayout;
    figures->addRow(QStringLiteral("Caster:"), m_Caster);
    figures->addRow(QStringLiteral("State:"), m_State);
    figures->addRow(QStringLiteral("Corrections:"), m_Rate);
    figures->addRow(QStringLiteral("Frames:"), m_Frames);
    figures->addRow(QStringLiteral("Correction age:"), m_Rtk[0]);
    figures->addRow(QStringLiteral("RTK epochs:"), m_Rtk[1]);
    figures->addRow(QStringLiteral("First RTK fixed:"), m_Rtk[2]);
    figures->addRow(QStringLiteral("Refix:"), m_Rtk[3]);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_Connect);
    buttons->addWidget(m_SourceTable);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(figures);
    layout->addWidget(m_Timeline);
    layout->addLayout(buttons);
    layout->addWidget(m_Types, 2);
    layout->addWidget(m_Mountpoints, 1);
    resize(520, 640);

    connect(m_Connect, &QPushButton::clicked, this, [this] {
        if (Running())
            emit DisconnectClicked();
        else
            emit ConnectClicked();
    });
    connect(m_SourceTable, &QPushButton::clicked, this, &NtripDlg::SourceTableClicked);
    connect(&m_RefreshTimer, &QTimer::timeout, this, &NtripDlg::Refresh);
    m_RefreshTimer.setInterval(kRefreshMs);
    SetClient(nullptr, QString());
}

void NtripDlg::SetClient(NtripClient* client, const QString& caster)
{
    if (m_Client)
        disconnect(m_Client, nullptr, this, nullptr);
    m_Client = client;
    m_Caster->setText(caster.isEmpty() ? QStringLiteral("none (the [ntrip] group of config.ini)") : caster);
    m_RateBytes = client ? client->BytesReceived() : 0;
    m_RateClock.start();
    m_Rate->setText(QStringLiteral("0 B/s"));
    if (client) {
        connect(client, &NtripClient::StateChanged, this, &NtripDlg::Refresh);
        connect(client, &NtripClient::SourceTableRead, this, &NtripDlg::FillMountpoints);
        FillMountpoints(client->Mountpoints());
    }
    Refresh();
}

bool NtripDlg::Running() const
{
    return m_Client && m_Client->CurrentState() != NtripClient::State::Closed;
}

QStringList NtripDlg::RtkTexts() const
{
    QStringList texts;
    for (const QLabel* row : m_Rtk)
        texts << row->text();
    return texts;
}

void NtripDlg::SetRtk(const RtkProgress* rtk)
{
    m_RtkProgress = rtk;
    Refresh();
}

void NtripDlg::Refresh()
{
    const QStringList figures = RtkFigures(m_RtkProgress);
    for (size_t k = 0; k < m_Rtk.size(); ++k)
        m_Rtk[k]->setText(figures[qsizetype(k)]);
    m_Timeline->SetStretches(m_RtkProgress ? m_RtkProgress->Timeline() : std::vector<FixStretch>());
    m_State->setText(NtripStateText(m_Client));
    m_Connect->setText(Running() ? QStringLiteral("&Disconnect") : QStringLiteral("&Connect"));
    if (!m_Client) {
        m_Frames->setText(QStringLiteral("none"));
        m_Types->setRowCount(0);
        return;
    }
    // The rate over the time since the last reading, at most a second or
    // so when the refresh timer drives it.
    const qint64 elapsedMs = m_RateClock.elapsed();
    if (elapsedMs >= kRefreshMs / 2) {
        const qint64 bytes = m_Client->BytesReceived();
        m_Rate->setText(QStringLiteral("%1 B/s, %2 bytes in all")
                            .arg(QString::number(double(bytes - m_RateBytes) * 1000.0 / double(elapsedMs), 'f', 0))
                            .arg(bytes));
        m_RateBytes = bytes;
        m_RateClock.start();
    }
    const RtcmCounts& counts = m_Client->Frames().Counts();
    m_Frames->setText(QStringLiteral("%1 good, %2 bad (wrong CRC %3, cut %4, junk %5 in %6 bytes)")
                          .arg(counts.frames)
                          .arg(counts.BadFrames())
                          .arg(counts.wrongCrc)
                          .arg(counts.cutFrames)
                          .arg(counts.junkStretches)
                          .arg(counts.junkBytes));
    const auto& types = m_Client->Frames().Types();
    m_Types->setRowCount(int(types.size()));
    const qint64 now = m_Client->NowMs();
    int row = 0;
    for (const auto& [type, count] : types) {
        m_Types->setItem(row, MessageColumn, NumberItem(QString::number(type)));
        m_Types->setItem(row, CountColumn, NumberItem(QString::number(count.count)));
        m_Types->setItem(row, AgeColumn,
            NumberItem(QStringLiteral("%1 s").arg(double(now - count.lastMs) / 1000.0, 0, 'f', 1)));
        ++row;
    }
}

void NtripDlg::FillMountpoints(const QList<NtripMountpoint>& mountpoints)
{
    m_Mountpoints->setRowCount(int(mountpoints.size()));
    for (int row = 0; row < int(mountpoints.size()); ++row) {
        const NtripMountpoint& mountpoint = mountpoints[row];
        m_Mountpoints->setItem(row, NameColumn, new QTableWidgetItem(mountpoint.name));
        m_Mountpoints->setItem(row, FormatColumn, new QTableWidgetItem(mountpoint.format));
        m_Mountpoints->setItem(row, NavSystemsColumn, new QTableWidgetItem(mountpoint.navSystems));
        m_Mountpoints->setItem(row, DistanceColumn,
            NumberItem(mountpoint.distanceMetres
                           ? QStringLiteral("%1 km").arg(*mountpoint.distanceMetres / 1000, 0, 'f', 1)
                           : QString()));
    }
}

void NtripDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Refresh();
    m_RefreshTimer.start();
}

void NtripDlg::hideEvent(QHideEvent* event)
{
    m_RefreshTimer.stop();
    QDialog::hideEvent(event);
}

}  // namespace orvane
