// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The live sources Orvane opens beside the serial port and the TCP input
// server: a NMEA server it follows, gpsd, and a UDP port. Start Parsing
// opens the configured ones in this order, each with a line, and Pause
// closes them, each with a line. Each has a source id of its own, so its
// unfinished lines never mix with another source's.

#include <QHostAddress>
#include <QString>

#include <functional>
#include <memory>

#include "Notices.h"
#include "TcpFeed.h"
#include "UdpFeed.h"
#include "settings/SourcesConfig.h"

namespace orvane {

class LiveSources {
public:
    using LineSink = std::function<void(const QString&)>;
    using Follow = std::function<void(const NoticeSource& source)>;

    LiveSources();
    ~LiveSources();

    // Opens what settings name: the NMEA server, gpsd, then the UDP port;
    // follow connects to each source's signals before it opens.
    void Open(const LiveSourceSettings& settings, const LineSink& appendLine, const Follow& follow);
    // Closes every open source in the same order.
    void Close(const LineSink& appendLine);
    bool IsOpen() const { return m_NmeaServer || m_Gpsd || m_Udp; }

    // Whether the source id is one of the open sources'.
    bool Owns(SourceId source) const;
    // The prefix of a line about the source, "[TCP]" when it is none of
    // these.
    QString LabelOf(SourceId source) const;
    // The NMEA server Orvane follows, nullptr when [sources] names none or
    // the sources are closed: the one source that takes receiver commands.
    TcpFeed* NmeaServer() const { return m_NmeaServer.get(); }
    // What the sources hold and have not yet told, straight to sink.
    void TakePending(const SourceBytesSink& sink);

private:
    std::unique_ptr<TcpFeed> m_NmeaServer;
    std::unique_ptr<TcpFeed> m_Gpsd;
    std::unique_ptr<UdpFeed> m_Udp;
};

}  // namespace orvane
