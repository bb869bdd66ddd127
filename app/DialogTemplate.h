// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows laid out from a table of controls: id, kind, caption and place in
// dialog units. Dialog units follow the dialog font: a horizontal unit is a
// quarter of its average character width, a vertical unit an eighth of its
// line height.

#include <QFont>
#include <QHash>
#include <QRect>
#include <QSize>
#include <QString>

#include <span>

class QWidget;

namespace orvane {

// The id of a control that no code addresses (a label).
inline constexpr int kNoControlId = -1;

enum class ControlKind {
    TrackBar,  // horizontal slider
    PushButton,
    DefaultPushButton,
    PushLikeCheckBox,  // a toggle button whose caption the program sets
    RightLabel,
    CentredLabel,
    DropDownCombo,
    BrowserPlaceholder,  // the place of an embedded browser
    ReadOnlyTextView,    // multi-line, read-only, with a vertical scroll bar
    LineEdit,
    Icon,
    VerticalProgressBar,  // range 0 to 100 until the window sets its own
    GroupBox,
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* caption;  // UTF-8
    int x, y, w, h;       // dialog units
    bool disabled = false;
};

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    QRect ToPixels(int x, int y, int w, int h) const;
    QSize ToPixels(int w, int h) const;

private:
    int m_BaseX;  // average character width in pixels
    int m_BaseY;  // line height in pixels
};

// The dialog font: the desktop's sans-serif face at the given point size,
// standing in for "MS Shell Dlg".
QFont DialogFont(int pointSize);

// Creates the controls of the table as children of parent, each with its id
// as objectName, and returns them by id (labels without id are left out).
QHash<int, QWidget*> CreateControls(QWidget* parent, std::span<const ControlTemplate> controls,
    const DialogUnits& units);

// A window laid out from its table: its title, the dialog font of the given
// point size, its fixed size in dialog units, and its controls as
// CreateControls returns them.
QHash<int, QWidget*> SetUpTemplateWindow(QWidget* window, const QString& title, int pointSize, QSize size,
    std::span<const ControlTemplate> controls);

}  // namespace orvane
