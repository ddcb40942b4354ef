#include "classlib/StdioFile.h"

#include <algorithm>
#include <cstring>

CStdioFile::CStdioFile(const char* pszFileName, UINT nOpenFlags)
{
    CFileException e;
    if (!Open(pszFileName, nOpenFlags, &e))
        throw e;
}

BOOL CStdioFile::Open(const char* pszFileName, UINT nOpenFlags, CFileException* pError)
{
    m_text = (nOpenFlags & typeBinary) == 0;
    m_pos = m_len = 0;
    return CFile::Open(pszFileName, nOpenFlags & ~static_cast<UINT>(typeText | typeBinary), pError);
}

void CStdioFile::Close()
{
    DropBuffer();
    CFile::Close();
}

void CStdioFile::Abort()
{
    m_pos = m_len = 0;
    CFile::Abort();
}

bool CStdioFile::FillBuffer()
{
    if (m_buf.empty())
        m_buf.resize(64 * 1024);
    m_pos = 0;
    m_len = CFile::Read(m_buf.data(), static_cast<UINT>(m_buf.size()));
    return m_len > 0;
}

void CStdioFile::DropBuffer()
{
    // Give the unread part of the read-ahead back to the file position.
    if (m_len > m_pos && IsOpen())
        CFile::Seek(-static_cast<LONGLONG>(m_len - m_pos), current);
    m_pos = m_len = 0;
}

BOOL CStdioFile::ReadString(CString& rString)
{
    std::string line;
    for (;;) {
        if (m_pos >= m_len && !FillBuffer())
            break;
        const char* start = m_buf.data() + m_pos;
        const char* nl = static_cast<const char*>(std::memchr(start, '\n', m_len - m_pos));
        if (!nl) {
            line.append(start, m_len - m_pos);
            m_pos = m_len;
            continue;
        }
        line.append(start, static_cast<size_t>(nl - start));
        m_pos += static_cast<size_t>(nl - start) + 1;
        if (m_text && !line.empty() && line.back() == '\r')
            line.pop_back();
        rString = CString(line);
        return TRUE;
    }
    if (m_text && !line.empty() && line.back() == '\r')
        line.pop_back();
    rString = CString(line);
    return line.empty() ? FALSE : TRUE;
}

void CStdioFile::WriteString(const char* psz)
{
    if (!psz)
        return;
    if (!m_text) {
        Write(psz, static_cast<UINT>(std::strlen(psz)));
        return;
    }
    std::string out;
    for (const char* p = psz; *p; ++p) {
        if (*p == '\n')
            out += '\r';
        out += *p;
    }
    Write(out.data(), static_cast<UINT>(out.size()));
}

UINT CStdioFile::Read(void* lpBuf, UINT nCount)
{
    UINT done = 0;
    char* out = static_cast<char*>(lpBuf);
    if (m_pos < m_len) {
        size_t n = std::min<size_t>(nCount, m_len - m_pos);
        std::memcpy(out, m_buf.data() + m_pos, n);
        m_pos += n;
        done = static_cast<UINT>(n);
    }
    if (done < nCount)
        done += CFile::Read(out + done, nCount - done);
    return done;
}

void CStdioFile::Write(const void* lpBuf, UINT nCount)
{
    DropBuffer();
    CFile::Write(lpBuf, nCount);
}

ULONGLONG CStdioFile::Seek(LONGLONG lOff, UINT nFrom)
{
    DropBuffer();
    return CFile::Seek(lOff, nFrom);
}

ULONGLONG CStdioFile::GetPosition() const
{
    return CFile::GetPosition() - (m_len - m_pos);
}

void CStdioFile::Flush()
{
    DropBuffer();
    CFile::Flush();
}
