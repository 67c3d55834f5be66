#pragma once
// The dialer's data files are small text files in the C runtime's text mode, done the same way
// on every platform: every line ends in CR LF on disk. On reading, a CR LF pair or a lone LF
// ends a line, a lone CR is an ordinary character and a byte 0x1A ends the data.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Splits the bytes of a data file into its lines.
class TextLineReader {
public:
    explicit TextLineReader(std::string_view data);

    // The next line without its line end, or nothing once the data has ended. A last line
    // without a line end is a line all the same. A NUL byte ends the line's text: the rest of
    // that line is skipped.
    std::optional<std::string_view> NextLine();

private:
    std::string_view m_rest;
};

// Appends text and a CR LF line end.
void AppendLine(std::string& out, std::string_view text);

// The file's first lines: its bytes up to and including the 'lines'-th line feed, or up to
// the end of its data (0x1A), but never more than 'maxBytes'. Nothing if it cannot be opened
// or read. Nothing past 'maxBytes' is read.
std::optional<std::string> ReadFileLines(const char* path, std::size_t lines, std::size_t maxBytes);
