// A mail written in a folder that has a sender of its own, saved in the
// drafts and opened again from there: saved again, the task linked to it
// follows the new copy; sent, it goes out with the folder's sender, not
// with the account's.
#include "e2e/EditorSession.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"
#include "e2e/StoredFolderCopy.h"
#include "e2e/WaitFor.h"
#include "message/MailMessage.h"
#include "net/NetTestSupport.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "store/FolderData.h"
#include "store/FolderRecord.h"
#include "store/MailIndexRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using E2e::CEditorSession;

namespace {

const int kUser = 131;
const char kFolderSenderName[] = "営業部";
const char kFolderSenderAddress[] = "eigyo@example.jp";

// The key of the one live mail of the drafts on disk; empty when there is
// not exactly one.
CString DraftKey(const CString& mailbox)
{
    CStoredFolderCopy store(E2e::MailBoxFolderOfKind(mailbox, CFolderRecord::kindWriting));
    CMailListData* list = store.GetMailList();
    CString key;
    int live = 0;
    for (int i = 0; list && i < list->GetRecordCount(); ++i) {
        CMailIndexRecord* r = list->GetMailRecord(i);
        if (r && !r->m_bDeleted) {
            key = r->GetText(CMailIndexRecord::colAttachDir);
            ++live;
        }
    }
    return live == 1 ? key : CString();
}

} // namespace

TEST(DraftSenderTest, ReopenedDraftKeepsTheFoldersSenderAndItsTask)
{
    CVM_NEED_SERVER(CEditorSession::SmtpAnswers(), "Postfix");
    TestSupport::TempDir dir;
    CEditorSession session(dir.Path());
    ASSERT_TRUE(session.Prepare(kUser, "SendConfirmDialog=dword:0\r\n"));
    CString maildir = NetTest::ClearMaildir(kUser);
    HWND main = session.Start();
    ASSERT_NE(main, nullptr);
    session.Close(main);
    {
        // The inbox names a sender of its own.
        CFolderData folders(session.MailBox());
        folders.SetFilePath(session.MailBox() + "\\Folder.dat");
        ASSERT_TRUE(folders.ReadFromFile(TRUE));
        CFolderRecord* inbox = nullptr;
        for (int i = 0; i < folders.GetRecordCount(); ++i)
            if (folders.GetFolder(i) && folders.GetFolder(i)->m_nKind == CFolderRecord::kindInbox)
                inbox = folders.GetFolder(i);
        ASSERT_NE(inbox, nullptr);
        inbox->m_strText[14 - 11] = kFolderSenderName;
        inbox->m_strText[15 - 11] = kFolderSenderAddress;
        ASSERT_TRUE(folders.WriteToFile(FALSE));
    }

    // Written in the inbox and saved: the draft keeps the folder's sender.
    main = session.Start();
    ASSERT_NE(main, nullptr);
    ASSERT_NE(session.ShowFolder(main, "郵便受け", 0), nullptr) << session.Windows();
    PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
    ASSERT_TRUE(session.WaitForEditorCount(1)) << session.Windows();
    HWND editor = session.Editors()[0];
    HWND view = CEditorSession::ViewOf(editor);
    E2e::SetControlText(view, IDC_ME_TO, FormatString("cvmtest%d@cvm.test", kUser));
    E2e::SetControlText(view, IDC_ME_SUBJECT, "営業部からのお知らせ");
    E2e::SetControlText(view, IDC_ME_BODY, "書きかけ");
    PostMessageA(editor, WM_COMMAND, ID_EDIT_SAVE, 0);
    ASSERT_TRUE(E2e::WaitFor(15000, [&] { return !DraftKey(session.MailBox()).IsEmpty(); })) << session.Windows();
    PostMessageA(editor, WM_CLOSE, 0, 0);
    ASSERT_TRUE(session.WaitForEditorCount(0)) << session.Windows();
    session.Close(main);
    std::vector<std::string> drafts = session.StoredMails(CFolderRecord::kindWriting);
    ASSERT_EQ(drafts.size(), 1u);
    EXPECT_NE(drafts[0].find(kFolderSenderAddress), std::string::npos) << drafts[0].substr(0, 800);

    // A task linked to the draft.
    const CString firstKey = DraftKey(session.MailBox());
    const int draftsId = E2e::MailBoxFolderOfKind(session.MailBox(), CFolderRecord::kindWriting).m_nId;
    TestSupport::WriteFileBytes(session.MailBox() + "\\TaskList.dat",
                                FormatString("%d\t%s\t営業部からのお知らせ\t\t\t\t0\t0\t0\t0\t返事を待つ\t0\t0\t0\t0\t\t\t\t\r\n",
                                             draftsId, firstKey.GetString())
                                    .GetString());

    // Opened from the drafts, changed and saved: the task follows the copy.
    main = session.Start();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(session.OpenOnlyMail(main, "作成中")) << session.Windows();
    ASSERT_TRUE(session.WaitForEditorCount(1)) << session.Windows();
    editor = session.Editors()[0];
    view = CEditorSession::ViewOf(editor);
    E2e::SetControlText(view, IDC_ME_BODY, "書き終えました");
    PostMessageA(editor, WM_COMMAND, ID_EDIT_SAVE, 0);
    CString secondKey;
    ASSERT_TRUE(E2e::WaitFor(15000, [&] {
        secondKey = DraftKey(session.MailBox());
        return !secondKey.IsEmpty() && secondKey != firstKey;
    })) << session.Windows();
    EXPECT_TRUE(E2e::WaitFor(10000, [&] {
        std::string tasks = TestSupport::ReadFileBytes(session.MailBox() + "\\TaskList.dat");
        return tasks.find(secondKey.Str()) != std::string::npos && tasks.find(firstKey.Str()) == std::string::npos;
    })) << TestSupport::ReadFileBytes(session.MailBox() + "\\TaskList.dat");

    // Sent: the folder's sender, not the account's.
    PostMessageA(editor, WM_COMMAND, ID_EDIT_SEND, 0);
    std::vector<std::string> mails = CEditorSession::WaitForDelivered(maildir, 1);
    ASSERT_EQ(mails.size(), 1u) << session.Windows();
    CMailMessage header;
    header.Parse(mails[0].substr(0, mails[0].find("\r\n\r\n") + 2).c_str());
    EXPECT_EQ(header.GetHeader("From"), CString("営業部 <eigyo@example.jp>")) << mails[0].substr(0, 800);
    EXPECT_TRUE(session.WaitForEditorCount(0)) << session.Windows();
    EXPECT_EQ(E2e::CloseAfterSending(session.Program(), main), 0);
}
