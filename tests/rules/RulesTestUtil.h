// Helpers shared by the rule tests: an application with a mailbox of a few
// folders (each with a directory), an address book with groups, and
// real-looking Japanese mails.
#pragma once

#include "core/QuendalApp.h"
#include "store/FolderRecord.h"
#include "store/StoreTestUtil.h"
#include "support/TestSupport.h"

#include <string>

namespace RulesTest {

enum FolderIds { kInbox = 1, kSent = 2, kTrash = 4, kWork = 10, kList = 11, kJunk = 12, kInvoice = 13 };

struct RulesApp : StoreTest::TestApp
{
    explicit RulesApp(const CString& folder) : StoreTest::TestApp(folder), m_strRoot(folder)
    {
        Add(kInbox, 1, "受信箱");
        Add(kSent, 2, "送信済み");
        Add(kTrash, 4, "ごみ箱");
        Add(kWork, 0, "仕事");
        Add(kList, 0, "メルマガ");
        Add(kJunk, 0, "迷惑");
        Add(kInvoice, 0, "請求書");
    }
    CMailFolderStore* Add(int id, int kind, const char* name)
    {
        CFolderRecord r;
        r.m_nId = id;
        r.m_nKind = kind;
        r.m_strName = name;
        r.m_strPath.Format("%s\\F%d", m_strRoot.GetString(), id);
        CreateDirectoryA(r.m_strPath, nullptr);
        return AddFolder(0, 0, nullptr, r);
    }
    CString MailBox() { return GetMailBoxFolder(); }
    CString m_strRoot;
};

// An address book with the junk group and a customer group, written as the
// address book writes them (the junk group's file given as a bare name).
inline void WriteAddressBook(CQuendalApp& app)
{
    CString box = app.GetAddressBoxPath();
    TestSupport::WriteFileBytes(box + "\\Group.lst",
                                "FILE_VERSION\t1\r\n"
                                "-1\t0\t0\t0\tアドレス帳\tアドレス帳.dat\t0\t0\t0\t0\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n"
                                "-1\t0\t0\t1\t迷惑メール\t迷惑メール.dat\t0\t0\t0\t0\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n"
                                "-1\t0\t1\t2\t取引先\tcustomers.dat\t0\t0\t0\t0\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n");
    TestSupport::WriteFileBytes(box + "\\アドレス帳.dat", "");
    TestSupport::WriteFileBytes(box + "\\迷惑メール.dat",
                                "spam@cheap-offer.example\t\t\tIconDefault\t\r\n"
                                "Winner@Lottery.example\t当選係\t\tIconDefault\t\r\n");
    TestSupport::WriteFileBytes(box + "\\customers.dat",
                                "yamada@sakura-shoji.co.jp\t山田 太郎\t営業\tIconDefault\t\r\n"
                                "\t名前だけ\t\tIconDefault\t\r\n");
}

// A mail header block and body.
inline std::string Mail(const std::string& from, const std::string& to, const std::string& cc,
                        const std::string& subject, const std::string& extra = "", size_t bodyBytes = 40)
{
    std::string m = "From: " + from + "\r\nTo: " + to + "\r\n";
    if (!cc.empty())
        m += "Cc: " + cc + "\r\n";
    m += "Subject: " + subject + "\r\nDate: Mon, 13 May 2024 09:30:00 +0900\r\nMessage-ID: <" +
         std::to_string(std::hash<std::string>()(from + subject)) + "@example.jp>\r\n" + extra +
         "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n";
    m += std::string(bodyBytes, 'x') + "\r\n";
    return m;
}

} // namespace RulesTest
