#pragma once
// Keeps each live source's unfinished sentence apart. The bytes of a source
// are handed on only up to the last line end (CR or LF) received from it;
// the rest waits for that source's next bytes. So a sentence that straddles
// two ticks is decoded whole, and two clients that send at once never cut
// into each other's sentences.
//
// A waiting rest is handed on without a line end when it is plainly whole
// (it ends in a checksum, "*" and two hex digits), when its source has sent
// nothing for one whole live tick, when the source closes, and as soon as it
// passes 4096 bytes. A peer that never sends line ends is not held back.

#include <string>
#include <string_view>
#include <unordered_map>

#include "Notices.h"

namespace orvane {

class LineAssembler {
public:
    static constexpr size_t kMaxWaiting = 4096;

    // Appends to out what of the source's bytes (with its waiting rest in
    // front) is complete now.
    void Feed(SourceId source, std::string_view bytes, std::string& out);

    // Called once per live tick: appends to out the rest of every source
    // that sent nothing since the previous call, and forgets those sources.
    void PassOnIdle(std::string& out);

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
        bool fedSinceTick = true;
    };
    std::unordered_map<SourceId, Rest> m_Rest;
};

// True when text ends in a sentence's checksum: "*" and two hex digits.
bool EndsInChecksum(std::string_view text);

}  // namespace orvane
