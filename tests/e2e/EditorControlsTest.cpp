// The editor's controls as a user meets them: an address completed from the
// address book while it is typed, a mail of the list pasted into the body
// (attached as a file, no text inserted), files pasted with a folder among
// them, a quoted paste, and the character count.
#include "classlib/CommandState.h"
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "e2e/CommandCoverage.h"
#include "e2e/E2eDriver.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"
#include "mainwnd/MailObjectBlock.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/shownmail/ShownMailResource.h"
#include "store/FolderData.h"
#include "store/MailFolderStore.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const char kEditorClass[] = "CVMEditWndClass";

class EditorControlsTest : public ::testing::Test
{
protected:
    CString MailBox() const { return m_dir.Path() + "\\MailBox"; }

    void Prepare(int nUser, const char* pszSettings = "")
    {
        std::string ini = "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\nEditorAutoBackup=dword:0\r\n";
        ini += pszSettings;
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), ini + "\r\n");
        CreateDirectoryA(MailBox(), nullptr);
        CAccountDataSet set;
        set.SetFilePath(MailBox() + "\\Account.dat");
        auto* a = static_cast<CAccountData*>(set.CreateNewRecord());
        a->SetAccountName("テスト");
        a->SetMailAddress(FormatString("cvmtest%d@cvm.test", nUser));
        a->SetSmtpServer("smtp.cvm.test");
        ASSERT_TRUE(set.WriteToFile(FALSE));
    }
    HWND Start()
    {
        if (!m_program.Start("/INI \"/M:" + MailBox() + "\" "))
            return nullptr;
        return m_program.WaitForMainWindow(kStartTimeout);
    }
    void Close(HWND main)
    {
        PostMessageA(main, WM_CLOSE, 0, 0);
        if (HWND ask = m_program.WaitForMessageBox("編集中のメールがあります。", 3000))
            E2e::PressButton(ask, IDOK);
        EXPECT_EQ(m_program.WaitForExit(kStartTimeout), 0);
        m_program.Kill();
    }
    HWND NewEditor(HWND main)
    {
        PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
        return m_program.WaitForWindow(kEditorClass, nullptr, 20000);
    }
    // Closes an editor, discarding what it holds.
    void Discard(HWND editor)
    {
        PostMessageA(editor, WM_CLOSE, 0, 0);
        if (HWND prompt = m_program.WaitForDialogWithControl(IDC_SC_DISCARD, 10000))
            E2e::PressButton(prompt, IDC_SC_DISCARD);
        for (DWORD start = GetTickCount(); IsWindow(editor) && GetTickCount() - start < 20000;)
            Sleep(100);
    }
    static HWND ViewOf(HWND frame) { return GetDlgItem(frame, 0xE900); }
    static void Command(HWND frame, int id) { PostMessageA(frame, WM_COMMAND, id, 0); }
    // What an HGLOBAL clipboard format gets.
    static void PutOnClipboard(UINT format, const void* data, size_t size, bool empty = true)
    {
        ASSERT_TRUE(OpenClipboard(nullptr));
        if (empty)
            EmptyClipboard();
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
        memcpy(GlobalLock(h), data, size);
        GlobalUnlock(h);
        SetClipboardData(format, h);
        CloseClipboard();
    }
    // The attachment rows the view shows.
    static int AttachmentCount(HWND editor)
    {
        HWND list = GetDlgItem(ViewOf(editor), IDC_ME_ATTACH_LIST);
        return list ? E2e::ListItemCount(list) : -1;
    }
    CMailFolderStore* OpenFolderOfKind(int nKind, CMailFolderStore& store)
    {
        CFolderRecord r = E2e::MailBoxFolderOfKind(MailBox(), nKind);
        if (r.m_strPath.IsEmpty())
            return nullptr;
        store.SetFolderRecord(r);
        return &store;
    }

    TestSupport::TempDir m_dir;
    CProgramUnderTest m_program{m_dir.Path()};
};

TEST_F(EditorControlsTest, AnAddressIsCompletedFromTheAddressBookWhileTyped)
{
    Prepare(36, "[EditWindow]\r\nAddressMakeupType=dword:1\r\n");
    // An address book of two entries.
    CString box = MailBox() + "\\Address.Box";
    CreateDirectoryA(box, nullptr);
    TestSupport::WriteFileBytes(
        box + "\\Group.lst",
        "FILE_VERSION\t1\r\n"
        "-1\t0\t1\t0\tアドレス帳\tアドレス帳.dat\t0\t0\t0\t1\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n");
    TestSupport::WriteFileBytes(box + "\\アドレス帳.dat",
                                "yamada@example.jp\t山田 太郎\t\tIconDefault\t\r\n"
                                "tanaka@example.jp\t田中\t\tIconDefault\t\r\n");
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND editor = NewEditor(main);
    ASSERT_NE(editor, nullptr);
    HWND to = GetDlgItem(ViewOf(editor), IDC_ME_TO);
    for (char c : std::string("ya")) {
        SendMessageA(to, WM_CHAR, static_cast<WPARAM>(c), 0);
        Sleep(50);
    }
    EXPECT_EQ(E2e::GetControlText(ViewOf(editor), IDC_ME_TO), CString("yamada@example.jp (山田 太郎)"));
    SendMessageA(to, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(E2e::GetControlText(ViewOf(editor), IDC_ME_TO), CString("山田 太郎 <yamada@example.jp>, "));
    Discard(editor);
    Close(main);
}

TEST_F(EditorControlsTest, MailsAndFilesPastedIntoTheEditorAreAttached)
{
    Prepare(37, "[EditWindow]\r\nRefMarkText=\"> \"\r\n");
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    Close(main);
    // A mail in the inbox.
    int inboxId = 0;
    {
        CMailFolderStore store;
        ASSERT_NE(OpenFolderOfKind(CFolderRecord::kindInbox, store), nullptr);
        inboxId = store.GetFolderId();
        TestSupport::WriteFileBytes(m_dir.File("in.eml"),
                                    "From: yamada@example.jp\r\nTo: cvmtest37@cvm.test\r\nSubject: report\r\n"
                                    "Message-ID: <r1@example.jp>\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\n\r\n"
                                    "the report\r\n");
        ASSERT_EQ(store.AddNewMailData(m_dir.File("in.eml"), "2024/01/01 10:00:00 +0900", TRUE), 1);
        store.Close();
    }
    main = Start();
    ASSERT_NE(main, nullptr);
    HWND editor = NewEditor(main);
    ASSERT_NE(editor, nullptr);
    HWND view = ViewOf(editor);
    E2e::SetControlText(view, IDC_ME_SUBJECT, "添付の確認");
    E2e::SetControlText(view, IDC_ME_BODY, "本文");

    // A mail of the list: attached as a file, the body untouched.
    std::vector<BYTE> block = MailObjectBlock::Build(0, MailObjectBlock::opCopy, inboxId, {0});
    PutOnClipboard(RegisterClipboardFormatA("CVMail Mail Object"), block.data(), block.size());
    Command(editor, ID_EDIT_PASTE_CMD);
    for (DWORD start = GetTickCount(); AttachmentCount(editor) < 1 && GetTickCount() - start < 10000;)
        Sleep(100);
    EXPECT_EQ(AttachmentCount(editor), 1);
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_BODY), CString("本文"));

    // Files: the file attached, the folder refused once.
    TestSupport::WriteFileBytes(m_dir.File("memo.txt"), "memo");
    CreateDirectoryA(m_dir.File("folder"), nullptr);
    std::string paths = std::string(m_dir.File("memo.txt").Str()) + '\0' + m_dir.File("folder").Str() + '\0' + '\0';
    std::vector<BYTE> drop(sizeof(DROPFILES) + paths.size());
    auto* df = reinterpret_cast<DROPFILES*>(drop.data());
    df->pFiles = sizeof(DROPFILES);
    memcpy(drop.data() + sizeof(DROPFILES), paths.data(), paths.size());
    PutOnClipboard(CF_HDROP, drop.data(), drop.size());
    Command(editor, ID_EDIT_PASTE_CMD);
    HWND box = m_program.WaitForMessageBox("フォルダは圧縮ソフトで圧縮して添付してください。", 10000);
    ASSERT_NE(box, nullptr);
    E2e::PressButton(box, IDOK);
    Sleep(2500);
    EXPECT_EQ(m_program.WaitForMessageBox("フォルダは圧縮ソフトで", 0), nullptr);
    EXPECT_EQ(AttachmentCount(editor), 2);

    // A picture: attached under the name the user gives it.
    {
        BITMAPINFOHEADER bih = {};
        bih.biSize = sizeof(bih);
        bih.biWidth = 2;
        bih.biHeight = 2;
        bih.biPlanes = 1;
        bih.biBitCount = 24;
        bih.biCompression = BI_RGB;
        std::vector<BYTE> dib(sizeof(bih) + 16, 0x80);  // two rows of 8 bytes (6 and padding)
        memcpy(dib.data(), &bih, sizeof(bih));
        PutOnClipboard(CF_DIB, dib.data(), dib.size());
    }
    Command(editor, ID_EDIT_PASTE_CMD);
    HWND picture = m_program.WaitForDialogWithControl(IDC_AP_NAME, 10000);
    ASSERT_NE(picture, nullptr);
    E2e::SetControlText(picture, IDC_AP_NAME, "図");
    E2e::PressButton(picture, IDOK);
    for (DWORD start = GetTickCount(); AttachmentCount(editor) < 3 && GetTickCount() - start < 10000;)
        Sleep(100);
    EXPECT_EQ(AttachmentCount(editor), 3);
    HWND attachList = GetDlgItem(view, IDC_ME_ATTACH_LIST);
    CString rows;
    for (int i = 0; i < AttachmentCount(editor); ++i)
        rows += E2e::ListItemText(attachList, i, 0) + "\n";
    EXPECT_NE(rows.Find("図.bmp\n"), -1) << rows.GetString();

    // Quoted paste of two lines into the body.
    const char text[] = "一行目\r\n二行目";
    PutOnClipboard(CF_TEXT, text, sizeof(text));
    SetForegroundWindow(editor);
    SendMessageA(view, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(view, IDC_ME_BODY)), TRUE);
    Command(editor, ID_EDIT_QUOTED_PASTE);
    Sleep(500);
    EXPECT_NE(E2e::GetControlText(view, IDC_ME_BODY).Find("> 一行目\r\n> 二行目"), -1)
        << E2e::GetControlText(view, IDC_ME_BODY).GetString();
    // The status bar counts the body as it stands.
    CString body = E2e::GetControlText(view, IDC_ME_BODY);
    EXPECT_EQ(E2e::StatusBarText(GetDlgItem(editor, 0xE801), 3), FormatString("全角%d文字", (body.GetLength() + 1) / 2));

    // The character count of what stands now.
    Command(editor, ID_EDIT_CHAR_COUNT);
    HWND count = m_program.WaitForDialogWithControl(IDC_CC_LIST, 10000);
    ASSERT_NE(count, nullptr);
    HWND list = GetDlgItem(count, IDC_CC_LIST);
    EXPECT_EQ(E2e::ListItemCount(list), 4);
    EXPECT_EQ(E2e::ListItemText(list, 1, 0), CString("件名"));
    EXPECT_EQ(E2e::ListItemText(list, 1, 1), CString("5"));  // "添付の確認": 10 bytes
    E2e::PressButton(count, IDCANCEL);
    Sleep(2500);
    Discard(editor);
    Close(main);
}

} // namespace

// Without an HTML engine (Wine without its engine package) a mail switched
// to HTML shows the HTML view of our own, with no box; switched back, the
// text body is there as it was.
TEST_F(EditorControlsTest, HtmlMailWithoutAnEngineSwitchesBothWays)
{
    Prepare(37);
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND editor = NewEditor(main);
    ASSERT_NE(editor, nullptr);
    HWND body = GetDlgItem(ViewOf(editor), IDC_ME_BODY);
    SendMessageA(body, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("本文です"));
    Command(editor, ID_EDIT_HTML_MAIL);
    HWND html = nullptr;
    for (DWORD start = GetTickCount(); !html && GetTickCount() - start < 20000; Sleep(100))
        html = GetDlgItem(ViewOf(editor), 1312);
    ASSERT_NE(html, nullptr);
    for (DWORD start = GetTickCount(); IsWindowVisible(body) && GetTickCount() - start < 10000;)
        Sleep(100);
    EXPECT_TRUE(IsWindowVisible(html));
    EXPECT_FALSE(IsWindowVisible(body));
    EXPECT_EQ(m_program.WaitForMessageBox("HTMLの表示エラー", 1000), nullptr);
    // Over the read-only text pane the commands that reshape the page itself
    // (tables, background) are offered; formats that need an engine are grey.
    for (UINT id : {ID_HTML_BOLD, ID_HTML_TEXT_COLOR, ID_HTML_CENTER, ID_HTML_TAG_MENU, ID_HTML_ANCHOR})
        EXPECT_EQ(E2e::QueryCommandState(editor, id), kCommandHandled) << id;
    for (UINT id : {ID_HTML_TABLE, ID_HTML_BACKGROUND})
        EXPECT_EQ(E2e::QueryCommandState(editor, id), kCommandHandled | kCommandEnabled) << id;
    Command(editor, ID_EDIT_HTML_MAIL);
    for (DWORD start = GetTickCount(); !IsWindowVisible(body) && GetTickCount() - start < 10000;)
        Sleep(100);
    EXPECT_TRUE(IsWindowVisible(body));
    EXPECT_FALSE(IsWindowVisible(html));
    EXPECT_EQ(E2e::GetControlText(ViewOf(editor), IDC_ME_BODY), CString("本文です"));

    // The text body is searched through the find dialog, from its start
    // wherever the caret stands.
    SendMessageA(body, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("本文です本文です"));
    SendMessageA(body, EM_SETSEL, 5, 5);
    Command(editor, ID_EDIT_FIND_CMD);
    HWND find = m_program.WaitForDialogWithControl(IDC_FIND_TEXT, 20000);
    ASSERT_NE(find, nullptr);
    E2e::SetControlText(find, IDC_FIND_TEXT, "です");
    E2e::PressButton(find, IDOK);
    for (DWORD start = GetTickCount(); IsWindow(find) && GetTickCount() - start < 10000;)
        Sleep(100);
    DWORD sel = static_cast<DWORD>(SendMessageA(body, EM_GETSEL, 0, 0));
    EXPECT_EQ(LOWORD(sel), 2u);
    EXPECT_EQ(HIWORD(sel), 4u);
    Discard(editor);
    Close(main);
}

namespace {

// The window that has the keyboard focus of the desktop.
HWND KeyboardFocus()
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(0, &info) ? info.hwndFocus : nullptr;
}

// Whether the last character of an edit field ends inside the field; what
// was measured goes to *pWhy.
bool ShowsItsTextWhole(HWND edit, std::string* pWhy)
{
    const int length = static_cast<int>(E2e::FieldText(edit).size());
    const LRESULT first = SendMessageA(edit, EM_POSFROMCHAR, 0, 0);
    const LRESULT last = SendMessageA(edit, EM_POSFROMCHAR, static_cast<WPARAM>(length > 0 ? length - 1 : 0), 0);
    RECT client = {};
    GetClientRect(edit, &client);
    const int x0 = static_cast<short>(LOWORD(first)), x1 = static_cast<short>(LOWORD(last));
    const int step = length > 1 ? (x1 - x0) / (length - 1) : 0;
    *pWhy = "length " + std::to_string(length) + ", first at " + std::to_string(x0) + ", last at " +
            std::to_string(x1) + ", client width " + std::to_string(client.right);
    return length > 1 && first != -1 && last != -1 && x0 >= 0 && x1 + step <= client.right;
}

} // namespace

// In a new editor at its first size the reply-to list shows its first entry
// whole, and Ctrl+A in a field selects all of its text.
TEST_F(EditorControlsTest, ReplyToShowsItsEntryWholeAndCtrlASelectsAllOfAField)
{
    Prepare(38);
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND editor = NewEditor(main);
    ASSERT_NE(editor, nullptr);
    HWND view = ViewOf(editor);
    HWND replyTo = E2e::FindDescendant(GetDlgItem(view, IDC_ME_REPLYTO), "Edit");
    ASSERT_NE(replyTo, nullptr);
    EXPECT_TRUE(E2e::WaitFor(10000, [&] { return E2e::GetControlText(view, IDC_ME_REPLYTO) == "送信するアドレス"; }));
    std::string measured;
    EXPECT_TRUE(E2e::WaitFor(10000, [&] { return ShowsItsTextWhole(replyTo, &measured); })) << measured;
    RECT reply = {}, attach = {};
    GetWindowRect(GetDlgItem(view, IDC_ME_REPLYTO), &reply);
    GetWindowRect(GetDlgItem(view, IDC_ME_ATTACH), &attach);
    RECT common = {};
    EXPECT_FALSE(IntersectRect(&common, &reply, &attach)) << "the list lies on the attach button";

    HWND to = GetDlgItem(view, IDC_ME_TO);
    E2e::SetControlText(view, IDC_ME_TO, "taro@example.jp, hanako@example.jp");
    SetForegroundWindow(editor);
    E2e::ClickMiddleOf(to);
    ASSERT_TRUE(E2e::WaitFor(10000, [&] { return KeyboardFocus() == to; }));
    SendMessageA(to, EM_SETSEL, 3, 3);
    keybd_event(VK_CONTROL, 0, 0, 0);
    keybd_event('A', 0, 0, 0);
    keybd_event('A', 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
    const int length = static_cast<int>(E2e::FieldText(to).size());
    EXPECT_TRUE(E2e::WaitFor(10000, [&] {
        const DWORD selection = static_cast<DWORD>(SendMessageA(to, EM_GETSEL, 0, 0));
        return LOWORD(selection) == 0 && HIWORD(selection) == length;
    }));
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_TO), CString("taro@example.jp, hanako@example.jp"));
    Discard(editor);
    Close(main);
}
