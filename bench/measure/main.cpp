// orvane-measure: timings, peak memory and the README's pictures of the
// real viewer window. See MeasureModes.h for the modes.

#include <QApplication>

#include <cstdio>
#include <unistd.h>

#include "MeasureModes.h"

int main(int argc, char** argv)
{
    // As the viewer: the embedded browser refuses its sandbox as root and
    // shares its GL contexts with the widgets.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    if (const std::optional<int> status = orvane::RunMeasureMode(QApplication::arguments()))
        return *status;
    std::fputs("usage: orvane-measure --screenshot PNG FILE | --measure-ticks N FILE | --measure-map N |\n"
               "       --measure-first-position FILE | --map-screenshots DIR FILE N | --exit-after-load [FILE]\n",
               stderr);
    return 2;
}
