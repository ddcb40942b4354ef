// CDlgDivideupItem: edits one filter rule ("振り分け項目"): the two
// conditions joined by And or Or, the target folder in a folder tree (with
// a button that makes a new folder), the server options, the colour label,
// no folder move and the read mark. The rule list dialog copies a rule in
// before and out after.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/ComboBox.h"
#include "classlib/TreeCtrl.h"
#include "transfer/DivideupData.h"
#include "transfer/DivideupItemValues.h"

class CDlgAddressNote;
class CMailMessage;

class CDlgDivideupItem : public CDialog
{
public:
    explicit CDlgDivideupItem(CWnd* pParent = nullptr);

    // The rule shown when the dialog opens, and the edited rule after OK.
    CDivideupData m_rule;
    // Making a rule from a mail: its header pre-fills the condition texts.
    const CMailMessage* m_pMailHeader = nullptr;
    // The chosen folder after OK.
    CString m_strFolderName;

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    void FillFolderTree();
    void FillColorCombo();
    void OnHeader1Changed() { OnHeaderChanged(1); }
    void OnHeader2Changed() { OnHeaderChanged(2); }
    void OnHeaderChanged(int nCondition);
    void OnLeaveClicked();
    void OnDeleteClicked();
    void OnColorChanged();
    void OnCreateFolder();
    void OnAddressBook();
    void UpdateEnabling();
    LRESULT OnDrawItem(WPARAM, LPARAM lParam);
    LRESULT OnMeasureItem(WPARAM, LPARAM lParam);
    LRESULT OnDestroyMsg(WPARAM, LPARAM);
    HTREEITEM FindTreeItem(HTREEITEM hFrom, int nFolderId) const;

    CTreeCtrl m_tree;
    CComboBox m_color;
    CImageList m_images;
    CDlgAddressNote* m_pAddressNote = nullptr;

    DECLARE_MESSAGE_MAP()
};
