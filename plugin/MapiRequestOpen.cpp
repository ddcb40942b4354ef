#include "plugin/MapiRequestOpen.h"

#include "core/AccountDataSet.h"
#include "core/FileUtil.h"
#include "core/HeldFile.h"
#include "core/QuendalApp.h"
#include "editor/MailEditThread.h"
#include "resources/resource.h"
#include "store/MailEditRequest.h"

namespace {

// A request file is small; anything far larger is not one of ours.
const size_t kMaxRequestBytes = 64 * 1024 * 1024;

} // namespace

bool IsMapiCopy(const CHeldFile& file, const std::string& tempFolder)
{
    std::string held = file.GetFinalPath().Str();
    std::string temp = tempFolder.empty() ? std::string() : GetResolvedPath(tempFolder.c_str()).Str();
    if (held.empty() || temp.empty())
        return false;
    if (temp.back() != '\\')
        temp += '\\';
    // Both paths come normalised from the file system, so an exact match:
    // ignoring case would fold the trail bytes of double-byte characters.
    if (held.size() <= temp.size() || held.compare(0, temp.size(), temp) != 0)
        return false;
    // What is left is "$$F...\name": one separator, outside double-byte
    // characters, with something on both sides.
    std::string rest = held.substr(temp.size());
    if (rest.compare(0, 3, "$$F") != 0)
        return false;
    size_t separators = 0, last = 0;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(rest[i])) && i + 1 < rest.size()) {
            ++i;
            continue;
        }
        if (rest[i] == '\\' || rest[i] == '/') {
            ++separators;
            last = i;
        }
    }
    return separators == 1 && last + 1 < rest.size();
}

std::string TakeMapiCopy(CHeldFile& library, const std::string& ownFolder)
{
    const std::string libraryPath = library.GetFinalPath().Str();
    std::string folder = ownFolder.empty() || libraryPath.empty() ? std::string() : MakeUniqueFolder(ownFolder);
    if (folder.empty())
        return std::string();
    std::string copy = folder + GetFileNameFromPath(libraryPath.c_str()).Str();
    if (!library.CopyTo(copy.c_str())) {
        RemoveDirectoryA(folder.c_str());
        return std::string();
    }
    library.Delete();
    library.Close();
    // Only an emptied folder goes; a link put in its place is no folder of
    // the library's and stays.
    RemoveEmptyCopyFolder(libraryPath);
    CString resolved = GetResolvedPath(copy.c_str());
    return resolved.IsEmpty() ? copy : std::string(resolved.Str());
}

void BuildMapiEditRequest(const MapiMailRequest& mapi, const std::string& ownFolder, CMailEditRequest& request)
{
    request.m_nMode = -1;
    request.m_bSetAddress = TRUE;
    request.m_strTo = CMailEditRequest::CleanHeaderValue(mapi.to.c_str());
    request.m_strCc = CMailEditRequest::CleanHeaderValue(mapi.cc.c_str());
    request.m_strBcc = CMailEditRequest::CleanHeaderValue(mapi.bcc.c_str());
    request.m_strSubject = CMailEditRequest::CleanHeaderValue(mapi.subject.c_str());
    request.m_strBody = mapi.body.c_str();
    // The library's copies are taken into folders of the client's own at
    // once: what the mail sends and what the editor deletes afterwards is
    // that copy, whatever the library's folders turn into meanwhile. Any
    // other file a request names is attached as it is and never deleted.
    std::string temp = MapiTempFolder();
    for (const std::string& a : mapi.attachments) {
        CHeldFile held;
        if (held.Open(a.c_str()) && IsMapiCopy(held, temp)) {
            // A copy that cannot be taken is left out rather than sent
            // from the library's folder.
            std::string own = TakeMapiCopy(held, ownFolder);
            if (!own.empty())
                request.m_tempAttachFiles.Add(own.c_str());
            continue;
        }
        held.Close();
        if (FileExists(a.c_str()))
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
    BuildMapiEditRequest(mapi, app->GetSendTempPath().Str(), request);
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
    // Any process can queue a path; a request file the library did not
    // write in a folder of its own is neither read nor deleted. The file is
    // checked, read and deleted through one handle.
    CHeldFile file;
    std::string text;
    MapiMailRequest mapi;
    if (!pszPath || !file.Open(pszPath) || !IsMapiCopy(file, MapiTempFolder()))
        return false;
    if (!file.ReadAll(text, kMaxRequestBytes) || !ParseMapiRequest(text, mapi))
        return false;
    const std::string held = file.GetFinalPath().Str();
    file.Delete();
    file.Close();
    RemoveEmptyCopyFolder(held);
    return OpenMailWindow(mapi);
}
