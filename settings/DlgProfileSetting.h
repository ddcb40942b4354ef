// CDlgProfileSetting: "プロファイルの設定", the profile files of
// "Profile.Box": which accounts and folders a profile shows, its address
// book folder, route settings file and account settings file.
#pragma once

#include "classlib/Dialog.h"
#include "settings/ProfileDataSet.h"

class CDlgProfileSetting : public CDialog
{
public:
    // The folders of the mailbox, parents before children.
    struct FolderItem
    {
        int nId, nParentId;
        CString strName;
    };

    CDlgProfileSetting(const CString& profileName, const CString& profileBox, const CString& mailboxAccountFile,
                       const std::vector<FolderItem>& folders, CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    bool Save();
    void LoadSelected();

private:
    CString ProfilePath(const CString& name) const { return m_strProfileBox + "\\" + name; }
    CString SelectedName() const;
    void FillNames(const char* pszSelect);
    void FillAccounts(const std::vector<CString>& checked);
    void BuildTree();
    bool IsChanged() const;
    bool AskSave();
    void OnAdd();
    void OnDelete();
    void OnRename();
    void CheckSubFolders(HTREEITEM hItem, bool bCheck);
    Profile TakeFields();
    void RememberTexts();

    CString m_strProfileName, m_strProfileBox, m_strMailboxAccountFile;
    std::vector<FolderItem> m_folders;
    CString m_strLoadedName;
    CString m_strTexts[3];  // route, address book, account file as loaded or saved
    bool m_bModified = false;
    HWND m_hAccounts = nullptr, m_hTree = nullptr;
    bool m_bCtrlOnClick = false;
    // The folders checked, by id: the tree shows them, this holds them.
    std::vector<int> m_checkedFolders;
    void SetFolderChecked(HTREEITEM hItem, bool bCheck);
};
