#pragma once
// Keeps each live source's unfinished sentence apart. The bytes of a source
// are handed on only up to the last line end (CR or LF) received from it;
// the rest waits for that source's next bytes. The rest is handed on when
// the source closes, or as soon as it passes 4096 bytes without a line end.
// So a sentence that straddles two ticks is decoded whole, and two clients
// that send at once never cut into each other's sentences.

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

    // Appends the source's waiting rest to out and forgets the source.
    void Close(SourceId source, std::string& out);

    // Appends every source's rest to out, in no particular order, and
    // forgets them all.
    void CloseAll(std::string& out);

    size_t Waiting(SourceId source) const;
    size_t WaitingTotal() const;

private:
    std::unordered_map<SourceId, std::string> m_Rest;
};

}  // namespace orvane
