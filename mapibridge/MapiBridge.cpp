#include "mapibridge/MapiBridge.h"

#include "plugin/SharedMemory.h"

#include <shellapi.h>

#include <cstring>
#include <vector>

namespace {

const UINT kHandOverMessage = 1494;
const DWORD kClientWait = 180000;

// The place after the last folder separator; the trail byte of a Shift_JIS
// character may be a backslash and is no separator.
size_t NameStart(const std::string& path)
{
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (path[i] == '\\' || path[i] == '/' || path[i] == ':')
            start = i + 1;
    }
    return start;
}

std::string FileNamePart(const char* pszPath)
{
    std::string path = pszPath ? pszPath : "";
    return path.substr(NameStart(path));
}

bool IsExistingFile(const char* pszPath)
{
    DWORD attr = GetFileAttributesA(pszPath);
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

extern "C" IMAGE_DOS_HEADER __ImageBase;

// The client's window in front of the caller's, which may give it the
// foreground while it has it.
void BringToFront(HWND hClient)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hClient, &pid);
    if (pid)
        AllowSetForegroundWindow(pid);
    SetForegroundWindow(hClient);
}

// The wait cursor while it lives.
class WaitCursor
{
public:
    WaitCursor() : m_old(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { SetCursor(m_old); }

private:
    HCURSOR m_old;
};

} // namespace

ULONG CMapiBridge::PrepareRequest(const MapiMessage* pMessage, const std::string& tempFolder, MapiMailRequest& request,
                                  std::string& strFolder)
{
    request = MapiMailRequest();
    if (!pMessage)
        return MAPI_E_INVALID_MESSAGE;
    if (pMessage->nRecipCount && !pMessage->lpRecips)
        return MAPI_E_INVALID_RECIPS;
    try {
        for (ULONG i = 0; i < pMessage->nRecipCount; ++i) {
            const MapiRecipDesc& r = pMessage->lpRecips[i];
            std::string one = FormatMapiRecipient(r.lpszName, r.lpszAddress);
            switch (r.ulRecipClass) {
            case MAPI_CC: AppendMapiRecipient(request.cc, one); break;
            case MAPI_BCC: AppendMapiRecipient(request.bcc, one); break;
            // Every other class, the originator too, is a recipient of To.
            default: AppendMapiRecipient(request.to, one); break;
            }
        }
        request.subject = pMessage->lpszSubject ? pMessage->lpszSubject : "";
        request.body = pMessage->lpszNoteText ? pMessage->lpszNoteText : "";
    } catch (...) {
        // The mail opens with what was collected.
        MessageBoxA(nullptr, "QdMapi Error 1", "MAPISendMail", MB_OK);
    }

    strFolder = MakeUniqueFolder(tempFolder);
    if (strFolder.empty())
        return MAPI_E_FAILURE;
    ULONG result = SUCCESS_SUCCESS;
    try {
        result = CopyAttachments(pMessage, tempFolder, request.attachments);
    } catch (...) {
        // The mail opens with the copies made so far.
        MessageBoxA(nullptr, "QdMapi Error 2", "MAPISendMail", MB_OK);
    }
    if (result != SUCCESS_SUCCESS) {
        // Nothing of a refused send stays behind.
        for (const std::string& copy : request.attachments)
            RemoveCopy(copy);
        request.attachments.clear();
        RemoveDirectoryA(strFolder.c_str());
        strFolder.clear();
    }
    return result;
}

ULONG CMapiBridge::CopyAttachments(const MapiMessage* pMessage, const std::string& tempFolder,
                                   std::vector<std::string>& copies)
{
    if (pMessage->nFileCount && !pMessage->lpFiles)
        return MAPI_E_ATTACHMENT_NOT_FOUND;
    for (ULONG i = 0; i < pMessage->nFileCount; ++i) {
        const MapiFileDesc& f = pMessage->lpFiles[i];
        if (!f.lpszPathName || !IsExistingFile(f.lpszPathName))
            return MAPI_E_ATTACHMENT_NOT_FOUND;
        // The shown name, when given, names the copy; only its last part, so
        // that it cannot point outside the copy's folder.
        std::string name = FileNamePart(f.lpszFileName);
        if (name.empty() || name == "." || name == "..")
            name = FileNamePart(f.lpszPathName);
        // Each copy in a folder of its own directly in the temporary folder:
        // two files of one name stay two, and the client, which deletes a
        // copy once its mail no longer needs it, takes the emptied folder
        // with it.
        std::string dir = MakeUniqueFolder(tempFolder);
        if (dir.empty())
            return MAPI_E_ATTACHMENT_WRITE_FAILURE;
        std::string copy = dir + name;
        if (!CopyFileA(f.lpszPathName, copy.c_str(), TRUE)) {
            RemoveDirectoryA(dir.c_str());
            return MAPI_E_ATTACHMENT_WRITE_FAILURE;
        }
        copies.push_back(copy);
    }
    return SUCCESS_SUCCESS;
}

void CMapiBridge::RemoveCopy(const std::string& copy)
{
    DeleteFileA(copy.c_str());
    RemoveEmptyCopyFolder(copy);
}

std::string CMapiBridge::WriteRequestFile(const MapiMailRequest& request, const std::string& folder)
{
    std::string path = folder + "Request.txt";
    std::string text = FormatMapiRequest(request);
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::string();
    DWORD written = 0;
    BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size();
    CloseHandle(h);
    if (!ok) {
        DeleteFileA(path.c_str());
        return std::string();
    }
    return path;
}

ULONG CMapiBridge::HandToClient(const std::string& requestPath, const std::string& programPath, DWORD dwTimeout)
{
    std::vector<BYTE> bytes = MakeHandOverRequest(kHandOverMapiCommand, requestPath);
    DWORD ticket = 0;
    if (!WriteSharedMemory(static_cast<DWORD>(bytes.size()), bytes.data(), &ticket))
        return MAPI_E_FAILURE;
    HWND hClient = FindWindowA("CVMWndClass", nullptr);
    if (hClient) {
        PostMessageA(hClient, kHandOverMessage, 0, 0);
        BringToFront(hClient);
    } else {
        // A client that starts takes whatever was queued for it.
        HINSTANCE r = ShellExecuteA(GetDesktopWindow(), nullptr, programPath.c_str(), "", nullptr, SW_SHOWNORMAL);
        if (reinterpret_cast<INT_PTR>(r) <= 32)
            return MAPI_E_FAILURE;
    }
    // The caller's user sees the wait, which ends as soon as the client
    // has taken the request.
    WaitCursor busy;
    DWORD start = GetTickCount();
    DWORD lastPost = start;
    bool shown = hClient != nullptr;
    while (!WaitSharedMemoryTaken(200, ticket)) {
        if (GetTickCount() - start >= dwTimeout)
            return MAPI_E_FAILURE;
        // A client that was starting has its window now, or one that ended
        // left the request to the next.
        if (GetTickCount() - lastPost >= 1000) {
            lastPost = GetTickCount();
            if (HWND h = FindWindowA("CVMWndClass", nullptr)) {
                PostMessageA(h, kHandOverMessage, 0, 0);
                if (!shown)
                    BringToFront(h);
                shown = true;
            }
        }
    }
    return SUCCESS_SUCCESS;
}

std::string CMapiBridge::ClientProgramPath()
{
    char path[MAX_PATH * 2] = {};
    GetModuleFileNameA(reinterpret_cast<HMODULE>(&__ImageBase), path, sizeof(path) - 1);
    std::string p = path;
    return p.substr(0, NameStart(p)) + "CVMail.exe";
}

ULONG CMapiBridge::SendMail(const MapiMessage* pMessage)
{
    std::string temp = MapiTempFolder();
    if (temp.empty())
        return MAPI_E_FAILURE;
    MapiMailRequest request;
    std::string folder;
    ULONG r = PrepareRequest(pMessage, temp, request, folder);
    if (r != SUCCESS_SUCCESS)
        return r;
    std::string file = WriteRequestFile(request, folder);
    r = file.empty() ? static_cast<ULONG>(MAPI_E_DISK_FULL) : HandToClient(file, ClientProgramPath(), kClientWait);
    if (r != SUCCESS_SUCCESS) {
        // A request the client never took: its files go (a client that
        // finds the queued path later finds no request and opens nothing).
        if (!file.empty())
            DeleteFileA(file.c_str());
        for (const std::string& copy : request.attachments)
            RemoveCopy(copy);
        RemoveEmptyCopyFolder(file.empty() ? folder + "Request.txt" : file);
    }
    return r;
}
