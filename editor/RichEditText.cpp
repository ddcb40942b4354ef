#include "editor/RichEditText.h"

#include <richedit.h>

#include <cstring>
#include <string>

CString GetRichEditText(HWND hEdit)
{
    GETTEXTLENGTHEX length = {GTL_USECRLF | GTL_PRECISE | GTL_NUMBYTES, 932};
    LRESULT bytes = ::SendMessageA(hEdit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    if (bytes < 0)
        bytes = 0;
    // Room for every character as two bytes and every line end as two.
    std::string buffer(static_cast<size_t>(bytes) * 2 + 16, '\0');
    GETTEXTEX get = {};
    get.cb = static_cast<DWORD>(buffer.size());
    get.flags = GT_USECRLF;
    get.codepage = 932;
    ::SendMessageA(hEdit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(&buffer[0]));
    buffer.resize(strlen(buffer.c_str()));
    std::string out;
    out.reserve(buffer.size() + 16);
    for (size_t i = 0; i < buffer.size(); ++i) {
        out += buffer[i];
        if (buffer[i] == '\r' && (i + 1 >= buffer.size() || buffer[i + 1] != '\n'))
            out += '\n';
    }
    return CString(out);
}
