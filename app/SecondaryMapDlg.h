// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The secondary map window: a second browser window, created hidden with
// the main window and shown and hidden by its secondary-map button. The
// user loads any local page into it with Load a HTML; while it is shown
// and the map is on, the main window hands it every position.

#include <QDialog>

namespace orvane {

class CWebBrowser2;
class UiSeam;

class CGNSS_SecondaryMapDlg : public QDialog {
    Q_OBJECT

public:
    // File dialogs go through seam.
    CGNSS_SecondaryMapDlg(QWidget* owner, UiSeam& seam);

    CWebBrowser2* Browser() const { return m_Browser; }
    // Control 1139 follows the main map switch.
    void SetBrowserEnabled(bool enabled);
    QWidget* Control(int id) const;

    // Command 1140: asks for a local page and loads it.
    void OnLoadHtml();

private:
    UiSeam& m_Seam;
    QWidget* m_BrowserFrame = nullptr;  // control 1139
    CWebBrowser2* m_Browser = nullptr;
};

}  // namespace orvane
