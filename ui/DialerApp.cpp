// The application object and the program's entry point.
#include "DialerDlg.h"
#include "toolkit/App.h"

#include <commctrl.h>

namespace {

class CDialerApp : public CApp {
protected:
    // Runs the main window as a modal dialog; the program ends when it closes.
    bool InitInstance() override
    {
        // The common controls' classes (slider, tooltips) and their current look.
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&controls);

        CDialerDlg dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();
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
