// The sent-number history and the speed-dial store, driven through the real window: what
// the list and the buttons show, the bytes of SentNum.VMO and sfile.vmo, the questions
// before clearing, and what happens when the files cannot be written.
#include "History.h"
#include "SoundCapture.h"
#include "VesmoDriver.h"
#include "VesmoTexts.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace vesmo_test;

// The eight captions, the names given first and the rest empty.
std::vector<std::string> Captions(std::initializer_list<std::string> names)
{
    std::vector<std::string> captions(names);
    captions.resize(8);
    return captions;
}

// The eight captions the entries give: their names, and empty for the entries not given.
std::vector<std::string> NamesOf(const std::vector<SpeedDialEntry>& entries)
{
    std::vector<std::string> names;
    for (const SpeedDialEntry& entry : entries)
        names.push_back(entry.name);
    names.resize(8);
    return names;
}

std::vector<std::string> CaptionsOf(const VesmoProcess& vesmo)
{
    std::vector<std::string> captions;
    for (const SpeedDialRow& row : kSpeedDialRows)
        captions.push_back(vesmo.Text(row.program));
    return captions;
}

// Types the number into the emptied field and presses "&Sänd".
void Send(const VesmoProcess& vesmo, const std::string& number)
{
    vesmo.SetText(IDC_NUMBER, "");
    vesmo.Type(vesmo.Item(IDC_NUMBER), number);
    vesmo.Click(IDC_SEND);
}

// Chooses a menu command that asks first; returns its question, once shown.
HWND Ask(const VesmoProcess& vesmo, UINT commandId, const char* caption)
{
    vesmo.PostMenu(commandId);
    return vesmo.WaitForWindow(caption);
}

void Answer(const VesmoProcess& vesmo, HWND box, int button)
{
    vesmo.PostClick(box, button);
    WaitUntilClosed(box);
    vesmo.Settle();
}

// A command that should open no window: sent with a timeout, so that a message box
// the program might show does not hang the test (VesmoProcess::OtherWindows finds it instead).
void CommandWithoutWindow(const VesmoProcess& vesmo, UINT commandId)
{
    ::SendMessageTimeoutA(vesmo.Main(), WM_COMMAND, MAKEWPARAM(commandId, 0), 0, SMTO_NORMAL, 5000, nullptr);
}

// The list box sends its double-click notification to the window, so it is sent here too
// and has been handled when this returns.
void DoubleClickHistory(const VesmoProcess& vesmo)
{
    ::SendMessageA(vesmo.Main(), WM_COMMAND, MAKEWPARAM(IDC_HISTORY, LBN_DBLCLK),
                   reinterpret_cast<LPARAM>(vesmo.Item(IDC_HISTORY)));
}

// Another program holding a file open for reading and letting others only read it: the
// program can still load the file but can neither append to it, cut it nor replace it.
// (Wine lets root write to files whatever their permissions or read-only attribute.)
class ReadOnlyHold {
public:
    explicit ReadOnlyHold(const std::string& path)
        : m_handle(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~ReadOnlyHold() { Release(); }
    ReadOnlyHold(const ReadOnlyHold&) = delete;
    ReadOnlyHold& operator=(const ReadOnlyHold&) = delete;

    bool Held() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Release()
    {
        if (Held())
            ::CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};

// ---- Sent-number history -----------------------------------------------------------------

TEST(SentNumberHistory, FirstRunRecordsEachNumberOnceSortedInTheListAndInSendingOrderInTheFile)
{
    TempDir dir;
    VesmoProcess vesmo(dir.Path());
    ASSERT_NE(vesmo.Main(), nullptr);
    EXPECT_TRUE(vesmo.HistoryLines().empty());
    EXPECT_EQ(CaptionsOf(vesmo), Captions({}));

    struct Step {
        const char* typed;
        std::vector<std::string> list;  // top to bottom
        const char* file;               // nullptr: no file yet
    };
    const Step steps[] = {
        {"", {}, nullptr},
        {"555", {"555"}, "555\r\n"},
        {"123", {"123", "555"}, "555\r\n123\r\n"},
        {"555", {"123", "555"}, "555\r\n123\r\n"},
        {"12A", {"123", "12A", "555"}, "555\r\n123\r\n12A\r\n"},
        {"12a", {"123", "12A", "555"}, "555\r\n123\r\n12A\r\n"},  // arrives in capitals
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string("sent \"") + step.typed + "\"");
        Send(vesmo, step.typed);
        EXPECT_EQ(vesmo.HistoryLines(), step.list);
        if (step.file)
            EXPECT_EQ(dir.Read(kHistoryFile), step.file);
        else
            EXPECT_FALSE(dir.Exists(kHistoryFile));
    }

    vesmo.PostClick(IDCANCEL);
    ASSERT_TRUE(vesmo.WaitForExit());
    EXPECT_EQ(dir.Read(kHistoryFile), "555\r\n123\r\n12A\r\n") << "nothing is written at exit";
    EXPECT_EQ(dir.Read(kSpeedDialFile), EmptyLines(16));
}

// Each file loads into the list; sending one of its numbers again (typed, so in capitals)
// then adds nothing, since the loaded line is already listed.
TEST(SentNumberHistory, APreparedFileLoadsAndItsNumbersAreNotAddedAgain)
{
    const std::string longLine = Digits(300);
    const std::string cut = longLine.substr(0, 255);
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::string> list;
        std::string sentAgain;
    };
    const Case cases[] = {
        {"no line break after the last line", "123\r\n456", {"123", "456"}, "456"},
        {"a line of 300 characters", longLine + "\r\n9\r\n", {cut, "9"}, cut},
        {"lone line feeds and an empty line", "7\n\n8\n", {"", "7", "8"}, "8"},
        {"a number in small letters", "12a\r\n555\r\n", {"12a", "555"}, "12a"},
        {"a Swedish letter in small", "\xE5\r\n", {"\xE5"}, "\xE5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PreparedDir dir(kHistoryFile, c.file);
        VesmoProcess vesmo(dir.Path());
        ASSERT_NE(vesmo.Main(), nullptr);
        EXPECT_EQ(vesmo.HistoryLines(), c.list);

        Send(vesmo, c.sentAgain);
        EXPECT_EQ(vesmo.HistoryLines(), c.list);
        EXPECT_EQ(dir.Read(kHistoryFile), c.file);
    }
}

TEST(SentNumberHistory, DoubleClickResendsTheSelectedLineAtTheSlidersLength)
{
    const std::string file = "555\r\n159#\r\n";
    const PreparedDir dir(kHistoryFile, file);
    VesmoProcess vesmo(dir.Path());
    ASSERT_NE(vesmo.Main(), nullptr);
    SoundCapture capture;
    HWND list = vesmo.Item(IDC_HISTORY);
    vesmo.SetText(IDC_NUMBER, "42");

    // Without a selected line nothing happens, not even the slider's new length; the sound
    // heard below is the second double-click's alone.
    capture.Mark();
    ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    vesmo.MoveSlider(150);
    DoubleClickHistory(vesmo);
    EXPECT_EQ(vesmo.Text(IDC_MS), "48");
    EXPECT_EQ(vesmo.Text(IDC_DIALLING), "");

    const LRESULT line = ::SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>("159#"));
    ASSERT_NE(line, LB_ERR);
    ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    vesmo.MoveSlider(100);
    DoubleClickHistory(vesmo);
    EXPECT_EQ(vesmo.Text(IDC_MS), "100");
    EXPECT_EQ(vesmo.Text(IDC_DIALLING), "159#");
    const HeardSound heard = capture.WaitAndDecode(SequenceMs("159#", 100));
    EXPECT_EQ(heard.keys, "159#");
    EXPECT_EQ(heard.toneMs.size(), 4u);
    for (int ms : heard.toneMs)
        EXPECT_NEAR(ms, 100, kToneToleranceMs);

    EXPECT_EQ(vesmo.HistoryLines(), (std::vector<std::string>{"159#", "555"}));
    EXPECT_EQ(dir.Read(kHistoryFile), file);
    EXPECT_EQ(vesmo.Text(IDC_NUMBER), "42");
}

// A history file that an editor or an earlier crash left behind: the number sent becomes a
// line of its own (in front of the 0x1A mark where the file has one), and the next start
// lists every number as itself.
TEST(SentNumberHistory, ASendAfterADamagedFileKeepsEveryNumberForTheNextStart)
{
    struct Case {
        const char* name;
        std::string file;
        std::string afterSend;
    };
    const Case cases[] = {
        {"no line end after the last line", "123\r\n456", "123\r\n456\r\n789\r\n"},
        {"an end-of-file mark", "123\r\n456\r\n\x1A", "123\r\n456\r\n789\r\n\x1A"},
    };
    const std::vector<std::string> everyNumber = {"123", "456", "789"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PreparedDir dir(kHistoryFile, c.file);
        {
            VesmoProcess vesmo(dir.Path());
            ASSERT_NE(vesmo.Main(), nullptr);
            Send(vesmo, "789");
            EXPECT_EQ(vesmo.HistoryLines(), everyNumber);
            vesmo.PostClick(IDCANCEL);
            ASSERT_TRUE(vesmo.WaitForExit());
        }
        EXPECT_EQ(dir.Read(kHistoryFile), c.afterSend);
        EXPECT_FALSE(dir.Exists("SentNum.VMO.new"));
        VesmoProcess restarted(dir.Path());
        ASSERT_NE(restarted.Main(), nullptr);
        EXPECT_EQ(restarted.HistoryLines(), everyNumber);
    }
}

// A file with more numbers than the list holds, in an order unlike the list's: the newest
// are listed. A number sent to the full list is listed and recorded, and the one listed first
// leaves the list but not the file (an empty line too, and of two that differ only in case the
// older); sent again, it is listed and recorded again.
TEST(SentNumberHistory, AFullListLetsItsOldestNumberGoForANewOne)
{
    const std::size_t inFile = kMaxHistoryLines + 500;
    const std::size_t oldestListed = inFile - kMaxHistoryLines;
    std::vector<std::string> numbers;  // in the order sent
    for (std::size_t i = 0; i < inFile; ++i)
        numbers.push_back(std::to_string(1000000 + i * 7919 % 2000));
    numbers[oldestListed] = "";
    numbers[oldestListed + 1] = "77b";
    numbers.back() = "77B";
    std::string file;
    for (const std::string& number : numbers)
        file += Lines({number});
    const PreparedDir dir(kHistoryFile, file);
    // The list's sorting ignores letter case: what it lists is compared, in a sorted copy.
    const auto expected = [&numbers] {
        std::vector<std::string> newest(numbers.end() - kMaxHistoryLines, numbers.end());
        std::ranges::sort(newest);
        return newest;
    };
    const auto listed = [](const VesmoProcess& v) {
        std::vector<std::string> lines = v.HistoryLines();
        std::ranges::sort(lines);
        return lines;
    };

    VesmoProcess vesmo(dir.Path());
    ASSERT_NE(vesmo.Main(), nullptr);
    EXPECT_EQ(listed(vesmo), expected());

    const std::string leftTheList = numbers[oldestListed + 2];
    const std::string steps[] = {"5", "6", "12A", leftTheList};
    for (const std::string& sent : steps) {
        SCOPED_TRACE("sent " + sent);
        Send(vesmo, sent);
        numbers.push_back(sent);
        file += Lines({sent});
        EXPECT_EQ(listed(vesmo), expected());
        EXPECT_EQ(dir.Read(kHistoryFile), file);
    }
    Send(vesmo, "77B");
    EXPECT_EQ(listed(vesmo), expected()) << "a listed number is not added again";
    EXPECT_EQ(dir.Read(kHistoryFile), file);

    vesmo.PostClick(IDCANCEL);
    ASSERT_TRUE(vesmo.WaitForExit());
    VesmoProcess restarted(dir.Path());
    ASSERT_NE(restarted.Main(), nullptr);
    EXPECT_EQ(listed(restarted), expected());
}

// ---- Speed-dial store --------------------------------------------------------------------

// Each file gives the button captions; "&Spara kortnummer" then writes the entries back as
// the 16 lines of the file's own format.
TEST(SpeedDialStore, APreparedFileGivesTheCaptionsAndSavingWritesSixteenLines)
{
    const std::string eight = Lines({"Mamma", "123", "Pappa", "0701234567", "Jobbet", "*#9D", "Taxi", "0820000",
                                     "Skolan", "555", "Doktorn", "112", "Mormor", "4", "Farfar", "#"});
    const std::string longName = std::string(79, 'N') + "xyz";
    // What each file loads as: the names become the captions and the save writes the entries.
    struct Case {
        const char* name;
        std::string file;
        std::vector<SpeedDialEntry> loaded;
    };
    const Case cases[] = {
        {"eight entries", eight,
         {{"Mamma", "123"}, {"Pappa", "0701234567"}, {"Jobbet", "*#9D"}, {"Taxi", "0820000"}, {"Skolan", "555"},
          {"Doktorn", "112"}, {"Mormor", "4"}, {"Farfar", "#"}}},
        {"one entry", Lines({"Mamma", "123"}) + EmptyLines(14), {{"Mamma", "123"}}},
        {"three lines by hand, the last without a break", "Mamma\n123\nPappa", {{"Mamma", "123"}, {"Pappa", ""}}},
        {"a name longer than 80 characters", Lines({longName, "1"}), {{longName.substr(0, 80), "1"}}},
        {"an empty file, as a clear leaves it", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PreparedDir dir(kSpeedDialFile, c.file);
        VesmoProcess vesmo(dir.Path());
        ASSERT_NE(vesmo.Main(), nullptr);
        EXPECT_EQ(CaptionsOf(vesmo), NamesOf(c.loaded));

        vesmo.Menu(ID_FILE_SAVE_SPEEDDIALS);
        EXPECT_EQ(dir.Read(kSpeedDialFile), SpeedDialFile(c.loaded));
        EXPECT_FALSE(dir.Exists("sfile.vmo.new"));
    }
}

// Vesmo killed at random moments of its save at exit: the file on disk is changed behind the
// program's back, so the save writes other entries than the file holds, and after every kill
// the file holds one or the other whole.
TEST(SpeedDialStore, KilledDuringTheSaveAtExitTheFileIsTheOldOrTheNewWhole)
{
    const std::string inMemory = Lines({"Mamma", "123", "Pappa", "0701234567"}) + EmptyLines(12);
    const std::string onDisk = Lines({std::string(80, 'x'), std::string(80, '9')}) + EmptyLines(14);
    TempDir dir;
    const auto startAndChangeTheFile = [&] {
        dir.Write(kSpeedDialFile, inMemory);
        auto vesmo = std::make_unique<VesmoProcess>(dir.Path());
        dir.Write(kSpeedDialFile, onDisk);
        return vesmo;
    };
    // How long the program takes to close when left alone.
    ULONGLONG exitMs = 0;
    {
        const auto vesmo = startAndChangeTheFile();
        ASSERT_NE(vesmo->Main(), nullptr);
        const ULONGLONG start = ::GetTickCount64();
        vesmo->PostClick(IDCANCEL);
        ASSERT_TRUE(vesmo->WaitForExit());
        exitMs = ::GetTickCount64() - start;
        ASSERT_EQ(dir.Read(kSpeedDialFile), inMemory);
    }

    constexpr int kKills = 50;
    int oldKept = 0, newComplete = 0, other = 0;
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> moment(0, static_cast<int>(exitMs * 12 / 10) + 1);
    for (int round = 0; round < kKills; ++round) {
        const auto vesmo = startAndChangeTheFile();
        ASSERT_NE(vesmo->Main(), nullptr);
        vesmo->PostClick(IDCANCEL);
        ::Sleep(static_cast<DWORD>(moment(random)));
        vesmo->Kill();
        const std::string held = dir.Read(kSpeedDialFile);
        (held == onDisk ? oldKept : held == inMemory ? newComplete : other)++;
    }
    std::printf("vesmo.exe killed during its save at exit (%llu ms when left alone): %d kills, %d old kept, "
                "%d new complete, %d anything else\n",
                exitMs, kKills, oldKept, newComplete, other);
    EXPECT_EQ(other, 0);
}

// ---- Clearing ----------------------------------------------------------------------------

// Each clearing command asks first; only Yes empties what the window shows and the file, and
// the file's next write starts from there.
TEST(Clearing, AsksFirstAndEmptiesWhatTheWindowShowsAndTheFileOnlyOnYes)
{
    struct Case {
        const char* name;
        UINT command;
        const char* caption;
        const char* question;
        const char* fileName;
        std::string file;
        std::vector<std::string> (*shown)(const VesmoProcess&);
        std::vector<std::string> shownBefore;
        std::vector<std::string> shownCleared;
        void (*writeAgain)(const VesmoProcess&);
        std::string written;  // the file after writeAgain
    };
    const Case cases[] = {
        {"sent-number history", ID_TOOLS_CLEAR_HISTORY, kClearHistoryCaption, kClearHistoryText, kHistoryFile,
         "555\r\n123\r\n", [](const VesmoProcess& v) { return v.HistoryLines(); }, {"123", "555"}, {},
         [](const VesmoProcess& v) {
             Send(v, "555");
             EXPECT_EQ(v.HistoryLines(), (std::vector<std::string>{"555"}));
         },
         "555\r\n"},
        // Not in the program's own format, so that any rewrite would show.
        {"speed-dial entries", ID_EDIT_CLEAR_SPEEDDIALS, kClearSpeedDialsCaption, kClearSpeedDialsText,
         kSpeedDialFile, "Mamma\n123\nPappa", CaptionsOf, Captions({"Mamma", "Pappa"}), Captions({}),
         [](const VesmoProcess& v) {
             v.PostClick(IDCANCEL);
             ASSERT_TRUE(v.WaitForExit());
         },
         EmptyLines(16)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PreparedDir dir(c.fileName, c.file);
        VesmoProcess vesmo(dir.Path());
        ASSERT_NE(vesmo.Main(), nullptr);

        HWND box = Ask(vesmo, c.command, c.caption);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(VesmoProcess::MessageBoxText(box), c.question);
        EXPECT_EQ(::GetWindow(box, GW_OWNER), vesmo.Main());
        Answer(vesmo, box, IDNO);
        EXPECT_EQ(c.shown(vesmo), c.shownBefore);
        EXPECT_EQ(dir.Read(c.fileName), c.file);

        box = Ask(vesmo, c.command, c.caption);
        ASSERT_NE(box, nullptr);
        Answer(vesmo, box, IDYES);
        EXPECT_EQ(c.shown(vesmo), c.shownCleared);
        EXPECT_TRUE(dir.Exists(c.fileName));
        EXPECT_EQ(dir.Read(c.fileName), "");

        c.writeAgain(vesmo);
        EXPECT_EQ(dir.Read(c.fileName), c.written);
    }
}

// ---- Files that cannot be written ----------------------------------------------------------

// Every write fails: nothing is reported, the list and the entries change in memory all the
// same, and both files stay as they were.
TEST(RecordFilesUnwritable, ChangesStayInMemoryAndTheOldFilesStayWhole)
{
    TempDir dir;
    const std::string history = "555\r\n";
    const std::string speedDials = Lines({"Mamma", "123"}) + EmptyLines(14);
    dir.Write(kHistoryFile, history);
    dir.Write(kSpeedDialFile, speedDials);
    ReadOnlyHold historyHold(dir.File(kHistoryFile));
    ReadOnlyHold speedDialHold(dir.File(kSpeedDialFile));
    ASSERT_TRUE(historyHold.Held() && speedDialHold.Held());

    VesmoProcess vesmo(dir.Path());
    ASSERT_NE(vesmo.Main(), nullptr);
    ASSERT_EQ(vesmo.HistoryLines(), (std::vector<std::string>{"555"}));
    ASSERT_EQ(CaptionsOf(vesmo), Captions({"Mamma"}));

    vesmo.SetText(IDC_NUMBER, "777");
    CommandWithoutWindow(vesmo, IDC_SEND);
    EXPECT_EQ(vesmo.HistoryLines(), (std::vector<std::string>{"555", "777"}));
    CommandWithoutWindow(vesmo, ID_FILE_SAVE_SPEEDDIALS);
    EXPECT_TRUE(vesmo.OtherWindows().empty());

    HWND box = Ask(vesmo, ID_EDIT_CLEAR_SPEEDDIALS, kClearSpeedDialsCaption);
    ASSERT_NE(box, nullptr);
    Answer(vesmo, box, IDYES);
    EXPECT_EQ(CaptionsOf(vesmo), Captions({}));
    box = Ask(vesmo, ID_TOOLS_CLEAR_HISTORY, kClearHistoryCaption);
    ASSERT_NE(box, nullptr);
    Answer(vesmo, box, IDYES);
    EXPECT_TRUE(vesmo.HistoryLines().empty());
    EXPECT_TRUE(vesmo.OtherWindows().empty());

    EXPECT_EQ(dir.Read(kHistoryFile), history);
    EXPECT_EQ(dir.Read(kSpeedDialFile), speedDials);
    EXPECT_FALSE(dir.Exists("sfile.vmo.new"));

    // Once the file can be written again, a save shows the emptied entries.
    speedDialHold.Release();
    vesmo.Menu(ID_FILE_SAVE_SPEEDDIALS);
    EXPECT_EQ(dir.Read(kSpeedDialFile), EmptyLines(16));
}

}  // namespace
