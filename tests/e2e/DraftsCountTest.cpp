// The status bar counts the mails of the folder the list shows, the drafts
// folder too: three drafts are three rows and " 総数：3".
#include "e2e/E2eDriver.h"
#include "e2e/EditorSession.h"
#include "e2e/FirstStart.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"

#include "store/FolderRecord.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"
#include "store/MailFolderStore.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

const DWORD kStartTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";

struct StatusWanted
{
    HWND status;
    HWND list;
};

} // namespace

TEST(DraftsCount, TheStatusBarCountsTheDraftsTheListShows)
{
    TestSupport::TempDir dir;
    const CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
    ASSERT_TRUE(E2e::MakeMailBoxByFirstStart(dir.Path()));
    CFolderRecord record = E2e::MailBoxFolderOfKind(mailbox, CFolderRecord::kindWriting);
    ASSERT_FALSE(record.m_strPath.IsEmpty());
    {
        CMailFolderStore drafts;
        drafts.SetFolderRecord(record);
        for (int i = 0; i < 3; ++i) {
            const CString path = dir.File("draft.eml");
            TestSupport::WriteFileBytes(path, "To: someone@example.jp\r\nSubject: 下書き " + std::to_string(i) +
                                                  "\r\n\r\n書きかけ\r\n");
            ASSERT_EQ(drafts.AddNewMailData(path, "2024/05/01 10:00:00 +0900", TRUE), 1);
            DeleteFileA(path);
        }
        drafts.Close();
    }

    E2e::CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = program.WaitForMainWindow(kStartTimeout);
    ASSERT_NE(main, nullptr);
    HWND tree = E2e::FindDescendant(main, "SysTreeView32");
    HWND list = E2e::FindDescendant(main, "SysListView32");
    HWND status = E2e::FindDescendant(main, "msctls_statusbar32");
    ASSERT_TRUE(tree && list && status);
    HTREEITEM item = E2e::FindTreeItem(tree, record.m_strName);
    ASSERT_NE(item, nullptr) << record.m_strName.Str();
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    StatusWanted wanted = { status, list };
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) {
        auto* w = static_cast<StatusWanted*>(p);
        return E2e::ListItemCount(w->list) == 3 && E2e::StatusBarText(w->status, 1) == CString(" 総数：3");
    }, &wanted)) << E2e::ListItemCount(list) << " rows, " << E2e::StatusBarText(status, 1).Str();
    // Still so after the program has settled.
    Sleep(1500);
    EXPECT_EQ(E2e::StatusBarText(status, 1), CString(" 総数：3"));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
}

// Drafts the editor stored by itself while the program ran are counted too.
TEST(DraftsCount, DraftsStoredWhileRunningAreCounted)
{
    TestSupport::TempDir dir;
    E2e::CEditorSession session(dir.Path());
    ASSERT_TRUE(session.Prepare(108));
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n"
                                                     "EditorAutoBackup=dword:1\r\nAutoBackupInterval=dword:1\r\n\r\n");
    HWND main = session.Start();
    ASSERT_NE(main, nullptr);
    for (int i = 0; i < 3; ++i)
        PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
    ASSERT_TRUE(session.WaitForEditorCount(3)) << session.Windows();
    int n = 0;
    for (HWND editor : session.Editors())
        E2e::SetControlText(E2e::CEditorSession::ViewOf(editor), IDC_ME_SUBJECT,
                            ("書きかけ " + std::to_string(++n)).c_str());
    ASSERT_TRUE(E2e::WaitUntil(30000, [](void* p) {
        return static_cast<E2e::CEditorSession*>(p)->StoredMails(CFolderRecord::kindWriting).size() == 3;
    }, &session)) << session.StoredMails(CFolderRecord::kindWriting).size() << " stored\n" << session.Windows();
    session.ShowFolder(main, "作成中", 3);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    HWND status = E2e::FindDescendant(main, "msctls_statusbar32");
    EXPECT_EQ(E2e::ListItemCount(list), 3);
    EXPECT_EQ(E2e::StatusBarText(status, 1), CString(" 総数：3"));
    // The open editors would ask about their unsaved text; what they hold is
    // not the test's concern.
    session.Program().Kill();
}
