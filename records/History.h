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

// The numbers in the file's bytes, in file order; an empty line is an empty number.
std::vector<std::string> ParseHistory(std::string_view data);

// The numbers in the file, in file order; none if the file is missing or unreadable.
std::vector<std::string> LoadHistoryFile(const char* path);

// How the file changes when a number is recorded.
struct HistoryAppend {
    bool replacesFile;  // false: 'bytes' go at the end of the file; true: they are the new file
    std::string bytes;
};

// The change that records 'number' as a line of its own after every record 'existing' holds.
// A file that Vesmo wrote only grows by the line. Data without a line end at its end gets
// one first; data that ends at a 0x1A mark gets the line in front of the mark, the only place
// where it is read, with every other byte left where it was.
HistoryAppend PlanHistoryAppend(std::string_view existing, std::string_view number);

// Records the number in the file, creating the file if missing. A change that is not a pure
// append replaces the file in one step, so an interruption leaves the old file whole.
bool AppendHistoryRecord(const char* path, const char* number);
