// Selective receive from the main window, over POP3 and IMAP: the window
// lists the mails on the private Dovecot with their subjects and senders
// decoded, the marked mails are received or deleted, the list closes up, and
// a mailbox emptied behind the window's back is reported instead of acted on.
#include "e2e/E2eDriver.h"
#include "e2e/RemoteControls.h"

#include "core/AccountDataSet.h"
#include "net/NetTestSupport.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/selrecv/SelRecvResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const char kPresetIni[] = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n";
const int kUser = 33;

int RowImage(HWND hList, int row)
{
    E2e::CRemoteBlock block(hList, sizeof(LVITEMA));
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    block.Write(&item, sizeof(item));
    SendMessageA(hList, LVM_GETITEMA, 0, block.Param());
    block.Read(&item, sizeof(item));
    return item.iImage;
}

int RowWithSubject(HWND hList, const char* subject)
{
    for (int r = 0; r < E2e::ListItemCount(hList); r++)
        if (E2e::ListItemText(hList, r, 1) == subject)
            return r;
    return -1;
}

struct Window
{
    HWND dlg;
    HWND list;
    int nRows;
    const char* count;
};

bool Shows(void* p)
{
    auto* w = static_cast<Window*>(p);
    return E2e::ListItemCount(w->list) == w->nRows && E2e::GetControlText(w->dlg, IDC_REMOTE_COUNT) == w->count &&
           IsWindowEnabled(GetDlgItem(w->dlg, IDOK));
}

void RunOnce(TestSupport::TempDir& dir, const CString& mailbox, bool bImap)
{
    {
        CAccountDataSet accounts;
        accounts.SetFilePath(mailbox + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(accounts.CreateNewRecord());
        a->SetAccountName("選択");
        a->SetMailAddress(FormatString("cvmtest%d@cvm.test", kUser));
        a->SetReceiveServer(NetTest::kHost);
        a->SetReceiveUser(NetTest::UserName(kUser));
        a->SetPassword(NetTest::Password(kUser));
        a->SetReceivePort(bImap ? 143 : 110);
        a->SetProtocol(bImap ? 1 : 0);
        a->SetTimeout(10);
        ASSERT_TRUE(accounts.WriteToFile());
    }
    NetTest::ClearMaildir(kUser);
    const char* const subjects[] = {"=?ISO-2022-JP?B?GyRCMnE1RBsoQg==?= 1", "=?ISO-2022-JP?B?GyRCMnE1RBsoQg==?= 2",
                                    "=?ISO-2022-JP?B?GyRCMnE1RBsoQg==?= 3"};
    for (int i = 0; i < 3; i++)
        NetTest::DeliverMail(kUser, std::string("From: =?ISO-2022-JP?B?GyRCMnE1RBsoQg==?= <s@example.jp>\r\nSubject: ") +
                                        subjects[i] + "\r\nMessage-ID: <e2esel" + std::to_string(i) +
                                        "@example.jp>\r\n\r\n" + std::string(static_cast<size_t>(i + 1) * 700, 'x') +
                                        "\r\n");

    CProgramUnderTest program(dir.Path());
    ASSERT_TRUE(program.Start("/INI \"/M:" + mailbox + "\""));
    HWND main = program.WaitForMainWindow(kStartTimeout);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, ID_FILE_SELECT_RECEIVE, 0);
    HWND dlg = program.WaitForWindow("#32770", "選択受信", 20000);
    ASSERT_NE(dlg, nullptr);
    HWND list = GetDlgItem(dlg, IDC_REMOTE_LIST);
    Window shown{dlg, list, 3, "3 / 3"};
    ASSERT_TRUE(E2e::WaitUntil(30000, Shows, &shown)) << E2e::GetControlText(dlg, IDC_REMOTE_COUNT).GetString();
    // Decoded subjects and senders, sizes in bytes, nothing fetched yet.
    int first = RowWithSubject(list, "会議 1");
    int second = RowWithSubject(list, "会議 2");
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    ASSERT_GE(RowWithSubject(list, "会議 3"), 0);
    EXPECT_STREQ(E2e::ListItemText(list, first, 2), "会議 <s@example.jp>");
    EXPECT_GT(atoi(E2e::ListItemText(list, second, 4)), atoi(E2e::ListItemText(list, first, 4)));
    EXPECT_EQ(NetTest::CountServerMails(kUser), 3);

    // Receive the first, delete the second, execute.
    E2e::ListSelectItem(list, first);
    E2e::PressButton(dlg, IDC_REMOTE_RECEIVE);
    EXPECT_TRUE(E2e::WaitUntil(5000, [](void* p) {
        auto* w = static_cast<Window*>(p);
        return RowImage(w->list, RowWithSubject(w->list, "会議 1")) == 1;
    }, &shown));
    E2e::ListSelectItem(list, second);
    E2e::PressButton(dlg, IDC_REMOTE_DELETE);
    E2e::PressButton(dlg, IDOK);
    Window after{dlg, list, 2, "2 / 2"};
    ASSERT_TRUE(E2e::WaitUntil(30000, Shows, &after)) << E2e::GetControlText(dlg, IDC_REMOTE_COUNT).GetString();
    EXPECT_EQ(RowWithSubject(list, "会議 2"), -1);
    // The received row keeps its place with the done mark.
    EXPECT_EQ(RowImage(list, RowWithSubject(list, "会議 1")), 9);
    EXPECT_EQ(NetTest::CountServerMails(kUser), 2);
    EXPECT_FALSE(IsIconic(dlg));

    // Another client empties the mailbox: a further listing is refused
    // with the message that asks for a new list.
    NetTest::ClearMaildir(kUser);
    E2e::PressButton(dlg, IDC_REMOTE_REFRESH);
    HWND box = program.WaitForMessageBox("メールボックスの内容が変更されています", 30000);
    ASSERT_NE(box, nullptr);
    E2e::PressButton(box, IDOK);
    EXPECT_TRUE(E2e::WaitUntil(20000, [](void* p) { return IsWindowEnabled(GetDlgItem(static_cast<HWND>(p), IDOK)) != 0; },
                               dlg));
    EXPECT_EQ(E2e::ListItemCount(list), 2);

    E2e::PressButton(dlg, IDCANCEL);
    EXPECT_TRUE(E2e::WaitUntil(10000, [](void* p) { return !IsWindowVisible(static_cast<HWND>(p)); }, dlg));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
    NetTest::ClearMaildir(kUser);
}

TEST(SelectiveReceiveE2eTest, ListsMarksRunsAndReportsAChangedMailboxOverPop3AndImap)
{
    CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
    TestSupport::TempDir dir;
    CString mailbox = dir.Path() + "\\MailBox";
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), kPresetIni);
    {
        CProgramUnderTest first(dir.Path());
        ASSERT_TRUE(first.Start("/INI \"/M:" + mailbox + "\""));
        HWND main = first.WaitForMainWindow(kStartTimeout);
        ASSERT_NE(main, nullptr);
        PostMessageA(main, WM_CLOSE, 0, 0);
        ASSERT_EQ(first.WaitForExit(kStartTimeout), 0);
    }
    struct Case
    {
        const char* name;
        bool bImap;
    } const cases[] = {{"POP3", false}, {"IMAP", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunOnce(dir, mailbox, c.bImap);
    }
}

} // namespace
