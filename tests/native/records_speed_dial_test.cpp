#include "SpeedDialEntry.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

using namespace vesmo_test;

// The sixteen fields in file order: name and number of entries 0 to 7.
using Fields = std::vector<std::string>;

std::string Repeat(const std::string& text, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += text;
    return out;
}

// Eight entries, held the way the main window holds them.
class SpeedDialTest : public ::testing::Test {
protected:
    SpeedDialTest()
    {
        std::transform(m_entries.begin(), m_entries.end(), m_table.begin(),
                       [](SpeedDialEntry& entry) { return &entry; });
    }

    void SetFields(const Fields& fields)
    {
        for (std::size_t k = 0; k < kSpeedDialCount; ++k) {
            SetField(m_entries[k].m_szName, k * 2 < fields.size() ? fields[k * 2] : "");
            SetField(m_entries[k].m_szNumber, k * 2 + 1 < fields.size() ? fields[k * 2 + 1] : "");
        }
    }

    Fields GetFields() const
    {
        Fields fields;
        for (const SpeedDialEntry& entry : m_entries) {
            fields.emplace_back(entry.m_szName);
            fields.emplace_back(entry.m_szNumber);
        }
        return fields;
    }

    std::array<SpeedDialEntry, kSpeedDialCount> m_entries;
    SpeedDialEntries m_table{};

private:
    static void SetField(char (&field)[SpeedDialEntry::kFieldSize], const std::string& text)
    {
        ASSERT_LT(text.size(), sizeof field);
        std::fill(std::begin(field), std::end(field), '\0');
        text.copy(field, text.size());
    }
};

// What the entries are expected to hold: the given fields, then empty ones up to sixteen.
Fields Padded(Fields fields)
{
    fields.resize(kSpeedDialCount * 2);
    return fields;
}

TEST_F(SpeedDialTest, FormatWritesSixteenCrLfLines)
{
    EXPECT_EQ(FormatSpeedDials(m_table), Repeat("\r\n", 16));

    SetFields({"Mamma", "123"});
    EXPECT_EQ(FormatSpeedDials(m_table), "Mamma\r\n123\r\n" + Repeat("\r\n", 14));

    // A field that lost its terminator is still written as at most 80 characters.
    std::fill(std::begin(m_entries[7].m_szNumber), std::end(m_entries[7].m_szNumber), '9');
    EXPECT_EQ(FormatSpeedDials(m_table),
              "Mamma\r\n123\r\n" + Repeat("\r\n", 13) + std::string(80, '9') + "\r\n");
}

TEST_F(SpeedDialTest, FullLengthFieldsRoundTripThroughTheFile)
{
    const TempDir dir;
    const std::string path = dir.File(kSpeedDialFileName);
    Fields fields;
    std::size_t total = 0;
    for (std::size_t i = 0; i < kSpeedDialCount * 2; ++i) {
        const std::size_t length = i % 3 == 0 ? 79 : i % 3 == 1 ? 80 : i;
        fields.push_back(std::string(1, static_cast<char>('A' + i)) + Digits(length - 1));
        total += length;
    }
    SetFields(fields);

    ASSERT_TRUE(SaveSpeedDialFile(path.c_str(), m_table));
    EXPECT_EQ(ReadBytes(path).size(), total + 32);

    SetFields({});
    LoadSpeedDialFile(path.c_str(), m_table);
    EXPECT_EQ(GetFields(), fields);
}

TEST_F(SpeedDialTest, ParseFillsEveryFieldFromWhatTheDataHas)
{
    struct Case {
        const char* what;
        std::string bytes;
        Fields fields;
    };
    const std::string line100 = Digits(100);
    const Case cases[] = {
        {"0-byte file", "", {}},
        {"fewer lines; the last without a break", "Mamma\r\n123\r\nPappa", {"Mamma", "123", "Pappa"}},
        {"a line longer than its field", line100 + "\r\n123\r\n", {line100.substr(0, 80), "123"}},
        {"a NUL ends the field", "Ma\0mma\r\n123\r\n"s, {"Ma", "123"}},
        {"lone LF and 0x1A", "Mamma\n123\x1A" "Pappa\r\n", {"Mamma", "123"}},
        {"lines after the sixteenth", Repeat("x\r\n", 17) + "y\r\n", Fields(16, "x")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetFields(Fields(16, "old"));
        ParseSpeedDials(c.bytes, m_table);
        EXPECT_EQ(GetFields(), Padded(c.fields));
    }
}

TEST_F(SpeedDialTest, MissingFileChangesNothing)
{
    const TempDir dir;
    SetFields({"Mamma", "123"});
    LoadSpeedDialFile(dir.File(kSpeedDialFileName).c_str(), m_table);
    EXPECT_EQ(GetFields(), Padded({"Mamma", "123"}));
}

// A stray large file under the name (a copy of something else) is read no further than its
// sixteen lines need, and never beyond the read limit.
TEST_F(SpeedDialTest, LoadReadsOnlyAsFarAsTheSixteenLinesNeed)
{
    const std::string sixteen = "Mamma\r\n123\r\n" + Repeat("x\n", 14);
    const std::string endless(3 * kSpeedDialReadLimit, 'a');
    Fields sixteenFields(16, "x");
    sixteenFields[0] = "Mamma";
    sixteenFields[1] = "123";
    struct Case {
        const char* what;
        std::string bytes;
        std::size_t read;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"sixteen lines and much more", sixteen + endless, sixteen.size(), sixteenFields},
        {"a mark before the sixteenth line", "Mamma\r\n\x1A" + endless, 8, {"Mamma"}},
        {"no line end at all", endless, kSpeedDialReadLimit, {std::string(80, 'a')}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TempDir dir;
        const std::string path = dir.File(kSpeedDialFileName);
        WriteBytes(path, c.bytes);
        const auto read = ReadFileLines(path.c_str(), 2 * kSpeedDialCount, kSpeedDialReadLimit);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->size(), c.read);
        SetFields(Fields(16, "old"));
        LoadSpeedDialFile(path.c_str(), m_table);
        EXPECT_EQ(GetFields(), Padded(c.fields));
    }
}

TEST_F(SpeedDialTest, SaveReplacesThePreviousFileAndLeavesNoTemporaryFile)
{
    const TempDir dir;
    const std::string path = dir.File(kSpeedDialFileName);
    WriteBytes(path, Repeat("a long previous line\r\n", 16));

    ASSERT_TRUE(SaveSpeedDialFile(path.c_str(), m_table));
    EXPECT_EQ(ReadBytes(path), Repeat("\r\n", 16));
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
}

TEST_F(SpeedDialTest, FailedSaveLeavesThePreviousFileWhole)
{
    struct Case {
        const char* what;
        std::function<void(const std::string& tempPath)> spoil;
        bool tempPathRemains;
    };
    const Case cases[] = {
        {"the temporary file cannot be created",
         [](const std::string& tempPath) { std::filesystem::create_directory(tempPath); }, true},
#ifdef __linux__
        {"writing fails part-way",
         [](const std::string& tempPath) { std::filesystem::create_symlink("/dev/full", tempPath); },
         false},
#endif
    };
    const std::string previous = "Mamma\r\n123\r\n" + Repeat("\r\n", 14);
    SetFields({"Pappa", "456"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TempDir dir;
        const std::string path = dir.File(kSpeedDialFileName);
        WriteBytes(path, previous);
        c.spoil(path + ".new");

        EXPECT_FALSE(SaveSpeedDialFile(path.c_str(), m_table));
        EXPECT_EQ(ReadBytes(path), previous);
        EXPECT_EQ(std::filesystem::exists(std::filesystem::symlink_status(path + ".new")),
                  c.tempPathRemains);
    }
}

} // namespace
