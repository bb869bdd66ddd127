// SPDX-License-Identifier: GPL-3.0-or-later
#include "TtffDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace orvane {

namespace {

QDoubleSpinBox* Spin(QWidget* parent, const char* name, double low, double high, double value, int decimals,
    const QString& suffix)
{
    auto* spin = new QDoubleSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(low, high);
    spin->setDecimals(decimals);
    spin->setValue(value);
    spin->setSuffix(suffix);
    return spin;
}

}  // namespace

TtffDlg::TtffDlg(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("TTFF Test"));
    setObjectName(QStringLiteral("TtffTest"));
    resize(760, 640);

    m_Presets = new PresetBox(this);
    m_Command = new QLineEdit(this);
    m_Command->setObjectName(QStringLiteral("command"));
    m_Command->setPlaceholderText(QStringLiteral("the restart command, e.g. $PMTK103"));
    m_Runs = new QSpinBox(this);
    m_Runs->setObjectName(QStringLiteral("runs"));
    m_Runs->setRange(1, 10000);
    m_Runs->setValue(10);
    m_Timeout = Spin(this, "timeout", 0.5, 86400, 120, 1, QStringLiteral(" s"));
    m_Settle = Spin(this, "settle", 0, 86400, 10, 1, QStringLiteral(" s"));
    m_ThreeD = new QCheckBox(QStringLiteral("3D fix"), this);
    m_ThreeD->setObjectName(QStringLiteral("threeD"));
    m_HdopLimited = new QCheckBox(QStringLiteral("HDOP at most"), this);
    m_HdopLimited->setObjectName(QStringLiteral("hdopLimited"));
    m_MaxHdop = Spin(this, "maxHdop", 0.1, 99, 2, 1, QString());
    m_NearReference = new QCheckBox(QStringLiteral("Within"), this);
    m_NearReference->setObjectName(QStringLiteral("nearReference"));
    m_WithinMetres = Spin(this, "withinMetres", 0.01, 1e6, 50, 2, QStringLiteral(" m of"));
    m_Reference = new QLineEdit(this);
    m_Reference->setObjectName(QStringLiteral("reference"));
    m_Reference->setPlaceholderText(QStringLiteral("latitude, longitude (signed degrees)"));

    m_Start = new QPushButton(QStringLiteral("&Start"), this);
    m_Start->setObjectName(QStringLiteral("start"));
    m_Stop = new QPushButton(QStringLiteral("S&top"), this);
    m_Stop->setObjectName(QStringLiteral("stop"));
    m_SaveCsv = new QPushButton(QStringLiteral("Save &CSV..."), this);
    m_SaveCsv->setObjectName(QStringLiteral("saveCsv"));
    m_Clear = new QPushButton(QStringLiteral("C&lear"), this);
    m_Clear->setObjectName(QStringLiteral("clear"));
    for (QPushButton* button : {m_Start, m_Stop, m_SaveCsv, m_Clear})
        button->setAutoDefault(false);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_Progress = new QPlainTextEdit(this);
    m_Progress->setObjectName(QStringLiteral("progress"));
    m_Progress->setReadOnly(true);
    m_Progress->setMaximumBlockCount(5000);
    m_Report = new QPlainTextEdit(this);
    m_Report->setObjectName(QStringLiteral("report"));
    m_Report->setReadOnly(true);
    m_Report->setFont(fixed);
    m_Report->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* hdop = new QHBoxLayout;
    hdop->addWidget(m_HdopLimited);
    hdop->addWidget(m_MaxHdop);
    hdop->addStretch();
    auto* near = new QHBoxLayout;
    near->addWidget(m_NearReference);
    near->addWidget(m_WithinMetres);
    near->addWidget(m_Reference, 1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Restart preset:"), m_Presets);
    form->addRow(QStringLiteral("Command:"), m_Command);
    form->addRow(QStringLiteral("Runs:"), m_Runs);
    form->addRow(QStringLiteral("Timeout:"), m_Timeout);
    form->addRow(QStringLiteral("Settling time:"), m_Settle);
    form->addRow(QStringLiteral("Valid fix:"),
        new QLabel(QStringLiteral("GGA quality \u2265 1 or RMC status A, and:"), this));
    form->addRow(QString(), m_ThreeD);
    form->addRow(QString(), hdop);
    form->addRow(QString(), near);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {m_Start, m_Stop, m_SaveCsv, m_Clear})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->addWidget(m_Progress, 1);
    layout->addWidget(m_Report, 2);

    connect(m_Presets, &QComboBox::activated, this, [this](int index) {
        if (const std::optional<QString> text = m_Presets->PresetText(index))
            m_Command->setText(*text);
    });
    connect(m_Start, &QPushButton::clicked, this, &TtffDlg::StartRequested);
    connect(m_Stop, &QPushButton::clicked, this, &TtffDlg::StopRequested);
    connect(m_SaveCsv, &QPushButton::clicked, this, &TtffDlg::SaveCsvRequested);
    connect(m_Clear, &QPushButton::clicked, this, &TtffDlg::ClearRequested);
    SetRunning(false);
}

void TtffDlg::SetPresets(const std::vector<CommandPreset>& presets)
{
    m_Presets->SetPresets(presets);
}

bool TtffDlg::ReadSettings(TtffSettings& settings, QString& error) const
{
    const QString command = m_Command->text().trimmed();
    if (command.isEmpty()) {
        error = QStringLiteral("choose a restart preset or type a command");
        return false;
    }
    settings.command = command.toStdString();
    // The preset's name when the command is still the preset's.
    settings.start = settings.command;
    for (const CommandPreset& preset : m_Presets->Presets()) {
        if (preset.text == command) {
            settings.start = preset.name.toStdString();
            break;
        }
    }
    settings.runs = m_Runs->value();
    settings.timeoutMs = int(m_Timeout->value() * 1000);
    settings.settleMs = int(m_Settle->value() * 1000);
    settings.criterion = {};
    settings.criterion.threeD = m_ThreeD->isChecked();
    if (m_HdopLimited->isChecked())
        settings.criterion.maxHdop = m_MaxHdop->value();
    if (m_NearReference->isChecked()) {
        const QStringList parts = m_Reference->text().split(u',');
        bool latitudeOk = false, longitudeOk = false;
        const double latitude = parts.value(0).trimmed().toDouble(&latitudeOk);
        const double longitude = parts.value(1).trimmed().toDouble(&longitudeOk);
        if (parts.size() != 2 || !latitudeOk || !longitudeOk || std::abs(latitude) > 90 || std::abs(longitude) > 180) {
            error = QStringLiteral("the reference point is not latitude, longitude in signed degrees");
            return false;
        }
        settings.criterion.reference = GeodeticPoint{latitude, longitude, {}};
        settings.criterion.withinMetres = m_WithinMetres->value();
    }
    return true;
}

void TtffDlg::SetRunning(bool running)
{
    m_Start->setEnabled(!running);
    m_Stop->setEnabled(running);
    m_Clear->setEnabled(!running);
}

void TtffDlg::AddLine(const QString& line)
{
    m_Progress->appendPlainText(line);
}

void TtffDlg::ShowReport(const std::vector<TtffSeries>& series, const std::string& criterion)
{
    m_Report->setPlainText(series.empty() ? QString() : QString::fromStdString(ReportText(series, criterion)));
    m_SaveCsv->setEnabled(!series.empty());
}

}  // namespace orvane
