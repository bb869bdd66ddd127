// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenFileDialog.h"

#include <QFileInfo>

namespace orvane {

OpenFileDialog::OpenFileDialog(QWidget* parent, const OpenFileRequest& request)
    : QFileDialog(parent), m_DefaultSuffix(request.defaultSuffix)
{
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    // "*.*" means every file, as it does where the pattern comes from; on
    // Linux it would hide the many logs named without a dot.
    const QString pattern = request.pattern == QLatin1String("*.*") ? QStringLiteral("*") : request.pattern;
    setNameFilter(request.filterName + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    selectFile(request.initialName == QLatin1String("*.*") ? QString() : request.initialName);
}

void OpenFileDialog::accept()
{
    // A typed name opens as it is when that file exists; only a name
    // without a suffix that does not exist is tried with the default one.
    const QStringList chosen = selectedFiles();
    if (chosen.size() == 1 && !m_DefaultSuffix.isEmpty()) {
        const QFileInfo typed(chosen.constFirst());
        const QString withSuffix = typed.filePath() + QLatin1Char('.') + m_DefaultSuffix;
        if (!typed.exists() && typed.suffix().isEmpty() && QFileInfo(withSuffix).isFile())
            selectFile(withSuffix);
    }
    QFileDialog::accept();
}

}  // namespace orvane
