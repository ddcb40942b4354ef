#include "html/BmpFile.h"
#include "html/ClipboardPicture.h"
#include "html/Dib.h"
#include "html/DibException.h"
#include "html/DrawDibImage.h"
#include "support/TestSupport.h"
#include "ClipboardOwner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using TestSupport::TempDir;

namespace {

typedef std::vector<BYTE> Bytes;

// Colours every depth holds exactly (multiples of 8, so 5-5-5 too).
const COLORREF kColours[4] = {RGB(248, 0, 0), RGB(0, 248, 8), RGB(16, 24, 240), RGB(200, 104, 56)};

// The test picture: colour index at (x, y), y = 0 the top row.
int IndexAt(int x, int y, int colours) { return (x + 2 * y) % colours; }

struct DibLayout
{
    int bits;
    DWORD compression;
    bool topDown;
    DWORD clrUsed;  // 0: the full table for the bit count
    const char* name;
};

// A CF_DIB block of the test picture in the given layout.
Bytes MakeDib(const DibLayout& layout, int width, int height)
{
    const int colours = layout.bits == 1 ? 2 : 4;
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof(h);
    h.biWidth = width;
    h.biHeight = layout.topDown ? -height : height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(layout.bits);
    h.biCompression = layout.compression;
    h.biClrUsed = layout.clrUsed;
    Bytes dib(reinterpret_cast<BYTE*>(&h), reinterpret_cast<BYTE*>(&h) + sizeof(h));
    auto put32 = [&](DWORD v) {
        for (int i = 0; i < 4; ++i)
            dib.push_back(static_cast<BYTE>(v >> (8 * i)));
    };
    if (layout.compression == BI_BITFIELDS) {
        if (layout.bits == 16) {
            put32(0xF800), put32(0x07E0), put32(0x001F);
        } else {
            put32(0xFF0000), put32(0x00FF00), put32(0x0000FF);
        }
    }
    if (layout.bits <= 8) {
        int entries = layout.clrUsed ? static_cast<int>(layout.clrUsed) : 1 << layout.bits;
        for (int i = 0; i < entries; ++i) {
            COLORREF c = kColours[i % 4];
            put32(static_cast<DWORD>(GetBValue(c) | GetGValue(c) << 8 | GetRValue(c) << 16));
        }
    }
    const size_t stride = (static_cast<size_t>(layout.bits) * width + 31) / 32 * 4;
    for (int s = 0; s < height; ++s) {
        const int y = layout.topDown ? s : height - 1 - s;
        Bytes row(stride, 0);
        for (int x = 0; x < width; ++x) {
            int index = IndexAt(x, y, colours);
            COLORREF c = kColours[index];
            BYTE r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            switch (layout.bits) {
            case 1: row[x / 8] |= static_cast<BYTE>(index << (7 - x % 8)); break;
            case 4: row[x / 2] |= static_cast<BYTE>(x % 2 ? index : index << 4); break;
            case 8: row[x] = static_cast<BYTE>(index); break;
            case 16: {
                WORD v = layout.compression == BI_BITFIELDS
                             ? static_cast<WORD>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3)
                             : static_cast<WORD>((r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
                row[2 * x] = static_cast<BYTE>(v);
                row[2 * x + 1] = static_cast<BYTE>(v >> 8);
                break;
            }
            default: {
                const int step = layout.bits / 8;
                row[step * x] = b;
                row[step * x + 1] = g;
                row[step * x + 2] = r;
            }
            }
        }
        dib.insert(dib.end(), row.begin(), row.end());
    }
    return dib;
}

// A moveable global block holding the bytes, as the clipboard hands it out.
struct GlobalBlock
{
    HGLOBAL h = nullptr;
    explicit GlobalBlock(const Bytes& bytes)
    {
        h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        memcpy(GlobalLock(h), bytes.data(), bytes.size());
        GlobalUnlock(h);
    }
    ~GlobalBlock()
    {
        if (h)
            GlobalFree(h);
    }
    HGLOBAL Release()
    {
        HGLOBAL r = h;
        h = nullptr;
        return r;
    }
};

const DibLayout kDepths[] = {
    {1, BI_RGB, false, 0, "1 bit"},
    {1, BI_RGB, true, 0, "1 bit top-down"},
    {4, BI_RGB, false, 0, "4 bits"},
    {4, BI_RGB, false, 4, "4 bits, 4 colours used"},
    {8, BI_RGB, false, 0, "8 bits"},
    {8, BI_RGB, true, 4, "8 bits top-down, 4 colours used"},
    {16, BI_RGB, false, 0, "16 bits 5-5-5"},
    {16, BI_BITFIELDS, false, 0, "16 bits 5-6-5 bit fields"},
    {16, BI_RGB, true, 0, "16 bits top-down"},
    {24, BI_RGB, false, 0, "24 bits"},
    {24, BI_RGB, true, 0, "24 bits top-down"},
    {32, BI_RGB, false, 0, "32 bits"},
    {32, BI_BITFIELDS, true, 0, "32 bits bit fields top-down"},
};
// Narrow widths are where a pixel step guessed from the row size goes wrong.
const int kWidths[] = {1, 2, 3, 5, 17};

HBITMAP CreateBitmap32(HDC hdc, int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    return CreateDIBSection(hdc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// The bitmap's pixels as 0x00RRGGBB, top row first.
std::vector<DWORD> Pixels32(HBITMAP bitmap, int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (DWORD& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

void ExpectPicture(const std::vector<DWORD>& pixels, int width, int height, int colours, const char* what)
{
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // The platform may widen 5 bits to 8 by repeating the top bits.
            DWORD p = pixels[static_cast<size_t>(y * width + x)] & 0xF8F8F8;
            COLORREF c = kColours[IndexAt(x, y, colours)];
            ASSERT_EQ(RGB(p >> 16, (p >> 8) & 0xFF, p & 0xFF), c) << what << " at " << x << "," << y;
        }
    }
}

// A BMP file, its header and the pixels at its offset, draws as the test picture.
void ExpectBmpFile(const char* path, int width, int height, int colours, const char* what)
{
    std::string file = TestSupport::ReadFileBytes(path);
    ASSERT_GT(file.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    BITMAPFILEHEADER fileHeader;
    memcpy(&fileHeader, file.data(), sizeof(fileHeader));
    ASSERT_EQ(fileHeader.bfSize, file.size());
    ASSERT_LT(fileHeader.bfOffBits, file.size());
    HDC screen = GetDC(nullptr);
    HBITMAP target = CreateBitmap32(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, target);
    EXPECT_EQ(StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, file.data() + fileHeader.bfOffBits,
                reinterpret_cast<const BITMAPINFO*>(file.data() + sizeof(fileHeader)),
                DIB_RGB_COLORS, SRCCOPY),
          height)
        << what;
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    std::vector<DWORD> pixels = Pixels32(target, width, height);
    DeleteObject(target);
    ExpectPicture(pixels, width, height, colours, what);
}

std::string Describe(const DibLayout& layout, int width) { return std::string(layout.name) + ", width " + std::to_string(width); }

} // namespace

TEST(Dib, EveryDepthReadTopRowFirst)
{
    for (const DibLayout& layout : kDepths) {
        for (int width : kWidths) {
            const int height = 3;
            Bytes bytes = MakeDib(layout, width, height);
            CDib dib;
            ASSERT_TRUE(dib.Data().LoadFromMemory(bytes.data(), bytes.size())) << Describe(layout, width);
            Bytes red, green, blue;
            dib.FillColorPlanes(red, green, blue);
            const int colours = layout.bits == 1 ? 2 : 4;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    COLORREF c = kColours[IndexAt(x, y, colours)];
                    size_t at = static_cast<size_t>(y * width + x);
                    EXPECT_EQ(RGB(red[at], green[at], blue[at]), c) << Describe(layout, width) << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(Dib, SixteenBitChannelsScaleByTheirTopBits)
{
    // 0xFFFF as 5-6-5 bit fields and as 5-5-5 (the top bit unused).
    const struct
    {
        DWORD compression;
        COLORREF expected;
    } cases[] = {{BI_BITFIELDS, RGB(248, 252, 248)}, {BI_RGB, RGB(248, 248, 248)}};
    for (const auto& c : cases) {
        DibLayout layout = {16, c.compression, false, 0, ""};
        Bytes bytes = MakeDib(layout, 1, 1);
        bytes[bytes.size() - 4] = 0xFF;
        bytes[bytes.size() - 3] = 0xFF;
        CDib dib;
        ASSERT_TRUE(dib.Data().LoadFromMemory(bytes.data(), bytes.size()));
        Bytes r, g, b;
        dib.FillColorPlanes(r, g, b);
        EXPECT_EQ(RGB(r[0], g[0], b[0]), c.expected);
    }
}

TEST(Dib, HeadersThatDoNotFitTheirDataAreRefused)
{
    const DibLayout rgb24 = {24, BI_RGB, false, 0, ""};
    const DibLayout pal8 = {8, BI_RGB, false, 0, ""};
    auto header = [](Bytes& b) { return reinterpret_cast<BITMAPINFOHEADER*>(b.data()); };
    const struct
    {
        const char* what;
        Bytes bytes;
        int code;  // CDibException code, or 0 when the load just fails
    } cases[] = {
        {"pixels cut short", [&] { Bytes b = MakeDib(rgb24, 5, 3); b.resize(b.size() - 1); return b; }(),
         CDibException::badSize},
        {"height larger than the data", [&] { Bytes b = MakeDib(rgb24, 5, 3); header(b)->biHeight = 4; return b; }(),
         CDibException::badSize},
        {"width times height overflows", [&] {
             Bytes b = MakeDib(rgb24, 5, 3);
             header(b)->biWidth = 0x7FFFFFFF;
             header(b)->biHeight = 0x7FFFFFFF;
             return b;
         }(), CDibException::badSize},
        {"lowest negative height", [&] { Bytes b = MakeDib(rgb24, 5, 3); header(b)->biHeight = LONG(0x80000000); return b; }(),
         CDibException::badSize},
        {"zero width", [&] { Bytes b = MakeDib(rgb24, 5, 3); header(b)->biWidth = 0; return b; }(), CDibException::badSize},
        {"colour count past the block", [&] { Bytes b = MakeDib(pal8, 5, 3); header(b)->biClrUsed = 0x40000000; return b; }(),
         CDibException::badSize},
        {"more colours than 8 bits index", [&] { Bytes b = MakeDib(pal8, 5, 3); header(b)->biClrUsed = 257; return b; }(),
         CDibException::badSize},
        {"colour table cut short", [&] { Bytes b = MakeDib(pal8, 5, 3); b.resize(40 + 512); return b; }(),
         CDibException::badSize},
        {"bit count 7", [&] { Bytes b = MakeDib(pal8, 5, 3); header(b)->biBitCount = 7; return b; }(),
         CDibException::badBitCount},
        {"bit fields on 24 bits", [&] { Bytes b = MakeDib(rgb24, 5, 3); header(b)->biCompression = BI_BITFIELDS; return b; }(),
         CDibException::unsupported},
        {"core header", [&] { Bytes b = MakeDib(rgb24, 5, 3); header(b)->biSize = 12; return b; }(), 0},
        {"version 5 header", [&] { Bytes b = MakeDib(rgb24, 5, 3); header(b)->biSize = 124; return b; }(), 0},
        {"shorter than a header", Bytes(20, 0), 0},
    };
    for (const auto& c : cases) {
        CDibData data;
        int code = 0;
        bool loaded = false;
        try {
            loaded = data.LoadFromMemory(c.bytes.data(), c.bytes.size());
        } catch (const CDibException& e) {
            code = e.GetCode();
        }
        EXPECT_FALSE(loaded) << c.what;
        EXPECT_EQ(code, c.code) << c.what;
        if (c.code == CDibException::badBitCount) {
            CDibException e(0, "");
            try {
                data.LoadFromMemory(c.bytes.data(), c.bytes.size());
            } catch (const CDibException& raised) {
                e = raised;
            }
            EXPECT_EQ(e.GetMessage().Str(), "パレットデータが異常です");
        }
        // Neither file is written from such a block.
        TempDir dir;
        GlobalBlock block(c.bytes);
        CDib dib;
        EXPECT_FALSE(dib.SaveJpegFile(block.h, dir.File("a.jpg"), 0)) << c.what;
        EXPECT_FALSE(WriteBmpFile(block.h, dir.File("a.bmp"))) << c.what;
        EXPECT_FALSE(TestSupport::FileExists(dir.File("a.jpg")));
        EXPECT_FALSE(TestSupport::FileExists(dir.File("a.bmp")));
    }
    EXPECT_FALSE(WriteBmpFile(nullptr, "x.bmp"));
    EXPECT_FALSE(CDib().SaveJpegFile(nullptr, "x.jpg", 0));
}

TEST(Dib, PaletteIndexPastTheTableShowsBlack)
{
    DibLayout layout = {8, BI_RGB, false, 2, ""};
    Bytes bytes = MakeDib(layout, 4, 1);  // indexes 0 1 2 3 against two colours
    CDib dib;
    ASSERT_TRUE(dib.Data().LoadFromMemory(bytes.data(), bytes.size()));
    Bytes r, g, b;
    dib.FillColorPlanes(r, g, b);
    EXPECT_EQ(RGB(r[1], g[1], b[1]), kColours[1]);
    EXPECT_EQ(RGB(r[3], g[3], b[3]), RGB(0, 0, 0));
}

TEST(Dib, JpegFileOfAClipboardBlock)
{
    TempDir dir;
    TestSupport::ClearMessages();
    for (const DibLayout& layout : kDepths) {
        GlobalBlock block(MakeDib(layout, 17, 9));
        CString path = dir.File("pic.jpg");
        CDib dib;
        ASSERT_TRUE(dib.SaveJpegFile(block.h, path, 1)) << layout.name;
        std::string jpeg = TestSupport::ReadFileBytes(path);
        ASSERT_GT(jpeg.size(), 4u);
        EXPECT_EQ(jpeg.substr(0, 4), "\xFF\xD8\xFF\xE0");
        EXPECT_NE(jpeg.find(std::string("\xFF\xFE\x00\x14this is test data", 21)), std::string::npos);
        EXPECT_EQ(jpeg.substr(jpeg.size() - 2), "\xFF\xD9");
    }
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());

    // A compressed (RLE) picture cannot be read: the save says so and writes nothing.
    Bytes bytes = MakeDib({8, BI_RGB, false, 0, ""}, 4, 2);
    reinterpret_cast<BITMAPINFOHEADER*>(bytes.data())->biCompression = BI_RLE8;
    reinterpret_cast<BITMAPINFOHEADER*>(bytes.data())->biSizeImage = 6;
    GlobalBlock compressed(bytes);
    CDib dib;
    EXPECT_FALSE(dib.SaveJpegFile(compressed.h, dir.File("rle.jpg"), 0));
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_EQ(TestSupport::RecordedMessages()[0],
              "JPEGファイル保存中にエラーが発生しました。[この形式のビットマップには対応していません]");
    EXPECT_FALSE(TestSupport::FileExists(dir.File("rle.jpg")));

    // A picture wider than a JPEG frame can say (16 bits a side) is refused;
    // as a BMP it is written.
    TestSupport::ClearMessages();
    GlobalBlock wide(MakeDib(kDepths[0], 70000, 1));
    EXPECT_FALSE(CDib().SaveJpegFile(wide.h, dir.File("wide.jpg"), 0));
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_FALSE(TestSupport::FileExists(dir.File("wide.jpg")));
    EXPECT_TRUE(WriteBmpFile(wide.h, dir.File("wide.bmp")));
    EXPECT_EQ(TestSupport::ReadFileBytes(dir.File("wide.bmp")).size(), 14u + 40 + 8 + 8752);

    // A file that cannot be created: the file error's own text.
    TestSupport::ClearMessages();
    GlobalBlock good(MakeDib(kDepths[9], 3, 2));
    EXPECT_FALSE(CDib().SaveJpegFile(good.h, dir.File("no\\such\\folder.jpg"), 0));
    ASSERT_EQ(TestSupport::RecordedMessages().size(), 1u);
    EXPECT_NE(TestSupport::RecordedMessages()[0].find("folder.jpg"), std::string::npos);
    TestSupport::ClearMessages();
}

TEST(BmpFile, TwentyFourBitsThreeByTwo)
{
    TempDir dir;
    Bytes dib = MakeDib(kDepths[9], 3, 2);
    GlobalBlock block(dib);
    ASSERT_TRUE(WriteBmpFile(block.h, dir.File("a.bmp")));
    std::string file = TestSupport::ReadFileBytes(dir.File("a.bmp"));
    // "BM", size 78, reserved, pixels at 54; the header with its image size
    // of 24 (two rows of 12 bytes); the pixels.
    std::string expected("BM\x4E\0\0\0\0\0\0\0\x36\0\0\0", 14);
    Bytes header(dib.begin(), dib.begin() + 40);
    header[20] = 24;
    expected.append(header.begin(), header.end());
    expected.append(dib.begin() + 40, dib.end());
    EXPECT_EQ(file.size(), 78u);
    EXPECT_EQ(file, expected);
}

TEST(BmpFile, WrittenEveryDepthAndDrawnBack)
{
    // The pixel offset follows the block's own masks and colour table, and
    // the platform draws the file as the picture it came from.
    const struct
    {
        int depth;  // index into kDepths
        DWORD offset;
    } offsets[] = {{0, 14 + 40 + 8}, {3, 14 + 40 + 16}, {5, 14 + 40 + 16}, {7, 14 + 40 + 12}, {9, 14 + 40}};
    TempDir dir;
    for (const auto& o : offsets) {
        GlobalBlock block(MakeDib(kDepths[o.depth], 5, 3));
        ASSERT_TRUE(WriteBmpFile(block.h, dir.File("o.bmp")));
        std::string file = TestSupport::ReadFileBytes(dir.File("o.bmp"));
        DWORD offset = 0;
        memcpy(&offset, file.data() + 10, 4);
        EXPECT_EQ(offset, o.offset) << kDepths[o.depth].name;
    }

    // Every file, its header and the pixels at its offset, draws as the
    // picture it came from.
    for (const DibLayout& layout : kDepths) {
        const int width = 5, height = 3;
        GlobalBlock block(MakeDib(layout, width, height));
        CString path = dir.File("d.bmp");
        ASSERT_TRUE(WriteBmpFile(block.h, path)) << layout.name;
        ExpectBmpFile(path, width, height, layout.bits == 1 ? 2 : 4, layout.name);
    }
}

TEST(DrawDibImage, DrawsTheFileStretched)
{
    // The program's own pictures are bottom-up files of these depths.
    TempDir dir;
    HDC screen = GetDC(nullptr);
    for (int depth : {0, 2, 4, 6, 9, 11}) {
        const DibLayout& layout = kDepths[depth];
        GlobalBlock block(MakeDib(layout, 5, 3));
        CString path = dir.File("d.bmp");
        ASSERT_TRUE(WriteBmpFile(block.h, path));
        CDrawDibImage image;
        ASSERT_TRUE(image.LoadFile(path)) << layout.name;

        HBITMAP target = CreateBitmap32(screen, 10, 6);
        HDC dc = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(dc, target);
        EXPECT_TRUE(image.Draw(dc, 0, 0, 10, 6)) << layout.name;
        SelectObject(dc, old);
        DeleteDC(dc);
        std::vector<DWORD> pixels = Pixels32(target, 10, 6);
        DeleteObject(target);
        // Each source pixel became a 2 x 2 square.
        std::vector<DWORD> halved;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                halved.push_back(pixels[static_cast<size_t>(2 * y * 10 + 2 * x)]);
        ExpectPicture(halved, 5, 3, layout.bits == 1 ? 2 : 4, layout.name);
    }
    ReleaseDC(nullptr, screen);
}

TEST(DrawDibImage, OnlyWholeBmpFilesAreLoaded)
{
    TempDir dir;
    GlobalBlock block(MakeDib({8, BI_RGB, false, 4, ""}, 5, 3));
    CString good = dir.File("good.bmp");
    ASSERT_TRUE(WriteBmpFile(block.h, good));
    std::string bytes = TestSupport::ReadFileBytes(good);

    const struct
    {
        const char* what;
        std::string file;
    } cases[] = {
        {"not BM", "XM" + bytes.substr(2)},
        {"shorter than its size field", bytes.substr(0, bytes.size() - 1)},
        {"size field past the file", [&] { std::string b = bytes; b[5] = 0x10; return b; }()},
        {"height past the pixels", [&] { std::string b = bytes; b[22] = 9; return b; }()},
        {"colour count past the file", [&] { std::string b = bytes; b[46] = 0; b[47] = 1; return b; }()},
        {"empty", ""},
    };
    CDrawDibImage image;
    HDC screen = GetDC(nullptr);
    for (const auto& c : cases) {
        ASSERT_TRUE(image.LoadFile(good));
        CString path = dir.File("bad.bmp");
        TestSupport::WriteFileBytes(path, c.file);
        EXPECT_FALSE(image.LoadFile(path)) << c.what;
        EXPECT_FALSE(image.IsLoaded()) << c.what;
        EXPECT_FALSE(image.Draw(screen, 0, 0, 5, 3)) << c.what;
    }
    ReleaseDC(nullptr, screen);
    EXPECT_FALSE(image.LoadFile(dir.File("missing.bmp")));

    // A size of pixels left 0 in the file is filled in.
    std::string zeroSize = bytes;
    memset(&zeroSize[14 + 20], 0, 4);
    TestSupport::WriteFileBytes(dir.File("zero.bmp"), zeroSize);
    ASSERT_TRUE(image.LoadFile(dir.File("zero.bmp")));
    EXPECT_EQ(image.Header()->biSizeImage, 8u * 3);
}


TEST(ClipboardPicture, PastedPictureBecomesAFile)
{
    TempDir dir;
    ClipboardOwner owner;
    TestSupport::ClearMessages();

    // A device-independent bitmap as an application copies it.
    GlobalBlock block(MakeDib(kDepths[9], 5, 3));
    ASSERT_TRUE(owner.Put(CF_DIB, block.h));
    block.Release();
    ASSERT_TRUE(SaveClipboardPicture(owner.Window(), dir.File("dib.bmp"), kClipboardPictureBmp, 0));
    ExpectBmpFile(dir.File("dib.bmp"), 5, 3, 4, "CF_DIB as BMP");
    ASSERT_TRUE(SaveClipboardPicture(owner.Window(), dir.File("dib.jpg"), kClipboardPictureJpeg, 2));
    EXPECT_EQ(TestSupport::ReadFileBytes(dir.File("dib.jpg")).substr(0, 3), "\xFF\xD8\xFF");

    // A device-dependent bitmap (a screenshot): the clipboard makes the DIB.
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateBitmap32(screen, 7, 4);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x)
            SetPixel(dc, x, y, kColours[IndexAt(x, y, 4)]);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(owner.Put(CF_BITMAP, bitmap));
    ASSERT_TRUE(SaveClipboardPicture(nullptr, dir.File("bitmap.bmp"), kClipboardPictureBmp, 0));
    ExpectBmpFile(dir.File("bitmap.bmp"), 7, 4, 4, "CF_BITMAP as BMP");
    ASSERT_TRUE(SaveClipboardPicture(nullptr, dir.File("bitmap.jpg"), kClipboardPictureJpeg, 0));
    EXPECT_GT(TestSupport::ReadFileBytes(dir.File("bitmap.jpg")).size(), 600u);
    EXPECT_TRUE(TestSupport::RecordedMessages().empty());

    // Nothing to paste: no file.
    ASSERT_TRUE(owner.Put(CF_TEXT, nullptr));
    EXPECT_FALSE(SaveClipboardPicture(nullptr, dir.File("none.bmp"), kClipboardPictureBmp, 0));
    EXPECT_FALSE(SaveClipboardPicture(nullptr, dir.File("none.jpg"), kClipboardPictureJpeg, 0));
    EXPECT_FALSE(TestSupport::FileExists(dir.File("none.bmp")));
    EXPECT_FALSE(TestSupport::FileExists(dir.File("none.jpg")));
}
