// CAttachListCtrl: the list of attached files of the editor, the template
// edit dialog and the mail views. It lists one attachment folder (watched,
// when it has an owner view, so that files copied in or removed outside the
// program show at once) or files added one by one, and opens, saves, copies,
// drags and removes them. Files of kind 1 and 2 are temporary copies that go
// with their row (kind 2 with their folder).
#pragma once

#include "classlib/ListCtrl.h"
#include "classlib/CriticalSection.h"
#include "editor/DirChangeWatcher.h"

#include <memory>
#include <vector>

// A view that shows a listed mail's HTML part and inline texts itself.
class CAttachListOwner
{
public:
    virtual ~CAttachListOwner() = default;
    virtual void ShowHtmlFile(const char* pszPath) = 0;
    virtual void ShowInlineText(const char* pszText) = 0;
};

class CAttachListCtrl : public CListCtrl
{
public:
    enum Kind { kindFile = 0, kindTempFile = 1, kindTempFolder = 2 };
    // Posted to the parent after every change of the items.
    enum { WM_QD_ATTACH_LIST_CHANGED = 2024 };

    CAttachListCtrl();
    ~CAttachListCtrl() override;

    // Makes the list in place of a dialog's control of that id (same place,
    // id and visibility); false when there is none.
    bool CreateInPlaceOf(CWnd* pParent, int nId);
    void InitList();

    // Shows a folder; with an owner the folder is watched. The item count.
    int SetFolder(bool bHtmlMode, const char* pszFolder, CAttachListOwner* pOwner, bool bPlainListing);
    void AddFile(const char* pszPath, int nKind);
    void AddFileSorted(const char* pszPath, int nKind);
    void Sort();
    int64_t GetTotalSize() const;
    void DeleteTempFiles();
    bool RenameFolder(const char* pszNewPath);
    // Rows of vanished files are dropped (editor mode), else the folder is
    // listed again.
    void Refresh();

    int GetCount() const { return static_cast<int>(m_items.size()); }
    CString GetPath(int n) const;
    int GetKind(int n) const;
    bool IsSelected(int n) const;
    bool HasPath(const char* pszPath) const;
    void RemoveItem(int n);
    // Replaces the path of item n (an archive takes the place of its file).
    void SetPath(int n, const char* pszPath);
    const CString& GetFolder() const { return m_strFolder; }
    // The listed files stay, but no longer stand for a folder of the list's
    // own (a forward lists the source mail's folder, which it must not move).
    void ForgetFolder() { m_strFolder.Empty(); }
    void SetDeleteMode(bool bDelete) { m_bDeleteMode = bDelete; }
    // The two values posted with the change message.
    void SetIdentity(WPARAM wFirst, LPARAM lSecond);

    // The user's operations, also reachable from the context menu.
    void OpenItem(int n);
    void RemoveSelected();
    void CopySelected();
    void SaveSelectedAs();
    void OpenWithApplication(int nSlot);
    void ShowContextMenu(POINT ptScreen);

protected:
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnDblClick(NMHDR* pNotify, LRESULT* pResult);
    void OnRightClick(NMHDR* pNotify, LRESULT* pResult);
    void OnBeginDrag(NMHDR* pNotify, LRESULT* pResult);
    LRESULT OnDirChanged(WPARAM, LPARAM);
    LRESULT OnCopyMessage(WPARAM, LPARAM);
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    struct Item
    {
        CString path;
        int kind;
        // A temporary file's place as the file system resolved it when it
        // was listed: deleting it later checks that its name still leads
        // there, not through a link or junction put in since.
        CString resolvedPath;
    };
    void ListFolder(bool bPlainListing);
    bool MoveFolder(const char* pszNewPath);
    void RebuildRows();
    void InsertRow(int n);
    void NotifyChanged();
    void DeleteItemFile(const Item& item) const;
    // The selected files, or every file when none is selected.
    void CollectFiles(bool bAllWhenNoneSelected, CStringArray& files) const;

    std::vector<std::unique_ptr<Item>> m_items;
    CCriticalSection m_refreshLock;
    std::unique_ptr<CDirChangeWatcher> m_pWatcher;
    CString m_strFolder;
    CString m_strShownHtml;
    bool m_bDeleteMode = false;
    bool m_bHtmlMode = false;
    bool m_bPlainListing = false;
    CAttachListOwner* m_pOwner = nullptr;
    WPARAM m_wIdentity = 0;
    LPARAM m_lIdentity = 0;
};

// A file drop list (DROPFILES with wide names) of the paths; the caller owns
// the memory. Used for the clipboard and for drags.
HGLOBAL MakeFileDropList(const CStringArray& paths);

// The size label of an attachment area: "%ld Byte" below 1 KB, else KB or
// MB with one decimal, cut rather than rounded.
CString FormatAttachmentSize(int64_t nBytes);
