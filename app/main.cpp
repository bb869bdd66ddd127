// SPDX-License-Identifier: GPL-3.0-or-later
// orvane: the NMEA log viewer.

#include <QApplication>

#include <string_view>

#include "EmbeddedBrowser.h"
#include "OrvaneApp.h"

int main(int argc, char** argv)
{
    // --help and --version alone answer before the GUI starts: without a
    // display the GUI would abort. Everything else waits until Qt has taken
    // its own options (-platform, -style, -display).
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "--version"))
        return *orvane::AnswerWithoutWindow({QString::fromLocal8Bit(argv[0]), QString::fromLocal8Bit(argv[1])});
    orvane::PrepareEmbeddedBrowser();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    orvane::COrvaneApp app;
    return app.InitInstance(QApplication::arguments());
}
