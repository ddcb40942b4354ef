// Helpers shared by the mail store tests: an application object on a
// settings file of its own, a mailbox in a temporary folder, and mails.
#pragma once

#include "core/QuendalApp.h"
#include "store/MailFolderStore.h"
#include "store/MailListData.h"
#include "support/TestSupport.h"

#include <string>
#include <vector>

namespace StoreTest {

struct TestApp : CQuendalApp
{
    explicit TestApp(const CString& folder)
    {
        SetProfileFileMode(folder + "\\CVM.ini");
        m_strMailBoxPathOverride = folder;
        m_strMailBoxNameOverride = "MailBox";
        CreateDirectoryA(folder + "\\MailBox", nullptr);
    }
    ~TestApp() override
    {
        CloseAllFolders();
        m_bFileMode = 0;
    }
};

// A folder store on a directory of its own.
inline void OpenStore(CMailFolderStore& store, const CString& dir, int id = 1, int kind = 1)
{
    CreateDirectoryA(dir, nullptr);
    CFolderRecord r;
    r.m_nId = id;
    r.m_nKind = kind;
    r.m_strName = "Test";
    r.m_strPath = dir;
    store.SetFolderRecord(r);
}

// A folder record "F<id>" on a directory of its own (made here), for
// AddFolder of the test application.
inline CFolderRecord Folder(int id, int kind, const CString& path)
{
    CFolderRecord r;
    r.m_nId = id;
    r.m_nKind = kind;
    r.m_strName = FormatString("F%d", id);
    r.m_strPath = path;
    CreateDirectoryA(path, nullptr);
    return r;
}

// Writes a mail file and files it; returns the filing result.
inline int FileMail(CMailFolderStore& store, const CString& tempDir, const char* fileName, const std::string& text,
                    BOOL bRead = FALSE, const char* received = "2024/05/01 10:00:00 +0900")
{
    CString path = tempDir + "\\" + fileName;
    TestSupport::WriteFileBytes(path, text);
    int r = store.AddNewMailData(path, received, bRead);
    DeleteFileA(path);
    return r;
}

inline std::string SimpleMail(const std::string& subject, const std::string& id, const std::string& ref = "",
                              const std::string& date = "Wed, 01 May 2024 09:00:00 +0900")
{
    std::string m = "From: Sender <sender@example.com>\r\nTo: rcpt@example.jp\r\nSubject: " + subject +
                    "\r\nDate: " + date + "\r\nMessage-ID: " + id + "\r\n";
    if (!ref.empty())
        m += "In-Reply-To: " + ref + "\r\n";
    m += "\r\nbody of " + subject + "\r\n";
    return m;
}

// A stored entry as it was filed: without its file-name line and
// terminator, with doubled leading dots undone.
inline std::string FiledText(std::string entry)
{
    entry.erase(0, entry.find("\r\n") + 2);
    if (entry.size() >= 5 && entry.compare(entry.size() - 5, 5, "\r\n.\r\n") == 0)
        entry.resize(entry.size() - 5);
    std::string plain;
    for (size_t k = 0; k < entry.size(); ++k) {
        if (entry[k] == '.' && (k == 0 || entry[k - 1] == '\n') && k + 1 < entry.size() && entry[k + 1] == '.')
            continue;
        plain += entry[k];
    }
    return plain;
}

// The mails of a folder as they were filed.
inline std::vector<std::string> StoredMails(CMailFolderStore& store)
{
    std::vector<std::string> out;
    CMailListData* list = store.GetMailList();
    for (int i = 0; list && i < list->GetMailCount(); ++i) {
        CString text;
        store.ReadMailText(list->GetMailRecord(i), text);
        out.push_back(FiledText(text.Str()));
    }
    return out;
}

} // namespace StoreTest
