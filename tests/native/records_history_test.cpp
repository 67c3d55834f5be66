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

// ---- A long history: only the file's end is read ----------------------------------------

namespace {

// Line i of a history: i and a hyphen, so every line is told apart, then digits up to
// 'length' characters.
std::string NumberLine(std::size_t i, std::size_t length)
{
    std::string line = std::to_string(i) + "-";
    return line + Digits(length - std::min(length, line.size()));
}

// 'count' lines of the same length, the first numbered 'first', with the file's line ends.
std::string FileLines(std::size_t first, std::size_t count, std::size_t length)
{
    std::string bytes;
    for (std::size_t i = first; i < first + count; ++i)
        AppendLine(bytes, NumberLine(i, length));
    return bytes;
}

// Too long to print when a comparison fails.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected)
{
    if (actual == expected)
        return ::testing::AssertionSuccess();
    std::size_t first = 0;
    while (first < actual.size() && first < expected.size() && actual[first] == expected[first])
        ++first;
    return ::testing::AssertionFailure() << actual.size() << " bytes instead of " << expected.size()
                                         << ", the first difference at byte " << first;
}

// A thousand long numbers are too long to print when they differ: their count and the first
// difference are printed.
::testing::AssertionResult SameNumbers(const Numbers& actual, const Numbers& expected)
{
    if (actual == expected)
        return ::testing::AssertionSuccess();
    const auto [a, e] = std::ranges::mismatch(actual, expected);
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << actual.size() << " numbers instead of " << expected.size() << ", the first difference at number "
            << (a - actual.begin());
    if (a != actual.end())
        failure << ": \"" << a->substr(0, 20) << "...\" (" << a->size() << " characters)";
    if (e != expected.end())
        failure << " instead of \"" << e->substr(0, 20) << "...\" (" << e->size() << " characters)";
    return failure;
}

} // namespace

// The newest lines, as many as the list holds, after older lines that the read of the file's
// end may reach into: it may begin on the line end before the newest lines, on that line end's
// CR, inside an older line, or on an older line's first byte, and it lists only whole lines.
TEST(HistoryTail, ListsExactlyTheNewestLinesWhereverTheReadBegins)
{
    constexpr std::size_t kOlderLength = 8;  // "399999-0", with its CR LF 10 bytes
    struct Case {
        const char* what;
        std::size_t olderLines;
        std::size_t newestLength;  // the newest lines but the last
        std::size_t lastShorterBy;
    };
    const Case cases[] = {
        {"no older lines: the whole file is read", 0, kMaxHistoryNumberLength, 0},
        {"a whole file with more lines than are listed", 2000, 10, 0},
        {"the read begins on the LF before the newest lines", 2000, kMaxHistoryNumberLength, 0},
        {"the read begins on the CR before the newest lines", 2000, kMaxHistoryNumberLength, 1},
        {"the read begins inside an older line", 2000, kMaxHistoryNumberLength, 3},
        {"the read begins on an older line's first byte", 2000, kMaxHistoryNumberLength, kOlderLength + 1},
        {"a file of megabytes", 400000, kMaxHistoryNumberLength, 0},
        {"a file of megabytes with short lines", 400000, 10, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = FileLines(0, c.olderLines, kOlderLength);
        Numbers newest;
        for (std::size_t i = 0; i < kMaxHistoryLines; ++i) {
            const bool last = i + 1 == kMaxHistoryLines;
            newest.push_back(NumberLine(c.olderLines + i, c.newestLength - (last ? c.lastShorterBy : 0)));
            AppendLine(bytes, newest.back());
        }
        const TempDir dir;
        const std::string path = dir.File(kHistoryFileName);
        WriteBytes(path, bytes);
        EXPECT_TRUE(SameNumbers(LoadHistoryFile(path.c_str()), newest));
    }
}

// A newest line longer than a number takes more of the bytes read, and the oldest of the
// lines that would be listed no longer fits whole: it is left out, not listed cut.
TEST(HistoryTail, ALongLineAmongTheNewestLeavesOutTheLineThatNoLongerFits)
{
    std::string bytes = FileLines(0, 100, 10);
    bytes += FileLines(100, kMaxHistoryLines - 1, kMaxHistoryNumberLength);
    const std::string longLine = NumberLine(100 + kMaxHistoryLines - 1, 300);
    AppendLine(bytes, longLine);

    Numbers expected;
    for (std::size_t i = 101; i < 100 + kMaxHistoryLines - 1; ++i)
        expected.push_back(NumberLine(i, kMaxHistoryNumberLength));
    expected.push_back(longLine.substr(0, kMaxHistoryNumberLength));
    const TempDir dir;
    const std::string path = dir.File(kHistoryFileName);
    WriteBytes(path, bytes);
    EXPECT_TRUE(SameNumbers(LoadHistoryFile(path.c_str()), expected));
}

// A file far longer than what is read: recording a number changes only its end, keeps every
// byte it held, and the next start lists the number as the newest, below what it listed.
TEST(HistoryTail, AppendToALongFileKeepsEveryByteAndListsTheNumberNext)
{
    const std::string older = FileLines(0, 200000, 10);
    ASSERT_GT(older.size(), 4 * kHistoryTailBytes);
    struct Case {
        const char* what;
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        {"a file Vesmo wrote", older + "123\r\n", older + "123\r\n789\r\n"},
        {"no line end after the last line", older + "123", older + "123\r\n789\r\n"},
        {"a 0x1A mark near the end", older + "123\r\n\x1A" "hidden\r\n", older + "123\r\n789\r\n\x1A" "hidden\r\n"},
        {"a 0x1A mark before the part read", "\x1A" + older + "123\r\n", "\x1A" + older + "123\r\n789\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TempDir dir;
        const std::string path = dir.File(kHistoryFileName);
        WriteBytes(path, c.before);
        Numbers expected = LoadHistoryFile(path.c_str());
        ASSERT_EQ(expected.size(), kMaxHistoryLines);
        EXPECT_EQ(expected.back(), "123");

        ASSERT_TRUE(AppendHistoryRecord(path.c_str(), "789"));
        EXPECT_TRUE(SameBytes(ReadBytes(path), c.after));
        EXPECT_FALSE(std::filesystem::exists(path + ".new"));
        expected.erase(expected.begin());
        expected.push_back("789");
        EXPECT_TRUE(SameNumbers(LoadHistoryFile(path.c_str()), expected));
    }
}

// A file larger than any memory (5 GB, sparse: NUL bytes, no line end): a start and a send
// read only its end, and the number recorded after it is listed.
TEST(HistoryTail, AFileOfGigabytesIsReadOnlyAtItsEnd)
{
    constexpr std::uintmax_t kSize = 5ull << 30;
    const TempDir dir;
    const std::string path = dir.File(kHistoryFileName);
    WriteBytes(path, "");
    std::filesystem::resize_file(path, kSize);
    EXPECT_TRUE(LoadHistoryFile(path.c_str()).empty());

    ASSERT_TRUE(AppendHistoryRecord(path.c_str(), "789"));
    EXPECT_EQ(std::filesystem::file_size(path), kSize + 7);
    const auto end = ReadFileTail(path.c_str(), 8);
    ASSERT_TRUE(end.has_value());
    EXPECT_EQ(end->offset, kSize - 1);
    EXPECT_EQ(end->bytes, "\0\r\n789\r\n"s);
    EXPECT_EQ(LoadHistoryFile(path.c_str()), (Numbers{"789"}));
}
