// The application's hidden folders: folders of kind 7 over a directory of
// their own that the folder list never names (the sending folder of task
// notices, the folders plug-ins make), and the filing of a mail copy for a
// sending account.
#include "core/QuendalApp.h"

#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/FileUtil.h"
#include "message/DotStuffer.h"
#include "store/FolderRecord.h"
#include "store/MailFileReader.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"

#include <string>

namespace {

// The stored entry as the mail's text: its name line goes, the end line
// goes, and the doubled dots at line starts are single again.
std::string EntryToMailText(const CString& entry)
{
    std::string text = entry.Str();
    size_t eol = text.find("\r\n");
    text.erase(0, eol == std::string::npos ? text.size() : eol + 2);
    size_t end = text.find("\r\n.\r\n");
    if (end != std::string::npos)
        text.resize(end + 2);
    return CDotStuffer::Undo(text);
}

// The header block of a mail text (up to its first empty line).
std::string HeaderOf(const std::string& text)
{
    size_t end = text.find("\r\n\r\n");
    return end == std::string::npos ? text : text.substr(0, end + 2);
}

} // namespace

int CQuendalApp::CreateTempFolder(const char* pszName, const char* pszDir)
{
    if (!pszDir || !*pszDir)
        return 0;
    CString dir = pszDir;
    while (dir.GetLength() > 3 && (dir.Right(1) == "\\" || dir.Right(1) == "/"))
        dir = dir.Left(dir.GetLength() - 1);
    // Two stores over one directory would write one index over the other:
    // a hidden folder there already is the same folder again, a listed one
    // is refused.
    for (int i = 0; i < GetFolderCount(); ++i) {
        CMailFolderStore* s = GetFolderAt(i);
        if (s && s->GetFolderPath().CompareNoCase(dir) == 0)
            return s->GetKind() == CFolderRecord::kindHidden ? s->GetFolderId() : 0;
    }
    if (!DirectoryExists(dir) && !CreateDirectoryPath(dir))
        return 0;
    CFolderRecord record;
    record.m_nId = GetNewFolderId();
    record.m_nKind = CFolderRecord::kindHidden;
    record.m_strName = pszName ? pszName : "";
    record.m_strPath = dir;
    CMailFolderStore* store = AddFolder(0, 0, nullptr, record);
    return store ? store->GetFolderId() : 0;
}

int CQuendalApp::GetSendTempFolder()
{
    // The id stays valid only while its store is the hidden one: a rebuilt
    // folder list makes new stores and may give the id to a listed folder.
    if (m_nSendTempFolderId > 0) {
        CMailFolderStore* s = FindFolder(m_nSendTempFolderId);
        if (s && s->GetKind() == CFolderRecord::kindHidden)
            return m_nSendTempFolderId;
        m_nSendTempFolderId = -1;
    }
    if (GetDefaultFolderPath(CFolderRecord::kindSent).IsEmpty())
        return 0;
    int id = CreateTempFolder("SendTempFolder", GetSendTempPath());
    if (id > 0)
        m_nSendTempFolderId = id;
    return id;
}

BOOL CQuendalApp::StoreMailWithAccount(int nIndex, int nTargetId, const char* pszAccount, CMailFolderStore* pSource,
                                       QdCopyTextFilter pfnText, QdCopyFlagFilter pfnFlag, QdCopyDone pfnDone,
                                       LPARAM lUser)
{
    CMailFolderStore* target = FindFolder(nTargetId);
    CMailListData* list = pSource ? pSource->GetMailList() : nullptr;
    CMailIndexRecord* source = list && nIndex >= 0 && nIndex < list->GetAllRecordCount() ? list->GetMailRecord(nIndex)
                                                                                       : nullptr;
    if (!target || !source || !pszAccount)
        return FALSE;
    CString entry;
    if (!pSource->ReadMailText(source, entry))
        return FALSE;
    std::string text = EntryToMailText(entry);
    CString subject = source->GetText(CMailIndexRecord::colSubject);
    CString to = source->GetText(CMailIndexRecord::colTo);
    CString cc = source->GetText(CMailIndexRecord::colCc);
    CString date = source->GetText(CMailIndexRecord::colDate);
    if (pfnText) {
        const char* filtered = pfnText(subject, source->GetText(CMailIndexRecord::colFrom), to, cc, date,
                                       text.c_str(), lUser);
        if (!filtered)
            return FALSE;
        text = filtered;
    }
    text = std::string("X-SendAcount: ") + pszAccount + "\r\n" + text;
    BOOL bCopyAttach = pfnFlag && pfnFlag(subject, to, cc, date, text.c_str(), lUser) ? TRUE : FALSE;

    CMailFileReader reader;
    reader.ParseHeaderText(HeaderOf(text).c_str(), "");
    const MailHeaderValues& v = reader.GetValues();
    CMailIndexRecord copy;
    copy.CopyValuesFrom(*source);
    copy.SetText(CMailIndexRecord::colSubject, v.strSubject);
    copy.SetText(CMailIndexRecord::colFrom, v.strFrom);
    copy.SetText(CMailIndexRecord::colTo, v.strTo);
    copy.SetText(CMailIndexRecord::colCc, v.strCc);
    if (!v.strDate.IsEmpty())
        copy.SetText(CMailIndexRecord::colDate, v.strDate);
    // The filing takes the name line off a text that begins with one; the
    // stored form doubles the dots at line starts and ends with the end line.
    std::string stored = "QM\r\n" + CDotStuffer::Stuff(text.data(), text.size());
    if (stored.size() < 2 || stored.compare(stored.size() - 2, 2, "\r\n") != 0)
        stored += "\r\n";
    stored += ".\r\n";
    int result = target->AddCopyOfMail(copy, pSource->GetFolderPath(), stored.c_str(),
                                       static_cast<int>(stored.size()), bCopyAttach, nullptr);
    if (result == -2)
        return FALSE;
    target->PostCountMessages();
    if (pfnDone)
        pfnDone(lUser);
    return TRUE;
}
