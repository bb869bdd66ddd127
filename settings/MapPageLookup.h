// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The order in which Orvane looks for a map page named without a scheme:
// next to the executable first, then the installed data folder.

#include <QString>
#include <QStringList>
#include <QUrl>

namespace orvane {

// The URL for a map/urlN value of config.ini. A value with a URL scheme
// (file:, http:, https:, ...) is used as it stands. Any other value is a
// file path, absolute or relative to exeFolder. An empty value is the
// empty page about:blank.
QUrl MapUrlFromConfig(const QString& value, const QString& exeFolder);

// exeFolder and the installed data folder.
QStringList MapPageFolders(const QString& exeFolder);

// The URL of a map/urlN value. A file path relative to a folder is taken
// from the first of folders that holds it, and from the first folder when
// none does; anything else is read as MapUrlFromConfig reads it.
QUrl MapPageUrl(const QString& value, const QStringList& folders);

}  // namespace orvane
