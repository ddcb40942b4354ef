#include "html/JpegEncoder.h"
#include "html/JpegErrors.h"
#include "html/OutBitStream.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes Written(COutBitStream& out) { return Bytes(out.GetBuffer(), out.GetBuffer() + out.GetLength()); }

// A picture as three planes, made from a function of (x, y) giving 0xRRGGBB.
struct Picture
{
    int width = 0, height = 0;
    Bytes red, green, blue;
    Picture(int w, int h, const std::function<unsigned(int, int)>& colour) : width(w), height(h)
    {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                unsigned c = colour(x, y);
                red.push_back(static_cast<unsigned char>(c >> 16));
                green.push_back(static_cast<unsigned char>(c >> 8));
                blue.push_back(static_cast<unsigned char>(c));
            }
        }
    }
};

unsigned Grey(int v) { return static_cast<unsigned>(v) * 0x010101u; }

int Encode(const Picture& p, int quality, Bytes& jpeg, const char* comment = "this is test data")
{
    CJpegEncoder encoder;
    encoder.initialise(quality, p.red.data(), p.green.data(), p.blue.data());
    encoder.SetSize(p.width, p.height);
    encoder.SetDensity(1, 72, 72);
    encoder.SetComment(comment);
    int result = encoder.encode();
    jpeg = encoder.TakeOutput();
    return result;
}

// Marker segments from SOI up to and including SOS, as (marker, body).
struct Segment
{
    int marker;
    Bytes body;
};

std::vector<Segment> Segments(const Bytes& jpeg, size_t& scanStart)
{
    std::vector<Segment> segments;
    size_t i = 2;
    while (i + 4 <= jpeg.size() && jpeg[i] == 0xFF) {
        int marker = jpeg[i + 1];
        size_t length = static_cast<size_t>(jpeg[i + 2] << 8 | jpeg[i + 3]);
        segments.push_back({marker, Bytes(jpeg.begin() + i + 4, jpeg.begin() + i + 2 + length)});
        i += 2 + length;
        if (marker == 0xDA)
            break;
    }
    scanStart = i;
    return segments;
}

} // namespace

TEST(OutBitStream, BitsPackedAndStuffed)
{
    const struct
    {
        std::vector<std::pair<int, unsigned>> bits;
        Bytes expected;
    } cases[] = {
        {{{3, 0x5}, {5, 0x1F}}, {0xBF}},
        {{{16, 0xABCD}}, {0xAB, 0xCD}},
        {{{12, 0xABC}, {4, 0xD}}, {0xAB, 0xCD}},
        {{{0, 0x1}, {8, 0x12}}, {0x12}},
        // A completed 0xFF byte of coded data is followed by 0x00.
        {{{8, 0xFF}}, {0xFF, 0x00}},
        {{{4, 0xF}, {8, 0xFF}, {4, 0xF}}, {0xFF, 0x00, 0xFF, 0x00}},
        {{{6, 0x3F}, {3, 0x7}}, {0xFF, 0x00}},  // the partial ninth bit is not counted yet
        // Bits above the count are ignored.
        {{{4, 0xF3}, {4, 0x0}}, {0x30}},
    };
    for (const auto& c : cases) {
        COutBitStream out(16);
        for (const auto& b : c.bits)
            out.SetBits(b.first, b.second);
        EXPECT_EQ(Written(out), c.expected);
    }
}

TEST(OutBitStream, MarkersCompleteTheByteWithOnesAndAreNotStuffed)
{
    COutBitStream out(16);
    out.SetBits(3, 0);
    out.SetByte(0xFF);
    out.SetByte(0xD9);
    EXPECT_EQ(Written(out), (Bytes{0x1F, 0xFF, 0xD9}));

    // Padding that makes 0xFF is stuffed; the marker after it is not.
    COutBitStream padded(16);
    padded.SetBits(1, 1);
    padded.SetWord(0xFFD9);
    const unsigned char tail[2] = {0xFF, 0xFF};
    padded.CopyByte(tail, 2);
    EXPECT_EQ(Written(padded), (Bytes{0xFF, 0x00, 0xFF, 0xD9, 0xFF, 0xFF}));
}

TEST(OutBitStream, NothingIsWrittenPastTheEnd)
{
    EXPECT_THROW(COutBitStream(0), EMemoryError);
    EXPECT_THROW(COutBitStream(-5), EMemoryError);
    EXPECT_THROW(COutBitStream(16).SetBits(17, 0), EBufferError);

    COutBitStream full(2);
    full.SetBits(16, 0x1234);
    EXPECT_THROW(full.SetBits(1, 1), EBufferError);
    EXPECT_THROW(full.SetByte(0xD9), EBufferError);
    EXPECT_EQ(full.GetLength(), 2u);

    // The stuffed zero needs room of its own.
    COutBitStream noRoomForStuffing(1);
    EXPECT_THROW(noRoomForStuffing.SetBits(8, 0xFF), EBufferError);
    COutBitStream exact(2);
    exact.SetBits(8, 0xFF);
    EXPECT_EQ(Written(exact), (Bytes{0xFF, 0x00}));

    COutBitStream word(3);
    word.SetByte(1);
    word.SetByte(2);
    EXPECT_THROW(word.SetWord(0xFFD9), EBufferError);
    const unsigned char three[3] = {1, 2, 3};
    EXPECT_THROW(COutBitStream(3).CopyByte(three, 3), EBufferError);
}

TEST(JpegEncoder, HeadersOfAOnePixelPicture)
{
    Picture pixel(1, 1, [](int, int) { return 0x336699u; });
    Bytes jpeg;
    ASSERT_EQ(Encode(pixel, 2, jpeg), 0);
    const Bytes start = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01, 0x02,
                         0x01, 0x00, 0x48, 0x00, 0x48, 0x00, 0x00};
    ASSERT_GT(jpeg.size(), start.size());
    EXPECT_EQ(Bytes(jpeg.begin(), jpeg.begin() + start.size()), start);
    EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);

    size_t scan = 0;
    std::vector<Segment> segments = Segments(jpeg, scan);
    const int order[] = {0xE0, 0xFE, 0xDB, 0xDB, 0xC4, 0xC4, 0xC4, 0xC4, 0xC0, 0xDA};
    ASSERT_EQ(segments.size(), sizeof(order) / sizeof(order[0]));
    for (size_t i = 0; i < segments.size(); ++i)
        EXPECT_EQ(segments[i].marker, order[i]) << i;
    EXPECT_EQ(std::string(segments[1].body.begin(), segments[1].body.end()), std::string("this is test data", 18));
    // Quantisation tables in zigzag order: the standard's example at quality 2.
    EXPECT_EQ(segments[2].body.size(), 65u);
    EXPECT_EQ(Bytes(segments[2].body.begin(), segments[2].body.begin() + 9),
              (Bytes{0, 16, 11, 12, 14, 12, 10, 16, 14}));
    EXPECT_EQ(segments[3].body[0], 1);
    EXPECT_EQ(segments[3].body[1], 17);
    EXPECT_EQ(segments[3].body[64], 99);
    const int huffman[4][2] = {{0x00, 29}, {0x01, 29}, {0x10, 179}, {0x11, 179}};
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(segments[4 + t].body[0], huffman[t][0]);
        EXPECT_EQ(static_cast<int>(segments[4 + t].body.size()), huffman[t][1]);
    }
    // Component identifiers 0, 1, 2: Y sampled 2 x 2 with table 0, chroma 1 x 1 with table 1.
    EXPECT_EQ(segments[8].body, (Bytes{8, 0, 1, 0, 1, 3, 0, 0x22, 0, 1, 0x11, 1, 2, 0x11, 1}));
    EXPECT_EQ(segments[9].body, (Bytes{3, 0, 0x00, 1, 0x11, 2, 0x11, 0, 63, 0}));

    // In the coded data every 0xFF is stuffed; the only marker is EOI.
    for (size_t i = scan; i + 2 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF) {
            EXPECT_EQ(jpeg[i + 1], 0x00) << i;
            ++i;
        }
    }

    // Without a comment there is no comment segment.
    ASSERT_EQ(Encode(pixel, 2, jpeg, ""), 0);
    EXPECT_EQ(Segments(jpeg, scan)[1].marker, 0xDB);
}

TEST(JpegEncoder, QualityChoosesTheQuantisers)
{
    Picture pixel(3, 3, [](int x, int y) { return Grey(40 * x + 20 * y); });
    const struct
    {
        int quality;
        int luma, chroma;  // every entry
    } cases[] = {{0, 1, 1}, {1, 8, 24}, {5, 1, 1}, {-1, 1, 1}};
    for (const auto& c : cases) {
        Bytes jpeg;
        ASSERT_EQ(Encode(pixel, c.quality, jpeg), 0);
        size_t scan = 0;
        std::vector<Segment> segments = Segments(jpeg, scan);
        for (int k = 1; k <= 64; ++k) {
            EXPECT_EQ(segments[2].body[k], c.luma) << c.quality;
            EXPECT_EQ(segments[3].body[k], c.chroma) << c.quality;
        }
    }
}

TEST(JpegEncoder, RefusesWhatItCannotWrite)
{
    Bytes jpeg;
    Picture empty(0, 0, [](int, int) { return 0u; });
    EXPECT_EQ(Encode(empty, 0, jpeg), -1);
    EXPECT_TRUE(jpeg.empty());

    // The frame header has 16 bits for each size.
    Bytes row(70000, 0x80);
    CJpegEncoder encoder;
    encoder.initialise(0, row.data(), row.data(), row.data());
    encoder.SetSize(70000, 1);
    EXPECT_EQ(encoder.encode(), -1);
    EXPECT_FALSE(encoder.GetLastError().empty());
    EXPECT_TRUE(encoder.TakeOutput().empty());
}
