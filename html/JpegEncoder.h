// CJpegEncoder: a baseline sequential JPEG encoder with a JFIF header, for
// pictures pasted from the clipboard. Three colour planes in, YCbCr with 4:2:0
// sampling, a floating-point DCT, one of three fixed quantisation levels and
// the typical Huffman tables of the JPEG standard out, into a memory buffer.
#pragma once

#include "html/OutBitStream.h"

#include <memory>
#include <string>
#include <vector>

class CJpegEncoder
{
public:
    CJpegEncoder() = default;
    CJpegEncoder(const CJpegEncoder&) = delete;
    CJpegEncoder& operator=(const CJpegEncoder&) = delete;

    // Quality 0 (every quantiser 1), 1 (8 and 24) or 2 (the standard's
    // example tables); any other value counts as 0. The planes hold width x
    // height samples, rows top to bottom; they stay the caller's.
    void initialise(int quality, const unsigned char* pRed, const unsigned char* pGreen,
                    const unsigned char* pBlue);
    void SetSize(int width, int height) { m_width = width; m_height = height; }
    void SetDensity(int unit, int horizontal, int vertical)
    {
        m_densityUnit = unit;
        m_densityX = horizontal;
        m_densityY = vertical;
    }
    // Written as a comment segment; empty for none.
    void SetComment(const char* pszComment) { m_comment = pszComment ? pszComment : ""; }

    // Writes the whole file into a new output stream: 0 on success, -1 when
    // the output did not fit or a value had no code.
    int encode();
    // The encoded file; the encoder holds no stream afterwards.
    std::vector<unsigned char> TakeOutput();
    // Frees a stream still held.
    void destroy() { m_stream.reset(); }
    // Text of the failure of the last encode, empty after success.
    const std::string& GetLastError() const { return m_lastError; }

private:
    void WriteHeaders();
    void WriteHuffmanTable(int classAndId, const unsigned char* bits, const unsigned char* values, int valueCount);
    void SampleMcu(int mcuRow, int mcuColumn);
    void CodeBlock(const int* block, int component);

    const unsigned char* m_red = nullptr;
    const unsigned char* m_green = nullptr;
    const unsigned char* m_blue = nullptr;
    int m_quality = 0;
    const int* m_lumaQuant = nullptr;
    const int* m_chromaQuant = nullptr;
    double m_cos[8][8] = {};
    int m_width = 0;
    int m_height = 0;
    std::string m_comment;
    int m_densityUnit = 0;
    int m_densityX = 1;
    int m_densityY = 1;
    int m_yBlocks[4][64] = {};
    int m_cbBlock[64] = {};
    int m_crBlock[64] = {};
    int m_dcPredictor[3] = {};
    std::unique_ptr<COutBitStream> m_stream;
    std::string m_lastError;
};
