// "Om Vesmo": version, the maker's notice, free physical memory and "Ring Mig".
#pragma once

#include "toolkit/Dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();
    ~CAboutDlg() override = default;

    // The maker's contact number that "Ring Mig" dials; the hyphen plays as a silent slot.
    static constexpr const char* kContactNumber = "031-3900612";
    // The tone length of that call, whatever length the main window has applied.
    static constexpr int kCallToneLengthMs = 70;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    BOOL OnInitDialog() override;

private:
    static const MessageEntry<CAboutDlg> s_messageMap[];

    void OnCallMe();
};
