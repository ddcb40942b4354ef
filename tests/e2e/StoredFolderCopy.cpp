#include "e2e/StoredFolderCopy.h"

#include "classlib/File.h"

namespace {

// A file the folder does not have yet is not in the copy either.
void CopyFileShared(const CString& from, const CString& to)
{
    std::string bytes;
    if (ReadWholeFile(from, bytes))
        TestSupport::WriteFileBytes(to, bytes);
}

// A copy caught in the middle of a filing has entries its index does not
// know yet; the store asks whether to rebuild, and the answer is no.
int AnswerNo(const char*, UINT)
{
    return IDNO;
}

} // namespace

CStoredFolderCopy::CStoredFolderCopy(const CFolderRecord& record)
{
    m_previousHook = AfxSetMessageBoxHook(AnswerNo);
    // The index first: the data file copied after it holds at least what
    // the index knows.
    if (!record.m_strPath.IsEmpty()) {
        CopyFileShared(record.m_strPath + "\\Index.lst", m_dir.File("Index.lst"));
        CopyFileShared(record.m_strPath + "\\MailData.Qmd", m_dir.File("MailData.Qmd"));
    }
    CFolderRecord copied = record;
    copied.m_strPath = m_dir.Path();
    m_store.SetFolderRecord(copied);
}

CStoredFolderCopy::~CStoredFolderCopy()
{
    m_store.Close();
    AfxSetMessageBoxHook(m_previousHook);
}

CMailListData* CStoredFolderCopy::GetMailList()
{
    return m_store.GetMailList();
}
