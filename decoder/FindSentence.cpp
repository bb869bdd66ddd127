// SPDX-License-Identifier: GPL-3.0-or-later
#include "FindSentence.h"

#include <bit>
#include <cstring>

#include "Tables.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define ORVANE_WIDE_SEARCH 1
#endif

namespace orvane {

namespace {

// Whether the four letters at at are the first four of tail or, WithAlias,
// of alias (the fifth is known to match). tail holds the five letters after
// "$" of the sentences searched for; alias those of the talker's alias,
// which end in the same letter. A talker without an alias is searched by
// code that never looks at one.
template <bool WithAlias>
inline bool Matches(const char* at, const char* tail, const char* alias)
{
    if constexpr (WithAlias)
        return std::memcmp(at, tail, 4) == 0 || std::memcmp(at, alias, 4) == 0;
    else
        return std::memcmp(at, tail, 4) == 0;
}

// Of the places p + k whose bit k is set in candidates, the first holding
// the address's first four letters after its "$" (the fifth is known to
// match), or null.
template <bool WithAlias>
inline const char* FirstMatch(const char* p, unsigned candidates, const char* tail, const char* alias)
{
    for (; candidates != 0; candidates &= candidates - 1) {
        const char* const at = p + std::countr_zero(candidates);
        if (Matches<WithAlias>(at + 1, tail, alias))
            return at;
    }
    return nullptr;
}

// The first "$" in [p, last] followed by the five letters of tail or,
// WithAlias, of alias, or null. The five letters after last are readable.
template <bool WithAlias>
const char* FindPattern(const char* p, const char* const last, const char* tail, const char* alias)
{
#if defined(__SSE2__)
    // Sixteen places at a time: a place is a candidate when it holds "$" and
    // the fifth letter after it is the pattern's last one; only candidates
    // are compared in full. Nearly every sentence starts with the same "$",
    // but few of them end their address in the same letter, so the search
    // runs at memory speed instead of stopping at every "$". The loads end
    // at last + 5 at most.
    const __m128i dollar = _mm_set1_epi8('$');
    const __m128i lastLetter = _mm_set1_epi8(tail[4]);
    while (last - p >= 15) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i fifth = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 5));
        const auto candidates = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(first, dollar), _mm_cmpeq_epi8(fifth, lastLetter))));
        if (const char* const found = FirstMatch<WithAlias>(p, candidates, tail, alias))
            return found;
        p += 16;
    }
#endif
    while (p <= last) {
        const auto* dollar = static_cast<const char*>(std::memchr(p, '$', size_t(last - p) + 1));
        if (dollar == nullptr || (dollar[5] == tail[4] && Matches<WithAlias>(dollar + 1, tail, alias)))
            return dollar;
        p = dollar + 1;
    }
    return nullptr;
}

#if defined(ORVANE_WIDE_SEARCH)
// The places among the thirty-two from at that hold "$" with the last letter
// five places on.
__attribute__((target("avx2"), always_inline)) inline __m256i Candidates(const char* at, __m256i dollar,
    __m256i lastLetter)
{
    const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    const __m256i fifth = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 5));
    return _mm256_and_si256(_mm256_cmpeq_epi8(first, dollar), _mm256_cmpeq_epi8(fifth, lastLetter));
}

// The same as FindPattern, thirty-two places at a time where the processor can.
template <bool WithAlias>
__attribute__((target("avx2"))) const char* FindPatternWide(const char* p, const char* const last, const char* tail,
    const char* alias)
{
    const __m256i dollar = _mm256_set1_epi8('$');
    const __m256i lastLetter = _mm256_set1_epi8(tail[4]);
    // Sixty-four places at a time while none holds a candidate; a block of
    // thirty-two with candidates is then looked at in turn.
    const __m256i all = _mm256_set1_epi8(-1);
    for (;;) {
        while (last - p >= 63 &&
               _mm256_testz_si256(
                   _mm256_or_si256(Candidates(p, dollar, lastLetter), Candidates(p + 32, dollar, lastLetter)), all))
            p += 64;
        if (last - p < 31)
            break;
        const auto candidates = unsigned(_mm256_movemask_epi8(Candidates(p, dollar, lastLetter)));
        if (const char* const found = FirstMatch<WithAlias>(p, candidates, tail, alias))
            return found;
        p += 32;
    }
    return FindPattern<WithAlias>(p, last, tail, alias);
}

// alias: null for a talker without one.
const char* FindPatternFastest(const char* p, const char* const last, const char* tail, const char* alias)
{
    static const bool wide = __builtin_cpu_supports("avx2");
    if (alias)
        return wide ? FindPatternWide<true>(p, last, tail, alias) : FindPattern<true>(p, last, tail, alias);
    return wide ? FindPatternWide<false>(p, last, tail, nullptr) : FindPattern<false>(p, last, tail, nullptr);
}
#else
const char* FindPatternFastest(const char* p, const char* const last, const char* tail, const char* alias)
{
    return alias ? FindPattern<true>(p, last, tail, alias) : FindPattern<false>(p, last, tail, nullptr);
}
#endif

}  // namespace

int32_t FindSentence(std::string_view text, int32_t start, int32_t talkerRow, int32_t messageRow, std::string_view& out)
{
    if (text.size() > size_t(kMaxTextLength))
        text = text.substr(0, size_t(kMaxTextLength));
    const auto length = int32_t(text.size());
    if (talkerRow < 0 || talkerRow >= kTalkerCount || messageRow < 0 || messageRow >= kMessageCount || start >= length)
        return -1;
    out = {};
    if (start < 0)
        return -1;

    // The five letters after "$", compared as one block at every "$". A
    // talker with an alias (QZSS: QZ and GQ) matches either in the same
    // search: both end in the type's last letter, so the places worth
    // comparing are the same, and the first of either is found.
    const TalkerEntry& talker = TalkerTable[talkerRow];
    char tail[5];
    std::memcpy(tail, talker.id.data(), 2);
    std::memcpy(tail + 2, MessageTable[messageRow].id.data(), 3);
    char aliasTail[5];
    const char* alias = nullptr;
    if (!talker.alias.empty()) {
        std::memcpy(aliasTail, talker.alias.data(), 2);
        std::memcpy(aliasTail + 2, tail + 2, 3);
        alias = aliasTail;
    }

    if (length - start < 6)
        return -1;
    const char* const base = text.data();
    const char* const textEnd = base + length;
    const char* const last = textEnd - 6;  // the last place a pattern can begin
    const char* const dollar = FindPatternFastest(base + start, last, tail, alias);
    if (dollar == nullptr)
        return -1;
    const auto* star = static_cast<const char*>(std::memchr(dollar + 6, '*', size_t(textEnd - dollar - 6)));
    if (star == nullptr)
        return length;
    out = std::string_view(dollar, size_t(star - dollar) + 1);
    return int32_t(star - base) + 1;
}

}  // namespace orvane
