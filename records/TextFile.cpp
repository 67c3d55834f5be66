#include "TextFile.h"

#include "FileBytes.h"

#include <algorithm>

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

std::optional<std::string> ReadFileLines(const char* path, std::size_t lines, std::size_t maxBytes)
{
    std::optional<std::string> bytes = ReadFileBytes(path, maxBytes);
    if (!bytes)
        return bytes;
    for (std::size_t i = 0; i < bytes->size(); ++i) {
        const char byte = (*bytes)[i];
        if (byte == '\x1A' || (byte == '\n' && --lines == 0)) {
            bytes->resize(i + 1);
            break;
        }
    }
    return bytes;
}
