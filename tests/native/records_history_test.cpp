#include "FileBytes.h"
#include "History.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

using namespace vesmo_test;

using Numbers = std::vector<std::string>;

TEST(HistoryParse, ReadsLinesInTextMode)
{
    struct Case {
        const char* what;
        std::string bytes;
        Numbers numbers;
    };
    const Case cases[] = {
        {"lines in file order", "555\r\n123\r\n", {"555", "123"}},
        {"a last line without a break keeps its last character", "123\r\n456", {"123", "456"}},
        {"no data", "", {}},
        {"empty lines are empty numbers", "\r\n1\r\n\r\n", {"", "1", ""}},
        {"a lone LF ends a line", "12\n34\n", {"12", "34"}},
        {"a lone CR is an ordinary character", "1\r2\r\n3\r", {"1\r2", "3\r"}},
        {"only the CR right before the LF is part of the line end", "\r\r\n", {"\r"}},
        {"0x1A ends the data", "12\r\n3\x1A" "4\r\n", {"12", "3"}},
        {"0x1A right after a CR", "12\r\x1A\n", {"12\r"}},
        {"0x1A first", "\x1A" "12\r\n", {}},
        {"a NUL ends the line's text", "12\0" "34\r\n\0" "56\r\n78"s, {"12", "", "78"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ParseHistory(c.bytes), c.numbers);
    }
}

TEST(HistoryParse, LongLineIsOneNumberOfItsFirst255Characters)
{
    for (const std::size_t length : {254u, 255u, 256u, 300u}) {
        SCOPED_TRACE(length);
        const std::string line = Digits(length);
        const Numbers expected{line.substr(0, std::min<std::size_t>(length, 255)), "7"};
        EXPECT_EQ(ParseHistory(line + "\r\n7\r\n"), expected);
    }
}

TEST(HistoryFile, AppendsCrLfRecordsThatLoadBack)
{
    const TempDir dir;
    const std::string path = dir.File(kHistoryFileName);
    EXPECT_TRUE(LoadHistoryFile(path.c_str()).empty());

    ASSERT_TRUE(AppendHistoryRecord(path.c_str(), "555"));
    ASSERT_TRUE(AppendHistoryRecord(path.c_str(), "123"));
    EXPECT_EQ(ReadBytes(path), "555\r\n123\r\n");
    EXPECT_EQ(LoadHistoryFile(path.c_str()), (Numbers{"555", "123"}));

    const std::string longest = Digits(kMaxHistoryNumberLength);
    ASSERT_TRUE(AppendHistoryRecord(path.c_str(), longest.c_str()));
    EXPECT_EQ(LoadHistoryFile(path.c_str()), (Numbers{"555", "123", longest}));
}

TEST(HistoryFile, AppendAfterTruncateStartsTheFileAgain)
{
    const TempDir dir;
    const std::string path = dir.File(kHistoryFileName);
    ASSERT_TRUE(AppendHistoryRecord(path.c_str(), "555"));

    ASSERT_TRUE(TruncateFile(path.c_str()));
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_TRUE(LoadHistoryFile(path.c_str()).empty());

    ASSERT_TRUE(AppendHistoryRecord(path.c_str(), "42"));
    EXPECT_EQ(ReadBytes(path), "42\r\n");
}

TEST(HistoryFile, UnwritablePlaceFailsQuietly)
{
    const TempDir dir;
    const std::string path = dir.File("no-such-folder/SentNum.VMO");
    EXPECT_FALSE(AppendHistoryRecord(path.c_str(), "555"));
    EXPECT_FALSE(TruncateFile(path.c_str()));
    EXPECT_TRUE(LoadHistoryFile(path.c_str()).empty());
}

} // namespace

// A history file left by an editor or a crash: the new number becomes a line of its own,
// in front of a 0x1A mark where there is one, and every record the file held stays itself.
// A file that Vesmo wrote only grows by the new line.
TEST(HistoryFile, AppendKeepsEveryRecordOfADamagedFileAndAddsTheNumberAsItself)
{
    struct Case {
        const char* what;
        std::string before;
        std::string after;
        bool replacesFile;
    };
    const Case cases[] = {
        {"a file Vesmo wrote", "123\r\n", "123\r\n789\r\n", false},
        {"an empty file", "", "789\r\n", false},
        {"no line end after the last line", "123\r\n456", "123\r\n456\r\n789\r\n", false},
        {"lone line feeds", "12\n34\n", "12\n34\n789\r\n", false},
        {"a lone CR at the end stays part of its line", "3\r", "3\r\r\n789\r\n", false},
        {"a NUL in the last line", "12\0" "34"s, "12\0" "34\r\n789\r\n"s, false},
        {"a 0x1A mark at the end", "123\r\n\x1A", "123\r\n789\r\n\x1A", true},
        {"a mark right after a line without its end", "123\x1A", "123\r\n789\r\n\x1A", true},
        {"bytes after the mark stay after it", "12\r\n\x1Aold\r\n\x1A", "12\r\n789\r\n\x1Aold\r\n\x1A", true},
        {"a mark first", "\x1A" "12\r\n", "789\r\n\x1A" "12\r\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PlanHistoryAppend(c.before, "789").replacesFile, c.replacesFile);

        const TempDir dir;
        const std::string path = dir.File(kHistoryFileName);
        WriteBytes(path, c.before);
        ASSERT_TRUE(AppendHistoryRecord(path.c_str(), "789"));
        EXPECT_EQ(ReadBytes(path), c.after);
        Numbers expected = ParseHistory(c.before);
        expected.push_back("789");
        EXPECT_EQ(LoadHistoryFile(path.c_str()), expected);
        EXPECT_FALSE(std::filesystem::exists(path + ".new"));
    }
}
