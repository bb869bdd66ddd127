// SPDX-License-Identifier: GPL-3.0-or-later
#include "UiSeam.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

#include "OpenFileDialog.h"

namespace orvane {

void UiSeam::MessageBox(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Orvane"), text, QMessageBox::Ok, parent);
    box.exec();
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
