// Fonts and colours chosen in their dialog reach the viewer and editor
// windows already open, each running on a thread of its own, without a
// restart.
#include "e2e/E2eDriver.h"
#include "e2e/MaintFixture.h"
#include "e2e/RemoteControls.h"
#include "e2e/TestAccount.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/settings/SettingsResource.h"
#include "resources/viewer/ViewerResource.h"

#include <gtest/gtest.h>

#include <richedit.h>

namespace {

// Places among the dialog's font rows and colour buttons.
const int kListFont = 1, kEditorFont = 2, kHeaderFont = 4;
const int kEditorTextColor = 9, kViewBkColor = 11;
// The system font chooser's face and size lists; the colour chooser's fields.
const int kFaceList = 1136, kSizeList = 1138;
const int kRed = 706, kGreen = 707, kBlue = 708;
// The viewer thread's message that brings its window to the front.
const UINT kViewerToFront = 1356;

class ViewSettingsOpenWindowsTest : public MaintE2e::CMailBoxTest
{
protected:
    // The program started, with the mail of the subject open in a viewer.
    void StartWithViewer(const char* subject, HWND& main, HWND& viewer)
    {
        main = Start();
        ASSERT_NE(main, nullptr);
        HWND list = E2e::FindDescendant(main, "SysListView32");
        ASSERT_NE(list, nullptr);
        viewer = OpenViewer(main, list, subject);
        ASSERT_NE(viewer, nullptr);
    }

    HWND OpenSettings(HWND main)
    {
        PostMessageA(main, WM_COMMAND, ID_TOOLS_FONT_COLOR, 0);
        return m_program.WaitForWindow("#32770", "フォントと色の設定", 20000);
    }

    static void Click(HWND dialog, int id)
    {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }

    static HWND ChildById(HWND parent, int id)
    {
        struct Find
        {
            int id;
            HWND found;
        } f{ id, nullptr };
        EnumChildWindows(parent, [](HWND h, LPARAM p) -> BOOL {
            auto* f = reinterpret_cast<Find*>(p);
            if (GetDlgCtrlID(h) != f->id || !IsWindowVisible(h))
                return TRUE;
            f->found = h;
            return FALSE;
        }, reinterpret_cast<LPARAM>(&f));
        return f.found;
    }

    static bool WaitClosed(HWND h)
    {
        return E2e::WaitUntil(10000, [](void* p) { return !IsWindow(static_cast<HWND>(p)); }, h);
    }

    // A list entry of the font chooser picked as a click would.
    static void Pick(HWND chooser, int list, const char* text)
    {
        HWND combo = GetDlgItem(chooser, list);
        ASSERT_NE(SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text)), CB_ERR)
            << text;
        SendMessageA(chooser, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }

    // The header row shows no size (its height is the window's own).
    void ChooseFont(HWND dialog, int row, const char* face, const char* size)
    {
        Click(dialog, IDC_FC_FONT_FIRST + row);
        HWND chooser = m_program.WaitForDialogWithControl(kFaceList, 20000);
        ASSERT_NE(chooser, nullptr);
        Pick(chooser, kFaceList, face);
        Pick(chooser, kSizeList, size);
        E2e::PressButton(chooser, IDOK);
        ASSERT_TRUE(WaitClosed(chooser));
        ASSERT_EQ(E2e::GetControlText(dialog, IDC_FC_FACE_FIRST + row), face);
        if (row != kHeaderFont) {
            ASSERT_EQ(E2e::GetControlText(dialog, IDC_FC_SIZE_FIRST + row), size);
        }
    }

    void ChooseColor(HWND dialog, int button, int r, int g, int b)
    {
        Click(dialog, button);
        HWND colors = m_program.WaitForDialogWithControl(kRed, 20000);
        ASSERT_NE(colors, nullptr);
        E2e::SetControlText(colors, kRed, std::to_string(r).c_str());
        E2e::SetControlText(colors, kGreen, std::to_string(g).c_str());
        E2e::SetControlText(colors, kBlue, std::to_string(b).c_str());
        E2e::PressButton(colors, IDOK);
        ASSERT_TRUE(WaitClosed(colors));
    }

    // Where a character of a field's text lies, laid out in the field's font
    // ("山田 <taro@example.jp>": the name and most of the address).
    static int TextEnd(HWND edit)
    {
        return static_cast<short>(LOWORD(SendMessageA(edit, EM_POSFROMCHAR, 18, 0)));
    }

    // The default character format of a rich-edit control of the program.
    static CHARFORMATA DefaultFormat(HWND edit)
    {
        E2e::CRemoteBlock block(edit, sizeof(CHARFORMATA));
        CHARFORMATA format = {};
        format.cbSize = sizeof(format);
        block.Write(&format, sizeof(format));
        SendMessageA(edit, EM_GETCHARFORMAT, SCF_DEFAULT, block.Param());
        block.Read(&format, sizeof(format));
        return format;
    }

    void BringViewerToFront(HWND viewer)
    {
        PostThreadMessageA(GetWindowThreadProcessId(viewer, nullptr), kViewerToFront, 0, 0);
    }

    static int CountPixels(HWND wnd, COLORREF color)
    {
        RECT rc = {};
        GetClientRect(wnd, &rc);
        RECT band = { rc.left, rc.top, rc.right, rc.top + (rc.bottom - rc.top) / 2 };
        int n = 0;
        for (COLORREF c : E2e::CapturePixels(wnd, band))
            n += c == color;
        return n;
    }
};

} // namespace

TEST_F(ViewSettingsOpenWindowsTest, FontsAndColoursChosenReachTheOpenViewerAndEditorAtOnce)
{
    MakeMailBox();
    FileMails(CFolderRecord::kindInbox, { "書体" });
    // An editor needs an account to write from; nothing is received or sent.
    ASSERT_TRUE(E2e::WriteTestAccount(MailBox(), 127));
    HWND main = nullptr, viewer = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithViewer("書体", main, viewer));
    PostMessageA(main, WM_COMMAND, ID_MAIL_NEW, 0);
    HWND editor = m_program.WaitForWindow("CVMEditWndClass", nullptr, 20000);
    ASSERT_NE(editor, nullptr) << E2e::VisibleWindows(m_program.ProcessId());
    HWND body = ChildById(editor, IDC_ME_BODY);
    HWND from = ChildById(viewer, IDC_VIEW_FROM);
    HWND text = E2e::FindDescendant(viewer, "CVMColorTextView");
    ASSERT_TRUE(body && from && text);
    const COLORREF back = RGB(40, 200, 120), editorText = RGB(130, 20, 90);
    ASSERT_EQ(CountPixels(text, back), 0);
    ASSERT_STRNE(DefaultFormat(body).szFaceName, "IPA明朝");
    const int fromEnd = TextEnd(from);
    ASSERT_GT(fromEnd, 0);

    HWND dialog = OpenSettings(main);
    ASSERT_NE(dialog, nullptr);
    ChooseFont(dialog, kEditorFont, "IPA明朝", "20");
    ChooseFont(dialog, kHeaderFont, "IPA P明朝", "12");
    ChooseColor(dialog, IDC_FC_COLOR_FIRST + kViewBkColor, GetRValue(back), GetGValue(back), GetBValue(back));
    ChooseColor(dialog, IDC_FC_COLOR_FIRST + kEditorTextColor, GetRValue(editorText), GetGValue(editorText), GetBValue(editorText));
    E2e::PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitClosed(dialog));

    // The editor's body takes the face, the size (in twips) and the text colour.
    EXPECT_TRUE(WaitFor([&] { return lstrcmpA(DefaultFormat(body).szFaceName, "IPA明朝") == 0; }))
        << DefaultFormat(body).szFaceName;
    CHARFORMATA format = DefaultFormat(body);
    EXPECT_EQ(format.yHeight, 400);
    EXPECT_EQ(format.crTextColor, editorText);
    // The viewer's header lays its text out in the header face, its body
    // shows the background (seen with the viewer in front).
    EXPECT_TRUE(WaitFor([&] { return TextEnd(from) != fromEnd; })) << fromEnd;
    BringViewerToFront(viewer);
    EXPECT_TRUE(WaitFor([&] { return CountPixels(text, back) > 100; }));

    E2e::CloseWhenTransfersEnd(m_program, main);
    // The empty new mail goes unsaved.
    if (HWND ask = m_program.WaitForMessageBox("編集中のメールがあります。", 5000))
        E2e::PressButton(ask, IDOK);
    EXPECT_EQ(m_program.WaitForExit(MaintE2e::kTimeout), 0) << E2e::VisibleWindows(m_program.ProcessId());
}

TEST_F(ViewSettingsOpenWindowsTest, AKeywordColourAddedInItsDialogIsShownByTheOpenViewerAtOnce)
{
    MakeMailBox();
    FileMails(CFolderRecord::kindInbox, { "語" });
    HWND main = nullptr, viewer = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithViewer("語", main, viewer));
    HWND text = E2e::FindDescendant(viewer, "CVMColorTextView");
    ASSERT_NE(text, nullptr);
    const COLORREF keyword = RGB(220, 30, 30);
    ASSERT_EQ(CountPixels(text, keyword), 0);

    // The keyword list is stored by its own dialog; the font and colour
    // dialog around it is then cancelled.
    HWND dialog = OpenSettings(main);
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_FC_KEYWORDS);
    HWND keywords = m_program.WaitForWindow("#32770", "キーワードの色", 20000);
    ASSERT_NE(keywords, nullptr);
    E2e::SetControlText(keywords, IDC_KW_KEYWORD, "本文");
    ChooseColor(keywords, IDC_KW_COLOR, GetRValue(keyword), GetGValue(keyword), GetBValue(keyword));
    SendMessageA(keywords, WM_COMMAND, MAKEWPARAM(IDC_KW_ADD, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(keywords, IDC_KW_ADD)));
    E2e::PressButton(keywords, IDOK);
    ASSERT_TRUE(WaitClosed(keywords));
    E2e::PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitClosed(dialog));

    BringViewerToFront(viewer);
    EXPECT_TRUE(WaitFor([&] { return CountPixels(text, keyword) > 10; }));

    E2e::CloseWhenTransfersEnd(m_program, main);
    EXPECT_EQ(m_program.WaitForExit(MaintE2e::kTimeout), 0) << E2e::VisibleWindows(m_program.ProcessId());
}

TEST_F(ViewSettingsOpenWindowsTest, ALanguageFontChangedInItsDialogIsShownByTheOpenViewerAndListAtOnce)
{
    MakeMailBox();
    TestSupport::WriteFileBytes(MailBox() + "\\CharSet.dat", "UTF-8\tIPAGothic\t200\t128\r\n");
    {
        CMailFolderStore store;
        store.SetFolderRecord(Folder(CFolderRecord::kindInbox));
        CString file = m_dir.File("utf8.eml");
        TestSupport::WriteFileBytes(file, "From: Yamada Taro <taro@example.jp>\r\nTo: me@example.jp\r\nSubject: utf8\r\n"
                                          "Date: Mon, 01 Jan 2024 10:00:00 +0900\r\nMessage-ID: <u1@example.jp>\r\n"
                                          "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\nbody\r\n");
        ASSERT_EQ(store.AddNewMailData(file, "2024/02/01 10:00:00 +0900", FALSE), 1);
        store.Close();
    }
    HWND main = nullptr, viewer = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithViewer("utf8", main, viewer));
    HWND from = ChildById(viewer, IDC_VIEW_FROM);
    ASSERT_NE(from, nullptr);
    const int fromEnd = TextEnd(from);
    ASSERT_GT(fromEnd, 0);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_NE(list, nullptr);
    SetForegroundWindow(main);
    const std::vector<bool> rowInk = E2e::ListCellInk(list, 0, 1);

    HWND dialog = OpenSettings(main);
    ASSERT_NE(dialog, nullptr);
    Click(dialog, IDC_FC_LANGUAGE_FONTS);
    HWND languages = m_program.WaitForWindow("#32770", "言語のフォント", 20000);
    ASSERT_NE(languages, nullptr);
    ASSERT_EQ(E2e::GetControlText(languages, IDC_LF_FACE), "IPAGothic");
    Click(languages, IDC_LF_CHANGE);
    HWND chooser = m_program.WaitForDialogWithControl(kFaceList, 20000);
    ASSERT_NE(chooser, nullptr);
    Pick(chooser, kFaceList, "IPA P明朝");
    E2e::PressButton(chooser, IDOK);
    ASSERT_TRUE(WaitClosed(chooser));
    ASSERT_EQ(E2e::GetControlText(languages, IDC_LF_FACE), "IPA P明朝");
    E2e::PressButton(languages, IDOK);
    ASSERT_TRUE(WaitClosed(languages));
    E2e::PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitClosed(dialog));

    // The sender's field of the UTF-8 mail is laid out in the new face, and
    // so is the mail's row in the main window's list.
    EXPECT_TRUE(WaitFor([&] { return TextEnd(from) != fromEnd; })) << fromEnd;
    SetForegroundWindow(main);
    EXPECT_TRUE(WaitFor([&] { return E2e::ListCellInk(list, 0, 1) != rowInk; }));

    E2e::CloseWhenTransfersEnd(m_program, main);
    EXPECT_EQ(m_program.WaitForExit(MaintE2e::kTimeout), 0) << E2e::VisibleWindows(m_program.ProcessId());
}

// The main window's own list and mail view pane take a new list font and
// view background at once too.
TEST_F(ViewSettingsOpenWindowsTest, AListFontAndViewBackgroundChosenReachTheMainWindowsListAndViewAtOnce)
{
    MakeMailBox();
    FileMails(CFolderRecord::kindInbox, { "一覧の書体" });
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    HWND list = E2e::FindDescendant(main, "SysListView32");
    HWND view = E2e::FindDescendant(main, "CVMColorTextView");
    ASSERT_TRUE(list && view);
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 1; }));
    const RECT row = E2e::ListItemRect(list, 0);
    const int rowHeight = row.bottom - row.top;
    const COLORREF back = RGB(40, 200, 120);
    ASSERT_EQ(CountPixels(view, back), 0);

    HWND dialog = OpenSettings(main);
    ASSERT_NE(dialog, nullptr);
    ChooseFont(dialog, kListFont, "IPA明朝", "20");
    ChooseColor(dialog, IDC_FC_COLOR_FIRST + kViewBkColor, GetRValue(back), GetGValue(back), GetBValue(back));
    E2e::PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitClosed(dialog));

    // A 20-point font makes the rows taller; the pane shows its new background.
    EXPECT_TRUE(WaitFor([&] {
        RECT rc = E2e::ListItemRect(list, 0);
        return rc.bottom - rc.top > rowHeight + 5;
    })) << rowHeight;
    SetForegroundWindow(main);
    EXPECT_TRUE(WaitFor([&] { return CountPixels(view, back) > 100; }));

    E2e::CloseWhenTransfersEnd(m_program, main);
    EXPECT_EQ(m_program.WaitForExit(MaintE2e::kTimeout), 0) << E2e::VisibleWindows(m_program.ProcessId());
}
