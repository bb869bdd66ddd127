// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A golden decoder case's log as the runner decodes it: its "#" header
// lines left out (positions depend on byte offsets).

#include <QString>

#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadCaseLog(const QString& path)
{
    std::ifstream file(path.toStdString(), std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    std::string log = text.str();
    while (log.starts_with('#'))
        log.erase(0, log.find('\n') + 1);
    return log;
}
