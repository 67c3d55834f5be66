#include "TextFile.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenFile(const char* path, const char* mode)
{
    return FilePtr(std::fopen(path, mode));
}

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

TextLineReader::TextLineReader(std::string_view data)
    : m_rest(data.substr(0, data.find('\x1A')))
{
}

std::optional<std::string_view> TextLineReader::NextLine()
{
    if (m_rest.empty())
        return std::nullopt;
    const std::size_t lineFeed = m_rest.find('\n');
    std::string_view line = m_rest.substr(0, lineFeed);
    if (lineFeed == std::string_view::npos) {
        m_rest = {};
    } else {
        m_rest.remove_prefix(lineFeed + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
    }
    return line.substr(0, line.find('\0'));
}

void AppendLine(std::string& out, std::string_view text)
{
    out.append(text);
    out.append("\r\n");
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

std::optional<std::string> ReadFileLines(const char* path, std::size_t lines, std::size_t maxBytes)
{
    const FilePtr file = OpenFile(path, "rb");
    if (!file)
        return std::nullopt;
    std::string bytes;
    char chunk[4096];
    while (bytes.size() < maxBytes) {
        const std::size_t count = std::fread(chunk, 1, std::min(sizeof chunk, maxBytes - bytes.size()), file.get());
        if (count == 0)
            break;
        for (std::size_t i = 0; i < count; ++i) {
            if (chunk[i] == '\x1A' || (chunk[i] == '\n' && --lines == 0)) {
                bytes.append(chunk, i + 1);
                return bytes;
            }
        }
        bytes.append(chunk, count);
    }
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
