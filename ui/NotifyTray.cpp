#include "NotifyTray.h"

#include "resources/resource.h"

#include <cstddef>

namespace {

// The structure is given to the shell at its first version's size, so the shell reads the
// tip only as far as that version's end: its first 64 characters, terminator included.
constexpr std::size_t kTipChars = NOTIFYICONDATAA_V1_SIZE - offsetof(NOTIFYICONDATAA, szTip);
static_assert(kTipChars <= sizeof(NOTIFYICONDATAA::szTip));

}  // namespace

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
        ::lstrcpynA(data.szTip, tip, static_cast<int>(kTipChars));
    return ::Shell_NotifyIconA(notifyMessage, &data) != FALSE;
}
