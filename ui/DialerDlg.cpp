#include "DialerDlg.h"

#include "AboutDlg.h"
#include "FileBytes.h"
#include "ForwardDlg.h"
#include "History.h"
#include "NotifyTray.h"
#include "ToneOutput.h"
#include "WinWaveDevice.h"
#include "resources/resource.h"
#include "toolkit/App.h"

#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>

CToneGenerator* g_pToneGenerator = nullptr;

namespace {

// The number field holds as much as a history line, so every number sent is recorded whole;
// the send buffer holds that and its terminator.
constexpr int kMaxNumberLength = static_cast<int>(kMaxHistoryNumberLength);

// Speed-dial rows: entry k has programming button kProgramButtons[k] and send button
// kSendButtons[k]. The send ids skip 1054, the "Slår numret..." read-out.
constexpr auto kProgramButtons = std::to_array<UINT>({IDC_SPEEDDIAL_1, IDC_SPEEDDIAL_2, IDC_SPEEDDIAL_3, IDC_SPEEDDIAL_4,
                                                     IDC_SPEEDDIAL_5, IDC_SPEEDDIAL_6, IDC_SPEEDDIAL_7, IDC_SPEEDDIAL_8});
constexpr auto kSendButtons = std::to_array<UINT>({IDC_SPEEDSEND_1, IDC_SPEEDSEND_2, IDC_SPEEDSEND_3, IDC_SPEEDSEND_4,
                                                  IDC_SPEEDSEND_5, IDC_SPEEDSEND_6, IDC_SPEEDSEND_7, IDC_SPEEDSEND_8});
static_assert(kProgramButtons.size() == kSpeedDialCount && kSendButtons.size() == kSpeedDialCount);

int RowOf(const std::array<UINT, kSpeedDialCount>& buttons, UINT id)
{
    const auto found = std::ranges::find(buttons, id);
    return found == buttons.end() ? -1 : static_cast<int>(found - buttons.begin());
}

// The operator's services with a fixed code: each is sent after one prompt.
struct ServiceCode {
    UINT commandId;
    UINT captionId;  // string resource
    const char* code;
};
constexpr ServiceCode kServiceCodes[] = {
    {ID_CALLWAIT_ON, IDS_CALLWAIT_ON, "*43#"},
    {ID_CALLWAIT_OFF, IDS_CALLWAIT_OFF, "#43#"},
    {ID_CALLWAIT_VERIFY, IDS_CALLWAIT_VERIFY, "*#43#"},
    {ID_FORWARD_OFF, IDS_FORWARD_OFF, "#61#"},
    {ID_FORWARD_VERIFY, IDS_FORWARD_VERIFY, "*#61#"},
};
// The message map gives SendServiceCode every command from the lowest of these ids to the
// highest, so a service added to the table needs no row of its own there.
constexpr UINT kFirstServiceCommand = std::ranges::min(kServiceCodes, {}, &ServiceCode::commandId).commandId;
constexpr UINT kLastServiceCommand = std::ranges::max(kServiceCodes, {}, &ServiceCode::commandId).commandId;

}  // namespace

const MessageEntry<CDialerDlg> CDialerDlg::s_messageMap[] = {
    OnMessageEntry(WM_SYSCOMMAND, &CDialerDlg::OnSysCommand),
    OnMessageEntry(WM_PAINT, &CDialerDlg::OnPaint),
    OnMessageEntry(WM_QUERYDRAGICON, &CDialerDlg::OnQueryDragIcon),
    OnMessageEntry(WM_TRAYNOTIFY, &CDialerDlg::OnTrayNotify),
    OnMessageEntry(WM_QUERYENDSESSION, &CDialerDlg::OnQueryEndSession),
    OnMessageEntry(WM_ENDSESSION, &CDialerDlg::OnEndSession),
    OnCommandEntry(IDC_SEND, &CDialerDlg::OnSend),
    OnCommandRangeEntry(IDC_KEY_1, IDC_KEY_D, &CDialerDlg::OnKey),
    OnNotifyEntry(IDC_HISTORY, LBN_DBLCLK, &CDialerDlg::ResendFromHistory),
    OnCommandEntry(IDC_HIDE, &CDialerDlg::OnHide),
    OnCommandEntry(ID_APP_EXIT, &CDialerDlg::OnAppExit),
    OnCommandEntry(ID_EDIT_UNDO, &CDialerDlg::OnEditCommand),
    OnCommandEntry(ID_EDIT_CUT, &CDialerDlg::OnEditCommand),
    OnCommandEntry(ID_EDIT_COPY, &CDialerDlg::OnEditCommand),
    OnCommandEntry(ID_EDIT_PASTE, &CDialerDlg::OnEditCommand),
    OnCommandEntry(ID_TOOLS_CLEAR_HISTORY, &CDialerDlg::ClearHistory),
    OnCommandEntry(ID_EDIT_CLEAR_SPEEDDIALS, &CDialerDlg::ClearSpeedDials),
    OnCommandEntry(ID_FILE_SAVE_SPEEDDIALS, &CDialerDlg::SaveSpeedDials),
    OnCommandEntry(ID_HELP_ABOUT, &CDialerDlg::OnHelpAbout),
    // The forwarding dialogs' ids lie among the service codes' ids: their rows come first.
    OnCommandEntry(ID_FORWARD_NOANSWER, &CDialerDlg::ForwardOnNoAnswer),
    OnCommandEntry(ID_FORWARD_BUSY, &CDialerDlg::ForwardOnBusy),
    OnCommandRangeEntry(kFirstServiceCommand, kLastServiceCommand, &CDialerDlg::SendServiceCode),
    OnCommandRangeEntry(IDC_SPEEDDIAL_1, IDC_SPEEDDIAL_8, &CDialerDlg::ProgramSpeedDial),
    OnCommandRangeEntry(IDC_SPEEDSEND_1, IDC_SPEEDSEND_8, &CDialerDlg::SendSpeedDial),
};

CDialerDlg::CDialerDlg(const CRunningCopy& runningCopy)
    : CDialog(IDD_DIALER),
      m_hIcon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_hSmallIcon(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                                   IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                   ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR))),
      m_nTaskbarCreatedMessage(::RegisterWindowMessageA("TaskbarCreated")),
      m_runningCopy(runningCopy)
{
}

bool CDialerDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    // Their numbers are known only at run time, so the message map cannot hold them.
    if (message == m_nTaskbarCreatedMessage && m_nTaskbarCreatedMessage != 0) {
        if (!m_closing)
            NotifyTrayIcon(NIM_ADD);
        result = 0;
        return true;
    }
    if (message == m_runningCopy.ShowRequestMessage() && message != 0) {
        result = AnswerLaterStart();
        return true;
    }
    return DispatchMessageMap<CDialerDlg>(this, s_messageMap, message, wParam, lParam, result) ||
           CDialog::OnMessage(message, wParam, lParam, result);
}

void CDialerDlg::BindControls()
{
    BindControl(SentNumberList, IDC_HISTORY);
    BindControl(m_wndNumber, IDC_NUMBER);
    BindControl(m_wndSpeed, IDC_SPEED);
}

BOOL CDialerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_wndNumber.LimitText(kMaxNumberLength);

    const std::string aboutItem = LoadStringResource(IDS_ABOUTBOX);
    if (!aboutItem.empty()) {
        HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
        ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutItem.c_str());
    }

    ::SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon.get()));

    SetDlgItemText(IDC_NUM2SEND_LABEL, LoadStringResource(IDS_NUM2SEND).c_str());
    SetDlgItemText(IDC_SPEED_GROUP, LoadStringResource(IDS_SPEED).c_str());
    SetDlgItemText(IDC_LATEST_LABEL, LoadStringResource(IDS_LATEST).c_str());
    SetDlgItemText(IDC_SHORT_GROUP, LoadStringResource(IDS_SHORT).c_str());

    m_wndSpeed.SetRange(kMinToneLengthMs, kMaxToneLengthMs);
    m_wndSpeed.SetTicFreq(10);

    g_pToneGenerator = new CToneGenerator(kStartToneLengthMs, std::make_unique<CWinWaveDevice>());
    ApplyToneLength(kStartToneLengthMs);

    if (const int error = g_pToneGenerator->Open(); error != 0) {
        char text[256] = {};
        ::waveOutGetErrorTextA(static_cast<MMRESULT>(error), text, 255);
        AppMessageBox(text, MB_OK);
        OnCancel();
    }

    LoadHistory();
    LoadSpeedDials();

    if (m_wndToolTip.Create(m_hWnd)) {
        m_wndToolTip.Activate(true);
        m_wndToolTip.AddTool(m_hWnd, GetDlgItem(IDC_SEND), IDS_SEND_TIP);
        m_wndToolTip.AddTool(m_hWnd, GetDlgItem(IDCANCEL), IDS_EXIT_TIP);
    }

    UpdateSpeedDialCaptions();

    // A window that could not open the sound device has begun to close already.
    if (!m_closing) {
        NotifyTrayIcon(NIM_ADD);
        m_runningCopy.PublishMainWindow(m_hWnd);
    }

    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_wndNumber.m_hWnd), TRUE);
    return FALSE;
}

BOOL CDialerDlg::DestroyWindow()
{
    FinishRun();
    return CDialog::DestroyWindow();
}

void CDialerDlg::OnCancel()
{
    BeginClosing();
    CDialog::OnCancel();
}

void CDialerDlg::BeginClosing()
{
    m_closing = true;
    m_runningCopy.PublishMainWindow(nullptr);
    NotifyTray(m_hWnd, NIM_DELETE, 0, nullptr, nullptr);
}

LRESULT CDialerDlg::AnswerLaterStart()
{
    if (m_closing)
        return CRunningCopy::kClosingReply;
    ShowInForeground();
    return CRunningCopy::kShownReply;
}

void CDialerDlg::FinishRun()
{
    if (m_runFinished)
        return;
    m_runFinished = true;
    BeginClosing();
    // A window whose initialisation failed before the file was read saves nothing: it
    // would write empty entries over the user's.
    if (m_speedDialsLoaded)
        SaveSpeedDials();
}

// Nothing to ask the user before a log-off, a shut-down or an installer's closing of the
// program: the speed dials are saved when it happens.
bool CDialerDlg::OnQueryEndSession(WPARAM, LPARAM, LRESULT& result)
{
    result = TRUE;
    return true;
}

// When the session ends (wParam TRUE), Windows ends the process after this returns
// without destroying its windows, so the run is finished here. An installer or an update
// that needs the program's files closed (ENDSESSION_CLOSEAPP, from the Restart Manager)
// leaves the session running and waits for the program to close itself: the window then
// closes as the user closes it, and the run finishes when it goes. A programming dialog
// still open keeps it until the user closes that dialog, and what the user enters there is
// saved then too; the save now keeps the rest should the installer end the process first.
bool CDialerDlg::OnEndSession(WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (wParam && (lParam & ENDSESSION_CLOSEAPP)) {
        if (m_speedDialsLoaded)
            SaveSpeedDials();
        OnCancel();
    } else if (wParam) {
        FinishRun();
    }
    result = 0;
    return true;
}

// The tooltips see the mouse through this relay; they do not subclass the buttons.
bool CDialerDlg::PreTranslateMessage(MSG* msg)
{
    m_wndToolTip.RelayEvent(msg);
    return CDialog::PreTranslateMessage(msg);
}

// When the tones for the new length cannot be made, the old length stays in use: the
// slider and the read-out show that one.
void CDialerDlg::ApplyToneLength(int ms)
{
    g_pToneGenerator->SetToneLength(ms);
    const int inUse = g_pToneGenerator->ToneLength();
    m_wndSpeed.SetPos(inUse);
    char text[16];
    std::snprintf(text, sizeof text, "%d", inUse);
    SetDlgItemText(IDC_MS, text);
}

int CDialerDlg::MessageFromResources(UINT textId, UINT captionId, UINT type) const
{
    return ::MessageBoxA(m_hWnd, LoadStringResource(textId).c_str(), LoadStringResource(captionId).c_str(), type);
}

void CDialerDlg::ShowDialling(const char* number) const
{
    SetDlgItemText(IDC_DIALLING, number);
}

// The slider takes effect only at a key, at Send and at a resend from the history.
void CDialerDlg::ApplySliderToneLength()
{
    ApplyToneLength(m_wndSpeed.GetPos());
}

void CDialerDlg::OnKey(UINT id)
{
    ApplySliderToneLength();
    g_pToneGenerator->PlayKey(kKeypadKeys[id - IDC_KEY_1]);
}

void CDialerDlg::OnSend()
{
    char number[kMaxNumberLength + 1] = {};
    ApplySliderToneLength();
    m_wndNumber.Send(WM_GETTEXT, sizeof number, reinterpret_cast<LPARAM>(number));
    AddToHistory(number);
    g_pToneGenerator->PlaySequence(number);
    ShowDialling(number);
}

bool CDialerDlg::NotifyTrayIcon(DWORD notifyMessage) const
{
    char tip[40] = {};
    ::LoadStringA(::GetModuleHandleA(nullptr), IDS_TRAY_TIP, tip, sizeof tip);
    return NotifyTray(m_hWnd, notifyMessage, 0, m_hSmallIcon.get(), tip);
}

// Hidden, the window comes back only through its icon, which may be missing: a shell that
// was not running yet when the program started, or did not answer in time. The icon is
// looked for and added where it is missing, and without one the window stays.
void CDialerDlg::OnHide()
{
    if (NotifyTrayIcon(NIM_MODIFY) || NotifyTrayIcon(NIM_ADD))
        ::ShowWindow(m_hWnd, SW_HIDE);
}

// Only a right-button press on the icon brings the window back.
bool CDialerDlg::OnTrayNotify(WPARAM, LPARAM lParam, LRESULT& result)
{
    if (lParam == WM_RBUTTONDOWN)
        ShowInForeground();
    result = 0;
    return true;
}

void CDialerDlg::ShowInForeground()
{
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
}

void CDialerDlg::OnAppExit()
{
    OnCancel();
}

// The edit commands act on the number field wherever the focus is.
void CDialerDlg::OnEditCommand(UINT id)
{
    switch (id) {
    case ID_EDIT_UNDO: m_wndNumber.Send(EM_UNDO); break;
    case ID_EDIT_CUT: m_wndNumber.Send(WM_CUT); break;
    case ID_EDIT_COPY: m_wndNumber.Send(WM_COPY); break;
    case ID_EDIT_PASTE: m_wndNumber.Send(WM_PASTE); break;
    default: break;
    }
}

bool CDialerDlg::OnSysCommand(WPARAM wParam, LPARAM, LRESULT& result)
{
    if ((wParam & 0xFFF0) != IDM_ABOUTBOX)
        return false;
    OnHelpAbout();
    result = 0;
    return true;
}

void CDialerDlg::OnHelpAbout()
{
    CAboutDlg about;
    about.DoModal(m_hWnd);
}

bool CDialerDlg::OnPaint(WPARAM, LPARAM, LRESULT& result)
{
    if (!::IsIconic(m_hWnd))
        return false;
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(m_hWnd, &paint);
    ::SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int cx = ::GetSystemMetrics(SM_CXICON);
    const int cy = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    ::DrawIcon(dc, (client.right - client.left - cx + 1) / 2, (client.bottom - client.top - cy + 1) / 2, m_hIcon);
    ::EndPaint(m_hWnd, &paint);
    result = 0;
    return true;
}

bool CDialerDlg::OnQueryDragIcon(WPARAM, LPARAM, LRESULT& result)
{
    result = reinterpret_cast<LRESULT>(m_hIcon);
    return true;
}

// ---- Sent-number history -------------------------------------------------------------

void CDialerDlg::LoadHistory()
{
    for (const std::string& number : LoadHistoryFile(kHistoryFileName))
        ListHistoryNumber(number.c_str());
}

// A number already listed, in any letter case, is not added again; nor is an empty one. A
// full list lets its oldest line go for the new number, which the file records all the same.
void CDialerDlg::AddToHistory(const char* number)
{
    if (*number == '\0' || SentNumberList.FindStringExact(-1, number) != LB_ERR)
        return;
    if (SentNumberList.GetCount() >= static_cast<int>(kMaxHistoryLines))
        DeleteOldestHistoryLine();
    ListHistoryNumber(number);
    AppendHistoryRecord(kHistoryFileName, number);
}

void CDialerDlg::ListHistoryNumber(const char* number)
{
    if (SentNumberList.AddString(number) >= 0)
        m_historyOrder.emplace_back(number);
}

// The line taken out is the one spelt exactly as the oldest number: the list's search ignores
// letter case. It finds no empty line either, and the sorted list holds its empty lines first.
void CDialerDlg::DeleteOldestHistoryLine()
{
    const std::string& oldest = m_historyOrder.front();
    int index = 0;
    if (!oldest.empty()) {
        const int first = SentNumberList.FindStringExact(-1, oldest.c_str());
        index = first;
        while (index != LB_ERR && SentNumberList.GetItemText(index) != oldest) {
            index = SentNumberList.FindStringExact(index, oldest.c_str());
            if (index == first)
                break;
        }
    }
    SentNumberList.DeleteString(index);
    m_historyOrder.pop_front();
}

void CDialerDlg::ResendFromHistory()
{
    const int selected = SentNumberList.GetCurSel();
    if (selected == LB_ERR)
        return;
    ApplySliderToneLength();
    char number[kMaxNumberLength + 1] = {};
    const std::string line = SentNumberList.GetItemText(selected);
    std::snprintf(number, sizeof number, "%s", line.c_str());
    g_pToneGenerator->PlaySequence(number);
    ShowDialling(number);
}

void CDialerDlg::ClearHistory()
{
    if (MessageFromResources(IDS_CLEAR_HISTORY_ASK, IDS_CLEAR_HISTORY, MB_YESNO) != IDYES)
        return;
    TruncateFile(kHistoryFileName);
    SentNumberList.ResetContent();
    m_historyOrder.clear();
}

// ---- Speed dials ---------------------------------------------------------------------

namespace {

SpeedDialEntries EntriesOf(std::span<CSpeedDialDlg, kSpeedDialCount> table)
{
    SpeedDialEntries entries{};
    for (size_t k = 0; k < table.size(); ++k)
        entries[k] = &table[k];
    return entries;
}

}  // namespace

void CDialerDlg::LoadSpeedDials()
{
    LoadSpeedDialFile(kSpeedDialFileName, EntriesOf(SpeedDialTable));
    m_speedDialsLoaded = true;
}

void CDialerDlg::UpdateSpeedDialCaptions()
{
    for (size_t k = 0; k < SpeedDialTable.size(); ++k)
        SetDlgItemText(static_cast<int>(kProgramButtons[k]), SpeedDialTable[k].m_szName);
}

void CDialerDlg::SaveSpeedDials()
{
    SaveSpeedDialFile(kSpeedDialFileName, EntriesOf(SpeedDialTable));
}

void CDialerDlg::ClearSpeedDials()
{
    if (MessageFromResources(IDS_CLEAR_SPEEDDIALS_ASK, IDS_CLEAR_SPEEDDIALS, MB_YESNO) == IDYES) {
        for (CSpeedDialDlg& entry : SpeedDialTable) {
            entry.m_szName[0] = '\0';
            entry.m_szNumber[0] = '\0';
        }
        TruncateFile(kSpeedDialFileName);
    }
    UpdateSpeedDialCaptions();
}

void CDialerDlg::ProgramSpeedDial(UINT buttonId)
{
    const int row = RowOf(kProgramButtons, buttonId);
    if (row < 0)
        return;
    CSpeedDialDlg& entry = SpeedDialTable[static_cast<size_t>(row)];
    if (entry.DoModal(m_hWnd) == IDOK)
        SetDlgItemText(static_cast<int>(buttonId), entry.m_szName);
}

// Plays at the length last applied: the slider is not read here. A row without a name
// stays silent, but its number is still recorded and shown.
void CDialerDlg::SendSpeedDial(UINT buttonId)
{
    const int row = RowOf(kSendButtons, buttonId);
    if (row < 0)
        return;
    const CSpeedDialDlg& entry = SpeedDialTable[static_cast<size_t>(row)];
    if (entry.m_szName[0] != '\0')
        g_pToneGenerator->PlaySequence(entry.m_szNumber);
    AddToHistory(entry.m_szNumber);
    ShowDialling(entry.m_szNumber);
}

// ---- The operator's network services -------------------------------------------------

// The code is sent however the prompt is closed: it has only an OK button.
void CDialerDlg::SendServiceCode(UINT commandId)
{
    for (const ServiceCode& service : kServiceCodes) {
        if (service.commandId != commandId)
            continue;
        MessageFromResources(IDS_SERVICE_PROMPT, service.captionId, MB_OK);
        g_pToneGenerator->PlaySequence(service.code);
        return;
    }
}

void CDialerDlg::ForwardOnNoAnswer()
{
    CForwardDlg dialog(Forwarding::NoAnswer);
    dialog.DoModal(m_hWnd);
}

void CDialerDlg::ForwardOnBusy()
{
    CForwardDlg dialog(Forwarding::Busy);
    dialog.DoModal(m_hWnd);
}
