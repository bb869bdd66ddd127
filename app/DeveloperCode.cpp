// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeveloperCode.h"

namespace orvane {

namespace {

struct CodeEntry {
    const char* word;
    DeveloperCode code;
};

// Compared in this order; the first equal word wins.
constexpr CodeEntry kCodes[] = {
    {"VIEWLOGDUMP", DeveloperCode::ShowRawData},
    {"MASKLOGDUMP", DeveloperCode::HideRawData},
    {"VIEWTAPESTATE", DeveloperCode::ShowRecording},
    {"MASKTAPESTATE", DeveloperCode::HideRecording},
};

}  // namespace

DeveloperCode ParseDeveloperCode(const QString& typed)
{
    // Only a to z are raised: no other letter can turn into part of a code
    // (the dotless i, for one, would otherwise become I).
    QString cleaned;
    cleaned.reserve(typed.size());
    for (const QChar c : typed) {
        if (c == QChar(u' '))
            continue;
        cleaned.append(c >= QChar(u'a') && c <= QChar(u'z') ? QChar(c.unicode() - u'a' + u'A') : c);
    }
    for (const CodeEntry& entry : kCodes) {
        if (cleaned == QLatin1String(entry.word))
            return entry.code;
    }
    return DeveloperCode::Invalid;
}

QString DeveloperCodeLine(DeveloperCode code)
{
    switch (code) {
    case DeveloperCode::ShowRawData:
        return QStringLiteral("[Developer Code] Show the 'GNSS Raw Data'");
    case DeveloperCode::HideRawData:
        return QStringLiteral("[Developer Code] Hide the 'GNSS Raw Data'");
    case DeveloperCode::ShowRecording:
        return QStringLiteral("[Developer Code] Show the progress of recording");
    case DeveloperCode::HideRecording:
        return QStringLiteral("[Developer Code] Hide the progress of recording");
    case DeveloperCode::Invalid:
        break;
    }
    return QStringLiteral("[Developer Code] Invalid Code!");
}

}  // namespace orvane
