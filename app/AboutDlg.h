// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The About box: the icon, the program's name, an author line and OK.
// Enter and Escape close it as in any dialog.

#include <QDialog>

namespace orvane {

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace orvane
