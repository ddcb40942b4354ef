// A mail composed by the editor and sent at once: with the attachments for
// the To recipients only, the Cc recipients get a copy of their own without
// them (same Message-ID); the sent copy is stored once and the work files go.
// A send thread stopped before its job came answers its owner once and ends.
#include "TransferTestSupport.h"

#include "core/FileUtil.h"
#include "net/NetTestSupport.h"
#include "net/SmtpSession.h"
#include "smtp/SmtpTestSupport.h"
#include "store/MailFolderStore.h"
#include "transfer/MailSendThread.h"
#include "transfer/TransferMessages.h"

#include <gtest/gtest.h>

using namespace TransferTest;

namespace {

TEST(ComposedSendTest, AttachmentsForToOnlyGiveTheCcRecipientsACopyWithoutThem)
{
    CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
    CVM_NEED_SERVER(SmtpTest::ServerAnswers("127.0.0.3", 587), "Postfix");
    TestSupport::TempDir dir;
    TestApp app{dir.Path()};
    MainLoop loop;
    NetTest::ClearMaildir(31);
    NetTest::ClearMaildir(32);
    CString attachment = dir.File("資料.txt");
    TestSupport::WriteFileBytes(attachment, "attached text\r\n");

    auto* pThread = new CMailSendThread;
    pThread->m_dwOwnerThreadId = GetCurrentThreadId();
    pThread->m_dwMainThreadId = GetCurrentThreadId();
    pThread->m_bQuiet = 1;
    CSmtpSession* s = pThread->GetSession();
    s->SetServer("smtp.cvm.test", 587);
    s->SetUseEhlo(true);
    s->SetSsl(true);
    s->SetAuthUser(NetTest::UserName(31), NetTest::Password(31));
    s->SetAccountName("送信");
    s->SetAccountAddress("cvmtest31@cvm.test");
    s->SetFrom("cvmtest31@cvm.test");
    s->SetTo("cvmtest31@cvm.test");
    s->SetCc("cvmtest32@cvm.test");
    s->SetAttachToOnly(true);
    s->SetSubject("宛先だけに添付");
    s->AddBodyText("本文です。");
    s->AddAttachment(attachment);
    ASSERT_TRUE(pThread->CreateThread());
    HANDLE hDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    pThread->m_pDoneEvent = hDone;
    pThread->PostThreadMessage(TM_SEND_REQUEST, CMailSendThread::modeSendNow, 0);
    HANDLE handles[2] = {hDone, pThread->m_hThread};
    DWORD waited = WAIT_TIMEOUT;
    ASSERT_TRUE(loop.RunUntil([&] {
        waited = WaitForMultipleObjects(2, handles, FALSE, 0);
        return waited != WAIT_TIMEOUT;
    }, 60000));
    EXPECT_EQ(pThread->m_nResult, 0) << pThread->m_strErrorText.GetString();
    CString workFile = pThread->m_szFile;
    pThread->PostThreadMessage(TM_QUIT, 0, 0);
    WaitForSingleObject(pThread->m_hThread, 10000);
    delete pThread;
    CloseHandle(hDone);

    // Both copies carry the Message-ID the sent mail was given.
    std::vector<std::string> sent = StoredMails(app.Sent());
    ASSERT_EQ(sent.size(), 1u);
    size_t at = sent[0].find("Message-ID: ");
    ASSERT_NE(at, std::string::npos);
    CString id = sent[0].substr(at + 12, sent[0].find("\r\n", at) - at - 12).c_str();
    std::string toCopy = SmtpTest::WaitForDeliveredMail(NetTest::UserName(31), id);
    std::string ccCopy = SmtpTest::WaitForDeliveredMail(NetTest::UserName(32), id);
    ASSERT_FALSE(toCopy.empty());
    ASSERT_FALSE(ccCopy.empty());
    EXPECT_NE(toCopy.find("Content-Disposition: attachment"), std::string::npos);
    EXPECT_EQ(ccCopy.find("Content-Disposition: attachment"), std::string::npos);
    EXPECT_EQ(NetTest::CountServerMails(31), 1);
    EXPECT_EQ(NetTest::CountServerMails(32), 1);

    // No work file is left beside the one that was sent.
    EXPECT_FALSE(TestSupport::FileExists(workFile));
    EXPECT_FALSE(TestSupport::FileExists(workFile + "CC"));
    NetTest::ClearMaildir(31);
    NetTest::ClearMaildir(32);
}

// An editor's send delay keeps the thread idle; stopped then, it still
// answers its owner (who waits for the answer to end its job) and ends.
TEST(ComposedSendTest, IdleThreadStoppedBeforeItsJobAnswersOnceAndEnds)
{
    TestSupport::TempDir dir;
    TestApp app{dir.Path()};
    MainLoop loop;
    auto* pThread = new CMailSendThread;
    pThread->m_dwOwnerThreadId = GetCurrentThreadId();
    pThread->m_dwMainThreadId = GetCurrentThreadId();
    ASSERT_TRUE(pThread->CreateThread());
    pThread->PostThreadMessage(TM_TRANSFER_ERROR, 0, 0);
    pThread->PostThreadMessage(TM_TRANSFER_ERROR, 0, 0);
    ASSERT_TRUE(loop.RunUntil([&] { return WaitForSingleObject(pThread->m_hThread, 0) == WAIT_OBJECT_0; }, 10000));
    ASSERT_TRUE(loop.RunUntil([] { return true; }, 100));
    ASSERT_EQ(loop.Count(TM_SEND_RESULT), 1);
    for (const MSG& m : loop.heard) {
        if (m.message == TM_SEND_RESULT) {
            EXPECT_EQ(m.wParam, static_cast<WPARAM>(CMailSendThread::resultFailed));
        }
    }
    delete pThread;
}

} // namespace
