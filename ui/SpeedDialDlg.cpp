#include "SpeedDialDlg.h"

#include "ToneOutput.h"
#include "resources/resource.h"

const MessageEntry<CSpeedDialDlg> CSpeedDialDlg::s_messageMap[] = {
    OnCommandEntry(IDC_SAVE_AND_SEND, &CSpeedDialDlg::SaveAndSend),
};

CSpeedDialDlg::CSpeedDialDlg() : CDialog(IDD_SPEEDDIAL) {}

bool CSpeedDialDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    return DispatchMessageMap<CSpeedDialDlg>(this, s_messageMap, message, wParam, lParam, result) ||
           CDialog::OnMessage(message, wParam, lParam, result);
}

BOOL CSpeedDialDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_SPEEDDIAL_NAME, m_szName);
    SetDlgItemText(IDC_SPEEDDIAL_NUMBER, m_szNumber);
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDC_SPEEDDIAL_NAME)), TRUE);
    return FALSE;
}

void CSpeedDialDlg::OnOK()
{
    CDialog::OnOK();
    StoreFields();
}

void CSpeedDialDlg::StoreFields()
{
    GetDlgItemText(IDC_SPEEDDIAL_NAME, m_szName, kFieldChars + 1);
    GetDlgItemText(IDC_SPEEDDIAL_NUMBER, m_szNumber, kFieldChars + 1);
}

void CSpeedDialDlg::SaveAndSend()
{
    OnOK();
    g_pToneGenerator->PlaySequence(m_szNumber);
}
