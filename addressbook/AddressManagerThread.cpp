#include "addressbook/AddressManagerThread.h"

#include "addressbook/AddressDataSet.h"
#include "addressbook/AddressGroupDataSet.h"
#include "core/AppMessages.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"

#include <algorithm>

const char* const CAddressManagerThread::kJunkGroupName = "迷惑メール";

BEGIN_MESSAGE_MAP(CAddressManagerThread, CWinThread)
    ON_THREAD_MESSAGE(WM_QD_ADDRESS_CHANGED, OnAddressBookChanged)
    ON_THREAD_MESSAGE(WM_QD_QUIT_THREAD, OnQuit)
END_MESSAGE_MAP()

namespace {

class CLockHolder
{
public:
    explicit CLockHolder(CCriticalSection& lock) : m_lock(lock) { m_lock.Lock(); }
    ~CLockHolder() { m_lock.Unlock(); }
    CLockHolder(const CLockHolder&) = delete;
    CLockHolder& operator=(const CLockHolder&) = delete;

private:
    CCriticalSection& m_lock;
};

// Addresses compare without regard to letter case.
std::string AddressKey(const char* pszAddress)
{
    CString key = pszAddress ? pszAddress : "";
    return key.MakeLower().Str();
}

} // namespace

CAddressManagerThread::CAddressManagerThread()
    : m_pApp(static_cast<CQuendalApp*>(AfxGetApp()))
{
}

BOOL CAddressManagerThread::InitInstance()
{
    CLockHolder hold(m_lock);
    if (!m_bLoaded)
        LoadAddressBook();
    return TRUE;
}

int CAddressManagerThread::ExitInstance()
{
    {
        CLockHolder hold(m_lock);
        m_groups.clear();
        m_completion.RemoveAll();
        m_names.clear();
    }
    return CWinThread::ExitInstance();
}

void CAddressManagerThread::ReadGroupList(CQuendalApp& app, CAddressGroupDataSet& list)
{
    CString box = app.GetAddressBoxPath();
    CString path = CombinePath(box, "Group.lst");
    DWORD attr = GetFileAttributesA(path);
    if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY))
        app.CreateDefaultAddressBook();
    list.SetBaseFolder(box);
    list.SetFilePath(path);
    list.ReadWithRetry();
}

void CAddressManagerThread::LoadAddressBook()
{
    CLockHolder hold(m_lock);
    m_completion.RemoveAll();
    m_groups.clear();
    m_names.clear();
    m_bLoaded = true;
    if (!m_pApp)
        return;

    CAddressGroupDataSet list;
    ReadGroupList(*m_pApp, list);
    for (int i = 0; i < list.GetRecordCount(TRUE); ++i) {
        CAddressGroupData* record = list.GetGroup(i);
        auto group = std::make_unique<CAddressGroup>();
        group->m_nId = record->m_nId;
        group->m_strName = record->m_strName;
        group->m_strFilePath = list.GetAbsolutePath(record);
        if (!group->m_strFilePath.IsEmpty()) {
            CAddressDataSet addresses;
            addresses.SetFilePath(group->m_strFilePath);
            addresses.ReadWithRetry();
            for (int j = 0; j < addresses.GetRecordCount(TRUE); ++j) {
                const CAddressData* entry = addresses.GetAddress(j);
                m_completion.Add(FormatString("%s\t%s", entry->m_strAddress.GetString(), entry->m_strName.GetString()));
                if (!entry->m_strName.IsEmpty())
                    m_names.emplace(AddressKey(entry->m_strAddress), entry->m_strName);
                group->m_members.emplace_back(entry->Clone());
            }
        }
        m_groups.push_back(std::move(group));
    }

    std::vector<CString>& lines = m_completion.Vector();
    // Letter case is ignored first; byte order then puts equal lines side by
    // side, so every exact duplicate is found.
    std::sort(lines.begin(), lines.end(), [](const CString& a, const CString& b) {
        int c = a.CompareNoCase(b);
        return c != 0 ? c < 0 : a.Str() < b.Str();
    });
    // Exact duplicates (the same address and name in two groups) are listed once.
    lines.erase(std::unique(lines.begin(), lines.end(),
                            [](const CString& a, const CString& b) { return a.Str() == b.Str(); }),
                lines.end());
}

bool CAddressManagerThread::FindName(const char* pszAddress, CString& name)
{
    CLockHolder hold(m_lock);
    if (!m_bLoaded)
        LoadAddressBook();
    auto it = m_names.find(AddressKey(pszAddress));
    if (it == m_names.end())
        return false;
    name = it->second;
    return true;
}

bool CAddressManagerThread::FindNameOfApp(const char* pszAddress, CString& name)
{
    CQuendalApp* app = QuendalApp();
    auto* thread = app ? dynamic_cast<CAddressManagerThread*>(app->m_pAddressThread) : nullptr;
    return thread && thread->FindName(pszAddress, name);
}

int CAddressManagerThread::GetMatchingAddresses(const char* pszPrefix, CStringArray& result)
{
    CLockHolder hold(m_lock);
    const CString prefix = pszPrefix ? pszPrefix : "";
    const int len = prefix.GetLength();
    const CAddressGroup* junk = FindGroup(kJunkGroupName);
    for (int i = 0; i < m_completion.GetSize(); ++i) {
        const CString& line = m_completion[i];
        if (line.GetLength() < len || line.Left(len).CompareNoCase(prefix) != 0)
            continue;
        if (junk) {
            CString upper = line;
            upper.MakeUpper();
            if (IsAddressInGroup(junk, upper))
                continue;
        }
        result.Add(line);
    }
    return result.GetSize();
}

void CAddressManagerThread::CreateGroupMenu(HMENU hRootMenu, CStringArray& lines, std::vector<HMENU>& popups)
{
    CLockHolder hold(m_lock);
    if (!m_pApp)
        return;
    CAddressGroupDataSet list;
    ReadGroupList(*m_pApp, list);

    std::vector<HMENU> byId;  // popup of each group id
    for (int i = 0; i < list.GetRecordCount(TRUE); ++i) {
        CAddressGroupData* record = list.GetGroup(i);
        HMENU popup = ::CreatePopupMenu();
        if (!popup)
            break;
        popups.push_back(popup);
        const int parent = record->m_nParentId;
        HMENU owner = (parent >= 0 && parent < static_cast<int>(byId.size()) && byId[static_cast<size_t>(parent)])
                          ? byId[static_cast<size_t>(parent)]
                          : hRootMenu;
        ::AppendMenuA(owner, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), record->m_strName);
        // Ids index the table; absurd ids from a damaged file are not given a slot.
        if (record->m_nId >= 0 && record->m_nId < 100000) {
            if (static_cast<size_t>(record->m_nId) >= byId.size())
                byId.resize(static_cast<size_t>(record->m_nId) + 1, nullptr);
            byId[static_cast<size_t>(record->m_nId)] = popup;
        }

        CString path = list.GetAbsolutePath(record);
        if (path.IsEmpty())
            continue;
        CAddressDataSet addresses;
        addresses.SetFilePath(path);
        addresses.ReadWithRetry();
        for (int j = 0; j < addresses.GetRecordCount(TRUE); ++j) {
            const CAddressData* entry = addresses.GetAddress(j);
            int index = lines.Add(FormatString("%s\t%s", entry->m_strAddress.GetString(), entry->m_strName.GetString()));
            ::AppendMenuA(popup, MF_STRING, kFirstMenuCommand + static_cast<UINT>(index), lines[index]);
        }
    }
}

CAddressGroup* CAddressManagerThread::FindGroup(const char* pszName)
{
    CLockHolder hold(m_lock);
    for (auto& group : m_groups)
        if (group->m_strName == pszName)
            return group.get();
    return nullptr;
}

const char* CAddressManagerThread::GetGroupFilePath(int nId)
{
    CLockHolder hold(m_lock);
    for (auto& group : m_groups)
        if (group->m_nId == nId)
            return group->m_strFilePath;
    return nullptr;
}
