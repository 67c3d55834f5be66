// Vesmo through a Windows day as a program that stays running: the session ending at
// log-off or shut-down, and a restarted shell that has lost the notification icon.
#include "Taskbar.h"
#include "VesmoDriver.h"
#include "VesmoTexts.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

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

// Windows asks every top-level window with WM_QUERYENDSESSION, tells it the outcome with
// WM_ENDSESSION, and when the session ends, ends the process without destroying a window.
TEST(SessionEnd, SavesTheSpeedDialsAndRemovesTheIconOnlyWhenTheSessionEnds)
{
    struct Case {
        const char* what;
        BOOL ends;
        std::vector<SpeedDialEntry> fileAfterwards;
        bool iconAfterwards;
    };
    const Case cases[] = {
        {"the session ends", TRUE, kSavedAndProgrammed, false},
        {"the end was cancelled", FALSE, kSaved, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SeededDir dir(kSaved);
        VesmoProcess vesmo(dir.Path());
        ASSERT_NE(vesmo.Main(), nullptr);
        ASSERT_NO_FATAL_FAILURE(ProgramSecondRow(vesmo));
        ASSERT_TRUE(Taskbar::HasIcon(vesmo.Main(), 0));

        EXPECT_NE(::SendMessageA(vesmo.Main(), WM_QUERYENDSESSION, 0, 0), 0) << "the program holds the session up";
        ::SendMessageA(vesmo.Main(), WM_ENDSESSION, c.ends, 0);
        EXPECT_EQ(Taskbar::HasIcon(vesmo.Main(), 0), c.iconAfterwards);
        EXPECT_TRUE(vesmo.Running());

        vesmo.Kill();
        EXPECT_EQ(dir.Read(kSpeedDialFile), SpeedDialFile(c.fileAfterwards));
        EXPECT_FALSE(dir.Exists("sfile.vmo.new"));
    }
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
        std::optional<RECT> icon;
        ASSERT_TRUE(WaitUntil([&] { return (icon = taskbar.IconWithTip(kTrayTip)).has_value(); }))
            << "no icon in the notification area shows the tip";
        ASSERT_FALSE(::IsWindowVisible(vesmo.Main()));
        taskbar.Press(*icon, WM_RBUTTONDOWN);
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

}  // namespace
