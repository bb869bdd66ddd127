#pragma once
// The secondary map window: created hidden with the main window, shown and
// hidden by the main window's secondary-map button. Its browser and page
// loading come with the map work; until then it is an empty window.

#include <QDialog>

namespace orvane {

class CGNSS_SecondaryMapDlg : public QDialog {
    Q_OBJECT

public:
    explicit CGNSS_SecondaryMapDlg(QWidget* owner);
};

}  // namespace orvane
