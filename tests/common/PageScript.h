// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a value out of the page a browser shows, for tests and
// measurements: the program itself never waits on a page.

#include <QEventLoop>
#include <QTimer>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <functional>
#include <memory>
#include <optional>

#include "WebBrowser2.h"

namespace orvane {

// Runs a script expression in the page and serves events until its value
// arrives; nothing when no answer came within timeoutMs.
inline std::optional<QVariant> EvaluateInPage(CWebBrowser2& browser, const QString& script, int timeoutMs)
{
    // The answer may come after a time-out; the shared state outlives it.
    auto answer = std::make_shared<std::optional<QVariant>>();
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    QPointer<QEventLoop> waiting(&loop);
    browser.View()->page()->runJavaScript(script, [answer, waiting](const QVariant& value) {
        *answer = value;
        if (waiting)
            waiting->quit();
    });
    loop.exec();
    return *answer;
}

// Serves events until ready() holds, checking it every few milliseconds;
// false when it did not within timeoutMs. The browser engine runs many of
// its own steps on this thread: a wait that sleeps between turns of events,
// as QTest::qWaitFor does, holds each of them back, and a page load takes
// seconds instead of milliseconds.
inline bool WaitInEventLoop(const std::function<bool()>& ready, int timeoutMs)
{
    if (ready())
        return true;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (ready())
            loop.quit();
    });
    check.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return ready();
}

}  // namespace orvane
