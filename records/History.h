#pragma once
// The sent-number history file: one number per line, in the order first sent.

#include "TextFile.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char kHistoryFileName[] = "SentNum.VMO";

// The longest number a history line holds; a longer line keeps its first characters.
inline constexpr std::size_t kMaxHistoryNumberLength = 255;

// The list shows the newest numbers only, so that a start and a Send take as long with a file
// grown over decades (or a stray file under that name) as with a short one; the file keeps
// every number. A thousand numbers are years of new numbers, and a list the user can still
// scroll through; under Wine a thousand lines listed add some 25 ms to a start, while the
// sorted list's insertions make two hundred thousand take seconds.
inline constexpr std::size_t kMaxHistoryLines = 1000;

// All the history ever reads of the file: its last bytes, room for kMaxHistoryLines lines of
// the longest number with their CR LF, and the line end before them.
inline constexpr std::size_t kHistoryTailBytes = kMaxHistoryLines * (kMaxHistoryNumberLength + 2) + 1;

// The numbers in the file's bytes, in file order; an empty line is an empty number.
std::vector<std::string> ParseHistory(std::string_view data);

// The numbers a list shows from 'tail', the file's last bytes (its whole bytes when
// 'wholeFile'): the last kMaxHistoryLines of them, in file order. A tail that begins inside the
// file begins where the line that it cuts into ends, and its data ends at its first 0x1A mark
// after that; a mark further back in the file is not seen.
std::vector<std::string> ListedHistory(std::string_view tail, bool wholeFile = true);

// The numbers listed from the file, read from its last kHistoryTailBytes only; none if the
// file is missing or unreadable.
std::vector<std::string> LoadHistoryFile(const char* path);

// How the file changes when a number is recorded.
struct HistoryAppend {
    bool replacesFile;  // false: 'bytes' go at the end of the file; true: they replace the tail
    std::string bytes;
};

// The change that records 'number' as a line of its own after every record that 'tail' (as in
// ListedHistory) lists. A file that Vesmo wrote only grows by the line. Data without a line
// end at its end gets one first; data that ends at a 0x1A mark gets the line in front of the
// mark, the only place where it is read, with every other byte left where it was.
HistoryAppend PlanHistoryAppend(std::string_view tail, std::string_view number, bool wholeFile = true);

// Records the number in the file, creating the file if missing; only the file's last
// kHistoryTailBytes are read. A change that is not a pure append replaces the file in one
// step, so an interruption leaves the old file whole.
bool AppendHistoryRecord(const char* path, const char* number);
