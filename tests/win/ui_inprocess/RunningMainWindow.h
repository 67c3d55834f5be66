// The program's main window run in the test program, as the program runs it: modally, on a
// thread of its own, in a fresh current folder (it reads and writes its files there), with
// wave device 0 opened.
#pragma once

#include "DialerDlg.h"
#include "RunningCopy.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

namespace vesmo_test {

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

// The main window run modally on a thread of its own, as the program runs it, in a fresh
// current folder.
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
    // The thread that runs the window, and every dialog the window opens.
    DWORD ThreadId() const { return m_threadId; }

private:
    static DWORD WINAPI Run(LPVOID self)
    {
        static_cast<RunningMainWindow*>(self)->m_window.DoModal(nullptr);
        return 0;
    }

    CurrentFolder m_folder;
    CRunningCopy m_runningCopy;  // not claimed: the folder is the test's own
    ObservedMainWindow m_window{m_runningCopy};
    DWORD m_threadId = 0;
    struct HandleCloser {
        void operator()(HANDLE handle) const { ::CloseHandle(handle); }
    };
    std::unique_ptr<void, HandleCloser> m_thread;
};

}  // namespace vesmo_test
