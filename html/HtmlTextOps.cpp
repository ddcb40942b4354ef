#include "html/HtmlTextOps.h"

#include <cstring>
#include <string>

CString ToNarrowWithReferences(const wchar_t* pszText)
{
    std::string out;
    if (pszText) {
        for (const wchar_t* p = pszText; *p; ++p) {
            if (*p <= 126) {
                out += static_cast<char>(*p);
            } else {
                char ref[16];
                snprintf(ref, sizeof(ref), "&#x%04X;", static_cast<unsigned>(*p));
                out += ref;
            }
        }
    }
    return CString(out.c_str());
}

CString UnwrapTag(const char* pszText, const char* pszTag)
{
    CString text(pszText ? pszText : "");
    text.Trim(" \t\r\n");
    CString open = CString("<") + pszTag;
    CString close = CString("</") + pszTag + ">";
    int length = text.GetLength();
    if (length < open.GetLength() + close.GetLength() || _strnicmp(text, open, open.GetLength()) != 0 ||
        _stricmp(text.GetString() + length - close.GetLength(), close) != 0)
        return text;
    int start = text.Find('>', open.GetLength() - 1);
    int end = length - close.GetLength();
    if (start < 0 || start + 1 > end)
        return text;
    return text.Mid(start + 1, end - start - 1);
}

CString StripAffix(const char* pszText, const char* pszAffix, bool bAtEnd)
{
    CString text(pszText ? pszText : "");
    size_t n = pszAffix ? strlen(pszAffix) : 0;
    size_t length = static_cast<size_t>(text.GetLength());
    if (n == 0 || length == 0 || length < n)
        return text;
    if (bAtEnd) {
        if (_stricmp(text.GetString() + length - n, pszAffix) == 0)
            return text.Left(static_cast<int>(length - n));
    } else if (_strnicmp(text, pszAffix, n) == 0) {
        return text.Mid(static_cast<int>(n));
    }
    return text;
}

CString VariantToText(const VARIANT& value)
{
    switch (value.vt) {
    case VT_I4: {
        CString text;
        text.Format("%d", static_cast<int>(value.lVal));
        return text;
    }
    case VT_BOOL: {
        CString text;
        text.Format("%d", static_cast<int>(value.boolVal));
        return text;
    }
    case VT_BSTR:
        return value.bstrVal ? CString(static_cast<const wchar_t*>(value.bstrVal)) : CString();
    default:
        return CString();
    }
}
