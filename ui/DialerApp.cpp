// The application object and the program's entry point.
#include "DialerDlg.h"
#include "RunningCopy.h"
#include "toolkit/App.h"

#include <mmsystem.h>

namespace {

DWORD WINAPI LoadSoundDriver(LPVOID)
{
    ::waveOutGetNumDevs();
    return 0;
}

class CDialerApp : public CApp {
protected:
    // Runs the main window as a modal dialog; the program ends when it closes.
    bool InitInstance() override
    {
        // First of all, before the sound device or a file is touched: where Vesmo already
        // runs in this folder, that copy is shown and this one ends.
        CRunningCopy runningCopy;
        if (!runningCopy.ClaimFolder())
            return false;

        // Loading the sound driver is the slowest step of starting. It runs while the window
        // is built, so that opening the device during the window's initialisation finds it
        // loaded. Nothing else happens on that thread.
        if (HANDLE warmUp = ::CreateThread(nullptr, 0, LoadSoundDriver, nullptr, 0, nullptr))
            ::CloseHandle(warmUp);

        CDialerDlg dialog(runningCopy);
        m_pMainWnd = &dialog;
        dialog.DoModal(nullptr);
        m_pMainWnd = nullptr;
        return false;
    }
};

CDialerApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return CApp::Current()->Run();
}
