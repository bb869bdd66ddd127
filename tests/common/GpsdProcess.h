// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real gpsd for tests: started in the foreground on a free port of its
// own, without any systemd socket or service, reading the given devices
// (pseudo-terminals standing in for receivers). It dies with the test
// process, also when a test crashes, and is killed when the object goes.

#include <signal.h>
#include <sys/prctl.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include "LoopbackPort.h"

class GpsdProcess {
public:
    // The gpsd executable, or empty when the package is not installed.
    static QString Executable()
    {
        const QString onPath = QStandardPaths::findExecutable(QStringLiteral("gpsd"));
        if (!onPath.isEmpty())
            return onPath;
        return QStandardPaths::findExecutable(QStringLiteral("gpsd"),
            {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    }

    ~GpsdProcess()
    {
        if (m_Process.state() != QProcess::NotRunning) {
            m_Process.kill();
            m_Process.waitForFinished(5000);
        }
    }

    // Starts gpsd -N (foreground) -n (opens the devices at once) -S port,
    // with a control socket of its own (gpsd runs without devices only
    // with one), and waits until it accepts clients. False when it does not.
    bool Start(const QStringList& devices)
    {
        m_Port = FreePort();
        m_Process.setProgram(Executable());
        m_Process.setArguments(
            QStringList{"-N", "-n", "-S", QString::number(m_Port), "-F", m_Folder.filePath(QStringLiteral("control"))} +
            devices);
        m_Process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_Process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_Process.start();
        if (!m_Process.waitForStarted(5000))
            return false;
        return QTest::qWaitFor(
                   [this] {
                       if (m_Process.state() != QProcess::Running)
                           return true;
                       QTcpSocket probe;
                       probe.connectToHost(QHostAddress::LocalHost, m_Port);
                       return probe.waitForConnected(200);
                   },
                   10000) &&
               m_Process.state() == QProcess::Running;
    }

    quint16 Port() const { return m_Port; }

private:
    QTemporaryDir m_Folder;
    QProcess m_Process;
    quint16 m_Port = 0;
};
