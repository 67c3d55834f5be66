// One running copy of Vesmo per data folder. A second copy in a folder would load the files
// as they were and, ending later, write its speed dials over the ones the first copy saved.
//
// The folder is the process's current folder as a full path, letter case ignored. The copy
// that runs there owns a named mutex for its whole run and publishes its main window in a
// small named mapping; both names are made from the folder. A later start finds the mutex
// taken, shows that window as a right-button press on its icon does, and ends. The kernel
// releases both objects with the process, so a copy that crashed blocks no later start.
#pragma once

#include <windows.h>

#include <memory>

class CRunningCopy {
public:
    CRunningCopy() = default;
    CRunningCopy(const CRunningCopy&) = delete;
    CRunningCopy& operator=(const CRunningCopy&) = delete;

    // True when this process is to run: no copy runs in the folder, or the one that did has
    // ended meanwhile. The claim then lasts as long as this object. False when another copy
    // runs there: its main window has been shown (or did not appear within a few seconds)
    // and this process should end without touching the sound device or a file.
    bool ClaimFolder();
    // The running copy's main window, for later starts to show; none once it is closing.
    void PublishMainWindow(HWND window) const;

private:
    HWND PublishedWindow() const;
    // Shows the window the running copy published; false while there is none.
    bool ShowPublishedWindow() const;

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

    std::unique_ptr<void, HandleCloser> m_hMapping;
    std::unique_ptr<void, ViewUnmapper> m_pPublished;  // the main window's handle
    std::unique_ptr<void, MutexReleaser> m_hMutex;
};
