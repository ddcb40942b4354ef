#include "transfer/ReceiveLog.h"

#include <string>
#include <vector>

namespace {

// A tab or line break would shift the columns or split the entry.
CString CleanText(const char* pszText)
{
    CString text(pszText ? pszText : "");
    text.Replace('\t', ' ');
    text.Replace('\r', ' ');
    text.Replace('\n', ' ');
    return text;
}

} // namespace

BOOL CReceiveLog::AddEntry(const char* pszPath, int nLimit, const char* pszAccount, const char* pszResult, int nCount)
{
    if (nLimit < 1 || !pszPath || !*pszPath)
        return FALSE;
    std::vector<std::string> lines;
    CFile in;
    if (in.Open(pszPath, CFile::modeRead | CFile::shareDenyNone)) {
        std::string text;
        char buffer[8192];
        UINT n;
        while ((n = in.Read(buffer, sizeof(buffer))) > 0)
            text.append(buffer, n);
        in.Close();
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find("\r\n", pos);
            if (end == std::string::npos)
                end = text.size();
            if (end > pos)
                lines.push_back(text.substr(pos, end - pos));
            pos = end + 2;
        }
    }
    SYSTEMTIME st;
    GetLocalTime(&st);
    CString entry = FormatString("%04d/%02d/%02d %02d:%02d:%02d\t%s\t%s\t%d", st.wYear, st.wMonth, st.wDay, st.wHour,
                                 st.wMinute, st.wSecond, CleanText(pszAccount).GetString(),
                                 CleanText(pszResult).GetString(), nCount);
    lines.insert(lines.begin(), entry.Str());
    if (static_cast<int>(lines.size()) > nLimit)
        lines.resize(static_cast<size_t>(nLimit));
    std::string out;
    for (const std::string& line : lines)
        out += line + "\r\n";
    CString temp = CString(pszPath) + ".$$$";
    CFile file;
    if (!file.Open(temp, CFile::modeCreate | CFile::modeWrite))
        return FALSE;
    try {
        file.Write(out.data(), static_cast<UINT>(out.size()));
        file.Close();
    } catch (CFileException&) {
        file.Abort();
        DeleteFileA(temp);
        return FALSE;
    }
    return MoveFileExA(temp, pszPath, MOVEFILE_REPLACE_EXISTING) ? TRUE : FALSE;
}
