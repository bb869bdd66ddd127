// SPDX-License-Identifier: GPL-3.0-or-later
#include "WebBrowser2.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cmath>

namespace orvane {

// A page whose dialogs and console can be silenced. A silent page answers
// alert at once, confirm and prompt with "cancel", and drops console
// messages, uncaught script errors among them.
class CSilentPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

    bool m_Silent = false;

protected:
    void javaScriptAlert(const QUrl& origin, const QString& message) override
    {
        if (!m_Silent)
            QWebEnginePage::javaScriptAlert(origin, message);
    }
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override
    {
        return m_Silent ? false : QWebEnginePage::javaScriptConfirm(origin, message);
    }
    bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue,
        QString* result) override
    {
        return m_Silent ? false : QWebEnginePage::javaScriptPrompt(origin, message, defaultValue, result);
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
        const QString& source) override
    {
        if (!m_Silent)
            QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
    }
};

CWebBrowser2::CWebBrowser2(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_View = new QWebEngineView(this);
    m_Page = new CSilentPage(m_View);
    m_View->setPage(m_Page);
    // A file dropped here goes to the window around the view, never to
    // the page: the view does not navigate to dropped files.
    m_View->setAcceptDrops(false);
    layout->addWidget(m_View);

    connect(m_Page, &QWebEnginePage::loadStarted, this, [this] { m_Busy = true; });
    connect(m_Page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        m_Busy = false;
        emit LoadFinished(ok);
    });
}

CWebBrowser2::~CWebBrowser2() = default;

void CWebBrowser2::Navigate2(const QUrl& url)
{
    m_RequestedUrl = url;
    // The load's start is reported later; it is under way from now on.
    m_Busy = true;
    m_View->load(url);
}

void CWebBrowser2::Stop()
{
    m_View->stop();
    m_Busy = false;
}

void CWebBrowser2::SetSilent(bool silent)
{
    m_Page->m_Silent = silent;
}

bool CWebBrowser2::Silent() const
{
    return m_Page->m_Silent;
}

void CWebBrowser2::CallScript(const QString& name, double a, double b, double c)
{
    // The function is looked up by name in the page's global scope, so one
    // declared with const or let (not a property of window) is found too.
    // Only a plain identifier can name one; the numbers go in as literals,
    // so nothing the caller passes can become script of its own.
    static const QRegularExpression identifier(QStringLiteral("^[A-Za-z_$][A-Za-z0-9_$]*$"));
    QString script = QStringLiteral("false");
    if (identifier.match(name).hasMatch())
        script = QStringLiteral("(function(){if(typeof %1!=='function')return false;%1(%2,%3,%4);return true;})()")
                     .arg(name, ScriptNumber(a), ScriptNumber(b), ScriptNumber(c));
    ++m_ScriptCalls;
    QPointer<CWebBrowser2> self(this);
    m_Page->runJavaScript(script, [self, name](const QVariant& found) {
        // A function that throws still ran; only an absent one is reported.
        if (self && found.typeId() == QMetaType::Bool && !found.toBool())
            emit self->FunctionMissing(name);
    });
}

QString ScriptNumber(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    return QString::number(value, 'g', 17);
}

}  // namespace orvane
