// Reads arbitrary bytes as a history file. Every number must fit a history line and hold no
// line break or NUL, and writing the numbers back must read back the same numbers. Read only
// from a byte inside the file on, as a long file's end is read, the numbers listed are the
// file's last ones, none of them cut, wherever the first 0x1A mark is not before them.
#include "History.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const auto numbers = ParseHistory(file);
    std::string rewritten;
    for (const std::string& number : numbers) {
        if (number.size() > kMaxHistoryNumberLength ||
            number.find_first_of(std::string_view("\n\0\x1A", 3)) != std::string::npos)
            std::abort();
        AppendLine(rewritten, number);
    }
    if (ParseHistory(rewritten) != numbers)
        std::abort();

    if (size == 0)
        return 0;
    for (const std::size_t cut : {1 + data[0] % size, size / 2, size - 1}) {
        if (cut == 0)
            continue;
        const std::size_t lineFeed = file.find('\n', cut);
        const std::size_t linesStart = lineFeed == std::string_view::npos ? size : lineFeed + 1;
        if (file.find('\x1A') < linesStart)
            continue;
        const auto listed = ListedHistory(file.substr(cut), false);
        if (listed.size() > numbers.size() || listed.size() > kMaxHistoryLines ||
            !std::equal(listed.begin(), listed.end(), numbers.end() - static_cast<std::ptrdiff_t>(listed.size())))
            std::abort();
    }
    return 0;
}
