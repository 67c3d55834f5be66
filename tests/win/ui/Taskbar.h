// Wine's taskbar and notification area as the tests look at them from outside.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <optional>
#include <string>

// Where a press on a notification icon goes: the window that takes the mouse there, and
// the point in its client area.
struct TrayIcon {
    HWND window = nullptr;
    POINT at{};
};

// Wine's taskbar with its notification area (explorer.exe's Shell_TrayWnd), seen from
// outside. Wine 8 draws the icons in the taskbar itself, each icon's tip a tooltip owned by
// the taskbar whose one tool is the icon's rectangle; Wine 10 gives each icon a child
// window of the taskbar, which owns the icon's tooltip and takes its mouse messages. A
// tool's record and text live in explorer's memory: they are read through a buffer placed
// there.
class Taskbar {
public:
    Taskbar() : m_window(::FindWindowA("Shell_TrayWnd", nullptr))
    {
        DWORD explorer = 0;
        ::GetWindowThreadProcessId(m_window, &explorer);
        m_explorer = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, explorer);
        if (m_explorer)
            m_buffer = static_cast<char*>(
                ::VirtualAllocEx(m_explorer, nullptr, kBufferSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~Taskbar()
    {
        if (m_buffer)
            ::VirtualFreeEx(m_explorer, m_buffer, 0, MEM_RELEASE);
        if (m_explorer)
            ::CloseHandle(m_explorer);
    }
    Taskbar(const Taskbar&) = delete;
    Taskbar& operator=(const Taskbar&) = delete;

    bool Usable() const { return m_window && m_buffer; }

    // A modification that changes nothing: the shell accepts it only for an icon it has.
    static bool HasIcon(HWND owner, UINT id)
    {
        NOTIFYICONDATAA data{};
        data.cbSize = NOTIFYICONDATAA_V1_SIZE;
        data.hWnd = owner;
        data.uID = id;
        return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
    }

    // The icon whose tip reads 'tip', if the notification area shows one.
    std::optional<TrayIcon> IconWithTip(const std::string& tip) const
    {
        for (HWND w = ::FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); w;
             w = ::FindWindowExA(nullptr, w, TOOLTIPS_CLASSA, nullptr)) {
            const HWND owner = ::GetWindow(w, GW_OWNER);
            const bool drawnByTheTaskbar = owner == m_window;
            if (!drawnByTheTaskbar && (!owner || ::GetAncestor(owner, GA_PARENT) != m_window))
                continue;
            TTTOOLINFOA tool{};
            std::string text;
            if (!FirstTool(w, tool, text) || text != tip)
                continue;
            RECT area = tool.rect;
            if (!drawnByTheTaskbar && (!::IsWindowVisible(owner) || !::GetClientRect(owner, &area)))
                continue;
            if (!::IsRectEmpty(&area))
                return TrayIcon{owner, {(area.left + area.right) / 2, (area.top + area.bottom) / 2}};
        }
        return std::nullopt;
    }

    // A mouse message on the icon, as the mouse gives it to the notification area.
    static void Press(const TrayIcon& icon, UINT mouseMessage)
    {
        ::SendMessageA(icon.window, mouseMessage, 0, MAKELPARAM(icon.at.x, icon.at.y));
    }

    // The window's button in the taskbar (its id is the window handle), or null.
    HWND ButtonOf(HWND window) const
    {
        for (HWND child = ::GetWindow(m_window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (::GetWindowLongPtrA(child, GWLP_ID) == reinterpret_cast<LONG_PTR>(window))
                return child;
        return nullptr;
    }

private:
    static constexpr SIZE_T kTextOffset = 256;
    static constexpr SIZE_T kBufferSize = kTextOffset + INFOTIPSIZE;

    bool FirstTool(HWND tooltip, TTTOOLINFOA& tool, std::string& text) const
    {
        tool.cbSize = sizeof tool;
        tool.lpszText = m_buffer + kTextOffset;
        const char none = '\0';
        SIZE_T moved = 0;
        if (!::WriteProcessMemory(m_explorer, m_buffer, &tool, sizeof tool, &moved) ||
            !::WriteProcessMemory(m_explorer, m_buffer + kTextOffset, &none, 1, &moved) ||
            !::SendMessageA(tooltip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(m_buffer)))
            return false;
        char remoteText[INFOTIPSIZE + 1] = {};
        if (!::ReadProcessMemory(m_explorer, m_buffer, &tool, sizeof tool, &moved) ||
            !::ReadProcessMemory(m_explorer, m_buffer + kTextOffset, remoteText, INFOTIPSIZE, &moved))
            return false;
        text = remoteText;
        return true;
    }

    HWND m_window;
    HANDLE m_explorer = nullptr;
    char* m_buffer = nullptr;
};
