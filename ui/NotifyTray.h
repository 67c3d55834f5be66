#pragma once

#include <windows.h>
#include <shellapi.h>

// Adds (NIM_ADD), modifies (NIM_MODIFY) or removes (NIM_DELETE) the window's icon in the
// notification area. The icon stays the caller's; a tip longer than 63 characters is cut.
bool NotifyTray(HWND hwnd, DWORD notifyMessage, UINT iconId, HICON icon, const char* tip);
