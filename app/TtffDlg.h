// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "TTFF Test..." window: the start type (a [commands] preset, or a
// command typed), the number of runs, the timeout, the settling time
// between runs and the criterion of a valid fix; Start and Stop; the
// progress lines and the report of every series measured since the window
// was cleared; the runs as CSV.
//
// The window measures nothing itself: its owner runs the series
// (StartRequested, StopRequested) and shows the results in it.

#include <QDialog>

#include <string>
#include <vector>

#include "PresetBox.h"
#include "analysis/TtffReport.h"
#include "live/TtffRunner.h"
#include "settings/CommandsConfig.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace orvane {

class TtffDlg : public QDialog {
    Q_OBJECT

public:
    explicit TtffDlg(QWidget* owner);

    void SetPresets(const std::vector<CommandPreset>& presets);
    // The settings as the controls give them; false with error when they
    // are not complete (no command, a reference that is no point).
    bool ReadSettings(TtffSettings& settings, QString& error) const;
    // A series runs: Start is disabled and Stop enabled, and back.
    void SetRunning(bool running);
    void AddLine(const QString& line);
    // The report of every series so far.
    void ShowReport(const std::vector<TtffSeries>& series, const std::string& criterion);

    QComboBox* Presets() const { return m_Presets; }
    QLineEdit* Command() const { return m_Command; }
    QSpinBox* Runs() const { return m_Runs; }
    QDoubleSpinBox* Timeout() const { return m_Timeout; }
    QDoubleSpinBox* Settle() const { return m_Settle; }
    QCheckBox* ThreeD() const { return m_ThreeD; }
    QCheckBox* HdopLimited() const { return m_HdopLimited; }
    QDoubleSpinBox* MaxHdop() const { return m_MaxHdop; }
    QCheckBox* NearReference() const { return m_NearReference; }
    QDoubleSpinBox* WithinMetres() const { return m_WithinMetres; }
    QLineEdit* Reference() const { return m_Reference; }
    QPushButton* StartButton() const { return m_Start; }
    QPushButton* StopButton() const { return m_Stop; }
    QPushButton* SaveCsvButton() const { return m_SaveCsv; }
    QPushButton* ClearButton() const { return m_Clear; }
    QPlainTextEdit* Progress() const { return m_Progress; }
    QPlainTextEdit* Report() const { return m_Report; }

signals:
    void StartRequested();
    void StopRequested();
    void SaveCsvRequested();
    void ClearRequested();

private:
    PresetBox* m_Presets = nullptr;
    QLineEdit* m_Command = nullptr;
    QSpinBox* m_Runs = nullptr;
    QDoubleSpinBox* m_Timeout = nullptr;
    QDoubleSpinBox* m_Settle = nullptr;
    QCheckBox* m_ThreeD = nullptr;
    QCheckBox* m_HdopLimited = nullptr;
    QDoubleSpinBox* m_MaxHdop = nullptr;
    QCheckBox* m_NearReference = nullptr;
    QDoubleSpinBox* m_WithinMetres = nullptr;
    QLineEdit* m_Reference = nullptr;
    QPushButton* m_Start = nullptr;
    QPushButton* m_Stop = nullptr;
    QPushButton* m_SaveCsv = nullptr;
    QPushButton* m_Clear = nullptr;
    QPlainTextEdit* m_Progress = nullptr;
    QPlainTextEdit* m_Report = nullptr;
};

}  // namespace orvane
