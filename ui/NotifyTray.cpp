#include "NotifyTray.h"

#include "resources/resource.h"

bool NotifyTray(HWND hwnd, DWORD notifyMessage, UINT iconId, HICON icon, const char* tip)
{
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = hwnd;
    data.uID = iconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    data.hIcon = icon;
    if (tip)
        ::lstrcpynA(data.szTip, tip, 64);
    return ::Shell_NotifyIconA(notifyMessage, &data) != FALSE;
}
