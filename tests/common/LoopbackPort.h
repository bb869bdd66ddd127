// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A TCP port that is free on 127.0.0.1 right now: bind to 0, read the port,
// release it.

#include <QTcpServer>

inline quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
