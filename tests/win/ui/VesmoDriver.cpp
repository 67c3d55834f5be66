#include "VesmoDriver.h"
#include "VesmoTexts.h"

#include <commctrl.h>

#include <cstdio>
#include <iterator>

namespace vesmo_test {

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

bool WaitUntilClosed(HWND window, int timeoutMs)
{
    return WaitUntil([&] { return !::IsWindow(window); }, timeoutMs);
}

HWND FocusedWindow(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// ---- The program's files ---------------------------------------------------------------

std::string Lines(std::initializer_list<std::string> texts)
{
    std::string lines;
    for (const std::string& text : texts)
        lines += text + "\r\n";
    return lines;
}

std::string EmptyLines(int n)
{
    std::string lines;
    for (int i = 0; i < n; ++i)
        lines += "\r\n";
    return lines;
}

std::string SpeedDialFile(const std::vector<SpeedDialEntry>& entries)
{
    std::string bytes;
    for (const SpeedDialEntry& entry : entries)
        bytes += Lines({entry.name, entry.number});
    for (std::size_t empty = entries.size(); empty < std::size(kSpeedDialRows); ++empty)
        bytes += EmptyLines(2);
    return bytes;
}

int SequenceMs(const std::string& keys, int toneMs)
{
    return static_cast<int>(keys.size()) * 2 * toneMs;
}

// ---- VesmoProcess ----------------------------------------------------------------------

VesmoProcess::VesmoProcess(const std::string& workDir, bool waitForWindow)
    : VesmoProcess(ProgramFile{VESMO_EXE}, workDir, waitForWindow)
{
}

VesmoProcess::VesmoProcess(const ProgramFile& program, const std::string& workDir, bool waitForWindow)
{
    std::string commandLine = "\"" + program.path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    // A start that fails is the test's failure: the scripts start Wine with a fixed address
    // layout (scripts/wine-start.sh), without which Wine itself failed one start in 10,000.
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(),
                          &startup, &m_processInfo)) {
        std::fprintf(stderr, "%s did not start in %s: CreateProcess error %lu\n", program.path.c_str(),
                     workDir.c_str(), ::GetLastError());
        return;
    }
    if (!waitForWindow)
        return;
    m_main = WaitForWindow(kMainCaption, 20000);
    if (!m_main) {
        DWORD exitCode = STILL_ACTIVE;
        ::GetExitCodeProcess(m_processInfo.hProcess, &exitCode);
        if (exitCode == STILL_ACTIVE)
            std::fprintf(stderr, "%s in %s showed no main window in 20 s\n", program.path.c_str(), workDir.c_str());
        else
            std::fprintf(stderr, "%s in %s ended with code %lu before showing its main window\n",
                         program.path.c_str(), workDir.c_str(), exitCode);
    }
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

void VesmoProcess::MoveSlider(int ms) const
{
    ::SendMessageA(Item(IDC_SPEED), TBM_SETPOS, TRUE, ms);
}

void VesmoProcess::Click(int id) const
{
    Click(m_main, id);
}

void VesmoProcess::Click(HWND dialog, int id) const
{
    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
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

void VesmoProcess::Settle() const
{
    ::SendMessageTimeoutA(m_main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, nullptr);
}

namespace {

struct WindowSearch {
    DWORD processId;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectProcessWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner != search->processId)
        return TRUE;
    char className[64] = {};
    if (search->className && (!::GetClassNameA(hwnd, className, sizeof className) ||
                              ::lstrcmpiA(className, search->className) != 0))
        return TRUE;
    search->found.push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> VesmoProcess::TopLevelWindows(const char* className) const
{
    WindowSearch search{m_processInfo.dwProcessId, className, {}};
    ::EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND VesmoProcess::WaitForWindow(const std::string& caption, int timeoutMs) const
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows())
                if (!found && ::IsWindowVisible(window) && WindowText(window) == caption)
                    found = window;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

std::vector<std::string> VesmoProcess::OtherWindows() const
{
    std::vector<std::string> captions;
    for (HWND window : TopLevelWindows())
        if (window != m_main && ::IsWindowVisible(window))
            captions.push_back(WindowText(window));
    return captions;
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

std::string VesmoProcess::State() const
{
    if (!m_processInfo.hProcess)
        return "not started";
    if (!Running()) {
        DWORD exitCode = 0;
        ::GetExitCodeProcess(m_processInfo.hProcess, &exitCode);
        return "ended with code " + std::to_string(exitCode);
    }
    std::string state = "running, windows:";
    for (HWND window : TopLevelWindows()) {
        state += " \"" + WindowText(window) + "\"";
        if (!::IsWindowVisible(window))
            state += " (hidden)";
        else if (const std::string text = window != m_main ? MessageBoxText(window) : ""; !text.empty())
            state += " saying \"" + text + "\"";
    }
    return state;
}

void VesmoProcess::Kill() const
{
    if (!m_processInfo.hProcess)
        return;
    ::TerminateProcess(m_processInfo.hProcess, 9);
    ::WaitForSingleObject(m_processInfo.hProcess, INFINITE);
}

// ---- Linux side ------------------------------------------------------------------------

bool SaveWindowPicture(HWND window, const std::string& pngPath)
{
    RECT rect;
    if (!::GetWindowRect(window, &rect))
        return false;
    const std::string crop = std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top) +
                             "+" + std::to_string(rect.left) + "+" + std::to_string(rect.top);
    return RunShell("import -window root -crop " + crop + " +repage '" + UnixPath(pngPath) + "'") == 0;
}

}  // namespace vesmo_test
