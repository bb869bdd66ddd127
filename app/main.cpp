// orvane: the NMEA log viewer.

#include <QApplication>

#include <unistd.h>

#include "OrvaneApp.h"

int main(int argc, char** argv)
{
    // Chromium refuses to start its sandbox as root, and without the
    // browser process the window cannot be built: run it unsandboxed there.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The embedded browser shares its GL contexts with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    orvane::COrvaneApp app;
    return app.InitInstance(QApplication::arguments());
}
