// CQDDataStrgSet: the base of every tab-separated table file (one record per
// line, fields separated by TAB, lines ending CR LF). Derived tables supply
// record creation, column storing and record writing.
#pragma once

#include "classlib/ClassLib.h"
#include "core/DataStrgRecord.h"

class CQDDataStrgSet : public CObject
{
public:
    CQDDataStrgSet() = default;
    CQDDataStrgSet(const CQDDataStrgSet&) = delete;
    CQDDataStrgSet& operator=(const CQDDataStrgSet&) = delete;
    ~CQDDataStrgSet() override;

    virtual void OnSkipRecord(int nIndex);
    virtual CDataStrgRecord* CreateNewRecord();
    // Stores column nColumn (from 0); false rejects the whole line.
    virtual BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord);
    // Writes the record as one line, CR LF included.
    virtual void WriteRecord(CFile& file, CDataStrgRecord* pRecord);
    virtual void WriteHeader(CFile& file);
    virtual void WriteFooter(CFile& file);

    void SetFilePath(const char* pszPath) { m_strFilePath = pszPath; }
    const CString& GetFilePath() const { return m_strFilePath; }
    BOOL ReadFromFile(BOOL bClear = TRUE);
    BOOL WriteToFile(BOOL bIncludeDeleted = FALSE);
    // Header, records and footer as WriteToFile writes them, into any file
    // (a memory file for a caller that merges before it writes); throws
    // CFileException.
    void WriteRecords(CFile& file, BOOL bIncludeDeleted = FALSE);
    BOOL AppendRecordToFile(CDataStrgRecord* pRecord);
    BOOL Reload(BOOL bSaveFirst = FALSE, BOOL bIncludeDeleted = FALSE);

    int GetRecordCount(BOOL bNoLoad = FALSE);
    BOOL IsLoaded() const { return m_bLoaded; }
    CDataStrgRecord* GetRecord(int nIndex) const;
    BOOL HasRecord(int nIndex) const;
    CDataStrgRecord* GetFirstRecord() const;
    CDataStrgRecord* GetLastRecord() const;
    CDataStrgRecord* GetNextRecord(CDataStrgRecord* pRecord) const;
    CDataStrgRecord* GetPrevRecord(CDataStrgRecord* pRecord) const;
    void AddRecord(CDataStrgRecord* pRecord);
    void InsertRecord(int nIndex, CDataStrgRecord* pRecord);
    void SetRecordAt(int nIndex, CDataStrgRecord* pRecord);
    void RemoveRecord(CDataStrgRecord* pRecord);
    CDataStrgRecord* MarkRecordDeleted(CDataStrgRecord* pRecord);
    BOOL IsRecordDeleted(CDataStrgRecord* pRecord) const;
    void RemoveAll();

    BOOL OpenFile();
    BOOL IsOpenOnOwnFile() const;
    virtual void CloseFile();

    // Text for a column: TAB and line breaks would shift columns or split the
    // record, so they become blanks.
    static CString CleanField(const char* pszText);

protected:
    // Writes one formatted line; used by WriteRecord of derived tables.
    static void WriteLine(CFile& file, const CString& line);
    void ReportWriteError(const CFileException& e) const;

    CFile m_file;
    int m_nColumnCount = 0;
    BOOL m_bLoaded = FALSE;
    CObArray m_records;  // owned CDataStrgRecord*
    CString m_strFilePath;
};
