// CDlgTemplateSelect: chooses a template of "Template.Box" ("テンプレートの
// 選択") and manages them. Mode 0 chooses one for a reply (with the check
// "全員へ(&A)"), mode 1 only manages ("テンプレートの編集"), mode 2 chooses one
// for a new mail.
#pragma once

#include "classlib/Dialog.h"

class CDlgTemplateSelect : public CDialog
{
public:
    // Opens the template edit dialog on a name (empty: a new template);
    // true when a template was saved, its name in savedName.
    typedef bool (*TemplateEditor)(CWnd* pParent, const char* pszName, CString& savedName);

    explicit CDlgTemplateSelect(int nMode, CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Until an editor is installed, "追加" and "編集" are disabled.
    static TemplateEditor SetTemplateEditor(TemplateEditor editor);

    // After OK: the chosen template's name and full path, and the check.
    CString m_strName;
    CString m_strPath;
    BOOL m_bReplyAll = FALSE;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void Refill(const char* pszSelect);
    CString GetSelectedName() const;
    void OnEdit(bool bNew);
    void OnCopy();
    void OnDelete();

    int m_nMode;
};
