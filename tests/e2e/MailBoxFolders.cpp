#include "e2e/MailBoxFolders.h"

#include "classlib/File.h"
#include "store/FolderData.h"
#include "store/MailFolderStore.h"
#include "support/TestSupport.h"

namespace E2e {

namespace {

bool CopyFileShared(const CString& from, const CString& to)
{
    std::string bytes;
    if (!ReadWholeFile(from, bytes))
        return false;
    TestSupport::WriteFileBytes(to, bytes);
    return true;
}

// A copy caught in the middle of a filing has entries its index does not
// know yet; the store asks whether to rebuild, and the answer is no.
int AnswerNo(const char*, UINT)
{
    return IDNO;
}

} // namespace

std::vector<CFolderRecord> ReadMailBoxFolders(const char* pszMailBox)
{
    std::vector<CFolderRecord> out;
    CString mailbox(pszMailBox);
    CFolderData data(mailbox);
    data.SetFilePath(mailbox + "\\Folder.dat");
    data.ReadFromFile(TRUE);
    for (int i = 0; i < data.GetRecordCount(TRUE); ++i) {
        CFolderRecord* r = data.GetFolder(i);
        if (!r)
            continue;
        CString full = data.ResolveFolderPath(r);
        CFolderRecord copy = *r;
        if (!full.IsEmpty())
            copy.m_strPath = full;
        out.push_back(copy);
    }
    return out;
}

CFolderRecord MailBoxFolderOfKind(const char* pszMailBox, int nKind)
{
    for (const CFolderRecord& r : ReadMailBoxFolders(pszMailBox))
        if (r.m_nKind == nKind)
            return r;
    return CFolderRecord();
}

std::vector<std::string> StoredMailTexts(const char* pszMailBox, int nKind)
{
    std::vector<std::string> out;
    for (const CFolderRecord& r : ReadMailBoxFolders(pszMailBox)) {
        if (r.m_nKind != nKind)
            continue;
        // Opening a store checks its files and mends a torn end, which must
        // never happen to the files of a running program. The index is
        // copied first: the data file then holds at least what it knows.
        TestSupport::TempDir copy;
        if (!CopyFileShared(r.m_strPath + "\\Index.lst", copy.File("Index.lst")) ||
            !CopyFileShared(r.m_strPath + "\\MailData.Qmd", copy.File("MailData.Qmd")))
            continue;
        CFolderRecord copied = r;
        copied.m_strPath = copy.Path();
        AfxMessageBoxHook previous = AfxSetMessageBoxHook(AnswerNo);
        {
            CMailFolderStore store;
            store.SetFolderRecord(copied);
            CMailListData* list = store.GetMailList();
            for (int m = 0; list && m < list->GetRecordCount(TRUE); ++m) {
                CMailIndexRecord* rec = list->GetMailRecord(m);
                CString text;
                if (rec && !rec->m_bDeleted && store.ReadMailText(rec, text))
                    out.push_back(text.Str());
            }
        }
        AfxSetMessageBoxHook(previous);
    }
    return out;
}

} // namespace E2e
