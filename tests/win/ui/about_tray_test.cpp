// The notification icon, hiding the window, the system commands and the About box, driven
// through the real windows: Wine's own taskbar and notification area, and the tones
// multimon-ng hears. The system menu's items are read in-process, in tests/win/ui_inprocess.
#include "SoundCapture.h"
#include "Taskbar.h"
#include "VesmoDriver.h"
#include "VesmoTexts.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

namespace {

using namespace vesmo_test;

// What "Ring Mig" dials, as written and as heard.
const char* const kContactNumber = "031-3900612";
const char* const kContactKeys = "0313900612";

// Row 1 programmed; the other seven empty.
const std::vector<SpeedDialEntry> kEntries = {{"Mamma", "0701234567"}};

// What the user sees in the main window; all of it must survive hiding.
struct WindowState {
    std::string number, dialling, readOut, speedDialName;
    std::vector<std::string> history;
    LRESULT slider;
    bool operator==(const WindowState&) const = default;
};

void PrintTo(const WindowState& s, std::ostream* out)
{
    *out << "number '" << s.number << "', dialling '" << s.dialling << "', read-out '" << s.readOut
         << "', slider " << s.slider << ", speed dial '" << s.speedDialName << "', " << s.history.size()
         << " history lines";
}

WindowState StateOf(const VesmoProcess& vesmo)
{
    return {vesmo.Text(IDC_NUMBER),     vesmo.Text(IDC_DIALLING), vesmo.Text(IDC_MS),
            vesmo.Text(kSpeedDialRows[0].program), vesmo.HistoryLines(),
            ::SendMessageA(vesmo.Item(IDC_SPEED), TBM_GETPOS, 0, 0)};
}

// ---- Notification icon and hiding ------------------------------------------------------

class NotificationIcon : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(vesmo.Main(), nullptr) << "the main window did not appear";
        ASSERT_TRUE(taskbar.Usable()) << "no taskbar to look at: is Wine's virtual desktop running?";
    }

    // The icon as the shell shows it, once the program has put it there.
    TrayIcon Icon() const
    {
        std::optional<TrayIcon> icon;
        WaitUntil([&] { return (icon = taskbar.IconWithTip(kTrayTip)).has_value(); });
        return icon.value_or(TrayIcon{});
    }

    // A mouse message on the icon, through Wine's notification area or sent to the window
    // as the shell sends it; returns once the window has handled it.
    void PressIcon(bool throughTaskbar, UINT mouseMessage) const
    {
        if (throughTaskbar)
            Taskbar::Press(Icon(), mouseMessage);
        else
            ::SendNotifyMessageA(vesmo.Main(), WM_TRAYNOTIFY, 0, mouseMessage);
        vesmo.Settle();
    }

    bool Shown() const
    {
        return ::IsWindowVisible(vesmo.Main()) && ::GetForegroundWindow() == vesmo.Main();
    }

    bool HasTaskbarButton() const
    {
        const HWND button = taskbar.ButtonOf(vesmo.Main());
        return button && ::IsWindowVisible(button);
    }

    SeededDir dir{kEntries};
    VesmoProcess vesmo{dir.Path()};
    Taskbar taskbar;
    SoundCapture capture;
};

TEST_F(NotificationIcon, ShowsItsTipWhileTheProgramRunsAndIsGoneAfterExit)
{
    const HWND main = vesmo.Main();
    EXPECT_TRUE(Taskbar::HasIcon(main, 0));
    EXPECT_FALSE(Taskbar::HasIcon(main, 1)) << "the check does not tell one icon from another";
    EXPECT_TRUE(taskbar.IconWithTip(kTrayTip).has_value()) << "no icon in the notification area shows the tip";

    vesmo.PostClick(IDCANCEL);
    ASSERT_TRUE(vesmo.WaitForExit());
    EXPECT_TRUE(WaitUntil([&] { return !Taskbar::HasIcon(main, 0); }));
    EXPECT_FALSE(taskbar.IconWithTip(kTrayTip).has_value());
}

// Each round hides the window, tries the mouse messages that must leave it hidden, brings
// it back with a right-button press, and then plays a key at the slider position set
// before hiding.
TEST_F(NotificationIcon, DoljHidesTheWindowAndOnlyARightPressOnTheIconBringsItBackAsItWas)
{
    capture.Mark();
    vesmo.Type(vesmo.Item(IDC_NUMBER), "123");
    vesmo.Click(IDC_SEND);
    ASSERT_EQ(capture.WaitAndDecode(SequenceMs("123")).keys, "123");
    vesmo.SetText(IDC_NUMBER, "0701#");
    ASSERT_TRUE(WaitUntil([&] { return HasTaskbarButton(); }));

    struct Round {
        const char* way;
        bool throughTaskbar;
        int sliderMs;
    };
    const Round rounds[] = {{"a press on the icon in Wine's notification area", true, 150},
                            {"the icon's message sent as the shell sends it", false, 90}};
    const UINT ignored[] = {WM_MOUSEMOVE,  WM_LBUTTONDOWN, WM_LBUTTONUP,  WM_LBUTTONDBLCLK,
                            WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_MBUTTONDOWN};
    for (const Round& round : rounds) {
        SCOPED_TRACE(round.way);
        vesmo.MoveSlider(round.sliderMs);
        const WindowState before = StateOf(vesmo);

        vesmo.Click(IDC_HIDE);
        EXPECT_FALSE(::IsWindowVisible(vesmo.Main()));
        EXPECT_FALSE(::GetWindowLongA(vesmo.Main(), GWL_STYLE) & WS_VISIBLE);
        EXPECT_TRUE(WaitUntil([&] { return !HasTaskbarButton(); })) << "the taskbar button stayed";
        EXPECT_TRUE(Taskbar::HasIcon(vesmo.Main(), 0)) << "the icon went with the window";

        for (UINT message : ignored) {
            PressIcon(round.throughTaskbar, message);
            EXPECT_FALSE(::IsWindowVisible(vesmo.Main())) << "mouse message 0x" << std::hex << message;
        }

        PressIcon(round.throughTaskbar, WM_RBUTTONDOWN);
        ASSERT_TRUE(WaitUntil([&] { return Shown(); })) << "not shown in the foreground";
        EXPECT_TRUE(WaitUntil([&] { return HasTaskbarButton(); })) << "no taskbar button";
        EXPECT_EQ(StateOf(vesmo), before);

        capture.Mark();
        vesmo.Click(IDC_KEY_5);
        EXPECT_EQ(vesmo.Text(IDC_MS), std::to_string(round.sliderMs));
        const HeardSound heard = capture.WaitAndDecode(SequenceMs("5", round.sliderMs));
        EXPECT_EQ(heard.keys, "5");
        ASSERT_EQ(heard.toneMs.size(), 1u);
        EXPECT_NEAR(heard.toneMs[0], round.sliderMs, kToneToleranceMs);
    }
}

TEST_F(NotificationIcon, ARightPressBringsTheVisibleWindowToTheFront)
{
    // A window of the test's own takes the foreground from the program.
    const std::unique_ptr<HWND__, decltype([](HWND w) { ::DestroyWindow(w); })> other(::CreateWindowExA(
        0, "Static", "other", WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr));
    ASSERT_NE(other, nullptr);
    ::SetForegroundWindow(other.get());
    ASSERT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == other.get(); }));

    PressIcon(true, WM_RBUTTONDOWN);
    EXPECT_TRUE(WaitUntil([&] { return Shown(); }));
}

// ---- System commands -----------------------------------------------------------------

TEST(SystemCommands, MinimiseRestoreAndCloseBehaveAsInAnyWindow)
{
    SeededDir dir(kEntries);
    VesmoProcess vesmo(dir.Path());
    ASSERT_NE(vesmo.Main(), nullptr);

    ::SendMessageA(vesmo.Main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(::IsIconic(vesmo.Main()));
    ::SendMessageA(vesmo.Main(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(::IsIconic(vesmo.Main()));
    EXPECT_TRUE(::IsWindowVisible(vesmo.Main()));
    EXPECT_EQ(vesmo.WaitForWindow(kAboutCaption, 0), nullptr) << "a system command opened the About box";

    // The file goes, so that only the program's save at its end can bring it back.
    ASSERT_TRUE(::DeleteFileA(dir.File(kSpeedDialFile).c_str()));
    ::PostMessageA(vesmo.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(vesmo.WaitForExit());
    EXPECT_EQ(dir.Read(kSpeedDialFile), SpeedDialFile(kEntries));
}

// ---- About box -------------------------------------------------------------------------

// The available physical memory as this test program is told it, which in the i686 build's
// run is what a 32-bit program is told: GlobalMemoryStatusEx gives it the machine's true
// figure, where GlobalMemoryStatus stops at 2 GB (4 GB for a large-address-aware program).
unsigned long long AvailableKb()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    ::GlobalMemoryStatusEx(&status);
    return status.ullAvailPhys >> 10;
}

class AboutBox : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(vesmo.Main(), nullptr) << "the main window did not appear"; }

    void Close(HWND box) const
    {
        vesmo.PostClick(box, IDOK);
        ASSERT_TRUE(WaitUntilClosed(box)) << "OK did not close the About box";
        EXPECT_TRUE(::IsWindowEnabled(vesmo.Main()));
    }

    SeededDir dir{kEntries};
    VesmoProcess vesmo{dir.Path()};
    SoundCapture capture;
};

TEST_F(AboutBox, OpensFromTheSystemMenuAndTheHelpMenuWithItsTextsAndTheFreeMemory)
{
    struct Opener {
        const char* name;
        void (*open)(const VesmoProcess&);
    };
    // Every system command from 16 to 31 is the About item.
    const Opener openers[] = {
        {"system command 16", [](const VesmoProcess& v) { ::PostMessageA(v.Main(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0); }},
        {"system command 16|7",
         [](const VesmoProcess& v) { ::PostMessageA(v.Main(), WM_SYSCOMMAND, IDM_ABOUTBOX | 0x7, 0); }},
        {"system command 31",
         [](const VesmoProcess& v) { ::PostMessageA(v.Main(), WM_SYSCOMMAND, IDM_ABOUTBOX | 0xF, 0); }},
        {"&Hj\xE4lp > &Om Vesmo...", [](const VesmoProcess& v) { v.PostMenu(ID_HELP_ABOUT); }},
    };
    // The free memory changes while the test runs (others build on this machine too).
    constexpr unsigned long long kDriftKb = 256 * 1024;
    for (const Opener& opener : openers) {
        SCOPED_TRACE(opener.name);
        const unsigned long long before = AvailableKb();
        opener.open(vesmo);
        const HWND box = vesmo.WaitForWindow(kAboutCaption);
        ASSERT_NE(box, nullptr);
        const std::string memory = VesmoProcess::ItemText(box, IDC_FREEMEM);
        const unsigned long long after = AvailableKb();

        EXPECT_EQ(::GetWindow(box, GW_OWNER), vesmo.Main());
        EXPECT_FALSE(::IsWindowEnabled(vesmo.Main())) << "the box is not modal";
        EXPECT_EQ(FocusedWindow(box), ::GetDlgItem(box, IDOK));
        EXPECT_EQ(VesmoProcess::ItemText(box, IDC_VERSION), kAboutVersion);
        EXPECT_EQ(VesmoProcess::ItemText(box, IDC_NOTICE), kAboutNotice);
        EXPECT_EQ(VesmoProcess::ItemText(box, IDC_SYSINFO), kAboutSystemInfo);
        EXPECT_EQ(VesmoProcess::ItemText(box, IDC_FREEMEM_LABEL), kAboutFreeMemoryLabel);
        EXPECT_EQ(VesmoProcess::ItemText(box, IDC_CALLME), kAboutCallMe);

        // "N KB" with N the available physical memory in KB; on this machine that is far
        // more than 32 bits of bytes could count.
        unsigned long long shownKb = 0;
        int length = 0;
        ASSERT_EQ(std::sscanf(memory.c_str(), "%llu KB%n", &shownKb, &length), 1) << memory;
        EXPECT_EQ(static_cast<size_t>(length), memory.size()) << memory;
        EXPECT_GE(shownKb + kDriftKb, std::min(before, after)) << memory;
        EXPECT_LE(shownKb, std::max(before, after) + kDriftKb) << memory;

        Close(box);
    }
}

// The call plays at 70 ms whatever was applied before, and leaves 48 ms behind: a
// speed-dial row then plays at 48 ms although the slider and the read-out show others.
TEST_F(AboutBox, RingMigDialsTheContactNumberAt70MsAndLeavesTheToneLengthAt48)
{
    vesmo.MoveSlider(100);
    capture.Mark();
    vesmo.Click(IDC_KEY_5);
    ASSERT_EQ(capture.WaitAndDecode(SequenceMs("5", 100)).keys, "5");
    ASSERT_EQ(vesmo.Text(IDC_MS), "100");
    vesmo.MoveSlider(150);

    vesmo.PostMenu(ID_HELP_ABOUT);
    const HWND box = vesmo.WaitForWindow(kAboutCaption);
    ASSERT_NE(box, nullptr);
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE("press " + std::to_string(press));
        capture.Mark();
        vesmo.Click(box, IDC_CALLME);
        const HeardSound heard = capture.WaitAndDecode(SequenceMs(kContactNumber, 70));
        EXPECT_EQ(heard.keys, kContactKeys);
        EXPECT_EQ(heard.toneMs.size(), 10u);
        for (int ms : heard.toneMs)
            EXPECT_NEAR(ms, 70, kToneToleranceMs);
        EXPECT_TRUE(::IsWindowVisible(box)) << "the box closed";
    }
    Close(box);

    EXPECT_EQ(vesmo.Text(IDC_MS), "100") << "the read-out shows what the window applied";
    capture.Mark();
    vesmo.Click(kSpeedDialRows[0].send);
    const HeardSound heard = capture.WaitAndDecode(SequenceMs("0701234567"));
    EXPECT_EQ(heard.keys, "0701234567");
    ASSERT_EQ(heard.toneMs.size(), 10u);
    for (int ms : heard.toneMs)
        EXPECT_NEAR(ms, 48, kToneToleranceMs);
}

}  // namespace
