#pragma once
// Files read and written as bytes, the same way on every platform.

#include <cstdint>
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

// The whole file, or its first 'maxBytes' bytes; nothing if it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const char* path, std::size_t maxBytes = SIZE_MAX);

// The last bytes of a file and where they begin in it.
struct FileTail {
    std::string bytes;
    std::uint64_t offset = 0;  // 0: the bytes are the whole file
};

// The file's last 'maxBytes' bytes, or all of it when it is no longer; nothing if it cannot be
// opened or read. The rest of the file is never read, however large it is.
std::optional<FileTail> ReadFileTail(const char* path, std::size_t maxBytes);

// Appends bytes to the file, creating it if missing.
bool AppendFileBytes(const char* path, std::string_view bytes);

// Writes the complete new file beside the old one and then replaces the old one in one step,
// so a save that fails part-way leaves the previous file whole and no temporary file behind.
bool ReplaceFileBytes(const char* path, std::string_view bytes);

// Replaces the file's bytes from 'offset' on with 'bytes' the same way: the new file is the
// old one's first 'offset' bytes, copied, and then 'bytes'.
bool ReplaceFileBytesFrom(const char* path, std::uint64_t offset, std::string_view bytes);

// Creates the file or cuts it to 0 bytes.
bool TruncateFile(const char* path);
