#pragma once
// The speed-dial entries and their file: 16 lines, the name and the number of entries 0 to 7
// in turn.

#include "TextFile.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

struct SpeedDialEntry {
    static constexpr std::size_t kFieldSize = 81; // 80 characters and the terminator

    char m_szName[kFieldSize] = {};
    char m_szNumber[kFieldSize] = {};
};

inline constexpr std::size_t kSpeedDialCount = 8;
using SpeedDialEntries = std::array<SpeedDialEntry*, kSpeedDialCount>;

inline constexpr char kSpeedDialFileName[] = "sfile.vmo";
inline constexpr std::size_t kSpeedDialReadLimit = 64 * 1024;

// Fills the entries from the file's bytes. Lines the data lacks leave their fields empty; a
// line longer than its field keeps its first 80 characters.
void ParseSpeedDials(std::string_view data, const SpeedDialEntries& entries);

// The bytes of the file that holds the entries.
std::string FormatSpeedDials(const SpeedDialEntries& entries);

// Fills the entries from the file; a missing or unreadable file changes nothing. Only the
// sixteen lines are read, and at most kSpeedDialReadLimit bytes: a file that Vesmo wrote is
// at most 16 * 82 bytes, so a large stray file under the name costs no more than a small one.
void LoadSpeedDialFile(const char* path, const SpeedDialEntries& entries);

// Replaces the file with the entries in one step; on failure the previous file stays whole.
bool SaveSpeedDialFile(const char* path, const SpeedDialEntries& entries);
