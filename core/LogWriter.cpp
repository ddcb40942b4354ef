#include "core/LogWriter.h"

#include "core/QuendalApp.h"

namespace {

CString LocalTimeText()
{
    return CTime::GetCurrentTime().Format("%H:%M:%S");
}

void AppendToLog(const char* pszText)
{
    CQuendalApp* app = QuendalApp();
    if (!app || !pszText)
        return;
    CString path = app->GetLogFilePath();
    HANDLE hFile = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    SetFilePointer(hFile, 0, nullptr, FILE_END);
    DWORD len = static_cast<DWORD>(strlen(pszText)), written = 0;
    WriteFile(hFile, pszText, len, &written, nullptr);
    CloseHandle(hFile);
}

} // namespace

void WriteLog(const char* pszText, BOOL bForce)
{
    CQuendalApp* app = QuendalApp();
    if (!app || !(app->m_bCommLog || bForce))
        return;
    AppendToLog(pszText);
}

void WriteLogTime()
{
    AppendToLog(LocalTimeText() + "\r\n\r\n");
}

void WriteLogLine(const char* pszText)
{
    CString line;
    line.Format("%s:%s\r\n", LocalTimeText().GetString(), pszText ? pszText : "");
    AppendToLog(line);
}
