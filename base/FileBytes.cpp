#include "FileBytes.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

bool WriteBytes(std::FILE* file, std::string_view bytes)
{
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

// Closes the file; false if the bytes still buffered could not be written.
bool Close(FilePtr file)
{
    return std::fclose(file.release()) == 0;
}

bool FlushToDisk(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

// Offsets beyond 2 GB, on every platform.
bool SeekTo(std::FILE* file, std::int64_t offset, int origin)
{
#ifdef _WIN32
    return _fseeki64(file, offset, origin) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

std::int64_t Position(std::FILE* file)
{
#ifdef _WIN32
    return _ftelli64(file);
#else
    return ftello(file);
#endif
}

// The bytes from the file's position on, at most 'maxBytes' of them.
std::optional<std::string> ReadRest(std::FILE* file, std::size_t maxBytes = SIZE_MAX)
{
    std::string bytes;
    char chunk[4096];
    std::size_t count;
    while (bytes.size() < maxBytes &&
           (count = std::fread(chunk, 1, std::min(sizeof chunk, maxBytes - bytes.size()), file)) > 0)
        bytes.append(chunk, count);
    if (std::ferror(file))
        return std::nullopt;
    return bytes;
}

// Copies the first 'count' bytes of the file at 'path' to 'to'; false if it has fewer.
bool CopyFirstBytes(const char* path, std::uint64_t count, std::FILE* to)
{
    if (count == 0)
        return true;
    const FilePtr from = OpenFile(path, "rb");
    if (!from)
        return false;
    char chunk[65536];
    while (count > 0) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(count, sizeof chunk));
        if (std::fread(chunk, 1, wanted, from.get()) != wanted || !WriteBytes(to, std::string_view(chunk, wanted)))
            return false;
        count -= wanted;
    }
    return true;
}

bool MoveOver(const char* from, const char* to)
{
#ifdef _WIN32
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from, to) == 0;
#endif
}

} // namespace

FilePtr OpenFile(const char* path, const char* mode)
{
    return FilePtr(std::fopen(path, mode));
}

std::optional<std::string> ReadFileBytes(const char* path, std::size_t maxBytes)
{
    const FilePtr file = OpenFile(path, "rb");
    return file ? ReadRest(file.get(), maxBytes) : std::nullopt;
}

std::optional<FileTail> ReadFileTail(const char* path, std::size_t maxBytes)
{
    const FilePtr file = OpenFile(path, "rb");
    if (!file || !SeekTo(file.get(), 0, SEEK_END))
        return std::nullopt;
    const std::int64_t end = Position(file.get());
    if (end < 0)
        return std::nullopt;
    const auto size = static_cast<std::uint64_t>(end);
    FileTail tail;
    tail.offset = size > maxBytes ? size - maxBytes : 0;
    if (!SeekTo(file.get(), static_cast<std::int64_t>(tail.offset), SEEK_SET))
        return std::nullopt;
    auto bytes = ReadRest(file.get());
    if (!bytes)
        return std::nullopt;
    tail.bytes = std::move(*bytes);
    return tail;
}

bool AppendFileBytes(const char* path, std::string_view bytes)
{
    FilePtr file = OpenFile(path, "ab");
    if (!file)
        return false;
    const bool written = WriteBytes(file.get(), bytes);
    return Close(std::move(file)) && written;
}

bool ReplaceFileBytes(const char* path, std::string_view bytes)
{
    return ReplaceFileBytesFrom(path, 0, bytes);
}

bool ReplaceFileBytesFrom(const char* path, std::uint64_t offset, std::string_view bytes)
{
    const std::string tempPath = std::string(path) + ".new";
    FilePtr file = OpenFile(tempPath.c_str(), "wb");
    if (!file)
        return false;
    const bool written =
        CopyFirstBytes(path, offset, file.get()) && WriteBytes(file.get(), bytes) && FlushToDisk(file.get());
    if (Close(std::move(file)) && written && MoveOver(tempPath.c_str(), path))
        return true;
    std::remove(tempPath.c_str());
    return false;
}

bool TruncateFile(const char* path)
{
    FilePtr file = OpenFile(path, "wb");
    return file && Close(std::move(file));
}
