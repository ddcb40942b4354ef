#include "editor/EditTextSearch.h"

#include <windows.h>

namespace {

wchar_t Fold(wchar_t c)
{
    return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharLowerW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
}

} // namespace

int FindInText(const std::wstring& text, const std::wstring& what, int nFrom, bool bMatchCase)
{
    if (what.empty() || nFrom < 0 || static_cast<size_t>(nFrom) > text.size())
        return -1;
    if (bMatchCase) {
        size_t at = text.find(what, static_cast<size_t>(nFrom));
        return at == std::wstring::npos ? -1 : static_cast<int>(at);
    }
    for (size_t i = static_cast<size_t>(nFrom); i + what.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < what.size() && Fold(text[i + k]) == Fold(what[k]))
            ++k;
        if (k == what.size())
            return static_cast<int>(i);
    }
    return -1;
}

int ReplaceAllInText(std::wstring& text, const std::wstring& what, const std::wstring& with, int nFrom,
                     bool bMatchCase)
{
    int count = 0;
    int at = FindInText(text, what, nFrom, bMatchCase);
    while (at >= 0) {
        text.replace(static_cast<size_t>(at), what.size(), with);
        ++count;
        at = FindInText(text, what, at + static_cast<int>(with.size()), bMatchCase);
    }
    return count ? count : -1;
}
