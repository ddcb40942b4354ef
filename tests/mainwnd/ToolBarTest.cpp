// The main toolbar's layout kept through customising, and the checks a
// user's bitmap file for the toolbar images has to pass.
#include "mainwnd/BitmapFile.h"
#include "mainwnd/MainToolBar.h"
#include "resources/resource.h"
#include "store/StoreTestUtil.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A Windows bitmap file: file header, info header, colour table, rows.
std::string MakeBitmap(int width, int height, int bits, std::vector<unsigned char> pixels = {}, int colors = 0)
{
    const size_t rowBytes = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    const size_t table = bits <= 8 ? static_cast<size_t>(colors ? colors : (1 << bits)) * 4 : 0;
    if (pixels.empty())
        pixels.assign(rowBytes * static_cast<size_t>(height < 0 ? -height : height), 0);
    std::string b(14 + 40 + table, '\0');
    auto put32 = [&](size_t pos, uint32_t v) { std::memcpy(&b[pos], &v, 4); };
    auto put16 = [&](size_t pos, uint16_t v) { std::memcpy(&b[pos], &v, 2); };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<uint32_t>(b.size() + pixels.size()));
    put32(10, static_cast<uint32_t>(b.size()));
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    put16(26, 1);
    put16(28, static_cast<uint16_t>(bits));
    put32(46, static_cast<uint32_t>(colors));
    b.append(pixels.begin(), pixels.end());
    return b;
}

} // namespace

TEST(BitmapFile, HeadersThatDoNotFitTheFileAreRefused)
{
    const std::string good = MakeBitmap(5, 2, 24);
    struct Case { const char* name; std::string bytes; int maxBits, cx, cy; bool ok; };
    std::string truncated = good.substr(0, good.size() - 1);
    std::string hugeWidth = good;
    uint32_t w = 0x7FFFFFFF;
    std::memcpy(&hugeWidth[18], &w, 4);
    std::string pastEnd = good;
    uint32_t off = static_cast<uint32_t>(good.size());
    std::memcpy(&pastEnd[10], &off, 4);
    std::string intoHeader = good;
    off = 20;
    std::memcpy(&intoHeader[10], &off, 4);
    std::string compressed = good;
    compressed[30] = 1;  // BI_RLE8
    std::string badDepth = good;
    badDepth[28] = 7;
    std::string notBm = good;
    notBm[0] = 'X';
    const Case cases[] = {
        { "24-bit", good, 24, 0, 0, true },
        { "size asked and met", good, 24, 5, 2, true },
        { "top-down", MakeBitmap(5, -2, 24), 24, 0, 0, true },
        { "8-bit with its palette", MakeBitmap(3, 3, 8), 24, 0, 0, true },
        { "short palette", MakeBitmap(3, 3, 8, {}, 16), 24, 0, 0, true },
        { "too deep", MakeBitmap(2, 2, 32), 24, 0, 0, false },
        { "other size", good, 24, 16, 16, false },
        { "last row cut", truncated, 24, 0, 0, false },
        { "width beyond the file", hugeWidth, 24, 0, 0, false },
        { "pixels past the end", pastEnd, 24, 0, 0, false },
        { "pixels inside the header", intoHeader, 24, 0, 0, false },
        { "compressed", compressed, 24, 0, 0, false },
        { "odd depth", badDepth, 24, 0, 0, false },
        { "not a bitmap", notBm, 24, 0, 0, false },
        { "header only", good.substr(0, 30), 24, 0, 0, false },
    };
    for (const Case& c : cases) {
        BitmapFile::Info info;
        CString error;
        EXPECT_EQ(BitmapFile::Parse(c.bytes, c.maxBits, c.cx, c.cy, info, error), c.ok) << c.name;
        EXPECT_EQ(error.IsEmpty(), c.ok) << c.name;
    }
}

TEST(BitmapFile, ColourIsReplacedInEveryRowButNotInThePadding)
{
    // 2 × 2 pixels of 24 bits: rows of 6 bytes and 2 bytes of padding. The
    // padding and the next row's first byte together look like the colour.
    const std::vector<unsigned char> pixels = {
        0xFF, 0x00, 0xFF, 0x10, 0x20, 0x30, 0xFF, 0x00,
        0xFF, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x00,
    };
    std::string bytes = MakeBitmap(2, 2, 24, pixels);
    BitmapFile::Info info;
    CString error;
    ASSERT_TRUE(BitmapFile::Parse(bytes, 24, 0, 0, info, error));
    EXPECT_EQ(BitmapFile::ReplaceColor(bytes, info, RGB(0xFF, 0x00, 0xFF), RGB(1, 2, 3)), 3);
    const std::string px = bytes.substr(info.nPixelOffset);
    EXPECT_EQ(px.substr(0, 3), std::string("\x03\x02\x01", 3));
    EXPECT_EQ(px.substr(3, 5), std::string("\x10\x20\x30\xFF\x00", 5));  // padding untouched
    EXPECT_EQ(px.substr(8, 6), std::string("\x03\x02\x01\x03\x02\x01", 6));

    // Pixels of other depths are left as they are.
    std::string eight = MakeBitmap(4, 1, 8, { 1, 2, 3, 4 });
    ASSERT_TRUE(BitmapFile::Parse(eight, 24, 0, 0, info, error));
    EXPECT_EQ(BitmapFile::ReplaceColor(eight, info, RGB(0, 0, 0), RGB(1, 1, 1)), 0);
}

TEST(BitmapFile, LoadGivesABitmapOfTheFileOrTheReason)
{
    TestSupport::TempDir dir;
    TestSupport::WriteFileBytes(dir.File("ok.bmp"), MakeBitmap(32, 16, 24));
    std::string bad = MakeBitmap(32, 16, 24);
    bad.resize(bad.size() - 10);
    TestSupport::WriteFileBytes(dir.File("bad.bmp"), bad);
    CString error;
    HBITMAP h = BitmapFile::Load(nullptr, dir.File("ok.bmp"), 24, 0, 0, true, RGB(0, 0, 0), RGB(192, 192, 192), &error);
    ASSERT_NE(h, nullptr) << error.GetString();
    BITMAP bm = {};
    GetObjectA(h, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    EXPECT_EQ(bm.bmHeight, 16);
    DeleteObject(h);
    EXPECT_EQ(BitmapFile::Load(nullptr, dir.File("bad.bmp"), 24, 0, 0, false, 0, 0, &error), nullptr);
    EXPECT_FALSE(error.IsEmpty());
    EXPECT_EQ(BitmapFile::Load(nullptr, dir.File("none.bmp"), 24, 0, 0, false, 0, 0, &error), nullptr);
}

namespace {

class MainToolBarTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_app = new StoreTest::TestApp(m_dir.Path());
        m_app->m_strRegistryKey = "Hollowpine";
        m_app->m_strProfileName = "CorvaneMailToolBarTest";
        m_frame = new CFrameWnd;
        ASSERT_TRUE(m_frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW));
        m_hFrame = m_frame->m_hWnd;
    }
    void TearDown() override
    {
        m_bar.reset();
        if (::IsWindow(m_hFrame))
            ::DestroyWindow(m_hFrame);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Hollowpine\\CorvaneMailToolBarTest\\Settings.tmp");
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Hollowpine\\CorvaneMailToolBarTest");
        delete m_app;
    }
    CMainToolBar& MakeBar()
    {
        m_bar.reset();
        m_bar.reset(new CMainToolBar);
        EXPECT_TRUE(m_bar->Create(m_frame, WS_CHILD | WS_VISIBLE | CBRS_TOP));
        m_bar->LoadButtons(FALSE, 16, { 32773, 32775, 0, 32778, 32787, 0, 57670 });
        return *m_bar;
    }
    LRESULT Notify(UINT code)
    {
        NMTOOLBARA nm = {};
        nm.hdr.hwndFrom = m_bar->m_hWnd;
        nm.hdr.idFrom = 0xE800;
        nm.hdr.code = code;
        return ::SendMessageA(m_hFrame, WM_NOTIFY, 0xE800, reinterpret_cast<LPARAM>(&nm));
    }
    static bool KeyExists(const char* path)
    {
        HKEY h = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &h) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(h);
        return true;
    }

    TestSupport::TempDir m_dir;
    StoreTest::TestApp* m_app = nullptr;
    CFrameWnd* m_frame = nullptr;
    HWND m_hFrame = nullptr;
    std::unique_ptr<CMainToolBar> m_bar;
};

} // namespace

TEST_F(MainToolBarTest, CustomisedLayoutIsKeptAndResetToTheSavedOne)
{
    CMainToolBar& bar = MakeBar();
    const std::vector<int> defaults = { 32773, 32775, -1, 32778, 32787, -1, 57670 };
    EXPECT_EQ(bar.GetLayout(), defaults);

    // The dialog removes one button, moves another and adds one back.
    ASSERT_TRUE(::SendMessageA(bar.m_hWnd, TB_DELETEBUTTON, 1, 0));             // 32775 out
    ASSERT_TRUE(::SendMessageA(bar.m_hWnd, TB_MOVEBUTTON, 3, 0));               // 32787 first
    NMTOOLBARA info = {};
    char text[64] = "";
    info.hdr.hwndFrom = bar.m_hWnd;
    info.hdr.code = TBN_GETBUTTONINFOA;
    info.iItem = 1;
    info.pszText = text;
    info.cchText = sizeof(text);
    ASSERT_TRUE(::SendMessageA(m_hFrame, WM_NOTIFY, 0xE800, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(info.tbButton.idCommand, 32775);
    info.iItem = 5;  // past the buttons of the toolbar
    EXPECT_FALSE(::SendMessageA(m_hFrame, WM_NOTIFY, 0xE800, reinterpret_cast<LPARAM>(&info)));
    info.iItem = 1;
    ::SendMessageA(m_hFrame, WM_NOTIFY, 0xE800, reinterpret_cast<LPARAM>(&info));
    ASSERT_TRUE(::SendMessageA(bar.m_hWnd, TB_INSERTBUTTONA, 6, reinterpret_cast<LPARAM>(&info.tbButton)));
    EXPECT_TRUE(Notify(TBN_QUERYINSERT));
    EXPECT_TRUE(Notify(TBN_QUERYDELETE));
    const std::vector<int> customised = { 32787, 32773, -1, 32778, -1, 57670, 32775 };
    ASSERT_EQ(bar.GetLayout(), customised);
    Notify(TBN_ENDADJUST);

    // A new toolbar comes up with it; Reset goes back to what was saved.
    CMainToolBar& again = MakeBar();
    EXPECT_EQ(again.GetLayout(), customised);
    ::SendMessageA(again.m_hWnd, TB_DELETEBUTTON, 0, 0);
    Notify(TBN_RESET);
    EXPECT_EQ(again.GetLayout(), customised);

    // A stored value that is no layout gives the defaults.
    const BYTE junk[] = { 1, 2, 3 };
    m_app->WriteProfileBinary("Settings", "ToolBar Settings", junk, sizeof(junk));
    EXPECT_EQ(MakeBar().GetLayout(), defaults);
}

TEST_F(MainToolBarTest, SettingsFileModeLeavesNoRegistryKey)
{
    // A temporary key left by an earlier run goes too.
    HKEY h = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Hollowpine\\CorvaneMailToolBarTest\\Settings.tmp", 0,
                                nullptr, 0, KEY_WRITE, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(h);
    CMainToolBar& bar = MakeBar();
    ::SendMessageA(bar.m_hWnd, TB_DELETEBUTTON, 0, 0);
    EXPECT_TRUE(bar.SaveLayout());
    EXPECT_TRUE(bar.RestoreLayout());
    EXPECT_FALSE(KeyExists("Software\\Hollowpine\\CorvaneMailToolBarTest\\Settings.tmp"));
    EXPECT_FALSE(KeyExists("Software\\Hollowpine\\CorvaneMailToolBarTest\\Settings"));
    // The layout is in the settings.
    BYTE* data = nullptr;
    UINT size = 0;
    ASSERT_TRUE(m_app->GetProfileBinary("Settings", "ToolBar Settings", &data, &size));
    delete[] data;
    EXPECT_EQ(size, 6u * 4u);
}

TEST(MainToolBarLayout, StoredFormIsCommandIdsWithSeparatorsAsMinusOne)
{
    const std::vector<int> layout = { 32773, -1, 57670 };
    std::vector<BYTE> data = CMainToolBar::EncodeLayout(layout);
    ASSERT_EQ(data.size(), 12u);
    EXPECT_EQ(data[4], 0xFF);
    std::vector<int> back;
    EXPECT_TRUE(CMainToolBar::DecodeLayout(data.data(), static_cast<UINT>(data.size()), back));
    EXPECT_EQ(back, layout);
    EXPECT_FALSE(CMainToolBar::DecodeLayout(data.data(), 7, back));
    const int32_t zero[] = { 32773, 0 };
    EXPECT_FALSE(CMainToolBar::DecodeLayout(reinterpret_cast<const BYTE*>(zero), sizeof(zero), back));
}

// "Resource.dat" beside the program names the user's bitmaps: the main
// toolbar's is loaded with its colour made button face, a broken one is
// refused with a message, a kind without a line keeps the built-in images.
TEST(ResourceBitmap, UserBitmapsOfTheImageTable)
{
    TestSupport::InstallMessageBoxRecorder();
    TestSupport::ClearMessages();
    TestSupport::TempDir dir;
    StoreTest::TestApp app(dir.Path());
    CString folder = app.GetProgramFolder() + "\\Resource";
    CreateDirectoryA(folder, nullptr);
    // One magenta pixel and one grey one; magenta becomes the button face.
    TestSupport::WriteFileBytes(folder + "\\main.bmp",
                                MakeBitmap(2, 1, 24, { 0xFF, 0x00, 0xFF, 0x40, 0x40, 0x40, 0, 0 }));
    std::string broken = MakeBitmap(16, 16, 24);
    broken.resize(100);
    TestSupport::WriteFileBytes(folder + "\\viewer.bmp", broken);
    TestSupport::WriteFileBytes(folder + "\\Resource.dat", "1\tmain.bmp\t255\t0\t255\r\n2\tviewer.bmp\t0\t0\t0\r\n");

    HBITMAP main = app.LoadResourceBitmap(nullptr, 145);
    ASSERT_NE(main, nullptr);
    HDC hdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(hdc, main);
    EXPECT_EQ(GetPixel(hdc, 0, 0), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(GetPixel(hdc, 1, 0), RGB(0x40, 0x40, 0x40));
    SelectObject(hdc, old);
    DeleteDC(hdc);
    DeleteObject(main);
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());

    EXPECT_EQ(app.LoadResourceBitmap(nullptr, 134), nullptr);
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_NE(TestSupport::RecordedMessages()[0].find("viewer.bmp"), std::string::npos);
    EXPECT_EQ(app.LoadResourceBitmap(nullptr, 195), nullptr);
    EXPECT_EQ(app.LoadResourceBitmap(nullptr, 999), nullptr);
    EXPECT_EQ(TestSupport::RecordedMessages().size(), 1u);

    DeleteFileA(folder + "\\main.bmp");
    DeleteFileA(folder + "\\viewer.bmp");
    DeleteFileA(folder + "\\Resource.dat");
    RemoveDirectoryA(folder);
    TestSupport::ClearMessages();
}
