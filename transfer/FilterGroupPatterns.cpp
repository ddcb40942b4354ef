#include "transfer/FilterGroupPatterns.h"

#include "classlib/Mbcs.h"
#include "core/QDDataStrgSet.h"
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

// One group of "Group.lst", as far as matching needs it: its name and the
// path of its address file.
class CGroupLine : public CDataStrgRecord
{
public:
    int m_nType = 0;
    CString m_strName;
    CString m_strFile;
};

class CGroupList : public CQDDataStrgSet
{
public:
    CDataStrgRecord* CreateNewRecord() override
    {
        CGroupLine* r = new CGroupLine;
        AddRecord(r);
        return r;
    }
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override
    {
        if (!pszField || !pRecord)
            return FALSE;
        CGroupLine* r = static_cast<CGroupLine*>(pRecord);
        // The version line ("FILE_VERSION", version) is no group.
        if (nColumn == 0 && std::strcmp(pszField, "FILE_VERSION") == 0)
            return FALSE;
        if (nColumn == 1)
            r->m_nType = static_cast<int>(std::strtol(pszField, nullptr, 10));
        else if (nColumn == 4)
            r->m_strName = pszField;
        else if (nColumn == 5)
            r->m_strFile = pszField;
        return TRUE;
    }
    CGroupLine* GetLine(int i) const { return static_cast<CGroupLine*>(GetRecord(i)); }
    int GetLineCount() const { return m_records.GetSize(); }
};

// One group's address file: only the address column is read.
class CAddressColumn : public CQDDataStrgSet
{
public:
    std::vector<CString> m_upper;

    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* /*pRecord*/) override
    {
        if (!pszField)
            return FALSE;
        if (nColumn == 0 && *pszField) {
            CString a(pszField);
            a.Trim();
            a.MakeUpper();
            if (!a.IsEmpty())
                m_upper.push_back(a);
        }
        return TRUE;
    }
};

bool HasDrive(const CString& path)
{
    return path.GetLength() >= 2 && path[1] == ':' && !Mbcs::IsLeadByte(path[0]);
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
    CGroupList list;
    list.SetFilePath(listPath);
    list.ReadFromFile();
    for (int i = 0; i < list.GetLineCount(); ++i) {
        CGroupLine* g = list.GetLine(i);
        if (!g || g->m_strName.IsEmpty() || m_groups.count(g->m_strName.Str()))
            continue;
        CString file = g->m_strFile;
        if (file.IsEmpty()) {
            m_groups[g->m_strName.Str()];
            continue;
        }
        if (!HasDrive(file) && file.Left(2) != "\\\\")
            file = base + "\\" + file;
        m_stamps.push_back(StampOf(file));
        CAddressColumn addresses;
        addresses.SetFilePath(file);
        addresses.ReadFromFile();
        m_groups[g->m_strName.Str()] = addresses.m_upper;
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
    if (!m_bLoaded) {
        Load();
    } else if (GetTickCount() - m_dwLastCheck >= kCheckIntervalMs) {
        if (FilesChanged())
            Load();
        m_dwLastCheck = GetTickCount();
    }
    bool hit = false;
    auto it = m_groups.find(name.Str());
    if (it != m_groups.end()) {
        CString value(pszValue ? pszValue : "");
        value.MakeUpper();
        for (const CString& address : it->second)
            if (value.Find(address) >= 0) {
                hit = true;
                break;
            }
    }
    if (pbMatch)
        *pbMatch = hit;
    return true;
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
