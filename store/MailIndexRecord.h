// CMailIndexRecord: one mail of a folder as "Index.lst" keeps it: where its
// text lies in "MailData.Qmd", the state the user gave it and twelve header
// columns, so that a list can be shown, sorted and searched without reading
// the data file.
#pragma once

#include "classlib/ClassLib.h"
#include "core/DataStrgRecord.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class CIndexFileBytes;
class CMailFolderStore;
class CMailListData;

class CMailIndexRecord : public CDataStrgRecord
{
public:
    // Text columns, in file order.
    enum Column {
        colSubject = 0,
        colFrom = 1,
        colTo = 2,
        colCc = 3,
        colDate = 4,       // the Date header, normalised
        colReceived = 5,   // received time text
        colAttachDir = 6,  // the mail's sub-folder of "Attach"
        colMessageId = 7,
        colReference = 8,  // the Message-ID this mail answers
        colAccount = 9,    // "X-ReceiveAcount"
        colCharset = 10,
        colFileName = 11,
        columnCount = 12
    };

    // Flag bits.
    enum {
        flagReplyPending = 0x1,
        flagReplied = 0x2,
        flagFromAccount = 0x4,
        flagForwarded = 0x8,
        flagReceiptRequested = 0x10,
    };

    // Layout of the fixed binary part of a record in "Index.lst". Every run
    // can be rewritten in place at record position + its offset.
    enum {
        binarySize = 48,
        offState = 0, sizeState = 2,
        offLocation = 2, sizeLocation = 16,
        offAttachInfo = 18, sizeAttachInfo = 5,
        offLabel = 23, sizeLabel = 8,
        offTail = 31, sizeTail = 17,
    };

    CMailIndexRecord();
    CMailIndexRecord(const CMailIndexRecord&) = delete;
    CMailIndexRecord& operator=(const CMailIndexRecord&) = delete;
    ~CMailIndexRecord() override;

    const CString& GetText(int nColumn) const
    {
        if (m_nPendingColumns.load(std::memory_order_acquire) & (1u << nColumn))
            TakeSourceColumn(nColumn);
        return m_pText ? m_pText[nColumn] : DefaultText(nColumn);
    }
    // Takes the text part of a record as read from an index file (columns
    // between TABs, no CR LF), kept in pSource. Each column is cut from it
    // only when first asked for: a large folder opens without building a
    // dozen strings per mail that its first page never shows, and a sort or
    // a search builds only the column it reads.
    void SetSourceText(std::shared_ptr<const CIndexFileBytes> pSource, size_t nStart, size_t nLength);
    // A column as it is now, without building the record's strings; valid
    // while the record lives and the column is not set, and, for a column
    // still in the source, while its list keeps the source as it is (the
    // list's record lock held, or the source lock below).
    std::string_view GetTextView(int nColumn) const;
    // Orders the taking of columns from their sources, and a source moving
    // from its file into memory of its own (see CIndexFileBytes).
    static CCriticalSection& SourceLock();
    // Sets a text column; the caches derived from it are dropped.
    void SetText(int nColumn, const char* pszText);
    void SetText(int nColumn, const char* pText, size_t nLength);
    void SetReferenceId(const char* pszId) { SetText(colReference, pszId); }

    BOOL IsRead() const { return m_bRead != 0; }
    int GetDataOffset() const { return m_nDataOffset; }
    int GetDataLength() const { return m_nDataLength; }
    int GetRecordPos() const { return m_nRecordPos; }
    COLORREF GetLabelColor() const;
    const char* GetSubjectNoTag();
    const char* GetSortSubject();
    const CString& GetFromAddress();
    // Column 4 (sent) and column 5 (received) as times; parsed once.
    int64_t GetSendTime();
    int64_t GetReceiveTime();
    int64_t GetSendLocalTime();
    void ResetDateCache();
    // Whether pszUpper (already upper case) occurs in Subject, From, To or Cc.
    BOOL MatchColumn(int nColumn, const char* pszUpper) const;
    CString GetAttachFolder(const char* pszFolderDir) const;

    // Read flag, attachment flag, mark byte, bookmark and label (with colour).
    void CopyStateFrom(const CMailIndexRecord& src);
    // Every stored value (state, location, columns) but not the table links.
    void CopyValuesFrom(const CMailIndexRecord& src);

    // The record as it lies in "Index.lst": the binary part, the text part,
    // CR LF.
    void BuildBinary(unsigned char* pOut) const;
    CString BuildLine() const;
    void BuildRun(int nOffset, int nSize, unsigned char* pOut) const;
    // Takes the binary fields of a record read from the file.
    void ParseBinary(const unsigned char* p);

    // Copies this mail into another folder; see CMailFolderStore.
    int AddCopyToFolder(CMailFolderStore* pTarget, CMailListData* pSourceList, const char* pszMailText,
                        int nTextLength, BOOL bCopyAttach, const char* pszSourceFolderDir,
                        CMailIndexRecord* pCopiedState = nullptr);

    BOOL HasUnreadInThread() const;

    // Values (public, like the other records of the program).
    BYTE m_bRead = 0;
    BYTE m_bAttach = 0;
    BYTE m_bMark = 0;
    int m_nBookmark = 0;
    int m_nLabel = 0;
    int m_nTotalSize = 0;
    int m_nPriority = 3;
    int m_nPartNumber = 0;
    int m_nFlags = 0;
    COLORREF m_crLabel = 0;
    int m_nDataOffset = 0;
    int m_nDataLength = 0;
    int m_nRecordPos = 0;

    // Reply tree (the list does not own the records in it).
    CPtrArray* m_pChildren = nullptr;
    int m_nParent = -1;
    BYTE m_bCollapsed = 0;
    BYTE m_bThreadMark = 0;

private:
    // The value of a column no one has set.
    static const CString& DefaultText(int nColumn);
    static std::unique_ptr<CString[]> NewDefaultTexts();
    void TakeSourceColumn(int nColumn) const;
    // The column as the source holds it.
    std::string_view SourceColumn(int nColumn) const;
    void PutText(int nColumn, const char* pText, size_t nLength) const;
    // A date column parsed where it lies.
    int64_t ParseDateColumn(int nColumn, bool bLocal) const;

    // The columns, made when first set or asked for: a record read from an
    // index carries none until then, so that a large folder's records stay
    // small.
    mutable std::unique_ptr<CString[]> m_pText;
    // One bit per column still to be cut from the source into m_pText. The
    // source stays held with the record, so that a reader that saw a column
    // pending can still read it.
    mutable std::atomic<uint32_t> m_nPendingColumns{0};
    std::shared_ptr<const CIndexFileBytes> m_pSource;
    uint32_t m_nSourceStart = 0, m_nSourceLength = 0;
    bool m_bSendTimeValid = false, m_bSendLocalValid = false;
    bool m_bRecvTimeValid = false;
    int64_t m_tSend = 0, m_tSendLocal = 0, m_tRecv = 0;
    int m_nSubjectNoTag = -1;   // offset into column 0
    int m_nSortSubject = -1;    // offset into column 0
    bool m_bFromAddressValid = false;
    CString m_strFromAddress;
};
