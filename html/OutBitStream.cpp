#include "html/OutBitStream.h"

#include "html/JpegErrors.h"

#include <new>
#include <stdexcept>

namespace {

unsigned int Mask(int nBits) { return (1u << nBits) - 1; }

} // namespace

COutBitStream::COutBitStream(long long capacity)
{
    if (capacity <= 0)
        throw EMemoryError(capacity, "COutBitStream");
    try {
        m_buffer.assign(static_cast<size_t>(capacity), 0);
    } catch (const std::bad_alloc&) {
        throw EMemoryError(capacity, "COutBitStream");
    } catch (const std::length_error&) {
        throw EMemoryError(capacity, "COutBitStream");
    }
}

void COutBitStream::SetBits(int nCount, unsigned int value)
{
    if (nCount <= 0)
        return;
    if (nCount > 16)
        throw EBufferError("SetBits:Max Bit Over");
    if (nCount > 8) {
        PutBits(nCount - 8, value >> 8);
        PutBits(8, value & 0xFF);
    } else {
        PutBits(nCount, value);
    }
}

void COutBitStream::PutBits(int nCount, unsigned int value)
{
    if (!m_writable)
        throw EBufferError("SetBits");
    value &= Mask(nCount);
    int room = m_bitPos + 1;
    if (nCount <= room) {
        m_buffer[m_pos] |= static_cast<unsigned char>(value << (room - nCount));
        m_bitPos -= nCount;
        if (m_bitPos < 0)
            CompleteByte();
        return;
    }
    int rest = nCount - room;
    m_buffer[m_pos] |= static_cast<unsigned char>(value >> rest);
    CompleteByte();
    if (!m_writable)
        throw EBufferError("SetBits");
    m_buffer[m_pos] |= static_cast<unsigned char>((value & Mask(rest)) << (8 - rest));
    m_bitPos = 7 - rest;
}

void COutBitStream::CompleteByte()
{
    bool stuff = m_buffer[m_pos] == 0xFF;
    ++m_pos;
    m_bitPos = 7;
    if (stuff) {
        if (m_pos >= m_buffer.size()) {
            m_writable = false;
            throw EBufferError("SetBits");
        }
        m_buffer[m_pos++] = 0x00;
    }
    if (m_pos >= m_buffer.size())
        m_writable = false;
}

void COutBitStream::FillPartialByte()
{
    if (m_bitPos != 7)
        SetBits(m_bitPos + 1, Mask(m_bitPos + 1));
}

void COutBitStream::SetByte(unsigned char byte)
{
    FillPartialByte();
    if (!m_writable)
        throw EBufferError("SetByte");
    m_buffer[m_pos++] = byte;
    if (m_pos >= m_buffer.size())
        m_writable = false;
}

void COutBitStream::SetWord(unsigned int word)
{
    FillPartialByte();
    if (!m_writable || m_buffer.size() - m_pos < 2)
        throw EBufferError("SetWord");
    m_buffer[m_pos++] = static_cast<unsigned char>((word >> 8) & 0xFF);
    m_buffer[m_pos++] = static_cast<unsigned char>(word & 0xFF);
    if (m_pos >= m_buffer.size())
        m_writable = false;
}

void COutBitStream::CopyByte(const unsigned char* pBytes, size_t nLength)
{
    FillPartialByte();
    if (!m_writable || nLength >= m_buffer.size() - m_pos)
        throw EBufferError("CopyByte");
    for (size_t i = 0; i < nLength; ++i)
        m_buffer[m_pos++] = pBytes[i];
}

std::vector<unsigned char> COutBitStream::TakeBuffer()
{
    std::vector<unsigned char> bytes(std::move(m_buffer));
    bytes.resize(m_pos);
    m_buffer.clear();
    m_pos = 0;
    m_bitPos = 7;
    m_writable = false;
    return bytes;
}
