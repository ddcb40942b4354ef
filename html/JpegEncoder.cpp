#include "html/JpegEncoder.h"

#include "html/JpegErrors.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// Typical Huffman tables of the JPEG standard (Annex K), as BITS (codes of
// each length 1 to 16) and HUFFVAL lists.
const unsigned char kDcLumaBits[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
const unsigned char kDcChromaBits[16] = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
const unsigned char kDcValues[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

const unsigned char kAcLumaBits[16] = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
const unsigned char kAcLumaValues[162] = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71,
    0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72,
    0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37,
    0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59,
    0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3,
    0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3,
    0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2,
    0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

const unsigned char kAcChromaBits[16] = {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};
const unsigned char kAcChromaValues[162] = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22,
    0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1,
    0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36,
    0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58,
    0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a,
    0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba,
    0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda,
    0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

// The standard's example quantisation tables (Annex K, K.1 and K.2), natural order.
const int kLumaQuantStandard[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,  14, 13, 16, 24, 40,  57,
    69, 56, 14, 17, 22,  29,  51,  87,  80, 62, 18, 22, 37,  56,  68,  109, 103, 77, 24, 35, 55,  64,
    81, 104, 113, 92, 49, 64, 78,  87,  103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
const int kChromaQuantStandard[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

struct QuantTables
{
    int ones[64];
    int eights[64];
    int twentyFours[64];
    QuantTables()
    {
        for (int i = 0; i < 64; ++i) {
            ones[i] = 1;
            eights[i] = 8;
            twentyFours[i] = 24;
        }
    }
};
const QuantTables kQuant;

// Natural index of each zigzag position.
const int kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
                         41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
                         30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

const double kAngleUnit = 0.196349540625;
const double kC0 = 0.707106782373095;

const int kDcCodeCount = 12;
const int kAcCodeCount = 162;
const int kAcRunOfSixteen = 151;

// Code lengths and code words, indexed by magnitude category (DC) or by
// run x 10 + size, with 0 for end-of-block and 151 + size for run 15 (AC).
struct HuffmanCodes
{
    int count = 0;
    unsigned char length[kAcCodeCount] = {};
    unsigned short code[kAcCodeCount] = {};
};

int AcIndex(unsigned char symbol)
{
    int run = symbol >> 4;
    int size = symbol & 0x0F;
    if (symbol == 0)
        return 0;
    return run == 15 ? kAcRunOfSixteen + size : run * 10 + size;
}

HuffmanCodes MakeCodes(const unsigned char* bits, const unsigned char* values, int valueCount, bool ac)
{
    HuffmanCodes codes;
    codes.count = ac ? kAcCodeCount : kDcCodeCount;
    unsigned int code = 0;
    int k = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int n = 0; n < bits[length - 1] && k < valueCount; ++n, ++k) {
            int index = ac ? AcIndex(values[k]) : values[k];
            codes.length[index] = static_cast<unsigned char>(length);
            codes.code[index] = static_cast<unsigned short>(code++);
        }
        code <<= 1;
    }
    return codes;
}

const HuffmanCodes& DcCodes(int component)
{
    static const HuffmanCodes luma = MakeCodes(kDcLumaBits, kDcValues, 12, false);
    static const HuffmanCodes chroma = MakeCodes(kDcChromaBits, kDcValues, 12, false);
    return component == 0 ? luma : chroma;
}

const HuffmanCodes& AcCodes(int component)
{
    static const HuffmanCodes luma = MakeCodes(kAcLumaBits, kAcLumaValues, 162, true);
    static const HuffmanCodes chroma = MakeCodes(kAcChromaBits, kAcChromaValues, 162, true);
    return component == 0 ? luma : chroma;
}

int BitCount(int value)
{
    unsigned int v = static_cast<unsigned int>(std::abs(value));
    int bits = 0;
    while (v) {
        ++bits;
        v >>= 1;
    }
    return bits;
}

// The low bits that follow a Huffman code: the value, or value - 1 when negative.
unsigned int MagnitudeBits(int value) { return static_cast<unsigned int>(value < 0 ? value - 1 : value); }

} // namespace

void CJpegEncoder::initialise(int quality, const unsigned char* pRed, const unsigned char* pGreen,
                              const unsigned char* pBlue)
{
    m_red = pRed;
    m_green = pGreen;
    m_blue = pBlue;
    m_quality = (quality == 1 || quality == 2) ? quality : 0;
    switch (m_quality) {
    case 1:
        m_lumaQuant = kQuant.eights;
        m_chromaQuant = kQuant.twentyFours;
        break;
    case 2:
        m_lumaQuant = kLumaQuantStandard;
        m_chromaQuant = kChromaQuantStandard;
        break;
    default:
        m_lumaQuant = kQuant.ones;
        m_chromaQuant = kQuant.ones;
        break;
    }
    m_dcPredictor[0] = m_dcPredictor[1] = m_dcPredictor[2] = 0;
    m_stream.reset();
    for (int u = 0; u < 8; ++u) {
        for (int x = 0; x < 8; ++x)
            m_cos[u][x] = std::cos((2 * x + 1) * u * kAngleUnit);
    }
}

int CJpegEncoder::encode()
{
    m_lastError.clear();
    m_stream.reset();
    try {
        // The frame header holds each size in 16 bits.
        if (m_width <= 0 || m_height <= 0 || m_width > 65535 || m_height > 65535 || !m_red || !m_green || !m_blue)
            throw EIndexError("encode:size");
        const int mcuRows = (m_height + 15) / 16;
        const int mcuColumns = (m_width + 15) / 16;
        long long capacity = 3LL * m_width * m_height;
        if (capacity < 10240)
            capacity = 10240;
        m_stream.reset(new COutBitStream(capacity));
        m_dcPredictor[0] = m_dcPredictor[1] = m_dcPredictor[2] = 0;
        WriteHeaders();
        for (int row = 0; row < mcuRows; ++row) {
            for (int column = 0; column < mcuColumns; ++column) {
                SampleMcu(row, column);
                for (int b = 0; b < 4; ++b)
                    CodeBlock(m_yBlocks[b], 0);
                CodeBlock(m_cbBlock, 1);
                CodeBlock(m_crBlock, 2);
            }
        }
        m_stream->SetByte(0xFF);
        m_stream->SetByte(0xD9);
    } catch (const EJpegError& e) {
        m_lastError = e.Message();
        m_stream.reset();
        return -1;
    }
    return 0;
}

std::vector<unsigned char> CJpegEncoder::TakeOutput()
{
    std::vector<unsigned char> bytes;
    if (m_stream)
        bytes = m_stream->TakeBuffer();
    m_stream.reset();
    return bytes;
}

void CJpegEncoder::WriteHeaders()
{
    COutBitStream& out = *m_stream;
    out.SetWord(0xFFD8);  // SOI

    out.SetWord(0xFFE0);  // APP0, JFIF
    out.SetWord(16);
    static const unsigned char kJfif[5] = {'J', 'F', 'I', 'F', 0};
    out.CopyByte(kJfif, sizeof(kJfif));
    out.SetWord(0x0102);
    out.SetByte(static_cast<unsigned char>(m_densityUnit));
    out.SetWord(static_cast<unsigned int>(m_densityX));
    out.SetWord(static_cast<unsigned int>(m_densityY));
    out.SetByte(0);
    out.SetByte(0);

    if (!m_comment.empty()) {
        // The segment length is 16 bits and counts itself and the zero byte.
        size_t length = m_comment.size() > 65532 ? 65532 : m_comment.size();
        out.SetWord(0xFFFE);
        out.SetWord(static_cast<unsigned int>(length + 3));
        out.CopyByte(reinterpret_cast<const unsigned char*>(m_comment.data()), length);
        out.SetByte(0);
    }

    const int* tables[2] = {m_lumaQuant, m_chromaQuant};
    for (int t = 0; t < 2; ++t) {
        out.SetWord(0xFFDB);
        out.SetWord(67);
        out.SetByte(static_cast<unsigned char>(t));
        for (int k = 0; k < 64; ++k)
            out.SetByte(static_cast<unsigned char>(tables[t][kZigzag[k]]));
    }

    WriteHuffmanTable(0x00, kDcLumaBits, kDcValues, 12);
    WriteHuffmanTable(0x01, kDcChromaBits, kDcValues, 12);
    WriteHuffmanTable(0x10, kAcLumaBits, kAcLumaValues, 162);
    WriteHuffmanTable(0x11, kAcChromaBits, kAcChromaValues, 162);

    out.SetWord(0xFFC0);  // SOF0
    out.SetWord(8 + 3 * 3);
    out.SetByte(8);
    out.SetWord(static_cast<unsigned int>(m_height));
    out.SetWord(static_cast<unsigned int>(m_width));
    out.SetByte(3);
    static const unsigned char kComponents[9] = {0, 0x22, 0, 1, 0x11, 1, 2, 0x11, 1};
    out.CopyByte(kComponents, sizeof(kComponents));

    out.SetWord(0xFFDA);  // SOS
    out.SetWord(6 + 2 * 3);
    out.SetByte(3);
    static const unsigned char kScan[9] = {0, 0x00, 1, 0x11, 2, 0x11, 0, 63, 0};
    out.CopyByte(kScan, sizeof(kScan));
}

void CJpegEncoder::WriteHuffmanTable(int classAndId, const unsigned char* bits, const unsigned char* values,
                                     int valueCount)
{
    m_stream->SetWord(0xFFC4);
    m_stream->SetWord(static_cast<unsigned int>(2 + 1 + 16 + valueCount));
    m_stream->SetByte(static_cast<unsigned char>(classAndId));
    m_stream->CopyByte(bits, 16);
    m_stream->CopyByte(values, static_cast<size_t>(valueCount));
}

void CJpegEncoder::SampleMcu(int mcuRow, int mcuColumn)
{
    int cb[16][16];
    int cr[16][16];
    for (int b = 0; b < 4; ++b) {
        int x0 = 16 * mcuColumn + 8 * (b % 2);
        int y0 = 16 * mcuRow + 8 * (b / 2);
        for (int j = 0; j < 8; ++j) {
            int y = y0 + j < m_height - 1 ? y0 + j : m_height - 1;
            for (int i = 0; i < 8; ++i) {
                int x = x0 + i < m_width - 1 ? x0 + i : m_width - 1;
                size_t at = static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x);
                double r = m_red[at];
                double g = m_green[at];
                double bl = m_blue[at];
                m_yBlocks[b][j * 8 + i] = static_cast<int>(0.587 * g + 0.299 * r + 0.114 * bl - 128);
                int row = 8 * (b / 2) + j;
                int column = 8 * (b % 2) + i;
                cb[row][column] = static_cast<int>(0.5 * bl - (0.1687 * r + 0.3313 * g));
                cr[row][column] = static_cast<int>(0.5 * r - 0.4187 * g - 0.0813 * bl);
            }
        }
    }
    // 4:2:0 by the top-left sample of each 2 x 2 group.
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c) {
            m_cbBlock[r * 8 + c] = cb[2 * r][2 * c];
            m_crBlock[r * 8 + c] = cr[2 * r][2 * c];
        }
    }
}

void CJpegEncoder::CodeBlock(const int* block, int component)
{
    int coefficients[64];
    for (int u = 0; u < 8; ++u) {
        for (int v = 0; v < 8; ++v) {
            double sum = 0;
            for (int x = 0; x < 8; ++x) {
                for (int y = 0; y < 8; ++y)
                    sum += block[x * 8 + y] * m_cos[u][x] * m_cos[v][y];
            }
            double cu = u == 0 ? kC0 : 1.0;
            double cv = v == 0 ? kC0 : 1.0;
            coefficients[u * 8 + v] = static_cast<int>(cu * (cv * sum) * 0.25);
        }
    }
    const int* quant = component == 0 ? m_lumaQuant : m_chromaQuant;
    for (int i = 0; i < 64; ++i)
        coefficients[i] /= quant[i];

    COutBitStream& out = *m_stream;
    const HuffmanCodes& dc = DcCodes(component);
    int diff = coefficients[0] - m_dcPredictor[component];
    m_dcPredictor[component] = coefficients[0];
    int category = BitCount(diff);
    if (category >= dc.count)
        throw EIndexError("CodeHuffman:DC");
    out.SetBits(dc.length[category], dc.code[category]);
    if (category != 0)
        out.SetBits(category, MagnitudeBits(diff));

    const HuffmanCodes& ac = AcCodes(component);
    int run = 0;
    for (int k = 1; k < 64; ++k) {
        int value = coefficients[kZigzag[k]];
        if (value == 0) {
            if (k == 63)
                out.SetBits(ac.length[0], ac.code[0]);
            else
                ++run;
            continue;
        }
        if (run > 15) {
            for (int n = (run - 16) / 16 + 1; n > 0; --n)
                out.SetBits(ac.length[kAcRunOfSixteen], ac.code[kAcRunOfSixteen]);
            run %= 16;
        }
        int size = BitCount(value);
        // Sizes above 10 have no code; without this check they would pick
        // the code of another run.
        int index = run * 10 + size + (run == 15 ? 1 : 0);
        if (size > 10 || index >= ac.count)
            throw EIndexError("CodeHuffman:AC");
        out.SetBits(ac.length[index], ac.code[index]);
        out.SetBits(size, MagnitudeBits(value));
        run = 0;
    }
}
