#include "TransferTestSupport.h"

#include "core/AccountDataSet.h"
#include "message/MailMessage.h"
#include "net/NetTestSupport.h"
#include "net/SmtpSession.h"
#include "smtp/SmtpTestSupport.h"
#include "store/MailFolderStore.h"
#include "transfer/TransferMessages.h"

#include <algorithm>

namespace TransferTest {

TestApp::TestApp(const CString& folder)
{
    SetProfileFileMode(folder + "\\CVM.ini");
    m_strMailBoxPathOverride = folder;
    m_strMailBoxNameOverride = "MailBox";
    CreateDirectoryA(folder + "\\MailBox", nullptr);
    CreateDefaultMailBox();
    OpenFolderList();
    m_pAccountDataSet->SetFilePath(GetAccountFilePath());
}

TestApp::~TestApp()
{
    CloseAllFolders();
    m_bFileMode = 0;
}

CAccountData* AddAccount(TestApp& app, const char* pszName, int nUser, bool bImap)
{
    auto* a = static_cast<CAccountData*>(app.m_pAccountDataSet->CreateNewRecord());
    a->SetAccountName(pszName);
    a->SetUserName(pszName);
    a->SetMailAddress(FormatString("cvmtest%d@cvm.test", nUser));
    a->SetSmtpServer("smtp.cvm.test");
    a->SetSmtpPort(587);
    a->SetReceiveServer(NetTest::kHost);
    a->SetReceiveUser(NetTest::UserName(nUser));
    a->SetPassword(NetTest::Password(nUser));
    a->SetReceivePort(bImap ? 143 : 110);
    a->SetProtocol(bImap ? 1 : 0);
    a->SetInt(9, 1);  // taken into the route
    a->SetUseEsmtp(TRUE);
    a->SetSmtpAuth(TRUE);
    a->SetSendTls(TRUE);
    a->SetTimeout(10);
    return a;
}

void SaveAccounts(TestApp& app)
{
    app.m_pAccountDataSet->WriteToFile(FALSE);
}

TestHost::TestHost()
{
    m_dwMainThreadId = GetCurrentThreadId();
}

void TestHost::StartTransferProgress(int nKind, CTransferStatus*)
{
    std::lock_guard<std::mutex> hold(lock);
    progressKinds.push_back(nKind);
}

void TestHost::EndTransferProgress(BOOL)
{
    std::lock_guard<std::mutex> hold(lock);
    nProgressEnds++;
}

bool TestHost::Confirm(const char*)
{
    return true;
}

void TestHost::ShowMessage(const char* pszText)
{
    std::lock_guard<std::mutex> hold(lock);
    messages.push_back(pszText);
}

void TestHost::ShowSendError(const char* pszText)
{
    std::lock_guard<std::mutex> hold(lock);
    sendErrors.push_back(pszText);
}

MainLoop::MainLoop()
{
    MSG msg;
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

bool MainLoop::RunUntil(const std::function<bool()>& until, DWORD dwTimeoutMs,
                        const std::function<void(const MSG&)>& onMessage)
{
    DWORD dwStart = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!msg.hwnd)
                heard.push_back(msg);
            if (onMessage)
                onMessage(msg);
            if (msg.hwnd)
                DispatchMessageA(&msg);
        }
        if (until())
            return true;
        DWORD dwElapsed = GetTickCount() - dwStart;
        if (dwElapsed >= dwTimeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(100, dwTimeoutMs - dwElapsed), QS_ALLINPUT);
    }
}

bool MainLoop::RunUntilCount(UINT nMessage, int n, DWORD dwTimeoutMs)
{
    return RunUntil([&] { return Count(nMessage) >= n; }, dwTimeoutMs);
}

int MainLoop::Count(UINT nMessage) const
{
    return static_cast<int>(
        std::count_if(heard.begin(), heard.end(), [&](const MSG& m) { return m.message == nMessage; }));
}

int MainLoop::SumWParam(UINT nMessage) const
{
    int n = 0;
    for (const MSG& m : heard)
        if (m.message == nMessage)
            n += static_cast<int>(m.wParam);
    return n;
}

bool ReceiveAndWait(TestHost& host, MainLoop& loop, int nAccount)
{
    int nEnds = loop.Count(TM_RECEIVE_JOB_END);
    return host.ReceiveAccount(nAccount, false, true) && loop.RunUntilCount(TM_RECEIVE_JOB_END, nEnds + 1) &&
           loop.RunUntil([&] { return !host.IsReceiving(); }, 10000);
}

std::vector<std::string> SortedMessageIds(const std::vector<std::string>& mails)
{
    std::vector<std::string> ids;
    for (const std::string& m : mails) {
        size_t at = m.find("Message-ID: ");
        ids.push_back(at == std::string::npos ? std::string() : m.substr(at + 12, m.find("\r\n", at) - at - 12));
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::string JapaneseMail(int n, size_t nBodyBytes)
{
    std::string id = "<transfer" + std::to_string(n) + "." + std::to_string(GetTickCount()) + "@example.jp>";
    std::string body;
    switch (n % 3) {
    case 0:  // ISO-2022-JP
        body = "\x1b$B$3$s$K$A$O!#\x1b(B " + std::to_string(n) + "\r\n";
        break;
    case 1:  // Shift_JIS (this source is code page 932 when compiled)
        body = "表示のテストです。ソフト " + std::to_string(n) + "\r\n.で始まる行\r\n";
        break;
    default:  // UTF-8 with an attachment
        break;
    }
    while (body.size() < nBodyBytes)
        body += "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\r\n";
    std::string head = "From: sender" + std::to_string(n) + "@example.jp\r\nTo: cvm@example.jp\r\nSubject: mail " +
                       std::to_string(n) + "\r\nDate: Mon, 01 Jan 2024 09:00:00 +0900\r\nMessage-ID: " + id +
                       "\r\nMIME-Version: 1.0\r\n";
    if (n % 3 == 0)
        return head + "Content-Type: text/plain; charset=ISO-2022-JP\r\nContent-Transfer-Encoding: 7bit\r\n\r\n" + body;
    if (n % 3 == 1)
        return head + "Content-Type: text/plain; charset=Shift_JIS\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" + body;
    return head +
           "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n--b1\r\n"
           "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
           "44GT44KT44Gr44Gh44Gv44CB5LiW55WM44CCDQo=\r\n" +
           body +
           "--b1\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
           "Content-Disposition: attachment; filename=\"data.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
           "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8=\r\n--b1--\r\n";
}

std::vector<std::string> StoredMails(CMailFolderStore* pStore)
{
    std::vector<std::string> out;
    CMailListData* list = pStore ? pStore->GetMailList() : nullptr;
    for (int i = 0; list && i < list->GetAllRecordCount(); ++i) {
        CMailIndexRecord* r = list->GetMailRecord(i);
        if (!r || r->m_bDeleted)
            continue;
        CString text;
        pStore->ReadMailText(r, text);
        std::string entry = text.Str();
        entry.erase(0, entry.find("\r\n") + 2);
        if (entry.size() >= 5 && entry.compare(entry.size() - 5, 5, "\r\n.\r\n") == 0)
            entry.resize(entry.size() - 3);
        std::string plain;
        for (size_t k = 0; k < entry.size(); ++k) {
            if (entry[k] == '.' && (k == 0 || entry[k - 1] == '\n') && k + 1 < entry.size() && entry[k + 1] == '.')
                continue;
            plain += entry[k];
        }
        out.push_back(plain);
    }
    return out;
}

std::vector<std::string> ServerMessageIds(int nUser)
{
    std::vector<std::string> ids;
    CString fresh = SmtpTest::MaildirNew(NetTest::UserName(nUser));
    CString maildir = fresh.Left(fresh.ReverseFind('\\'));
    for (const char* sub : {"\\new", "\\cur"}) {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(maildir + sub + "\\*", &fd);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        do {
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            std::string text = TestSupport::ReadFileBytes(maildir + sub + "\\" + fd.cFileName);
            size_t at = text.find("Message-ID: ");
            if (at == std::string::npos)
                at = text.find("Message-Id: ");
            if (at != std::string::npos)
                ids.push_back(text.substr(at + 12, text.find_first_of("\r\n", at) - at - 12));
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

void StoreOutgoing(TestApp& app, const char* pszAccount, const char* pszTo, const char* pszSubject,
                   const char* pszBody, const char* pszReferFolder, const char* pszReferHandle)
{
    CSmtpSession composer;
    composer.SetAccountName(pszAccount);
    composer.SetFrom("sender@cvm.test");
    composer.SetTo(pszTo);
    composer.SetSubject(pszSubject);
    composer.AddBodyText(pszBody);
    if (pszReferFolder)
        composer.SetReferMail(atoi(pszReferFolder), pszReferHandle);
    TestSupport::TempDir dir;
    CString path = dir.File("out.eml");
    composer.BuildMessage(path);
    app.Outbox()->AddNewMailData(path, "2024/05/01 10:00:00 +0900", TRUE);
}

} // namespace TransferTest
