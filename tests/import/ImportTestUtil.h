// Helpers of the import tests: an application object on a mailbox in a
// temporary folder, with its settings in a file of its own.
#pragma once

#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "store/StoreTestUtil.h"

#include <string>

namespace ImportTest {

struct TestApp : StoreTest::TestApp
{
    explicit TestApp(const CString& folder) : StoreTest::TestApp(folder)
    {
        m_strAccountFileOverride = folder + "\\Account.dat";
    }
    void AddAccount()
    {
        m_pAccountDataSet->SetFilePath(m_strAccountFileOverride);
        m_pAccountDataSet->CreateNewRecord();
        m_pAccountDataSet->WriteToFile();
        m_pAccountDataSet->RemoveAll();
    }
    // A store registered with the application, on a directory of its own.
    CMailFolderStore* AddStore(const CString& dir, int id, const char* name, int kind = 0)
    {
        CreateDirectoryA(dir, nullptr);
        CFolderRecord r;
        r.m_nId = id;
        r.m_nKind = kind;
        r.m_strName = name;
        r.m_strPath = dir;
        return AddFolder(0, 0, nullptr, r);
    }
};

inline std::string SimpleMail(const std::string& subject, const std::string& body = "body\r\n")
{
    return "From: Sender <sender@example.com>\r\nTo: rcpt@example.jp\r\nSubject: " + subject +
           "\r\nDate: Wed, 01 May 2024 09:00:00 +0900\r\nMessage-ID: <" + subject + "@example.com>\r\n\r\n" + body;
}

// Files a mail into a store through a temporary file.
inline int FileMail(CMailFolderStore& store, const CString& tempDir, const std::string& text, BOOL bRead = FALSE)
{
    return StoreTest::FileMail(store, tempDir, "QM1714550400000.eml", text, bRead);
}

} // namespace ImportTest
