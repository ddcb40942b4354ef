#include "editor/ExternalEditor.h"

#include "core/FileUtil.h"
#include "editor/MailEditCtrl.h"

#include <process.h>

namespace {

struct Job
{
    HWND hBody;
    RECT rc;
    CString commandLine;
    CString file;
    // The HTML editor's end goes to the editor thread; the text editor's
    // file comes back into the body here.
    DWORD dwThreadId = 0;
    UINT nDoneMessage = 0;
};

CString WindowText(HWND h)
{
    int n = ::GetWindowTextLengthA(h);
    CString text;
    ::GetWindowTextA(h, text.GetBuffer(n + 1), n + 1);
    text.ReleaseBuffer();
    return text;
}

// Runs the editor over the view's place with the body disabled and waits
// for it without limit; false when it could not start.
bool RunAndWait(Job& job)
{
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USEPOSITION | STARTF_USESIZE;
    si.dwX = static_cast<DWORD>(job.rc.left);
    si.dwY = static_cast<DWORD>(job.rc.top + 2);
    si.dwXSize = static_cast<DWORD>(job.rc.right - job.rc.left);
    si.dwYSize = static_cast<DWORD>(job.rc.bottom - job.rc.top);
    PROCESS_INFORMATION pi = {};
    CString command = job.commandLine;
    BOOL started = CreateProcessA(nullptr, command.GetBuffer(command.GetLength() + 1), nullptr, nullptr, FALSE, 0,
                                  nullptr, nullptr, &si, &pi);
    command.ReleaseBuffer();
    if (!started)
        return false;
    ::EnableWindow(job.hBody, FALSE);
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (::IsWindow(job.hBody))
        ::EnableWindow(job.hBody, TRUE);
    return true;
}

unsigned __stdcall RunText(void* p)
{
    Job* job = static_cast<Job*>(p);
    if (RunAndWait(*job) && ::IsWindow(job->hBody)) {
        CFile file;
        if (file.Open(job->file, CFile::modeRead)) {
            ULONGLONG size = file.GetLength();
            CString text;
            bool whole = size < 0x7FFFFFFF;
            if (whole) {
                UINT n = static_cast<UINT>(size);
                n = file.Read(text.GetBuffer(static_cast<int>(n) + 1), n);
                text.ReleaseBuffer(static_cast<int>(n));
            }
            file.Close();
            if (whole) {
                ::SendMessageA(job->hBody, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.GetString()));
                ::SendMessageA(job->hBody, CMailEditCtrl::kMsgTextReplaced, 0, 0);
                ::SendMessageA(job->hBody, EM_SETMODIFY, TRUE, 0);
                // Only once the text is back in the mail: a window closed
                // meanwhile leaves the file, the one copy of what was written.
                DeleteFileA(job->file);
            }
        }
    }
    delete job;
    return 0;
}

unsigned __stdcall RunHtml(void* p)
{
    Job* job = static_cast<Job*>(p);
    // The file stays: the view loads it, and the editor may have put its
    // pictures beside it.
    if (RunAndWait(*job))
        ::PostThreadMessageA(job->dwThreadId, job->nDoneMessage, 0, 0);
    else
        ::PostThreadMessageA(job->dwThreadId, job->nDoneMessage, 1, 0);
    delete job;
    return 0;
}

bool StartWorker(unsigned(__stdcall* run)(void*), Job* job)
{
    uintptr_t h = _beginthreadex(nullptr, 0, run, job, 0, nullptr);
    if (!h) {
        delete job;
        return false;
    }
    CloseHandle(reinterpret_cast<HANDLE>(h));
    return true;
}

} // namespace

CString CExternalEditor::BuildCommandLine(const char* pszEditor, const char* pszOption, const char* pszFile)
{
    CString quoted = CString("\"") + pszFile + "\"";
    CString option = pszOption ? pszOption : "";
    if (option.Find("$FILE$") >= 0)
        option.Replace("$FILE$", quoted);
    else
        option += " " + quoted;
    char shortPath[MAX_PATH * 2] = {};
    DWORD n = GetShortPathNameA(pszEditor, shortPath, sizeof(shortPath));
    CString editor = n > 0 && n < sizeof(shortPath) ? CString(shortPath) : CString(pszEditor);
    CString line;
    line.Format("%s %s", editor.GetString(), option.GetString());
    return line;
}

CString CExternalEditor::MakeTempFileName(const char* pszExtension, const char* pszFolder)
{
    char folder[MAX_PATH + 1] = {};
    char name[MAX_PATH + 1] = {};
    if (pszFolder && *pszFolder) {
        if (strlen(pszFolder) >= sizeof(folder) - 14)
            return CString();
        lstrcpynA(folder, pszFolder, sizeof(folder));
    } else if (!GetTempPathA(sizeof(folder), folder)) {
        return CString();
    }
    if (!GetTempFileNameA(folder, "$Q$", 0, name))
        return CString();
    DeleteFileA(name);
    CString path = name;
    if (pszExtension && *pszExtension) {
        int dot = path.ReverseFind('.');
        if (dot > path.ReverseFind('\\'))
            path = path.Left(dot);
        path += *pszExtension == '.' ? CString(pszExtension) : CString(".") + pszExtension;
    }
    return path;
}

bool CExternalEditor::Start(HWND hBody, const RECT& rcScreen, const char* pszEditor, const char* pszOption,
                            const char* pszExtension)
{
    CString path = MakeTempFileName(pszExtension);
    if (path.IsEmpty())
        return false;
    CString body = WindowText(hBody);
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite))
        return false;
    try {
        file.Write(body.GetString(), static_cast<UINT>(body.GetLength()));
        file.Close();
    } catch (CFileException&) {
        file.Abort();
        return false;
    }
    auto* job = new Job{hBody, rcScreen, BuildCommandLine(pszEditor, pszOption, path), path};
    if (!StartWorker(&RunText, job)) {
        DeleteFileA(path);
        return false;
    }
    return true;
}

bool CExternalEditor::StartHtml(HWND hBody, const RECT& rcScreen, const char* pszEditor, const char* pszOption,
                                const char* pszFile, DWORD dwThreadId, UINT nDoneMessage)
{
    auto* job = new Job{hBody, rcScreen, BuildCommandLine(pszEditor, pszOption, pszFile), pszFile, dwThreadId,
                        nDoneMessage};
    return StartWorker(&RunHtml, job);
}
