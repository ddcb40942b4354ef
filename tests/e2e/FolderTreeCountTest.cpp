// The folder tree paints each folder's unread count after its name; it
// follows the status bar at once when mails are read and when mail arrives,
// without the tree being touched.
#include "e2e/E2eDriver.h"
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"
#include "net/NetTestSupport.h"
#include "resources/mainwnd/MainWndResource.h"
#include "store/FolderRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using E2e::CEditorSession;

namespace {

const int kUser = 101;
const DWORD kFollowMs = 3000;
// The inbox's images: open, and open holding unread mail.
const int kOpenImage = 12 + 1;
const int kOpenUnreadImage = 12 + 1 + 2;

std::string Mail(int n)
{
    return "From: sender@example.jp\r\nTo: cvmtest101@cvm.test\r\nSubject: count " + std::to_string(n) +
           "\r\nMessage-ID: <count" + std::to_string(n) + "@example.jp>\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\n\r\n"
           "本文\r\n";
}

class TreeCount
{
public:
    explicit TreeCount(HWND main)
    {
        m_tree = E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
        m_status = E2e::FindDescendant(main, "msctls_statusbar32");
        m_list = E2e::FindDescendant(main, "SysListView32");
        m_inbox = m_tree ? E2e::FindTreeItem(m_tree, "郵便受け") : nullptr;
    }
    bool Ready() const { return m_tree && m_status && m_list && m_inbox; }
    HWND List() const { return m_list; }

    bool StatusShowsUnread(int n) const
    {
        return E2e::WaitFor(30000, [&] {
            return E2e::StatusBarText(m_status, 2) == CString(" 未開封：") + CString(std::to_string(n).c_str());
        });
    }
    // The pixels after the inbox's name that differ from the tree's
    // background: the painted count, as a mask.
    std::vector<bool> Ink() const
    {
        RECT label = E2e::TreeItemTextRect(m_tree, m_inbox);
        RECT client = {};
        GetClientRect(m_tree, &client);
        RECT area = { label.right, label.top, std::min<LONG>(label.right + 60, client.right), label.bottom };
        std::vector<COLORREF> pixels = E2e::CapturePixels(m_tree, area);
        std::map<COLORREF, int> counts;
        for (COLORREF c : pixels)
            ++counts[c];
        COLORREF back = 0;
        int most = -1;
        for (const auto& entry : counts)
            if (entry.second > most) {
                most = entry.second;
                back = entry.first;
            }
        std::vector<bool> ink;
        for (COLORREF c : pixels)
            ink.push_back(c != back);
        return ink;
    }
    static bool Blank(const std::vector<bool>& ink)
    {
        for (bool b : ink)
            if (b)
                return false;
        return true;
    }
    int InboxImage() const
    {
        for (const E2e::TreeItem& item : E2e::ReadTree(m_tree))
            if (item.handle == m_inbox)
                return item.image;
        return -1;
    }

private:
    HWND m_tree = nullptr, m_status = nullptr, m_list = nullptr;
    HTREEITEM m_inbox = nullptr;
};

} // namespace

TEST(FolderTreeCount, TheTreeCountFollowsReadingAndReceivingAtOnce)
{
    CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
    TestSupport::TempDir dir;
    CEditorSession session(dir.Path());
    ASSERT_TRUE(session.Prepare(kUser));
    NetTest::ClearMaildir(kUser);
    // A first start makes the mailbox's folders; two unread mails wait in
    // the inbox at the next.
    HWND main = session.Start();
    ASSERT_NE(main, nullptr);
    E2e::CloseWhenTransfersEnd(session.Program(), main);
    ASSERT_EQ(session.Program().WaitForExit(CEditorSession::kStartTimeout), 0);
    session.Program().Kill();
    for (int n = 1; n <= 2; ++n)
        ASSERT_TRUE(session.AddStoredMail(CFolderRecord::kindInbox, Mail(n), false));
    main = session.Start();
    ASSERT_NE(main, nullptr);
    TreeCount tree(main);
    ASSERT_TRUE(tree.Ready()) << session.Windows();
    SetForegroundWindow(main);
    ASSERT_TRUE(tree.StatusShowsUnread(2));
    std::vector<bool> two;
    ASSERT_TRUE(E2e::WaitFor(kFollowMs, [&] { return !TreeCount::Blank(two = tree.Ink()); }));
    EXPECT_EQ(tree.InboxImage(), kOpenUnreadImage);

    // Showing a mail reads it.
    E2e::ListSelectItem(tree.List(), 0);
    ASSERT_TRUE(tree.StatusShowsUnread(1));
    std::vector<bool> one;
    EXPECT_TRUE(E2e::WaitFor(kFollowMs, [&] {
        one = tree.Ink();
        return !TreeCount::Blank(one) && one != two;
    })) << "the tree still shows two unread mails";

    E2e::ListSelectItem(tree.List(), 1);
    ASSERT_TRUE(tree.StatusShowsUnread(0));
    EXPECT_TRUE(E2e::WaitFor(kFollowMs, [&] { return TreeCount::Blank(tree.Ink()); }))
        << "the tree still shows a count";
    EXPECT_TRUE(E2e::WaitFor(kFollowMs, [&] { return tree.InboxImage() == kOpenImage; })) << tree.InboxImage();

    // A received mail counts at once too.
    NetTest::DeliverMail(kUser, Mail(3));
    PostMessageA(main, WM_COMMAND, ID_FILE_RECEIVE_CURRENT, 0);
    ASSERT_TRUE(tree.StatusShowsUnread(1));
    EXPECT_TRUE(E2e::WaitFor(kFollowMs, [&] { return tree.Ink() == one; })) << "the tree does not show one unread mail";
    EXPECT_TRUE(E2e::WaitFor(kFollowMs, [&] { return tree.InboxImage() == kOpenUnreadImage; }));

    E2e::CloseWhenTransfersEnd(session.Program(), main);
    EXPECT_EQ(session.Program().WaitForExit(CEditorSession::kStartTimeout), 0) << session.Windows();
}
