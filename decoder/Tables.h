// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The vocabulary of the decoder: the talkers it knows and the sentence types
// it lists. Everywhere else a talker is a row of TalkerTable and a sentence
// type is a row of MessageTable.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

struct TalkerEntry {
    std::string_view id;     // the two letters after "$"
    std::string_view name;   // the constellation name shown to the user
    std::string_view alias;  // two more letters after "$" that mean the same talker, or empty
};

struct MessageEntry {
    std::string_view id;       // the three-letter sentence type
    std::string_view display;  // the entry of the Message list
};

inline constexpr int kTalkerCount = 8;
inline constexpr int kNoTalker = 8;  // no talker chosen
inline constexpr int kMessageCount = 18;

inline constexpr std::array<TalkerEntry, kTalkerCount> TalkerTable{{
    {"GP", "GPS", ""},
    {"GL", "GLONASS", ""},
    {"GA", "Galileo", ""},
    {"GB", "BeiDou", ""},
    {"BD", "BeiDou", ""},
    {"GI", "IRNSS", ""},
    // NMEA 4.11 names the QZSS talker GQ; receivers before it wrote QZ.
    {"QZ", "QZSS", "GQ"},
    {"GN", "IMES", ""},
}};

inline constexpr std::array<MessageEntry, kMessageCount> MessageTable{{
    {"DTM", "(X) DTM"},
    {"GBQ", "(X) GBQ"},
    {"GBS", "(X) GBS"},
    {"GGA", "GGA (Combined Fix Data)"},
    {"GLL", "GLL (Geographic Position)"},
    {"GLQ", "(X) GLQ"},
    {"GNQ", "(X) GNQ"},
    {"GNS", "(X) GNS"},
    {"GPQ", "(X) GPQ"},
    {"GRS", "(X) GRS"},
    {"GSA", "GSA (DOP & Active Satellites)"},
    {"GST", "(X) GST"},
    {"GSV", "GSV (Satellites in View)"},
    {"RMC", "RMC (Recommended Minimum Spec)"},
    {"TXT", "(X) TXT"},
    {"VLW", "(X) VLW"},
    {"VTG", "VTG (Course Over Ground & Speed)"},
    {"ZDA", "ZDA (Time and Date)"},
}};

// Message rows the program decodes.
inline constexpr int kGgaRow = 3;
inline constexpr int kGllRow = 4;
inline constexpr int kGsaRow = 10;
inline constexpr int kGsvRow = 12;
inline constexpr int kRmcRow = 13;
inline constexpr int kVtgRow = 16;
inline constexpr int kZdaRow = 17;

// Each row constant names the row of its type.
static_assert(MessageTable[kGgaRow].id == "GGA", "kGgaRow is not the GGA row");
static_assert(MessageTable[kGllRow].id == "GLL", "kGllRow is not the GLL row");
static_assert(MessageTable[kGsaRow].id == "GSA", "kGsaRow is not the GSA row");
static_assert(MessageTable[kGsvRow].id == "GSV", "kGsvRow is not the GSV row");
static_assert(MessageTable[kRmcRow].id == "RMC", "kRmcRow is not the RMC row");
static_assert(MessageTable[kVtgRow].id == "VTG", "kVtgRow is not the VTG row");
static_assert(MessageTable[kZdaRow].id == "ZDA", "kZdaRow is not the ZDA row");

// The row the Message list selects after it is filled.
inline constexpr int kDefaultMessageRow = kRmcRow;

// name + " (" + id + ")", such as "GPS (GP)"; empty for a row outside the table.
std::string TalkerLabel(int talkerRow);

// The first row, in table order, whose id occurs anywhere in the label
// (case-sensitive); kNoTalker when none does.
int TalkerRowFromLabel(std::string_view label);

// The row whose id (for a talker, also its alias) equals the text exactly,
// or -1.
int TalkerRowFromId(std::string_view id);
int MessageRowFromId(std::string_view id);

}  // namespace orvane
