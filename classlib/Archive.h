// CArchive: binary serialisation of numbers and strings over a CFile.
// Strings are a length prefix (one byte; or 0xFF and a 16-bit length; or
// 0xFF 0xFFFF and a 32-bit length) followed by the bytes.
#pragma once

#include "classlib/File.h"

class CArchive
{
public:
    enum Mode { store = 0, load = 1 };

    CArchive(CFile* pFile, UINT nMode) : m_pFile(pFile), m_nMode(nMode) {}
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return (m_nMode & load) != 0; }
    bool IsStoring() const { return !IsLoading(); }
    CFile* GetFile() const { return m_pFile; }
    void Flush() {}
    void Close() { m_pFile = nullptr; }

    UINT Read(void* lpBuf, UINT nMax);
    void Write(const void* lpBuf, UINT nMax);

    CArchive& operator<<(BYTE b) { Write(&b, 1); return *this; }
    CArchive& operator<<(WORD w) { Write(&w, 2); return *this; }
    CArchive& operator<<(DWORD dw) { Write(&dw, 4); return *this; }
    CArchive& operator<<(int i) { Write(&i, 4); return *this; }
    CArchive& operator<<(LONG l) { Write(&l, 4); return *this; }
    CArchive& operator<<(const CString& s);

    CArchive& operator>>(BYTE& b) { ReadExact(&b, 1); return *this; }
    CArchive& operator>>(WORD& w) { ReadExact(&w, 2); return *this; }
    CArchive& operator>>(DWORD& dw) { ReadExact(&dw, 4); return *this; }
    CArchive& operator>>(int& i) { ReadExact(&i, 4); return *this; }
    CArchive& operator>>(LONG& l) { ReadExact(&l, 4); return *this; }
    CArchive& operator>>(CString& s);

private:
    void ReadExact(void* p, UINT n);

    CFile* m_pFile;
    UINT m_nMode;
};
