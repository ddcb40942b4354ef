// COutBitStream: the JPEG encoder's output, a fixed-size buffer written bit by
// bit with byte stuffing (a completed 0xFF byte of entropy-coded data is
// followed by 0x00), and byte by byte, unstuffed, for markers and headers.
// No write ever passes the end: it raises EBufferError instead.
#pragma once

#include <cstddef>
#include <vector>

class COutBitStream
{
public:
    // Raises EMemoryError for a capacity of 0 or less, or when the buffer
    // cannot be made.
    explicit COutBitStream(long long capacity);
    COutBitStream(const COutBitStream&) = delete;
    COutBitStream& operator=(const COutBitStream&) = delete;

    // The low nCount bits of value (at most 16), most significant first.
    void SetBits(int nCount, unsigned int value);
    // Markers and header bytes: a partly filled byte is first completed with
    // 1-bits.
    void SetByte(unsigned char byte);
    void SetWord(unsigned int word);  // high byte first
    void CopyByte(const unsigned char* pBytes, size_t nLength);

    const unsigned char* GetBuffer() const { return m_buffer.data(); }
    // Bytes written so far (a partly filled byte not counted).
    size_t GetLength() const { return m_pos; }
    size_t GetCapacity() const { return m_buffer.size(); }
    // Hands the written bytes to the caller; the stream is empty afterwards.
    std::vector<unsigned char> TakeBuffer();

private:
    void PutBits(int nCount, unsigned int value);  // at most 8 bits
    void CompleteByte();
    void FillPartialByte();

    std::vector<unsigned char> m_buffer;  // zero-filled at creation
    size_t m_pos = 0;                     // the byte being filled
    int m_bitPos = 7;                     // next bit to fill; 7 = byte empty
    bool m_writable = true;
};
