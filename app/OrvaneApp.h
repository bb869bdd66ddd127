// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application: runs the main window modally; the program ends when the
// window closes.

#include <QStringList>

#include <optional>

namespace orvane {

class COrvaneDlg;

// The answers of the command line that need no window (--help, --version,
// a usage error): printed, with the exit status returned. None when the
// window is to run. Called before the GUI starts, so that they work
// without a display.
std::optional<int> AnswerWithoutWindow(const QStringList& arguments);

class COrvaneApp {
public:
    // Runs the program for the command line "orvane [FILE]" and returns its
    // exit status. A FILE is loaded at start as if it had been dropped on
    // the window.
    int InitInstance(const QStringList& arguments);

    COrvaneDlg* MainWindow() const { return m_pMainWnd; }

private:
    COrvaneDlg* m_pMainWnd = nullptr;  // while the main window runs
};

}  // namespace orvane
