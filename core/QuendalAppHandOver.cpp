// The application thread's side of hand-over requests that carry a text.
#include "core/QuendalApp.h"

#include "core/AppMessages.h"
#include "mainwnd/MailFileImport.h"
#include "store/MailFolderStore.h"

#include <cstring>
#include <string>

void CQuendalApp::ReleaseHandOverText(LPARAM lParam)
{
    if (lParam && m_pCommThread && m_hCommThread && WaitForSingleObject(m_hCommThread, 0) == WAIT_TIMEOUT)
        m_pCommThread->PostThreadMessage(WM_QD_RELEASE_TEXT, 0, lParam);
}

BOOL CQuendalApp::ImportMailText(const char* pszText)
{
    CMailFolderStore* folder = FindFolder(GetCurrentFolderId());
    if (!folder || !pszText)
        return FALSE;
    // The hand-over ends the text with the end line of the stored form;
    // filing adds its own.
    std::string text = pszText;
    if (text.size() >= 5 && text.compare(text.size() - 5, 5, "\r\n.\r\n") == 0)
        text.resize(text.size() - 3);
    char temp[MAX_PATH + 1] = {}, path[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(sizeof(temp), temp);
    if (!n || n >= sizeof(temp) || !GetTempFileNameA(temp, "$Q$", 0, path))
        return FALSE;
    BOOL filed = FALSE;
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                  written == text.size();
        CloseHandle(h);
        if (ok)
            filed = MailFileImport::AddMailFile(*folder, path, FALSE);
    }
    DeleteFileA(path);
    if (filed)
        ::PostThreadMessageA(m_nThreadID, WM_QD_FOLDER_MAIL_FILED, 0, static_cast<LPARAM>(folder->GetFolderId()));
    return filed;
}
