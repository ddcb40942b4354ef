// The editor's controls on the test display: the body control (colours,
// counts, undo, find and replace on Japanese text), the address field
// (completion from an address list, appending), the body's drop callback,
// and the view dialogs.
#include "addressbook/DlgAddressNote.h"
#include "classlib/OleDataSource.h"
#include "core/PostedObjectTable.h"
#include "coreui/UiTestSupport.h"
#include "editor/AddressEdit.h"
#include "editor/DlgAttachPicture.h"
#include "editor/DlgCharCount.h"
#include "editor/DlgPasteFormat.h"
#include "editor/MailEditCtrl.h"
#include "editor/MailEditFrame.h"
#include "editor/RichEditMailDropCallback.h"
#include "editor/RichEditText.h"
#include "mainwnd/MailObjectBlock.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "addressbook/AddressManagerThread.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <richedit.h>

#include <memory>
#include <string>

namespace {

const int kBodyId = 1007;
const int kToId = 1001;

class BodyCtrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_richEdit = LoadLibraryA("RICHED20.DLL");
        ASSERT_NE(m_richEdit, nullptr);
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), "[Setting]\r\n");
        m_app.reset(new UiTest::App(m_dir.File("CVM.ini")));
        m_host.reset(new UiTest::CHostWnd);
        m_host->CreateChild("RichEdit20A", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL, 0, 0,
                            500, 300, kBodyId);
        ASSERT_TRUE(m_body.Attach(m_host.get(), kBodyId, nullptr));
        m_body.GetColouring().SetColours(RGB(0, 0, 0), RGB(0, 0, 0xFF), RGB(0, 0, 0x7F));
    }
    void TearDown() override
    {
        m_body.UnsubclassWindow();
        m_host.reset();
        m_app.reset();
    }
    COLORREF ColourAt(int nPos)
    {
        CHARRANGE range = {nPos, nPos + 1};
        SendMessageA(m_body.m_hWnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMATA format = {};
        format.cbSize = sizeof(format);
        SendMessageA(m_body.m_hWnd, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format.crTextColor;
    }
    // Typing: the selection replaced, as a key press does it.
    void Type(int nAt, const char* pszText)
    {
        CHARRANGE range = {nAt, nAt};
        SendMessageA(m_body.m_hWnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        SendMessageA(m_body.m_hWnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pszText));
        UiTest::Pump(50);
    }
    CString Text() { return GetRichEditText(m_body.m_hWnd); }

    TestSupport::TempDir m_dir;
    HMODULE m_richEdit = nullptr;
    std::unique_ptr<UiTest::App> m_app;
    std::unique_ptr<UiTest::CHostWnd> m_host;
    CMailEditCtrl m_body;
};

TEST_F(BodyCtrlTest, QuotedLinesTakeTheirLevelsColour)
{
    // Two levels: >> and "> >" are level 2, > | and " >" level 1.
    m_body.GetColouring().Set(true, true, ">", ">, >,|, |", ">>, >>,||, ||,> >, > >");
    m_body.SetText("本文です\r\n>引用\r\n>>二重の引用\r\n|縦棒\r\n> > 二重\r\n終わり");
    // Positions count a line end as one character.
    struct
    {
        int pos;
        COLORREF colour;
    } cases[] = {{0, RGB(0, 0, 0)}, {5, RGB(0, 0, 0xFF)}, {9, RGB(0, 0, 0x7F)}, {17, RGB(0, 0, 0xFF)},
                 {21, RGB(0, 0, 0x7F)}, {28, RGB(0, 0, 0)}};
    for (const auto& k : cases)
        EXPECT_EQ(ColourAt(k.pos), k.colour) << k.pos;

    // A line typed into a quote later takes the quote's colour.
    m_body.GetColouring().Set(true, false, ">", "", "");
    Type(0, ">");
    EXPECT_EQ(ColourAt(1), RGB(0, 0, 0xFF));
}

TEST_F(BodyCtrlTest, CountsShowFullWidthCharactersAndTheCaretsLineAndColumn)
{
    m_body.SetText("あa");
    EXPECT_STREQ(m_body.GetCharCountText(), "全角2文字");
    CHARRANGE start = {0, 0};
    SendMessageA(m_body.m_hWnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
    EXPECT_STREQ(m_body.GetCaretPositionText(), " 1行、0列");
    m_body.SetText("一行目\r\n二行目");
    CHARRANGE second = {6, 6};
    SendMessageA(m_body.m_hWnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&second));
    EXPECT_STREQ(m_body.GetCaretPositionText(), " 2行、2列");
    EXPECT_EQ(m_body.GetByteLength(), 14);  // the line end counts as CR LF
}

TEST_F(BodyCtrlTest, UndoAndRedoFollowTheTypedChanges)
{
    m_body.SetText("会議は月曜です。\r\n場所は第１会議室。");
    m_body.UndoRedo(false);  // nothing typed yet
    EXPECT_STREQ(Text(), "会議は月曜です。\r\n場所は第１会議室。");
    Type(3, "来週の");
    Type(0, "【変更】");
    EXPECT_STREQ(Text(), "【変更】会議は来週の月曜です。\r\n場所は第１会議室。");
    m_body.UndoRedo(false);
    EXPECT_STREQ(Text(), "会議は来週の月曜です。\r\n場所は第１会議室。");
    SendMessageA(m_body.m_hWnd, EM_UNDO, 0, 0);  // the edit command goes to the journal too
    EXPECT_STREQ(Text(), "会議は月曜です。\r\n場所は第１会議室。");
    m_body.UndoRedo(true);
    m_body.UndoRedo(true);
    EXPECT_STREQ(Text(), "【変更】会議は来週の月曜です。\r\n場所は第１会議室。");
    m_body.UndoRedo(true);  // nothing newer
    EXPECT_STREQ(Text(), "【変更】会議は来週の月曜です。\r\n場所は第１会議室。");
}

TEST_F(BodyCtrlTest, FindWrapsAndReplaceAllKeepsLetterCase)
{
    m_body.SetText("Aの件\r\naの件\r\nAの件");
    ASSERT_TRUE(m_body.FindNext(true, true, "の件"));
    CHARRANGE sel = {};
    SendMessageA(m_body.m_hWnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    EXPECT_EQ(sel.cpMin, 1);
    ASSERT_TRUE(m_body.FindAgain());
    ASSERT_TRUE(m_body.FindAgain());
    SendMessageA(m_body.m_hWnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    EXPECT_EQ(sel.cpMin, 9);
    ASSERT_TRUE(m_body.FindAgain());  // past the last hit: the first again
    SendMessageA(m_body.m_hWnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    EXPECT_EQ(sel.cpMin, 1);
    EXPECT_FALSE(m_body.FindNext(true, true, "ない"));

    EXPECT_EQ(m_body.ReplaceAll(true, "A", "Ｂ", true), 2);
    EXPECT_STREQ(Text(), "Ｂの件\r\naの件\r\nＢの件");
    EXPECT_EQ(m_body.ReplaceAll(true, "x", "y", true), -1);
    m_body.UndoRedo(false);  // one step for all of them
    EXPECT_STREQ(Text(), "Aの件\r\naの件\r\nAの件");
}

TEST_F(BodyCtrlTest, InsertedTextIsSelectedAndTellsTheParent)
{
    m_body.SetText("前後");
    CHARRANGE at = {1, 1};
    SendMessageA(m_body.m_hWnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&at));
    m_host->Take(WM_COMMAND);
    m_body.InsertText("中間\r\n行");
    EXPECT_STREQ(Text(), "前中間\r\n行後");
    CHARRANGE sel = {};
    SendMessageA(m_body.m_hWnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    EXPECT_EQ(sel.cpMin, 1);
    EXPECT_EQ(sel.cpMax, 5);
    bool changed = false;
    for (const UiTest::Received& r : m_host->Take(WM_COMMAND))
        changed = changed || (LOWORD(r.wParam) == kBodyId && HIWORD(r.wParam) == EN_CHANGE);
    EXPECT_TRUE(changed);
    m_body.UndoRedo(false);
    EXPECT_STREQ(Text(), "前後");
}

TEST(QuotedPasteTest, EveryLineGetsTheMarkAndLineEndsBecomeCrLf)
{
    struct
    {
        const char* text;
        const char* quoted;
    } cases[] = {
        {"一行目\r\n二行目", "> 一行目\r\n> 二行目"},
        {"a\rb\nc", "> a\r\n> b\r\n> c"},
        {"末尾\r\n", "> 末尾\r\n"},
    };
    for (const auto& k : cases)
        EXPECT_STREQ(CMailEditFrame::QuoteLines(k.text, "> "), k.quoted) << k.text;
}

// A data object of the given formats (mail blocks or text).
COleDataSource* MakeData(bool bMails, bool bText)
{
    auto* data = new COleDataSource;
    if (bMails)
        data->CacheGlobalData(MailObjectBlock::GetMailFormat(),
                              MailObjectBlock::ToGlobal(MailObjectBlock::Build(1, MailObjectBlock::opDrag, 7, {0, 2})));
    if (bText) {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 5);
        memcpy(GlobalLock(h), "text", 5);
        GlobalUnlock(h);
        data->CacheGlobalData(CF_TEXT, h);
    }
    return data;
}

TEST(RichEditMailDropCallbackTest, WithoutAnOwnerEffectsFollowTheKeysAndDataIsTakenAsItIs)
{
    CRichEditMailDropCallback callback;
    struct
    {
        bool mails;
        DWORD keys;
        DWORD effect;
    } cases[] = {
        {false, 0, DROPEFFECT_MOVE},
        {false, MK_CONTROL, DROPEFFECT_COPY},
        {false, MK_CONTROL | MK_SHIFT, DROPEFFECT_LINK},
        {true, 0, DROPEFFECT_MOVE},  // no owner: mails are data like any other
    };
    for (const auto& k : cases) {
        COleDataSource* data = MakeData(k.mails, !k.mails);
        EXPECT_EQ(callback.QueryAcceptData(data, nullptr, RECO_DROP, FALSE, nullptr), S_OK);
        DWORD effect = 0;
        EXPECT_EQ(callback.GetDragDropEffect(FALSE, k.keys, &effect), S_OK);
        EXPECT_EQ(effect, k.effect) << k.keys;
        EXPECT_EQ(callback.QueryAcceptData(data, nullptr, RECO_DROP, TRUE, nullptr), S_OK);
        data->Release();
    }
    IUnknown* unknown = nullptr;
    EXPECT_EQ(callback.QueryInterface(IID_IRichEditOleCallback, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(callback.Release(), 0u);
    IStorage* storage = reinterpret_cast<IStorage*>(1);
    EXPECT_EQ(callback.GetNewStorage(&storage), E_INVALIDARG);
    EXPECT_EQ(storage, nullptr);
    COleDataSource* mails = MakeData(true, false);
    EXPECT_TRUE(CRichEditMailDropCallback::OffersMails(mails));
    mails->Release();
}

TEST(DlgCharCountTest, RowsAreRoundedBeforeTheyAreAdded)
{
    struct
    {
        int toCc, subject, body;
        int rows[4];
    } cases[] = {
        {3, 3, 0, {2, 2, 0, 4}},
        {1, 1, 1, {1, 1, 1, 3}},
        {0, 0, 0, {0, 0, 0, 0}},
    };
    for (const auto& k : cases) {
        int rows[4];
        CDlgCharCount::Count(k.toCc, k.subject, k.body, rows);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(rows[i], k.rows[i]) << k.toCc << " " << i;
    }
}

TEST(DlgCharCountTest, ListShowsTheFourRows)
{
    TestSupport::TempDir dir;
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), "[Setting]\r\n");
    UiTest::App app(dir.File("CVM.ini"));
    CDlgCharCount dlg(2 + 1, 3, 1, nullptr);
    std::vector<CString> rows;
    UiTest::RunModal(dlg, "メールの文字数確認", [&](HWND h) {
        ASSERT_NE(h, nullptr);
        HWND list = GetDlgItem(h, IDC_CC_LIST);
        int n = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char name[64] = {}, count[16] = {};
            LVITEMA item = {};
            item.pszText = name;
            item.cchTextMax = sizeof(name);
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            item.iSubItem = 1;
            item.pszText = count;
            item.cchTextMax = sizeof(count);
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            rows.push_back(CString(name) + "=" + count);
        }
        UiTest::Click(h, IDCANCEL);
    });
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_STREQ(rows[0], "宛先(CCを含む)=2");
    EXPECT_STREQ(rows[1], "件名=2");
    EXPECT_STREQ(rows[2], "本文=1");
    EXPECT_STREQ(rows[3], "合計=5");
}

TEST(DlgPasteFormatTest, OnlyTheOfferedFormatsAreListed)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 6);
    memcpy(GlobalLock(h), "hello", 6);
    GlobalUnlock(h);
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();

    TestSupport::TempDir dir;
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), "[Setting]\r\n");
    UiTest::App app(dir.File("CVM.ini"));
    CDlgPasteFormat dlg(nullptr);
    std::vector<CString> lines;
    INT_PTR result = UiTest::RunModal(dlg, "貼り付ける形式を選択", [&](HWND hDlg) {
        ASSERT_NE(hDlg, nullptr);
        HWND list = GetDlgItem(hDlg, IDC_PF_LIST);
        int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char text[64] = {};
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            lines.push_back(text);
        }
        UiTest::Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_STREQ(lines[0], "テキスト形式");
    EXPECT_EQ(dlg.m_nFormat, static_cast<UINT>(CF_TEXT));
}

TEST(DlgAttachPictureTest, BitmapGreysTheQualityAndAnEmptyNameKeepsTheDialogWithTheSettingsStored)
{
    TestSupport::TempDir dir;
    TestSupport::WriteFileBytes(dir.File("CVM.ini"), "[Setting]\r\n");
    UiTest::App app(dir.File("CVM.ini"));
    app.WriteProfileInt("EditWindow", "PasteImageType", 1);
    app.WriteProfileInt("EditWindow", "PasteJPEGType", 2);
    CDlgAttachPicture dlg(nullptr);
    TestSupport::QueueMessageBoxAnswer(IDOK);
    bool lowChecked = false, enabledAtFirst = false, greyedForBitmap = false, stillOpen = false;
    INT_PTR result = UiTest::RunModal(dlg, "イメージの添付", [&](HWND h) {
        ASSERT_NE(h, nullptr);
        lowChecked = IsDlgButtonChecked(h, IDC_AP_LOW) == BST_CHECKED;
        enabledAtFirst = IsWindowEnabled(GetDlgItem(h, IDC_AP_HIGH)) != FALSE;
        SendMessageA(GetDlgItem(h, IDC_AP_BITMAP), BM_CLICK, 0, 0);
        greyedForBitmap = !IsWindowEnabled(GetDlgItem(h, IDC_AP_HIGH));
        UiTest::Click(h, IDOK);  // no name yet
        stillOpen = IsWindow(h) && IsWindowVisible(h);
        SetDlgItemTextA(h, IDC_AP_NAME, "写真");
        UiTest::Click(h, IDOK);
    });
    EXPECT_TRUE(lowChecked);
    EXPECT_TRUE(enabledAtFirst);
    EXPECT_TRUE(greyedForBitmap);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(dlg.m_strFileName, "写真");
    EXPECT_EQ(dlg.m_nFormat, CDlgAttachPicture::formatBitmap);
    EXPECT_EQ(app.GetProfileInt("EditWindow", "PasteImageType", 9), 0u);
    EXPECT_EQ(app.GetProfileInt("EditWindow", "PasteJPEGType", 9), 2u);
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_NE(TestSupport::RecordedMessages()[0].find("ファイル名を入力してください。"), std::string::npos);
}

} // namespace

namespace {

// An address field on an address book of three entries, completing while typed.
class AddressFieldTest : public ::testing::Test
{
protected:
    AddressFieldTest() : m_app(m_dir.Path())
    {
        CString box = m_app.GetAddressBoxPath();
        CreateDirectoryA(box, nullptr);
        TestSupport::WriteFileBytes(
            box + "\\Group.lst",
            "FILE_VERSION\t1\r\n"
            "-1\t0\t1\t0\tアドレス帳\tアドレス帳.dat\t0\t0\t0\t1\t\t389\t\t\t\tmail=*\t2\tcn\tmail\tdescription\t2\t0\t30\r\n");
        TestSupport::WriteFileBytes(box + "\\アドレス帳.dat",
                                    "yamada@example.jp\t山田\t\tIconDefault\t\r\n"
                                    "yamaguchi@example.jp\t山口\t\tIconDefault\t\r\n"
                                    "tanaka@example.jp\t\t\tIconDefault\t\r\n");
        m_book.LoadAddressBook();
        CAddressEdit::SetAddressBook(&m_book);
    }
    ~AddressFieldTest() override
    {
        m_field.UnsubclassWindow();
        m_host.reset();
        CAddressEdit::SetAddressBook(nullptr);
    }
    void SetUp() override
    {
        m_host.reset(new UiTest::CHostWnd);
        m_host->CreateChild("Edit", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | WS_BORDER, 0, 0, 400, 22, kToId);
        ASSERT_TRUE(m_field.Attach(m_host.get(), kToId));
        m_field.m_nCompletionMode = 1;
        SetFocus(m_field.m_hWnd);
    }
    void Type(const char* pszText)
    {
        SendMessageA(m_field.m_hWnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pszText));
        UiTest::Pump(20);
    }
    CString Text()
    {
        char text[256] = {};
        GetWindowTextA(m_field.m_hWnd, text, sizeof(text));
        return text;
    }
    std::pair<int, int> Sel()
    {
        DWORD a = 0, b = 0;
        SendMessageA(m_field.m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
        return {static_cast<int>(a), static_cast<int>(b)};
    }

    TestSupport::TempDir m_dir;
    StoreTest::TestApp m_app;
    CAddressManagerThread m_book;
    std::unique_ptr<UiTest::CHostWnd> m_host;
    CAddressEdit m_field;
};

TEST_F(AddressFieldTest, TypingProposesTheFirstMatchSelectedAndEnterTakesIt)
{
    Type("ya");
    // Sorted: yamada before yamaguchi; the proposal follows the typed letters.
    EXPECT_STREQ(Text(), "yamada@example.jp (山田)");
    EXPECT_EQ(Sel(), std::make_pair(2, static_cast<int>(strlen("yamada@example.jp (")) + 2 + 1));
    Type("mag");  // typing replaces the proposal
    EXPECT_STREQ(Text(), "yamaguchi@example.jp (山口)");
    // Deleting gives no new proposal.
    Type("");
    SendMessageA(m_field.m_hWnd, EM_SETSEL, 4, 5);
    Type("");
    EXPECT_STREQ(Text(), "yama");
    EXPECT_FALSE(m_field.HasCandidate());

    Type("d");
    ASSERT_TRUE(m_field.HasCandidate());
    SendMessageA(m_field.m_hWnd, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_STREQ(Text(), "山田 <yamada@example.jp>, ");
    EXPECT_EQ(Sel().first, static_cast<int>(Text().ToWide().size()));

    // The next address after the comma, and an address without a name.
    Type("ta");
    EXPECT_STREQ(Text(), "山田 <yamada@example.jp>, tanaka@example.jp");
}

TEST_F(AddressFieldTest, AppendingSkipsAnAddressAlreadyInTheField)
{
    SetWindowTextA(m_field.m_hWnd, "a@example.jp;");
    EXPECT_TRUE(m_field.AppendAddress("山田 <yamada@example.jp>"));
    EXPECT_STREQ(Text(), "a@example.jp;山田 <yamada@example.jp>");
    EXPECT_FALSE(m_field.AppendAddress("YAMADA@example.jp"));
    EXPECT_TRUE(m_field.AppendAddress("tanaka@example.jp"));
    EXPECT_STREQ(Text(), "a@example.jp;山田 <yamada@example.jp>,tanaka@example.jp");
}

// The address book hands dragged addresses to a field of another editor by
// a token of the posted-object table; the registered number sent by another
// program with a value of its own is answered with nothing taken.
TEST_F(AddressFieldTest, AddressesDroppedFromTheBookAreTakenOnlyAsItsTokens)
{
    const UINT drop = CDlgAddressNote::AddressDropMessage();
    const char forged[] = "forged@example.jp";
    for (LPARAM lParam : { LPARAM(1), reinterpret_cast<LPARAM>(forged) })
        EXPECT_EQ(SendMessageA(m_field.m_hWnd, drop, 0, lParam), 0);
    EXPECT_STREQ(Text(), "");
    DWORD_PTR taken = 0;
    EXPECT_TRUE(CPostedObjectTable::Instance().SendWithTimeout(
        m_field.m_hWnd, drop, 0, std::make_shared<std::string>("山田 <yamada@example.jp>"), SMTO_NORMAL, 5000, &taken));
    EXPECT_EQ(taken, 1u);
    EXPECT_STREQ(Text(), "山田 <yamada@example.jp>");
}

} // namespace

#include "editor/EditorTestUtil.h"
#include "editor/MailEditView.h"

namespace {

// Mails dragged from the list onto the body of a real editor view: taken as
// attachments (one .eml file each), nothing inserted, the copy effect shown.
TEST(BodyDropTest, MailsDroppedOnTheBodyBecomeAttachedMailFiles)
{
    HMODULE richEdit = LoadLibraryA("RICHED20.DLL");
    ASSERT_NE(richEdit, nullptr);
    EditorTest::Mailbox box;
    auto* folder = new CMailFolderStore;  // the application owns it
    StoreTest::OpenStore(*folder, box.dir.Path() + "\\Drop", 9, 1);
    box.app->m_folderStores.Add(folder);
    int index = box.File(*folder, EditorTest::PlainMail());
    ASSERT_GE(index, 0);

    UiTest::CHostWnd host;
    auto* view = new CMailEditView;  // deletes itself with its window
    RECT rc = {0, 0, 500, 350};
    ASSERT_TRUE(view->Create(&host, AFX_IDW_PANE_FIRST, rc));
    view->OnInitialUpdate();
    view->SetBody("本文");
    CRichEditMailDropCallback& callback = view->GetBodyCtrl().GetDropCallback();

    auto* data = new COleDataSource;
    data->CacheGlobalData(MailObjectBlock::GetMailFormat(),
                          MailObjectBlock::ToGlobal(MailObjectBlock::Build(1, MailObjectBlock::opDrag, 9, {index})));
    EXPECT_EQ(callback.QueryAcceptData(data, nullptr, RECO_DROP, FALSE, nullptr), S_FALSE);
    for (DWORD keys : {0UL, static_cast<unsigned long>(MK_CONTROL), static_cast<unsigned long>(MK_CONTROL | MK_SHIFT)}) {
        DWORD effect = 0;
        EXPECT_EQ(callback.GetDragDropEffect(FALSE, keys, &effect), S_OK);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY)) << keys;
    }
    callback.QueryAcceptData(data, nullptr, RECO_DROP, TRUE, nullptr);
    data->Release();

    CStringArray files;
    view->GetAttachments(files);
    ASSERT_EQ(files.GetSize(), 1);
    EXPECT_STREQ(files[0].Right(4), ".eml");
    EXPECT_NE(TestSupport::ReadFileBytes(files[0]).find("Subject:"), std::string::npos);
    EXPECT_STREQ(view->GetBody(), "本文");
    EXPECT_TRUE(view->IsModified());
    CString path = files[0];
    view->DestroyWindow();
    // The exported mail goes with the view.
    EXPECT_FALSE(TestSupport::FileExists(path));
}

} // namespace

#include "editor/ContextMenuRichEdit.h"

namespace {

TEST(ContextMenuRichEditTest, UndoIsGreyedUntilThereIsSomethingToUndo)
{
    HMODULE richEdit = LoadLibraryA("RICHED20.DLL");
    ASSERT_NE(richEdit, nullptr);
    UiTest::CHostWnd host;
    host.CreateChild("RichEdit20A", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 300, 100, 1300);
    CContextMenuRichEdit field;
    ASSERT_TRUE(field.Attach(&host, 1300));
    HMENU menu = field.PrepareMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 5);
    EXPECT_TRUE(GetMenuState(menu, ID_EDIT_UNDO_CMD, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(menu, ID_EDIT_PASTE_CMD, MF_BYCOMMAND) & MF_GRAYED);
    SendMessageA(field.m_hWnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("署名"));
    menu = field.PrepareMenu();
    EXPECT_FALSE(GetMenuState(menu, ID_EDIT_UNDO_CMD, MF_BYCOMMAND) & MF_GRAYED);
    field.UnsubclassWindow();
}

} // namespace

namespace {

TEST_F(BodyCtrlTest, TheBodyTakesTheEditorFontAndItsTabStops)
{
    m_body.SetText("a\tb");
    CHARFORMATA format = {};
    format.cbSize = sizeof(format);
    SendMessageA(m_body.m_hWnd, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.yHeight, 220);  // the built-in editor font, in twips
    PARAFORMAT para = {};
    para.cbSize = sizeof(para);
    SendMessageA(m_body.m_hWnd, EM_SETSEL, 0, 0);
    SendMessageA(m_body.m_hWnd, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&para));
    EXPECT_EQ(para.dxStartIndent, 45);
    ASSERT_EQ(para.cTabCount, MAX_TAB_STOPS);
    EXPECT_EQ(para.rgxTabs[0], 45 + 440);
    EXPECT_EQ(para.rgxTabs[1], 45 + 880);
    struct
    {
        int size, width;
    } cases[] = {{0, 220}, {1, 440}, {2, 880}, {7, 440}};
    for (const auto& k : cases)
        EXPECT_EQ(CMailEditCtrl::TabWidthTwips(k.size, 220), k.width) << k.size;
    // Wrapping at 80 characters of 8 pixels on a 96 dpi screen: 81 of them.
    EXPECT_EQ(CMailEditCtrl::WrapWidthTwips(80, 8, 96), 81 * 8 * 15);
    // Without wrapping a long line stays one line.
    m_body.SetWrapWidth(-1);
    m_body.SetText(std::string(200, 'x').c_str());
    EXPECT_EQ(SendMessageA(m_body.m_hWnd, EM_GETLINECOUNT, 0, 0), 1);
}

} // namespace

namespace {

TEST_F(AddressFieldTest, TheMenuOfAnEmptyFieldHoldsTheEditItemsAndTheGroupsAndAChoiceIsAppended)
{
    CStringArray lines;
    HMENU menu = m_field.BuildAddressMenu(CAddressEdit::kMenuAddressBook, true, lines);
    ASSERT_NE(menu, nullptr);
    // Undo, separator, cut, copy, paste, separator, then the one group.
    ASSERT_EQ(GetMenuItemCount(menu), 7);
    EXPECT_TRUE(GetMenuState(menu, ID_EDIT_UNDO_CMD, MF_BYCOMMAND) & MF_GRAYED);
    HMENU group = GetSubMenu(menu, 6);
    ASSERT_NE(group, nullptr);
    char name[64] = {};
    GetMenuStringA(menu, 6, name, sizeof(name), MF_BYPOSITION);
    EXPECT_STREQ(name, "アドレス帳");
    EXPECT_EQ(GetMenuItemCount(group), 3);
    ASSERT_EQ(lines.GetSize(), 3);
    UINT first = GetMenuItemID(group, 0);
    int n = static_cast<int>(first - CAddressManagerThread::kFirstMenuCommand);
    ASSERT_GE(n, 0);
    ASSERT_LT(n, lines.GetSize());
    DestroyMenu(menu);

    SetWindowTextA(m_field.m_hWnd, "a@example.jp");
    m_field.OnMenuCommand(first, lines, CAddressEdit::kMenuAddressBook);
    CString address, shown;
    CAddressCompletion::SplitLine(lines[n], address, shown);
    EXPECT_NE(Text().Find(CString("a@example.jp,")), -1) << Text().GetString();
    EXPECT_NE(Text().Find(address), -1) << Text().GetString();

    // The matching addresses of the token typed.
    SetWindowTextA(m_field.m_hWnd, "yama");
    SendMessageA(m_field.m_hWnd, EM_SETSEL, 4, 4);
    lines.RemoveAll();
    menu = m_field.BuildAddressMenu(CAddressEdit::kMenuMatching, false, lines);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 2);
    GetMenuStringA(menu, 0, name, sizeof(name), MF_BYPOSITION);
    EXPECT_STREQ(name, "yamada@example.jp (山田)");
    DestroyMenu(menu);
    m_field.OnMenuCommand(CAddressManagerThread::kFirstMenuCommand + 1, lines, CAddressEdit::kMenuMatching);
    EXPECT_STREQ(Text(), "山口 <yamaguchi@example.jp>");
}

} // namespace

namespace {

TEST_F(BodyCtrlTest, TheWindowTextLengthIsInBytesSoJapaneseIsReadWhole)
{
    m_body.SetText("本文です。\r\n二行目");
    int n = GetWindowTextLengthA(m_body.m_hWnd);
    EXPECT_EQ(n, 18);
    std::string text(static_cast<size_t>(n) + 1, '\0');
    GetWindowTextA(m_body.m_hWnd, &text[0], n + 1);
    EXPECT_STREQ(text.c_str(), "本文です。\r\n二行目");
}

} // namespace
