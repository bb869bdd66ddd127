#include "UiSeam.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace orvane {

void UiSeam::MessageBox(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Orvane"), text, QMessageBox::Ok, parent);
    box.exec();
}

QString UiSeam::OpenFileName(QWidget* parent, const OpenFileRequest& request)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("%1 (%2)").arg(request.filterName, request.pattern));
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
