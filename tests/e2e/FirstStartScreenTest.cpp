// What a newcomer sees after a first start: the main window wide enough for
// the mail list's default columns, caption buttons drawn with the symbol font
// rather than as letters, no stray system-tray window, and a tip and a
// status-bar prompt for each toolbar button under the mouse.
#include "e2e/E2eDriver.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <set>
#include <string>
#include <utility>

using E2e::CProgramUnderTest;

namespace {

const DWORD kStartTimeout = 60000;

// Whether a face draws 'r' otherwise than a text font does: Wine draws the
// close button as the letter r of "Marlett", which without the font falls
// back to a text face.
bool SymbolFontDrawsSymbols()
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 32);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    auto draw = [&](const char* face, BYTE charset, std::string& pixels) {
        HFONT font = CreateFontA(24, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, face);
        HGDIOBJ old = SelectObject(dc, font);
        RECT rc = {0, 0, 32, 32};
        FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        TextOutA(dc, 2, 2, "r", 1);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                pixels += GetPixel(dc, x, y) == RGB(255, 255, 255) ? '.' : '#';
        SelectObject(dc, old);
        DeleteObject(font);
    };
    std::string symbol, text;
    draw("Marlett", SYMBOL_CHARSET, symbol);
    draw("Tahoma", DEFAULT_CHARSET, text);
    char face[LF_FACESIZE] = {};
    {
        HFONT font = CreateFontA(24, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Marlett");
        HGDIOBJ old = SelectObject(dc, font);
        GetTextFaceA(dc, sizeof(face), face);
        SelectObject(dc, old);
        DeleteObject(font);
    }
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return lstrcmpiA(face, "Marlett") == 0 && symbol != text;
}

class FirstStartScreenTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"),
                                    "[Setting]\r\nMailBoxPassword=\"x\"\r\nStartupCheckPassword=dword:0\r\n\r\n");
        ASSERT_TRUE(m_program.Start("/INI \"/M:" + m_dir.Path() + "\\MailBox\""));
        m_main = m_program.WaitForMainWindow(kStartTimeout);
        ASSERT_NE(m_main, nullptr);
        SetForegroundWindow(m_main);
    }
    void TearDown() override { m_program.Kill(); }

    TestSupport::TempDir m_dir;
    CProgramUnderTest m_program{m_dir.Path()};
    HWND m_main = nullptr;
};

} // namespace

TEST_F(FirstStartScreenTest, MainWindowShowsTheDefaultColumnsWholeWithSymbolCaptionButtonsAndNoStrayTray)
{
    HWND list = E2e::FindDescendant(m_main, WC_LISTVIEWA);
    ASSERT_NE(list, nullptr);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    ASSERT_EQ(columns, 6);
    int total = 0;
    for (int i = 0; i < columns; ++i)
        total += static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
    RECT client = {};
    GetClientRect(list, &client);
    EXPECT_LE(total, client.right - client.left) << "the list's columns are cut";
    // The dates and the size fit their columns in the list's unread (bold)
    // font, "ＭＳ Ｐゴシック" of 11 points unless the settings say otherwise.
    HDC screen = GetDC(nullptr);
    HFONT font = CreateFontA(-MulDiv(11, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                             SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                             "ＭＳ Ｐゴシック");
    HGDIOBJ old = SelectObject(screen, font);
    const struct
    {
        int column;
        const char* widest;
    } cells[] = {{3, "2000/12/28 20:58:58"}, {4, "2000/12/28 20:58:58"}, {5, "1023.9 KB"}};
    for (const auto& cell : cells) {
        SIZE size = {};
        GetTextExtentPoint32A(screen, cell.widest, lstrlenA(cell.widest), &size);
        EXPECT_GE(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(cell.column), 0), size.cx + 6)
            << "column " << cell.column << " cuts " << cell.widest;
    }
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);

    EXPECT_TRUE(SymbolFontDrawsSymbols());
    // The stand-alone tray window of a display without a system tray.
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    EXPECT_TRUE(!tray || !IsWindowVisible(tray));

    // A picture of the screen for a person to look at.
    if (const char* exportDir = getenv("CVM_E2E_EXPORT")) {
        HDC screen = GetDC(nullptr);
        RECT rc = {};
        GetWindowRect(m_main, &rc);
        int w = rc.right - rc.left, h = rc.bottom - rc.top;
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
        HGDIOBJ old = SelectObject(dc, bitmap);
        BitBlt(dc, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
        BITMAPINFOHEADER bi = {sizeof(bi), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        int stride = (w * 3 + 3) & ~3;
        std::string pixels(static_cast<size_t>(stride) * h, '\0');
        GetDIBits(dc, bitmap, 0, static_cast<UINT>(h), &pixels[0], reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
        BITMAPFILEHEADER bf = {0x4D42, static_cast<DWORD>(sizeof(bf) + sizeof(bi) + pixels.size()), 0, 0,
                               sizeof(bf) + sizeof(bi)};
        std::string file(reinterpret_cast<const char*>(&bf), sizeof(bf));
        file.append(reinterpret_cast<const char*>(&bi), sizeof(bi));
        file += pixels;
        TestSupport::WriteFileBytes(E2e::WinPath(exportDir) + "\\first-start.bmp", file);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
    }
}

TEST_F(FirstStartScreenTest, ToolbarButtonsShowTheirTipAndPromptUnderTheMouse)
{
    HWND toolbar = E2e::FindDescendant(m_main, TOOLBARCLASSNAMEA);
    HWND status = E2e::FindDescendant(m_main, STATUSCLASSNAMEA);
    ASSERT_NE(toolbar, nullptr);
    ASSERT_NE(status, nullptr);
    const CString idle = "ヘルプを表示するには [F1] を押してください。";
    const CString receivePrompt = "現在のアカウントで受信";
    const CString receiveTip = "現在のアカウントで受信";

    // Across the toolbar from left to right: each button puts its prompt in
    // the status bar.
    RECT bar = {};
    GetWindowRect(toolbar, &bar);
    int y = (bar.top + bar.bottom) / 2;
    std::set<std::string> prompts;
    int receiveX = -1;
    for (int x = bar.left + 2; x < bar.right; x += 6) {
        E2e::MoveMouseTo(x, y);
        Sleep(60);
        CString text = E2e::GetWindowTextOf(status);
        if (text != idle && !text.IsEmpty())
            prompts.insert(text.GetString());
        if (text == receivePrompt && receiveX < 0)
            receiveX = x;
    }
    EXPECT_GE(prompts.size(), 10u) << prompts.size();
    ASSERT_GE(receiveX, 0) << "no button showed the receive prompt";

    // Resting on the receive button shows its tip.
    E2e::MoveMouseTo(receiveX, y);
    Sleep(100);
    E2e::MoveMouseTo(receiveX + 1, y);
    HWND tip = nullptr;
    EXPECT_TRUE(E2e::WaitFor(5000, [&] {
        tip = E2e::VisibleWindowOfClass(m_program.ProcessId(), TOOLTIPS_CLASSA);
        return tip && E2e::GetWindowTextOf(tip) == receiveTip;
    })) << (tip ? E2e::GetWindowTextOf(tip).GetString() : "no tip");

    // Away from the toolbar the idle text comes back.
    RECT rc = {};
    GetWindowRect(m_main, &rc);
    E2e::MoveMouseTo((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    EXPECT_TRUE(E2e::WaitFor(3000, [&] { return E2e::GetWindowTextOf(status) == idle; }))
        << E2e::GetWindowTextOf(status).GetString();
}

// The fonts the settings name in Japanese come out as the fonts of their
// English names: the proportional Gothic proportional, the fixed one fixed.
TEST(PrefixFonts, JapaneseFaceNamesMapLikeTheirEnglishNames)
{
    struct Case
    {
        const char* japanese;
        const char* english;
        bool fixedPitch;
    } const cases[] = {
        {"ＭＳ Ｐゴシック", "MS PGothic", false},
        {"ＭＳ ゴシック", "MS Gothic", true},
        {"ＭＳ Ｐ明朝", "MS PMincho", false},
        {"ＭＳ 明朝", "MS Mincho", true},
    };
    // Wine reports the name asked for, so the fonts are told apart by what
    // they draw: the widths of a line of kana, letters and digits.
    HDC dc = CreateCompatibleDC(nullptr);
    auto measure = [&](const char* name, bool* pFixed) {
        HFONT font = CreateFontA(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, name);
        HGDIOBJ old = SelectObject(dc, font);
        const wchar_t sample[] = L"あいうえおiiiiWWWW1111";
        SIZE size = {};
        GetTextExtentPoint32W(dc, sample, static_cast<int>(wcslen(sample)), &size);
        TEXTMETRICA tm = {};
        GetTextMetricsA(dc, &tm);
        // The bit is set for a variable pitch.
        *pFixed = !(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);
        SelectObject(dc, old);
        DeleteObject(font);
        return std::make_pair(size.cx, static_cast<int>(tm.tmWeight));
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.english);
        bool japaneseFixed = false, englishFixed = false;
        auto japanese = measure(c.japanese, &japaneseFixed);
        auto english = measure(c.english, &englishFixed);
        EXPECT_EQ(japanese, english);
        EXPECT_EQ(japaneseFixed, c.fixedPitch);
        EXPECT_EQ(englishFixed, c.fixedPitch);
    }
    DeleteDC(dc);
}
