// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What sentences gave when read, kept by their bytes. A receiver sends
// some sentences again byte for byte, epoch after epoch: its GSAs for as
// long as it uses the same satellites and its DOPs keep their digits. The
// same bytes give the same result, so a sentence met again gives what it
// gave then, found by comparing its bytes rather than checking and
// reading it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvane {

// Whether the n bytes at kept and at text are the same: kept is readable
// for n rounded up to sixteen bytes, text for readable bytes.
inline bool SameBytes(const char* kept, const char* text, size_t n, size_t readable)
{
#if defined(__SSE2__)
    // Sixteen at a time where the text goes on far enough.
    if (readable >= (n + 15) / 16 * 16) {
        for (size_t at = 0; at < n; at += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kept + at));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
            unsigned differ = ~unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(a, b))) & 0xffff;
            if (n - at < 16)
                differ &= (1U << (n - at)) - 1;
            if (differ != 0)
                return false;
        }
        return true;
    }
#endif
    (void)readable;
    return std::memcmp(kept, text, n) == 0;
}

// The last sentences read, what each gave (Taken) by its body and
// checksum, in kSlots places.
template <class Taken, size_t kSlots>
class SentenceMemo {
public:
    static constexpr size_t kLongest = 80;  // longer bodies are not kept

    struct Entry {
        std::array<char, kLongest> body{};
        size_t length = 0;  // 0: none kept
        std::array<char, 2> checksum{};
        bool bad = false;  // a field was not of its form: counted, nothing taken
        Taken taken{};
    };

    // The entry of the sentence from dollar to its "*hh" at star when the
    // same bytes were kept; the text is readable for readable bytes from
    // the body.
    const Entry* Find(const char* dollar, const char* star, size_t readable) const
    {
        const auto length = size_t(star - dollar - 1);
        const Entry& entry = m_Entries[Slot(dollar, star)];
        if (entry.length != length || entry.checksum[0] != star[1] || entry.checksum[1] != star[2] ||
            !SameBytes(entry.body.data(), dollar + 1, length, readable))
            return nullptr;
        return &entry;
    }

    // Keeps what a sentence whose checksum was right gave.
    void Keep(const char* dollar, const char* star, bool bad, const Taken& taken)
    {
        const auto length = size_t(star - dollar - 1);
        if (length > kLongest)
            return;
        Entry& entry = m_Entries[Slot(dollar, star)];
        std::memcpy(entry.body.data(), dollar + 1, length);
        entry.length = length;
        entry.checksum = {star[1], star[2]};
        entry.bad = bad;
        entry.taken = taken;
    }

private:
    // By the checksum's digits and, as the sentences of one epoch often
    // share a checksum, by the bytes that most often tell them apart: the
    // talker's second letter, the last byte (NMEA 4.10's system ID).
    static size_t Slot(const char* dollar, const char* star)
    {
        const auto byte = [](char c) { return size_t(uint8_t(c)); };
        return (byte(star[1]) * 7 + byte(star[2]) + byte(star[-1]) * 5 + byte(dollar[2]) * 3) % kSlots;
    }

    std::array<Entry, kSlots> m_Entries{};
};

}  // namespace orvane
