// The body written in the user's own editors: the text editor and the HTML
// editor, each started from the editor window's command on a temporary file.
// The system's command processor stands in for the editors: it copies a
// prepared file over the temporary one, after a pause where the test needs
// one.
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <string>
#include <vector>

using E2e::CEditorSession;

namespace {

const char kCmd[] = "C:\\windows\\system32\\cmd.exe";

class ExternalEditorE2eTest : public ::testing::Test
{
protected:
    // The program with the settings lines, and one new mail's editor.
    HWND StartWithEditor(const std::string& settings, HWND& main)
    {
        if (!m_session.Prepare(121, settings.c_str()))
            return nullptr;
        return m_session.StartWithNewEditor(main);
    }
    // The temporary files of the editors in a folder.
    static std::vector<std::string> TempFiles(const CString& folder, const char* pattern)
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA(folder + "\\" + pattern, &data);
        if (h == INVALID_HANDLE_VALUE)
            return names;
        do
            names.push_back(data.cFileName);
        while (FindNextFileA(h, &data));
        FindClose(h);
        return names;
    }
    static CString TempFolder()
    {
        char folder[MAX_PATH + 1] = {};
        GetTempPathA(sizeof(folder), folder);
        CString path = folder;
        return path.Left(path.GetLength() - 1);
    }
    // Waits for a control text to become the one expected.
    static bool WaitForText(HWND dlg, int id, const CString& expected, DWORD timeoutMs = 20000)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            if (E2e::GetControlText(dlg, id) == expected)
                return true;
            Sleep(200);
        }
        return false;
    }

    TestSupport::TempDir m_dir;
    CEditorSession m_session{m_dir.Path()};
};

// The colour the body shows a range of its text in.
COLORREF ColourAt(HWND body, int nStart, int nEnd)
{
    SendMessageA(body, EM_SETSEL, static_cast<WPARAM>(nStart), nEnd);
    E2e::CRemoteBlock block(body, sizeof(CHARFORMATA));
    CHARFORMATA format = {};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_COLOR;
    block.Write(&format, sizeof(format));
    SendMessageA(body, EM_GETCHARFORMAT, SCF_SELECTION, block.Param());
    block.Read(&format, sizeof(format));
    return format.crTextColor;
}

} // namespace

TEST_F(ExternalEditorE2eTest, TextEditorsFileBecomesTheBodyAndIsThenDeleted)
{
    TestSupport::WriteFileBytes(m_dir.File("edited.txt"), "written outside\r\nsecond line\r\n> quoted line");
    std::string settings = std::string("[EditWindow]\r\nEditorPath=\"") + kCmd + "\"\r\nEditorOption=\"/c copy /y " +
                           m_dir.File("edited.txt").Str() + " $FILE$\"\r\nEditorTempFileExt=\"cvmtxt\"\r\n";
    HWND main = nullptr;
    HWND editor = StartWithEditor(settings, main);
    ASSERT_NE(editor, nullptr) << m_session.Windows();
    HWND view = CEditorSession::ViewOf(editor);
    E2e::SetControlText(view, IDC_ME_BODY, "typed here");
    PostMessageA(editor, WM_COMMAND, ID_EDIT_EXTERNAL_EDITOR, 0);
    EXPECT_TRUE(WaitForText(view, IDC_ME_BODY, "written outside\r\nsecond line\r\n> quoted line")) << m_session.Windows();
    // The text that came back is coloured as typed text is: its quoted line
    // in the quotation colour.
    HWND body = GetDlgItem(view, IDC_ME_BODY);
    EXPECT_NE(ColourAt(body, 30, 35), ColourAt(body, 0, 5));
    EXPECT_EQ(ColourAt(body, 16, 21), ColourAt(body, 0, 5));
    // The file went once its text was back in the body.
    Sleep(500);
    EXPECT_TRUE(TempFiles(TempFolder(), "$Q$*.cvmtxt").empty());
    ASSERT_TRUE(m_session.DiscardEditor(editor)) << m_session.Windows();
    m_session.Close(main);
}

TEST_F(ExternalEditorE2eTest, TextWrittenAfterTheWindowClosedStaysInItsFile)
{
    TestSupport::WriteFileBytes(m_dir.File("edited.txt"), "the only copy");
    // The editor keeps the file three seconds before it writes.
    std::string settings = std::string("[EditWindow]\r\nEditorPath=\"") + kCmd +
                           "\"\r\nEditorOption=\"/c ping -n 4 127.0.0.1 > nul & copy /y " +
                           m_dir.File("edited.txt").Str() + " $FILE$\"\r\nEditorTempFileExt=\"cvmkeep\"\r\n";
    for (const std::string& name : TempFiles(TempFolder(), "$Q$*.cvmkeep"))
        DeleteFileA(TempFolder() + "\\" + name.c_str());
    HWND main = nullptr;
    HWND editor = StartWithEditor(settings, main);
    ASSERT_NE(editor, nullptr) << m_session.Windows();
    PostMessageA(editor, WM_COMMAND, ID_EDIT_EXTERNAL_EDITOR, 0);
    Sleep(1000);
    ASSERT_TRUE(m_session.DiscardEditor(editor)) << m_session.Windows();
    Sleep(6000);
    std::vector<std::string> left = TempFiles(TempFolder(), "$Q$*.cvmkeep");
    ASSERT_EQ(left.size(), 1u);
    CString path = TempFolder() + "\\" + left[0].c_str();
    EXPECT_EQ(TestSupport::ReadFileBytes(path), "the only copy");
    DeleteFileA(path);
    m_session.Close(main);
}

TEST_F(ExternalEditorE2eTest, HtmlEditorGetsAFileInTheFolderChosenAndTheMailLoadsIt)
{
    const std::string page = "<html><body><b>from the HTML editor</b></body></html>";
    TestSupport::WriteFileBytes(m_dir.File("page.html"), page);
    CString offered = m_dir.File("offered"), chosen = m_dir.File("chosen");
    CreateDirectoryA(offered, nullptr);
    std::string settings = std::string("[EditWindow]\r\nHtmlEditorPath=\"") + kCmd +
                           "\"\r\nHtmlEditorOption=\"/c copy /y " + m_dir.File("page.html").Str() +
                           " $FILE$\"\r\n[Etc]\r\nHtmlTempFilePath=\"" + offered.Str() + "\"\r\n";
    HWND main = nullptr;
    HWND editor = StartWithEditor(settings, main);
    ASSERT_NE(editor, nullptr) << m_session.Windows();
    E2e::SetControlText(CEditorSession::ViewOf(editor), IDC_ME_BODY, "typed text");
    PostMessageA(editor, WM_COMMAND, ID_EDIT_HTML_EXTERNAL_EDITOR, 0);
    // The text written so far would be lost: the user is asked first.
    HWND question = m_session.Program().WaitForMessageBox("HTMLメールに変更すると", 20000);
    ASSERT_NE(question, nullptr) << m_session.Windows();
    E2e::PressButton(question, IDYES);

    HWND notice = m_session.Program().WaitForDialogWithControl(IDC_HT_FOLDER, 20000);
    ASSERT_NE(notice, nullptr) << m_session.Windows();
    EXPECT_EQ(E2e::GetControlText(notice, IDC_HT_FOLDER), offered + "\\");
    CString name = E2e::GetControlText(notice, IDC_HT_FILE);
    EXPECT_EQ(name.Left(3), CString("$Q$"));
    EXPECT_EQ(name.Right(5), CString(".html"));
    E2e::SetControlText(notice, IDC_HT_FOLDER, chosen);
    E2e::PressButton(notice, IDOK);

    // The editor ran on the file in the folder chosen; its end makes the
    // mail show the file as HTML mail (under Wine without an HTML engine,
    // the page's text in the HTML view).
    CString shown;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(200)) {
        HWND html = GetDlgItem(CEditorSession::ViewOf(editor), 1312);
        shown = html ? E2e::GetControlText(html, 1) : CString();
        if (!shown.IsEmpty())
            break;
    }
    EXPECT_EQ(shown, CString("from the HTML editor")) << m_session.Windows();
    EXPECT_EQ(TestSupport::ReadFileBytes(chosen + "\\" + name), page);
    EXPECT_TRUE(TempFiles(offered, "*").size() <= 2u);  // "." and ".." only
    ASSERT_TRUE(m_session.DiscardEditor(editor)) << m_session.Windows();
    m_session.Close(main);
    // The file stays after the mail, and the folder chosen is offered next time.
    EXPECT_TRUE(TestSupport::FileExists(chosen + "\\" + name));
    std::string ini = TestSupport::ReadFileBytes(m_session.Program().Folder() + "\\CVM.ini");
    EXPECT_NE(ini.find(chosen.Str() + "\\"), std::string::npos) << ini;
}
