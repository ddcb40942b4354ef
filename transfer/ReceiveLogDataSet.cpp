#include "transfer/ReceiveLogDataSet.h"

#include <cstdio>
#include <cstdlib>

namespace {

// "%Y/%m/%d %H:%M:%S" as written; the date may also use "-" or "." as the
// system's short date formats do.
bool ParseLogTime(const char* pszText, CTime& time)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char sep1 = 0, sep2 = 0;
    int n = std::sscanf(pszText, "%d%c%d%c%d %d:%d:%d", &y, &sep1, &mo, &sep2, &d, &h, &mi, &s);
    if (n < 5 || y < 1970 || y > 3000 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 ||
        mi > 59 || s < 0 || s > 59)
        return false;
    time = CTime(y, mo, d, h, mi, s);
    return true;
}

} // namespace

CDataStrgRecord* CReceiveLogDataSet::CreateNewRecord()
{
    CReceiveLogRecord* r = new CReceiveLogRecord;
    AddRecord(r);
    return r;
}

BOOL CReceiveLogDataSet::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    if (!pRecord || !pszField)
        return FALSE;
    CReceiveLogRecord* r = static_cast<CReceiveLogRecord*>(pRecord);
    switch (nColumn) {
    case 0: ParseLogTime(pszField, r->m_time); break;
    case 1: r->m_strAccount = pszField; break;
    case 2: r->m_strResult = pszField; break;
    case 3: r->m_nCount = static_cast<int>(std::strtol(pszField, nullptr, 10)); break;
    default: break;
    }
    return TRUE;
}

void CReceiveLogDataSet::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    const CReceiveLogRecord* r = static_cast<const CReceiveLogRecord*>(pRecord);
    CString line;
    line.Format("%s\t%s\t%s\t%d\r\n", r->m_time.Format("%Y/%m/%d %H:%M:%S").GetString(),
                CleanField(r->m_strAccount).GetString(), CleanField(r->m_strResult).GetString(), r->m_nCount);
    WriteLine(file, line);
}

BOOL CReceiveLogDataSet::AddEntry(CReceiveLogRecord* pEntry, int nLimit)
{
    if (nLimit < 1) {
        delete pEntry;
        return FALSE;
    }
    InsertRecord(0, pEntry);
    // Trimmed to the limit, not by one entry, so a lowered limit takes
    // effect at the next receive.
    while (GetEntryCount() > nLimit)
        RemoveRecord(GetRecord(GetEntryCount() - 1));
    return WriteToFile();
}
