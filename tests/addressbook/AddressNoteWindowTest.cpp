// The address book window on the test display, driven through its controls
// as a user would: buttons and menu commands, the dialogs they open (typed
// into from a second thread), message boxes answered, drags of list rows
// and tree items. Checks what lands in the address-book files and what the
// address-book thread loads after it was told (1434).
#include "coreui/UiTestSupport.h"

#include "addressbook/AddressListCtrl.h"
#include "addressbook/AddressManagerThread.h"
#include "addressbook/AddressObjectBlock.h"
#include "classlib/OleDataSource.h"
#include "addressbook/DlgAddressNote.h"
#include "addressbook/DlgAddressSearch.h"
#include "core/AppMessages.h"
#include "editor/AddressEdit.h"
#include "editor/DlgSendInfo.h"
#include "resources/addressbook/AddressbookResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

using TestSupport::ReadFileBytes;
using TestSupport::WriteFileBytes;

namespace {

CString GroupLine(int parent, int type, int id, const char* name, const char* file, int expanded = 0,
                  const char* server = "", const char* base = "", const char* filter = "mail=*", int version = 2,
                  int utf8 = 0)
{
    CString line;
    line.Format("%d\t%d\t1\t%d\t%s\t%s\t0\t0\t0\t%d\t%s\t389\t%s\t\t\t%s\t2\tcn\tmail\tdescription\t%d\t%d\t10\r\n",
                parent, type, id, name, file, expanded, server, base, filter, version, utf8);
    return line;
}

const char kSales[] = "ou=sales,dc=corvane,dc=test";
const std::string kOldLdap = "old@corvane.invalid\t古い\t\tIconDefault\t\r\n";

// Runs action on this thread while drive works, from a second thread, on
// the dialog with that caption that the action opens.
void WithDialog(const char* caption, const std::function<void(HWND)>& drive, const std::function<void()>& action)
{
    DWORD self = GetCurrentThreadId();
    std::thread driver([&] {
        HWND h = UiTest::WaitForDialog(self, caption, 10000);
        if (h)
            drive(h);
    });
    action();
    driver.join();
}

void SetText(HWND hDlg, int id, const char* text)
{
    SetDlgItemTextA(hDlg, id, text);
}

CString WindowText(HWND h)
{
    char text[256] = "";
    GetWindowTextA(h, text, sizeof(text));
    return CString(text);
}

CString Text(HWND hDlg, int id)
{
    char text[512] = "";
    GetDlgItemTextA(hDlg, id, text, sizeof(text));
    return CString(text);
}

// Runs the address book window modally while drive works on it from another thread.
INT_PTR RunModalNote(CDialog& dlg, const std::function<void(HWND)>& drive)
{
    std::thread driver([&] {
        HWND h = nullptr;
        for (int i = 0; i < 500 && !h; ++i, Sleep(20)) {
            h = FindWindowA(CDlgAddressNote::kWindowClass, "アドレス帳");
            if (h && !IsWindowVisible(h))
                h = nullptr;
        }
        if (h)
            drive(h);
        if (h && IsWindow(h))
            PostMessageA(h, WM_CLOSE, 0, 0);
    });
    INT_PTR result = dlg.DoModal();
    driver.join();
    return result;
}

// A window whose import reads the file the test names instead of asking.
class CTestAddressNote : public CDlgAddressNote
{
public:
    CString m_strImportPath;

protected:
    bool AskImportFilePath(CString& path) override
    {
        path = m_strImportPath;
        return !path.IsEmpty();
    }
};

// Points the registry at the import tests' stand-in WAB library.
struct WabStandIn
{
    WabStandIn()
    {
        char exe[MAX_PATH];
        GetModuleFileNameA(nullptr, exe, sizeof(exe));
        CString dll = exe;
        dll = dll.Left(dll.ReverseFind('\\')) + "\\CvmTestWab.dll";
        HKEY h;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\WAB\\DLLPath", 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                        nullptr);
        RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.GetString()),
                       static_cast<DWORD>(dll.GetLength() + 1));
        RegCloseKey(h);
    }
    ~WabStandIn() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\WAB\\DLLPath"); }
};

class AddressNoteWindowTest : public ::testing::Test
{
protected:
    AddressNoteWindowTest() : m_app(m_dir.Path())
    {
        TestSupport::InstallMessageBoxRecorder();
        TestSupport::ClearMessages();
        m_box = m_app.GetAddressBoxPath();
        m_outside = m_dir.File("outside.dat");
        WriteFileBytes(m_box + "\\Group.lst",
                       std::string("FILE_VERSION\t1\r\n") + GroupLine(-1, 0, 0, "アドレス帳", "アドレス帳.dat", 1).GetString() +
                           GroupLine(0, 0, 2, "取引先", "取引先.dat").GetString() +
                           GroupLine(0, 1, 3, "営業部", "営業部.dat", 0, "127.0.0.4", kSales, "(sn=山田)", 3, 1).GetString() +
                           GroupLine(0, 0, 4, "外部", m_outside).GetString() +
                           GroupLine(-1, 0, 1, "迷惑メール", "迷惑メール.dat").GetString());
        WriteFileBytes(m_box + "\\アドレス帳.dat", "yamada@example.jp\t山田\tメモ1\tIconDefault\t\r\n"
                                                 "suzuki@example.jp\t鈴木\t\tIconDefault\t\r\n"
                                                 "sato@other.example\t佐藤\t\tIconDefault\t\r\n");
        WriteFileBytes(m_box + "\\取引先.dat", "tanaka@partner.example\t田中\t\tIconDefault\t\r\n"
                                              "kato@partner.example\t加藤\t\tIconDefault\t\r\n");
        WriteFileBytes(m_box + "\\営業部.dat", kOldLdap);
        WriteFileBytes(m_box + "\\迷惑メール.dat", "");
        WriteFileBytes(m_outside, "keep@example.jp\t外\t\tIconDefault\t\r\n");

        m_thread = new CAddressManagerThread;
        m_thread->m_bAutoDelete = FALSE;
        m_thread->CreateThread();
        m_app.m_pAddressThread = m_thread;
    }

    ~AddressNoteWindowTest() override
    {
        CloseWindow();
        m_app.m_pAddressThread = nullptr;
        m_thread->PostThreadMessage(WM_QD_QUIT_THREAD, 0, 0);
        WaitForSingleObject(m_thread->m_hThread, 5000);
        delete m_thread;
    }

    void Open(const CAddressRecipientTargets& targets = CAddressRecipientTargets())
    {
        ASSERT_TRUE(m_note.CreateModeless(nullptr, nullptr, targets));
        m_note.ShowFirstTime();
        m_hWnd = m_note.m_hWnd;
        m_hTree = GetDlgItem(m_hWnd, IDC_GROUP_TREE);
        m_hList = GetDlgItem(m_hWnd, IDC_ADDRESS_LIST);
        UiTest::Pump(50);
    }

    void CloseWindow()
    {
        if (m_note.m_hWnd)
            Command(IDCANCEL);
    }

    void Command(int id) { SendMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    HTREEITEM FindItem(const char* name, HTREEITEM from = TVI_ROOT) const
    {
        HTREEITEM first = from == TVI_ROOT ? TreeView_GetRoot(m_hTree) : TreeView_GetChild(m_hTree, from);
        for (HTREEITEM h = first; h; h = TreeView_GetNextSibling(m_hTree, h)) {
            char text[256] = "";
            TVITEMA item = {};
            item.mask = TVIF_TEXT;
            item.hItem = h;
            item.pszText = text;
            item.cchTextMax = sizeof(text);
            SendMessageA(m_hTree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            if (strcmp(text, name) == 0)
                return h;
            if (HTREEITEM below = FindItem(name, h))
                return below;
        }
        return nullptr;
    }

    void SelectGroup(const char* name)
    {
        HTREEITEM h = FindItem(name);
        ASSERT_NE(h, nullptr) << name;
        TreeView_SelectItem(m_hTree, h);
    }

    // The group's name edited in place in the tree.
    void RenameGroup(const char* name, const char* newName)
    {
        SelectGroup(name);
        Command(ID_GROUP_RENAME);
        HWND edit = TreeView_GetEditControl(m_hTree);
        ASSERT_NE(edit, nullptr);
        SetWindowTextA(edit, newName);
        TreeView_EndEditLabelNow(m_hTree, FALSE);
    }

    std::vector<std::string> Addresses() const
    {
        std::vector<std::string> out;
        int n = ListView_GetItemCount(m_hList);
        for (int i = 0; i < n; ++i) {
            char text[256] = "";
            ListView_GetItemText(m_hList, i, 2, text, sizeof(text));
            out.push_back(text);
        }
        return out;
    }

    void SelectRows(std::initializer_list<int> rows)
    {
        ListView_SetItemState(m_hList, -1, 0, LVIS_SELECTED);
        for (int r : rows)
            ListView_SetItemState(m_hList, r, LVIS_SELECTED, LVIS_SELECTED);
    }

    int RowOf(const char* address) const
    {
        auto all = Addresses();
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i] == address)
                return static_cast<int>(i);
        return -1;
    }

    // True once the address-book thread has loaded a completion line starting so.
    bool ThreadKnows(const char* prefix, bool expected = true)
    {
        for (int i = 0; i < 300; ++i) {
            CStringArray lines;
            m_thread->GetMatchingAddresses(prefix, lines);
            if ((lines.GetSize() > 0) == expected)
                return true;
            Sleep(10);
        }
        return false;
    }

    // True once the thread's groups stand in this order (they reload on 1434).
    bool ThreadOrders(const char* first, const char* second)
    {
        for (int i = 0; i < 300; ++i, Sleep(10)) {
            CSingleLock hold(&m_thread->GetLock(), TRUE);
            int a = -1, b = -1;
            for (int g = 0; g < m_thread->GetGroupCount(); ++g) {
                if (m_thread->GetGroup(g)->m_strName == first)
                    a = g;
                if (m_thread->GetGroup(g)->m_strName == second)
                    b = g;
            }
            if (a >= 0 && b >= 0 && a < b)
                return true;
        }
        return false;
    }

    std::string File(const char* name) const { return ReadFileBytes(m_box + "\\" + name); }

    POINT ClientPointOfTreeItem(HTREEITEM h) const
    {
        RECT rc = {};
        TreeView_GetItemRect(m_hTree, h, &rc, TRUE);
        POINT pt = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
        MapWindowPoints(m_hTree, m_hWnd, &pt, 1);
        return pt;
    }

    // The selected rows dragged out of the window and released over a window.
    void DragRowsOnto(HWND hTarget)
    {
        NMLISTVIEW nm = {};
        nm.hdr.hwndFrom = m_hList;
        nm.hdr.idFrom = IDC_ADDRESS_LIST;
        nm.hdr.code = LVN_BEGINDRAG;
        nm.iItem = ListView_GetNextItem(m_hList, -1, LVNI_SELECTED);
        SendMessageA(m_hWnd, WM_NOTIFY, IDC_ADDRESS_LIST, reinterpret_cast<LPARAM>(&nm));
        // The drop finds its target under the point: no window of a test
        // program running beside this one may cover it.
        SetWindowPos(GetAncestor(hTarget, GA_ROOT), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        RECT rc;
        GetWindowRect(hTarget, &rc);
        POINT pt = { (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2 };
        ScreenToClient(m_hWnd, &pt);
        SendMessageA(m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
        SendMessageA(m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    }

    void DragRowsTo(const char* group, bool shift)
    {
        NMLISTVIEW nm = {};
        nm.hdr.hwndFrom = m_hList;
        nm.hdr.idFrom = IDC_ADDRESS_LIST;
        nm.hdr.code = LVN_BEGINDRAG;
        nm.iItem = ListView_GetNextItem(m_hList, -1, LVNI_SELECTED);
        SendMessageA(m_hWnd, WM_NOTIFY, IDC_ADDRESS_LIST, reinterpret_cast<LPARAM>(&nm));
        POINT pt = ClientPointOfTreeItem(FindItem(group));
        SendMessageA(m_hWnd, WM_MOUSEMOVE, shift ? MK_SHIFT : 0, MAKELPARAM(pt.x, pt.y));
        SendMessageA(m_hWnd, WM_LBUTTONUP, shift ? MK_SHIFT : 0, MAKELPARAM(pt.x, pt.y));
    }

    // Drags a group onto another; when the move is asked, answers with the button.
    void DragGroupTo(const char* group, const char* target, int answer = 0, CString* question = nullptr)
    {
        WithDialog("メールフォルダの移動",
                   [&](HWND h) {
                       if (question)
                           *question = Text(h, IDC_MOVE_QUESTION);
                       UiTest::Click(h, answer ? answer : IDCANCEL);
                   },
                   [&] { DragGroupUnasked(group, target); });
    }

    void DragGroupUnasked(const char* group, const char* target)
    {
        NMTREEVIEWA nm = {};
        nm.hdr.hwndFrom = m_hTree;
        nm.hdr.idFrom = IDC_GROUP_TREE;
        nm.hdr.code = TVN_BEGINDRAGA;
        nm.itemNew.hItem = FindItem(group);
        SendMessageA(m_hWnd, WM_NOTIFY, IDC_GROUP_TREE, reinterpret_cast<LPARAM>(&nm));
        POINT pt = ClientPointOfTreeItem(FindItem(target));
        SendMessageA(m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
        SendMessageA(m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    }

    std::string GroupListLineOf(const char* name) const
    {
        std::string list = ReadFileBytes(m_box + "\\Group.lst");
        size_t at = list.find(std::string("\t") + name + "\t");
        if (at == std::string::npos)
            return "";
        size_t begin = list.rfind("\r\n", at);
        begin = begin == std::string::npos ? 0 : begin + 2;
        return list.substr(begin, list.find("\r\n", at) - begin);
    }

    // Opens the file for reading and shares it only for deleting, as
    // backup and search programs do, once no reader of the test has it open.
    static HANDLE HoldWithoutSharing(const CString& path)
    {
        HANDLE h = INVALID_HANDLE_VALUE;
        for (DWORD start = GetTickCount(); h == INVALID_HANDLE_VALUE && GetTickCount() - start < 10000; Sleep(10))
            h = CreateFileA(path, GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
        return h;
    }

    std::string LastMessage() const
    {
        const auto& m = TestSupport::RecordedMessages();
        return m.empty() ? std::string() : m.back();
    }

    TestSupport::TempDir m_dir;
    StoreTest::TestApp m_app;
    CString m_box, m_outside;
    CAddressManagerThread* m_thread = nullptr;
    CTestAddressNote m_note;
    HWND m_hWnd = nullptr, m_hTree = nullptr, m_hList = nullptr;
};

} // namespace

TEST_F(AddressNoteWindowTest, AddressesAreShownAddedChangedAndDeleted)
{
    Open();
    EXPECT_EQ(CString("アドレス帳"), WindowText(m_hWnd));
    char cls[64] = "";
    GetClassNameA(m_hWnd, cls, sizeof(cls));
    EXPECT_STREQ(CDlgAddressNote::kWindowClass, cls);
    ASSERT_NE(FindItem("取引先"), nullptr);
    ASSERT_NE(FindItem("迷惑メール"), nullptr);
    EXPECT_EQ((std::vector<std::string>{ "yamada@example.jp", "suzuki@example.jp", "sato@other.example" }), Addresses());

    // Added: written, listed, and the thread reloads.
    WithDialog("アドレスの追加",
               [](HWND h) {
                   SetText(h, IDC_ENTRY_NAME, "伊藤 一郎");
                   SetText(h, IDC_ENTRY_ADDRESS, "ito@example.jp");
                   SetText(h, IDC_ENTRY_MEMO, "新規");
                   UiTest::Click(h, IDOK);
               },
               [&] { Command(ID_ADDRESS_ADD); });
    EXPECT_NE(std::string::npos, File("アドレス帳.dat").find("ito@example.jp\t伊藤 一郎\t新規\tIconDefault\t\r\n"));
    EXPECT_EQ(4u, Addresses().size());
    EXPECT_TRUE(ThreadKnows("ito@"));

    // An address without an at-sign needs the user's OK.
    TestSupport::QueueMessageBoxAnswer(IDCANCEL);
    WithDialog("アドレスの追加",
               [](HWND h) {
                   SetText(h, IDC_ENTRY_ADDRESS, "no-at-sign");
                   UiTest::Click(h, IDOK);
               },
               [&] { Command(ID_ADDRESS_ADD); });
    EXPECT_EQ("指定されたアドレスに「@」がありません。\r\n登録しますか？", LastMessage());
    EXPECT_EQ(std::string::npos, File("アドレス帳.dat").find("no-at-sign"));

    // Changed: the dialog comes filled with the entry.
    SelectRows({ RowOf("ito@example.jp") });
    CString shownName;
    WithDialog("アドレスの追加",
               [&](HWND h) {
                   shownName = Text(h, IDC_ENTRY_NAME);
                   SetText(h, IDC_ENTRY_ADDRESS, "ichiro@example.jp");
                   UiTest::Click(h, IDOK);
               },
               [&] { Command(ID_ADDRESS_CHANGE); });
    EXPECT_EQ(CString("伊藤 一郎"), shownName);
    EXPECT_NE(std::string::npos, File("アドレス帳.dat").find("ichiro@example.jp\t伊藤 一郎\t新規"));
    EXPECT_EQ(std::string::npos, File("アドレス帳.dat").find("ito@example.jp"));
    EXPECT_TRUE(ThreadKnows("ichiro@"));

    // Deleted after confirmation; Cancel keeps them.
    SelectRows({ RowOf("ichiro@example.jp"), RowOf("suzuki@example.jp") });
    TestSupport::QueueMessageBoxAnswer(IDCANCEL);
    Command(ID_ADDRESS_DELETE);
    EXPECT_EQ("選択されているアドレスを削除します。\r\nよろしいですか？", LastMessage());
    EXPECT_EQ(4u, Addresses().size());
    Command(ID_ADDRESS_DELETE);
    EXPECT_EQ("yamada@example.jp\t山田\tメモ1\tIconDefault\t\r\nsato@other.example\t佐藤\t\tIconDefault\t\r\n",
              File("アドレス帳.dat"));
    EXPECT_EQ((std::vector<std::string>{ "yamada@example.jp", "sato@other.example" }), Addresses());
    EXPECT_TRUE(ThreadKnows("ichiro@", false));
}

TEST_F(AddressNoteWindowTest, GroupsAreCreatedAndOnlyLeavesDeletedWithFilesOfTheAddressFolder)
{
    Open();
    // Two new groups of one name get files of their own.
    for (int i = 0; i < 2; ++i) {
        SelectGroup("アドレス帳");
        WithDialog("グループ追加",
                   [](HWND h) {
                       SetText(h, IDC_GROUP_NAME, "新規");
                       UiTest::Click(h, IDOK);
                   },
                   [&] { Command(ID_GROUP_ADD); });
    }
    EXPECT_TRUE(TestSupport::FileExists(m_box + "\\新規.dat"));
    EXPECT_TRUE(TestSupport::FileExists(m_box + "\\新規0.dat"));
    EXPECT_EQ(0u, GroupListLineOf("新規").find("0\t0\t1\t5\t新規\t新規.dat\t"));
    EXPECT_EQ(0u, ReadFileBytes(m_box + "\\Group.lst").find("FILE_VERSION\t1\r\n"));

    // A sub-group below the new one.
    WithDialog("グループ追加",
               [](HWND h) {
                   SetText(h, IDC_GROUP_NAME, "子");
                   UiTest::Click(h, IDOK);
               },
               [&] { Command(ID_GROUP_ADD); });
    EXPECT_EQ(0u, GroupListLineOf("子").find("6\t0\t1\t7\t子\t子.dat\t")) << ReadFileBytes(m_box + "\\Group.lst");

    struct Case
    {
        const char* group;
        const char* message;
    } refused[] = {
        { "アドレス帳", "ルートのグループは削除できません。" },
        { "迷惑メール", "ルートのグループは削除できません。" },
    };
    for (const Case& c : refused) {
        SelectGroup(c.group);
        Command(ID_GROUP_DELETE);
        EXPECT_EQ(c.message, LastMessage()) << c.group;
        EXPECT_NE(FindItem(c.group), nullptr);
    }
    // The first "新規" now has a sub-group.
    TreeView_SelectItem(m_hTree, FindItem("新規"));
    HTREEITEM parent = TreeView_GetSelection(m_hTree);
    if (!TreeView_GetChild(m_hTree, parent))
        TreeView_SelectItem(m_hTree, TreeView_GetNextSibling(m_hTree, parent));
    Command(ID_GROUP_DELETE);
    EXPECT_EQ("サブフォルダがあるグループは削除できません。\r\n先にサブフォルダを削除してください。", LastMessage());

    SelectGroup("子");
    TestSupport::QueueMessageBoxAnswer(IDCANCEL);
    Command(ID_GROUP_DELETE);
    EXPECT_EQ("グループ <子> を削除します。よろしいですか？", LastMessage());
    EXPECT_TRUE(TestSupport::FileExists(m_box + "\\子.dat"));
    Command(ID_GROUP_DELETE);
    EXPECT_FALSE(TestSupport::FileExists(m_box + "\\子.dat"));
    EXPECT_EQ("", GroupListLineOf("子"));

    // A group pointed at a file elsewhere goes; the file stays. Completion
    // stops offering its addresses at once.
    EXPECT_TRUE(ThreadKnows("keep@"));
    SelectGroup("外部");
    EXPECT_EQ((std::vector<std::string>{ "keep@example.jp" }), Addresses());
    Command(ID_GROUP_DELETE);
    EXPECT_EQ(nullptr, FindItem("外部"));
    EXPECT_EQ("", GroupListLineOf("外部"));
    EXPECT_EQ("keep@example.jp\t外\t\tIconDefault\t\r\n", ReadFileBytes(m_outside));
    EXPECT_TRUE(ThreadKnows("keep@", false));

    // Renamed in place: the list and the thread learn the new name.
    RenameGroup("取引先", "協力会社");
    EXPECT_NE(FindItem("協力会社"), nullptr);
    EXPECT_EQ(0u, GroupListLineOf("協力会社").find("0\t0\t1\t2\t協力会社\t取引先.dat\t"));
    bool known = false;
    for (int i = 0; i < 300 && !known; ++i, Sleep(10)) {
        CSingleLock hold(&m_thread->GetLock(), TRUE);
        known = m_thread->FindGroup("協力会社") != nullptr;
    }
    EXPECT_TRUE(known);
}

TEST_F(AddressNoteWindowTest, LdapGroupRefreshesAndNeverLosesItsSavedAddresses)
{
    Open();
    // LDAPv3 with a Japanese filter: the directory's entry replaces the saved one.
    SelectGroup("営業部");
    EXPECT_EQ((std::vector<std::string>{ "yamada@corvane.test" }), Addresses());
    EXPECT_NE(std::string::npos, File("営業部.dat").find("yamada@corvane.test\t山田 太郎\t営業部 第一課"));
    Command(ID_ADDRESS_ADD);
    EXPECT_EQ("LDAPフォルダにはアドレスは追加できません。", LastMessage());
    SelectRows({ 0 });
    Command(ID_ADDRESS_DELETE);
    EXPECT_EQ("LDAPフォルダのアドレスは削除できません。", LastMessage());

    // LDAPv2 with a simple bind, chosen in the group's properties.
    WriteFileBytes(m_box + "\\営業部.dat", kOldLdap);
    WithDialog("グループのプロパティ",
               [](HWND h) {
                   SendDlgItemMessageA(h, IDC_LDAP_VERSION, CB_SETCURSEL, 0, 0);
                   SetText(h, IDC_LDAP_ACCOUNT, "cn=reader,dc=corvane,dc=test");
                   SetText(h, IDC_LDAP_PASSWORD, "reader-secret");
                   UiTest::Click(h, IDOK);
               },
               [&] { Command(ID_GROUP_PROPERTY); });
    EXPECT_EQ((std::vector<std::string>{ "yamada@corvane.test" }), Addresses());
    EXPECT_NE(std::string::npos, GroupListLineOf("営業部").find("\t2\t1\t10"));

    // A server that does not answer: the saved addresses stay, with the reason shown.
    const std::string saved = File("営業部.dat");
    TestSupport::ClearMessages();
    WithDialog("グループのプロパティ",
               [](HWND h) {
                   SetText(h, IDC_LDAP_SERVER, "127.0.0.9");
                   UiTest::Click(h, IDOK);
               },
               [&] { Command(ID_GROUP_PROPERTY); });
    EXPECT_EQ(0u, LastMessage().find("以下の理由でLDAPサーバからデータの取得に失敗しました。"));
    EXPECT_EQ(saved, File("営業部.dat"));
    EXPECT_EQ((std::vector<std::string>{ "yamada@corvane.test" }), Addresses());

    // A standard group switched to LDAP with a search that finds nothing
    // keeps its addresses.
    const std::string partners = File("取引先.dat");
    SelectGroup("取引先");
    WithDialog("グループのプロパティ",
               [](HWND h) {
                   CheckRadioButton(h, IDC_TYPE_STANDARD, IDC_TYPE_LDAP, IDC_TYPE_LDAP);
                   SetText(h, IDC_LDAP_SERVER, "127.0.0.4");
                   SetText(h, IDC_LDAP_BASE, "ou=nobody-here,dc=corvane,dc=test");
                   SendDlgItemMessageA(h, IDC_LDAP_VERSION, CB_SETCURSEL, 1, 0);
                   UiTest::Click(h, IDOK);
               },
               [&] { Command(ID_GROUP_PROPERTY); });
    EXPECT_EQ(partners, File("取引先.dat"));
    EXPECT_EQ((std::vector<std::string>{ "tanaka@partner.example", "kato@partner.example" }), Addresses());
    EXPECT_EQ("0\t1\t", GroupListLineOf("取引先").substr(0, 4));
}

TEST_F(AddressNoteWindowTest, LdapDetailsShowTheDefaultFilterAndStoreTheirValues)
{
    std::string list = ReadFileBytes(m_box + "\\Group.lst");
    list.replace(list.find("(sn=山田)"), strlen("(sn=山田)"), "");
    WriteFileBytes(m_box + "\\Group.lst", list);
    Open();
    SelectGroup("取引先");
    CString shownFilter;
    DWORD self = GetCurrentThreadId();
    WithDialog("グループのプロパティ",
               [&](HWND h) {
                   PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_LDAP_DETAIL, BN_CLICKED), 0);
                   HWND detail = UiTest::WaitForDialog(self, "詳細設定", 10000);
                   if (!detail)
                       return;
                   shownFilter = Text(detail, IDC_LDAP_FILTER);
                   CheckRadioButton(detail, IDC_SCOPE_ONE_LEVEL, IDC_SCOPE_SUBTREE, IDC_SCOPE_ONE_LEVEL);
                   SetText(detail, IDC_LDAP_TIMEOUT, "15");
                   SetText(detail, IDC_NAME_ATTR, "sn");
                   UiTest::Click(detail, IDOK);
                   UiTest::Click(h, IDOK);
               },
               [&] { Command(ID_GROUP_PROPERTY); });
    EXPECT_EQ(CString("mail=*"), shownFilter);
    EXPECT_EQ("0\t0\t1\t2\t取引先\t取引先.dat\t0\t0\t0\t0\t\t389\t\t\t\tmail=*\t1\tsn\tmail\tdescription\t2\t0\t15",
              GroupListLineOf("取引先"));
}

TEST_F(AddressNoteWindowTest, ImportAsksBeforeReplacingAndWabEntriesAreAppended)
{
    Open();
    SelectGroup("取引先");
    const std::string partners = File("取引先.dat");
    WriteFileBytes(m_dir.File("book.adr"), "new@example.jp\t新しい\t.\tx\ty\r\n");
    m_note.m_strImportPath = m_dir.File("book.adr");

    TestSupport::QueueMessageBoxAnswer(IDCANCEL);
    Command(ID_ADDRESS_IMPORT_FILE);
    EXPECT_EQ("グループ[取引先]のアドレスを、読み込むファイルの内容で置き換えます。\r\nよろしいですか？", LastMessage());
    EXPECT_EQ(partners, File("取引先.dat"));

    Command(ID_ADDRESS_IMPORT_FILE);
    EXPECT_EQ("new@example.jp\t新しい\t\tIconDefault\t\r\n", File("取引先.dat"));
    EXPECT_EQ((std::vector<std::string>{ "new@example.jp" }), Addresses());
    // Completion knows the imported addresses and forgets the replaced ones.
    EXPECT_TRUE(ThreadKnows("new@"));
    EXPECT_TRUE(ThreadKnows("tanaka@", false));

    // An empty group has nothing to lose: no question.
    SelectGroup("迷惑メール");
    TestSupport::ClearMessages();
    Command(ID_ADDRESS_IMPORT_FILE);
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
    EXPECT_EQ("new@example.jp\t新しい\t\tIconDefault\t\r\n", File("迷惑メール.dat"));

    // A Windows Address Book file is appended through the WAB library.
    WabStandIn standIn;
    WriteFileBytes(m_dir.File("book.wab"), "3001001E=渡辺 健\t3002001E=SMTP\t3003001E=watanabe@example.jp\t3004001E=WABメモ\r\n"
                                           "3001001E=Fax\t3002001E=FAX\t3003001E=0312345678\r\n");
    SelectGroup("取引先");
    m_note.m_strImportPath = m_dir.File("book.wab");
    Command(ID_ADDRESS_IMPORT_FILE);
    EXPECT_EQ("new@example.jp\t新しい\t\tIconDefault\t\r\nwatanabe@example.jp\t渡辺 健\tWABメモ\tIconDefault\t\r\n",
              File("取引先.dat"));
    EXPECT_TRUE(ThreadKnows("watanabe@"));

    // The user's own address book, when the library cannot open it, changes nothing.
    const std::string imported = File("取引先.dat");
    Command(ID_ADDRESS_IMPORT_WAB);
    EXPECT_EQ(imported, File("取引先.dat"));
}

TEST_F(AddressNoteWindowTest, AnImportedGroupChangedAfterwardsHoldsEachEntryOnce)
{
    Open();
    SelectGroup("取引先");
    WriteFileBytes(m_dir.File("book.dat"), "a@example.jp\tA\t\tIconDefault\t\r\nb@example.jp\tB\t\tIconDefault\t\r\n");
    m_note.m_strImportPath = m_dir.File("book.dat");
    Command(ID_ADDRESS_IMPORT_FILE);
    ASSERT_EQ((std::vector<std::string>{ "a@example.jp", "b@example.jp" }), Addresses());

    SelectRows({ RowOf("a@example.jp") });
    WithDialog("アドレスの追加",
               [](HWND h) {
                   SetText(h, IDC_ENTRY_ADDRESS, "a2@example.jp");
                   UiTest::Click(h, IDOK);
               },
               [&] { Command(ID_ADDRESS_CHANGE); });
    WithDialog("アドレスの追加",
               [](HWND h) {
                   SetText(h, IDC_ENTRY_NAME, "C");
                   SetText(h, IDC_ENTRY_ADDRESS, "c@example.jp");
                   UiTest::Click(h, IDOK);
               },
               [&] { Command(ID_ADDRESS_ADD); });
    EXPECT_EQ("a2@example.jp\tA\t\tIconDefault\t\r\nb@example.jp\tB\t\tIconDefault\t\r\nc@example.jp\tC\t\tIconDefault\t\r\n",
              File("取引先.dat"));
    EXPECT_EQ((std::vector<std::string>{ "a2@example.jp", "b@example.jp", "c@example.jp" }), Addresses());
}

TEST_F(AddressNoteWindowTest, FilesThatCannotBeReadAreKeptAndTheUserIsTold)
{
    // Another program holds the group file without sharing it for reading:
    // the window shows the group empty, and an entry added there must not
    // replace the entries the file holds.
    const std::string held = File("アドレス帳.dat");
    ASSERT_TRUE(ThreadKnows("yamada@"));  // the thread's first reading is over
    HANDLE locked = HoldWithoutSharing(m_box + "\\アドレス帳.dat");
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    Open();
    EXPECT_TRUE(Addresses().empty());
    WithDialog("アドレスの追加",
               [](HWND h) {
                   SetText(h, IDC_ENTRY_ADDRESS, "ito@example.jp");
                   UiTest::Click(h, IDOK);
               },
               [&] { Command(ID_ADDRESS_ADD); });
    EXPECT_EQ(0u, LastMessage().find("[" + (m_box + "\\アドレス帳.dat").Str() +
                                     "]を読み込めないため、変更を保存できませんでした。\r\nファイルは元のまま残してあります。"))
        << LastMessage();
    CloseHandle(locked);
    EXPECT_EQ(held, File("アドレス帳.dat"));

    // The group list likewise: a rename that cannot be saved is said.
    const std::string groups = ReadFileBytes(m_box + "\\Group.lst");
    locked = HoldWithoutSharing(m_box + "\\Group.lst");
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    TestSupport::ClearMessages();
    RenameGroup("取引先", "協力会社");
    EXPECT_EQ(0u, LastMessage().find("[" + (m_box + "\\Group.lst").Str() + "]を読み込めないため")) << LastMessage();
    CloseHandle(locked);
    EXPECT_EQ(groups, ReadFileBytes(m_box + "\\Group.lst"));
}

TEST_F(AddressNoteWindowTest, AddressesAndGroupsAreDraggedBetweenGroups)
{
    Open();
    // Copied to another group.
    SelectRows({ 0, 1 });
    DragRowsTo("取引先", false);
    EXPECT_EQ("tanaka@partner.example\t田中\t\tIconDefault\t\r\nkato@partner.example\t加藤\t\tIconDefault\t\r\n"
              "yamada@example.jp\t山田\tメモ1\tIconDefault\t\r\nsuzuki@example.jp\t鈴木\t\tIconDefault\t\r\n",
              File("取引先.dat"));
    EXPECT_EQ(3u, Addresses().size());

    // Moved with Shift.
    SelectRows({ RowOf("sato@other.example") });
    DragRowsTo("迷惑メール", true);
    EXPECT_EQ("sato@other.example\t佐藤\t\tIconDefault\t\r\n", File("迷惑メール.dat"));
    EXPECT_EQ(std::string::npos, File("アドレス帳.dat").find("sato@"));
    EXPECT_EQ(2u, Addresses().size());

    // Dropped on their own group: nothing happens.
    const std::string own = File("アドレス帳.dat");
    SelectRows({ 0 });
    DragRowsTo("アドレス帳", true);
    EXPECT_EQ(own, File("アドレス帳.dat"));

    // An LDAP group moved below another keeps its type and settings.
    const std::string before = GroupListLineOf("営業部");
    CString question;
    DragGroupTo("営業部", "迷惑メール", IDCANCEL, &question);
    EXPECT_EQ(CString("フォルダ[営業部]を移動してよろしいですか？"), question);
    EXPECT_EQ(before, GroupListLineOf("営業部"));
    DragGroupTo("営業部", "迷惑メール", IDC_MOVE_CHILD);
    EXPECT_EQ("1" + before.substr(1), GroupListLineOf("営業部"));
    HTREEITEM moved = FindItem("営業部");
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(FindItem("迷惑メール"), TreeView_GetParent(m_hTree, moved));

    // Next to another group, under that group's parent; the thread's
    // groups (the search's order) follow.
    DragGroupTo("外部", "取引先", IDC_MOVE_ABOVE);
    EXPECT_EQ(FindItem("外部"), TreeView_GetChild(m_hTree, FindItem("アドレス帳")));
    EXPECT_TRUE(ThreadOrders("外部", "取引先"));

    // A group is not dropped on itself or below itself: nothing is asked.
    const std::string list = ReadFileBytes(m_box + "\\Group.lst");
    TestSupport::ClearMessages();
    DragGroupUnasked("アドレス帳", "取引先");
    DragGroupUnasked("迷惑メール", "営業部");
    DragGroupUnasked("迷惑メール", "迷惑メール");
    EXPECT_EQ(list, ReadFileBytes(m_box + "\\Group.lst"));
}

TEST_F(AddressNoteWindowTest, SelectedAddressesFillTheRecipientFields)
{
    UiTest::CHostWnd host;
    HWND to = host.CreateChild("EDIT", 0, 0, 0, 300, 20, 1);
    HWND cc = host.CreateChild("EDIT", 0, 0, 30, 300, 20, 2);
    HWND bcc = host.CreateChild("EDIT", 0, 0, 60, 300, 20, 3);
    SetWindowTextA(to, "first@example.jp");
    CAddressRecipientTargets targets;
    targets.hEdit[0] = to;
    targets.hEdit[1] = cc;
    targets.hEdit[2] = bcc;
    targets.hOwnerEditor = host.m_hWnd;
    std::vector<int> changed;
    targets.onChanged = [&](int field) { changed.push_back(field); };
    Open(targets);

    SelectRows({ 0, 1 });
    Command(ID_ADDRESS_TO);
    EXPECT_EQ(CString("first@example.jp,山田 <yamada@example.jp>,鈴木 <suzuki@example.jp>,"), WindowText(to));
    m_note.m_bAddressOnly = TRUE;
    Command(ID_ADDRESS_BCC);
    EXPECT_EQ(CString("yamada@example.jp,suzuki@example.jp,"), WindowText(bcc));
    // The group buttons take every address of the list.
    Command(IDC_GROUP_CC);
    EXPECT_EQ(CString("yamada@example.jp,suzuki@example.jp,sato@other.example,"), WindowText(cc));
    EXPECT_EQ((std::vector<int>{ 0, 2, 1 }), changed);
    // A double-click puts the selection into the editor's To.
    SelectRows({ 2 });
    NMITEMACTIVATE nm = {};
    nm.hdr.hwndFrom = m_hList;
    nm.hdr.idFrom = IDC_ADDRESS_LIST;
    nm.hdr.code = NM_DBLCLK;
    SendMessageA(m_hWnd, WM_NOTIFY, IDC_ADDRESS_LIST, reinterpret_cast<LPARAM>(&nm));
    EXPECT_EQ(CString("first@example.jp,山田 <yamada@example.jp>,鈴木 <suzuki@example.jp>,sato@other.example,"),
              WindowText(to));
    // Retargeted to BCC (an editor's BCC button), the double-click fills
    // BCC, and the editor is told so that it shows the field.
    changed.clear();
    m_note.SetOwnerField(bcc);
    SendMessageA(m_hWnd, WM_NOTIFY, IDC_ADDRESS_LIST, reinterpret_cast<LPARAM>(&nm));
    EXPECT_EQ(CString("yamada@example.jp,suzuki@example.jp,sato@other.example,"), WindowText(bcc));
    EXPECT_EQ((std::vector<int>{ 2 }), changed);

    // Rows dragged out of the window: released over a field they go there,
    // released elsewhere nowhere.
    SetWindowPos(m_hWnd, nullptr, 700, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    changed.clear();
    SelectRows({ 0 });
    DragRowsOnto(cc);
    EXPECT_EQ(CString("yamada@example.jp,suzuki@example.jp,sato@other.example,yamada@example.jp,"), WindowText(cc));
    EXPECT_EQ((std::vector<int>{ 1 }), changed);
    DragRowsOnto(host.m_hWnd);
    EXPECT_EQ((std::vector<int>{ 1 }), changed);
}

// A window opened without targets (from the main window): rows dropped on
// an editor's address field are appended to it, each address once.
TEST_F(AddressNoteWindowTest, RowsDroppedOnAnyEditorAddressFieldAreAppended)
{
    UiTest::CHostWnd host;
    host.CreateChild("EDIT", 0, 0, 0, 300, 20, 1);
    CAddressEdit field;
    ASSERT_TRUE(field.Attach(&host, 1));
    SetWindowTextA(field.m_hWnd, "first@example.jp");
    Open();
    SetWindowPos(m_hWnd, nullptr, 700, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    UiTest::Pump(50);

    SelectRows({ 0, 1 });
    DragRowsOnto(field.m_hWnd);
    EXPECT_EQ(CString("first@example.jp,山田 <yamada@example.jp>,鈴木 <suzuki@example.jp>"), WindowText(field.m_hWnd));
    SelectRows({ 0 });
    DragRowsOnto(field.m_hWnd);
    EXPECT_EQ(CString("first@example.jp,山田 <yamada@example.jp>,鈴木 <suzuki@example.jp>"), WindowText(field.m_hWnd));
    // Released over a window that takes no addresses: nothing, and no message.
    TestSupport::ClearMessages();
    DragRowsOnto(host.m_hWnd);
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());
    field.UnsubclassWindow();
}

TEST_F(AddressNoteWindowTest, WithoutTargetsTheUserIsToldWhereToPick)
{
    Open();
    Command(ID_ADDRESS_CC);
    EXPECT_EQ("アドレスのリストでダブルクリックしてください。", LastMessage());

    // The entry fields as a clipboard object for other programs.
    m_note.SetEntryText("山田", "yamada@example.jp", "メモ");
    COleDataSource* source = m_note.CreateAddressDataObject();
    ASSERT_NE(source, nullptr);
    FORMATETC format = { static_cast<CLIPFORMAT>(AddressObjectBlock::GetFormat()), nullptr, DVASPECT_CONTENT, -1,
                         TYMED_HGLOBAL };
    STGMEDIUM medium = {};
    ASSERT_EQ(S_OK, source->GetData(&format, &medium));
    CAddressData entry;
    EXPECT_TRUE(AddressObjectBlock::Read(medium.hGlobal, entry));
    EXPECT_EQ(CString("yamada@example.jp"), entry.m_strAddress);
    EXPECT_EQ(CString("山田"), entry.m_strName);
    EXPECT_EQ(CString("メモ"), entry.m_strMemo);
    ReleaseStgMedium(&medium);
    source->Release();
}

TEST_F(AddressNoteWindowTest, SearchCyclesThroughTheMatchesOfAllGroups)
{
    Open();
    ASSERT_TRUE(ThreadKnows("tanaka@"));
    Command(IDC_ADDRESS_SEARCH);
    HWND search = UiTest::WaitForDialog(GetCurrentThreadId(), "検索", 5000);
    ASSERT_NE(search, nullptr);
    SetText(search, IDC_ENTRY_ADDRESS, "EXAMPLE");
    struct Hit
    {
        const char* group;
        const char* address;
    } hits[] = {
        { "アドレス帳", "yamada@example.jp" }, { "アドレス帳", "suzuki@example.jp" }, { "アドレス帳", "sato@other.example" },
        { "取引先", "tanaka@partner.example" }, { "取引先", "kato@partner.example" }, { "外部", "keep@example.jp" },
        { "アドレス帳", "yamada@example.jp" },  // after one miss the search starts over
    };
    int step = 0;
    for (const Hit& hit : hits) {
        UiTest::Click(search, IDOK);
        if (step++ == 6) {
            // The pass that finds nothing leaves the selection where it was.
            EXPECT_EQ("keep@example.jp", Addresses()[static_cast<size_t>(ListView_GetNextItem(m_hList, -1, LVNI_SELECTED))]);
            UiTest::Click(search, IDOK);
        }
        EXPECT_EQ(FindItem(hit.group), TreeView_GetSelection(m_hTree)) << hit.address;
        int row = ListView_GetNextItem(m_hList, -1, LVNI_SELECTED);
        ASSERT_GE(row, 0) << hit.address;
        EXPECT_EQ(hit.address, Addresses()[static_cast<size_t>(row)]);
        EXPECT_EQ(1u, ListView_GetSelectedCount(m_hList));
    }
}

TEST_F(AddressNoteWindowTest, LayoutAndSelectedGroupAreKept)
{
    Open();
    SelectGroup("取引先");
    SendMessageA(m_hWnd, CImageButton::kSplitterMoved, 200, 0);
    RECT tree;
    GetWindowRect(m_hTree, &tree);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&tree), 2);
    EXPECT_EQ(198, tree.right);
    SetWindowPos(m_hWnd, nullptr, 30, 40, 700, 480, SWP_NOZORDER);
    // The list follows the window's size; the rows below it its bottom edge.
    RECT list, close, client;
    GetWindowRect(m_hList, &list);
    GetWindowRect(GetDlgItem(m_hWnd, IDCANCEL), &close);
    GetClientRect(m_hWnd, &client);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&list), 2);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&close), 2);
    EXPECT_EQ(202, list.left);
    EXPECT_LT(client.right - list.right, 20);
    EXPECT_LT(client.bottom - close.bottom, 20);
    EXPECT_LT(list.bottom, close.top);
    ListView_SetColumnWidth(m_hList, 1, 111);
    CloseWindow();
    EXPECT_EQ(200, m_app.GetProfileInt("AddressNote", "AddressSplitPos", 0));
    EXPECT_EQ(2, m_app.GetProfileInt("AddressNote", "AddressSelectGroup", 0));
    EXPECT_EQ(111, m_app.GetProfileInt("AddressNote", "AddressColumnName", 0));
    EXPECT_EQ(700, m_app.GetProfileInt("AddressNote", "AddressWidth", 0));

    CTestAddressNote again;
    ASSERT_TRUE(again.CreateModeless(nullptr, nullptr, CAddressRecipientTargets()));
    again.ShowFirstTime();
    RECT rc;
    GetWindowRect(again.m_hWnd, &rc);
    EXPECT_EQ(700, rc.right - rc.left);
    EXPECT_EQ(480, rc.bottom - rc.top);
    EXPECT_EQ(2, again.GetCurrentGroup()->m_nId);
    EXPECT_EQ(111, ListView_GetColumnWidth(GetDlgItem(again.m_hWnd, IDC_ADDRESS_LIST), 1));
    GetWindowRect(GetDlgItem(again.m_hWnd, IDC_GROUP_TREE), &tree);
    MapWindowPoints(nullptr, again.m_hWnd, reinterpret_cast<POINT*>(&tree), 2);
    EXPECT_EQ(198, tree.right);

    // Another display mode is kept as well.
    HWND mode = GetDlgItem(again.m_hWnd, IDC_DISPLAY_MODE);
    SendMessageA(mode, CB_SETCURSEL, 1, 0);
    SendMessageA(again.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_DISPLAY_MODE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(mode));
    EXPECT_EQ(LVS_ICON, GetWindowLongPtrA(GetDlgItem(again.m_hWnd, IDC_ADDRESS_LIST), GWL_STYLE) & LVS_TYPEMASK);
    EXPECT_EQ(1, m_app.GetProfileInt("AddressNote", "AddressDispMode", 0));
    SendMessageA(again.m_hWnd, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(AddressNoteWindowTest, TheApplicationOpensOneWindowPerCallerAndFillsTheAddDialog)
{
    UiTest::CHostWnd editor;
    CAddressRecipientTargets targets;
    targets.hOwnerEditor = editor.m_hWnd;
    CString shownAddress;
    CDlgAddressNote* note = nullptr;
    WithDialog("アドレスの追加",
               [&](HWND h) {
                   shownAddress = Text(h, IDC_ENTRY_ADDRESS);
                   UiTest::Click(h, IDOK);
               },
               [&] {
                   note = m_app.OpenAddressBook(nullptr, 1, &targets, nullptr, "送信者", "sender@example.jp", nullptr);
                   ASSERT_NE(note, nullptr);
                   EXPECT_TRUE(IsWindowVisible(note->m_hWnd));
                   UiTest::Pump(300);
               });
    EXPECT_EQ(CString("sender@example.jp"), shownAddress);
    EXPECT_NE(std::string::npos, File("アドレス帳.dat").find("sender@example.jp\t送信者\t\tIconDefault"));
    // The same caller gets the same window back.
    EXPECT_EQ(note, m_app.OpenAddressBook(nullptr, 1, &targets));
    HWND hNote = note->m_hWnd;
    SendMessageA(hNote, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(hNote));
}

TEST_F(AddressNoteWindowTest, ThePlainModalAddressBookShowsTheGroups)
{
    int groups = 0, rows = 0;
    std::thread driver([&] {
        HWND h = nullptr;
        for (int i = 0; i < 500 && !h; ++i, Sleep(20))
            h = FindWindowA(CDlgAddressNote::kWindowClass, "アドレス帳");
        if (!h)
            return;
        Sleep(200);
        groups = static_cast<int>(TreeView_GetCount(GetDlgItem(h, IDC_GROUP_TREE)));
        rows = ListView_GetItemCount(GetDlgItem(h, IDC_ADDRESS_LIST));
        PostMessageA(h, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(nullptr, m_app.OpenAddressBook(nullptr, 5));
    driver.join();
    EXPECT_EQ(5, groups);
    EXPECT_EQ(3, rows);
}

TEST_F(AddressNoteWindowTest, PickingHandsTheChosenAddressesBackToTheOpener)
{
    UiTest::CHostWnd host;
    HWND field = host.CreateChild("EDIT", 0, 0, 0, 300, 20, 1);
    CTestAddressNote picker;
    picker.SetPicking(field, CAddressRecipientTargets());
    picker.m_bCloseAfterPick = TRUE;
    picker.m_bAddressOnly = TRUE;
    INT_PTR result = RunModalNote(picker, [](HWND h) {
        HWND list = GetDlgItem(h, IDC_ADDRESS_LIST);
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
        NMITEMACTIVATE nm = {};
        nm.hdr.hwndFrom = list;
        nm.hdr.idFrom = IDC_ADDRESS_LIST;
        nm.hdr.code = NM_DBLCLK;
        SendMessageA(h, WM_NOTIFY, IDC_ADDRESS_LIST, reinterpret_cast<LPARAM>(&nm));
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(CString("suzuki@example.jp,"), WindowText(field));
    EXPECT_EQ(CString("suzuki@example.jp,"), picker.GetPickedText());

    // With group references a double-clicked group is named, not expanded.
    CTestAddressNote references;
    references.SetPicking(field, CAddressRecipientTargets());
    references.m_bGroupReference = TRUE;
    references.m_bCloseAfterPick = TRUE;
    RunModalNote(references, [](HWND h) {
        HWND tree = GetDlgItem(h, IDC_GROUP_TREE);
        HTREEITEM item = TreeView_GetChild(tree, TreeView_GetRoot(tree));
        TreeView_SelectItem(tree, item);
        NMHDR nm = { tree, IDC_GROUP_TREE, static_cast<UINT>(NM_DBLCLK) };
        SendMessageA(h, WM_NOTIFY, IDC_GROUP_TREE, reinterpret_cast<LPARAM>(&nm));
    });
    EXPECT_EQ(CString("%GL$取引先$%"), WindowText(field));
}

TEST_F(AddressNoteWindowTest, RecipientListsDeleteRowsAndTakeAddressesFromTheWindow)
{
    UiTest::CHostWnd dialog;
    CAddressListCtrl lists[3];
    for (int i = 0; i < 3; ++i) {
        HWND h = dialog.CreateChild(WC_LISTVIEWA, LVS_REPORT | LVS_OWNERDRAWFIXED, 0, i * 100, 300, 90, 10 + i);
        lists[i].SubclassWindow(h);
        lists[i].InsertColumn(0, "", LVCFMT_LEFT, 280);
    }
    RECT keep = {};
    for (auto& l : lists)
        l.SetRecipientLists(lists[0].m_hWnd, lists[1].m_hWnd, lists[2].m_hWnd, &keep);
    lists[1].InsertItem(0, "a@example.jp");
    lists[1].InsertItem(1, "b@example.jp");
    lists[1].SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageA(lists[1].m_hWnd, WM_COMMAND, ID_TARGET_DELETE, 0);
    ASSERT_EQ(1, lists[1].GetItemCount());
    EXPECT_EQ(CString("b@example.jp"), lists[1].GetItemText(0, 0));

    SendMessageA(lists[0].m_hWnd, WM_COMMAND, ID_TARGET_ADD, 0);
    HWND note = FindWindowA(CDlgAddressNote::kWindowClass, "アドレス帳");
    ASSERT_NE(note, nullptr);
    HWND list = GetDlgItem(note, IDC_ADDRESS_LIST);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageA(note, WM_COMMAND, ID_ADDRESS_BCC, 0);
    ASSERT_EQ(2, lists[2].GetItemCount());
    EXPECT_EQ(CString("山田 <yamada@example.jp>"), lists[2].GetItemText(0, 0));
    EXPECT_EQ(CString("佐藤 <sato@other.example>"), lists[2].GetItemText(1, 0));
    SendMessageA(note, WM_COMMAND, IDCANCEL, 0);
    EXPECT_NE(0, keep.right) << "the window's rectangle is kept for the next opening";
}

// The editor's send-information dialog: its CC list's "追加" opens the
// address book, whose CC button adds a row that OK hands back.
TEST_F(AddressNoteWindowTest, TheSendInformationListsTakeAddressesFromTheAddressBook)
{
    CDlgSendInfo dlg("件名", "first@example.jp", "", "", "", "", "", nullptr);
    HWND note = nullptr;
    UiTest::RunModal(dlg, "送信情報の編集", [&](HWND hDlg) {
        if (!hDlg)
            return;
        SendMessageA(GetDlgItem(hDlg, IDC_SI_CC), WM_COMMAND, ID_TARGET_ADD, 0);
        for (int i = 0; i < 250 && !note; ++i, Sleep(20))
            note = FindWindowA(CDlgAddressNote::kWindowClass, "アドレス帳");
        if (note) {
            HWND list = GetDlgItem(note, IDC_ADDRESS_LIST);
            ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
            ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
            SendMessageA(note, WM_COMMAND, ID_ADDRESS_CC, 0);
        }
        UiTest::Click(hDlg, IDOK);
    });
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(CString("鈴木 <suzuki@example.jp>,"), dlg.m_strCc);
    EXPECT_EQ(CString("first@example.jp,"), dlg.m_strTo);
    EXPECT_FALSE(IsWindow(note)) << "the window goes with the dialog";
}

TEST_F(AddressNoteWindowTest, PropertiesEditIconAndPropertiesOfAnEntry)
{
    WriteFileBytes(m_box + "\\アドレス帳.dat", "yamada@example.jp\t山田\t\tIconDefault\t"
                                               "tel\x1F" "03\x1E" "fax\x1F" "04\x1E" "room\x1F" "5F\x1E\r\n");
    Open();
    SelectRows({ 0 });
    DWORD self = GetCurrentThreadId();
    WithDialog("アドレスのプロパティ",
               [&](HWND h) {
                   HWND props = GetDlgItem(h, IDC_PROPERTY_LIST);
                   // The second of three goes; the third then still edits its own pair.
                   ListView_SetItemState(props, 1, LVIS_SELECTED, LVIS_SELECTED);
                   SendMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_PROPERTY_DELETE, BN_CLICKED), 0);
                   ListView_SetItemState(props, 1, LVIS_SELECTED, LVIS_SELECTED);
                   PostMessageA(h, WM_COMMAND, MAKEWPARAM(IDC_PROPERTY_CHANGE, BN_CLICKED), 0);
                   HWND input = UiTest::WaitForDialog(self, "プロパティの入力", 10000);
                   if (!input)
                       return;
                   EXPECT_EQ(CString("room"), Text(input, IDC_PROPERTY_NAME));
                   SetText(input, IDC_PROPERTY_VALUE, "6F");
                   UiTest::Click(input, IDOK);
                   HWND icons = GetDlgItem(h, IDC_ICON_LIST);
                   EXPECT_EQ(3, ListView_GetItemCount(icons));
                   ListView_SetItemState(icons, -1, 0, LVIS_SELECTED);
                   ListView_SetItemState(icons, 2, LVIS_SELECTED, LVIS_SELECTED);
                   SetText(h, IDC_ENTRY_MEMO, "受付");
                   UiTest::Click(h, IDOK);
               },
               [&] { Command(ID_ADDRESS_PROPERTY); });
    EXPECT_EQ("プロパティ[fax]を削除しますか？", LastMessage());
    LVITEMA shown = {};
    shown.mask = LVIF_IMAGE;
    ListView_GetItem(m_hList, &shown);
    EXPECT_EQ(2, shown.iImage) << "the list shows the chosen user icon";
    EXPECT_EQ("yamada@example.jp\t山田\t受付\ticon3\ttel\x1F" "03\x1E" "room\x1F" "6F\x1E\r\n", File("アドレス帳.dat"));
}

TEST_F(AddressNoteWindowTest, ColumnClicksSortAndRegistrationOrderCanBeRearranged)
{
    Open();
    auto click = [&](int column) {
        NMLISTVIEW nm = {};
        nm.hdr.hwndFrom = m_hList;
        nm.hdr.idFrom = IDC_ADDRESS_LIST;
        nm.hdr.code = LVN_COLUMNCLICK;
        nm.iItem = -1;
        nm.iSubItem = column;
        SendMessageA(m_hWnd, WM_NOTIFY, IDC_ADDRESS_LIST, reinterpret_cast<LPARAM>(&nm));
    };
    click(2);  // address, descending with the flag clear
    EXPECT_EQ((std::vector<std::string>{ "yamada@example.jp", "suzuki@example.jp", "sato@other.example" }), Addresses());
    click(2);
    EXPECT_EQ((std::vector<std::string>{ "sato@other.example", "suzuki@example.jp", "yamada@example.jp" }), Addresses());
    EXPECT_EQ(2, m_app.GetProfileInt("AddressNote", "AddressSortMode", -1));
    EXPECT_EQ(1, m_app.GetProfileInt("AddressNote", "AddressSortDir", -1));

    // Rows dropped on the list move only in registration order.
    SelectRows({ 0 });
    const std::string before = File("アドレス帳.dat");
    m_note.DropAddressesOnList(3);
    EXPECT_EQ(before, File("アドレス帳.dat"));
    click(0);  // registration order; the flag stays set: descending
    EXPECT_EQ((std::vector<std::string>{ "sato@other.example", "suzuki@example.jp", "yamada@example.jp" }), Addresses());
    click(0);
    EXPECT_EQ((std::vector<std::string>{ "yamada@example.jp", "suzuki@example.jp", "sato@other.example" }), Addresses());
    SelectRows({ 0 });
    m_note.DropAddressesOnList(3);
    EXPECT_EQ((std::vector<std::string>{ "suzuki@example.jp", "sato@other.example", "yamada@example.jp" }), Addresses());
    EXPECT_EQ(0u, File("アドレス帳.dat").find("suzuki@example.jp\t鈴木\t\tIconDefault\t\r\nsato@"));
}
