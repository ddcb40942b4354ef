// CReceivedIdList: the ids of the mails an account received and left on the
// server, one record per line "id TAB number TAB stamp". Loaded on first use.
// An empty id never matches and is never recorded: a mail without UIDL and
// Message-ID cannot be told from any other such mail.
#pragma once

#include "core/QDDataStrgSet.h"
#include "net/ReceivedIdRecord.h"

#include <cstdint>
#include <functional>

class CReceivedIdList : public CQDDataStrgSet
{
public:
    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    CReceivedIdRecord* GetIdRecord(int nIndex) const { return static_cast<CReceivedIdRecord*>(GetRecord(nIndex)); }
    // The live (not marked) record with this id, or null.
    CReceivedIdRecord* FindId(const char* pszId);
    // Marks the record with this id deleted; false when there is none.
    BOOL MarkIdDeleted(const char* pszId);
    // The stamp of the id, empty when absent.
    CString GetStamp(const char* pszId);
    // Adds the id (or updates its stamp and number when present) in memory.
    // An empty stamp is filled with the current time. Returns the record, or
    // null for an empty id.
    CReceivedIdRecord* AddId(const char* pszId, int nNumber, const char* pszStamp);
    // Adds the id and saves: the first save of a pass rewrites the whole
    // file, later ones append.
    BOOL AddIdAndSave(const char* pszId, int nNumber, const char* pszStamp);
    // Notes, before the mail is filed, that it is about to be filed into the
    // folder under the name; the record counts once ResolvePending finds
    // the mail there (a stop in between leaves the mail new on the server).
    BOOL AddPendingAndSave(const char* pszId, int nNumber, int nFolderId, const char* pszMailName);
    // Settles the pending records of a list read from its file: a record
    // confirmed by a later line of its id, or whose mail is not in its
    // folder, goes; one whose mail is there is kept as received. Repeated
    // lines of an id are kept once. True when anything changed.
    bool ResolvePending(const std::function<bool(int nFolderId, const CString& strMailName)>& isFiled);
    // What the list says of a mail filed into the folder under the name:
    // nothing, noted before its filing only (a pass stopped before it was
    // recorded: the server still has it as new), or noted and confirmed by
    // a later line of its id (received: the server may have deleted it).
    enum class FilingNote { none, unconfirmed, confirmed };
    FilingNote FindFilingNote(int nFolderId, const char* pszMailName);
    // Copies every live record of another list.
    void CopyFrom(CReceivedIdList& other);
    void StartPass() { m_bSavedInPass = FALSE; }
    // Empties the list in memory and treats it as loaded, so that its file
    // is not read back over it.
    void Reset()
    {
        RemoveAll();
        m_bLoaded = TRUE;
    }
    // Appends a record without looking for the id first (the server's listing).
    void AppendId(const char* pszId, int nNumber);
    int GetLiveCount();

    // The name of an account's list in the folder of the lists.
    static CString FileNameFor(const char* pszAccountName);
    static CString CurrentStamp();
    static int64_t CurrentTime();

private:
    void EnsureLoaded();

    BOOL m_bSavedInPass = FALSE;
};
