// What the mail view does with the mail it shows: saving it as text,
// turning its uuencoded blocks into attachment files, and the properties
// dialog's values and save.
#include "message/MailMessage.h"
#include "resources/shownmail/ShownMailResource.h"
#include "store/StoreTestUtil.h"
#include "viewer/ColorTextView.h"
#include "viewer/DlgMailProperty.h"
#include "viewer/DlgMailReReading.h"
#include "viewer/HeaderFieldStatic.h"
#include "viewer/TextViewActions.h"
#include "resources/viewer/ViewerResource.h"
#include "viewer/ReReadText.h"
#include "viewer/MailPropertyInfoPage.h"
#include "viewer/MailPropertyValues.h"
#include "viewer/MailView.h"

#include <commctrl.h>
#include "PostedMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

namespace {

const char kPlainMail[] =
    "From: Taro <taro@example.jp>\r\nTo: hanako@example.jp\r\nSubject: plain/subject\r\n"
    "Date: Wed, 01 May 2024 09:00:00 +0900\r\nMessage-ID: <p1@example.jp>\r\n\r\n"
    "first body line\r\nsecond body line\r\n";

const char kUtf8Mail[] =
    "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: utf8\r\nMessage-ID: <u1@example.jp>\r\n"
    "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\nbody\r\n";

std::string Uuencode(const std::string& data)
{
    auto six = [](unsigned v) { return v == 0 ? '`' : static_cast<char>(v + 32); };
    std::string out;
    for (size_t i = 0; i < data.size(); i += 45) {
        size_t n = std::min<size_t>(45, data.size() - i);
        out += six(static_cast<unsigned>(n));
        for (size_t k = 0; k < n; k += 3) {
            unsigned v = static_cast<unsigned char>(data[i + k]) << 16;
            if (k + 1 < n)
                v |= static_cast<unsigned char>(data[i + k + 1]) << 8;
            if (k + 2 < n)
                v |= static_cast<unsigned char>(data[i + k + 2]);
            out += six((v >> 18) & 63);
            out += six((v >> 12) & 63);
            out += six((v >> 6) & 63);
            out += six(v & 63);
        }
        out += "\r\n";
    }
    return out + "`\r\nend\r\n";
}

using ViewerTest::Pump;
// Thread messages the pane posted to the main thread (the test's own).
std::map<UINT, int>& g_posted = ViewerTest::PostedMessages();

class ShownMailCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_app.reset(new StoreTest::TestApp(m_dir.Path()));
        m_app->m_nThreadID = GetCurrentThreadId();
        StoreTest::OpenStore(m_store, m_dir.Path() + "\\Inbox");
        const char* cls = AfxRegisterWndClass("CVMShownMailHost", 0, LoadCursor(nullptr, IDC_ARROW),
                                              GetSysColorBrush(COLOR_WINDOW));
        ASSERT_TRUE(m_host.CreateEx(0, cls, "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 500, nullptr,
                                    nullptr));
        TestSupport::ClearMessages();
        g_posted.clear();
    }
    void TearDown() override
    {
        m_host.DestroyWindow();
        m_app.reset();
    }
    CMailView* Show(const std::string& mail)
    {
        EXPECT_EQ(StoreTest::FileMail(m_store, m_dir.Path(), "QM1.eml", mail), 1);
        int index = m_store.GetMailList()->GetMailCount() - 1;
        auto* view = new CMailView(FALSE);
        RECT rc = {0, 0, 680, 460};
        EXPECT_TRUE(view->Create(&m_host, 100, rc));
        view->SetFrontCheck([] { return true; });
        view->ShowMail(index, &m_store, TRUE);
        return view;
    }

    TestSupport::TempDir m_dir;
    std::unique_ptr<StoreTest::TestApp> m_app;
    CMailFolderStore m_store;
    CWnd m_host;
};

} // namespace

TEST_F(ShownMailCommandsTest, SaveAsTextWritesHeaderBlockAndBody)
{
    m_app->WriteProfileString("PrintSetting", "PrintHeaderTemplate", " 件名： %SUBJECT%\r\n 送信者： %FROM%\r\n");
    CMailView* view = Show(kPlainMail);
    CString path = m_dir.File("saved.txt");
    ASSERT_TRUE(view->SaveAsText(path));
    const std::string sep(74, '=');
    const std::string& body = view->GetBodyView()->GetText();
    EXPECT_EQ(body.find("first body line\r\nsecond body line\r\n"), 0u);
    EXPECT_EQ(TestSupport::ReadFileBytes(path), sep + "\r\n 件名： plain/subject\r\n 送信者： Taro <taro@example.jp>\r\n\r\n" +
                                                    sep + "\r\n\r\n\r\n" + body + "\r\n");
    // The print header is not left behind in the view.
    EXPECT_TRUE(view->GetBodyView()->GetPrintHeader().empty());
}

TEST_F(ShownMailCommandsTest, SaveAsTextReportsAFileThatCannotBeWritten)
{
    CMailView* view = Show(kPlainMail);
    CreateDirectoryA(m_dir.File("taken"), nullptr);
    EXPECT_FALSE(view->SaveAsText(m_dir.File("taken")));
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_NE(TestSupport::RecordedMessages()[0].find("taken"), std::string::npos);
}

TEST_F(ShownMailCommandsTest, UudecodeTurnsBlocksIntoFilesOfTheNewMail)
{
    std::string mail = std::string("From: a@example.jp\r\nTo: b@example.jp\r\nSubject: uu\r\nMessage-ID: <uu@example.jp>\r\n\r\n") +
                       "Here are the files.\r\nbegin 644 report.txt\r\n" + Uuencode("report body\r\n") +
                       "begin 644 ../../../escape.txt\r\n" + Uuencode("attempt") + "begin 644 \r\n" +
                       Uuencode(std::string("\x00\x01\xff", 3)) + "Bye.\r\n";
    CMailView* view = Show(mail);
    const int original = view->GetCurrentIndex();
    int index = view->DecodeUuencodedParts();
    ASSERT_GT(index, original);
    CMailIndexRecord* copy = m_store.GetMailList()->GetMailRecord(index);
    ASSERT_NE(copy, nullptr);
    CString folder = m_store.GetAttachFolder(copy);
    ASSERT_FALSE(folder.IsEmpty());
    EXPECT_EQ(TestSupport::ReadFileBytes(folder + "\\report.txt"), "report body\r\n");
    EXPECT_EQ(TestSupport::ReadFileBytes(folder + "\\escape.txt"), "attempt");
    EXPECT_EQ(TestSupport::ReadFileBytes(folder + "\\" + copy->GetText(CMailIndexRecord::colFileName) + "002"),
              std::string("\x00\x01\xff", 3));
    // Nothing was written outside the mail's attachment folder.
    EXPECT_EQ(GetFileAttributesA(m_dir.File("escape.txt")), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(m_dir.File("Inbox\\escape.txt")), INVALID_FILE_ATTRIBUTES);

    CString text;
    ASSERT_TRUE(m_store.ReadMailText(copy, text));
    EXPECT_NE(text.Find("Here are the files.\r\nBye.\r\n"), -1);
    EXPECT_EQ(text.Find("begin 644"), -1);
    Pump(50);
    EXPECT_EQ(g_posted[1386], 1);
    EXPECT_EQ(g_posted[1346], 1);
    EXPECT_EQ(g_posted[1353], 1);

    // A mail without blocks is left alone.
    CMailView* plain = Show(kPlainMail);
    const int count = m_store.GetMailList()->GetMailCount();
    EXPECT_EQ(plain->DecodeUuencodedParts(), -1);
    EXPECT_EQ(m_store.GetMailList()->GetMailCount(), count);
}

TEST_F(ShownMailCommandsTest, PropertyValuesComeFromTheRecordAndSaveBack)
{
    CMailView* view = Show(kPlainMail);
    CMailIndexRecord* record = view->GetCurrentRecord();
    m_store.GetMailList()->SetMailFlags(record, record->m_nFlags | 0x40 | 0x02, TRUE);
    CMailPropertyValues v = CMailPropertyValues::FromRecord(*record);
    EXPECT_TRUE(v.bSubjectEditable);
    EXPECT_TRUE(v.bProtected);
    EXPECT_TRUE(v.bReplied);
    EXPECT_FALSE(v.bForwarded);
    EXPECT_TRUE(v.sent.valid);
    EXPECT_EQ(v.sent.nHour, 9);
    EXPECT_FALSE(v.DiffersFrom(*record));

    v.bProtected = false;
    v.bForwarded = true;
    v.sent.nHour = 11;
    v.subject = "corrected";
    EXPECT_TRUE(v.DiffersFrom(*record));
    ASSERT_TRUE(v.SaveTo(record, m_store.GetMailList()));

    CMailFolderStore again;
    StoreTest::OpenStore(again, m_dir.Path() + "\\Inbox");
    CMailIndexRecord* stored = again.GetMailList()->GetMailRecord(view->GetCurrentIndex());
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->m_nFlags & 0x4A, 0x0A);
    EXPECT_EQ(stored->GetText(CMailIndexRecord::colSubject), "corrected");
    EXPECT_EQ(stored->GetText(CMailIndexRecord::colDate).Left(19), CString(v.sent.Format().c_str()).Left(19));
    EXPECT_EQ(CMailPropertyValues::FromRecord(*stored).sent.nHour, 11);

    struct Case { const char* charset; bool editable; } cases[] = {
        {"", true}, {"ISO-2022-JP", true}, {"csISO2022JP", true}, {"us-ascii", true}, {"UTF-8", false},
        {"EUC-KR", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CMailPropertyValues::IsSubjectEditable(c.charset), c.editable) << c.charset;
}

TEST_F(ShownMailCommandsTest, PropertiesDialogSavesTheFlagsAndAsksBeforeLosingChanges)
{
    CMailView* view = Show(kPlainMail);
    CMailIndexRecord* record = view->GetCurrentRecord();
    m_store.GetMailList()->SetMailFlags(record, record->m_nFlags | 0x40, TRUE);

    {
        CDlgMailProperty dlg(record, &m_store, m_store.GetMailList(), &m_host);
        ASSERT_TRUE(dlg.Create(IDD_MAIL_PROPERTY, &m_host));
        CMailPropertyInfoPage* info = dlg.GetInfoPage();
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->IsDlgButtonChecked(IDC_MP_PROTECTED), static_cast<UINT>(BST_CHECKED));
        EXPECT_EQ(info->GetDlgItemText(IDC_MP_DISK_USAGE).Find(" BYTE"), static_cast<int>(std::to_string(record->m_nDataLength).size()));
        EXPECT_FALSE(info->IsChanged());
        info->CheckDlgButton(IDC_MP_PROTECTED, BST_UNCHECKED);
        EXPECT_TRUE(info->IsChanged());
        info->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_MP_SAVE, BN_CLICKED),
                          reinterpret_cast<LPARAM>(info->GetDlgItemHwnd(IDC_MP_SAVE)));
        EXPECT_TRUE(dlg.IsChanged());
        EXPECT_FALSE(info->IsChanged());
        dlg.DestroyWindow();
    }
    CMailFolderStore again;
    StoreTest::OpenStore(again, m_dir.Path() + "\\Inbox");
    EXPECT_EQ(again.GetMailList()->GetMailRecord(view->GetCurrentIndex())->m_nFlags & 0x40, 0);

    // Closing with a change asks; Cancel closes without saving.
    {
        CDlgMailProperty dlg(record, &m_store, m_store.GetMailList(), &m_host);
        ASSERT_TRUE(dlg.Create(IDD_MAIL_PROPERTY, &m_host));
        dlg.GetInfoPage()->CheckDlgButton(IDC_MP_FORWARDED, BST_CHECKED);
        TestSupport::QueueMessageBoxAnswer(IDCANCEL);
        dlg.OnCancel();
        ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
        EXPECT_NE(TestSupport::RecordedMessages()[0].find("変更点を保存しますか"), std::string::npos);
        EXPECT_FALSE(dlg.IsChanged());
        if (dlg.GetSafeHwnd())
            dlg.DestroyWindow();
    }
    EXPECT_EQ(record->m_nFlags & 0x08, 0);

    // A UTF-8 subject cannot be edited.
    CMailView* other = Show(kUtf8Mail);
    CDlgMailProperty dlg(other->GetCurrentRecord(), &m_store, m_store.GetMailList(), &m_host);
    ASSERT_TRUE(dlg.Create(IDD_MAIL_PROPERTY, &m_host));
    EXPECT_TRUE(GetWindowLongPtrA(dlg.GetInfoPage()->GetDlgItemHwnd(IDC_MP_SUBJECT), GWL_STYLE) & ES_READONLY);
    dlg.DestroyWindow();
}

TEST_F(ShownMailCommandsTest, ReReadingShowsTheChosenEncodingAndStoresNothing)
{
    // UTF-8 text that the header wrongly calls ISO-2022-JP.
    const std::string raw = "From: a@example.jp\r\nSubject: mislabelled\r\nMIME-Version: 1.0\r\n"
                            "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n"
                            "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xA7\xE3\x81\x99\r\n";
    CString path = m_dir.File("backup.eml");
    TestSupport::WriteFileBytes(path, raw);
    const int count = m_store.GetMailList()->GetMailCount();

    CDlgMailReReading dlg(path, &m_host);
    ASSERT_TRUE(dlg.Create(IDD_MAIL_REREADING, &m_host));
    EXPECT_EQ(dlg.GetCharset(), 0);
    EXPECT_EQ(dlg.GetEncoding(), 0);
    dlg.SetChoice(0, 4);
    EXPECT_EQ(dlg.GetShownText(), "日本語です\r\n");
    dlg.SetChoice(4, 4);  // not Base64: nothing sensible, but nothing breaks
    dlg.SetChoice(0, 1);
    EXPECT_EQ(dlg.GetShownText(), raw.substr(raw.find("\r\n\r\n") + 4));
    dlg.DestroyWindow();

    EXPECT_EQ(TestSupport::ReadFileBytes(path), raw);
    EXPECT_EQ(m_store.GetMailList()->GetMailCount(), count);

    struct Case { const char* body; int encoding; int charset; const char* shown; } cases[] = {
        {"\x1b$B$3$s$K$A$O\x1b(B", 0, 0, "こんにちは"},
        {"GyRCJDMkcyRLJEEkTxsoQg==\r\n", 4, 0, "こんにちは"},
        {"=E3=81=82=\r\n=E3=81=84", 3, 4, "あい"},
        {"\xA4\xA2", 0, 5, "あ"},
        {"caf\xE9", 0, 18, "caf?"},
    };
    for (const Case& c : cases) {
        std::string shown = CReReadText::Decode(c.body, c.encoding, c.charset);
        if (c.charset == 18)
            EXPECT_EQ(shown.substr(0, 3), "caf");  // é has no place in the ANSI code page
        else
            EXPECT_EQ(shown, c.shown) << c.body;
    }
    // Attachment names are listed, and no file of that name is made anywhere.
    const std::string multipart =
        "From: a@example.jp\r\nSubject: parts\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\nhi\r\n"
        "--b\r\nContent-Type: text/plain; name=\"cvm_reread_probe.txt\"\r\n"
        "Content-Disposition: attachment; filename=\"cvm_reread_probe.txt\"\r\n\r\nx\r\n--b--\r\n";
    CString partsPath = m_dir.File("parts.eml");
    TestSupport::WriteFileBytes(partsPath, multipart);
    CDlgMailReReading parts(partsPath, &m_host);
    ASSERT_TRUE(parts.Create(IDD_MAIL_REREADING, &m_host));
    HWND list = parts.GetDlgItemHwnd(IDC_RR_ATTACH_LIST);
    ASSERT_EQ(ListView_GetItemCount(list), 1);
    char name[MAX_PATH] = {};
    ListView_GetItemText(list, 0, 0, name, sizeof(name));
    EXPECT_STREQ(name, "cvm_reread_probe.txt");
    parts.DestroyWindow();
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof(temp), temp);
    EXPECT_EQ(GetFileAttributesA((std::string(temp) + "cvm_reread_probe.txt").c_str()), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(CReReadText::CharsetCode("utf-8"), 4);
    EXPECT_EQ(CReReadText::CharsetCode("x-unknown"), -1);
}

namespace {

std::vector<std::string> g_editor;
BOOL RecordEditorCall(int mode, CMailFolderStore*, int index, const char* address, const char*)
{
    g_editor.push_back(std::to_string(mode) + "|" + std::to_string(index) + "|" + address);
    return TRUE;
}

} // namespace

TEST_F(ShownMailCommandsTest, MiniHeaderLabelsOpenTheMenusOfTheirHeaderLines)
{
    m_app->WriteProfileInt("Setting", "MailMiniHeader", 1);
    OleInitialize(nullptr);
    CMailView* view = Show("From: Taro <taro@example.jp>\r\nTo: a@example.jp, b@example.jp\r\nSubject: " +
                           std::string(100, 's') + "\r\nDate: Wed, 01 May 2024 09:00:00 +0900\r\n"
                           "X-Mailer: tester\r\nMessage-ID: <h1@example.jp>\r\n\r\nbody\r\n");
    auto field = [&](int id) {
        return dynamic_cast<CHeaderFieldStatic*>(CWnd::FromHandlePermanent(view->GetDlgItemHwnd(id)));
    };
    CHeaderFieldStatic* subject = field(IDC_VIEW_SUBJECT_LABEL);
    CHeaderFieldStatic* to = field(IDC_VIEW_TO_LABEL);
    ASSERT_NE(subject, nullptr);
    ASSERT_NE(to, nullptr);

    HMENU menu = subject->BuildMenu();
    ASSERT_NE(menu, nullptr);
    // Subject (cut in two), Message-ID and X-Mailer; no address or date lines.
    char text[256] = {};
    std::vector<std::string> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
        items.push_back(text);
    }
    DestroyMenu(menu);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0], "Subject\t" + std::string(82, 's'));
    EXPECT_EQ(items[1], "\t" + std::string(18, 's'));
    subject->RunCommand(3);  // the X-Mailer item
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE h = GetClipboardData(CF_TEXT);
    EXPECT_STREQ(h ? static_cast<const char*>(GlobalLock(h)) : "", "tester");
    if (h)
        GlobalUnlock(h);
    CloseClipboard();

    TextViewActions saved = GetTextViewActions();
    GetTextViewActions().pfnOpenEditor = RecordEditorCall;
    g_editor.clear();
    menu = to->BuildMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 3);  // From and the two To entries, each a submenu
    DestroyMenu(menu);
    to->RunCommand(3 * 3 + 1);  // reply to the second To entry
    to->RunCommand(2 * 3);      // write to the first
    GetTextViewActions() = saved;
    ASSERT_EQ(g_editor.size(), 2u);
    EXPECT_EQ(g_editor[0], "1|" + std::to_string(view->GetCurrentIndex()) + "|b@example.jp");
    EXPECT_EQ(g_editor[1], "-1|-1|a@example.jp");

    // Without the mini header the labels are plain.
    m_app->WriteProfileInt("Setting", "MailMiniHeader", 0);
    view->OnInitialUpdate();
    EXPECT_EQ(subject->BuildMenu(), nullptr);
    OleUninitialize();
}
