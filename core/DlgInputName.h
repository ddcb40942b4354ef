// CDlgInputName: asks for a name ("名前の入力"). With the file-name flag the
// name must be usable as a file name.
#pragma once

#include "classlib/Dialog.h"

class CDlgInputName : public CDialog
{
public:
    // pszLabel null or empty: "コピーする名前を入力してください(&N)".
    CDlgInputName(const char* pszLabel = nullptr, BOOL bFileName = FALSE, CWnd* pParent = nullptr);

    // Shown in the edit when the dialog opens; the typed name after OK.
    CString m_strName;

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    CString m_strLabel;
    BOOL m_bFileName;
};
