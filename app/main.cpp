// SPDX-License-Identifier: GPL-3.0-or-later
// orvane: the NMEA log viewer.

#include <QApplication>

#include "EmbeddedBrowser.h"
#include "OrvaneApp.h"

int main(int argc, char** argv)
{
    orvane::PrepareEmbeddedBrowser();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    orvane::COrvaneApp app;
    return app.InitInstance(QApplication::arguments());
}
