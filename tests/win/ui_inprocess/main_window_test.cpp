// The main window in-process: what another process cannot read of it. The window runs
// once for the whole program, on a thread of its own, in a fresh current folder (it reads
// and writes its files there), and opens wave device 0 as the program does.
#include "DialerDlg.h"
#include "RunningCopy.h"
#include "VesmoTexts.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// A fresh current folder while it lives; the previous one again afterwards.
class CurrentFolder {
public:
    CurrentFolder()
        : m_previous(std::filesystem::current_path()),
          m_path(std::filesystem::temp_directory_path() / ("vesmo-inprocess-" + std::to_string(::GetCurrentProcessId())))
    {
        std::filesystem::create_directories(m_path);
        std::filesystem::current_path(m_path);
    }
    ~CurrentFolder()
    {
        std::error_code ignored;
        std::filesystem::current_path(m_previous, ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
};

// The program's main window, telling the tests its handle as soon as it has one.
class ObservedMainWindow : public CDialerDlg {
public:
    explicit ObservedMainWindow(const CRunningCopy& runningCopy) : CDialerDlg(runningCopy) {}

    std::atomic<HWND> window{nullptr};

protected:
    BOOL OnInitDialog() override
    {
        window = m_hWnd;
        return CDialerDlg::OnInitDialog();
    }
};

// The main window run modally on a thread of its own, as the program runs it.
class RunningMainWindow {
public:
    RunningMainWindow() : m_thread(::CreateThread(nullptr, 0, Run, this, 0, &m_threadId))
    {
        for (int waited = 0; waited < 10000 && !Main(); waited += 10)
            ::Sleep(10);
    }
    // A quit request ends the window however far it got, a message box of its start too.
    ~RunningMainWindow()
    {
        if (!m_thread)
            return;
        ::PostThreadMessageA(m_threadId, WM_QUIT, 0, 0);
        ::WaitForSingleObject(m_thread.get(), INFINITE);
    }
    RunningMainWindow(const RunningMainWindow&) = delete;
    RunningMainWindow& operator=(const RunningMainWindow&) = delete;

    // The window once it is shown; null until then.
    HWND Main() const
    {
        const HWND main = m_window.window;
        return main && ::IsWindowVisible(main) ? main : nullptr;
    }

private:
    static DWORD WINAPI Run(LPVOID self)
    {
        static_cast<RunningMainWindow*>(self)->m_window.DoModal(nullptr);
        return 0;
    }

    CRunningCopy m_runningCopy;  // not claimed: the folder is the test's own
    ObservedMainWindow m_window{m_runningCopy};
    DWORD m_threadId = 0;
    std::unique_ptr<void, decltype([](HANDLE h) { ::CloseHandle(h); })> m_thread;
};

class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_folder = std::make_unique<CurrentFolder>();
        s_window = std::make_unique<RunningMainWindow>();
    }
    static void TearDownTestSuite()
    {
        s_window.reset();
        s_folder.reset();
    }
    void SetUp() override { ASSERT_NE(Main(), nullptr) << "the main window did not appear"; }

    static HWND Main() { return s_window->Main(); }

private:
    static inline std::unique_ptr<CurrentFolder> s_folder;
    static inline std::unique_ptr<RunningMainWindow> s_window;
};

// An item of a menu, by position.
struct MenuItem {
    bool read = false;
    UINT type = 0, id = 0, state = 0;
    std::string text;
};

MenuItem ItemAt(HMENU menu, int position)
{
    char text[64] = {};
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    const bool read = ::GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info) != FALSE;
    return {read, info.fType, info.wID, info.fState, text};
}

TEST_F(MainWindow, SystemMenuEndsWithASeparatorAndTheAboutItemAfterTheSystemsOwn)
{
    const HMENU menu = ::GetSystemMenu(Main(), FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 3);

    // The system's own items (its commands and separators; Wine has one of its own too)
    // come first, and the program adds its item once.
    for (int position = 0; position < count - 2; ++position) {
        const MenuItem own = ItemAt(menu, position);
        ASSERT_TRUE(own.read);
        EXPECT_TRUE((own.type & MFT_SEPARATOR) || own.id >= SC_SIZE) << "item " << position << ", id " << own.id;
    }

    const MenuItem separator = ItemAt(menu, count - 2);
    ASSERT_TRUE(separator.read);
    EXPECT_TRUE(separator.type & MFT_SEPARATOR);

    const MenuItem about = ItemAt(menu, count - 1);
    ASSERT_TRUE(about.read);
    EXPECT_EQ(about.type & MFT_SEPARATOR, 0u);
    EXPECT_EQ(about.id, static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_EQ(about.text, kAboutMenuItem);
    EXPECT_EQ(about.state & (MFS_DISABLED | MFS_CHECKED), 0u);
}

// WM_QUERYDRAGICON is one of the messages whose result a dialog procedure returns itself:
// through DWLP_MSGRESULT the caller would get TRUE instead of the icon.
TEST_F(MainWindow, AnswersWmQueryDragIconWithItsIcon)
{
    const HICON programIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(programIcon, nullptr);
    EXPECT_EQ(::SendMessageA(Main(), WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(programIcon));
    EXPECT_EQ(::SendMessageA(Main(), WM_QUERYDRAGICON, 0, 0), reinterpret_cast<LRESULT>(programIcon));
}

}  // namespace
