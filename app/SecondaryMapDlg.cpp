// SPDX-License-Identifier: GPL-3.0-or-later
#include "SecondaryMapDlg.h"

#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "CloseRule.h"
#include "DialogTemplate.h"
#include "KeyRule.h"
#include "UiSeam.h"
#include "WebBrowser2.h"

namespace orvane {

namespace {

constexpr int IDC_SECONDARY_BROWSER = 1139;
constexpr int IDC_LOAD_HTML = 1140;

// Template 131.
const ControlTemplate kSecondaryMapTemplate[] = {
    {IDC_SECONDARY_BROWSER, ControlKind::BrowserPlaceholder, "", 1, 1, 300, 300},
    {IDC_LOAD_HTML, ControlKind::PushButton, "Load a HTML", 1, 302, 300, 20},
};

}  // namespace

CGNSS_SecondaryMapDlg::CGNSS_SecondaryMapDlg(QWidget* owner, UiSeam& seam) : QDialog(owner), m_Seam(seam)
{
    // A caption without window menu or close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    const QHash<int, QWidget*> controls =
        SetUpTemplateWindow(this, QStringLiteral("Secondary Map"), 8, QSize(302, 323), kSecondaryMapTemplate);
    SwallowEnterAndEscape(this);
    IgnoreCloseRequests(this);

    m_BrowserFrame = controls.value(IDC_SECONDARY_BROWSER);
    auto* layout = new QVBoxLayout(m_BrowserFrame);
    layout->setContentsMargins(1, 1, 1, 1);
    m_Browser = new CWebBrowser2(m_BrowserFrame);
    layout->addWidget(m_Browser);
    // No page is loaded at start; the view stays empty until the user
    // loads one.
    m_Browser->SetSilent(true);

    auto* load = static_cast<QPushButton*>(controls.value(IDC_LOAD_HTML));
    connect(load, &QPushButton::clicked, this, &CGNSS_SecondaryMapDlg::OnLoadHtml);
}

QWidget* CGNSS_SecondaryMapDlg::Control(int id) const
{
    return findChild<QWidget*>(QString::number(id));
}

void CGNSS_SecondaryMapDlg::SetBrowserEnabled(bool enabled)
{
    m_BrowserFrame->setEnabled(enabled);
}

void CGNSS_SecondaryMapDlg::OnLoadHtml()
{
    const OpenFileRequest request{QStringLiteral("HTML Files"), QStringLiteral("*.html"), QStringLiteral("HTML"),
        QStringLiteral("*.html")};
    const QString path = m_Seam.OpenFileName(this, request);
    if (path.isEmpty())
        return;
    // The browser loads the file from its path; the program does not read it.
    m_Browser->Navigate2(QUrl::fromLocalFile(path));
}

}  // namespace orvane
