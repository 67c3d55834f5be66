#include "ForwardDlg.h"

#include "ToneOutput.h"
#include "resources/resource.h"

#include <cstdio>

CForwardDlg::CForwardDlg(Forwarding kind)
    : CDialog(kind == Forwarding::NoAnswer ? IDD_FORWARD : IDD_FORWARD_BUSY), m_kind(kind)
{
}

BOOL CForwardDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDC_FORWARD_NUMBER)), TRUE);
    return FALSE;
}

// Nothing typed is checked: the operator's exchange judges the code, as it would if the
// user keyed it on the telephone.
void CForwardDlg::OnOK()
{
    // The fields are read into fixed buffers, at most 126 characters of the number and 8
    // of the seconds, so that the whole code fits the 255 characters a sent number has.
    constexpr int kNumberChars = 126;
    constexpr int kSecondsChars = 8;
    char number[kNumberChars + 1];
    char seconds[kSecondsChars + 1];
    char code[256];
    GetDlgItemText(IDC_FORWARD_NUMBER, number, kNumberChars + 1);
    if (m_kind == Forwarding::NoAnswer) {
        GetDlgItemText(IDC_FORWARD_SECONDS, seconds, kSecondsChars + 1);
        std::snprintf(code, sizeof code, "*61*%s*%s#", number, seconds);
    } else {
        std::snprintf(code, sizeof code, "*67*%s#", number);
    }
    g_pToneGenerator->PlaySequence(code);
    CDialog::OnOK();
}
