// The least a program that shows Vesmo's main window must do, as a floor for the start-up
// benchmark: the common controls registered, wave device 0 opened, an icon in the
// notification area, and Vesmo's own main-window template (loaded from the vesmo.exe given)
// shown as a modal dialog with no logic behind it. It ends when the window is closed.
//   vesmo-startup-floor VESMO_EXE
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <cstdlib>

#include "resource.h"

namespace {

constexpr UINT kTrayMessage = WM_APP;

INT_PTR CALLBACK ShowOnly(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    if ((message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || message == WM_CLOSE) {
        ::EndDialog(hwnd, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc != 2)
        return 2;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    const HMODULE vesmo = ::LoadLibraryExA(__argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!vesmo)
        return 1;

    PCMWAVEFORMAT format{};
    format.wf.wFormatTag = WAVE_FORMAT_PCM;
    format.wf.nChannels = 1;
    format.wf.nSamplesPerSec = 44100;
    format.wf.nAvgBytesPerSec = 44100;
    format.wf.nBlockAlign = 1;
    format.wBitsPerSample = 8;
    HWAVEOUT wave = nullptr;
    ::waveOutOpen(&wave, 0, reinterpret_cast<LPCWAVEFORMATEX>(&format), 0, 0, CALLBACK_NULL);

    // The icon belongs to a window of its own, as the dialog's does in Vesmo; it is made
    // before the dialog, so that the dialog is the first window shown.
    const HWND owner = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    NOTIFYICONDATAA tray{};
    tray.cbSize = NOTIFYICONDATAA_V1_SIZE;
    tray.hWnd = owner;
    tray.uID = IDR_MAINFRAME;
    tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    tray.uCallbackMessage = kTrayMessage;
    tray.hIcon = ::LoadIconA(vesmo, MAKEINTRESOURCEA(IDR_MAINFRAME));
    ::lstrcpynA(tray.szTip, "Vesmo", sizeof tray.szTip);
    ::Shell_NotifyIconA(NIM_ADD, &tray);

    ::DialogBoxParamA(vesmo, MAKEINTRESOURCEA(IDD_DIALER), nullptr, ShowOnly, 0);

    ::Shell_NotifyIconA(NIM_DELETE, &tray);
    if (wave)
        ::waveOutClose(wave);
    return 0;
}
