// The three failures of the JPEG encoder. They never leave it: the encoder's
// entry catches them and answers -1.
#pragma once

#include <string>

class EJpegError
{
public:
    explicit EJpegError(const char* pszMessage) : m_message(pszMessage) {}
    virtual ~EJpegError() = default;
    const std::string& Message() const { return m_message; }

private:
    std::string m_message;
};

// The output buffer could not be made; carries the capacity asked for.
class EMemoryError : public EJpegError
{
public:
    EMemoryError(long long capacity, const char* pszWhere) : EJpegError(pszWhere), m_capacity(capacity) {}
    long long Capacity() const { return m_capacity; }

private:
    long long m_capacity;
};

// A write that would pass the end of the output buffer, or a bit count over 16.
class EBufferError : public EJpegError
{
public:
    explicit EBufferError(const char* pszWhere) : EJpegError(pszWhere) {}
};

// A value that no Huffman code of the tables covers.
class EIndexError : public EJpegError
{
public:
    explicit EIndexError(const char* pszWhere) : EJpegError(pszWhere) {}
};
