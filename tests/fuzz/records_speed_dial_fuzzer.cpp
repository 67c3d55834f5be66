// Reads arbitrary bytes as a speed-dial file into entries full of stale bytes. Every field must
// end up a terminated string of at most 80 characters without a line break, and writing the
// entries back must read back the same fields.
#include "SpeedDialEntry.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

struct Table {
    Table()
    {
        for (std::size_t k = 0; k < kSpeedDialCount; ++k) {
            std::memset(&entries[k], 'x', sizeof entries[k]);
            pointers[k] = &entries[k];
        }
    }
    std::array<SpeedDialEntry, kSpeedDialCount> entries;
    SpeedDialEntries pointers;
};

void CheckField(const char (&field)[SpeedDialEntry::kFieldSize])
{
    const std::string_view text(field, strnlen(field, sizeof field));
    if (text.size() >= sizeof field || text.find('\n') != std::string_view::npos ||
        text.find('\x1A') != std::string_view::npos)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Table first;
    ParseSpeedDials(std::string_view(reinterpret_cast<const char*>(data), size), first.pointers);
    for (const SpeedDialEntry& entry : first.entries) {
        CheckField(entry.m_szName);
        CheckField(entry.m_szNumber);
    }
    Table second;
    ParseSpeedDials(FormatSpeedDials(first.pointers), second.pointers);
    if (std::memcmp(first.entries.data(), second.entries.data(), sizeof first.entries) != 0)
        std::abort();
    return 0;
}
