#include "AboutDlg.h"

#include "ToneOutput.h"
#include "resources/resource.h"
#include "toolkit/App.h"

#include <climits>
#include <cstdio>

const MessageEntry<CAboutDlg> CAboutDlg::s_messageMap[] = {
    OnCommandEntry(IDC_CALLME, &CAboutDlg::OnCallMe),
};

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

bool CAboutDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    return DispatchMessageMap<CAboutDlg>(this, s_messageMap, message, wParam, lParam, result) ||
           CDialog::OnMessage(message, wParam, lParam, result);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    // The 64-bit query, so that a machine with more than 4 GB shows its true figure.
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    ::GlobalMemoryStatusEx(&status);
    const unsigned long long availableKb = status.ullAvailPhys >> 10;
    const unsigned long shownKb = availableKb > ULONG_MAX ? ULONG_MAX : static_cast<unsigned long>(availableKb);
    char memory[64];
    std::snprintf(memory, sizeof memory, LoadStringResource(IDS_MEMFORMAT).c_str(), shownKb);

    SetDlgItemText(IDC_SYSINFO, LoadStringResource(IDS_SYSINFO).c_str());
    SetDlgItemText(IDC_FREEMEM_LABEL, LoadStringResource(IDS_FREEMEM).c_str());
    SetDlgItemText(IDC_FREEMEM, memory);
    SetDlgItemText(IDC_NOTICE, LoadStringResource(IDS_NOTICE).c_str());
    SetDlgItemText(IDC_VERSION, LoadStringResource(IDS_VERSION).c_str());
    return TRUE;
}

// Afterwards the generator is back at the start length.
void CAboutDlg::OnCallMe()
{
    g_pToneGenerator->SetToneLength(kCallToneLengthMs);
    g_pToneGenerator->PlaySequence(kContactNumber);
    g_pToneGenerator->SetToneLength(kStartToneLengthMs);
}
