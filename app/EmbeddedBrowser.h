// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a program that shows the embedded browser sets before it creates
// the application object.

#include <QCoreApplication>

#include <unistd.h>

namespace orvane {

// Chromium refuses to start its sandbox as root, and without the browser
// process the window cannot be built: run it unsandboxed there. The browser
// shares its GL contexts with the widgets.
inline void PrepareEmbeddedBrowser()
{
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

}  // namespace orvane
