#include "FileBytes.h"

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

std::optional<std::string> ReadFileBytes(const char* path)
{
    const FilePtr file = OpenFile(path, "rb");
    if (!file)
        return std::nullopt;
    std::string bytes;
    char chunk[4096];
    std::size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        bytes.append(chunk, count);
    if (std::ferror(file.get()))
        return std::nullopt;
    return bytes;
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
    const std::string tempPath = std::string(path) + ".new";
    FilePtr file = OpenFile(tempPath.c_str(), "wb");
    if (!file)
        return false;
    const bool written = WriteBytes(file.get(), bytes) && FlushToDisk(file.get());
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
