// The toolbars' pictures as the program's resources define them and as a
// user sees them: one picture per command, the same picture for a command in
// the main window, a viewer and an editor, each button drawn with its own
// command's picture, and a tip and a status-bar prompt for every button.
#include "e2e/CommandCoverage.h"
#include "e2e/EditorSession.h"
#include "e2e/MaintFixture.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

namespace {

using Picture = std::vector<COLORREF>;  // 16 x 16, row by row from the top

const int kSize = TOOLBAR_PICTURE_SIZE;
const COLORREF kFace = TOOLBAR_FACE_COLOR;

// The program's resources, loaded as data.
class CToolBarResources
{
public:
    CToolBarResources() : m_hModule(LoadLibraryExA(E2e::WinPath(CVM_E2E_PROGRAM), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    CToolBarResources(const CToolBarResources&) = delete;
    CToolBarResources& operator=(const CToolBarResources&) = delete;
    ~CToolBarResources()
    {
        if (m_hModule)
            FreeLibrary(m_hModule);
    }

    // The commands of a layout, separators left out: the n-th one has picture n.
    std::vector<UINT> Commands(UINT nLayoutId) const
    {
        std::vector<UINT> ids;
        for (const E2e::CommandBinding& b : m_resources.ToolBarCommands(nLayoutId))
            ids.push_back(b.id);
        return ids;
    }
    // The pictures of a 24-bit bitmap resource, left to right.
    std::vector<Picture> Pictures(UINT nBitmapId) const
    {
        std::vector<Picture> out;
        HRSRC hRes = m_hModule ? FindResourceA(m_hModule, MAKEINTRESOURCEA(nBitmapId), MAKEINTRESOURCEA(2)) : nullptr;
        HGLOBAL hData = hRes ? LoadResource(m_hModule, hRes) : nullptr;
        const auto* info = hData ? static_cast<const BITMAPINFOHEADER*>(LockResource(hData)) : nullptr;
        if (!info || info->biBitCount != 24 || info->biHeight != kSize || info->biWidth % kSize != 0)
            return out;
        const BYTE* bits = reinterpret_cast<const BYTE*>(info) + info->biSize;
        const int stride = (info->biWidth * 3 + 3) & ~3;
        for (int n = 0; n < info->biWidth / kSize; ++n) {
            Picture p;
            for (int y = 0; y < kSize; ++y) {
                const BYTE* row = bits + static_cast<size_t>(kSize - 1 - y) * static_cast<size_t>(stride);
                for (int x = n * kSize; x < (n + 1) * kSize; ++x)
                    p.push_back(RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]));
            }
            out.push_back(p);
        }
        return out;
    }
    // Line n of a command's string: 0 the status-bar prompt, 1 the tip.
    CString CommandLine(UINT nId, int nLine) const
    {
        char text[512] = {};
        if (!m_hModule || !LoadStringA(m_hModule, nId, text, sizeof(text)))
            return CString();
        std::string s = text;
        for (int i = 0; i < nLine; ++i) {
            size_t nl = s.find('\n');
            if (nl == std::string::npos)
                return CString();
            s = s.substr(nl + 1);
        }
        return CString(s.substr(0, s.find('\n')).c_str());
    }

private:
    HMODULE m_hModule;
    E2e::CProgramResources m_resources;
};

struct ToolBarCase
{
    const char* name;
    UINT layout;
    UINT bitmap;
};
const ToolBarCase kToolBars[] = {
    {"main window", IDR_TOOLBAR_DEFAULT, IDB_MAIN_TOOLBAR},
    {"viewer", IDR_VIEWER_TOOLBAR_DEFAULT, IDB_VIEWER_TOOLBAR},
    {"editor", IDR_EDITOR_TOOLBAR_DEFAULT, IDB_EDITOR_TOOLBAR},
    {"editor's format bar", IDR_EDITOR_FORMAT_TOOLBAR_DEFAULT, IDB_EDITOR_FORMAT_TOOLBAR},
};

// Where in the pixels of a button (width w) the picture is drawn, with the
// button face showing through; -1 when it is not there.
int FindPicture(const std::vector<COLORREF>& button, int w, int h, const Picture& picture, COLORREF face)
{
    for (int oy = 0; oy + kSize <= h; ++oy)
        for (int ox = 0; ox + kSize <= w; ++ox) {
            bool same = true;
            for (int y = 0; y < kSize && same; ++y)
                for (int x = 0; x < kSize && same; ++x) {
                    COLORREF want = picture[static_cast<size_t>(y * kSize + x)];
                    same = button[static_cast<size_t>((oy + y) * w + ox + x)] == (want == kFace ? face : want);
                }
            if (same)
                return oy * w + ox;
        }
    return -1;
}

// Every enabled button of a toolbar shows its command's picture; the
// commands of the buttons that do not, with what they show.
std::string ButtonsNotShowingTheirPicture(HWND bar, const std::vector<UINT>& commands,
                                          const std::vector<Picture>& pictures, int* pChecked)
{
    std::string wrong;
    *pChecked = 0;
    for (const E2e::ToolBarButton& b : E2e::ToolBarButtons(bar)) {
        const TBBUTTON& button = b.button;
        const int i = b.index;
        size_t n = 0;
        while (n < commands.size() && commands[n] != static_cast<UINT>(button.idCommand))
            ++n;
        if (n == commands.size() || button.iBitmap != static_cast<int>(n)) {
            wrong += std::to_string(button.idCommand) + " uses image " + std::to_string(button.iBitmap) + "\n";
            continue;
        }
        if (!SendMessageA(bar, TB_ISBUTTONENABLED, static_cast<WPARAM>(button.idCommand), 0))
            continue;
        RECT rc = {};
        E2e::CRemoteBlock rect(bar, sizeof(RECT));
        if (!SendMessageA(bar, TB_GETITEMRECT, static_cast<WPARAM>(i), rect.Param()) || !rect.Read(&rc, sizeof(rc)))
            continue;
        const int w = rc.right - rc.left, h = rc.bottom - rc.top;
        std::vector<COLORREF> pixels = E2e::CapturePixels(bar, rc);
        if (FindPicture(pixels, w, h, pictures[n], GetSysColor(COLOR_BTNFACE)) < 0)
            wrong += std::to_string(button.idCommand) + " is not drawn with picture " + std::to_string(n) + "\n";
        ++*pChecked;
    }
    return wrong;
}

// Waits until every button of the toolbar uses its command's picture of
// that layout and at least nEnabled enabled ones are drawn with it.
void ExpectButtonsShowTheirPictures(const CToolBarResources& resources, HWND bar, UINT nLayoutId, UINT nBitmapId,
                                    int nEnabled)
{
    const std::vector<UINT> commands = resources.Commands(nLayoutId);
    const std::vector<Picture> pictures = resources.Pictures(nBitmapId);
    ASSERT_EQ(pictures.size(), commands.size());
    ASSERT_NE(bar, nullptr);
    std::string wrong;
    int checked = 0;
    // The idle update enables the buttons after the window shows.
    EXPECT_TRUE(E2e::WaitFor(20000, [&] {
        wrong = ButtonsNotShowingTheirPicture(bar, commands, pictures, &checked);
        return wrong.empty() && checked >= nEnabled;
    })) << checked << " buttons checked\n" << wrong;
}

class ToolBarPicturesTest : public MaintE2e::CMailBoxTest
{
protected:
    CToolBarResources m_resources;
};

class EditorToolBarPicturesTest : public ::testing::Test
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
    E2e::CEditorSession m_session{m_dir.Path()};
    CToolBarResources m_resources;
    HWND m_main = nullptr;
    HWND m_editor = nullptr;
};

} // namespace

TEST(ToolBarResources, EachCommandHasItsOwnPictureTheSameInEveryToolbarAndATipAndPrompt)
{
    CToolBarResources resources;
    std::map<UINT, Picture> byCommand;
    size_t buttons = 0;
    for (const ToolBarCase& bar : kToolBars) {
        SCOPED_TRACE(bar.name);
        const std::vector<UINT> commands = resources.Commands(bar.layout);
        buttons += commands.size();
        const std::vector<Picture> pictures = resources.Pictures(bar.bitmap);
        ASSERT_GE(commands.size(), 10u);
        ASSERT_EQ(pictures.size(), commands.size()) << "one picture per command of the layout";
        for (size_t n = 0; n < commands.size(); ++n) {
            const UINT id = commands[n];
            EXPECT_FALSE(resources.CommandLine(id, 0).IsEmpty()) << id << " has no status-bar prompt";
            EXPECT_FALSE(resources.CommandLine(id, 1).IsEmpty()) << id << " has no tip";
            size_t drawn = 0;
            for (COLORREF c : pictures[n])
                drawn += c != kFace;
            EXPECT_GT(drawn, 20u) << id << ": an empty picture";
            for (size_t m = 0; m < n; ++m)
                EXPECT_NE(pictures[m], pictures[n]) << commands[m] << " and " << id << " look alike";
            // A command several toolbars have is the same picture in each.
            auto known = byCommand.find(id);
            if (known != byCommand.end())
                EXPECT_EQ(known->second, pictures[n]) << id << " looks different in another toolbar";
            else
                byCommand[id] = pictures[n];
        }
    }
    EXPECT_LT(byCommand.size(), buttons) << "the toolbars share commands";
}

TEST_F(ToolBarPicturesTest, EveryButtonOfTheMainWindowAndAViewerShowsItsCommandsPicture)
{
    ASSERT_NO_FATAL_FAILURE(MakeMailBox());
    ASSERT_NO_FATAL_FAILURE(FileMails(CFolderRecord::kindInbox, {"一通目", "二通目"}));
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    SetForegroundWindow(main);
    ExpectButtonsShowTheirPictures(m_resources, E2e::FindDescendant(main, TOOLBARCLASSNAMEA), IDR_TOOLBAR_DEFAULT,
                                   IDB_MAIN_TOOLBAR, 5);

    HWND list = E2e::FindDescendant(main, "SysListView32");
    ASSERT_TRUE(WaitFor([&] { return E2e::ListItemCount(list) == 2; }));
    HWND viewer = OpenViewer(main, list, "一通目");
    ASSERT_NE(viewer, nullptr);
    SetForegroundWindow(viewer);
    ExpectButtonsShowTheirPictures(m_resources, E2e::FindDescendant(viewer, TOOLBARCLASSNAMEA),
                                   IDR_VIEWER_TOOLBAR_DEFAULT, IDB_VIEWER_TOOLBAR, 8);
    Close(main);
}

// Both toolbars of an editor: the main one at once, the format one once the
// mail is HTML; under the mouse a button shows its tip and its prompt.
TEST_F(EditorToolBarPicturesTest, EveryButtonShowsItsCommandsPictureAndItsTip)
{
    const int kMainBarId = 0xE800, kStatusBarId = 0xE801, kFormatBarId = 0xE803;
    ASSERT_TRUE(m_session.Prepare(102));
    m_editor = m_session.StartWithNewEditor(m_main);
    ASSERT_NE(m_editor, nullptr) << m_session.Windows();
    HWND editor = m_editor;
    // Wide enough for every button: at the default width the busy animation
    // covers the last button and the format bar runs past the window's edge.
    SetWindowPos(editor, nullptr, 0, 0, 1100, 600, SWP_NOMOVE | SWP_NOZORDER);
    SetForegroundWindow(editor);
    HWND bar = GetDlgItem(editor, kMainBarId);
    ExpectButtonsShowTheirPictures(m_resources, bar, IDR_EDITOR_TOOLBAR_DEFAULT, IDB_EDITOR_TOOLBAR, 10);

    const CString receiptText = m_resources.CommandLine(ID_EDIT_READ_RECEIPT, 1);
    ASSERT_FALSE(receiptText.IsEmpty());
    RECT rc = {};
    E2e::CRemoteBlock block(bar, sizeof(RECT));
    const WPARAM index = static_cast<WPARAM>(SendMessageA(bar, TB_COMMANDTOINDEX, ID_EDIT_READ_RECEIPT, 0));
    ASSERT_TRUE(SendMessageA(bar, TB_GETITEMRECT, index, block.Param()) && block.Read(&rc, sizeof(rc)));
    MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    const int x = (rc.left + rc.right) / 2, y = (rc.top + rc.bottom) / 2;
    E2e::MoveMouseTo(x - 1, y);
    E2e::MoveMouseTo(x, y);
    HWND status = GetDlgItem(editor, kStatusBarId);
    EXPECT_TRUE(E2e::WaitFor(5000, [&] { return E2e::GetWindowTextOf(status) == receiptText; }))
        << E2e::GetWindowTextOf(status).GetString();
    HWND tip = nullptr;
    EXPECT_TRUE(E2e::WaitFor(5000, [&] {
        tip = E2e::VisibleWindowOfClass(m_session.Program().ProcessId(), TOOLTIPS_CLASSA);
        return tip && E2e::GetWindowTextOf(tip) == receiptText;
    })) << (tip ? E2e::GetWindowTextOf(tip).GetString() : "no tip");

    HWND formatBar = GetDlgItem(editor, kFormatBarId);
    ASSERT_NE(formatBar, nullptr);
    PostMessageA(editor, WM_COMMAND, ID_EDIT_HTML_MAIL, 0);
    ASSERT_TRUE(E2e::WaitFor(20000, [&] { return IsWindowVisible(formatBar) != FALSE; }));
    // Over the read-only page only the table and background buttons are on.
    ExpectButtonsShowTheirPictures(m_resources, formatBar, IDR_EDITOR_FORMAT_TOOLBAR_DEFAULT,
                                   IDB_EDITOR_FORMAT_TOOLBAR, 2);
}
