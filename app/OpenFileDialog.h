// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The dialog behind the seam's open-file question.

#include <QFileDialog>
#include <QString>

#include "UiSeam.h"

namespace orvane {

// The open-file dialog of a request. Every file is listed; a typed name
// opens as it is when it exists, else with the default suffix added.
class OpenFileDialog : public QFileDialog {
public:
    OpenFileDialog(QWidget* parent, const OpenFileRequest& request);

    void accept() override;

private:
    QString m_DefaultSuffix;
};

}  // namespace orvane
