// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniParse.h"

#include <QFile>

#include <ini.h>

namespace orvane {

void ParseIniFile(const QString& path, IniLineHandler handler, void* user)
{
    ini_allow_multiline = false;
    ini_allow_inline_comments = false;
    ini_use_stack = false;
    ini_allow_realloc = true;
    ini_max_line = 1 << 20;
    ini_parse(QFile::encodeName(path).constData(), handler, user);
}

}  // namespace orvane
