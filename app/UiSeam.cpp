// SPDX-License-Identifier: GPL-3.0-or-later
#include "UiSeam.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace orvane {

void UiSeam::MessageBox(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Orvane"), text, QMessageBox::Ok, parent);
    box.exec();
}

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

QString UiSeam::OpenFileName(QWidget* parent, const OpenFileRequest& request)
{
    OpenFileDialog dialog(parent, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString UiSeam::SaveFileName(QWidget* parent, const SaveFileRequest& request)
{
    QFileDialog dialog(parent, request.caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(request.filterName + QStringLiteral(" (") + request.pattern + QLatin1Char(')'));
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

int UiSeam::RunModal(QDialog& dialog)
{
    return dialog.exec();
}

UiSeam& DefaultUiSeam()
{
    static UiSeam seam;
    return seam;
}

}  // namespace orvane
