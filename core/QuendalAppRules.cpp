// The application's filter-rule sets, notification rules, receive log and
// route settings: loading, lookup by name, and the few operations other
// subsystems ask of them.
#include "core/QuendalApp.h"

#include "core/AccountDataSet.h"
#include "core/FileUtil.h"
#include "store/MailFolderStore.h"
#include "transfer/DivideupDataSet.h"
#include "transfer/FilterGroupPatterns.h"
#include "transfer/ReceiveLogDataSet.h"
#include "transfer/ReceiveNotifyDataSet.h"
#include "transfer/RouteSetData.h"

#include <algorithm>
#include <vector>

namespace {

// A strict order of rule-set names: case-insensitive first, then the exact
// bytes, so two names never compare equal unless they are the same.
bool RuleSetNameLess(CDivideupDataSet* a, CDivideupDataSet* b)
{
    CString na = a->GetFileName(), nb = b->GetFileName();
    int c = na.CompareNoCase(nb);
    if (c != 0)
        return c < 0;
    return na.Compare(nb) < 0;
}

void SortRuleSets(CPtrArray& sets)
{
    std::vector<CDivideupDataSet*> v;
    for (int i = 0; i < sets.GetSize(); ++i)
        v.push_back(static_cast<CDivideupDataSet*>(sets[i]));
    std::sort(v.begin(), v.end(), RuleSetNameLess);
    for (int i = 0; i < sets.GetSize(); ++i)
        sets[i] = v[static_cast<size_t>(i)];
}

void AddDefaultJunkRule(CDivideupDataSet& set, int nFolderId)
{
    CDivideupData rule;
    rule.m_strHeader1 = "From";
    rule.m_strString1 = "%GL$迷惑メール$%";
    rule.m_bDeleteOnServer = TRUE;
    rule.m_bNotReceive = TRUE;
    rule.m_nColorLabel = -1;
    rule.m_nProtected = 1;
    rule.m_nFolderId = nFolderId;
    set.AddRule(rule);
}

BOOL GetFileStamp(const char* pszPath, int64_t& size, FILETIME& time)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(pszPath, GetFileExInfoStandard, &data))
        return FALSE;
    size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    time = data.ftLastWriteTime;
    return TRUE;
}

} // namespace

BOOL CQuendalApp::LoadFilterRules()
{
    CSingleLock lock(&m_ruleTableLock, TRUE);
    if (!m_pGroupPatterns) {
        m_pGroupPatterns = new CFilterGroupPatterns;
        m_pGroupPatterns->Install();
    }
    m_pGroupPatterns->SetAddressBoxPath(GetAddressBoxPath());

    if (!m_pReceiveRules)
        m_pReceiveRules = new CDivideupDataSet;
    m_pReceiveRules->SetFilePath(GetFilterRulePath(FALSE));
    BOOL ok = m_pReceiveRules->ReadFromFile(TRUE);
    // A file that could not be read is not empty: adding the default rule
    // and writing would replace the user's rules. A file whose every line
    // was dropped keeps its lines for the user to mend; the default rule
    // then guards in memory only.
    if (ok && m_pReceiveRules->GetRuleCount() == 0) {
        // Junk mail is not fetched; should it be filed all the same (a run
        // over a folder), the inbox loses nothing.
        AddDefaultJunkRule(*m_pReceiveRules, m_nInboxId);
        if (m_pReceiveRules->GetDroppedCount() == 0)
            m_pReceiveRules->WriteToFile();
    }

    if (!m_pSendRules)
        m_pSendRules = new CDivideupDataSet;
    m_pSendRules->SetFilePath(GetFilterRulePath(TRUE));
    if (!m_pSendRules->ReadFromFile(TRUE))
        ok = FALSE;

    for (int i = 0; i < m_namedRuleSets.GetSize(); ++i)
        delete static_cast<CDivideupDataSet*>(m_namedRuleSets[i]);
    m_namedRuleSets.RemoveAll();
    CString box = GetDivideupBoxPath();
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA(CombinePath(box, "*"), &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            CString name(fd.cFileName);
            // A leftover of an interrupted save is no rule set.
            if (name.GetLength() > 4 && name.Right(4) == ".$$$")
                continue;
            CDivideupDataSet* set = new CDivideupDataSet;
            set->SetFilePath(CombinePath(box, name));
            set->ReadFromFile(TRUE);
            m_namedRuleSets.Add(set);
        } while (FindNextFileA(hFind, &fd));
        FindClose(hFind);
    }
    SortRuleSets(m_namedRuleSets);
    return ok;
}

CDivideupDataSet* CQuendalApp::GetReceiveRuleSet()
{
    if (!m_pReceiveRules || !m_pReceiveRules->IsLoaded())
        LoadFilterRules();
    return m_pReceiveRules;
}

CDivideupDataSet* CQuendalApp::GetSendRuleSet()
{
    if (!m_pSendRules || !m_pSendRules->IsLoaded())
        LoadFilterRules();
    return m_pSendRules;
}

CDivideupDataSet* CQuendalApp::GetNamedRuleSet(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_namedRuleSets.GetSize())
        return nullptr;
    return static_cast<CDivideupDataSet*>(m_namedRuleSets[nIndex]);
}

CDivideupDataSet* CQuendalApp::FindRuleSet(const char* pszName)
{
    if (!pszName)
        return nullptr;
    if (!m_pReceiveRules)
        LoadFilterRules();
    CSingleLock lock(&m_ruleTableLock, TRUE);
    for (int i = 0; i < m_namedRuleSets.GetSize(); ++i) {
        CDivideupDataSet* set = GetNamedRuleSet(i);
        if (set->GetFileName().CompareNoCase(pszName) == 0)
            return set;
    }
    return nullptr;
}

CDivideupDataSet* CQuendalApp::AddNamedRuleSet(const char* pszName)
{
    if (!CDivideupDataSet::IsValidSetName(pszName) || FindRuleSet(pszName))
        return nullptr;
    CSingleLock lock(&m_ruleTableLock, TRUE);
    CDivideupDataSet* set = new CDivideupDataSet;
    set->SetFilePath(CombinePath(GetDivideupBoxPath(), pszName));
    set->ReadFromFile(TRUE);
    m_namedRuleSets.Add(set);
    SortRuleSets(m_namedRuleSets);
    return set;
}

BOOL CQuendalApp::RenameNamedRuleSet(const char* pszOldName, const char* pszNewName)
{
    CDivideupDataSet* set = FindRuleSet(pszOldName);
    if (!set || !CDivideupDataSet::IsValidSetName(pszNewName))
        return FALSE;
    CDivideupDataSet* other = FindRuleSet(pszNewName);
    if (other && other != set)
        return FALSE;
    CString oldName = set->GetFileName();
    CString newPath = CombinePath(GetDivideupBoxPath(), pszNewName);
    if (GetFileAttributesA(set->GetFilePath()) != INVALID_FILE_ATTRIBUTES && !MoveFileA(set->GetFilePath(), newPath))
        return FALSE;
    {
        CSingleLock lock(&m_ruleTableLock, TRUE);
        set->SetFilePath(newPath);
        SortRuleSets(m_namedRuleSets);
    }
    // Folders that name the set follow it.
    for (int i = 0; i < GetFolderCount(); ++i) {
        CMailFolderStore* folder = GetFolderAt(i);
        CString& own = folder->GetFolderRecord().m_strText[22 - 11];
        if (!own.IsEmpty() && own == oldName) {
            own = pszNewName;
            folder->WriteFolderSettings();
        }
    }
    return TRUE;
}

BOOL CQuendalApp::DeleteNamedRuleSet(const char* pszName)
{
    CDivideupDataSet* set = FindRuleSet(pszName);
    if (!set)
        return FALSE;
    DeleteFileA(set->GetFilePath());
    CSingleLock lock(&m_ruleTableLock, TRUE);
    for (int i = 0; i < m_namedRuleSets.GetSize(); ++i)
        if (m_namedRuleSets[i] == set) {
            m_namedRuleSets.RemoveAt(i);
            break;
        }
    delete set;
    return TRUE;
}

void CQuendalApp::RetargetFilterRules(int nRemovedFolderId, int nInboxId)
{
    CDivideupDataSet* sets[] = { GetReceiveRuleSet(), GetSendRuleSet() };
    for (CDivideupDataSet* set : sets)
        if (set && set->RetargetFolder(nRemovedFolderId, nInboxId) > 0)
            set->WriteToFile();
    for (int i = 0; i < GetNamedRuleSetCount(); ++i) {
        CDivideupDataSet* set = GetNamedRuleSet(i);
        if (set->RetargetFolder(nRemovedFolderId, nInboxId) > 0)
            set->WriteToFile();
    }
}

BOOL CQuendalApp::LoadNotifyRules()
{
    CSingleLock lock(&m_ruleTableLock, TRUE);
    if (!m_pNotifyRules)
        m_pNotifyRules = new CReceiveNotifyDataSet;
    m_pNotifyRules->SetFilePath(GetNotifyPath());
    return m_pNotifyRules->ReadFromFile(TRUE);
}

CReceiveNotifyDataSet* CQuendalApp::GetNotifyRules()
{
    if (!m_pNotifyRules || !m_pNotifyRules->IsLoaded())
        LoadNotifyRules();
    return m_pNotifyRules;
}

CReceiveLogDataSet* CQuendalApp::GetReceiveLog()
{
    CSingleLock lock(&m_receiveLogLock, TRUE);
    if (!m_pReceiveLog)
        m_pReceiveLog = new CReceiveLogDataSet;
    if (!m_pReceiveLog->IsLoaded()) {
        m_pReceiveLog->SetFilePath(GetReceiveLogPath());
        m_pReceiveLog->ReadFromFile(TRUE);
    }
    return m_pReceiveLog;
}

void CQuendalApp::AddReceiveLog(const char* pszAccount, const char* pszResult, int nCount)
{
    int limit = GetProfileInt("Setting", "CVMReceiveLogCount", 100);
    if (limit < 1)
        return;
    CReceiveLogDataSet* log = GetReceiveLog();
    CReceiveLogRecord* entry = new CReceiveLogRecord;
    SetReceiveLogEntry(pszAccount, *entry, pszResult, nCount);
    CSingleLock lock(&m_receiveLogLock, TRUE);
    log->AddEntry(entry, limit);
}

CRouteSetData* CQuendalApp::GetRouteSet()
{
    CSingleLock lock(&m_ruleTableLock, TRUE);
    if (!m_pRouteSet)
        m_pRouteSet = new CRouteSetData;
    if (!m_pRouteSet->IsLoaded()) {
        m_pRouteSet->SetFilePath(GetRouteFilePath());
        m_pRouteSet->ReadFromFile(TRUE);
    }
    return m_pRouteSet;
}

int CQuendalApp::GetRouteInterval()
{
    CTime now = CTime::GetCurrentTime();
    return GetRouteSet()->GetIntervalAt(now.GetHour() * 100 + now.GetMinute());
}

void CQuendalApp::SyncRouteAccounts()
{
    if (m_pAccountDataSet)
        GetRouteSet()->SyncAccounts(*m_pAccountDataSet);
}

BOOL CQuendalApp::RenameRouteAccount(const char* pszOldName, const char* pszNewName)
{
    CRouteSetData* route = GetRouteSet();
    if (!route->RenameAccount(pszOldName, pszNewName))
        return FALSE;
    return route->WriteToFile();
}

void CQuendalApp::AddRouteAccount(const char* pszAccountName)
{
    CRouteSetData* route = GetRouteSet();
    // A table that never held account records first takes the accounts
    // flagged for the route, as it would at the next start.
    if (route->m_nFormat == 0)
        SyncRouteAccounts();
    if (!pszAccountName || route->HasAccount(pszAccountName))
        return;
    route->AddAccount(pszAccountName);
    route->m_nFormat = 1;
    route->WriteToFile();
}

void CQuendalApp::MarkDownloadLogShown()
{
    int64_t size = 0;
    FILETIME time = {};
    if (GetFileStamp(GetDownloadLogPath(), size, time)) {
        m_nShownDownloadLogSize = size;
        m_shownDownloadLogTime = time;
    }
}

BOOL CQuendalApp::DeleteShownDownloadLog()
{
    int64_t size = 0;
    FILETIME time = {};
    if (!GetFileStamp(GetDownloadLogPath(), size, time))
        return FALSE;
    // Reports appended since the log was shown have not been read.
    if (size != m_nShownDownloadLogSize || CompareFileTime(&time, &m_shownDownloadLogTime) != 0)
        return FALSE;
    m_nShownDownloadLogSize = -1;
    return DeleteDownloadLog();
}

void CQuendalApp::FreeRuleTables()
{
    delete m_pGroupPatterns;
    m_pGroupPatterns = nullptr;
    delete m_pReceiveRules;
    m_pReceiveRules = nullptr;
    delete m_pSendRules;
    m_pSendRules = nullptr;
    for (int i = 0; i < m_namedRuleSets.GetSize(); ++i)
        delete static_cast<CDivideupDataSet*>(m_namedRuleSets[i]);
    m_namedRuleSets.RemoveAll();
    delete m_pNotifyRules;
    m_pNotifyRules = nullptr;
    delete m_pReceiveLog;
    m_pReceiveLog = nullptr;
    delete m_pRouteSet;
    m_pRouteSet = nullptr;
}
