#include "VesmoDriver.h"
#include "VesmoTexts.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (::GetTickCount64() > deadline)
            return condition();
        ::Sleep(20);
    }
}

HWND FocusedWindow(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// ---- TempDir ---------------------------------------------------------------------------

TempDir::TempDir()
{
    static int counter = 0;
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    m_path = std::string(base) + "vesmo-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
             std::to_string(++counter);
    ::CreateDirectoryA(m_path.c_str(), nullptr);
}

TempDir::~TempDir()
{
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((m_path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = m_path + "\\" + name;
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                ::RemoveDirectoryA(path.c_str());
            else
                ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::SetFileAttributesA(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(m_path.c_str());
}

std::string TempDir::Read(const char* name) const
{
    std::ifstream in(File(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool TempDir::Exists(const char* name) const
{
    return ::GetFileAttributesA(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void TempDir::Write(const char* name, const std::string& bytes) const
{
    std::ofstream(File(name), std::ios::binary) << bytes;
}

// ---- VesmoProcess ----------------------------------------------------------------------

namespace {

struct WindowSearch {
    DWORD processId;
    std::string caption;
    HWND found;
};

BOOL CALLBACK FindProcessWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId || !::IsWindowVisible(hwnd))
        return TRUE;
    if (VesmoProcess::WindowText(hwnd) != search->caption)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

VesmoProcess::VesmoProcess(const std::string& workDir, bool waitForWindow)
    : VesmoProcess(ProgramFile{VESMO_EXE}, workDir, waitForWindow)
{
}

VesmoProcess::VesmoProcess(const ProgramFile& program, const std::string& workDir, bool waitForWindow)
{
    std::string commandLine = "\"" + program.path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(),
                          &startup, &m_processInfo))
        return;
    if (waitForWindow)
        m_main = WaitForWindow(kMainCaption, 20000);
}

VesmoProcess::~VesmoProcess()
{
    if (!m_processInfo.hProcess)
        return;
    if (Running() && m_main) {
        ::PostMessageA(m_main, WM_COMMAND, IDCANCEL, 0);
        WaitForExit(10000);
    }
    if (Running())
        ::TerminateProcess(m_processInfo.hProcess, 1);
    ::CloseHandle(m_processInfo.hThread);
    ::CloseHandle(m_processInfo.hProcess);
}

std::string VesmoProcess::WindowText(HWND hwnd)
{
    char text[1024] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                          &copied);
    return std::string(text, copied);
}

// Read as UTF-16: under Wine an ANSI LB_GETTEXT from another process returns only the
// first character of each line.
std::vector<std::string> VesmoProcess::HistoryLines() const
{
    HWND list = Item(IDC_HISTORY);
    std::vector<std::string> lines;
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t wide[1024] = {};
        const LRESULT length = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
        char line[1024] = {};
        const int bytes = length <= 0 ? 0
                                      : ::WideCharToMultiByte(1252, 0, wide, static_cast<int>(length), line,
                                                              sizeof line, nullptr, nullptr);
        lines.emplace_back(line, static_cast<size_t>(bytes));
    }
    return lines;
}

void VesmoProcess::SetText(int id, const std::string& text) const
{
    ::SendMessageA(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void VesmoProcess::Click(int id) const
{
    ::SendMessageA(Item(id), BM_CLICK, 0, 0);
}

void VesmoProcess::PostClick(int id) const
{
    PostClick(m_main, id);
}

void VesmoProcess::PostClick(HWND dialog, int id) const
{
    ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void VesmoProcess::Menu(UINT commandId) const
{
    ::SendMessageA(m_main, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

void VesmoProcess::PostMenu(UINT commandId) const
{
    ::PostMessageA(m_main, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

void VesmoProcess::Type(HWND control, const std::string& text) const
{
    for (unsigned char c : text)
        ::SendMessageA(control, WM_CHAR, c, 1);
}

void VesmoProcess::PostKey(HWND target, UINT virtualKey) const
{
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
    ::PostMessageA(target, WM_KEYDOWN, virtualKey, scan | 1);
    ::PostMessageA(target, WM_KEYUP, virtualKey, scan | 1 | (1LL << 30) | (1LL << 31));
}

HWND VesmoProcess::WaitForWindow(const std::string& caption, int timeoutMs) const
{
    WindowSearch search{m_processInfo.dwProcessId, caption, nullptr};
    WaitUntil(
        [&] {
            ::EnumWindows(FindProcessWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

std::string VesmoProcess::MessageBoxText(HWND box)
{
    std::string text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = {};
        ::GetClassNameA(child, className, sizeof className);
        const LONG style = ::GetWindowLongA(child, GWL_STYLE);
        if (lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) != SS_ICON) {
            const std::string part = WindowText(child);
            if (!part.empty())
                text += part;
        }
    }
    return text;
}

bool VesmoProcess::WaitForExit(int timeoutMs) const
{
    return ::WaitForSingleObject(m_processInfo.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
}

bool VesmoProcess::Running() const
{
    return m_processInfo.hProcess && ::WaitForSingleObject(m_processInfo.hProcess, 0) == WAIT_TIMEOUT;
}

void VesmoProcess::Kill() const
{
    if (!m_processInfo.hProcess)
        return;
    ::TerminateProcess(m_processInfo.hProcess, 9);
    ::WaitForSingleObject(m_processInfo.hProcess, INFINITE);
}

// ---- Linux side ------------------------------------------------------------------------

bool SaveScreenshot(const std::string& pngPath)
{
    return RunShell("import -window root '" + pngPath + "'") == 0;
}
