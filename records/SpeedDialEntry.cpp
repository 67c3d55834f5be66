#include "SpeedDialEntry.h"

#include "FileBytes.h"

#include <algorithm>
#include <optional>

namespace {

using Field = char[SpeedDialEntry::kFieldSize];

void StoreField(Field& field, std::optional<std::string_view> line)
{
    const std::string_view text = line.value_or("").substr(0, sizeof field - 1);
    std::fill(std::begin(field), std::end(field), '\0');
    text.copy(field, text.size());
}

// The field's text, at most 80 characters even if it lacks its terminator.
std::string_view FieldText(const Field& field)
{
    const char* end = std::find(std::begin(field), std::end(field) - 1, '\0');
    return std::string_view(field, static_cast<std::size_t>(end - field));
}

} // namespace

void ParseSpeedDials(std::string_view data, const SpeedDialEntries& entries)
{
    TextLineReader reader(data);
    for (SpeedDialEntry* entry : entries) {
        StoreField(entry->m_szName, reader.NextLine());
        StoreField(entry->m_szNumber, reader.NextLine());
    }
}

std::string FormatSpeedDials(const SpeedDialEntries& entries)
{
    std::string bytes;
    for (const SpeedDialEntry* entry : entries) {
        AppendLine(bytes, FieldText(entry->m_szName));
        AppendLine(bytes, FieldText(entry->m_szNumber));
    }
    return bytes;
}

void LoadSpeedDialFile(const char* path, const SpeedDialEntries& entries)
{
    if (const auto bytes = ReadFileLines(path, 2 * kSpeedDialCount, kSpeedDialReadLimit))
        ParseSpeedDials(*bytes, entries);
}

bool SaveSpeedDialFile(const char* path, const SpeedDialEntries& entries)
{
    return ReplaceFileBytes(path, FormatSpeedDials(entries));
}
