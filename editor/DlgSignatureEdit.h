// CDlgSignatureEdit: edits one signature ("署名の編集"): its name and its
// text in the editor font. OK saves it, renaming it when the name changed.
#pragma once

#include "classlib/Dialog.h"
#include "editor/EditorFont.h"

class CDlgSignatureEdit : public CDialog
{
public:
    // pszName empty: a new signature.
    explicit CDlgSignatureEdit(const char* pszName, CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // The name it was saved under after OK.
    CString m_strName;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    CString m_strOpenedName;
    CEditorFont m_font;
};
