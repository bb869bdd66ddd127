// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The outcome word of a status line: "OK" or "Fail".

#include <QString>

namespace orvane {

inline QString OkOrFail(bool ok)
{
    return ok ? QStringLiteral("OK") : QStringLiteral("Fail");
}

}  // namespace orvane
