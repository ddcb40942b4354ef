#include "html/HtmlCharacterReferences.h"

#include <cwchar>
#include <utility>

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
                if (_wcsicmp(name.c_str(), n.first) == 0)
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
