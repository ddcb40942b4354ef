// CDlgSendPasswordList: the kept send passwords and how a password is
// chosen at sending: asked each time (with the list to choose from) or the
// default password without a question.
#pragma once

#include "classlib/Dialog.h"
#include "editor/SendPassData.h"

class CDlgSendPasswordList : public CDialog
{
public:
    explicit CDlgSendPasswordList(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    // Reads the file again and lists it; selects the first name that begins
    // with the given one.
    void FillList(const char* pszSelect);
    void ApplyMode();
    CSendPassRecord* SelectedRecord(int* pnRow = nullptr) const;
    void Add();
    void Change();
    void Delete();
    void Move(bool bUp);
    void Close();

    CSendPassData m_passwords;
};
