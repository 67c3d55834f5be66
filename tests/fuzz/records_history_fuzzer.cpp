// Reads arbitrary bytes as a history file. Every number must fit a history line and hold no
// line break or NUL, and writing the numbers back must read back the same numbers.
#include "History.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto numbers = ParseHistory(std::string_view(reinterpret_cast<const char*>(data), size));
    std::string rewritten;
    for (const std::string& number : numbers) {
        if (number.size() > kMaxHistoryNumberLength ||
            number.find_first_of(std::string_view("\n\0\x1A", 3)) != std::string::npos)
            std::abort();
        AppendLine(rewritten, number);
    }
    if (ParseHistory(rewritten) != numbers)
        std::abort();
    return 0;
}
