#include "support/TestSupport.h"

#include <deque>
#include <mutex>

namespace TestSupport {

namespace {

std::mutex g_lock;
std::deque<int> g_answers;

int RecordMessageBox(const char* text, UINT /*type*/)
{
    std::lock_guard<std::mutex> hold(g_lock);
    RecordedMessages().push_back(text);
    if (g_answers.empty())
        return IDOK;
    int a = g_answers.front();
    g_answers.pop_front();
    return a;
}

} // namespace

void InstallMessageBoxRecorder()
{
    AfxSetMessageBoxHook(RecordMessageBox);
}

std::vector<std::string>& RecordedMessages()
{
    static std::vector<std::string> messages;
    return messages;
}

void QueueMessageBoxAnswer(int answer)
{
    std::lock_guard<std::mutex> hold(g_lock);
    g_answers.push_back(answer);
}

void ClearMessages()
{
    std::lock_guard<std::mutex> hold(g_lock);
    RecordedMessages().clear();
    g_answers.clear();
}

TempDir::TempDir()
{
    char base[MAX_PATH];
    GetTempPathA(sizeof(base), base);
    static LONG counter = 0;
    for (;;) {
        CString p;
        p.Format("%scvmtest-%lu-%ld", base, GetCurrentProcessId(), InterlockedIncrement(&counter));
        if (CreateDirectoryA(p, nullptr)) {
            m_path = p;
            break;
        }
    }
}

TempDir::~TempDir()
{
    RemoveTree(m_path);
}

void RemoveTree(const char* path)
{
    CString pattern = CString(path) + "\\*";
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern, &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            CString name = fd.cFileName;
            if (name == "." || name == "..")
                continue;
            CString full = CString(path) + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                // A link goes itself; what it leads to is not ours.
                if (!RemoveDirectoryA(full))
                    DeleteFileA(full);
            } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesA(full, FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full);
            }
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path);
}

std::string ReadFileBytes(const char* path)
{
    std::string out;
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return out;
    char buf[65536];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof(buf), &n, nullptr) && n > 0)
        out.append(buf, n);
    CloseHandle(h);
    return out;
}

void WriteFileBytes(const char* path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD n = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
}

bool FileExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

CString TestDataDir()
{
    // CVM_TEST_DATA is a Unix path; Wine maps the root to drive Z:.
    char buf[1024];
    DWORD n = GetEnvironmentVariableA("CVM_TEST_DATA", buf, sizeof(buf));
    if (n == 0 || n >= sizeof(buf))
        return CString();
    CString p(buf);
    if (!p.IsEmpty() && p[0] == '/') {
        p.Replace('/', '\\');
        p = "Z:" + p;
    }
    return p;
}

bool ServersRequired()
{
    char buf[8] = "";
    DWORD n = GetEnvironmentVariableA("CVM_REQUIRE_SERVERS", buf, sizeof(buf));
    return n > 0 && n < sizeof(buf) && buf[0] != '0';
}

} // namespace TestSupport
