// The editor settings as a user sees them in an editor window: the input
// method off in the address fields and on in the subject, the attachment
// list beside or under the body, plain or edged buttons, the colours of the
// fields and of the attachment list, the user's own priority names, and the
// editor font in the address and subject fields.
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using E2e::CEditorSession;

namespace {

const int kUser = 132;

RECT RectIn(HWND parent, HWND child)
{
    RECT rc = {};
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// The x where the eighth character of a text begins in a one-line field.
int EighthCharacterAt(HWND field, const char* pszText)
{
    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pszText));
    return static_cast<short>(LOWORD(SendMessageA(field, EM_POSFROMCHAR, 7, 0)));
}

// Whether most pixels of a small patch of a window's client area have the colour.
bool MostlyOfColour(HWND hWnd, const RECT& rc, COLORREF colour)
{
    std::vector<COLORREF> pixels = E2e::CapturePixels(hWnd, rc);
    size_t same = static_cast<size_t>(std::count(pixels.begin(), pixels.end(), colour));
    return !pixels.empty() && same * 10 >= pixels.size() * 9;
}

class EditorLookTest : public ::testing::Test
{
protected:
    // The program with the settings, and one new mail's editor.
    HWND StartWithEditor(const char* pszSettings, const char* pszArguments = "")
    {
        if (!m_session.Prepare(kUser, pszSettings))
            return nullptr;
        m_main = m_session.Start(pszArguments);
        if (!m_main)
            return nullptr;
        if (!*pszArguments)
            PostMessageA(m_main, WM_COMMAND, ID_MAIL_NEW, 0);
        return m_session.WaitForEditorCount(1) ? m_session.Editors()[0] : nullptr;
    }
    void TearDown() override { m_session.DiscardAllAndClose(m_main); }

    TestSupport::TempDir m_dir;
    CEditorSession m_session{m_dir.Path()};
    HWND m_main = nullptr;
};

struct ImeCase
{
    const char* settings;
    bool switches;
};

class EditorImeTest : public EditorLookTest, public ::testing::WithParamInterface<ImeCase>
{
};

struct LookCase
{
    const char* name;
    const char* settings;
    bool listBottom;
    bool edgedButtons;
    COLORREF field, tray;
    bool fixedPitchFields;
    const char* priorityFile;   // the lines of "Priority.txt", or none
    const char* shownPriority;  // the ordinary priority a new mail shows
};

class EditorAreaLookTest : public EditorLookTest, public ::testing::WithParamInterface<LookCase>
{
};

} // namespace

TEST_P(EditorImeTest, InputMethodFollowsTheFocusAsTheSettingsAsk)
{
    HWND editor = StartWithEditor(GetParam().settings);
    ASSERT_NE(editor, nullptr) << m_session.Windows();
    ASSERT_TRUE(CEditorSession::FocusField(editor, IDC_ME_SUBJECT)) << m_session.Windows();
    const LRESULT inSubject = CEditorSession::InputMethodState(editor);
    ASSERT_TRUE(CEditorSession::FocusField(editor, IDC_ME_TO)) << m_session.Windows();
    const LRESULT inTo = CEditorSession::InputMethodState(editor);
    ASSERT_TRUE(CEditorSession::FocusField(editor, IDC_ME_SUBJECT)) << m_session.Windows();
    const LRESULT inSubjectAgain = CEditorSession::InputMethodState(editor);
    ASSERT_TRUE(CEditorSession::FocusField(editor, IDC_ME_CC)) << m_session.Windows();
    const LRESULT inCc = CEditorSession::InputMethodState(editor);
    if (GetParam().switches) {
        EXPECT_EQ(inSubject, 1);
        EXPECT_EQ(inTo, 0);
        EXPECT_EQ(inSubjectAgain, 1);
        EXPECT_EQ(inCc, 0);
    } else {
        // Nothing switches it: it stays as it was.
        EXPECT_GE(inSubject, 0);
        EXPECT_EQ(inTo, inSubject);
        EXPECT_EQ(inSubjectAgain, inSubject);
        EXPECT_EQ(inCc, inSubject);
    }
}

INSTANTIATE_TEST_SUITE_P(OnAndOff, EditorImeTest,
                         ::testing::Values(ImeCase{"", true},
                                           ImeCase{"[EditWindow]\r\nAddressIMEOff=dword:0\r\nSubjectIMEOn=dword:0\r\n",
                                                   false}),
                         [](const ::testing::TestParamInfo<ImeCase>& info) {
                             return info.param.switches ? "SettingsOn" : "SettingsOff";
                         });

TEST_P(EditorAreaLookTest, HeaderAndAttachmentAreaLookAsTheSettingsSay)
{
    const LookCase& c = GetParam();
    TestSupport::WriteFileBytes(m_dir.File("資料.txt"), "attached\r\n");
    // The user's own priority names beside the program.
    if (c.priorityFile)
        TestSupport::WriteFileBytes(m_dir.File("Priority.txt"), c.priorityFile);
    // A word naming a file attaches it to a new mail.
    HWND editor = StartWithEditor(c.settings, "\"" + m_dir.File("資料.txt") + "\"");
    ASSERT_NE(editor, nullptr) << m_session.Windows();
    HWND view = CEditorSession::ViewOf(editor);
    HWND body = GetDlgItem(view, IDC_ME_BODY), list = GetDlgItem(view, IDC_ME_ATTACH_LIST);
    ASSERT_TRUE(E2e::WaitFor(10000, [&] { return E2e::ListItemCount(list) == 1 && IsWindowVisible(list); }))
        << m_session.Windows();

    const RECT bodyRect = RectIn(view, body), listRect = RectIn(view, list);
    if (c.listBottom) {
        EXPECT_GE(listRect.top, bodyRect.bottom);
        EXPECT_GT(listRect.right - listRect.left, (bodyRect.right - bodyRect.left) / 2);
    } else {
        EXPECT_GE(listRect.left, bodyRect.right);
        EXPECT_LT(listRect.top, bodyRect.bottom);
    }

    for (int id : {IDC_ME_TO_BUTTON, IDC_ME_CC_BUTTON, IDC_ME_ATTACH}) {
        const bool edged = (GetWindowLongA(GetDlgItem(view, id), GWL_EXSTYLE) & WS_EX_STATICEDGE) != 0;
        EXPECT_EQ(edged, c.edgedButtons) << id;
    }

    HWND priority = GetDlgItem(view, IDC_ME_PRIORITY);
    EXPECT_EQ(SendMessageA(priority, CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(E2e::GetWindowTextOf(priority), CString(c.shownPriority));

    HWND subject = GetDlgItem(view, IDC_ME_SUBJECT);
    const int narrow = EighthCharacterAt(subject, "iiiiiiii"), wide = EighthCharacterAt(subject, "MMMMMMMM");
    EXPECT_EQ(narrow == wide, c.fixedPitchFields) << narrow << " " << wide;
    SendMessageA(subject, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));

    // The colours as they are drawn, once the window is in front.
    ASSERT_TRUE(CEditorSession::FocusField(editor, IDC_ME_BODY)) << m_session.Windows();
    RECT inside = {2, 2, 12, 8};
    EXPECT_TRUE(E2e::WaitFor(5000, [&] { return MostlyOfColour(subject, inside, c.field); }));
    RECT listClient = {};
    GetClientRect(list, &listClient);
    RECT empty = {listClient.right - 12, listClient.bottom - 8, listClient.right - 2, listClient.bottom - 2};
    EXPECT_TRUE(E2e::WaitFor(5000, [&] { return MostlyOfColour(list, empty, c.tray); }));
}

INSTANTIATE_TEST_SUITE_P(
    DefaultsAndChosen, EditorAreaLookTest,
    ::testing::Values(
        LookCase{"Defaults", "", false, true, RGB(255, 255, 255), RGB(255, 200, 80), true, nullptr, "ふつう"},
        LookCase{"Chosen",
                 "EditorFileListBottom=dword:1\r\nAllButtonNormal=dword:1\r\n"
                 "[Color]\r\nEditorBkColor=dword:16770760\r\nEditorFileTrayColor=dword:3962890\r\n"
                 "[FontEditor]\r\nFaceName=\"IPAPGothic\"\r\n",
                 true, false, RGB(200, 230, 255), RGB(10, 120, 60), false,
                 "至急\r\n急ぎ\r\n普通\r\n後で\r\n不要\r\n", "普通"}),
    [](const ::testing::TestParamInfo<LookCase>& info) { return std::string(info.param.name); });
