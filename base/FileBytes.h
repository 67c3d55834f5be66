#pragma once
// Files read and written as bytes, the same way on every platform.

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// std::fopen, closed when the pointer goes.
FilePtr OpenFile(const char* path, const char* mode);

// The whole file, or nothing if it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const char* path);

// Appends bytes to the file, creating it if missing.
bool AppendFileBytes(const char* path, std::string_view bytes);

// Writes the complete new file beside the old one and then replaces the old one in one step,
// so a save that fails part-way leaves the previous file whole and no temporary file behind.
bool ReplaceFileBytes(const char* path, std::string_view bytes);

// Creates the file or cuts it to 0 bytes.
bool TruncateFile(const char* path);
