#include "History.h"

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

bool AppendHistoryRecord(const char* path, const char* number)
{
    std::string record;
    AppendLine(record, number);
    return AppendFileBytes(path, record);
}
