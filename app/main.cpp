// orvane: the NMEA log viewer.

#include <QApplication>

#include "OrvaneApp.h"

int main(int argc, char** argv)
{
    // The embedded browser shares its GL contexts with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    orvane::COrvaneApp app;
    return app.InitInstance(QApplication::arguments());
}
