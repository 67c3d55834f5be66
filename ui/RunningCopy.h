// One running copy of Vesmo per data folder. A second copy in a folder would load the files
// as they were and, ending later, write its speed dials over the ones the first copy saved.
//
// The folder is the process's current folder as a full path, letter case ignored. The copy
// that runs there owns a named mutex for its whole run and publishes its main window in a
// small named mapping; both names are made from the folder. The kernel releases both
// objects with the process, so a copy that crashed blocks no later start.
//
// A later start finds the mutex taken and asks the published window to show itself with the
// registered message ShowRequestMessage() (wParam and lParam 0). The message's result is the
// reply: kShownReply, the window is shown in the foreground and the copy goes on running, so
// the later start ends; kClosingReply, the copy has begun to close. A closing copy withdraws
// its window as it begins to close, so later starts mostly find none to ask. Without a
// kShownReply (the copy closing or still starting, a window that is gone or does not answer:
// 0) the later start waits for the mutex, however long that copy takes, asking again
// whatever window is published meanwhile, and runs once the copy has ended. So no start
// ends unless a copy that stays has been shown.
#pragma once

#include <windows.h>

#include <memory>

class CRunningCopy {
public:
    CRunningCopy() = default;
    CRunningCopy(const CRunningCopy&) = delete;
    CRunningCopy& operator=(const CRunningCopy&) = delete;

    // The running copy's answers to ShowRequestMessage(); 0 is no answer.
    static constexpr LRESULT kShownReply = 1;
    static constexpr LRESULT kClosingReply = 2;

    // True when this process is to run: no copy runs in the folder, or the one that did has
    // ended meanwhile. The claim then lasts as long as this object. False when another copy
    // runs there and has answered that it has shown its main window and stays: this process
    // should end without touching the sound device or a file.
    bool ClaimFolder();
    // The running copy's main window, for later starts to ask; none once it is closing.
    void PublishMainWindow(HWND window) const;
    // The message a later start sends to the published window; 0 if it could not be
    // registered, and then no start asks.
    UINT ShowRequestMessage() const { return m_nShowRequestMessage; }

private:
    HWND PublishedWindow() const;
    // Asks the window the running copy published to show itself; its reply, or 0 when there
    // is none to ask or it does not answer.
    LRESULT AskPublishedWindowToShow() const;

    struct HandleCloser {
        void operator()(HANDLE handle) const { ::CloseHandle(handle); }
    };
    struct ViewUnmapper {
        void operator()(void* view) const { ::UnmapViewOfFile(view); }
    };
    // Releasing fails harmlessly where this thread does not own the mutex.
    struct MutexReleaser {
        void operator()(HANDLE mutex) const
        {
            ::ReleaseMutex(mutex);
            ::CloseHandle(mutex);
        }
    };

    const UINT m_nShowRequestMessage = ::RegisterWindowMessageA("Vesmo-ShowRunningCopy");
    std::unique_ptr<void, HandleCloser> m_hMapping;
    std::unique_ptr<void, ViewUnmapper> m_pPublished;  // the main window's handle
    std::unique_ptr<void, MutexReleaser> m_hMutex;
};
