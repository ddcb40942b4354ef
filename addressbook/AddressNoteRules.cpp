#include "addressbook/AddressNoteRules.h"

#include "addressbook/AddressManagerThread.h"
#include "core/FileUtil.h"
#include "message/AddressList.h"
#include "store/WabAddress.h"
#include "store/WabReader.h"

#include <cstring>

namespace AddressNoteRules {

namespace {

CString FullPath(const char* pszPath)
{
    char full[MAX_PATH * 2] = "";
    DWORD n = GetFullPathNameA(pszPath, sizeof(full), full, nullptr);
    if (n == 0 || n >= sizeof(full))
        return CString();
    return CString(full);
}

// A bound on the numbered names tried, so a folder that refuses every name cannot stall the window.
const int kMaxNumberedNames = 100000;

} // namespace

CString ChooseGroupFilePath(const char* pszFolder, const char* pszGroupName)
{
    CString name = MakeValidFileName(pszGroupName);
    CString path = CombinePath(pszFolder, name + ".dat");
    for (int n = 0; PathExists(path) && n < kMaxNumberedNames; ++n) {
        CString numbered;
        numbered.Format("%s%d", name.GetString(), n);
        path = CombinePath(pszFolder, numbered + ".dat");
    }
    return path;
}

int CompareAddressItems(const CAddressData& a, const CAddressData& b, int nMode, BOOL bFlag)
{
    if (nMode == 0) {
        int c = a.m_nIndex < b.m_nIndex ? -1 : (a.m_nIndex > b.m_nIndex ? 1 : 0);
        return bFlag ? -c : c;
    }
    const CString& x = nMode == 1 ? a.m_strName : (nMode == 2 ? a.m_strAddress : a.m_strMemo);
    const CString& y = nMode == 1 ? b.m_strName : (nMode == 2 ? b.m_strAddress : b.m_strMemo);
    int c = std::strcmp(x.GetString(), y.GetString());
    c = c < 0 ? -1 : (c > 0 ? 1 : 0);
    return bFlag ? c : -c;
}

CString AppendRecipients(const char* pszFieldText, const char* pszNewText)
{
    CString text = pszFieldText ? pszFieldText : "";
    if (!text.IsEmpty()) {
        char last = text[text.GetLength() - 1];
        if (last != ',' && last != ';')
            text += ",";
    }
    text += pszNewText ? pszNewText : "";
    CStringArray parts;
    ParseAddressList(text, &parts);
    CString joined;
    for (int i = 0; i < parts.GetSize(); ++i) {
        if (parts[i].IsEmpty())
            continue;
        joined += parts[i];
        joined += ",";
    }
    return joined;
}

bool IsFileInsideFolder(const char* pszPath, const char* pszFolder)
{
    if (!pszPath || !*pszPath || !pszFolder || !*pszFolder)
        return false;
    CString path = FullPath(pszPath);
    CString folder = FullPath(pszFolder);
    if (path.IsEmpty() || folder.IsEmpty())
        return false;
    if (folder[folder.GetLength() - 1] != '\\')
        folder += '\\';
    return path.GetLength() > folder.GetLength() && path.Left(folder.GetLength()).CompareNoCase(folder) == 0;
}

bool ReplaceWithAddressFile(CAddressDataSet& set, const char* pszImportPath)
{
    CAddressDataSet imported;
    imported.SetFilePath(pszImportPath);
    imported.m_bImportMode = GetFileExtension(pszImportPath).CompareNoCase(".adr") == 0;
    if (!FileExists(pszImportPath) || !imported.ReadWithRetry())
        return false;
    set.RemoveAll();
    for (int i = 0; i < imported.GetRecordCount(TRUE); ++i)
        static_cast<CAddressData*>(set.CreateNewRecord())->CopyFrom(*imported.GetAddress(i));
    return set.WriteToFile() != FALSE;
}

int AppendWabAddresses(CAddressDataSet& set, const char* pszWabPath)
{
    CWabReader reader(pszWabPath ? pszWabPath : "");
    CPtrArray list;
    if (!reader.IsOpen() || !reader.ReadAddresses(list)) {
        ClearWabAddressList(list);
        return -1;
    }
    for (int i = 0; i < list.GetSize(); ++i) {
        const CWabAddress* wab = static_cast<const CWabAddress*>(list[i]);
        CAddressData* entry = static_cast<CAddressData*>(set.CreateNewRecord());
        entry->m_strAddress = wab->m_strAddress;
        entry->m_strName = wab->m_strDisplayName;
        entry->m_strMemo = wab->m_strNote;
        entry->m_strIconName = "IconDefault";
    }
    int count = list.GetSize();
    ClearWabAddressList(list);
    return count;
}

bool FindNextAddress(CAddressManagerThread& thread, const char* pszName, const char* pszAddress,
                     const char* pszMemo, SearchState& state, int& nGroupId, CString& strAddress)
{
    CString name = pszName ? pszName : "", address = pszAddress ? pszAddress : "", memo = pszMemo ? pszMemo : "";
    name.MakeUpper();
    address.MakeUpper();
    memo.MakeUpper();

    CSingleLock hold(&thread.GetLock(), TRUE);
    bool skipping = state.bHasHit;
    for (int g = 0; g < thread.GetGroupCount(); ++g) {
        const CAddressGroup* group = thread.GetGroup(g);
        if (skipping) {
            if (group->m_nId != state.nGroupId)
                continue;
            skipping = false;
        } else {
            state.nEntryIndex = -1;
        }
        const CAddressData* after = nullptr;
        if (state.nEntryIndex >= 0 && state.nEntryIndex < static_cast<int>(group->m_members.size()))
            after = group->m_members[static_cast<size_t>(state.nEntryIndex)].get();
        const CAddressData* hit = group->FindAddress(name, address, memo, after, strAddress);
        if (hit) {
            for (size_t i = 0; i < group->m_members.size(); ++i)
                if (group->m_members[i].get() == hit)
                    state.nEntryIndex = static_cast<int>(i);
            state.bHasHit = true;
            state.nGroupId = group->m_nId;
            nGroupId = group->m_nId;
            return true;
        }
        state.nEntryIndex = -1;
    }
    state = SearchState();
    return false;
}

int ClampSplitPos(int x, int nWidth)
{
    if (x < 40)
        return 38;
    if (x > nWidth - 40)
        return nWidth - 42;
    return x;
}

} // namespace AddressNoteRules
