#include "addressbook/AddressGroupDataSet.h"

#include "core/PasswordScrambler.h"

#include <cstdlib>
#include <cstring>

namespace {

int ToInt(const char* psz)
{
    return static_cast<int>(std::strtol(psz, nullptr, 10));
}

bool HasDrive(const CString& path)
{
    // "C:..." and UNC paths ("\\server\share\...") are full paths.
    if (path.GetLength() >= 2 && path[1] == ':')
        return true;
    return path.GetLength() >= 2 && path[0] == '\\' && path[1] == '\\';
}

} // namespace

CDataStrgRecord* CAddressGroupDataSet::CreateNewRecord()
{
    CAddressGroupData* r = new CAddressGroupData;
    AddRecord(r);
    return r;
}

BOOL CAddressGroupDataSet::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    if (!pszField || !pRecord)
        return FALSE;
    CAddressGroupData* g = static_cast<CAddressGroupData*>(pRecord);
    if (m_nFileVersion == -1 && pRecord->m_nIndex == 0) {
        if (nColumn == 0) {
            if (std::strcmp(pszField, "FILE_VERSION") == 0)
                return TRUE;
            m_nFileVersion = 0;  // no header: an old list, read as data
        } else if (nColumn == 1) {
            m_nFileVersion = ToInt(pszField);
            return FALSE;  // the header line never becomes a group
        }
    }
    if (nColumn >= 10 && m_nFileVersion <= 0)
        return TRUE;
    switch (nColumn) {
    case 0: g->m_nParentId = ToInt(pszField); break;
    case 1: g->m_nType = ToInt(pszField); break;
    case 2: g->m_nFlag = ToInt(pszField); break;
    case 3: g->m_nId = ToInt(pszField); break;
    case 4: g->m_strName = pszField; break;
    case 5: g->m_strFilePath = pszField; break;
    case 9: g->m_bExpanded = ToInt(pszField) != 0; break;
    case 10: g->m_strLdapServer = pszField; break;
    case 11: g->m_nLdapPort = ToInt(pszField); break;
    case 12: g->m_strSearchBase = pszField; break;
    case 13: g->m_strBindName = pszField; break;
    case 14: g->m_strBindPassword = CPasswordScrambler().Unscramble(pszField); break;
    case 15: g->m_strFilter = pszField; break;
    case 16: g->m_nScope = ToInt(pszField); break;
    case 17: g->m_strNameAttr = pszField; break;
    case 18: g->m_strMailAttr = pszField; break;
    case 19: g->m_strMemoAttr = pszField; break;
    case 20: g->m_nLdapVersion = ToInt(pszField); break;
    case 21: g->m_bUtf8 = ToInt(pszField) != 0; break;
    case 22: g->m_nTimeout = ToInt(pszField); break;
    default: break;  // 6-8 and later columns are ignored
    }
    return TRUE;
}

void CAddressGroupDataSet::WriteHeader(CFile& file)
{
    CString line;
    line.Format("%s\t%d\r\n", "FILE_VERSION", kFileVersion);
    WriteLine(file, line);
}

void CAddressGroupDataSet::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    CAddressGroupData* g = static_cast<CAddressGroupData*>(pRecord);
    if (g->m_nType == CAddressGroupData::typeNeverWritten)
        return;
    CPasswordScrambler scrambler;
    CString line;
    line.Format("%d\t%d\t%d\t%d\t%s\t%s\t%d\t%d\t%d\t%d\t%s\t%d\t%s\t%s\t%s\t%s\t%d\t%s\t%s\t%s\t%d\t%d\t%d\r\n",
                g->m_nParentId, g->m_nType, g->m_nFlag, g->m_nId, CleanField(g->m_strName).GetString(),
                CleanField(MakeRelativePath(g)).GetString(), 0, 0, 0, g->m_bExpanded ? 1 : 0,
                CleanField(g->m_strLdapServer).GetString(), g->m_nLdapPort,
                CleanField(g->m_strSearchBase).GetString(), CleanField(g->m_strBindName).GetString(),
                scrambler.Scramble(g->m_strBindPassword).GetString(), CleanField(g->m_strFilter).GetString(),
                g->m_nScope, CleanField(g->m_strNameAttr).GetString(), CleanField(g->m_strMailAttr).GetString(),
                CleanField(g->m_strMemoAttr).GetString(), g->m_nLdapVersion, g->m_bUtf8 ? 1 : 0, g->m_nTimeout);
    WriteLine(file, line);
}

CString CAddressGroupDataSet::GetAbsolutePath(CAddressGroupData* pGroup) const
{
    CString path = pGroup->m_strFilePath;
    if (path.IsEmpty() || HasDrive(path))
        return path;
    CString base = m_strBaseFolder;
    if (!base.IsEmpty() && base[base.GetLength() - 1] == '\\')
        base = base.Left(base.GetLength() - 1);
    path = base + (path[0] == '\\' ? "" : "\\") + path;
    pGroup->m_strFilePath = path;
    return path;
}

CString CAddressGroupDataSet::MakeRelativePath(CAddressGroupData* pGroup) const
{
    CString path = GetAbsolutePath(pGroup);
    CString base = m_strBaseFolder;
    if (base.IsEmpty())
        return path;
    if (base[base.GetLength() - 1] != '\\')
        base += '\\';
    if (path.GetLength() > base.GetLength() && path.Left(base.GetLength()).CompareNoCase(base) == 0)
        return path.Mid(base.GetLength());
    return path;
}

int CAddressGroupDataSet::GetNextGroupId() const
{
    int id = 1;
    for (bool clash = true; clash;) {
        clash = false;
        for (int i = 0; i < m_records.GetSize(); ++i) {
            if (GetGroup(i)->m_nId == id) {
                ++id;
                clash = true;
            }
        }
    }
    return id;
}

BOOL CAddressGroupDataSet::ReadWithRetry()
{
    // The version is taken anew from the first line of this read.
    m_nFileVersion = -1;
    if (ReadFromFile())
        return TRUE;
    m_nFileVersion = -1;
    return ReadFromFile();
}
