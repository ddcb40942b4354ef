#include "e2e/StoredFolderCopy.h"

#include "classlib/File.h"

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

CStoredFolderCopy::CStoredFolderCopy(const CFolderRecord& record)
{
    m_previousHook = AfxSetMessageBoxHook(AnswerNo);
    // The index first: the data file copied after it holds at least what
    // the index knows.
    m_bCopied = !record.m_strPath.IsEmpty() &&
                CopyFileShared(record.m_strPath + "\\Index.lst", m_dir.File("Index.lst")) &&
                CopyFileShared(record.m_strPath + "\\MailData.Qmd", m_dir.File("MailData.Qmd"));
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
    return m_bCopied ? m_store.GetMailList() : nullptr;
}
