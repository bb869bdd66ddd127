// SPDX-License-Identifier: GPL-3.0-or-later
#include "OrvaneApp.h"

#include <QTimer>

#include <cstdio>

#include "OrvaneDlg.h"

namespace orvane {

std::optional<int> AnswerWithoutWindow(const QStringList& arguments)
{
    const QStringList files = arguments.mid(1);
    if (files == QStringList{QStringLiteral("--help")}) {
        std::fputs("usage: orvane [FILE]\nOpens the NMEA log viewer; a FILE is loaded at start as if dropped on it.\n",
            stdout);
        return 0;
    }
    if (files == QStringList{QStringLiteral("--version")}) {
        std::printf("orvane %s\n", ORVANE_VERSION);
        return 0;
    }
    if (files.size() > 1 || (!files.isEmpty() && files.constFirst().startsWith(QStringLiteral("--")))) {
        std::fputs("usage: orvane [FILE]\n", stderr);
        return 2;
    }
    return std::nullopt;
}

int COrvaneApp::InitInstance(const QStringList& arguments)
{
    if (const std::optional<int> status = AnswerWithoutWindow(arguments))
        return *status;
    const QStringList files = arguments.mid(1);
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
