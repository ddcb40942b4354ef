// Files dragged from another program onto a folder of the tree: an mbox
// file becomes its mails in that folder, and a file that is no mail is left
// where it is, named in the status bar.
#include "e2e/MaintFixture.h"
#include "classlib/OleDataSource.h"
#include "classlib/OleDropSource.h"
#include "e2e/RemoteControls.h"
#include "resources/mainwnd/MainWndResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>

namespace {

// A drag that lets the target take it in for a moment and then drops,
// whatever the mouse buttons say: the cursor is put over the target first.
class CTimedDropSource : public COleDropSource
{
public:
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override
    {
        return ++m_nAsked < 20 ? S_OK : DRAGDROP_S_DROP;
    }

private:
    int m_nAsked = 0;
};

HGLOBAL FileList(const std::vector<CString>& files)
{
    std::string list;
    for (const CString& f : files)
        list += f.Str() + '\0';
    list += '\0';
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
    auto* df = static_cast<DROPFILES*>(GlobalLock(h));
    df->pFiles = sizeof(DROPFILES);
    memcpy(reinterpret_cast<BYTE*>(df) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(h);
    return h;
}

class FolderFileDropTest : public MaintE2e::CMailBoxTest
{
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }

    // Drags the files from this process onto the tree item and drops them.
    DWORD DropOnFolder(HWND tree, const char* folder, const std::vector<CString>& files)
    {
        HTREEITEM item = E2e::FindTreeItem(tree, folder);
        EXPECT_NE(item, nullptr) << folder;
        RECT rc = E2e::TreeItemTextRect(tree, item);
        POINT pt = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
        ClientToScreen(tree, &pt);
        SetCursorPos(pt.x, pt.y);
        auto* data = new COleDataSource;
        data->CacheGlobalData(CF_HDROP, FileList(files));
        CTimedDropSource source;
        DWORD effect = DROPEFFECT_NONE;
        ::DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
        data->Release();
        return effect;
    }
};

} // namespace

TEST_F(FolderFileDropTest, AnMboxDroppedOnAFolderBecomesItsMailsAndOtherFilesAreLeft)
{
    MakeMailBox();
    TestSupport::WriteFileBytes(m_dir.File("box.mbx"),
                                "From a@example.jp Mon Jan  1 10:00:00 2024\n"
                                "From: a@example.jp\nSubject: mbox 1\nMessage-ID: <d1@x>\n\nfirst\n\n"
                                "From b@example.jp Mon Jan  1 11:00:00 2024\n"
                                "From: b@example.jp\nSubject: mbox 2\nMessage-ID: <d2@x>\n\nsecond\n");
    TestSupport::WriteFileBytes(m_dir.File("note.txt"), "Subject: not a mail\r\n\r\ntext\r\n");
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND tree = E2e::FindDescendant(main, "SysTreeView32", IDC_FOLDER_TREE);
    HWND status = E2e::FindDescendant(main, "msctls_statusbar32");
    ASSERT_TRUE(tree && status);
    SetForegroundWindow(main);

    DropOnFolder(tree, "ごみ箱", { m_dir.File("box.mbx"), m_dir.File("note.txt") });
    EXPECT_TRUE(WaitFor([&] { return E2e::StatusBarText(status, 0) == "取り込まなかったファイル: note.txt"; }))
        << E2e::StatusBarText(status, 0).Str();

    Close(main);
    EXPECT_EQ(Stored(CFolderRecord::kindTrash), (std::multiset<std::string>{ "mbox 1", "mbox 2" }));
    EXPECT_TRUE(Stored(CFolderRecord::kindInbox).empty());
    EXPECT_TRUE(TestSupport::FileExists(m_dir.File("note.txt")));
}
