#include "mainwnd/DlgNewFolder.h"

#include "core/NameCheck.h"
#include "mainwnd/FolderRules.h"
#include "resources/mainwnd/MainWndResource.h"

CDlgNewFolder::CDlgNewFolder(HTREEITEM hRefItem, CTreeCtrl* pTree, CWnd* pParent)
    : CDialog(IDD_NEW_FOLDER, pParent), m_hRefItem(hRefItem), m_pTree(pTree)
{
}

BOOL CDlgNewFolder::OnInitDialog()
{
    SetDlgItemText(IDC_FOLDER_NAME, m_strName);
    ::SendDlgItemMessageA(m_hWnd, IDC_FOLDER_NAME, EM_LIMITTEXT, 200, 0);
    int positions[] = { IDC_POSITION_ABOVE, IDC_POSITION_BELOW, IDC_POSITION_CHILD };
    CheckDlgButton(positions[m_nPosition >= 0 && m_nPosition <= 2 ? m_nPosition : 2], BST_CHECKED);
    return TRUE;
}

void CDlgNewFolder::OnOK()
{
    CString name = GetDlgItemText(IDC_FOLDER_NAME);
    // The name becomes a directory name: it must stay one entry of "Folders".
    if (!ValidateEntryName(name)) {
        ::SetFocus(GetDlgItemHwnd(IDC_FOLDER_NAME));
        return;
    }
    int position = IsDlgButtonChecked(IDC_POSITION_ABOVE) ? 0 : IsDlgButtonChecked(IDC_POSITION_BELOW) ? 1 : 2;
    if (m_hRefItem && m_pTree) {
        HTREEITEM hLevel = position == 2 ? m_hRefItem : m_pTree->GetParentItem(m_hRefItem);
        HTREEITEM hChild = hLevel ? m_pTree->GetChildItem(hLevel) : m_pTree->GetRootItem();
        CStringArray names;
        for (; hChild; hChild = m_pTree->GetNextSiblingItem(hChild))
            names.Add(m_pTree->GetItemText(hChild));
        if (FolderRules::IsNameAtLevel(names, name)) {
            CString question;
            question.Format("同じ名前のフォルダ「%s」が既にあります。\r\nこのまま作成しますか？", static_cast<const char*>(name));
            if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
                return;
        }
    }
    m_strName = name;
    m_nPosition = position;
    EndDialog(IDOK);
}
