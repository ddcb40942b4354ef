// CDlgTemplateEdit: edits one template of "Template.Box" ("テンプレートの
// 編集"): its name, account, header fields, signature, Reply-To, attached
// files, attachment folder and body. OK writes the file.
#pragma once

#include "classlib/Dialog.h"
#include "editor/AttachListCtrl.h"
#include "editor/EditorFont.h"

class CDlgTemplateEdit : public CDialog
{
public:
    // pszName empty: a new template.
    explicit CDlgTemplateEdit(const char* pszName, CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // The name it was saved under after OK.
    CString m_strName;

    // The template selection dialog's way of running this one.
    static bool Run(CWnd* pParent, const char* pszName, CString& savedName);

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void FillSignatureCombo();
    void FillAccountCombo();
    void LoadTemplate();
    void EnableHeaderFields();
    void PickAddresses(int nField);
    void AddAttachment();
    void BrowseFolder();

    CString m_strOpenedName;
    CEditorFont m_font;
    CAttachListCtrl m_attachList;
};
