#include "core/KeyAssignDataSet.h"

#include "core/CommandText.h"

#include <algorithm>
#include <cstdlib>
#include <set>

namespace {

int ToInt(const char* psz)
{
    return static_cast<int>(std::strtol(psz, nullptr, 10));
}

bool HasCommand(const ACCEL* pTable, int nCount, UINT nCommand)
{
    for (int i = 0; i < nCount; ++i) {
        if (pTable[i].cmd == nCommand)
            return true;
    }
    return false;
}

} // namespace

CDataStrgRecord* CKeyAssignDataSet::CreateNewRecord()
{
    CKeyAssignData* r = new CKeyAssignData;
    AddRecord(r);
    return r;
}

BOOL CKeyAssignDataSet::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    CKeyAssignData* r = static_cast<CKeyAssignData*>(pRecord);
    switch (nColumn) {
    case 0: r->m_nCommand = ToInt(pszField); break;
    case 1: r->m_nKey = ToInt(pszField); break;
    case 2: r->m_nModifiers = ToInt(pszField); break;
    case 3: r->m_strCategory = pszField; break;
    case 4: r->m_strName = pszField; break;
    case 6: r->m_strPlugInName = pszField; break;
    case 7: r->m_nPlugInCommand = ToInt(pszField); break;
    default: break;  // column 5 is the key text, written for the reader only
    }
    return TRUE;
}

void CKeyAssignDataSet::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    CKeyAssignData* r = static_cast<CKeyAssignData*>(pRecord);
    if (r->m_nCommand == 0 || (r->m_nKey == 0 && r->m_nModifiers == 0))
        return;
    CString category, name;
    if (r->m_strPlugInName.IsEmpty()) {
        GetCommandDescription(static_cast<UINT>(r->m_nCommand), category, name);
    } else {
        // A plug-in that is not loaded now keeps the texts it had.
        category = r->m_strCategory;
        name = r->m_strName;
    }
    CString keyText = r->m_nKey > 0 ? FormatHotKeyText(static_cast<WORD>(r->m_nKey), static_cast<BYTE>(r->m_nModifiers))
                                    : CString();
    CString line;
    line.Format("%d\t%d\t%d\t%s\t%s\t%s\t%s\t%d\r\n", r->m_nCommand, r->m_nKey, r->m_nModifiers,
                static_cast<const char*>(CleanField(category)), static_cast<const char*>(CleanField(name)),
                static_cast<const char*>(keyText), static_cast<const char*>(CleanField(r->m_strPlugInName)),
                r->m_nPlugInCommand);
    WriteLine(file, line);
}

CKeyAssignData* CKeyAssignDataSet::AddKey(int nCommand, int nKey, int nModifiers)
{
    CKeyAssignData* r = static_cast<CKeyAssignData*>(CreateNewRecord());
    r->m_nCommand = nCommand;
    r->m_nKey = nKey;
    r->m_nModifiers = nModifiers;
    return r;
}

void CKeyAssignDataSet::SetFromAccelerators(const ACCEL* pTable, int nCount)
{
    RemoveAll();
    for (int i = 0; i < nCount; ++i)
        AddKey(pTable[i].cmd, pTable[i].key, pTable[i].fVirt);
    m_bLoaded = TRUE;
}

BOOL CKeyAssignDataSet::BuildAccelerators(const ACCEL* pDefaults, int nDefaults, bool (*pfnIsPlugIn)(UINT),
                                          std::vector<ACCEL>& entries, std::vector<UINT>* pIconCommands)
{
    entries.clear();
    std::set<UINT> unassigned;
    const int nRows = GetRecordCount(TRUE);
    for (int i = 0; i < nRows; ++i) {
        CKeyAssignData* r = GetKey(i);
        if (!r || r->m_bDeleted)
            continue;
        const UINT nCommand = static_cast<UINT>(r->m_nCommand);
        if (r->m_nKey == CKeyAssignData::kNoKey) {
            unassigned.insert(nCommand);
        } else if (r->m_nKey == CKeyAssignData::kIconKey) {
            if (pIconCommands)
                pIconCommands->push_back(nCommand);
        } else if (r->m_nKey > 0 && r->m_nKey < 0xFF) {
            if ((pfnIsPlugIn && pfnIsPlugIn(nCommand)) || HasCommand(pDefaults, nDefaults, nCommand)) {
                ACCEL a;
                a.fVirt = static_cast<BYTE>(r->m_nModifiers | FVIRTKEY);
                a.key = static_cast<WORD>(r->m_nKey);
                a.cmd = static_cast<WORD>(nCommand);
                entries.push_back(a);
            }
        }
    }
    // Defaults for the commands the file does not mention (a file from an
    // older version, or one the user trimmed by hand).
    const size_t nFromFile = entries.size();
    BOOL bAdded = FALSE;
    for (int i = 0; i < nDefaults; ++i) {
        const ACCEL& d = pDefaults[i];
        if (unassigned.count(d.cmd))
            continue;
        auto first = entries.begin(), last = entries.begin() + static_cast<std::ptrdiff_t>(nFromFile);
        if (std::any_of(first, last, [&](const ACCEL& a) { return a.cmd == d.cmd; }))
            continue;
        entries.push_back(d);
        AddKey(d.cmd, d.key, d.fVirt);
        bAdded = TRUE;
    }
    return bAdded;
}

CKeyAssignData* CKeyAssignDataSet::FindAssignedKey(int nCommand) const
{
    for (int i = 0; i < m_records.GetSize(); ++i) {
        CKeyAssignData* r = GetKey(i);
        if (r && !r->m_bDeleted && r->m_nCommand == nCommand && r->m_nKey > 0 && r->m_nKey != CKeyAssignData::kIconKey)
            return r;
    }
    return nullptr;
}

CKeyAssignData* CKeyAssignDataSet::FindCommand(int nCommand) const
{
    for (int i = 0; i < m_records.GetSize(); ++i) {
        CKeyAssignData* r = GetKey(i);
        if (r && !r->m_bDeleted && r->m_nCommand == nCommand)
            return r;
    }
    return nullptr;
}

BOOL CKeyAssignDataSet::Upgrade(int nKind)
{
    BOOL bChanged = FALSE;
    if (nKind == 0 || nKind == 1) {
        if (!FindCommand(33071)) {
            AddKey(33071, 'J', 0);
            AddKey(33072, 'H', 0);
            AddKey(32917, VK_SPACE, FSHIFT);
            bChanged = TRUE;
        }
        if (!FindCommand(33082)) {
            AddKey(33081, VK_RIGHT, FCONTROL);
            AddKey(33082, VK_LEFT, FCONTROL);
            AddKey(33083, 'E', FCONTROL);
            AddKey(33084, 'Z', FCONTROL);
            bChanged = TRUE;
        }
    } else if (nKind == 2) {
        for (int i = 0; i < m_records.GetSize(); ++i) {
            CKeyAssignData* r = GetKey(i);
            if (r && !r->m_bDeleted && (r->m_nCommand == 32917 || r->m_nCommand == 33071 || r->m_nCommand == 33072)) {
                r->m_bDeleted = 1;
                bChanged = TRUE;
            }
        }
    }
    if (bChanged && !GetFilePath().IsEmpty())
        WriteToFile();
    return TRUE;
}

std::vector<ACCEL> LoadAcceleratorResource(UINT nID)
{
    std::vector<ACCEL> table;
    HACCEL h = ::LoadAcceleratorsA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nID));
    if (!h)
        return table;
    int n = ::CopyAcceleratorTableA(h, nullptr, 0);
    if (n > 0) {
        table.resize(static_cast<size_t>(n));
        ::CopyAcceleratorTableA(h, table.data(), n);
    }
    ::DestroyAcceleratorTable(h);
    return table;
}
