// Japanese typed the way a user types it: keystrokes that carry characters
// (what a keyboard layout or a remote desktop sends) and the character
// messages an input method sends when a conversion is committed, into every
// kind of field of the program. The text read back is what was typed, and a
// mail written so reaches the private Dovecot as typed.
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "e2e/E2eDriver.h"
#include "e2e/TestAccount.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"
#include "message/JapaneseCode.h"
#include "message/MailMessage.h"
#include "message/MimeCodec.h"
#include "net/NetTestSupport.h"
#include "resources/addressbook/AddressbookResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/mainwnd/ToolsCommandsResource.h"
#include "resources/search/SearchResource.h"

#include <gtest/gtest.h>

#include <string>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;
const DWORD kWaitTimeout = 20000;
const int kUser = 57;
// Kanji, hiragana, half-width katakana, characters only code page 932 has,
// and kanji whose second byte in that code page is a backslash.
const wchar_t kTyped[] = L"了解しましたｶﾀｶﾅ①㈱髙ソ表";

enum class Input { Keystrokes, InputMethod };

const char* InputName(Input how)
{
    return how == Input::Keystrokes ? "keystrokes" : "input method";
}

std::wstring TextOf(HWND hWnd)
{
    return E2e::FieldText(hWnd);
}

HWND FocusOf(HWND hWnd)
{
    GUITHREADINFO info = {sizeof(info)};
    return GetGUIThreadInfo(GetWindowThreadProcessId(hWnd, nullptr), &info) ? info.hwndFocus : nullptr;
}

bool HoldsMouse(HWND hWnd)
{
    GUITHREADINFO info = {sizeof(info)};
    return GetGUIThreadInfo(GetWindowThreadProcessId(hWnd, nullptr), &info) && info.hwndCapture;
}

// A click in the middle of the field, as a user gives it the focus before
// typing the given way.
bool ClickInto(HWND field, Input how)
{
    // The characters an input method posts overtake a click still in the
    // input queue, so that the click's selection could fall among them, and
    // a click into the field that has the focus already cannot be waited
    // for (the focus does not change): that field is typed into as it is.
    // Keystrokes queue up behind the click and need no such care.
    if (how == Input::InputMethod && FocusOf(field) == field && !HoldsMouse(field))
        return true;
    // Two clicks at one place within the double-click time make a double
    // click, which selects a word and holds the mouse until the button is
    // up: what is typed meanwhile may replace that selection. The next
    // click waits that time out, as a user's second click would.
    static DWORD lastClick = 0;
    const DWORD gap = GetDoubleClickTime() + 100;
    if (lastClick && GetTickCount() - lastClick < gap)
        Sleep(gap - (GetTickCount() - lastClick));
    // A window just opened may still be laying out its bars: the field is
    // clicked where it is at each try.
    for (int attempt = 0; attempt < 3; ++attempt) {
        SetForegroundWindow(GetAncestor(field, GA_ROOT));
        E2e::ClickMiddleOf(field);
        lastClick = GetTickCount();
        if (E2e::WaitFor(2000, [&] { return FocusOf(field) == field; }))
            return E2e::WaitFor(2000, [&] { return !HoldsMouse(field); });
    }
    return false;
}

void Type(HWND field, const std::wstring& text, Input how)
{
    if (how == Input::InputMethod)
        PostMessageW(field, WM_IME_STARTCOMPOSITION, 0, 0);
    for (wchar_t ch : text) {
        if (how == Input::Keystrokes) {
            // A line break is the Enter key; every other character comes
            // as itself.
            INPUT in[2] = {};
            in[0].type = INPUT_KEYBOARD;
            if (ch == L'\r') {
                in[0].ki.wVk = VK_RETURN;
            } else {
                in[0].ki.wScan = ch;
                in[0].ki.dwFlags = KEYEVENTF_UNICODE;
            }
            in[1] = in[0];
            in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
            SendInput(2, in, sizeof(INPUT));
        } else {
            PostMessageW(field, WM_IME_CHAR, ch, 1);
        }
    }
    if (how == Input::InputMethod)
        PostMessageW(field, WM_IME_ENDCOMPOSITION, 0, 0);
}

// Empties the field, types the text into it and reads it back.
std::wstring TypeAndReadBack(HWND field, const std::wstring& text, Input how)
{
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    if (!ClickInto(field, how))
        return L"(the field did not take the focus)";
    Type(field, text, how);
    E2e::WaitFor(5000, [&] { return TextOf(field) == text; });
    return TextOf(field);
}

// The first mail delivered into a Maildir (empty while there is none).
std::string FirstDeliveredMail(const CString& maildir)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(maildir + "\\new\\*", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return std::string();
    std::string mail;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            mail = TestSupport::ReadFileBytes(maildir + "\\new\\" + fd.cFileName);
    } while (mail.empty() && FindNextFileA(h, &fd));
    FindClose(h);
    return mail;
}

class JapaneseTypingTest : public ::testing::Test
{
protected:
    CString MailBox() const { return m_dir.Path() + "\\MailBox"; }

    void SetUp() override
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), "[Setting]\r\nMailBoxPassword=\"x\"\r\n"
                                                           "StartupCheckPassword=dword:0\r\nEditorAutoBackup=dword:0\r\n\r\n");
        CreateDirectoryA(MailBox(), nullptr);
        ASSERT_TRUE(E2e::WriteTestAccount(MailBox(), kUser));
        ASSERT_TRUE(m_program.Start("/INI \"/M:" + MailBox() + "\""));
        m_main = m_program.WaitForMainWindow(kStartTimeout);
        ASSERT_NE(m_main, nullptr);
    }

    void TearDown() override { m_program.Kill(); }

    // Each way of typing into the field gives back the typed text.
    void ExpectEveryInputTaken(HWND field, const char* name)
    {
        ASSERT_NE(field, nullptr) << name;
        for (Input how : {Input::Keystrokes, Input::InputMethod}) {
            SCOPED_TRACE(std::string(name) + ", " + InputName(how));
            EXPECT_EQ(TypeAndReadBack(field, kTyped, how), std::wstring(kTyped));
        }
    }

    HWND WaitForWindowOfClass(const char* cls) { return m_program.WaitForWindow(cls, nullptr, kWaitTimeout); }

    TestSupport::TempDir m_dir;
    CProgramUnderTest m_program{m_dir.Path()};
    HWND m_main = nullptr;
};

} // namespace

TEST_F(JapaneseTypingTest, DialogsAndToolWindowsTakeTypedJapanese)
{
    // The folder name of a new folder (a modal dialog of the main window).
    PostMessageA(m_main, WM_COMMAND, ID_FOLDER_CREATE, 0);
    HWND folderDlg = m_program.WaitForDialogWithControl(IDC_FOLDER_NAME, kWaitTimeout);
    ASSERT_NE(folderDlg, nullptr);
    ExpectEveryInputTaken(GetDlgItem(folderDlg, IDC_FOLDER_NAME), "folder name");
    E2e::PressButton(folderDlg, IDCANCEL);

    // The search words (a search window on a thread of its own).
    PostMessageA(m_main, WM_COMMAND, ID_MAIL_SEARCH, 0);
    HWND search = m_program.WaitForDialogWithControl(IDC_SEARCH_SUBJECT, kWaitTimeout);
    ASSERT_NE(search, nullptr);
    ExpectEveryInputTaken(GetDlgItem(search, IDC_SEARCH_SUBJECT), "search subject");
    ExpectEveryInputTaken(GetDlgItem(search, IDC_SEARCH_BODY), "search body");
    PostMessageA(search, WM_CLOSE, 0, 0);

    // The address book's search dialog (a modeless dialog of the address
    // book window, on the address book's thread).
    PostMessageA(m_main, WM_COMMAND, ID_TOOLS_ADDRESS_BOOK, 0);
    HWND book = WaitForWindowOfClass("CVMAddressNoteWndClass");
    ASSERT_NE(book, nullptr);
    PostMessageA(book, WM_COMMAND, IDC_ADDRESS_SEARCH, 0);
    HWND find = m_program.WaitForWindow("#32770", "検索", kWaitTimeout);
    ASSERT_NE(find, nullptr);
    ExpectEveryInputTaken(GetDlgItem(find, IDC_ENTRY_NAME), "address book search name");
    ExpectEveryInputTaken(GetDlgItem(find, IDC_ENTRY_MEMO), "address book search memo");
    PostMessageA(find, WM_CLOSE, 0, 0);
    PostMessageA(book, WM_CLOSE, 0, 0);
}

TEST_F(JapaneseTypingTest, MailTypedInTheEditorReachesTheServerAsTyped)
{
    CVM_NEED_SERVER(NetTest::DovecotAvailable(), "Dovecot");
    CString maildir = NetTest::ClearMaildir(kUser);
    PostMessageA(m_main, WM_COMMAND, ID_MAIL_NEW, 0);
    HWND editor = WaitForWindowOfClass("CVMEditWndClass");
    ASSERT_NE(editor, nullptr);
    HWND view = GetDlgItem(editor, 0xE900);
    ASSERT_NE(view, nullptr);

    // Every field of the editor, both ways.
    ExpectEveryInputTaken(GetDlgItem(view, IDC_ME_CC), "cc");
    ExpectEveryInputTaken(GetDlgItem(view, IDC_ME_SUBJECT), "subject");
    ExpectEveryInputTaken(GetDlgItem(view, IDC_ME_BODY), "body");

    // The mail itself, typed.
    const std::wstring to = L"髙橋ｶﾝﾘ <cvmtest57@cvm.test>";
    const std::wstring subject = L"了解しました①㈱";
    const std::wstring body = L"了解しました。\rｶﾀｶﾅと①㈱髙。";
    EXPECT_EQ(TypeAndReadBack(GetDlgItem(view, IDC_ME_TO), to, Input::Keystrokes), to);
    SendMessageW(GetDlgItem(view, IDC_ME_CC), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    EXPECT_EQ(TypeAndReadBack(GetDlgItem(view, IDC_ME_SUBJECT), subject, Input::InputMethod), subject);
    TypeAndReadBack(GetDlgItem(view, IDC_ME_BODY), body, Input::Keystrokes);
    PostMessageA(editor, WM_COMMAND, ID_EDIT_SEND, 0);
    if (HWND info = m_program.WaitForDialogWithControl(IDC_SI_TO, kWaitTimeout))
        E2e::PressButton(info, IDOK);

    std::string raw;
    ASSERT_TRUE(E2e::WaitFor(30000, [&] { return !(raw = FirstDeliveredMail(maildir)).empty(); }));
    // Dovecot keeps the lines with LF alone.
    std::string crlf;
    for (char ch : raw) {
        if (ch == '\n')
            crlf += '\r';
        crlf += ch;
    }
    CMailMessage message;
    ASSERT_TRUE(message.Parse(crlf.c_str(), static_cast<int>(crlf.size())));
    EXPECT_EQ(CString(message.m_strSubject), CString(subject.c_str()));
    // Half-width katakana leave as their full-width forms.
    EXPECT_NE(message.m_strTo.Find(CString(L"髙橋カンリ")), -1) << message.m_strTo.GetString();
    size_t blank = raw.find("\n\n");
    ASSERT_NE(blank, std::string::npos);
    // 髙 is not in ISO-2022-JP, so the body leaves as UTF-8 in Base64.
    EXPECT_EQ(message.m_strCharset.CompareNoCase("UTF-8"), 0) << raw;
    const std::string wireBody = raw.substr(blank + 2);
    const std::string decoded = CMimeCodec::DecodeTransfer(wireBody.c_str(), wireBody.size(), message.m_nTransferEncoding);
    CString bodyText = message.m_strCharset.CompareNoCase("UTF-8") == 0 ? CMimeCodec::DecodeUtf8(decoded.c_str(), static_cast<int>(decoded.size()))
                                                                       : JisToSjis(decoded.c_str());
    bodyText.Replace("\r\n", "\n");
    bodyText.TrimRight();
    EXPECT_EQ(bodyText, CString(L"了解しました。\nカタカナと①㈱髙。")) << raw;
}
