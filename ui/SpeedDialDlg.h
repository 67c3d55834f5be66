// One speed-dial entry: the record (name and number, kept in sfile.vmo) and the dialog
// "Programmera kortnummer" that edits it.
#pragma once

#include "SpeedDialEntry.h"
#include "toolkit/Dialog.h"

class CSpeedDialDlg : public CDialog, public SpeedDialEntry {
public:
    CSpeedDialDlg();
    ~CSpeedDialDlg() override = default;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void DoDataExchange(bool save) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    static const MessageEntry<CSpeedDialDlg> s_messageMap[];

    void SaveAndSend();
    void StoreFields();

    CWnd m_wndSaveAndSend;
};
