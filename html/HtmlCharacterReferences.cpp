#include "html/HtmlCharacterReferences.h"

#include <cwchar>
#include <cwctype>
#include <utility>

namespace {

bool SameNameNoCase(const std::wstring& a, const wchar_t* b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towupper(a[i]) != std::towupper(b[i]))
            return false;
    return i == a.size() && !b[i];
}

} // namespace

std::wstring DecodeCharacterReferences(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'&') {
            out += text[i];
            continue;
        }
        size_t end = text.find(L';', i);
        if (end == std::wstring::npos || end - i > 10) {
            out += text[i];
            continue;
        }
        std::wstring name = text.substr(i + 1, end - i - 1);
        wchar_t c = 0;
        if (name.size() > 1 && name[0] == L'#') {
            bool hex = name[1] == L'x' || name[1] == L'X';
            c = static_cast<wchar_t>(wcstoul(name.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10));
        } else {
            static const std::pair<const wchar_t*, wchar_t> kNamed[] = {
                { L"nbsp", 0xA0 }, { L"amp", L'&' }, { L"lt", L'<' }, { L"gt", L'>' }, { L"quot", L'"' }
            };
            for (const auto& n : kNamed)
                if (SameNameNoCase(name, n.first))
                    c = n.second;
        }
        if (!c) {
            out += text[i];
            continue;
        }
        out += c;
        i = end;
    }
    return out;
}
