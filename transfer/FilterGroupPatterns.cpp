#include "transfer/FilterGroupPatterns.h"

#include "addressbook/AddressDataSet.h"
#include "addressbook/AddressGroupDataSet.h"
#include "message/MailMessage.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<CFilterGroupPatterns*> g_active(nullptr);

// Re-checking the files costs a few file-system calls; a burst of
// condition tests (one mail, one folder run) checks them once.
const DWORD kCheckIntervalMs = 2000;

// The group name of a reference "%GL$name$%"; empty when the text is none.
CString GroupNameOf(const char* pszText)
{
    size_t len = std::strlen(pszText);
    if (len < 6 || std::strncmp(pszText, "%GL$", 4) != 0 || std::strcmp(pszText + len - 2, "$%") != 0)
        return CString();
    return CString(pszText + 4, static_cast<int>(len - 6));
}

} // namespace

CFilterGroupPatterns::~CFilterGroupPatterns()
{
    Uninstall();
}

void CFilterGroupPatterns::SetAddressBoxPath(const char* pszPath)
{
    CSingleLock lock(&m_lock, TRUE);
    m_strAddressBox = pszPath ? pszPath : "";
    m_bLoaded = false;
}

CFilterGroupPatterns::FileStamp CFilterGroupPatterns::StampOf(const char* pszPath)
{
    FileStamp s;
    s.strPath = pszPath;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(pszPath, GetFileExInfoStandard, &data)) {
        s.bExists = true;
        s.time = data.ftLastWriteTime;
        s.dwSize = data.nFileSizeLow;
    }
    return s;
}

bool CFilterGroupPatterns::SameStamp(const FileStamp& a, const FileStamp& b)
{
    return a.bExists == b.bExists && a.dwSize == b.dwSize && CompareFileTime(&a.time, &b.time) == 0;
}

bool CFilterGroupPatterns::FilesChanged() const
{
    for (const FileStamp& s : m_stamps)
        if (!SameStamp(s, StampOf(s.strPath)))
            return true;
    return false;
}

void CFilterGroupPatterns::Load()
{
    m_groups.clear();
    m_stamps.clear();
    m_bLoaded = true;
    m_dwLastCheck = GetTickCount();
    if (m_strAddressBox.IsEmpty())
        return;
    CString base = m_strAddressBox;
    if (base.Right(1) == "\\")
        base = base.Left(base.GetLength() - 1);
    CString listPath = base + "\\Group.lst";
    m_stamps.push_back(StampOf(listPath));
    CAddressGroupDataSet list;
    list.SetBaseFolder(base);
    list.SetFilePath(listPath);
    list.ReadWithRetry();
    for (int i = 0; i < list.GetRecordCount(TRUE); ++i) {
        CAddressGroupData* g = list.GetGroup(i);
        if (g->m_strName.IsEmpty() || m_groups.count(g->m_strName.Str()))
            continue;
        CAddressGroup& group = m_groups[g->m_strName.Str()];
        group.m_strName = g->m_strName;
        group.m_strFilePath = list.GetAbsolutePath(g);
        if (group.m_strFilePath.IsEmpty())
            continue;
        m_stamps.push_back(StampOf(group.m_strFilePath));
        CAddressDataSet addresses;
        addresses.SetFilePath(group.m_strFilePath);
        addresses.ReadWithRetry();
        for (int j = 0; j < addresses.GetRecordCount(TRUE); ++j)
            group.m_members.emplace_back(addresses.GetAddress(j)->Clone());
    }
}

void CFilterGroupPatterns::Refresh(BOOL bForce)
{
    CSingleLock lock(&m_lock, TRUE);
    if (bForce || !m_bLoaded || FilesChanged())
        Load();
    m_dwLastCheck = GetTickCount();
}

bool CFilterGroupPatterns::Match(const char* pszText, const char* pszValue, bool* pbMatch)
{
    CString name = GroupNameOf(pszText ? pszText : "");
    if (name.IsEmpty())
        return false;
    CSingleLock lock(&m_lock, TRUE);
    RefreshIfDue(false);
    bool hit = false;
    auto it = m_groups.find(name.Str());
    if (it != m_groups.end()) {
        CString value(pszValue ? pszValue : "");
        value.MakeUpper();
        hit = IsAddressInGroup(&it->second, value);
    }
    if (pbMatch)
        *pbMatch = hit;
    return true;
}

void CFilterGroupPatterns::RefreshIfDue(bool bCheckNow)
{
    if (!m_bLoaded) {
        Load();
    } else if (bCheckNow || GetTickCount() - m_dwLastCheck >= kCheckIntervalMs) {
        if (FilesChanged())
            Load();
        m_dwLastCheck = GetTickCount();
    }
}

bool CFilterGroupPatterns::IsEmptyGroup(const char* pszText)
{
    CString name = GroupNameOf(pszText ? pszText : "");
    if (name.IsEmpty())
        return false;
    CSingleLock lock(&m_lock, TRUE);
    RefreshIfDue(true);
    auto it = m_groups.find(name.Str());
    if (it == m_groups.end())
        return true;
    for (const auto& member : it->second.m_members)
        if (!member->m_strAddress.IsEmpty())
            return false;
    return true;
}

bool CFilterGroupPatterns::IsEmptyGroupReference(const char* pszText)
{
    CFilterGroupPatterns* table = g_active.load();
    return table && table->IsEmptyGroup(pszText);
}

bool CFilterGroupPatterns::Hook(const char* pszText, const char* pszValue, bool* pbMatch)
{
    CFilterGroupPatterns* table = g_active.load();
    return table ? table->Match(pszText, pszValue, pbMatch) : false;
}

void CFilterGroupPatterns::Install()
{
    g_active.store(this);
    SetFilterPatternHook(&CFilterGroupPatterns::Hook);
}

void CFilterGroupPatterns::Uninstall()
{
    CFilterGroupPatterns* self = this;
    if (g_active.compare_exchange_strong(self, nullptr))
        SetFilterPatternHook(nullptr);
}
