#include "e2e/MailBoxFolders.h"

#include "e2e/StoredFolderCopy.h"
#include "store/FolderData.h"

namespace E2e {

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
        CStoredFolderCopy copy(r);
        CMailListData* list = copy.GetMailList();
        for (int m = 0; list && m < list->GetRecordCount(TRUE); ++m) {
            CMailIndexRecord* rec = list->GetMailRecord(m);
            CString text;
            if (rec && !rec->m_bDeleted && copy.Store().ReadMailText(rec, text))
                out.push_back(text.Str());
        }
    }
    return out;
}

} // namespace E2e
