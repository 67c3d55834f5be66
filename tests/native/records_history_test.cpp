#include "History.h"
#include "records_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

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
        const std::string line = DigitRun(length);
        const Numbers expected{line.substr(0, std::min<std::size_t>(length, 255)), "7"};
        EXPECT_EQ(ParseHistory(line + "\r\n7\r\n"), expected);
    }
}

TEST(HistoryFile, AppendsCrLfRecordsThatLoadBack)
{
    const ScratchDir dir;
    const std::string path = dir.File(kHistoryFileName);
    EXPECT_TRUE(LoadHistoryFile(path.c_str()).empty());

    ASSERT_TRUE(AppendHistoryRecord(path.c_str(), "555"));
    ASSERT_TRUE(AppendHistoryRecord(path.c_str(), "123"));
    EXPECT_EQ(ReadBytes(path), "555\r\n123\r\n");
    EXPECT_EQ(LoadHistoryFile(path.c_str()), (Numbers{"555", "123"}));

    const std::string longest = DigitRun(kMaxHistoryNumberLength);
    ASSERT_TRUE(AppendHistoryRecord(path.c_str(), longest.c_str()));
    EXPECT_EQ(LoadHistoryFile(path.c_str()), (Numbers{"555", "123", longest}));
}

TEST(HistoryFile, AppendAfterTruncateStartsTheFileAgain)
{
    const ScratchDir dir;
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
    const ScratchDir dir;
    const std::string path = dir.File("no-such-folder/SentNum.VMO");
    EXPECT_FALSE(AppendHistoryRecord(path.c_str(), "555"));
    EXPECT_FALSE(TruncateFile(path.c_str()));
    EXPECT_TRUE(LoadHistoryFile(path.c_str()).empty());
}

} // namespace
