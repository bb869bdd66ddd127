// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The map view of the main window: the silent browser inside control 1000,
// the page turn over the configured map pages, and each usable position
// handed to the map pages.

class QWidget;

namespace orvane {

class CWebBrowser2;
struct MapPagesConfig;

class MapView {
public:
    // Puts a silent browser into frame, which owns it.
    explicit MapView(QWidget* frame);

    CWebBrowser2* Browser() const { return m_Browser; }

    // Loads the configured page whose turn it is. The turn is one counter
    // for the whole process: it keeps counting across switch-ons and
    // windows. pages.count must not be 0.
    void ShowNextPage(const MapPagesConfig& pages);
    // Ends a page load; the last page stays in view.
    void Stop();

    // Calls setCurPos on the map page and, when given, on the secondary
    // page. While the map page loads, the position reaches neither page.
    void UpdatePosition(double latitude, double longitude, double heading, CWebBrowser2* secondary);

private:
    CWebBrowser2* m_Browser = nullptr;  // m_Browser
};

}  // namespace orvane
