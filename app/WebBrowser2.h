// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The embedded browser of the map view and the secondary map window: a
// web view with the few operations the windows use. Navigate2 loads a URL,
// Stop ends a load, Busy tells whether a load is under way, SetSilent keeps
// the page's dialog boxes and script errors from reaching the user, and
// CallScript calls a global script function of the shown page with three
// numbers.
//
// Script calls go to the renderer in the order they are made and run there
// one after another; their results arrive later on the UI thread.

#include <QPointer>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QWidget>

#include <cstdint>

class QWebEngineView;

namespace orvane {

class CSilentPage;

class CWebBrowser2 : public QWidget {
    Q_OBJECT

public:
    explicit CWebBrowser2(QWidget* parent = nullptr);
    ~CWebBrowser2() override;

    // Starts loading the URL. Busy is true from here until the load ends.
    void Navigate2(const QUrl& url);
    void Stop();
    bool Busy() const { return m_Busy; }
    // True: alert, confirm and prompt are answered without a box, and
    // the page's console output and script errors are dropped.
    void SetSilent(bool silent);
    bool Silent() const;

    // Calls name(a, b, c) when the page's global scope holds such a function;
    // otherwise nothing runs and FunctionMissing(name) is emitted once the
    // renderer has answered. The result of the function is ignored.
    void CallScript(const QString& name, double a, double b, double c);

    // The URL last given to Navigate2.
    const QUrl& RequestedUrl() const { return m_RequestedUrl; }
    QWebEngineView* View() const { return m_View; }
    uint64_t ScriptCalls() const { return m_ScriptCalls; }

signals:
    void FunctionMissing(const QString& name);
    void LoadFinished(bool ok);

private:
    QWebEngineView* m_View = nullptr;
    CSilentPage* m_Page = nullptr;
    QUrl m_RequestedUrl;
    bool m_Busy = false;
    uint64_t m_ScriptCalls = 0;
};

// The text of a number as a script literal that reads back as the same
// double: 17 significant digits, NaN and the infinities by name.
QString ScriptNumber(double value);

}  // namespace orvane
