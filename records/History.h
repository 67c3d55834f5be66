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

// Appends the number as one line, creating the file if missing.
bool AppendHistoryRecord(const char* path, const char* number);
