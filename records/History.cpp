#include "History.h"

#include "FileBytes.h"

#include <algorithm>
#include <utility>

namespace {

// Where the whole lines of a tail begin: past the first line feed of one that begins inside
// the file, since the line before it may be cut; at its end when it holds no line feed.
std::size_t DataStart(std::string_view tail, bool wholeFile)
{
    if (wholeFile)
        return 0;
    const std::size_t lineFeed = tail.find('\n');
    return lineFeed == std::string_view::npos ? tail.size() : lineFeed + 1;
}

FileTail ReadHistoryTail(const char* path)
{
    return ReadFileTail(path, kHistoryTailBytes).value_or(FileTail{});
}

} // namespace

std::vector<std::string> ParseHistory(std::string_view data)
{
    std::vector<std::string> numbers;
    TextLineReader reader(data);
    while (const auto line = reader.NextLine())
        numbers.emplace_back(line->substr(0, kMaxHistoryNumberLength));
    return numbers;
}

std::vector<std::string> ListedHistory(std::string_view tail, bool wholeFile)
{
    std::vector<std::string> numbers = ParseHistory(tail.substr(DataStart(tail, wholeFile)));
    if (numbers.size() > kMaxHistoryLines)
        numbers.erase(numbers.begin(), numbers.end() - kMaxHistoryLines);
    return numbers;
}

std::vector<std::string> LoadHistoryFile(const char* path)
{
    const FileTail tail = ReadHistoryTail(path);
    return ListedHistory(tail.bytes, tail.offset == 0);
}

HistoryAppend PlanHistoryAppend(std::string_view tail, std::string_view number, bool wholeFile)
{
    const std::size_t dataEnd = std::min(tail.find('\x1A', DataStart(tail, wholeFile)), tail.size());
    std::string record;
    if (dataEnd > 0 && tail[dataEnd - 1] != '\n')
        record = "\r\n";
    AppendLine(record, number);
    if (dataEnd == tail.size())
        return {false, std::move(record)};
    std::string replaced(tail.substr(0, dataEnd));
    replaced += record;
    replaced += tail.substr(dataEnd);
    return {true, std::move(replaced)};
}

bool AppendHistoryRecord(const char* path, const char* number)
{
    const FileTail tail = ReadHistoryTail(path);
    const HistoryAppend change = PlanHistoryAppend(tail.bytes, number, tail.offset == 0);
    return change.replacesFile ? ReplaceFileBytesFrom(path, tail.offset, change.bytes)
                               : AppendFileBytes(path, change.bytes);
}
