// The attachment list: adding (once per file), its order, removing with
// and without deleting, temporary copies, opening through the shell, the
// clipboard, the folder listing and the folder watcher.
#include "coreui/UiTestSupport.h"
#include "core/FileUtil.h"
#include "editor/AttachListCtrl.h"
#include "editor/AttachmentCopy.h"
#include "editor/AttachmentFolder.h"
#include "editor/DirChangeWatcher.h"
#include "core/ShellExecuteRequest.h"
#include "resources/attach/AttachResource.h"

#include <gtest/gtest.h>

#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string S(const CString& s)
{
    return s.GetString();
}

std::vector<CShellExecuteRequest> g_opened;

void RecordOpen(const CShellExecuteRequest& request)
{
    g_opened.push_back(request);
}

class RecordingOwner : public CAttachListOwner
{
public:
    void ShowHtmlFile(const char* pszPath) override { html.push_back(pszPath); }
    void ShowInlineText(const char* pszText) override { texts.push_back(pszText); }
    std::vector<std::string> html, texts;
};

class AttachListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_list.CreateEx(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 200, 200,
                                    m_host.m_hWnd, reinterpret_cast<HMENU>(1031)));
        m_list.InitList();
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
        m_oldOpen = SetShellOpenHandler(RecordOpen);
        g_opened.clear();
    }
    void TearDown() override { SetShellOpenHandler(m_oldOpen); }
    CString Make(const char* name, const char* text = "x")
    {
        CString path = m_dir.File(name);
        TestSupport::WriteFileBytes(path, text);
        return path;
    }
    std::vector<std::string> Rows() const
    {
        std::vector<std::string> rows;
        for (int i = 0; i < m_list.GetItemCount(); ++i)
            rows.push_back(S(m_list.GetItemText(i, 0)));
        return rows;
    }
    void Select(int n) { m_list.SetItemState(n, LVIS_SELECTED, LVIS_SELECTED); }

    TestSupport::TempDir m_dir;
    UiTest::CHostWnd m_host;
    CAttachListCtrl m_list;
    ShellOpenHandler m_oldOpen = nullptr;
};

} // namespace

TEST_F(AttachListTest, AFileIsListedOnceEvenByItsShortNameAndRowsRunFromTheGreatestPath)
{
    CString a = Make("a long name.txt", "12345");
    CString b = Make("b.txt", "1234567890");
    char shortA[MAX_PATH] = {};
    GetShortPathNameA(a, shortA, sizeof(shortA));
    m_list.AddFileSorted(a, CAttachListCtrl::kindFile);
    m_list.AddFileSorted(b, CAttachListCtrl::kindFile);
    m_list.AddFileSorted(shortA, CAttachListCtrl::kindFile);
    CString upper = a;
    upper.MakeUpper();
    m_list.AddFileSorted(upper, CAttachListCtrl::kindFile);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"b.txt", "a long name.txt"}));
    EXPECT_EQ(m_list.GetTotalSize(), 15);
    // Each change is told to the parent.
    UiTest::Pump(50);
    EXPECT_EQ(m_host.Take(CAttachListCtrl::WM_QD_ATTACH_LIST_CHANGED).size(), 2u);
}

TEST_F(AttachListTest, VanishedFilesLeaveTheEditorsListWhenItIsRefreshed)
{
    CString a = Make("a.txt"), b = Make("b.txt");
    m_list.AddFileSorted(a, CAttachListCtrl::kindFile);
    m_list.AddFileSorted(b, CAttachListCtrl::kindFile);
    DeleteFileA(a);
    EXPECT_EQ(m_list.GetCount(), 2);  // no watcher without an owner view
    m_list.Refresh();
    EXPECT_EQ(Rows(), std::vector<std::string>{"b.txt"});
}

TEST_F(AttachListTest, RemovingDetachesOrDeletesAndTemporaryCopiesGoWithTheirRows)
{
    CString kept = Make("kept.txt");
    CString temp = Make("temp.txt");
    CreateDirectoryA(m_dir.File("copy"), nullptr);
    CString copy = Make("copy\\copied.txt");
    m_list.AddFileSorted(kept, CAttachListCtrl::kindFile);
    m_list.AddFileSorted(temp, CAttachListCtrl::kindTempFile);
    m_list.AddFileSorted(copy, CAttachListCtrl::kindTempFolder);
    for (int i = 0; i < 3; ++i)
        Select(i);
    TestSupport::QueueMessageBoxAnswer(IDCANCEL);
    m_list.RemoveSelected();
    EXPECT_EQ(m_list.GetCount(), 3);
    m_list.RemoveSelected();
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 2u);
    EXPECT_EQ(TestSupport::RecordedMessages()[1], "選択されたファイルの添付を解除します。\r\nよろしいですか？");
    EXPECT_EQ(m_list.GetCount(), 0);
    EXPECT_TRUE(TestSupport::FileExists(kept));
    EXPECT_FALSE(TestSupport::FileExists(temp));
    EXPECT_FALSE(TestSupport::FileExists(m_dir.File("copy")));

    m_list.SetDeleteMode(true);
    m_list.AddFileSorted(kept, CAttachListCtrl::kindFile);
    Select(0);
    m_list.RemoveSelected();
    EXPECT_EQ(TestSupport::RecordedMessages().back(), "選択されたファイルを削除します。\r\nよろしいですか？");
    EXPECT_FALSE(TestSupport::FileExists(kept));
}

TEST_F(AttachListTest, OpeningGoesToTheShellAndAMailsRiskyFileAsksFirst)
{
    CString doc = Make("doc.txt"), tool = Make("tool.exe");
    m_list.AddFileSorted(doc, CAttachListCtrl::kindFile);
    m_list.AddFileSorted(tool, CAttachListCtrl::kindFile);
    m_list.OpenItem(0);  // the editor's own files are never questioned
    m_list.OpenItem(1);
    ASSERT_EQ(g_opened.size(), 2u);
    EXPECT_EQ(S(g_opened[0].m_strVerb), "open");
    EXPECT_EQ(S(g_opened[0].m_strFile), S(tool));
    EXPECT_TRUE(g_opened[0].m_strParameters.IsEmpty());
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());

    RecordingOwner owner;
    CreateDirectoryA(m_dir.File("mail"), nullptr);
    Make("mail\\setup.exe");
    ASSERT_EQ(m_list.SetFolder(false, m_dir.File("mail"), &owner, true), 1);
    g_opened.clear();
    TestSupport::QueueMessageBoxAnswer(IDCANCEL);
    m_list.OpenItem(0);
    EXPECT_TRUE(g_opened.empty());
    m_list.OpenItem(0);
    EXPECT_EQ(g_opened.size(), 1u);
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 2u);
    EXPECT_EQ(TestSupport::RecordedMessages()[0].find("開こうとしているファイルは"), 0u);
}

TEST_F(AttachListTest, ADoubleClickOpensTheRowAndTheDeleteKeyRemovesTheSelection)
{
    CString a = Make("a.txt"), b = Make("b.txt");
    m_list.AddFileSorted(a, CAttachListCtrl::kindFile);
    m_list.AddFileSorted(b, CAttachListCtrl::kindFile);
    RECT row = {};
    m_list.GetItemRect(1, &row, LVIR_LABEL);
    NMITEMACTIVATE click = {};
    click.hdr.hwndFrom = m_list.m_hWnd;
    click.hdr.idFrom = 1031;
    click.hdr.code = NM_DBLCLK;
    click.ptAction = POINT{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
    ::SendMessageA(m_host.m_hWnd, WM_NOTIFY, 1031, reinterpret_cast<LPARAM>(&click));
    ASSERT_EQ(g_opened.size(), 1u);
    EXPECT_EQ(S(g_opened[0].m_strFile), S(a));

    Select(0);
    m_list.SendMessage(WM_KEYDOWN, VK_DELETE);
    EXPECT_EQ(Rows(), std::vector<std::string>{"a.txt"});
    EXPECT_TRUE(TestSupport::FileExists(b));
}

TEST_F(AttachListTest, CopyPutsTheSelectedOrAllFilesOnTheClipboardAsADropList)
{
    CString a = Make("a.txt"), b = Make("b.txt");
    m_list.AddFileSorted(a, CAttachListCtrl::kindFile);
    m_list.AddFileSorted(b, CAttachListCtrl::kindFile);
    auto clipboardFiles = [&]() {
        std::vector<std::string> files;
        if (!OpenClipboard(m_host.m_hWnd))
            return files;
        if (HANDLE h = GetClipboardData(CF_HDROP)) {
            HDROP drop = static_cast<HDROP>(h);
            for (UINT i = 0, n = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0); i < n; ++i) {
                char name[MAX_PATH] = {};
                DragQueryFileA(drop, i, name, sizeof(name));
                files.push_back(name);
            }
        }
        HANDLE effect = GetClipboardData(RegisterClipboardFormatA("Preferred DropEffect"));
        if (!effect || *static_cast<DWORD*>(GlobalLock(effect)) != DROPEFFECT_COPY)
            files.push_back("no copy effect");
        if (effect)
            GlobalUnlock(effect);
        CloseClipboard();
        return files;
    };
    m_list.CopySelected();
    EXPECT_EQ(clipboardFiles(), (std::vector<std::string>{S(b), S(a)}));
    Select(1);
    m_list.SendMessage(WM_COPY);
    EXPECT_EQ(clipboardFiles(), std::vector<std::string>{S(a)});
}

TEST_F(AttachListTest, SaveAsCopiesTheSelectedFileWhereTheUserChoseAndRemembersTheFolder)
{
    UiTest::App app(m_dir.File("CVM.ini"));
    CString source = Make("report.txt", "figures");
    CreateDirectoryA(m_dir.File("saved"), nullptr);
    m_list.AddFileSorted(source, CAttachListCtrl::kindFile);
    Select(0);
    const DWORD self = GetCurrentThreadId();
    std::string target = S(m_dir.File("saved\\copy.txt"));
    std::thread driver([&]() {
        HWND dialog = nullptr;
        for (int i = 0; i < 500 && !dialog; ++i) {
            Sleep(20);
            EnumThreadWindows(
                self,
                [](HWND h, LPARAM l) {
                    if (IsWindowVisible(h) && GetDlgItem(h, 1148)) {
                        *reinterpret_cast<HWND*>(l) = h;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&dialog));
        }
        if (!dialog)
            return;
        SetDlgItemTextA(dialog, 1148, target.c_str());
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    m_list.SaveSelectedAs();
    driver.join();
    EXPECT_EQ(TestSupport::ReadFileBytes(target.c_str()), "figures");
    EXPECT_EQ(S(app.GetProfileString("Paths", "AttachFolderSave", "")), S(m_dir.File("saved\\")));
    EXPECT_TRUE(TestSupport::FileExists(source));
}

TEST_F(AttachListTest, ContextMenuOffersWhatApplies)
{
    UiTest::App app(m_dir.File("CVM.ini"));
    app.WriteProfileString("Setting", "OpenAppPath1", "%WINDIR%\\notepad.exe");
    app.WriteProfileString("Setting", "OpenAppName1", "メモ帳");
    app.WriteProfileString("Setting", "OpenAppName2", "名前だけ");
    m_list.AddFileSorted(Make("a.txt"), CAttachListCtrl::kindFile);
    struct Item
    {
        UINT id;
        bool greyed;
        std::string text;
    };
    std::vector<Item> seen;
    const DWORD self = GetCurrentThreadId();
    std::thread driver([&]() {
        HWND popup = nullptr;
        for (int i = 0; i < 500 && !popup; ++i) {
            Sleep(20);
            EnumThreadWindows(
                self,
                [](HWND h, LPARAM l) {
                    char cls[16] = {};
                    GetClassNameA(h, cls, sizeof(cls));
                    if (IsWindowVisible(h) && strcmp(cls, "#32768") == 0) {
                        *reinterpret_cast<HWND*>(l) = h;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&popup));
        }
        if (!popup)
            return;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
        for (UINT id : {ID_ATTACH_COPY, ID_ATTACH_DELETE, ID_ATTACH_SAVE_AS, ID_ATTACH_SELECT_ALL, ID_ATTACH_EXPLORE,
                        ID_ATTACH_OPEN_APP1, ID_ATTACH_OPEN_APP2, ID_ATTACH_OPEN_APP3}) {
            char text[128] = {};
            GetMenuStringA(menu, id, text, sizeof(text), MF_BYCOMMAND);
            seen.push_back({id, (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0, text});
        }
        PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    m_list.ShowContextMenu(POINT{40, 40});
    driver.join();
    std::vector<Item> expected = {
        {ID_ATTACH_COPY, true, "コピー(&C)"},
        {ID_ATTACH_DELETE, true, "削除(&D)"},
        {ID_ATTACH_SAVE_AS, true, "名前を付けて保存(&S)..."},
        {ID_ATTACH_SELECT_ALL, false, "すべて選択(&A)"},
        {ID_ATTACH_EXPLORE, true, "エクスプローラを開く(&E)"},  // no folder shown
        {ID_ATTACH_OPEN_APP1, false, "メモ帳(&1)"},
        {ID_ATTACH_OPEN_APP2, true, "名前だけ(&2)"},  // named, but no program
        {ID_ATTACH_OPEN_APP3, true, "アプリケーションから開く-3(&3)"},
    };
    ASSERT_EQ(seen.size(), expected.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].greyed, expected[i].greyed) << expected[i].text;
        EXPECT_EQ(seen[i].text, expected[i].text);
    }
}

namespace {

// A window that takes dropped files, as the shell's folders do.
class CFileDropTarget : public IDropTarget
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDropTarget) {
            *ppv = static_cast<IDropTarget*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* pEffect) override
    {
        *pEffect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* pEffect) override
    {
        *pEffect = DROPEFFECT_COPY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* pEffect) override
    {
        FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        if (SUCCEEDED(data->GetData(&format, &medium))) {
            HDROP drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
            for (UINT i = 0, n = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0); i < n; ++i) {
                char name[MAX_PATH] = {};
                DragQueryFileA(drop, i, name, sizeof(name));
                dropped.push_back(name);
            }
            GlobalUnlock(medium.hGlobal);
            ReleaseStgMedium(&medium);
        }
        *pEffect = DROPEFFECT_COPY;
        return S_OK;
    }
    std::vector<std::string> dropped;
};

} // namespace

TEST_F(AttachListTest, DraggingOutGivesTheSelectedFilesToTheDropTarget)
{
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    CString a = Make("a.txt"), b = Make("b.txt");
    m_list.AddFileSorted(a, CAttachListCtrl::kindFile);
    m_list.AddFileSorted(b, CAttachListCtrl::kindFile);
    Select(1);
    UiTest::CHostWnd target;
    // Above whatever other test programs show on the same display.
    ::SetWindowPos(target.m_hWnd, HWND_TOPMOST, 700, 300, 300, 200, SWP_SHOWWINDOW);
    CFileDropTarget drop;
    ASSERT_EQ(RegisterDragDrop(target.m_hWnd, &drop), S_OK);
    UiTest::Pump(200);
    // The pointer rests on the target with no button down: the drag ends
    // there at once, with a drop.
    SetCursorPos(850, 400);
    UiTest::Pump(100);
    NMLISTVIEW notify = {};
    notify.hdr.hwndFrom = m_list.m_hWnd;
    notify.hdr.idFrom = 1031;
    notify.hdr.code = LVN_BEGINDRAG;
    notify.iItem = 1;
    ::SendMessageA(m_host.m_hWnd, WM_NOTIFY, 1031, reinterpret_cast<LPARAM>(&notify));
    RevokeDragDrop(target.m_hWnd);
    OleUninitialize();
    EXPECT_EQ(drop.dropped, std::vector<std::string>{S(a)});
    EXPECT_EQ(m_list.GetCount(), 2);  // a copy: the rows stay
}

TEST(AttachmentCopy, AFileOfTheCopyToolsFolderIsAttachedAsAPrivateCopy)
{
    TestSupport::TempDir dir;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "software\\Ostrevin\\Trevasso\\Setting", 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    std::string folder = S(dir.Path());
    RegSetValueExA(key, "TempDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
    RegCloseKey(key);
    CreateDirectoryA(dir.File("Trevasso-CopyFiles"), nullptr);
    CString tooled = dir.File("Trevasso-CopyFiles\\見積.txt");
    TestSupport::WriteFileBytes(tooled, "copied by the tool");
    TestSupport::WriteFileBytes(dir.File("plain.txt"), "mine");

    int kind = -1;
    CString copy = PrepareAttachment(tooled, 3, false, kind);
    EXPECT_EQ(kind, CAttachListCtrl::kindTempFolder);
    EXPECT_NE(S(copy), S(tooled));
    EXPECT_EQ(S(GetFileNameFromPath(copy)), "見積.txt");
    EXPECT_EQ(TestSupport::ReadFileBytes(copy), "copied by the tool");
    EXPECT_EQ(S(PrepareAttachment(dir.File("plain.txt"), 3, false, kind)), S(dir.File("plain.txt")));
    EXPECT_EQ(kind, CAttachListCtrl::kindFile);
    PrepareAttachment(dir.File("plain.txt"), 3, true, kind);
    EXPECT_EQ(kind, CAttachListCtrl::kindTempFile);
    RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Ostrevin");
    EXPECT_TRUE(GetCopyToolFolder().IsEmpty());

    // The copy goes with its row, folder and all.
    UiTest::CHostWnd host;
    CAttachListCtrl list;
    ASSERT_TRUE(list.CreateEx(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 100, 100, host.m_hWnd,
                              reinterpret_cast<HMENU>(1031)));
    list.AddFileSorted(copy, CAttachListCtrl::kindTempFolder);
    list.RemoveItem(0);
    EXPECT_FALSE(TestSupport::FileExists(GetDirectoryFromPath(copy)));
}

TEST_F(AttachListTest, RenamingTheFolderMovesItAndEveryPathFollows)
{
    RecordingOwner owner;
    CreateDirectoryA(m_dir.File("old"), nullptr);
    Make("old\\a.txt");
    ASSERT_EQ(m_list.SetFolder(false, m_dir.File("old"), &owner, false), 1);
    ASSERT_TRUE(m_list.RenameFolder(m_dir.File("new")));
    EXPECT_EQ(S(m_list.GetFolder()), S(m_dir.File("new")));
    EXPECT_EQ(S(m_list.GetPath(0)), S(m_dir.File("new\\a.txt")));
    EXPECT_TRUE(TestSupport::FileExists(m_dir.File("new\\a.txt")));
    // A target that exists already: the folder stays and the user is told.
    CreateDirectoryA(m_dir.File("taken"), nullptr);
    EXPECT_FALSE(m_list.RenameFolder(m_dir.File("taken")));
    EXPECT_EQ(S(m_list.GetPath(0)), S(m_dir.File("new\\a.txt")));
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_EQ(TestSupport::RecordedMessages()[0].find("MoveFile Error["), 0u);
    // The moved folder is the one watched.
    Make("new\\b.txt");
    for (int i = 0; i < 100 && m_list.GetCount() < 2; ++i)
        UiTest::Pump(50);
    EXPECT_EQ(m_list.GetCount(), 2);
}

TEST(AttachmentSize, LabelIsCutToOneDecimal)
{
    const struct
    {
        int64_t bytes;
        const char* label;
    } cases[] = {
        {0, "0 Byte"},         {1023, "1023 Byte"},         {1024, "1.0 KB"},
        {1536, "1.5 KB"},      {1126, "1.0 KB"},            {1048575, "1023.9 KB"},
        {1048576, "1.0 MB"},   {5033164, "4.7 MB"},         {5000000000LL, "4768.3 MB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(S(FormatAttachmentSize(c.bytes)), c.label) << c.bytes;
}

TEST(AttachmentFolder, ListsPartsAndSkipsWhatIsNoAttachment)
{
    TestSupport::TempDir dir;
    for (const char* folder : {"1", "1\\deep", "1\\deep\\Headers", "NonAttach", "headers", "html", "inline"})
        CreateDirectoryA(dir.File(folder), nullptr);
    for (const char* file : {"top.pdf", "1\\part.doc", "1\\deep\\deeper.txt", "1\\deep\\Headers\\h.dat",
                             "NonAttach\\body.txt", "headers\\Headers.dat", "html\\QM0001.htm", "inline\\note.txt"})
        TestSupport::WriteFileBytes(dir.File(file), "x");
    struct Case
    {
        bool html;
        std::vector<std::string> files;
        std::string htmlFile;
    } cases[] = {
        {false, {"1\\deep\\deeper.txt", "1\\part.doc", "html\\QM0001.htm", "top.pdf"}, ""},
        {true, {"1\\deep\\deeper.txt", "1\\part.doc", "top.pdf"}, "html\\QM0001.htm"},
    };
    for (const Case& c : cases) {
        AttachmentFolderListing listing;
        ListAttachmentFolder(dir.Path(), c.html, listing);
        SortAttachmentPaths(listing.files);
        std::vector<std::string> got;
        for (int i = listing.files.GetSize() - 1; i >= 0; --i)
            got.push_back(S(listing.files[i]).substr(dir.Path().GetLength() + 1));
        EXPECT_EQ(got, c.files) << c.html;
        EXPECT_EQ(listing.htmlFile.IsEmpty() ? "" : S(listing.htmlFile).substr(dir.Path().GetLength() + 1),
                  c.htmlFile);
        ASSERT_EQ(listing.inlineFiles.GetSize(), 1);
    }
}

TEST_F(AttachListTest, AWatchedFolderShowsAFileCopiedInByAnotherProgram)
{
    RecordingOwner owner;
    CreateDirectoryA(m_dir.File("mail"), nullptr);
    Make("mail\\first.txt");
    ASSERT_EQ(m_list.SetFolder(false, m_dir.File("mail"), &owner, false), 1);
    CopyFileA(Make("outside.txt"), m_dir.File("mail\\second.txt"), FALSE);
    for (int i = 0; i < 100 && m_list.GetCount() < 2; ++i)
        UiTest::Pump(50);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"second.txt", "first.txt"}));
    DeleteFileA(m_dir.File("mail\\first.txt"));
    for (int i = 0; i < 100 && m_list.GetCount() > 1; ++i)
        UiTest::Pump(50);
    EXPECT_EQ(Rows(), std::vector<std::string>{"second.txt"});
}

TEST_F(AttachListTest, AMailsHtmlPartGoesToItsViewOnceAndInlineTextsByTheSetting)
{
    UiTest::App app(m_dir.File("CVM.ini"));
    RecordingOwner owner;
    for (const char* folder : {"mail", "mail\\html", "mail\\inline"})
        CreateDirectoryA(m_dir.File(folder), nullptr);
    Make("mail\\html\\QM0001.htm", "<p>x</p>");
    Make("mail\\inline\\note.txt", "インラインの本文");
    Make("mail\\inline\\empty.txt", "");
    Make("mail\\photo.jpg");
    // With an HTML part shown, inline parts are listed as files.
    EXPECT_EQ(m_list.SetFolder(true, m_dir.File("mail"), &owner, false), 3);
    m_list.Refresh();
    ASSERT_EQ(owner.html.size(), 1u);
    EXPECT_EQ(owner.html[0], S(m_dir.File("mail\\html\\QM0001.htm")));

    // Without one, and with ShowInlineText on, the inline texts go to the view.
    app.WriteProfileInt("ViewOption", "ShowInlineText", 1);
    EXPECT_EQ(m_list.SetFolder(false, m_dir.File("mail"), &owner, false), 2);  // photo.jpg, html\QM0001.htm
    EXPECT_EQ(owner.texts, std::vector<std::string>{"インラインの本文"});
    // A plain listing lists them.
    EXPECT_EQ(m_list.SetFolder(false, m_dir.File("mail"), &owner, true), 4);
}

TEST(DirChangeWatcher, StopsWhileChangesKeepArrivingWithoutWaitingForTheWindow)
{
    TestSupport::TempDir dir;
    UiTest::CHostWnd host;
    for (int round = 0; round < 5; ++round) {
        CDirChangeWatcher watcher;
        ASSERT_TRUE(watcher.Start(dir.Path(), host.m_hWnd));
        EXPECT_TRUE(watcher.IsRunning());
        std::atomic<bool> writing{true};
        std::thread writer([&]() {
            for (int i = 0; writing; ++i) {
                CString name = dir.File(FormatString("f%d.txt", i % 8));
                TestSupport::WriteFileBytes(name, "change");
                DeleteFileA(name);
            }
        });
        Sleep(30);
        // This thread does not pump its messages while it stops the watcher,
        // as a window stopping it from its own handler would not.
        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::thread stopper([&]() {
            watcher.Stop();
            SetEvent(done);
        });
        DWORD waited = WaitForSingleObject(done, 10000);
        writing = false;
        writer.join();
        if (waited != WAIT_OBJECT_0) {
            stopper.detach();
            FAIL() << "Stop did not return while changes arrived";
        }
        stopper.join();
        CloseHandle(done);
        EXPECT_FALSE(watcher.IsRunning());
    }
    UiTest::Pump(50);
    EXPECT_FALSE(host.Take(CDirChangeWatcher::WM_QD_DIR_CHANGED).empty());
    // A file is no folder to watch.
    CDirChangeWatcher watcher;
    TestSupport::WriteFileBytes(dir.File("plain.txt"), "x");
    EXPECT_FALSE(watcher.Start(dir.File("plain.txt"), host.m_hWnd));
    EXPECT_FALSE(watcher.Start(dir.File("missing"), host.m_hWnd));
}
