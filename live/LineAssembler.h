// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeps each live source's unfinished sentence apart. The bytes of a source
// are handed on only up to the last line end (CR or LF) received from it;
// the rest waits for that source's next bytes. So a sentence that straddles
// two ticks is decoded whole, and two clients that send at once never cut
// into each other's sentences.
//
// A waiting rest is handed on without a line end when it is plainly whole
// (it ends in a checksum, "*" and two hex digits), when the source closes,
// as soon as it passes 4096 bytes, and otherwise once its source has been
// silent for one second. A pause inside a sentence (a link over Wi-Fi or a
// WAN, a multiplexer, a burst that straddles a scheduling gap) is shorter
// than that, so a sentence cut by a pause is decoded whole. A peer that
// sends neither line ends nor checksums and never pauses for a second has
// its text handed on in pieces of 4096 bytes.

#include <chrono>
#include <string>
#include <string_view>
#include <unordered_map>

#include "Notices.h"

namespace orvane {

class LineAssembler {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr size_t kMaxWaiting = 4096;
    static constexpr Clock::duration kSilence = std::chrono::seconds(1);

    // Appends to out what of the source's bytes (with its waiting rest in
    // front) is complete now; the bytes arrived at now.
    void Feed(SourceId source, std::string_view bytes, std::string& out, Clock::time_point now = Clock::now());

    // Called at each live tick: appends to out the rest of every source
    // that has sent nothing for kSilence up to now, and forgets those
    // sources.
    void PassOnIdle(std::string& out, Clock::time_point now = Clock::now());

    // Appends the source's waiting rest to out and forgets the source.
    void Close(SourceId source, std::string& out);

    // Appends every source's rest to out, in no particular order, and
    // forgets them all.
    void CloseAll(std::string& out);

    size_t Waiting(SourceId source) const;
    size_t WaitingTotal() const;

private:
    struct Rest {
        std::string bytes;
        Clock::time_point lastFed;
    };
    std::unordered_map<SourceId, Rest> m_Rest;
};

// True when text ends in a sentence's checksum: "*" and two hex digits.
bool EndsInChecksum(std::string_view text);

}  // namespace orvane
