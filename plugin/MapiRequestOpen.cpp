#include "plugin/MapiRequestOpen.h"

#include "core/AccountDataSet.h"
#include "core/QuendalApp.h"
#include "editor/MailEditThread.h"
#include "resources/resource.h"
#include "store/MailEditRequest.h"

#include <fstream>
#include <sstream>

namespace {

// A request file is small; anything far larger is not one of ours.
const std::streamoff kMaxRequestBytes = 64 * 1024 * 1024;

bool ReadRequestFile(const char* pszPath, std::string& text)
{
    std::ifstream in(pszPath, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0 || size > kMaxRequestBytes)
        return false;
    in.seekg(0);
    text.assign(static_cast<size_t>(size), '\0');
    return static_cast<bool>(in.read(&text[0], size)) || size == 0;
}

bool IsExistingFile(const std::string& path)
{
    DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

void BuildMapiEditRequest(const MapiMailRequest& mapi, CMailEditRequest& request)
{
    request.m_nMode = -1;
    request.m_bSetAddress = TRUE;
    request.m_strTo = CMailEditRequest::CleanHeaderValue(mapi.to.c_str());
    request.m_strCc = CMailEditRequest::CleanHeaderValue(mapi.cc.c_str());
    request.m_strBcc = CMailEditRequest::CleanHeaderValue(mapi.bcc.c_str());
    request.m_strSubject = CMailEditRequest::CleanHeaderValue(mapi.subject.c_str());
    request.m_strBody = mapi.body.c_str();
    // Only the library's own copies go with the mail; any other file a
    // request names is attached as it is and never deleted.
    std::string temp = MapiTempFolder();
    for (const std::string& a : mapi.attachments) {
        if (IsMapiCopyPath(a, temp))
            request.m_tempAttachFiles.Add(a.c_str());
        else if (IsExistingFile(a))
            request.m_attachFiles.Add(a.c_str());
    }
}

namespace {

bool OpenMailWindow(const MapiMailRequest& mapi)
{
    CQuendalApp* app = QuendalApp();
    if (!app || !app->m_pAccountDataSet)
        return false;
    if (!app->m_pAccountDataSet->IsLoaded()) {
        app->m_pAccountDataSet->SetFilePath(app->GetAccountFilePath());
        app->m_pAccountDataSet->ReadFromFile(TRUE);
    }
    if (app->m_pAccountDataSet->GetRecordCount(TRUE) == 0) {
        AfxMessageBox(IDS_NEED_ACCOUNT, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    MailEditorHooks& hooks = GetMailEditorHooks();
    if (!hooks.pfnStartEditor)
        InstallMailEditorHooks();
    CMailEditRequest request;
    BuildMapiEditRequest(mapi, request);
    return hooks.pfnStartEditor && hooks.pfnStartEditor(request);
}

} // namespace

bool OpenMapiRequestText(const char* pszText)
{
    MapiMailRequest mapi;
    if (!pszText || !ParseMapiRequest(pszText, mapi))
        return false;
    // Handed over in the block itself: nothing vouches for files it names.
    mapi.attachments.clear();
    return OpenMailWindow(mapi);
}

bool OpenMapiRequestFile(const char* pszPath)
{
    std::string text;
    MapiMailRequest mapi;
    // Any process can queue a path; a request file the library did not
    // write in a folder of its own is neither read nor deleted.
    if (!pszPath || !IsMapiCopyPath(pszPath, MapiTempFolder()))
        return false;
    if (!ReadRequestFile(pszPath, text) || !ParseMapiRequest(text, mapi))
        return false;
    DeleteFileA(pszPath);
    RemoveEmptyCopyFolder(pszPath);
    return OpenMailWindow(mapi);
}
