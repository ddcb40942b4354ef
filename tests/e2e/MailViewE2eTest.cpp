// Reading mail in the main window: selecting a mail shows its header fields
// and body in the mail view pane, quoted lines take their colour on screen,
// the mail is marked read after the preview delay and stays read in the
// index, and a requested read notification is asked about once.
#include "e2e/E2eDriver.h"
#include "e2e/MailBoxFolders.h"
#include "e2e/RemoteControls.h"
#include "resources/utils/UtilsResource.h"
#include "resources/viewer/ViewerResource.h"
#include "store/FolderData.h"
#include "store/MailFolderStore.h"

#include <commctrl.h>
#include <prsht.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;

// Quoted lines in pure blue, ordinary text in black.
const char kSettings[] =
    "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\nReadNotifyTo=dword:1\r\n\r\n"
    "[ViewOption]\r\nPreViewTime=dword:2\r\n\r\n"
    "[Color]\r\nRefTextColor1=dword:16711680\r\nViewTextColor=dword:0\r\n\r\n";

const char kQuotedMail[] =
    "From: =?ISO-2022-JP?B?GyRCOzNFRBsoQiAbJEJCQE86GyhC?= <taro@example.jp>\r\n"
    "To: hanako@example.jp\r\nCc: jiro@example.jp\r\n"
    "Subject: =?ISO-2022-JP?B?GyRCRnxLXDhsJE43b0w+GyhC?=\r\n"
    "Date: Wed, 01 May 2024 09:00:00 +0900\r\nMessage-ID: <e2e1@example.jp>\r\n"
    "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n"
    "\x1b$B$3$s$K$A$O\x1b(B\r\n"
    "> \x1b$B0zMQ$5$l$?9T$G$9!#0zMQ$5$l$?9T$G$9!#\x1b(B\r\n"
    "> \x1b$B0zMQ$5$l$?9T$G$9!#0zMQ$5$l$?9T$G$9!#\x1b(B\r\n";

const char kNotifyMail[] =
    "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: notify\r\nMessage-ID: <e2e2@example.jp>\r\n"
    "Disposition-Notification-To: a@example.jp\r\n\r\nplease confirm\r\n";

const char kShiftJisMail[] =
    "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: sjis\r\nMessage-ID: <e2e3@example.jp>\r\n"
    "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=Shift_JIS\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
    "シフトJISの本文\r\n";

const char kUtf8Base64Mail[] =
    "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: utf8\r\nMessage-ID: <e2e4@example.jp>\r\n"
    "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
    "VVRGLTjjga7mnKzmlofjgafjgZk=\r\n";

const char kQuotedPrintableMail[] =
    "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: qp\r\nMessage-ID: <e2e5@example.jp>\r\n"
    "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
    "=E5=BC=95=E7=94=A8=E7=AC=A6=E4=BB=98=E3=81=8D=E5=8D=B0=E5=AD=97=E5=8F=AF=E8=\r\n=83=BD\r\n";

const char kAttachmentMail[] =
    "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: attach\r\nMessage-ID: <e2e6@example.jp>\r\n"
    "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n"
    "--b1\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n\x1b$B$3$s$K$A$O\x1b(B\r\n"
    "--b1\r\nContent-Type: application/pdf; name=\"=?UTF-8?B?6KuL5rGC5pu4LnBkZg==?=\"\r\n"
    "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment\r\n\r\nJVBERi0xLjQK\r\n--b1--\r\n";

const char kHtmlMail[] =
    "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: html\r\nMessage-ID: <e2e7@example.jp>\r\n"
    "MIME-Version: 1.0\r\nContent-Type: text/html; charset=UTF-8\r\n\r\n"
    "<html><body><p>\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF</p>"
    "<p><a href=\"http://example.jp/news\">news</a></p></body></html>\r\n";

struct ChildSearch
{
    int id;
    const char* className;
    HWND found;
};

BOOL CALLBACK FindChildProc(HWND hWnd, LPARAM lParam)
{
    auto* s = reinterpret_cast<ChildSearch*>(lParam);
    if (!IsWindowVisible(hWnd))
        return TRUE;
    if (s->className) {
        char cls[128] = {};
        GetClassNameA(hWnd, cls, sizeof(cls));
        if (lstrcmpA(cls, s->className) != 0)
            return TRUE;
    } else if (GetDlgCtrlID(hWnd) != s->id) {
        return TRUE;
    }
    s->found = hWnd;
    return FALSE;
}

HWND FindChild(HWND parent, int id, const char* className = nullptr)
{
    ChildSearch s = {id, className, nullptr};
    EnumChildWindows(parent, FindChildProc, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// The whole text of a window, however long.
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

class MailViewE2e : public ::testing::Test
{
protected:
    CString MailBox() const { return m_dir.Path() + "\\MailBox"; }
    CString Arguments() const { return "/INI \"/M:" + MailBox() + "\""; }

    // Starts the program and waits for its main window, confirming the
    // mailbox folder dialog of a first start.
    HWND Start(CProgramUnderTest& program)
    {
        m_bSettled = false;
        if (!program.Start(Arguments()))
            return nullptr;
        return program.WaitForMainWindow(kStartTimeout);
    }
    void Stop(CProgramUnderTest& program, HWND main)
    {
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.WaitForExit(kStartTimeout), 0);
    }

    // A mailbox made by a first start, with the given mails filed into its inbox.
    void MakeMailBox(std::initializer_list<const char*> mails, const char* extraSettings = "")
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), std::string(kSettings) + extraSettings);
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
            CString path = m_dir.File(FormatString("QM17000000%02d.eml", n++));
            TestSupport::WriteFileBytes(path, mail);
            ASSERT_EQ(inbox.AddNewMailData(path, "2024/05/01 10:00:00 +0900", FALSE), 1);
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
    // The read flag and flag word of a mail as "Index.lst" holds them now.
    void IndexState(int index, bool* read, int* flags)
    {
        CMailFolderStore inbox;
        ASSERT_TRUE(OpenInbox(inbox));
        CMailListData* list = inbox.GetMailList();
        ASSERT_NE(list, nullptr);
        CMailIndexRecord* r = list->GetMailRecord(index);
        ASSERT_NE(r, nullptr);
        *read = r->IsRead();
        *flags = r->m_nFlags;
    }
    // Selects the row of the mail with the subject in the main window's list,
    // as a click would, and waits for the pane to show it. Right after
    // start-up the window shows its folder afresh once; the first click
    // waits for that to be over.
    bool SelectMail(HWND main, const char* subject)
    {
        DWORD start = GetTickCount();
        do {
            HWND list = E2e::FindDescendant(main, "SysListView32");
            for (int row = 0; list && row < E2e::ListItemCount(list); ++row) {
                for (int column = 0; column < 3; ++column) {
                    if (E2e::ListItemText(list, row, column) != subject)
                        continue;
                    if (!m_bSettled) {
                        Sleep(1500);
                        m_bSettled = true;
                    }
                    E2e::ListSelectItem(list, row);
                    return WaitForSubject(main, subject) != nullptr;
                }
            }
            Sleep(200);
        } while (GetTickCount() - start < 30000);
        return false;
    }
    HWND WaitForSubject(HWND main, const char* subject, DWORD timeoutMs = 20000)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            HWND field = FindChild(main, IDC_VIEW_SUBJECT);
            if (field && E2e::GetWindowTextOf(field) == subject)
                return field;
            Sleep(100);
        }
        return nullptr;
    }

    // The body pane's text once it holds part (start-up may show the folder
    // afresh just after a first selection); the last text read otherwise.
    std::string WaitForBody(HWND main, const char* part)
    {
        std::string text;
        DWORD start = GetTickCount();
        do {
            if (HWND body = FindChild(main, 0, "CVMColorTextView"))
                text = WindowText(body);
            if (text.find(part) != std::string::npos)
                break;
            Sleep(100);
        } while (GetTickCount() - start < 10000);
        return text;
    }

    TestSupport::TempDir m_dir;
    bool m_bSettled = false;
};

// Pixels of the screen inside a window.
struct ScreenShot
{
    explicit ScreenShot(HWND hWnd)
    {
        GetWindowRect(hWnd, &rect);
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, width, height);
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
        SelectObject(mem, old);
        GetDIBits(mem, bmp, 0, static_cast<UINT>(height), pixels.data(), &bi, DIB_RGB_COLORS);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
    }
    // The first row holding a pixel that matches, or -1.
    template <class Match> int FirstRow(Match match) const
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (match(pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]))
                    return y;
        return -1;
    }
    RECT rect = {};
    int width = 0, height = 0;
    std::vector<DWORD> pixels;  // 0x00RRGGBB
};

} // namespace

TEST_F(MailViewE2e, SelectedMailIsShownColouredAndMarkedReadAfterTheDelay)
{
    ASSERT_NO_FATAL_FAILURE(MakeMailBox({kQuotedMail}));
    CProgramUnderTest program(m_dir.Path());
    HWND main = Start(program);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(SelectMail(main, "日本語の件名"));
    ASSERT_NE(WaitForSubject(main, "日本語の件名"), nullptr);

    EXPECT_NE(E2e::GetControlText(GetParent(FindChild(main, IDC_VIEW_SUBJECT)), IDC_VIEW_FROM).Find("taro@example.jp"),
              -1);
    EXPECT_EQ(E2e::GetWindowTextOf(FindChild(main, IDC_VIEW_TO)), CString("hanako@example.jp  (CC:jiro@example.jp)"));
    EXPECT_EQ(E2e::GetWindowTextOf(FindChild(main, IDC_VIEW_DATE)).Find("送信： "), 0);
    std::string text = WaitForBody(main, "こんにちは");
    EXPECT_EQ(text.find("こんにちは\r\n> 引用された行です。"), 0u) << text;
    HWND body = FindChild(main, 0, "CVMColorTextView");
    ASSERT_NE(body, nullptr);

    // Not read at once; read once the two seconds have passed.
    bool read = true;
    int flags = 0;
    IndexState(0, &read, &flags);
    EXPECT_FALSE(read);
    Sleep(3000);
    IndexState(0, &read, &flags);
    EXPECT_TRUE(read);

    // On screen the quoted lines are blue, below the black first line.
    RedrawWindow(body, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Sleep(300);
    ScreenShot shot(body);
    int blue = shot.FirstRow([](DWORD p) { return (p & 0xFFFFFF) == 0x0000FF; });
    int black = shot.FirstRow([](DWORD p) { return (p & 0xFFFFFF) == 0x000000; });
    EXPECT_GE(blue, 0) << "no pixel in the quotation colour";
    EXPECT_GE(black, 0) << "no pixel in the text colour";
    EXPECT_LT(black, blue);
    Stop(program, main);

    // The mark is kept: after a restart the index still holds it.
    CProgramUnderTest again(m_dir.Path());
    main = Start(again);
    ASSERT_NE(main, nullptr);
    IndexState(0, &read, &flags);
    EXPECT_TRUE(read);
    Stop(again, main);
}

TEST_F(MailViewE2e, RequestedReadNotificationIsAskedOnceAndTheAnswerKept)
{
    ASSERT_NO_FATAL_FAILURE(MakeMailBox({kQuotedMail, kNotifyMail}));
    CProgramUnderTest program(m_dir.Path());
    HWND main = Start(program);
    ASSERT_NE(main, nullptr);
    SetForegroundWindow(main);
    ASSERT_TRUE(SelectMail(main, "notify"));
    HWND dlg = program.WaitForDialogWithControl(IDC_READ_NOTIFY_LATER, 20000);
    ASSERT_NE(dlg, nullptr) << "read-notification question";
    EXPECT_NE(E2e::GetControlText(dlg, IDC_READ_NOTIFY_TEXT).Find("宛先：a@example.jp"), -1);
    E2e::PressButton(dlg, IDCANCEL);  // "しない": answered, nothing sent
    bool read = false;
    int flags = 0;
    DWORD start = GetTickCount();
    do {
        Sleep(200);
        IndexState(1, &read, &flags);
    } while ((flags & 0x30) != 0x30 && GetTickCount() - start < 10000);
    EXPECT_EQ(flags & 0x30, 0x30);
    EXPECT_TRUE(read);

    // Shown again: no second question.
    ASSERT_TRUE(SelectMail(main, "日本語の件名"));
    ASSERT_NE(WaitForSubject(main, "日本語の件名"), nullptr);
    ASSERT_TRUE(SelectMail(main, "notify"));
    ASSERT_NE(WaitForSubject(main, "notify"), nullptr);
    EXPECT_EQ(program.WaitForDialogWithControl(IDC_READ_NOTIFY_LATER, 2000), nullptr);
    Stop(program, main);
}

TEST_F(MailViewE2e, BodiesAndAttachmentNamesAreShownDecoded)
{
    const struct { const char* mail; const char* subject; const char* body; const char* attachment; } cases[] = {
        {kShiftJisMail, "sjis", "シフトJISの本文", nullptr},
        {kUtf8Base64Mail, "utf8", "UTF-8の本文です", nullptr},
        {kQuotedPrintableMail, "qp", "引用符付き印字可能", nullptr},
        {kAttachmentMail, "attach", "こんにちは", "請求書.pdf"},
    };
    ASSERT_NO_FATAL_FAILURE(MakeMailBox({cases[0].mail, cases[1].mail, cases[2].mail, cases[3].mail}));
    CProgramUnderTest program(m_dir.Path());
    HWND main = Start(program);
    ASSERT_NE(main, nullptr);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(SelectMail(main, cases[i].subject)) << cases[i].subject;
        ASSERT_NE(WaitForSubject(main, cases[i].subject), nullptr) << cases[i].subject;
        EXPECT_EQ(WaitForBody(main, cases[i].body).find(cases[i].body), 0u) << cases[i].subject;
        HWND list = FindChild(main, IDC_VIEW_ATTACH_LIST);  // only while it is shown
        if (cases[i].attachment) {
            ASSERT_NE(list, nullptr) << "attachment list";
            EXPECT_EQ(E2e::ListItemText(list, 0, 0), CString(cases[i].attachment));
        } else {
            EXPECT_EQ(list, nullptr) << "no attachment list for " << cases[i].subject;
        }
    }
    Stop(program, main);
}

TEST_F(MailViewE2e, HtmlMailWithoutAnHtmlEngineIsShownAsTextWithoutAPrompt)
{
    // HTML display is wanted, but this Wine has no HTML engine.
    ASSERT_NO_FATAL_FAILURE(MakeMailBox({kHtmlMail}, "[ViewOption]\r\nHTMLMail=dword:1\r\n\r\n"));
    CProgramUnderTest program(m_dir.Path());
    HWND main = Start(program);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(SelectMail(main, "html"));
    ASSERT_NE(WaitForSubject(main, "html"), nullptr);
    std::string text = WaitForBody(main, "こんにちは");
    EXPECT_NE(text.find("こんにちは"), std::string::npos) << text;
    EXPECT_NE(text.find("news <http://example.jp/news>"), std::string::npos) << text;
    EXPECT_EQ(FindChild(main, IDC_VIEW_BROWSER), nullptr);
    // Nothing asks to download an engine, and the window keeps answering.
    EXPECT_EQ(program.WaitForWindow("#32770", nullptr, 3000), nullptr);
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0);
    Stop(program, main);
}
