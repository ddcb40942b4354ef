#include "core/QDDataStrgSet.h"

#include <cstring>
#include <vector>

CQDDataStrgSet::~CQDDataStrgSet()
{
    RemoveAll();
    m_file.Abort();
}

void CQDDataStrgSet::OnSkipRecord(int /*nIndex*/)
{
}

CDataStrgRecord* CQDDataStrgSet::CreateNewRecord()
{
    CDataStrgRecord* r = new CDataStrgRecord;
    AddRecord(r);
    return r;
}

BOOL CQDDataStrgSet::SetRecordField(int /*nColumn*/, const char* /*pszField*/, CDataStrgRecord* /*pRecord*/)
{
    return TRUE;
}

void CQDDataStrgSet::WriteRecord(CFile& /*file*/, CDataStrgRecord* /*pRecord*/)
{
}

void CQDDataStrgSet::WriteHeader(CFile& /*file*/)
{
}

void CQDDataStrgSet::WriteFooter(CFile& /*file*/)
{
}

BOOL CQDDataStrgSet::ReadFromFile(BOOL bClear)
{
    if (GetFileAttributesA(m_strFilePath) == INVALID_FILE_ATTRIBUTES && GetLastError() != ERROR_SHARING_VIOLATION) {
        m_bLoaded = TRUE;
        return TRUE;
    }
    std::string buf;
    if (!ReadWholeFile(m_strFilePath, buf)) {
        m_bLoaded = FALSE;
        return FALSE;
    }
    if (bClear)
        RemoveAll();

    // A NUL byte inside the file ends the text there.
    char* p = &buf[0];
    char* end = p + std::strlen(p);
    try {
        while (p < end) {
            while (p < end && (*p == '\r' || *p == '\n'))
                ++p;
            if (p >= end)
                break;
            char* lineEnd = p;
            while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n')
                ++lineEnd;
            *lineEnd = '\0';

            CDataStrgRecord* record = CreateNewRecord();
            if (!record) {
                AfxMessageBox("新規レコードの作成に失敗しました。(CQDDataStrgSet::ReadFromFile())");
                p = lineEnd + 1;
                continue;
            }
            int column = 0;
            char* field = p;
            for (;;) {
                char* tab = std::strchr(field, '\t');
                if (tab)
                    *tab = '\0';
                if (!SetRecordField(column, field, record)) {
                    RemoveRecord(record);
                    break;
                }
                if (!tab)
                    break;
                field = tab + 1;
                ++column;
            }
            p = lineEnd + 1;
        }
    } catch (const CException&) {
        m_bLoaded = FALSE;
        return FALSE;
    } catch (const std::bad_alloc&) {
        m_bLoaded = FALSE;
        return FALSE;
    }
    m_bLoaded = TRUE;
    return TRUE;
}

void CQDDataStrgSet::WriteRecords(CFile& file, BOOL bIncludeDeleted)
{
    WriteHeader(file);
    for (int i = 0; i < m_records.GetSize(); ++i) {
        CDataStrgRecord* r = static_cast<CDataStrgRecord*>(m_records[i]);
        if (!r)
            continue;
        if (!bIncludeDeleted && r->m_bDeleted) {
            OnSkipRecord(i);
            continue;
        }
        WriteRecord(file, r);
    }
    WriteFooter(file);
}

BOOL CQDDataStrgSet::WriteToFile(BOOL bIncludeDeleted)
{
    if (m_strFilePath.IsEmpty())
        return FALSE;

    // The table is written beside its file and moved over it only when the
    // whole write succeeded, so a failed or interrupted write never destroys it.
    CString temp = m_strFilePath + ".$$$";
    CFile file;
    if (!file.Open(temp, CFile::modeCreate | CFile::modeWrite)) {
        if (GetFileAttributesA(temp) == INVALID_FILE_ATTRIBUTES)
            return FALSE;
        SetFileAttributesA(temp, FILE_ATTRIBUTE_NORMAL);
        if (!file.Open(temp, CFile::modeCreate | CFile::modeWrite))
            return FALSE;
    }
    try {
        WriteRecords(file, bIncludeDeleted);
        file.Flush();
        file.Close();
    } catch (const CFileException& e) {
        file.Abort();
        DeleteFileA(temp);
        ReportWriteError(e);
        return FALSE;
    }
    // A read-only table is made writable once, as the user would expect the
    // save to go through.
    if (!MoveFileExA(temp, m_strFilePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        SetFileAttributesA(m_strFilePath, FILE_ATTRIBUTE_NORMAL);
        if (!MoveFileExA(temp, m_strFilePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            DWORD err = GetLastError();
            DeleteFileA(temp);
            ReportWriteError(CFileException(CFileException::OsErrorToException(static_cast<LONG>(err)),
                                            static_cast<LONG>(err), m_strFilePath));
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CQDDataStrgSet::AppendRecordToFile(CDataStrgRecord* pRecord)
{
    if (m_strFilePath.IsEmpty())
        return FALSE;
    CFile file;
    if (!file.Open(m_strFilePath, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite))
        return FALSE;
    try {
        file.SeekToEnd();
        WriteRecord(file, pRecord);
        file.Close();
    } catch (const CFileException& e) {
        file.Abort();
        ReportWriteError(e);
        return FALSE;
    }
    return TRUE;
}

void CQDDataStrgSet::ReportWriteError(const CFileException& e) const
{
    CString text;
    CString reason = AfxSystemErrorText(e.m_lOsError < 0 ? ERROR_GEN_FAILURE : static_cast<DWORD>(e.m_lOsError));
    text.Format("[%s]で書き込みエラーが発生しました。\r\n[%d][%s]", m_strFilePath.GetString(), e.m_cause,
                reason.Left(255).GetString());
    AfxMessageBox(text, MB_OK | MB_ICONERROR);
}

BOOL CQDDataStrgSet::Reload(BOOL bSaveFirst, BOOL bIncludeDeleted)
{
    if (bSaveFirst)
        WriteToFile(bIncludeDeleted);
    RemoveAll();
    return ReadFromFile(TRUE);
}

int CQDDataStrgSet::GetRecordCount(BOOL bNoLoad)
{
    if (!bNoLoad && !m_bLoaded)
        ReadFromFile(TRUE);
    return m_records.GetSize();
}

CDataStrgRecord* CQDDataStrgSet::GetRecord(int nIndex) const
{
    if (nIndex < 0 || nIndex >= m_records.GetSize())
        return nullptr;
    return static_cast<CDataStrgRecord*>(m_records[nIndex]);
}

BOOL CQDDataStrgSet::HasRecord(int nIndex) const
{
    return GetRecord(nIndex) != nullptr;
}

CDataStrgRecord* CQDDataStrgSet::GetFirstRecord() const
{
    return GetRecord(0);
}

CDataStrgRecord* CQDDataStrgSet::GetLastRecord() const
{
    return GetRecord(m_records.GetSize() - 1);
}

CDataStrgRecord* CQDDataStrgSet::GetNextRecord(CDataStrgRecord* pRecord) const
{
    return pRecord ? GetRecord(pRecord->m_nIndex + 1) : nullptr;
}

CDataStrgRecord* CQDDataStrgSet::GetPrevRecord(CDataStrgRecord* pRecord) const
{
    return pRecord && pRecord->m_nIndex > 0 ? GetRecord(pRecord->m_nIndex - 1) : nullptr;
}

void CQDDataStrgSet::AddRecord(CDataStrgRecord* pRecord)
{
    pRecord->m_nIndex = m_records.Add(pRecord);
}

void CQDDataStrgSet::InsertRecord(int nIndex, CDataStrgRecord* pRecord)
{
    if (nIndex < 0)
        nIndex = 0;
    if (nIndex > m_records.GetSize())
        nIndex = m_records.GetSize();
    m_records.InsertAt(nIndex, pRecord);
    for (int i = nIndex; i < m_records.GetSize(); ++i)
        if (m_records[i])
            static_cast<CDataStrgRecord*>(m_records[i])->m_nIndex = i;
}

void CQDDataStrgSet::SetRecordAt(int nIndex, CDataStrgRecord* pRecord)
{
    if (nIndex < 0 || nIndex >= m_records.GetSize())
        return;
    m_records[nIndex] = pRecord;
    if (pRecord)
        pRecord->m_nIndex = nIndex;
}

void CQDDataStrgSet::RemoveRecord(CDataStrgRecord* pRecord)
{
    if (!pRecord)
        return;
    int at = -1;
    if (pRecord->m_nIndex >= 0 && pRecord->m_nIndex < m_records.GetSize() && m_records[pRecord->m_nIndex] == pRecord)
        at = pRecord->m_nIndex;
    for (int i = 0; at < 0 && i < m_records.GetSize(); ++i)
        if (m_records[i] == pRecord)
            at = i;
    if (at < 0)
        return;
    m_records.RemoveAt(at);
    delete pRecord;
    for (int i = at; i < m_records.GetSize(); ++i)
        if (m_records[i])
            static_cast<CDataStrgRecord*>(m_records[i])->m_nIndex = i;
}

CDataStrgRecord* CQDDataStrgSet::MarkRecordDeleted(CDataStrgRecord* pRecord)
{
    if (pRecord)
        pRecord->m_bDeleted = 1;
    return pRecord;
}

BOOL CQDDataStrgSet::IsRecordDeleted(CDataStrgRecord* pRecord) const
{
    return pRecord && pRecord->m_bDeleted;
}

void CQDDataStrgSet::RemoveAll()
{
    for (int i = 0; i < m_records.GetSize(); ++i)
        delete m_records[i];
    m_records.RemoveAll();
    m_bLoaded = FALSE;
}

BOOL CQDDataStrgSet::OpenFile()
{
    if (IsOpenOnOwnFile())
        return TRUE;
    m_file.Abort();
    return m_file.Open(m_strFilePath, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite |
                                          CFile::shareDenyNone);
}

BOOL CQDDataStrgSet::IsOpenOnOwnFile() const
{
    return m_file.IsOpen() && m_file.GetFilePath() == m_strFilePath;
}

void CQDDataStrgSet::CloseFile()
{
    m_file.Abort();
}

CString CQDDataStrgSet::CleanField(const char* pszText)
{
    CString s(pszText);
    s.Replace('\t', ' ');
    s.Replace('\r', ' ');
    s.Replace('\n', ' ');
    return s;
}

void CQDDataStrgSet::WriteLine(CFile& file, const CString& line)
{
    file.Write(line.GetString(), static_cast<UINT>(line.GetLength()));
}
