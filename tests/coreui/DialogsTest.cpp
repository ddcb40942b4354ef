// The small common dialogs, run modally and driven from a second thread the
// way a user would: typing, pressing buttons, reading what they show.
#include "UiTestSupport.h"

#include "core/AppMessages.h"
#include "core/CommandText.h"
#include "core/DlgAbout.h"
#include "core/DlgBusy.h"
#include "core/DlgEndWaitThread.h"
#include "core/DlgInputName.h"
#include "core/DlgMailBoxSetting.h"
#include "core/DlgSelectFont.h"
#include "core/MiscUtil.h"
#include "resources/resource.h"
#include "resources/utils/UtilsResource.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <thread>
#include <vector>

using namespace UiTest;
using TestSupport::TempDir;

namespace {

CString Text(HWND hDlg, int id)
{
    char text[512] = "";
    GetDlgItemTextA(hDlg, id, text, sizeof(text));
    return CString(text);
}

std::string LastMessage()
{
    const auto& messages = TestSupport::RecordedMessages();
    return messages.empty() ? std::string() : messages.back();
}

void DrainQuit()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

} // namespace

TEST(CommandTexts, GroupAndNameFromTheCommandString)
{
    struct Case
    {
        UINT id;
        const char* group;
        const char* name;
    } cases[] = {
        { 60001, "メール", "カレントのアカウントでメール受信" },
        { 60004, "グループ", "名前" },
        { 60002, "説明だけ\n名前", "" },  // two parts: the whole text is the group
        { 60005, "ひとつだけ", "" },
        { 60003, "", "" },                // begins with a line break
        { 60099, "", "" },                // no such string
    };
    for (const Case& c : cases) {
        CString group("x"), name("x");
        GetCommandDescription(c.id, group, name);
        EXPECT_STREQ(group, c.group) << c.id;
        EXPECT_STREQ(name, c.name) << c.id;
    }
    auto provider = [](UINT id, CString& group, CString& name) {
        group = "プラグイン";
        name.Format("コマンド%u", id);
        return true;
    };
    PlugInCommandTextProvider old = SetPlugInCommandTextProvider(provider);
    CString group, name;
    GetCommandDescription(40003, group, name);
    EXPECT_STREQ(group, "プラグイン");
    EXPECT_STREQ(name, "コマンド40003");
    SetPlugInCommandTextProvider(old);
}

TEST(VersionTexts, LegalTextOfTheProgram)
{
    EXPECT_STREQ(GetVersionLegalText(), "Copyright (C) Hollowpine. All rights reserved.");
}

TEST(DlgInputName, FileNamesMustBeUsableAndOthersAreFree)
{
    TestSupport::ClearMessages();
    CDlgInputName dlg(nullptr, TRUE);
    dlg.m_strName = "元の名前";
    struct Seen
    {
        CString label, initial;
        std::vector<std::string> refusals;
        bool openAfterRefusals = false;
    } seen;
    INT_PTR result = RunModal(dlg, "名前の入力", [&](HWND hDlg) {
        if (!hDlg)
            return;
        seen.label = Text(hDlg, IDC_MESSAGE_TEXT);
        seen.initial = Text(hDlg, IDC_INPUT_NAME);
        for (const char* name : { "a:b", "..", ".", "x\\y", "..\\x" }) {
            SetDlgItemTextA(hDlg, IDC_INPUT_NAME, name);
            Click(hDlg, IDOK);
            seen.refusals.push_back(LastMessage());
        }
        seen.openAfterRefusals = IsWindowVisible(hDlg);
        SetDlgItemTextA(hDlg, IDC_INPUT_NAME, "...");
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(seen.label, "コピーする名前を入力してください(&N)");
    EXPECT_STREQ(seen.initial, "元の名前");
    const std::string chars = "名前に使用できない文字が含まれています。\r\n? \" / \\ < > * | :";
    const std::string dots = "\".\"と\"..\"という名前は指定できません。";
    EXPECT_EQ(seen.refusals, (std::vector<std::string>{ chars, dots, dots, chars, chars }));
    EXPECT_TRUE(seen.openAfterRefusals);
    EXPECT_STREQ(dlg.m_strName, "...");

    CDlgInputName free("新しい名前(&N)", FALSE);
    CString label;
    result = RunModal(free, "名前の入力", [&](HWND hDlg) {
        label = Text(hDlg, IDC_MESSAGE_TEXT);
        SetDlgItemTextA(hDlg, IDC_INPUT_NAME, "");
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(label, "新しい名前(&N)");
    EXPECT_STREQ(free.m_strName, "");
}

TEST(DlgBusy, CancelKeepsItOpenUntilTheWorkIsDone)
{
    CDlgBusy dlg("フォルダを最適化しています。", TRUE);
    struct Seen
    {
        CString message, folder, afterCancel;
        bool cancelShown = false, cancelEnabledAfter = true, openAfterCancel = false, animating = false;
        DWORD closedAfterDone = 0;
    } seen;
    INT_PTR result = RunModal(dlg, "Corvane Mail", [&](HWND hDlg) {
        if (!hDlg)
            return;
        dlg.SetCurrentFolderText("受信箱\\2024");
        seen.message = Text(hDlg, IDC_MESSAGE_TEXT);
        seen.folder = Text(hDlg, IDC_BUSY_FOLDER);
        seen.cancelShown = IsWindowVisible(GetDlgItem(hDlg, IDC_BUSY_CANCEL));
        // The built-in clip's dot (dark blue) shows in the animation control.
        Sleep(300);
        HWND hAnimation = GetDlgItem(hDlg, IDC_BUSY_ANIMATION);
        RECT rc;
        GetClientRect(hAnimation, &rc);
        for (int x = 0; x < rc.right && !seen.animating; ++x)
            for (int y = 0; y < rc.bottom && !seen.animating; ++y)
                seen.animating = Pixel(hAnimation, x, y) == RGB(0, 0, 160);
        SaveScreenshot(hDlg, "DlgBusy");
        Click(hDlg, IDC_BUSY_CANCEL);
        seen.afterCancel = Text(hDlg, IDC_MESSAGE_TEXT);
        seen.cancelEnabledAfter = IsWindowEnabled(GetDlgItem(hDlg, IDC_BUSY_CANCEL));
        Sleep(1500);
        seen.openAfterCancel = IsWindow(hDlg) && IsWindowVisible(hDlg);
        DWORD start = GetTickCount();
        dlg.SetDone();
        while (IsWindow(hDlg) && IsWindowVisible(hDlg) && GetTickCount() - start < 5000)
            Sleep(20);
        seen.closedAfterDone = GetTickCount() - start;
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(dlg.IsCancelled());
    EXPECT_STREQ(seen.message, "フォルダを最適化しています。");
    EXPECT_STREQ(seen.folder, "受信箱\\2024");
    EXPECT_TRUE(seen.cancelShown);
    EXPECT_TRUE(seen.animating) << "the busy animation plays";
    EXPECT_STREQ(seen.afterCancel, "処理を中断しています。");
    EXPECT_FALSE(seen.cancelEnabledAfter);
    EXPECT_TRUE(seen.openAfterCancel);
    EXPECT_LT(seen.closedAfterDone, 1600u);
}

TEST(DlgBusy, WithoutCancelTheButtonIsHidden)
{
    CDlgBusy dlg("受信中です。", FALSE);
    bool shown = true;
    INT_PTR result = RunModal(dlg, "Corvane Mail", [&](HWND hDlg) {
        if (!hDlg)
            return;
        shown = IsWindowVisible(GetDlgItem(hDlg, IDC_BUSY_CANCEL));
        SendMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);  // Escape changes nothing
        dlg.SetDone();
    });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(shown);
    EXPECT_FALSE(dlg.IsCancelled());
}

TEST(DlgEndWaitThread, ShowsTheWaitUntilQuitMessage)
{
    auto* thread = new CDlgEndWaitThread;
    ASSERT_TRUE(thread->CreateThread());
    DWORD id = thread->m_nThreadID;
    HANDLE hThread;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &hThread, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    HWND hDlg = WaitForDialog(id, "Corvane Mail", 5000);
    ASSERT_TRUE(hDlg);
    EXPECT_STREQ(Text(hDlg, IDC_END_WAIT_MESSAGE), "終了処理中です");
    SaveScreenshot(hDlg, "DlgEndWait");
    EXPECT_EQ(WaitForSingleObject(hThread, 300), static_cast<DWORD>(WAIT_TIMEOUT));
    PostThreadMessageA(id, WM_QD_QUIT_THREAD, 0, 0);
    EXPECT_EQ(WaitForSingleObject(hThread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(hThread);
}

TEST(DlgMailBoxSetting, ValidatesCreatesAndStoresTheMailbox)
{
    TempDir dir;
    App app(dir.File("CVM.ini"));
    TestSupport::ClearMessages();
    CDlgMailBoxSetting dlg;
    CString target = dir.File("New\\Deep");
    struct Seen
    {
        CString name, path, caption;
        bool okWithoutName = true, okWithBoth = false;
        std::vector<std::string> messages;
    } seen;
    INT_PTR result = RunModal(dlg, "メールボックスの設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        seen.name = Text(hDlg, IDC_MAILBOX_NAME);
        seen.path = Text(hDlg, IDC_MAILBOX_PATH);
        SaveScreenshot(hDlg, "DlgMailBoxSetting");
        SetDlgItemTextA(hDlg, IDC_MAILBOX_NAME, "");
        seen.okWithoutName = IsWindowEnabled(GetDlgItem(hDlg, IDOK));
        SetDlgItemTextA(hDlg, IDC_MAILBOX_NAME, "Box");
        seen.okWithBoth = IsWindowEnabled(GetDlgItem(hDlg, IDOK));
        struct
        {
            const char* path;
            const char* name;
        } refused[] = {
            { ".\\Mail", "Box" },
            { "\\\\server\\share", "Box" },
            { "C:\\Mail", "..\\Escape" },
            { "C:\\Mail", ".." },
        };
        for (const auto& r : refused) {
            SetDlgItemTextA(hDlg, IDC_MAILBOX_PATH, r.path);
            SetDlgItemTextA(hDlg, IDC_MAILBOX_NAME, r.name);
            Click(hDlg, IDOK);
            seen.messages.push_back(LastMessage());
        }
        SetDlgItemTextA(hDlg, IDC_MAILBOX_PATH, target);
        SetDlgItemTextA(hDlg, IDC_MAILBOX_NAME, "Box");
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_STREQ(seen.name, "MailBox");
    char documents[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, documents, CSIDL_PERSONAL, FALSE);
    EXPECT_STREQ(seen.path, documents);
    EXPECT_FALSE(seen.okWithoutName);
    EXPECT_TRUE(seen.okWithBoth);
    ASSERT_EQ(seen.messages.size(), 4u);
    EXPECT_EQ(seen.messages[0], "メールボックスのパスはフルパスで指定してください。");
    EXPECT_EQ(seen.messages[1], "メールボックスのパスにUNCは指定できません。");
    EXPECT_EQ(seen.messages[2].find("名前に使用できない文字が含まれています。"), 0u) << seen.messages[2];
    EXPECT_EQ(seen.messages[3], "\".\"と\"..\"という名前は指定できません。");
    EXPECT_TRUE(TestSupport::FileExists(target) || GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES);
    EXPECT_STREQ(app.GetProfileString("Paths", "MailBoxPath", ""), target);
    EXPECT_STREQ(app.GetProfileString("Paths", "MailBoxName", ""), "Box");
}

TEST(DlgMailBoxSetting, CancellingWithoutAMailboxAsksToQuit)
{
    TempDir dir;
    App app(dir.File("CVM.ini"));
    TestSupport::ClearMessages();
    CDlgMailBoxSetting dlg;
    bool openAfterNo = false;
    TestSupport::QueueMessageBoxAnswer(IDCANCEL);
    INT_PTR result = RunModal(dlg, "メールボックスの設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        Click(hDlg, IDCANCEL);  // answered "Cancel": stays
        openAfterNo = IsWindowVisible(hDlg);
        Click(hDlg, IDCANCEL);  // answered "OK": closes and the program quits
    });
    MSG msg;
    bool quitPosted = PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
    DrainQuit();
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(openAfterNo);
    EXPECT_TRUE(quitPosted);
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 2u);
    EXPECT_EQ(LastMessage(), "ユーザフォルダが設定されていない状態でCorvane Mailを使用できません。\r\n"
                             "いったん終了してもよろしいですか？");
}

TEST(DlgSelectFont, OwnTemplateWithCharacterSetsAndTheSample)
{
    LOGFONTA lf = {};
    strcpy(lf.lfFaceName, "IPAGothic");
    lf.lfHeight = -12;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    CDlgSelectFont dlg(&lf, CF_SCREENFONTS);
    struct Seen
    {
        bool found = false, hasCharSets = false;
        CString sample;
    } seen;
    DWORD self = GetCurrentThreadId();
    std::thread driver([&] {
        HWND hDlg = WaitForDialog(self, "フォント", 10000);
        if (!hDlg)
            return;
        seen.found = true;
        seen.hasCharSets = GetDlgItem(hDlg, 1140) != nullptr;
        seen.sample = Text(hDlg, 1092);
        Sleep(300);
        SaveScreenshot(hDlg, "DlgSelectFont");
        Click(hDlg, IDOK);
    });
    INT_PTR result = dlg.DoModal();
    driver.join();
    EXPECT_TRUE(seen.found);
    EXPECT_TRUE(seen.hasCharSets);
    EXPECT_STREQ(seen.sample, "選択されているFontのサンプルです。");
    EXPECT_EQ(result, IDOK);
}

namespace {

RECT ChildRect(HWND hDlg, HWND hChild)
{
    RECT rc;
    GetWindowRect(hChild, &rc);
    MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

} // namespace

TEST(DlgAbout, PictureCoversNoLineAndEveryLineShows)
{
    TempDir dir;
    App app(dir.File("CVM.ini"));
    CString picture = app.GetProgramFolder() + "\\CVM.bmp";
    ASSERT_TRUE(CopyFileA(CVM_PICTURE_FILE, picture, FALSE));
    CDlgAbout dlg;
    RunModal(dlg, "バージョン情報", [&](HWND hDlg) {
        ASSERT_TRUE(hDlg);
        HWND hPicture = GetDlgItem(hDlg, IDC_ABOUT_PICTURE);
        ASSERT_TRUE(hPicture);
        RECT pic = ChildRect(hDlg, hPicture);
        EXPECT_EQ(pic.bottom - pic.top, 180) << "the picture at its natural size";
        RECT client;
        GetClientRect(hDlg, &client);
        EXPECT_NEAR(pic.left, (client.right - (pic.right - pic.left)) / 2, 2) << "centred";
        EXPECT_GE(pic.left, 0);
        for (int id : { IDC_ABOUT_VERSION, IDC_ABOUT_URL, IDC_ABOUT_LEGAL, IDOK }) {
            RECT rc = ChildRect(hDlg, GetDlgItem(hDlg, id)), overlap;
            EXPECT_FALSE(IntersectRect(&overlap, &rc, &pic)) << id;
            EXPECT_GE(rc.top, client.top) << id;
            EXPECT_LE(rc.bottom, client.bottom) << id;
        }
        EXPECT_NE(Text(hDlg, IDC_ABOUT_VERSION).Find("Corvane Mail"), -1);
        EXPECT_NE(Text(hDlg, IDC_ABOUT_URL), CString(""));
        SaveScreenshot(hDlg, "DlgAbout");
    });
    DeleteFileA(picture);
}

TEST(DialogFont, UiFacesAreProportional)
{
    // With a fixed-pitch face behind the dialog font, labels come out wider
    // than the layout allows, wrap and are clipped.
    HDC hdc = GetDC(nullptr);
    for (const char* face : { "MS UI Gothic", "MS Shell Dlg", "MS Shell Dlg 2", "Tahoma" }) {
        HFONT hFont = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, face);
        HGDIOBJ old = SelectObject(hdc, hFont);
        SIZE narrow, wide;
        GetTextExtentPoint32A(hdc, "iiiiiiii", 8, &narrow);
        GetTextExtentPoint32A(hdc, "WWWWWWWW", 8, &wide);
        EXPECT_LT(narrow.cx * 2, wide.cx) << face;
        SelectObject(hdc, old);
        DeleteObject(hFont);
    }
    ReleaseDC(nullptr, hdc);
}
