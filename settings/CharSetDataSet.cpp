#include "settings/CharSetDataSet.h"

#include <cstdlib>

namespace {

// A blank at p: its length (1 or 2), else 0.
int BlankAt(const CString& s, int i)
{
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == ' ' || c == '\t')
        return 1;
    if (c == 0x81 && i + 1 < s.GetLength() && static_cast<unsigned char>(s[i + 1]) == 0x40)
        return 2;
    return 0;
}

} // namespace

CString CCharSetDataSet::NormalizeName(const char* pszName)
{
    CString s(pszName ? pszName : "");
    int start = 0;
    while (start < s.GetLength() && BlankAt(s, start))
        start += BlankAt(s, start);
    // Trailing blanks: walk characters from the start so that a trail byte
    // is never taken for a blank.
    int end = start;
    for (int i = start; i < s.GetLength();) {
        int blank = BlankAt(s, i);
        int len = blank ? blank : (Mbcs::IsLeadByte(s[i]) && i + 1 < s.GetLength() ? 2 : 1);
        i += len;
        if (!blank)
            end = i;
    }
    CString out = s.Mid(start, end - start);
    for (int i = 0; i < out.GetLength(); ++i) {
        if (Mbcs::IsLeadByte(out[i])) {
            ++i;
            continue;
        }
        if (out[i] >= 'a' && out[i] <= 'z')
            out.SetAt(i, static_cast<char>(out[i] - 'a' + 'A'));
    }
    return out;
}

CDataStrgRecord* CCharSetDataSet::CreateNewRecord()
{
    CCharSetData* r = new CCharSetData;
    AddRecord(r);
    return r;
}

BOOL CCharSetDataSet::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    auto* r = static_cast<CCharSetData*>(pRecord);
    switch (nColumn) {
    case 0: r->m_strName = NormalizeName(pszField); break;
    case 1: r->m_strFace = pszField; break;
    case 2: r->m_nSize = static_cast<int>(std::strtol(pszField, nullptr, 10)); break;
    case 3: r->m_nCharSet = static_cast<int>(std::strtol(pszField, nullptr, 10)); break;
    default: break;
    }
    return TRUE;
}

void CCharSetDataSet::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    auto* r = static_cast<CCharSetData*>(pRecord);
    CString line;
    line.Format("%s\t%s\t%d\t%d\r\n", CleanField(r->m_strName).GetString(), CleanField(r->m_strFace).GetString(),
                r->m_nSize, r->m_nCharSet);
    WriteLine(file, line);
}

CCharSetData* CCharSetDataSet::FindByName(const char* pszName) const
{
    for (int i = 0; i < m_records.GetSize(); ++i) {
        CCharSetData* r = GetEntry(i);
        if (r && r->m_strName == pszName)
            return r;
    }
    return nullptr;
}

bool CCharSetDataSet::Exists(const char* pszName) const
{
    CString name = NormalizeName(pszName);
    for (int i = 0; i < m_records.GetSize(); ++i) {
        CCharSetData* r = GetEntry(i);
        if (r && !r->m_bDeleted && r->m_strName == name)
            return true;
    }
    return false;
}

CString PrepareCharSetFile(const CString& mailboxFolder, const CString& programFolder)
{
    CString path = mailboxFolder + "\\CharSet.dat";
    if (::GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
        ::CopyFileA(programFolder + "\\CharSet.dat", path, TRUE);
    return path;
}
