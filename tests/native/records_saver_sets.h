#pragma once
// The two sets of speed-dial entries that the interrupted-save tests alternate between: of
// different lengths line by line, so that a file mixing them or cut short shows.

#include "History.h"
#include "SpeedDialEntry.h"

#include <array>
#include <cstring>
#include <string>

struct SpeedDialSet {
    std::array<SpeedDialEntry, kSpeedDialCount> entries{};
    SpeedDialEntries table{};

    SpeedDialSet()
    {
        for (std::size_t k = 0; k < kSpeedDialCount; ++k)
            table[k] = &entries[k];
    }
    SpeedDialSet(const SpeedDialSet&) = delete;
    SpeedDialSet& operator=(const SpeedDialSet&) = delete;

    void Set(std::size_t k, const std::string& name, const std::string& number)
    {
        std::strncpy(entries[k].m_szName, name.c_str(), SpeedDialEntry::kFieldSize - 1);
        std::strncpy(entries[k].m_szNumber, number.c_str(), SpeedDialEntry::kFieldSize - 1);
    }
};

// Set 'A': short names and numbers; set 'B': long ones.
inline void FillSpeedDialSet(char name, SpeedDialSet& set)
{
    for (std::size_t k = 0; k < kSpeedDialCount; ++k) {
        if (name == 'A')
            set.Set(k, "Namn " + std::to_string(k), std::to_string(100 + k));
        else
            set.Set(k, std::string(40 + 5 * k, static_cast<char>('a' + k)), "0701234567" + std::to_string(k) + "#");
    }
}

// The bytes of sfile.vmo holding set 'name'.
inline std::string SpeedDialSetFile(char name)
{
    SpeedDialSet set;
    FillSpeedDialSet(name, set);
    return FormatSpeedDials(set.table);
}
