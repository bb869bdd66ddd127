// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The modal questions the program asks: message boxes, the open-file
// dialog and the About box. The window asks them through this seam, so a
// test can answer them without a blocking box.

#include <QString>

class QDialog;
class QWidget;

namespace orvane {

struct OpenFileRequest {
    QString filterName;     // "NMEA Files"
    QString pattern;        // "*.*"
    QString defaultSuffix;  // "NMEA"
    QString initialName;    // "*.*"
};

struct SaveFileRequest {
    QString caption;        // "Save Track as GPX"
    QString filterName;     // "GPX Files"
    QString pattern;        // "*.gpx"
    QString defaultSuffix;  // "gpx"
    QString initialName;    // "track.gpx"
};

class UiSeam {
public:
    virtual ~UiSeam() = default;

    // A modal box with the text and a single OK button.
    virtual void MessageBox(QWidget* parent, const QString& text);

    // An open-file dialog for one existing file. Returns the chosen file's
    // full path, or an empty text when the user cancels.
    virtual QString OpenFileName(QWidget* parent, const OpenFileRequest& request);

    // A save-file dialog that asks before replacing a file. Returns the
    // chosen path, with the default suffix added to a name without one, or
    // an empty text when the user cancels.
    virtual QString SaveFileName(QWidget* parent, const SaveFileRequest& request);

    // Runs a dialog modally and returns its result.
    virtual int RunModal(QDialog& dialog);
};

// The seam that shows real boxes.
UiSeam& DefaultUiSeam();

}  // namespace orvane
