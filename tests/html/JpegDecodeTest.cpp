// Pictures for a real decoder: the test writes each source picture (PPM) and
// its JPEG, with the least PSNR the decoded picture must reach, into the
// folder named by CVM_JPEG_OUT; check_jpeg_decode.py decodes them with djpeg
// and compares. Run on its own, without that folder, the test is skipped.
#include "html/ClipboardPicture.h"
#include "html/JpegEncoder.h"
#include "support/TestSupport.h"
#include "ClipboardOwner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

struct DecodeCase
{
    const char* name;
    int width, height;
    int quality;
    double minPsnr;  // dB, over the red, green and blue samples
    std::function<unsigned(int, int)> colour;  // 0xRRGGBB at (x, y)
};

unsigned Rgb(int r, int g, int b)
{
    auto clamp = [](int v) { return static_cast<unsigned>(v < 0 ? 0 : v > 255 ? 255 : v); };
    return clamp(r) << 16 | clamp(g) << 8 | clamp(b);
}

// Smooth colour: gradients with a soft wave, as in a screenshot of a photo.
unsigned Landscape(int x, int y)
{
    return Rgb(40 + 3 * x, 200 - 2 * y, 90 + static_cast<int>(60 * std::sin((x + y) / 9.0)));
}

unsigned GreyRamp(int x, int y)
{
    int v = 20 + 5 * x + 3 * y;
    return Rgb(v, v, v);
}

// Sharp edges: text-like strokes and flat areas, as in a screenshot of a window.
unsigned Window(int x, int y)
{
    if (y < 6)
        return Rgb(10, 36, 106);
    if ((x / 3 + y / 4) % 5 == 0)
        return Rgb(0, 0, 0);
    return x % 16 < 8 ? Rgb(255, 255, 255) : Rgb(212, 208, 200);
}

unsigned Noise(int x, int y)
{
    unsigned s = static_cast<unsigned>(x * 7919 + y * 104729);
    s = s * 1103515245u + 12345u;
    return (s >> 8) & 0xFFFFFF;
}

bool WriteBinary(const std::string& path, const std::string& bytes)
{
    TestSupport::WriteFileBytes(path.c_str(), bytes);
    return TestSupport::FileExists(path.c_str());
}

} // namespace

TEST(JpegDecode, PicturesForTheDecoder)
{
    const char* folder = getenv("CVM_JPEG_OUT");
    if (!folder || !*folder)
        GTEST_SKIP() << "run by check_jpeg_decode.py (test_html_jpeg_decode)";

    // Quality 0 keeps every coefficient (only the 4:2:0 chroma and the
    // truncations lose), 1 divides by 8 and 24, 2 by the standard's tables.
    const DecodeCase cases[] = {
        {"colour_37x23_q0", 37, 23, 0, 37, Landscape},
        {"colour_37x23_q1", 37, 23, 1, 30, Landscape},
        {"colour_37x23_q2", 37, 23, 2, 31, Landscape},
        {"grey_17x9_q0", 17, 9, 0, 55, GreyRamp},
        {"grey_17x9_q1", 17, 9, 1, 44, GreyRamp},
        {"grey_17x9_q2", 17, 9, 2, 41, GreyRamp},
        {"grey_1x1_q2", 1, 1, 2, 45, [](int, int) { return Rgb(77, 77, 77); }},
        {"colour_1x1_q0", 1, 1, 0, 48, [](int, int) { return Rgb(200, 30, 90); }},
        {"colour_16x16_q1", 16, 16, 1, 30, Landscape},
        {"window_61x45_q0", 61, 45, 0, 37, Window},
        {"window_61x45_q2", 61, 45, 2, 21, Window},
        {"noise_24x24_q2", 24, 24, 2, 10, Noise},
        {"colour_250x3_q1", 250, 3, 1, 32, Landscape},
        {"colour_3x250_q2", 3, 250, 2, 32, [](int x, int y) { return Landscape(y, x); }},
    };
    std::string manifest;
    for (const DecodeCase& c : cases) {
        std::string red, green, blue, ppm;
        ppm = "P6\n" + std::to_string(c.width) + " " + std::to_string(c.height) + "\n255\n";
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                unsigned v = c.colour(x, y);
                red += static_cast<char>(v >> 16);
                green += static_cast<char>(v >> 8);
                blue += static_cast<char>(v);
                ppm += static_cast<char>(v >> 16);
                ppm += static_cast<char>(v >> 8);
                ppm += static_cast<char>(v);
            }
        }
        CJpegEncoder encoder;
        encoder.initialise(c.quality, reinterpret_cast<const unsigned char*>(red.data()),
                           reinterpret_cast<const unsigned char*>(green.data()),
                           reinterpret_cast<const unsigned char*>(blue.data()));
        encoder.SetSize(c.width, c.height);
        encoder.SetDensity(1, 72, 72);
        encoder.SetComment("this is test data");
        ASSERT_EQ(encoder.encode(), 0) << c.name << ": " << encoder.GetLastError();
        std::vector<unsigned char> jpeg = encoder.TakeOutput();
        std::string base = std::string(folder) + "\\" + c.name;
        ASSERT_TRUE(WriteBinary(base + ".ppm", ppm));
        ASSERT_TRUE(WriteBinary(base + ".jpg", std::string(jpeg.begin(), jpeg.end())));
        manifest += std::string(c.name) + " " + std::to_string(c.minPsnr) + "\n";
    }

    // A screenshot pasted from the clipboard as the editor saves it.
    const int width = 45, height = 31;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned v = Window(x, y) ^ (Landscape(x, y) & 0x3F3F3F);
            SetPixel(dc, x, y, RGB(v >> 16, (v >> 8) & 0xFF, v & 0xFF));
            COLORREF stored = GetPixel(dc, x, y);
            ppm += static_cast<char>(GetRValue(stored));
            ppm += static_cast<char>(GetGValue(stored));
            ppm += static_cast<char>(GetBValue(stored));
        }
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    ClipboardOwner owner;
    ASSERT_TRUE(owner.Put(CF_BITMAP, bitmap));
    std::string base = std::string(folder) + "\\clipboard_45x31_q1";
    ASSERT_TRUE(SaveClipboardPicture(owner.Window(), (base + ".jpg").c_str(), kClipboardPictureJpeg, 1));
    ASSERT_TRUE(WriteBinary(base + ".ppm", ppm));
    manifest += "clipboard_45x31_q1 23\n";

    ASSERT_TRUE(WriteBinary(std::string(folder) + "\\manifest.txt", manifest));
}
