// orvane: the NMEA log viewer.

#include <QApplication>

#include "OrvaneApp.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    orvane::COrvaneApp app;
    return app.InitInstance(QApplication::arguments());
}
