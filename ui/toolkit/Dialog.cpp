#include "Dialog.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <vector>

namespace {

// Where the style and the position stand in a DLGTEMPLATE or a DLGTEMPLATEEX.
struct TemplateLayout {
    size_t styleOffset;
    size_t xOffset;
};

TemplateLayout LayoutOf(const std::vector<BYTE>& bytes)
{
    WORD version = 0, signature = 0;
    std::memcpy(&version, bytes.data(), sizeof version);
    std::memcpy(&signature, bytes.data() + 2, sizeof signature);
    if (version == 1 && signature == 0xFFFF)
        return {12, 18};  // dlgVer, signature, helpID, exStyle, style, cDlgItems, x
    return {0, 10};       // style, dwExtendedStyle, cdit, x
}

// A copy of the template without WS_VISIBLE: the dialog is shown only after it has
// been initialised and centred, and never when it ended during initialisation.
std::vector<BYTE> LoadTemplate(UINT templateId)
{
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(templateId), RT_DIALOG);
    if (!resource)
        return {};
    HGLOBAL loaded = ::LoadResource(module, resource);
    const DWORD size = ::SizeofResource(module, resource);
    const auto* data = static_cast<const BYTE*>(::LockResource(loaded));
    if (!data || size < 18 + sizeof(short) * 2)
        return {};
    std::vector<BYTE> bytes(data, data + size);
    const TemplateLayout layout = LayoutOf(bytes);
    DWORD style = 0;
    std::memcpy(&style, bytes.data() + layout.styleOffset, sizeof style);
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    std::memcpy(bytes.data() + layout.styleOffset, &style, sizeof style);
    return bytes;
}

bool PlacedByTemplate(const std::vector<BYTE>& bytes)
{
    const TemplateLayout layout = LayoutOf(bytes);
    DWORD style = 0;
    short x = 0, y = 0;
    std::memcpy(&style, bytes.data() + layout.styleOffset, sizeof style);
    std::memcpy(&x, bytes.data() + layout.xOffset, sizeof x);
    std::memcpy(&y, bytes.data() + layout.xOffset + sizeof x, sizeof y);
    return x != 0 || y != 0 || (style & (DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN)) != 0;
}

// Messages whose result a dialog procedure returns itself instead of in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message)
{
    switch (message) {
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}

// The common controls' classes (slider, tooltips and the others), registered before the
// first dialog is made, so that any template may use them.
void RegisterCommonControls()
{
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
        return ::InitCommonControlsEx(&controls) != FALSE;
    }();
    static_cast<void>(registered);
}

// Keeps the owner of a modal dialog disabled while it lives, and enables it again however
// the dialog's loop ends: an exception from PreTranslateMessage too.
class DisabledOwner {
public:
    explicit DisabledOwner(HWND owner) : m_owner(owner && ::IsWindowEnabled(owner) ? owner : nullptr)
    {
        if (m_owner)
            ::EnableWindow(m_owner, FALSE);
    }
    ~DisabledOwner()
    {
        if (m_owner)
            ::EnableWindow(m_owner, TRUE);
    }
    DisabledOwner(const DisabledOwner&) = delete;
    DisabledOwner& operator=(const DisabledOwner&) = delete;

private:
    HWND m_owner;
};

}  // namespace

CDialog::CDialog(UINT templateId) : m_templateId(templateId) {}

CDialog::~CDialog()
{
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal(HWND owner)
{
    const std::vector<BYTE> dialogTemplate = LoadTemplate(m_templateId);
    if (dialogTemplate.empty())
        return -1;
    m_placedByTemplate = PlacedByTemplate(dialogTemplate);
    RegisterCommonControls();

    m_modalRunning = true;
    m_modalResult = -1;
    const HWND created = ::CreateDialogIndirectParamA(
        ::GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()), owner,
        DialogProc, reinterpret_cast<LPARAM>(this));
    if (!created) {
        m_modalRunning = false;
        return -1;
    }

    {
        // The owner is enabled again as the loop ends, before the dialog's window goes, so
        // that the activation can return to it.
        const DisabledOwner disabledOwner(owner);
        if (m_modalRunning)
            ::ShowWindow(m_hWnd, SW_SHOW);
        RunModalLoop();
    }
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (owner && ::GetActiveWindow() == nullptr)
        ::SetActiveWindow(owner);
    DestroyWindow();
    return m_modalResult;
}

void CDialog::RunModalLoop()
{
    MSG msg;
    while (m_modalRunning) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            // Leave the quit request for the loop that runs outside this dialog.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

// The loop sees the flag when its GetMessage next returns. A message sent from another
// thread or program is handled inside GetMessage, which then waits on for posted input:
// the empty message posted here makes it return.
void CDialog::EndDialog(INT_PTR result)
{
    m_modalResult = result;
    WakeModalLoop();
}

void CDialog::WakeModalLoop()
{
    if (!m_modalRunning)
        return;
    m_modalRunning = false;
    ::PostThreadMessageA(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

BOOL CDialog::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

bool CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message != WM_COMMAND || !IsCommand(wParam, lParam))
        return false;
    result = 0;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return false;
    }
}

void CDialog::BindControls() {}

bool CDialog::PreTranslateMessage(MSG* msg)
{
    return ::IsDialogMessageA(m_hWnd, msg) != FALSE;
}

BOOL CDialog::OnInitDialog()
{
    BindControls();
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

// A dialog whose template leaves its position at 0, 0 opens centred over its owner, or
// on the work area of the screen when it has none.
void CDialog::CentreIfUnplaced() const
{
    if (m_placedByTemplate)
        return;
    RECT dialog;
    ::GetWindowRect(m_hWnd, &dialog);
    RECT area;
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);
    else
        area = monitor.rcWork;
    const LONG width = dialog.right - dialog.left;
    const LONG height = dialog.bottom - dialog.top;
    LONG x = area.left + (area.right - area.left - width) / 2;
    LONG y = area.top + (area.bottom - area.top - height) / 2;
    // Keep the whole dialog on the work area, even when its owner is near an edge.
    const RECT& work = monitor.rcWork;
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;

    // No exception may cross into the system's code that called us. A dialog whose
    // initialisation threw is half built: it ends with -1 and is never shown.
    if (message == WM_INITDIALOG) {
        try {
            const BOOL result = self->OnInitDialog();
            self->CentreIfUnplaced();
            return result;
        } catch (...) {
            self->ReportHandlerException(message);
            self->EndDialog(-1);
            return FALSE;
        }
    }
    // A window destroyed other than through EndDialog ends its loop too.
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        self->WakeModalLoop();
        return FALSE;
    }
    try {
        LRESULT result = 0;
        if (!self->OnMessage(message, wParam, lParam, result))
            return FALSE;
        if (ReturnsResultDirectly(message))
            return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    } catch (...) {
        self->ReportHandlerException(message);
        return FALSE;
    }
}

void CDialog::ReportHandlerException(UINT message) const
{
    const char* what = "an exception not derived from std::exception";
    try {
        throw;
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
    }
    // A fixed buffer: reporting must not throw in turn.
    char text[512];
    std::snprintf(text, sizeof text, "Dialog %u: the handler of message 0x%04X threw: %s\n", m_templateId, message,
                  what);
    ::OutputDebugStringA(text);
    if (s_onHandlerException)
        s_onHandlerException(text);
}
