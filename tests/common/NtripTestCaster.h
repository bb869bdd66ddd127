// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An NTRIP caster of the tests on 127.0.0.1, one mountpoint behind Basic
// authentication. It answers an HTTP/1.1 request as NTRIP 2 does: the
// stream or the source table in chunks; an HTTP/1.0 request as NTRIP 1
// does: ICY 200 OK and the bare stream, or SOURCETABLE 200 OK. A wrong
// password gets 401, another mountpoint 404 (or the source table, when
// tableForUnknown is set). What a client sends after its request (its GGA
// lines) is kept line by line.

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

struct NtripTestCaster {
    QTcpServer server;
    QByteArray mountpoint = "MOUNT";
    QByteArray user = "ann", password = "s3cret";
    QByteArray table;
    bool tableForUnknown = false;
    int chunkSize = 64;  // bytes per chunk of an NTRIP 2 answer

    QList<QByteArray> requests;   // each request's header lines
    QList<QByteArray> sentLines;  // what clients sent after their requests, a line each
    QTcpSocket* streaming = nullptr;
    bool chunked = false;

    NtripTestCaster()
    {
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection())
                Accept(socket);
        });
        server.listen(QHostAddress::LocalHost, 0);
    }

    quint16 Port() const { return server.serverPort(); }

    // Sends bytes to the client of the stream, in chunks for NTRIP 2.
    void Send(const QByteArray& bytes)
    {
        if (!streaming)
            return;
        if (!chunked) {
            streaming->write(bytes);
            return;
        }
        for (qsizetype at = 0; at < bytes.size(); at += chunkSize) {
            const QByteArray chunk = bytes.mid(at, chunkSize);
            streaming->write(QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n");
        }
    }

private:
    void Accept(QTcpSocket* socket)
    {
        // What came from the client, and whether its request was answered.
        auto* received = new QByteArray;
        auto* answered = new bool(false);
        QObject::connect(socket, &QObject::destroyed, [received, answered] {
            delete received;
            delete answered;
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received, answered] {
            *received += socket->readAll();
            if (!*answered) {
                const qsizetype end = received->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                *answered = true;
                requests << received->left(end + 2);
                Answer(socket, received->left(end + 2));
                received->remove(0, end + 4);
            }
            for (qsizetype end; (end = received->indexOf("\r\n")) >= 0; received->remove(0, end + 2))
                sentLines << received->left(end);
        });
    }

    void Answer(QTcpSocket* socket, const QByteArray& request)
    {
        const QByteArray firstLine = request.left(request.indexOf("\r\n"));
        const bool version2 = firstLine.endsWith("HTTP/1.1");
        const QByteArray path = firstLine.split(' ').value(1);
        const QByteArray authorization = "Authorization: Basic " + (user + ':' + password).toBase64() + "\r\n";
        if (path == "/" || (path != '/' + mountpoint && tableForUnknown)) {
            if (!version2) {
                socket->write("SOURCETABLE 200 OK\r\nContent-Type: text/plain\r\n\r\n" + table + "ENDSOURCETABLE\r\n");
            } else {
                socket->write(
                    "HTTP/1.1 200 OK\r\nNtrip-Version: Ntrip/2.0\r\nContent-Type: gnss/sourcetable\r\n"
                    "Transfer-Encoding: chunked\r\n\r\n");
                streaming = socket;
                chunked = true;
                Send(table + "ENDSOURCETABLE\r\n");
                socket->write("0\r\n\r\n");
                streaming = nullptr;
            }
            socket->disconnectFromHost();
        } else if (path != '/' + mountpoint) {
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
            socket->disconnectFromHost();
        } else if (!request.contains(authorization)) {
            socket->write("HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"/" + mountpoint +
                          "\"\r\nContent-Length: 0\r\n\r\n");
            socket->disconnectFromHost();
        } else if (version2) {
            socket->write(
                "HTTP/1.1 200 OK\r\nNtrip-Version: Ntrip/2.0\r\nContent-Type: gnss/data\r\n"
                "Transfer-Encoding: chunked\r\n\r\n");
            streaming = socket;
            chunked = true;
        } else {
            socket->write("ICY 200 OK\r\n");
            streaming = socket;
            chunked = false;
        }
        if (streaming == socket)
            QObject::connect(socket, &QObject::destroyed, &server, [this, socket] {
                if (streaming == socket)
                    streaming = nullptr;
            });
    }
};
