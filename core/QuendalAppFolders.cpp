// The application's folder registry (every open folder store of the mailbox,
// in folder-tree order), saving the folder list, and the preparation of a
// mailbox with its default folders and address book.
#include "core/QuendalApp.h"

#include "core/AccountDataSet.h"
#include "core/FileSteps.h"
#include "core/FileUtil.h"
#include "store/FolderData.h"
#include "store/FolderRegistryHooks.h"
#include "store/MailFolderStore.h"

#include <algorithm>
#include <map>
#include <vector>

FolderRegistryHooks& GetFolderRegistryHooks()
{
    static FolderRegistryHooks hooks;
    return hooks;
}

namespace {

bool MainWindowExists()
{
    FolderRegistryHooks& h = GetFolderRegistryHooks();
    return h.pfnMainWindowExists && h.pfnMainWindowExists();
}

void FinishIndexOf(CMailFolderStore* store)
{
    int kind = store->GetKind();
    if ((kind == CFolderRecord::kindWriting || kind == CFolderRecord::kindSend) && store->IsIndexLoaded())
        store->GetMailListNoLoad()->SaveIndex();
    store->GetMailListNoLoad()->CloseFile();
}

CString SiblingPath(const CString& datPath, const char* pszExtension)
{
    CString path = datPath;
    ReplaceFileExtension(path, pszExtension);
    return path;
}

} // namespace

CMailFolderStore* CQuendalApp::GetFolderAt(int nPos) const
{
    if (nPos < 0 || nPos >= m_folderStores.GetSize())
        return nullptr;
    return static_cast<CMailFolderStore*>(m_folderStores[nPos]);
}

BOOL CQuendalApp::LoadFolderList(CFolderData& data)
{
    data.SetBaseFolder(GetMailBoxFolder());
    data.SetFilePath(GetFolderDataPath());
    return data.ReadFromFile(TRUE);
}

BOOL CQuendalApp::OpenFolderList()
{
    CString datPath = GetFolderDataPath();
    // A save interrupted between writing "Folder.$$$" and moving it over
    // "Folder.dat" leaves the complete new list in "Folder.$$$".
    if (GetFileAttributesA(datPath) == INVALID_FILE_ATTRIBUTES) {
        CString temp = SiblingPath(datPath, ".$$$");
        CString bak = SiblingPath(datPath, ".bak");
        BOOL recovered = TRUE;
        if (GetFileAttributesA(temp) != INVALID_FILE_ATTRIBUTES)
            recovered = FileSteps::MoveReplacing(temp, datPath);
        else if (GetFileAttributesA(bak) != INVALID_FILE_ATTRIBUTES)
            recovered = FileSteps::CopyOver(bak, datPath);
        if (!recovered) {
            // The saved list stays where it is for the next start; a list
            // made afresh now would be written over it.
            CString text = "[%FILEPATH%]が開けませんでした。";
            text.Replace("%FILEPATH%", datPath);
            AfxMessageBox(text + "\r\n" + AfxSystemErrorText(GetLastError()), MB_OK | MB_ICONERROR);
            return FALSE;
        }
    }
    CFolderData data;
    if (!LoadFolderList(data))
        return FALSE;
    data.Validate();

    CloseAllFolders();
    // Pre-order over the tree, children in list order.
    std::map<int, std::vector<CFolderRecord*>> children;
    for (int i = 0; i < data.GetRecordCount(TRUE); i++) {
        CFolderRecord* r = data.GetFolder(i);
        children[r->m_nParentId].push_back(r);
    }
    std::vector<CFolderRecord*> stack;
    const std::vector<CFolderRecord*>& top = children[0];
    for (auto it = top.rbegin(); it != top.rend(); ++it)
        stack.push_back(*it);
    while (!stack.empty()) {
        CFolderRecord* r = stack.back();
        stack.pop_back();
        data.ResolveFolderPath(r);
        AddFolder(0, 0, nullptr, *r);
        auto c = children.find(r->m_nId);
        if (c != children.end())
            for (auto it = c->second.rbegin(); it != c->second.rend(); ++it)
                stack.push_back(*it);
    }
    return TRUE;
}

CMailFolderStore* CQuendalApp::FindFolder(int nFolderId, int* pnPos)
{
    for (int i = 0; i < m_folderStores.GetSize(); i++) {
        CMailFolderStore* s = GetFolderAt(i);
        if (s && s->GetFolderId() == nFolderId) {
            if (pnPos)
                *pnPos = i;
            return s;
        }
    }
    if (pnPos)
        *pnPos = m_folderStores.GetSize();
    return nullptr;
}

int CQuendalApp::GetNewFolderId()
{
    int id = 1;
    for (int i = 0; i < m_folderStores.GetSize(); i++) {
        CMailFolderStore* s = GetFolderAt(i);
        if (s && s->GetFolderId() == id) {
            id++;
            i = -1;
        }
    }
    return id;
}

BOOL CQuendalApp::IsFolderPathUsed(int nFolderId, const char* pszPath)
{
    if (!pszPath)
        return FALSE;
    for (int i = 0; i < m_folderStores.GetSize(); i++) {
        CMailFolderStore* s = GetFolderAt(i);
        if (s && s->GetFolderId() != nFolderId && s->GetFolderPath().CompareNoCase(pszPath) == 0)
            return TRUE;
    }
    return FALSE;
}

BOOL CQuendalApp::IsFolderPathHoldingOther(CMailFolderStore* pStore)
{
    if (!pStore || pStore->GetFolderPath().IsEmpty())
        return FALSE;
    CString own = pStore->GetFolderPath();
    own.MakeLower();
    for (int i = 0; i < m_folderStores.GetSize(); i++) {
        CMailFolderStore* s = GetFolderAt(i);
        if (!s || s == pStore)
            continue;
        CString other = s->GetFolderPath();
        other.MakeLower();
        if (other.GetLength() >= own.GetLength() && other.Left(own.GetLength()) == own)
            return TRUE;
    }
    return FALSE;
}

int CQuendalApp::GetPrevSiblingFolderId(int nFolderId)
{
    int pos = -1;
    CMailFolderStore* store = FindFolder(nFolderId, &pos);
    if (!store)
        return 0;
    for (int i = pos - 1; i >= 0; i--) {
        CMailFolderStore* s = GetFolderAt(i);
        if (s && s->GetParentId() == store->GetParentId())
            return s->GetFolderId();
    }
    CMailFolderStore* before = GetFolderAt(pos - 1);
    return before ? before->GetFolderId() : 0;
}

CMailFolderStore* CQuendalApp::AddFolder(int nAfterId, int nParentId, void* hTreeItem, const CFolderRecord& record)
{
    CMailFolderStore* store = new CMailFolderStore;
    store->SetFolderRecord(record);
    store->GetMailListNoLoad()->SetUnreadCount(record.m_nUnread < 0 ? 0 : record.m_nUnread);
    store->m_hTreeItem = hTreeItem;
    store->PostCountMessages();

    int pos = m_folderStores.GetSize();
    if (nAfterId && !nParentId) {
        int after = -1;
        if (FindFolder(nAfterId, &after))
            pos = after + 1;
    } else if (nParentId) {
        int parentPos = -1;
        if (FindFolder(nParentId, &parentPos)) {
            CPtrArray block;
            CollectSubFolders(nParentId, block);
            pos = parentPos + block.GetSize();
        }
    }
    m_folderStores.InsertAt(pos, store);

    switch (record.m_nKind) {
    case CFolderRecord::kindInbox: m_nInboxId = record.m_nId; break;
    case CFolderRecord::kindSent: m_nSentId = record.m_nId; break;
    case CFolderRecord::kindWriting: m_nWritingId = record.m_nId; break;
    case CFolderRecord::kindTrash: m_nTrashId = record.m_nId; break;
    case CFolderRecord::kindSend: m_nSendId = record.m_nId; break;
    default:
        if (record.m_nIcon == 8)
            m_nGroupId = record.m_nId;
        break;
    }
    FolderRegistryHooks& h = GetFolderRegistryHooks();
    if (MainWindowExists() && h.pfnRefreshCurrentTreeItem)
        h.pfnRefreshCurrentTreeItem();
    return store;
}

void CQuendalApp::CollectSubFolders(int nFolderId, CPtrArray& list)
{
    int pos = -1;
    CMailFolderStore* store = FindFolder(nFolderId, &pos);
    if (!store)
        return;
    // The array is in tree order: the descendants follow the folder directly.
    std::vector<int> ancestors{nFolderId};
    list.Add(store);
    for (int i = pos + 1; i < m_folderStores.GetSize(); i++) {
        CMailFolderStore* s = GetFolderAt(i);
        auto it = std::find(ancestors.begin(), ancestors.end(), s->GetParentId());
        if (it == ancestors.end())
            break;
        ancestors.erase(it + 1, ancestors.end());
        ancestors.push_back(s->GetFolderId());
        list.Add(s);
    }
}

BOOL CQuendalApp::MoveFolder(int nFolderId, int nTargetId, int nAnchorId)
{
    if (nFolderId == nTargetId)
        return FALSE;
    CPtrArray block;
    CollectSubFolders(nFolderId, block);
    if (block.IsEmpty())
        return FALSE;
    for (int i = 0; i < block.GetSize(); i++)
        if (static_cast<CMailFolderStore*>(block[i])->GetFolderId() == nTargetId)
            return FALSE;  // into its own subtree
    int pos = -1;
    FindFolder(nFolderId, &pos);
    m_folderStores.RemoveAt(pos, block.GetSize());
    int targetPos = -1;
    if (!FindFolder(nTargetId, &targetPos)) {
        m_folderStores.Vector().insert(m_folderStores.Vector().begin() + pos, block.begin(), block.end());
        return FALSE;
    }
    int insertAt = targetPos + 1;
    if (nTargetId != nAnchorId) {
        CPtrArray targetBlock;
        CollectSubFolders(nTargetId, targetBlock);
        insertAt = targetPos + targetBlock.GetSize();
    }
    m_folderStores.Vector().insert(m_folderStores.Vector().begin() + insertAt, block.begin(), block.end());
    return TRUE;
}

void CQuendalApp::CollectMailFolders(CPtrArray& list)
{
    for (int i = 0; i < m_folderStores.GetSize(); i++) {
        CMailFolderStore* s = GetFolderAt(i);
        if (s && (s->GetKind() == CFolderRecord::kindNormal || s->GetKind() == CFolderRecord::kindInbox))
            list.Add(s);
    }
}

void CQuendalApp::RefreshSubjectTagFlag(int nFolderId)
{
    // The hide-tag setting is worked out when asked (GetInheritedHideTag);
    // what is refreshed here is the mail lists that show it.
    CPtrArray list;
    CollectSubFolders(nFolderId, list);
    for (int i = 0; i < list.GetSize(); i++) {
        CMailFolderStore* s = static_cast<CMailFolderStore*>(list[i]);
        if (s->IsIndexLoaded())
            s->GetMailListNoLoad()->ClearView(), s->GetMailListNoLoad()->ResetView();
    }
}

BOOL CQuendalApp::RemoveFolder(int nFolderId)
{
    FolderRegistryHooks& h = GetFolderRegistryHooks();
    if (h.pfnFolderRemoved)
        h.pfnFolderRemoved(nFolderId, m_nInboxId);
    int pos = -1;
    CMailFolderStore* store = FindFolder(nFolderId, &pos);
    if (!store)
        return FALSE;
    FinishIndexOf(store);
    if (m_pCurrentFolder == store) {
        m_pCurrentFolder = nullptr;
        m_nCurrentFolderId = 0;
    }
    m_folderStores.RemoveAt(pos);
    delete store;
    return TRUE;
}

void CQuendalApp::CloseAllFolders()
{
    for (int i = 0; i < m_folderStores.GetSize(); i++) {
        CMailFolderStore* s = GetFolderAt(i);
        if (!s)
            continue;
        FinishIndexOf(s);
        delete s;
    }
    m_folderStores.RemoveAll();
    m_pCurrentFolder = nullptr;
    m_nCurrentFolderId = 0;
}

void CQuendalApp::SetCurrentFolder(int nFolderId)
{
    m_nCurrentFolderId = nFolderId;
    m_pCurrentFolder = nFolderId ? FindFolder(nFolderId) : nullptr;
    if (m_pCurrentFolder)
        m_pCurrentFolder->Touch();
}

int CQuendalApp::GetCurrentFolderPos()
{
    for (int i = 0; i < m_folderStores.GetSize(); i++)
        if (m_folderStores[i] == m_pCurrentFolder && m_pCurrentFolder)
            return i;
    return -1;
}

CString CQuendalApp::GetCurrentFolderPath()
{
    return m_pCurrentFolder ? m_pCurrentFolder->GetFolderPath() : CString();
}

int CQuendalApp::GetDefaultFolderId(int nKind) const
{
    switch (nKind) {
    case CFolderRecord::kindInbox: return m_nInboxId;
    case CFolderRecord::kindSent: return m_nSentId;
    case CFolderRecord::kindWriting: return m_nWritingId;
    case CFolderRecord::kindTrash: return m_nTrashId;
    case CFolderRecord::kindSend: return m_nSendId;
    case CFolderRecord::kindGroup: return m_nGroupId;
    default: return 0;
    }
}

CMailFolderStore* CQuendalApp::GetDefaultFolder(int nKind)
{
    int id = GetDefaultFolderId(nKind);
    return id ? FindFolder(id) : nullptr;
}

CString CQuendalApp::GetDefaultFolderPath(int nKind)
{
    CMailFolderStore* s = GetDefaultFolder(nKind);
    return s ? s->GetFolderPath() : CString();
}

BOOL CQuendalApp::SaveFolderList()
{
    CSingleLock lock(&m_folderListLock, TRUE);
    CString datPath = GetFolderDataPath();
    CString temp = SiblingPath(datPath, ".$$$");
    CFolderData data(GetMailBoxFolder());
    for (int i = 0; i < m_folderStores.GetSize(); i++) {
        CMailFolderStore* s = GetFolderAt(i);
        if (!s)
            continue;
        CFolderRecord* r = new CFolderRecord(s->GetFolderRecord());
        r->m_bDeleted = 0;
        if (s->IsIndexLoaded()) {
            r->m_nUnread = s->GetUnreadCount();
            r->m_nMailCount = s->GetMailCount();
        }
        data.AddRecord(r);
    }
    data.SetFilePath(temp);
    if (!data.WriteToFile(TRUE))
        return FALSE;
    // The new list is complete in "Folder.$$$"; one atomic replace puts it in
    // place, so an interruption leaves either list whole (the old one, or
    // the new one still under the temporary name, which opening picks up).
    if (GetFileAttributesA(datPath) & FILE_ATTRIBUTE_DIRECTORY && GetFileAttributesA(datPath) != INVALID_FILE_ATTRIBUTES) {
        AfxMessageBox("SaveFolderData Error");
        return FALSE;
    }
    if (!MoveFileExA(temp, datPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        AfxMessageBox(CString("SaveFolderData Error:") + AfxSystemErrorText(GetLastError()));
        return FALSE;
    }
    return TRUE;
}

// ---- Mailbox preparation ----

BOOL CQuendalApp::CreateDefaultAddressBook()
{
    CString box = GetAddressBoxPath();
    if (!DirectoryExists(box))
        CreateDirectoryPath(box);
    static const char* const groupFiles[] = {"アドレス帳.dat", "迷惑メール.dat"};
    for (const char* name : groupFiles) {
        CString path = CombinePath(box, name);
        if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
            HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE)
                CloseHandle(h);
        }
    }
    CString groupList = CombinePath(box, "Group.lst");
    if (GetFileAttributesA(groupList) != INVALID_FILE_ATTRIBUTES)
        return TRUE;
    CFolderData groups(box);
    static const char* const groupNames[] = {"アドレス帳", "迷惑メール"};
    for (int i = 0; i < 2; i++) {
        CFolderRecord* r = static_cast<CFolderRecord*>(groups.CreateNewRecord());
        r->m_nId = i;
        r->m_nParentId = -1;
        r->m_strName = groupNames[i];
        r->m_nKind = 0;
        r->m_nIcon = 0;
        r->m_strPath = CombinePath(box, groupFiles[i]);
    }
    groups.SetFilePath(groupList);
    return groups.WriteToFile(TRUE);
}

BOOL CQuendalApp::CreateDefaultMailBox()
{
    CString mailbox = GetMailBoxFolder();
    if (!DirectoryExists(mailbox))
        CreateDirectoryPath(mailbox);
    CFolderData data(mailbox);
    data.SetFilePath(GetFolderDataPath());
    if (GetFileAttributesA(GetFolderDataPath()) != INVALID_FILE_ATTRIBUTES) {
        data.ReadFromFile(TRUE);
    } else {
        struct Default
        {
            const char* name;
            const char* dir;
            int kind, parent, id, icon;
        };
        static const Default defaults[] = {
            {"送信", nullptr, CFolderRecord::kindGroup, 0, 1, 8},
            {"作成中", "Writing.Box", CFolderRecord::kindWriting, 1, 2, 4},
            {"未送信", "Send.Box", CFolderRecord::kindSend, 1, 3, 24},
            {"送信済", "Out.Box", CFolderRecord::kindSent, 1, 4, 20},
            {"ごみ箱", "Trash.Box", CFolderRecord::kindTrash, 0, 5, 16},
            {"郵便受け", "In.Box", CFolderRecord::kindInbox, 0, 6, 12},
        };
        for (const Default& d : defaults) {
            CString dir;
            if (d.dir) {
                dir = CombinePath(mailbox, d.dir);
                if (!DirectoryExists(dir))
                    CreateDirectoryPath(dir);
            }
            CFolderRecord* r = static_cast<CFolderRecord*>(data.CreateNewRecord());
            r->m_strName = d.name;
            r->m_strPath = dir;
            r->m_nKind = d.kind;
            r->m_nParentId = d.parent;
            r->m_nId = d.id;
            r->m_nIcon = d.icon;
            r->m_strSound = "";
            r->m_nUnread = 0;
            r->m_nMailCount = 0;
            r->m_bExpanded = TRUE;
            r->m_bHideTag = FALSE;
            switch (d.kind) {
            case CFolderRecord::kindInbox: m_nInboxId = d.id; break;
            case CFolderRecord::kindSent: m_nSentId = d.id; break;
            case CFolderRecord::kindWriting: m_nWritingId = d.id; break;
            case CFolderRecord::kindTrash: m_nTrashId = d.id; break;
            case CFolderRecord::kindSend: m_nSendId = d.id; break;
            default: m_nGroupId = d.id; break;
            }
            // The folder carries its settings with it.
            if (!dir.IsEmpty() && DirectoryExists(dir)) {
                CFolderRecord copy(*r);
                CFolderData single(mailbox);
                single.WriteSingleRecord(CombinePath(dir, "FolderData.Dat"), &copy);
            }
        }
        if (!data.WriteToFile(TRUE))
            return FALSE;
        FolderRegistryHooks& h = GetFolderRegistryHooks();
        if (MainWindowExists() && h.pfnRebuildFolderTree)
            h.pfnRebuildFolderTree();
    }
    CreateDefaultAddressBook();
    return TRUE;
}

int CQuendalApp::PrepareMailBox(BOOL bForce)
{
    FolderRegistryHooks& h = GetFolderRegistryHooks();
    if (!m_bMailBoxPathRead) {
        ReadMailBoxPath();
        m_bMailBoxPathRead = TRUE;
    }
    // A mailbox is there once its folder list is. A bare folder (made by the
    // address-book thread of this start, or an empty folder given with /M) is
    // offered in the mailbox dialog and then gets the default folders and
    // address book.
    CString folder = GetMailBoxFolder();
    bool ready = !m_strMailBoxNameOverride.IsEmpty() && !m_strMailBoxPathOverride.IsEmpty() &&
                 DirectoryExists(folder) && !bForce &&
                 (FileExists(GetFolderDataPath()) || FileExists(CombinePath(folder, "Folder.$$$")) ||
                  FileExists(CombinePath(folder, "Folder.bak")));
    if (!ready) {
        int result = h.pfnMailBoxDialog ? h.pfnMailBoxDialog() : IDCANCEL;
        if (result != IDOK)
            return result;
        if (IsProfileFileMode())
            SaveProfileFile();
        m_strMailBoxNameOverride.Empty();
        m_strMailBoxPathOverride.Empty();
        ReadMailBoxPath();
        CreateDefaultMailBox();
    }

    if (m_pAccountDataSet) {
        m_pAccountDataSet->RemoveAll();
        m_pAccountDataSet->SetFilePath(GetAccountFilePath());
        if (!m_pAccountDataSet->IsLoaded())
            m_pAccountDataSet->ReadFromFile(TRUE);
        if (m_pAccountDataSet->GetRecordCount(TRUE) == 0 && !MainWindowExists() && h.pfnAccountWizard) {
            CAccountData account;
            bool route = false;
            if (h.pfnAccountWizard(account, route)) {
                CAccountData* added = static_cast<CAccountData*>(m_pAccountDataSet->CreateNewRecord());
                if (added) {
                    CopyAccountData(&account, added);
                    m_pAccountDataSet->WriteToFile(FALSE);
                    m_pAccountDataSet->Reload();
                    if (route && h.pfnAddAccountToRoute)
                        h.pfnAddAccountToRoute(account);
                }
            }
        }
    }
    if (MainWindowExists() && h.pfnRebuildFolderTree)
        h.pfnRebuildFolderTree();
    return 1;
}
