// The editor window's main toolbar shows the user's own bitmap named in
// "Resource\Resource.dat" beside the program, and its scroll commands move
// the body by one line without moving the caret.
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

using E2e::CEditorSession;

namespace {

const UINT kMainToolBarId = 0xE800;

// A 24-bit bitmap of count square images of that size in a row, all in
// one colour on a magenta ground.
std::string ImageRow(int nSize, int nCount)
{
    const int width = nSize * nCount;
    const size_t rowBytes = ((static_cast<size_t>(width) * 24 + 31) / 32) * 4;
    std::string pixels(rowBytes * static_cast<size_t>(nSize), '\0');
    for (int y = 0; y < nSize; ++y)
        for (int x = 0; x < width; ++x) {
            const bool inside = x % nSize > 2 && x % nSize < nSize - 3 && y > 2 && y < nSize - 3;
            char* p = &pixels[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x) * 3];
            p[0] = inside ? 0x22 : '\xFF';  // blue, green, red
            p[1] = inside ? '\xC8' : 0x00;
            p[2] = inside ? 0x0C : '\xFF';
        }
    std::string b(54, '\0');
    auto put32 = [&](size_t pos, uint32_t v) { std::memcpy(&b[pos], &v, 4); };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<uint32_t>(b.size() + pixels.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(nSize));
    b[26] = 1;
    b[28] = 24;
    return b + pixels;
}

// The image index of every button of a toolbar in another process.
std::vector<int> ButtonImages(HWND bar)
{
    std::vector<int> images;
    E2e::CRemoteBlock block(bar, sizeof(TBBUTTON));
    const int count = static_cast<int>(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        if (SendMessageA(bar, TB_GETBUTTON, static_cast<WPARAM>(i), block.Param()) &&
            block.Read(&button, sizeof(button)) && !(button.fsStyle & BTNS_SEP))
            images.push_back(button.iBitmap);
    }
    return images;
}

class EditorBarsAndScrollTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        if (m_editor && IsWindow(m_editor))
            m_session.DiscardEditor(m_editor);
        if (m_main)
            m_session.Close(m_main);
    }

    TestSupport::TempDir m_dir;
    CEditorSession m_session{m_dir.Path()};
    HWND m_main = nullptr;
    HWND m_editor = nullptr;
};

} // namespace

TEST_F(EditorBarsAndScrollTest, TheUsersBitmapGivesTheMainToolbarItsImages)
{
    ASSERT_TRUE(m_session.Prepare(139));
    // Only the editor's kind is named: the other windows keep their images.
    const CString folder = m_session.Program().Folder() + "\\Resource";
    CreateDirectoryA(folder, nullptr);
    const int kButtons = 15;
    TestSupport::WriteFileBytes(folder + "\\editor.bmp", ImageRow(24, kButtons));
    TestSupport::WriteFileBytes(folder + "\\Resource.dat", "3\teditor.bmp\t255\t0\t255\r\n");
    m_editor = m_session.StartWithNewEditor(m_main);
    ASSERT_NE(m_editor, nullptr) << m_session.Windows();
    HWND bar = GetDlgItem(m_editor, kMainToolBarId);
    ASSERT_NE(bar, nullptr);

    // The n-th button shows the n-th image of the bitmap, at its size.
    std::vector<int> expected;
    for (int i = 0; i < kButtons; ++i)
        expected.push_back(i);
    EXPECT_EQ(ButtonImages(bar), expected);
    const DWORD size = static_cast<DWORD>(SendMessageA(bar, TB_GETBUTTONSIZE, 0, 0));
    EXPECT_GE(HIWORD(size), 24) << "buttons as high as the user's images";
}

// The two scroll commands move the body's text one line down and up; the
// caret stays where it was.
TEST_F(EditorBarsAndScrollTest, ScrollCommandsMoveTheBodyByOneLine)
{
    ASSERT_TRUE(m_session.Prepare(140));
    m_editor = m_session.StartWithNewEditor(m_main);
    ASSERT_NE(m_editor, nullptr) << m_session.Windows();
    HWND view = CEditorSession::ViewOf(m_editor);
    std::string text;
    for (int i = 1; i <= 80; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    E2e::SetControlText(view, IDC_ME_BODY, text.c_str());
    HWND body = GetDlgItem(view, IDC_ME_BODY);
    SendMessageA(body, EM_SETSEL, 0, 0);
    SendMessageA(body, EM_SCROLLCARET, 0, 0);
    ASSERT_EQ(SendMessageA(body, EM_GETFIRSTVISIBLELINE, 0, 0), 0);

    const struct
    {
        UINT command;
        LRESULT firstLine;
    } steps[] = { { ID_EDIT_SCROLL_DOWN, 1 }, { ID_EDIT_SCROLL_DOWN, 2 }, { ID_EDIT_SCROLL_UP, 1 } };
    for (const auto& s : steps) {
        PostMessageA(m_editor, WM_COMMAND, s.command, 0);
        struct Wait
        {
            HWND body;
            LRESULT line;
        } wait = { body, s.firstLine };
        EXPECT_TRUE(E2e::WaitUntil(5000, [](void* p) {
            auto* w = static_cast<Wait*>(p);
            return SendMessageA(w->body, EM_GETFIRSTVISIBLELINE, 0, 0) == w->line;
        }, &wait)) << s.command << ": " << SendMessageA(body, EM_GETFIRSTVISIBLELINE, 0, 0);
    }
    EXPECT_EQ(SendMessageA(body, EM_GETSEL, 0, 0), 0) << "the caret stays at the start";
}
