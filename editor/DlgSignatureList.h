// CDlgSignatureList: the signatures of "Signature.Box" ("署名の編集"), added,
// edited, copied and deleted.
#pragma once

#include "classlib/Dialog.h"

class CDlgSignatureList : public CDialog
{
public:
    explicit CDlgSignatureList(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    // Fills the list from the folder and selects the first entry that
    // begins with the name.
    void Refill(const char* pszSelect);
    CString GetSelectedName() const;
    void OnAdd();
    void OnEdit();
    void OnCopy();
    void OnDelete();
};
