#include "addressbook/AddressObjectBlock.h"

#include <cstring>

namespace AddressObjectBlock {

namespace {

void PutField(char* field, const CString& text)
{
    // At most the whole field (a full field has no zero); never half a
    // double-byte character.
    size_t n = 0;
    const char* p = text;
    const size_t len = static_cast<size_t>(text.GetLength());
    while (n < len) {
        size_t step = Mbcs::CharLength(p + n, len - n);
        if (n + step > kFieldSize)
            break;
        n += step;
    }
    std::memcpy(field, p, n);
    if (n < kFieldSize)
        field[n] = '\0';
}

CString GetField(const char* field)
{
    size_t n = 0;
    while (n < kFieldSize && field[n])
        ++n;
    return CString(field, static_cast<int>(n));
}

} // namespace

UINT GetFormat()
{
    static const UINT format = ::RegisterClipboardFormatA("CVMail Address Object");
    return format;
}

HGLOBAL Create(const CAddressData& entry)
{
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, kBlockSize);
    if (!h)
        return nullptr;
    char* p = static_cast<char*>(::GlobalLock(h));
    if (!p) {
        ::GlobalFree(h);
        return nullptr;
    }
    PutField(p, entry.m_strAddress);
    PutField(p + kFieldSize, entry.m_strName);
    PutField(p + 2 * kFieldSize, entry.m_strMemo);
    ::GlobalUnlock(h);
    return h;
}

bool Read(HGLOBAL hBlock, CAddressData& entry)
{
    if (!hBlock || ::GlobalSize(hBlock) < kBlockSize)
        return false;
    const char* p = static_cast<const char*>(::GlobalLock(hBlock));
    if (!p)
        return false;
    entry.m_strAddress = GetField(p);
    entry.m_strName = GetField(p + kFieldSize);
    entry.m_strMemo = GetField(p + 2 * kFieldSize);
    ::GlobalUnlock(hBlock);
    return true;
}

} // namespace AddressObjectBlock
