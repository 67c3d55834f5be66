// The call-forwarding dialogs: on no answer (a number and a delay in seconds, template
// 136) and on busy (a number only, template 137). OK sends the operator's code as typed.
#pragma once

#include "toolkit/Dialog.h"

enum class Forwarding { NoAnswer, Busy };

class CForwardDlg : public CDialog {
public:
    explicit CForwardDlg(Forwarding kind);
    ~CForwardDlg() override = default;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    Forwarding m_kind;
};
