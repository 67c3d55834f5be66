// The application object and the program's entry point.
#include "DialerDlg.h"
#include "RunningCopy.h"
#include "WinWaveDevice.h"
#include "toolkit/App.h"

namespace {

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

        // The window's initialisation opens the sound device.
        CWinWaveDevice::LoadDriverAhead();

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
