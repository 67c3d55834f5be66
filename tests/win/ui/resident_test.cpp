// Vesmo through a Windows day as a program that stays running: the session ending at
// log-off or shut-down, a restarted shell that has lost the notification icon, and the
// program started again while it runs.
#include "RunningCopy.h"
#include "Taskbar.h"
#include "VesmoDriver.h"
#include "VesmoTexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace vesmo_test;

// What sfile.vmo holds when the program starts; the entry each test programs into the
// empty second row, in memory only; and the file once that entry has been saved.
const std::vector<SpeedDialEntry> kSaved = {{"Mamma", "123"}};
const SpeedDialEntry kProgrammed = {"Test B", "0701234567"};
const std::vector<SpeedDialEntry> kSavedAndProgrammed = {{"Mamma", "123"}, kProgrammed};

// Programs the second row through its dialog, as the user does: the entry changes in
// memory and its caption shows the name.
void ProgramSecondRow(const VesmoProcess& vesmo)
{
    vesmo.PostClick(kSpeedDialRows[1].program);
    const HWND dialog = vesmo.WaitForWindow(kProgrammingCaption);
    ASSERT_NE(dialog, nullptr);
    vesmo.Type(dialog, IDC_SPEEDDIAL_NAME, kProgrammed.name);
    vesmo.Type(dialog, IDC_SPEEDDIAL_NUMBER, kProgrammed.number);
    vesmo.PostClick(dialog, IDOK);
    ASSERT_TRUE(WaitUntilClosed(dialog));
    ASSERT_EQ(vesmo.Text(kSpeedDialRows[1].program), kProgrammed.name);
}

bool ShownInTheForeground(HWND window)
{
    return ::IsWindowVisible(window) && ::GetForegroundWindow() == window;
}

// ---- The session ends ------------------------------------------------------------------

// Windows asks every top-level window with WM_QUERYENDSESSION and tells it the outcome with
// WM_ENDSESSION. When the session ends, Windows ends the process without destroying a
// window. An installer or an update that must replace files in use asks through the Restart
// Manager with the same messages, lParam ENDSESSION_CLOSEAPP, and waits for the program to
// close itself.
TEST(SessionEnd, SavesTheSpeedDialsAndRemovesTheIconOnlyWhenTheSessionEnds)
{
    struct Case {
        const char* what;
        BOOL ends;
        LPARAM reason;
        std::vector<SpeedDialEntry> fileAfterwards;
        bool iconAfterwards;
        bool runsOn;
    };
    const Case cases[] = {
        {"the session ends", TRUE, 0, kSavedAndProgrammed, false, true},
        {"the end was cancelled", FALSE, 0, kSaved, true, true},
        {"an installer closes Vesmo", TRUE, ENDSESSION_CLOSEAPP, kSavedAndProgrammed, false, false},
        {"an installer's close was cancelled", FALSE, ENDSESSION_CLOSEAPP, kSaved, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SeededDir dir(kSaved);
        VesmoProcess vesmo(dir.Path());
        ASSERT_NE(vesmo.Main(), nullptr);
        ASSERT_NO_FATAL_FAILURE(ProgramSecondRow(vesmo));
        ASSERT_TRUE(Taskbar::HasIcon(vesmo.Main(), 0));

        EXPECT_NE(::SendMessageA(vesmo.Main(), WM_QUERYENDSESSION, 0, c.reason), 0) << "the program holds the session up";
        ::SendMessageA(vesmo.Main(), WM_ENDSESSION, c.ends, c.reason);
        EXPECT_EQ(Taskbar::HasIcon(vesmo.Main(), 0), c.iconAfterwards);
        if (c.runsOn)
            EXPECT_TRUE(vesmo.Running());
        else
            EXPECT_TRUE(vesmo.WaitForExit()) << "the program did not close";

        vesmo.Kill();
        EXPECT_EQ(dir.Read(kSpeedDialFile), SpeedDialFile(c.fileAfterwards));
        EXPECT_FALSE(dir.Exists("sfile.vmo.new"));
    }
}

// The run is finished once: a window that goes after the session's end (as it does when
// the end was an installer's) saves nothing over what was saved then, and a restarted shell
// does not get the icon back from it.
TEST(SessionEnd, TheRunIsFinishedOnceWhenTheWindowGoesAfterwards)
{
    SeededDir dir(kSaved);
    VesmoProcess vesmo(dir.Path());
    ASSERT_NE(vesmo.Main(), nullptr);
    ASSERT_NO_FATAL_FAILURE(ProgramSecondRow(vesmo));
    ::SendMessageA(vesmo.Main(), WM_ENDSESSION, TRUE, 0);
    ASSERT_EQ(dir.Read(kSpeedDialFile), SpeedDialFile(kSavedAndProgrammed));

    const std::string writtenSince = SpeedDialFile({{"Sedan", "999"}});
    dir.Write(kSpeedDialFile, writtenSince);
    ::SendMessageTimeoutA(HWND_BROADCAST, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 5000,
                          nullptr);
    EXPECT_FALSE(Taskbar::HasIcon(vesmo.Main(), 0)) << "the icon came back after the session's end";
    ::PostMessageA(vesmo.Main(), WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(vesmo.WaitForExit());
    EXPECT_EQ(dir.Read(kSpeedDialFile), writtenSince) << "the speed dials were saved a second time";
}

// ---- The icon lost ---------------------------------------------------------------------

// The icon taken away from outside, as a shell that restarted has lost it.
class LostIcon : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(vesmo.Main(), nullptr) << "the main window did not appear";
        ASSERT_TRUE(taskbar.Usable()) << "no taskbar to look at: is Wine's virtual desktop running?";
    }

    void LoseIcon() const
    {
        NOTIFYICONDATAA icon{};
        icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
        icon.hWnd = vesmo.Main();
        icon.uID = 0;
        ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &icon));
        ASSERT_FALSE(Taskbar::HasIcon(vesmo.Main(), 0));
        ASSERT_TRUE(WaitUntil([&] { return !taskbar.IconWithTip(kTrayTip); }));
    }

    // The icon is back with its tip, and a right-button press on it in the notification
    // area shows the hidden window in the foreground.
    void ExpectTheIconBringsTheWindowBack() const
    {
        EXPECT_TRUE(Taskbar::HasIcon(vesmo.Main(), 0));
        std::optional<TrayIcon> icon;
        ASSERT_TRUE(WaitUntil([&] { return (icon = taskbar.IconWithTip(kTrayTip)).has_value(); }))
            << "no icon in the notification area shows the tip";
        ASSERT_FALSE(::IsWindowVisible(vesmo.Main()));
        Taskbar::Press(*icon, WM_RBUTTONDOWN);
        vesmo.Settle();
        EXPECT_TRUE(WaitUntil([&] { return ShownInTheForeground(vesmo.Main()); }));
    }

    SeededDir dir{kSaved};
    VesmoProcess vesmo{dir.Path()};
    Taskbar taskbar;
};

// A restarted shell says so to every top-level window with the registered message
// "TaskbarCreated".
TEST_F(LostIcon, TaskbarCreatedAddsItAgainWhileTheWindowIsHidden)
{
    vesmo.Click(IDC_HIDE);
    ASSERT_FALSE(::IsWindowVisible(vesmo.Main()));
    ASSERT_NO_FATAL_FAILURE(LoseIcon());

    const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    ASSERT_NE(taskbarCreated, 0u);
    ::SendMessageTimeoutA(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    ExpectTheIconBringsTheWindowBack();
}

// "&Dölj" never hides the window where no icon can bring it back: it adds the icon first.
TEST_F(LostIcon, DoljAddsItAgainBeforeHidingTheWindow)
{
    ASSERT_NO_FATAL_FAILURE(LoseIcon());
    vesmo.Click(IDC_HIDE);
    ExpectTheIconBringsTheWindowBack();
}

// ---- A second start --------------------------------------------------------------------

// Ends 'vesmo' as the user does, with "A&vsluta", unless it has ended already.
void Close(const VesmoProcess& vesmo)
{
    if (!vesmo.Running())
        return;
    const HWND main = vesmo.Main() ? vesmo.Main() : vesmo.WaitForWindow(kMainCaption);
    ASSERT_NE(main, nullptr);
    ::PostMessageA(main, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(vesmo.WaitForExit());
}

// What the running copy answers a later start (CRunningCopy), asked as a later start asks.
LRESULT AskToShow(HWND main)
{
    const CRunningCopy unclaimed;
    DWORD_PTR reply = 0;
    ::SendMessageTimeoutA(main, unclaimed.ShowRequestMessage(), 0, 0, SMTO_ABORTIFHUNG, 5000, &reply);
    return static_cast<LRESULT>(reply);
}

// Vesmo told to close while its programming dialog is open: the main window has begun to
// close, and the copy ends only when that dialog is closed, keeping what the user entered
// there. A start meanwhile waits, however long that takes (here longer than anyone waits
// for a window to appear), and runs once the copy has ended, with the speed dials it saved.
TEST(SecondStart, WhileTheRunningCopyIsClosingWaitsAndRunsWhenItHasEnded)
{
    struct Case {
        const char* what;
        void (*close)(HWND main);
        std::vector<SpeedDialEntry> fileWhileClosing;
    };
    const Case cases[] = {
        {"an installer closes it (the Restart Manager)",
         [](HWND main) {
             ::SendMessageA(main, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP);
             ::SendMessageA(main, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
         },
         kSavedAndProgrammed},
        {"it is asked to close its window (taskkill without /F)",
         [](HWND main) { ::SendMessageA(main, WM_CLOSE, 0, 0); }, kSaved},
    };
    const SpeedDialEntry kEnteredWhileClosing = {"Test C", "0709876543"};
    const std::vector<SpeedDialEntry> kAllThree = {{"Mamma", "123"}, kProgrammed, kEnteredWhileClosing};
    constexpr int kHeldClosingMs = 12000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SeededDir dir(kSaved);
        const VesmoProcess closing(dir.Path());
        ASSERT_NE(closing.Main(), nullptr);
        ASSERT_NO_FATAL_FAILURE(ProgramSecondRow(closing));
        EXPECT_EQ(AskToShow(closing.Main()), CRunningCopy::kShownReply);
        closing.PostClick(kSpeedDialRows[2].program);
        const HWND dialog = closing.WaitForWindow(kProgrammingCaption);
        ASSERT_NE(dialog, nullptr);

        c.close(closing.Main());
        EXPECT_TRUE(WaitUntil([&] { return AskToShow(closing.Main()) == CRunningCopy::kClosingReply; }))
            << "the closing copy does not answer so";
        EXPECT_EQ(dir.Read(kSpeedDialFile), SpeedDialFile(c.fileWhileClosing));

        const VesmoProcess next(dir.Path(), false);
        EXPECT_FALSE(next.WaitForExit(kHeldClosingMs)) << "the start ended while the running copy was closing";
        EXPECT_EQ(next.WaitForWindow(kMainCaption, 0), nullptr) << "the start ran beside the closing copy";
        ASSERT_TRUE(closing.Running());

        closing.Type(dialog, IDC_SPEEDDIAL_NAME, kEnteredWhileClosing.name);
        closing.Type(dialog, IDC_SPEEDDIAL_NUMBER, kEnteredWhileClosing.number);
        closing.PostClick(dialog, IDOK);
        EXPECT_TRUE(closing.WaitForExit()) << "the copy told to close did not end";
        EXPECT_EQ(dir.Read(kSpeedDialFile), SpeedDialFile(kAllThree)) << "what was entered while closing was lost";
        const HWND nextMain = next.WaitForWindow(kMainCaption, 20000);
        ASSERT_NE(nextMain, nullptr) << "the start did not run once the closing copy had ended";
        EXPECT_EQ(VesmoProcess::ItemText(nextMain, kSpeedDialRows[2].program), kEnteredWhileClosing.name);
        Close(next);
        EXPECT_EQ(dir.Read(kSpeedDialFile), SpeedDialFile(kAllThree));
    }
}

// The ways of writing a folder's path.
std::string AsItIs(const std::string& path)
{
    return path;
}

std::string InCapitals(const std::string& path)
{
    std::string capitals = path;
    std::transform(capitals.begin(), capitals.end(), capitals.begin(), [](unsigned char c) { return std::toupper(c); });
    return capitals;
}

std::string WithShortNames(const std::string& path)
{
    char shortPath[MAX_PATH] = {};
    const DWORD length = ::GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return length > 0 && length < MAX_PATH ? shortPath : "";
}

// Vesmo hidden with "&Dölj", a row programmed and not saved, then started again from the
// same folder however its path is written: the running copy comes to the foreground, the
// new start ends by itself, and whichever is closed last, the file holds the programmed row.
TEST(SecondStart, InTheSameFolderShowsTheRunningCopyAndEnds)
{
    struct Case {
        const char* what;
        std::string (*spelling)(const std::string&);
        bool secondClosedFirst;
    };
    const Case cases[] = {
        {"the same path, the second closed first", AsItIs, true},
        {"the path in capitals, the first closed first", InCapitals, false},
        {"the path with 8.3 names, the first closed first", WithShortNames, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SeededDir dir(kSaved);
        VesmoProcess first(dir.Path());
        ASSERT_NE(first.Main(), nullptr);
        ASSERT_NO_FATAL_FAILURE(ProgramSecondRow(first));
        first.Click(IDC_HIDE);
        ASSERT_FALSE(::IsWindowVisible(first.Main()));

        const std::string folder = c.spelling(dir.Path());
        ASSERT_FALSE(folder.empty());
        if (c.spelling != AsItIs) {
            ASSERT_NE(folder, dir.Path()) << "not written another way";
        }
        VesmoProcess second(folder, false);
        EXPECT_TRUE(second.WaitForExit()) << "a second copy runs";
        EXPECT_TRUE(WaitUntil([&] { return ShownInTheForeground(first.Main()); }))
            << "the running copy was not shown";
        EXPECT_TRUE(first.Running());

        const VesmoProcess* const order[2] = {c.secondClosedFirst ? &second : &first,
                                              c.secondClosedFirst ? &first : &second};
        for (const VesmoProcess* vesmo : order)
            Close(*vesmo);
        EXPECT_EQ(dir.Read(kSpeedDialFile), SpeedDialFile(kSavedAndProgrammed));
    }
}

// The portable copy and the installed one keep their numbers in different folders, and
// run side by side.
TEST(SecondStart, InAnotherFolderRunsBesideTheRunningCopy)
{
    SeededDir firstDir(kSaved);
    VesmoProcess first(firstDir.Path());
    ASSERT_NE(first.Main(), nullptr);
    first.Click(IDC_HIDE);

    TempDir otherDir;
    VesmoProcess other(otherDir.Path());
    ASSERT_NE(other.Main(), nullptr) << "the start in another folder did not run";
    EXPECT_TRUE(first.Running());
    EXPECT_FALSE(::IsWindowVisible(first.Main())) << "the start in another folder showed the first copy";

    ASSERT_NO_FATAL_FAILURE(ProgramSecondRow(other));
    Close(other);
    Close(first);
    EXPECT_EQ(otherDir.Read(kSpeedDialFile), SpeedDialFile({{}, kProgrammed}));
    EXPECT_EQ(firstDir.Read(kSpeedDialFile), SpeedDialFile(kSaved));
}

// Two starts in one folder at the same moment: one runs, and the other shows it and ends.
TEST(SecondStart, TwoAtOnceInTheSameFolderLeaveOneRunningCopy)
{
    SeededDir dir(kSaved);
    const VesmoProcess one(dir.Path(), false);
    const VesmoProcess other(dir.Path(), false);
    ASSERT_TRUE(WaitUntil([&] { return one.Running() != other.Running(); }, 20000))
        << "not one copy left: one " << one.State() << "; the other " << other.State();
    const VesmoProcess& running = one.Running() ? one : other;
    EXPECT_NE(running.WaitForWindow(kMainCaption), nullptr);
}

// A start while the running copy is closing runs once that copy has gone.
TEST(SecondStart, WhileTheRunningCopyClosesRunsOnceItHasGone)
{
    SeededDir dir(kSaved);
    const VesmoProcess closing(dir.Path());
    ASSERT_NE(closing.Main(), nullptr);
    closing.PostClick(IDCANCEL);
    const VesmoProcess next(dir.Path());
    EXPECT_TRUE(closing.WaitForExit());
    EXPECT_NE(next.Main(), nullptr) << "the start while the copy closed did not run";
}

// Without a sound device a start stops in the system's message about it, before its window
// runs. A start in the same folder meanwhile waits, and runs once that copy has ended.
TEST(NoSoundDevice, ASecondStartWaitsForTheCopyStillStartingAndRunsWhenItHasEnded)
{
    SeededDir dir(kSaved);
    const VesmoProcess first(dir.Path(), false);
    const HWND firstBox = first.WaitForWindow(kProgramNameCaption);
    ASSERT_NE(firstBox, nullptr) << "no message about the sound device";

    const VesmoProcess second(dir.Path(), false);
    ::Sleep(2000);
    EXPECT_TRUE(second.Running()) << "the second start did not wait";
    EXPECT_EQ(second.WaitForWindow(kProgramNameCaption, 0), nullptr) << "the second start ran beside the first";

    first.PostClick(firstBox, IDOK);
    EXPECT_TRUE(first.WaitForExit());
    const HWND secondBox = second.WaitForWindow(kProgramNameCaption);
    ASSERT_NE(secondBox, nullptr) << "the second start did not run once the first had ended";
    second.PostClick(secondBox, IDOK);
    EXPECT_TRUE(second.WaitForExit());
    EXPECT_EQ(dir.Read(kSpeedDialFile), SpeedDialFile(kSaved));
}

// A copy that ended without closing (a crash, a killed process) leaves no claim behind.
TEST(SecondStart, AfterTheRunningCopyCrashedTheNextStartRuns)
{
    SeededDir dir(kSaved);
    {
        const VesmoProcess crashed(dir.Path());
        ASSERT_NE(crashed.Main(), nullptr);
        crashed.Kill();
    }
    const VesmoProcess next(dir.Path());
    EXPECT_NE(next.Main(), nullptr) << "the start after a crash did not run";
}

}  // namespace
