// Working with the mail shown in the main window: selecting and copying
// text, finding in it, the header window, saving the mail as text, the
// properties dialog, turning uuencoded blocks into attachments, and the
// print preview.
#include "e2e/E2eDriver.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"
#include "resources/shownmail/ShownMailResource.h"
#include "resources/viewer/ViewerResource.h"
#include "store/FolderData.h"
#include "store/MailFolderStore.h"

#include <gtest/gtest.h>

#include <string>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;

const char kSettings[] =
    "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n"
    "[PrintSetting]\r\nPrintHeaderTemplate=\" 件名： %SUBJECT%\"\r\n\r\n";

const char kTextMail[] =
    "X-ReceiveAcount: main\r\nFrom: Taro <taro@example.jp>\r\nTo: hanako@example.jp\r\nSubject: shown mail\r\n"
    "Date: Wed, 01 May 2024 09:00:00 +0900\r\nMessage-ID: <shown1@example.jp>\r\n\r\n"
    "first line of the body\r\nthe Needle is here\r\nlast line\r\n";

const char kUuMail[] =
    "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: uu mail\r\nMessage-ID: <shown2@example.jp>\r\n\r\n"
    "Attached below.\r\nbegin 644 note.txt\r\n%:&5L;&\\`\r\n`\r\nend\r\nThanks.\r\n";

std::string WindowText(HWND hWnd)
{
    DWORD_PTR length = 0;
    SendMessageTimeoutA(hWnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
    std::string text(length + 1, '\0');
    SendMessageTimeoutA(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    text.resize(strlen(text.c_str()));
    return text;
}

std::string ClipboardText()
{
    std::string text;
    for (int i = 0; i < 20 && !OpenClipboard(nullptr); ++i)
        Sleep(100);
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(h))) {
            text = p;
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return text;
}

void EmptyClipboardNow()
{
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

std::string WaitForClipboard(const std::string& want)
{
    std::string text;
    for (int i = 0; i < 50; ++i) {
        text = ClipboardText();
        if (text == want)
            break;
        Sleep(100);
    }
    return text;
}

class ShownMailE2e : public ::testing::Test
{
protected:
    CString MailBox() const { return m_dir.Path() + "\\MailBox"; }
    HWND Start(CProgramUnderTest& program)
    {
        if (!program.Start("/INI \"/M:" + MailBox() + "\""))
            return nullptr;
        return program.WaitForMainWindow(kStartTimeout);
    }
    void Stop(CProgramUnderTest& program, HWND main)
    {
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
    }
    void MakeMailBox(std::initializer_list<const char*> mails)
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), kSettings);
        {
            CProgramUnderTest program(m_dir.Path());
            HWND main = Start(program);
            ASSERT_NE(main, nullptr);
            Stop(program, main);
        }
        CMailFolderStore inbox;
        ASSERT_TRUE(OpenInbox(inbox));
        int n = 0;
        for (const char* mail : mails) {
            CString path = m_dir.File(FormatString("QM17100000%02d.eml", n++));
            TestSupport::WriteFileBytes(path, mail);
            ASSERT_EQ(inbox.AddNewMailData(path, "2024/05/01 10:00:00 +0900", TRUE), 1);
            DeleteFileA(path);
        }
    }
    bool OpenInbox(CMailFolderStore& store)
    {
        CFolderRecord inbox = E2e::MailBoxFolderOfKind(MailBox(), CFolderRecord::kindInbox);
        if (inbox.m_strPath.IsEmpty())
            return false;
        store.SetFolderRecord(inbox);
        return true;
    }
    // Selects the mail's row in the main list and waits for the pane to show it.
    bool SelectMail(HWND main, const char* subject)
    {
        DWORD start = GetTickCount();
        bool settled = false;
        do {
            HWND list = E2e::FindDescendant(main, "SysListView32");
            for (int row = 0; list && row < E2e::ListItemCount(list); ++row) {
                for (int column = 0; column < 3; ++column) {
                    if (E2e::ListItemText(list, row, column) != subject)
                        continue;
                    if (!settled) {
                        Sleep(1500);
                        settled = true;
                    }
                    E2e::ListSelectItem(list, row);
                    for (int i = 0; i < 100; ++i) {
                        HWND field = E2e::FindDescendant(main, "Edit", IDC_VIEW_SUBJECT);
                        if (field && E2e::GetWindowTextOf(field) == subject)
                            return true;
                        Sleep(100);
                    }
                    return false;
                }
            }
            Sleep(200);
        } while (GetTickCount() - start < 30000);
        return false;
    }
    HWND Body(HWND main) { return E2e::FindDescendant(main, "CVMColorTextView"); }

    TestSupport::TempDir m_dir;
};

} // namespace

TEST_F(ShownMailE2e, CopyFindHeaderWindowSaveAsTextAndProperties)
{
    ASSERT_NO_FATAL_FAILURE(MakeMailBox({kTextMail}));
    {
        // The mail is delete-protected before the program starts.
        CMailFolderStore inbox;
        ASSERT_TRUE(OpenInbox(inbox));
        CMailListData* list = inbox.GetMailList();
        ASSERT_NE(list, nullptr);
        ASSERT_TRUE(list->SetMailFlags(list->GetMailRecord(0), list->GetMailRecord(0)->m_nFlags | 0x40, TRUE));
    }
    CProgramUnderTest program(m_dir.Path());
    HWND main = Start(program);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(SelectMail(main, "shown mail"));
    HWND body = Body(main);
    ASSERT_NE(body, nullptr);
    for (int i = 0; i < 50 && WindowText(body).find("Needle") == std::string::npos; ++i)
        Sleep(100);

    // A double click in the left margin selects the first line; copy puts it on the clipboard.
    EmptyClipboardNow();
    SendMessageA(body, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 4));
    SendMessageA(body, WM_LBUTTONUP, 0, MAKELPARAM(3, 4));
    SendMessageA(body, WM_COMMAND, IDM_TV_COPY, 0);
    EXPECT_EQ(WaitForClipboard("first line of the body"), "first line of the body");

    // Select all and copy: the whole body.
    const std::string all = WindowText(body);
    EXPECT_EQ(all.find("first line of the body\r\nthe Needle is here\r\nlast line\r\n"), 0u);
    SendMessageA(body, WM_COMMAND, IDM_TV_SELECT_ALL_TEXT, 0);
    SendMessageA(body, WM_COMMAND, IDM_TV_COPY, 0);
    EXPECT_EQ(WaitForClipboard(all), all);

    // Find with the dialog, ignoring case: the hit becomes the selection.
    PostMessageA(body, WM_COMMAND, IDM_TV_FIND, 0);
    HWND find = program.WaitForDialogWithControl(IDC_FIND_TEXT, 10000);
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(IsDlgButtonChecked(find, IDC_FIND_DOWN), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(find, IDC_FIND_MATCH_CASE), static_cast<UINT>(BST_UNCHECKED));
    E2e::SetControlText(find, IDC_FIND_TEXT, "needle");
    E2e::PressButton(find, IDOK);
    for (int i = 0; i < 50 && IsWindow(find); ++i)
        Sleep(100);
    SendMessageA(body, WM_COMMAND, IDM_TV_COPY, 0);
    EXPECT_EQ(WaitForClipboard("Needle"), "Needle");

    // The header window shows the raw header under the subject.
    PostMessageA(body, WM_COMMAND, IDM_TV_SHOW_HEADER, 0);
    HWND header = program.WaitForWindow("CVMHeaderWndClass", "shown mail", 10000);
    ASSERT_NE(header, nullptr);
    HWND headerText = E2e::FindDescendant(header, "CVMColorTextView");
    ASSERT_NE(headerText, nullptr);
    std::string raw;
    for (int i = 0; i < 50 && raw.find("Message-ID") == std::string::npos; ++i) {
        raw = WindowText(headerText);
        Sleep(100);
    }
    EXPECT_NE(raw.find("Message-ID: <shown1@example.jp>"), std::string::npos) << raw;
    EXPECT_NE(raw.find("Subject: shown mail"), std::string::npos);
    // The program's own account line before the mail's header is left out.
    EXPECT_EQ(raw.find("X-ReceiveAcount"), std::string::npos) << raw;
    PostMessageA(header, WM_CLOSE, 0, 0);
    for (int i = 0; i < 50 && IsWindow(header); ++i)
        Sleep(100);
    EXPECT_FALSE(IsWindow(header));

    // Save as text through the file dialog.
    CString saved = m_dir.File("saved mail.txt");
    PostMessageA(body, WM_COMMAND, IDM_TV_SAVE_AS_TEXT, 0);
    HWND save = program.WaitForDialogWithControl(1148, 10000);
    if (!save)
        save = program.WaitForDialogWithControl(1152, 2000);
    ASSERT_NE(save, nullptr);
    E2e::SetControlText(save, GetDlgItem(save, 1148) ? 1148 : 1152, saved);
    E2e::PressButton(save, IDOK);
    std::string file;
    for (int i = 0; i < 100 && file.empty(); ++i) {
        Sleep(100);
        file = TestSupport::ReadFileBytes(saved);
    }
    const std::string sep(74, '=');
    EXPECT_EQ(file, sep + "\r\n 件名： shown mail\r\n" + sep + "\r\n\r\n\r\n" + all + "\r\n");

    // Properties: unchecking "削除禁止" and saving clears the protection in the index.
    PostMessageA(body, WM_COMMAND, IDM_TV_PROPERTIES, 0);
    HWND props = program.WaitForDialogWithControl(IDC_PROPERTY_TAB, 10000);
    ASSERT_NE(props, nullptr);
    HWND protect = E2e::FindDescendant(props, "Button", IDC_MP_PROTECTED);
    ASSERT_NE(protect, nullptr);
    EXPECT_EQ(SendMessageA(protect, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(protect, BM_SETCHECK, BST_UNCHECKED, 0);
    HWND saveButton = E2e::FindDescendant(props, "Button", IDC_MP_SAVE);
    ASSERT_NE(saveButton, nullptr);
    E2e::PressButton(GetParent(saveButton), IDC_MP_SAVE);
    Sleep(500);
    E2e::PressButton(props, IDCANCEL);
    for (int i = 0; i < 50 && IsWindow(props); ++i)
        Sleep(100);
    EXPECT_FALSE(IsWindow(props));
    {
        CMailFolderStore inbox;
        ASSERT_TRUE(OpenInbox(inbox));
        EXPECT_EQ(inbox.GetMailList()->GetMailRecord(0)->m_nFlags & 0x40, 0);
    }
    Stop(program, main);
}

TEST_F(ShownMailE2e, UudecodeMakesAttachmentsAndPreviewOpensAndCloses)
{
    ASSERT_NO_FATAL_FAILURE(MakeMailBox({kUuMail}));
    CProgramUnderTest program(m_dir.Path());
    HWND main = Start(program);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(SelectMail(main, "uu mail"));
    HWND body = Body(main);
    ASSERT_NE(body, nullptr);

    PostMessageA(body, WM_COMMAND, IDM_TV_UUDECODE, 0);
    // The rewritten mail is shown: without the block, its file in its attachment folder.
    std::string text;
    for (int i = 0; i < 100; ++i) {
        text = WindowText(Body(main));
        if (text.find("begin 644") == std::string::npos && text.find("Thanks.") != std::string::npos)
            break;
        Sleep(100);
    }
    // As every stored mail, it ends with the empty line before the store's end line.
    EXPECT_EQ(text, "Attached below.\r\nThanks.\r\n\r\n");
    {
        CMailFolderStore inbox;
        ASSERT_TRUE(OpenInbox(inbox));
        CMailListData* list = inbox.GetMailList();
        CMailIndexRecord* copy = nullptr;
        for (int i = 0; i < list->GetAllRecordCount(); ++i) {
            CMailIndexRecord* r = list->GetMailRecord(i);
            if (r && !r->m_bDeleted)
                copy = r;
        }
        ASSERT_NE(copy, nullptr);
        CString folder = inbox.GetAttachFolder(copy);
        ASSERT_FALSE(folder.IsEmpty());
        EXPECT_EQ(TestSupport::ReadFileBytes(folder + "\\note.txt"), "hello");
    }

    // The print preview opens without a printer dialog and closes on Esc.
    PostMessageA(Body(main), WM_COMMAND, IDM_TV_PRINT_PREVIEW, 0);
    HWND preview = program.WaitForWindow("CVMPrintPreview", nullptr, 10000);
    ASSERT_NE(preview, nullptr);
    EXPECT_NE(E2e::GetWindowTextOf(preview).Find("1 / 1"), -1);
    PostMessageA(preview, WM_KEYDOWN, VK_ESCAPE, 0);
    for (int i = 0; i < 50 && IsWindow(preview); ++i)
        Sleep(100);
    EXPECT_FALSE(IsWindow(preview));
    Stop(program, main);
}
