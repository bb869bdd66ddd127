// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one way every parser walks a sentence: the address field ends at the
// first comma, and each further field ends at the next comma. A sentence
// type is described by a table with one store function per field, so the
// code for a missing comma is the field's place in the table.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "FieldConvert.h"

namespace orvane::detail {

inline constexpr size_t kMinSentenceLength = 10;

// Moves from field to field; pos is where the next field begins.
class FieldCursor {
public:
    explicit FieldCursor(std::string_view sentence) : m_Text(sentence) { }

    // The field from pos up to the next comma; false when there is none.
    bool Next(std::string_view& field)
    {
        const size_t comma = FindComma(m_Pos);
        if (comma == m_Text.size())
            return false;
        field = m_Text.substr(m_Pos, comma - m_Pos);
        m_Pos = comma + 1;
        return true;
    }

    size_t Position() const { return m_Pos; }
    std::string_view Text() const { return m_Text; }

private:
    // The first comma at or after from, or the text's size. Fields are a few
    // characters long: eight of them are compared at once while eight
    // remain (a comma is a zero byte of the word xor ",,,,,,,,"; the lowest
    // flagged byte is always a true one), the rest one by one.
    size_t FindComma(size_t from) const
    {
        const char* const text = m_Text.data();
        const size_t size = m_Text.size();
        if constexpr (std::endian::native == std::endian::little) {
            constexpr uint64_t kCommas = 0x2c2c2c2c2c2c2c2cULL;
            constexpr uint64_t kOnes = 0x0101010101010101ULL;
            constexpr uint64_t kHighBits = 0x8080808080808080ULL;
            for (; size - from >= 8; from += 8) {
                uint64_t word;
                std::memcpy(&word, text + from, 8);
                const uint64_t x = word ^ kCommas;
                if (const uint64_t found = (x - kOnes) & ~x & kHighBits)
                    return from + size_t(std::countr_zero(found)) / 8;
            }
        }
        while (from < size && text[from] != ',')
            ++from;
        return from;
    }

    std::string_view m_Text;
    size_t m_Pos = 0;
};

template <class R>
using FieldStore = void (*)(std::string_view field, R& record);

template <class>
struct MemberTraits;
template <class C, class T>
struct MemberTraits<T C::*> {
    using Class = C;
};
template <auto Member>
using ClassOf = typename MemberTraits<decltype(Member)>::Class;

template <auto Member>
void StoreDecimal(std::string_view field, ClassOf<Member>& record)
{
    record.*Member = ParseDecimal(field);
}

template <auto Member>
void StoreInteger(std::string_view field, ClassOf<Member>& record)
{
    record.*Member = ParseInteger(field);
}

// An integer kept in 16 bits: the value modulo 2^16.
template <auto Member>
void StoreInteger16(std::string_view field, ClassOf<Member>& record)
{
    record.*Member = uint16_t(ParseInteger(field));
}

template <auto Member>
void StoreLetter(std::string_view field, ClassOf<Member>& record)
{
    record.*Member = char16_t(static_cast<unsigned char>(field.front()));
}

template <auto Member>
void StoreDegrees(std::string_view field, ClassOf<Member>& record)
{
    record.*Member = ToDegrees(ParseDecimal(field));
}

template <auto Member>
void StoreTime(std::string_view field, ClassOf<Member>& record)
{
    SplitTime(ParseDecimal(field), record.*Member);
}

// A field whose closing comma is required but whose value is not kept.
template <class R>
void SkipField(std::string_view, R&)
{ }

// Walks the address field and then one field per table entry. An empty
// field stores nothing. Returns 0, or the ordinal of the first missing comma.
template <class R, size_t N>
int32_t WalkFields(FieldCursor& cursor, R& record, const FieldStore<R> (&fields)[N])
{
    std::string_view field;
    if (!cursor.Next(field))
        return 1;
    for (size_t i = 0; i < N; ++i) {
        if (!cursor.Next(field))
            return int32_t(i) + 2;
        if (!field.empty())
            fields[i](field, record);
    }
    return 0;
}

// The frame every field-table parser shares: a sentence shorter than 10
// characters gives -1 and leaves the record alone; otherwise the record is
// cleared and the fields walked.
template <class R, size_t N>
int32_t ParseSentence(FieldCursor& cursor, R& record, const FieldStore<R> (&fields)[N])
{
    if (cursor.Text().size() < kMinSentenceLength)
        return -1;
    record = {};
    return WalkFields(cursor, record, fields);
}

template <class R, size_t N>
int32_t ParseSentence(std::string_view sentence, R& record, const FieldStore<R> (&fields)[N])
{
    FieldCursor cursor(sentence);
    return ParseSentence(cursor, record, fields);
}

}  // namespace orvane::detail
