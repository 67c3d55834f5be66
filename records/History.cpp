#include "History.h"

#include "FileBytes.h"

#include <algorithm>
#include <utility>

std::vector<std::string> ParseHistory(std::string_view data)
{
    std::vector<std::string> numbers;
    TextLineReader reader(data);
    while (const auto line = reader.NextLine())
        numbers.emplace_back(line->substr(0, kMaxHistoryNumberLength));
    return numbers;
}

std::vector<std::string> LoadHistoryFile(const char* path)
{
    const auto bytes = ReadFileBytes(path);
    return bytes ? ParseHistory(*bytes) : std::vector<std::string>{};
}

HistoryAppend PlanHistoryAppend(std::string_view existing, std::string_view number)
{
    const std::size_t dataEnd = std::min(existing.find('\x1A'), existing.size());
    std::string record;
    if (dataEnd > 0 && existing[dataEnd - 1] != '\n')
        record = "\r\n";
    AppendLine(record, number);
    if (dataEnd == existing.size())
        return {false, std::move(record)};
    std::string file(existing.substr(0, dataEnd));
    file += record;
    file += existing.substr(dataEnd);
    return {true, std::move(file)};
}

bool AppendHistoryRecord(const char* path, const char* number)
{
    const HistoryAppend change = PlanHistoryAppend(ReadFileBytes(path).value_or(""), number);
    return change.replacesFile ? ReplaceFileBytes(path, change.bytes) : AppendFileBytes(path, change.bytes);
}
