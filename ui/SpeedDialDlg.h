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
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    static const MessageEntry<CSpeedDialDlg> s_messageMap[];

    // The dialog keeps at most 79 characters of each field, one fewer than a record holds.
    static constexpr int kFieldChars = static_cast<int>(kFieldSize) - 2;

    void SaveAndSend();
    void StoreFields();
};
