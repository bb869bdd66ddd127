#include "OrvaneApp.h"

#include <QTimer>

#include <cstdio>

#include "DiagnosticModes.h"
#include "OrvaneDlg.h"

namespace orvane {

int COrvaneApp::InitInstance(const QStringList& arguments)
{
    if (const std::optional<int> status = RunDiagnosticMode(arguments))
        return *status;

    const QStringList files = arguments.mid(1);
    if (files.size() > 1 || (!files.isEmpty() && files.constFirst().startsWith(QStringLiteral("--")))) {
        std::fputs("usage: orvane [FILE]\n", stderr);
        return 2;
    }

    COrvaneDlg dialog;
    m_pMainWnd = &dialog;
    if (!files.isEmpty()) {
        // Once the window is up, so the file's name shows before the load.
        QTimer::singleShot(0, &dialog, [&dialog, file = files.constFirst()] { dialog.DropFiles({file}); });
    }
    dialog.exec();
    m_pMainWnd = nullptr;
    return 0;
}

}  // namespace orvane
