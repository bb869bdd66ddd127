// SPDX-License-Identifier: GPL-3.0-or-later
// orvane: the NMEA log viewer.

#include <QApplication>

#include "EmbeddedBrowser.h"
#include "OrvaneApp.h"

int main(int argc, char** argv)
{
    // --help and --version answer before the GUI starts: without a display
    // the GUI would abort.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> status = orvane::AnswerWithoutWindow(arguments))
        return *status;
    orvane::PrepareEmbeddedBrowser();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    orvane::COrvaneApp app;
    return app.InitInstance(QApplication::arguments());
}
