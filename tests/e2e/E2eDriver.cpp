#include "e2e/E2eDriver.h"

#include "resources/utils/UtilsResource.h"

#include <prsht.h>

#include <cstdio>
#include <utility>

namespace E2e {

CString WinPath(const char* unixPath)
{
    CString path = CString("Z:") + unixPath;
    path.Replace('/', '\\');
    return path;
}

CProgramUnderTest::CProgramUnderTest(const CString& folder) : m_folder(folder)
{
    for (auto [from, to] : { std::pair<CString, CString>(WinPath(CVM_E2E_PROGRAM), folder + "\\CVMail.exe"),
                             std::pair<CString, CString>(WinPath(CVM_E2E_PICTURE), folder + "\\CVM.bmp") }) {
        if (!CopyFileA(from, to, FALSE))
            fprintf(stderr, "Copying %s to %s failed: error %lu\n", from.GetString(), to.GetString(), GetLastError());
    }
}

CProgramUnderTest::~CProgramUnderTest()
{
    Kill();
}

bool CProgramUnderTest::Start(const char* arguments)
{
    if (m_pi.hProcess)
        return false;
    CString cmd = "\"" + m_folder + "\\CVMail.exe\" " + arguments;
    STARTUPINFOA si = { sizeof(si) };
    // Wine answers ERROR_INTERNAL_ERROR when a new process dies in its own
    // start-up before it reached the program, which happens now and then on a
    // heavily loaded machine; such a start is tried again.
    for (int attempt = 1;; ++attempt) {
        std::string buf(cmd.GetString());
        buf.push_back('\0');
        if (CreateProcessA(nullptr, &buf[0], nullptr, nullptr, FALSE, 0, nullptr, m_folder, &si, &m_pi))
            return true;
        const DWORD error = GetLastError();
        fprintf(stderr, "Starting %s failed: error %lu\n", cmd.GetString(), error);
        if (error != ERROR_INTERNAL_ERROR || attempt == 3)
            return false;
        Sleep(500);
    }
}

bool CProgramUnderTest::IsRunning() const
{
    return m_pi.hProcess && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

int CProgramUnderTest::WaitForExit(DWORD timeoutMs)
{
    if (!m_pi.hProcess || WaitForSingleObject(m_pi.hProcess, timeoutMs) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_pi.hProcess, &code);
    return static_cast<int>(code);
}

void CProgramUnderTest::Kill()
{
    if (m_pi.hProcess) {
        if (WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_pi.hProcess, 99);
            WaitForSingleObject(m_pi.hProcess, 5000);
        }
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
    }
    m_pi = {};
}

namespace {

struct FindContext
{
    DWORD pid;
    const char* className;
    const char* captionPart;
    int controlId;
    const char* textPart;
    HWND found;
};

bool ContainsStaticText(HWND hDlg, const char* part)
{
    for (HWND child = GetWindow(hDlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetWindowTextOf(child).Find(part) >= 0)
            return true;
    }
    return false;
}

BOOL CALLBACK FindProc(HWND hWnd, LPARAM lParam)
{
    FindContext* c = reinterpret_cast<FindContext*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid != c->pid || !IsWindowVisible(hWnd))
        return TRUE;
    char cls[128] = {};
    GetClassNameA(hWnd, cls, sizeof(cls));
    if (c->className && lstrcmpA(cls, c->className) != 0)
        return TRUE;
    if (c->captionPart && GetWindowTextOf(hWnd).Find(c->captionPart) < 0)
        return TRUE;
    if (c->controlId && !GetDlgItem(hWnd, c->controlId))
        return TRUE;
    if (c->textPart && !ContainsStaticText(hWnd, c->textPart))
        return TRUE;
    c->found = hWnd;
    return FALSE;
}

HWND Find(FindContext c, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        c.found = nullptr;
        EnumWindows(FindProc, reinterpret_cast<LPARAM>(&c));
        if (c.found || GetTickCount() - start >= timeoutMs)
            return c.found;
        Sleep(50);
    }
}

} // namespace

HWND CProgramUnderTest::WaitForWindow(const char* className, const char* captionPart, DWORD timeoutMs) const
{
    return Find({ m_pi.dwProcessId, className, captionPart, 0, nullptr, nullptr }, timeoutMs);
}

HWND CProgramUnderTest::WaitForDialogWithControl(int controlId, DWORD timeoutMs) const
{
    return Find({ m_pi.dwProcessId, "#32770", nullptr, controlId, nullptr, nullptr }, timeoutMs);
}

namespace {

struct PopupSearch
{
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindPopupMenu(HWND hWnd, LPARAM lParam)
{
    auto* s = reinterpret_cast<PopupSearch*>(lParam);
    char cls[16] = "";
    GetClassNameA(hWnd, cls, sizeof(cls));
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid == s->pid && lstrcmpA(cls, "#32768") == 0 && IsWindowVisible(hWnd)) {
        s->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND CProgramUnderTest::WaitForPopupMenu(DWORD timeoutMs) const
{
    PopupSearch search{ ProcessId(), nullptr };
    for (DWORD start = GetTickCount();; Sleep(50)) {
        EnumWindows(FindPopupMenu, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount() - start >= timeoutMs)
            return search.found;
    }
}

HWND CProgramUnderTest::WaitForMessageBox(const char* textPart, DWORD timeoutMs) const
{
    return Find({ m_pi.dwProcessId, "#32770", nullptr, 0, textPart, nullptr }, timeoutMs);
}

HWND CProgramUnderTest::StepToMainWindow() const
{
    if (HWND main = WaitForWindow("CVMWndClass", nullptr, 0))
        return main;
    if (HWND dlg = WaitForDialogWithControl(IDC_MAILBOX_NAME, 0))
        PressButton(dlg, IDOK);
    if (HWND wizard = WaitForWindow("#32770", "アカウントの作成", 0))
        PostMessageA(wizard, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    return nullptr;
}

HWND CProgramUnderTest::WaitForMainWindow(DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    do {
        if (HWND main = StepToMainWindow())
            return main;
        Sleep(100);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

void SetControlText(HWND hDlg, int id, const char* text)
{
    SendMessageA(GetDlgItem(hDlg, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

CString GetWindowTextOf(HWND hWnd)
{
    char buf[1024] = {};
    SendMessageTimeoutA(hWnd, WM_GETTEXT, sizeof(buf), reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    return CString(buf);
}

std::string DescendantTexts(HWND hWnd)
{
    std::string texts;
    EnumChildWindows(hWnd, [](HWND child, LPARAM p) -> BOOL {
        *reinterpret_cast<std::string*>(p) += GetWindowTextOf(child).GetString();
        return TRUE;
    }, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

CString GetControlText(HWND hDlg, int id)
{
    return GetWindowTextOf(GetDlgItem(hDlg, id));
}

void PressButton(HWND hDlg, int id)
{
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDlg, id)));
}

bool WaitUntil(DWORD timeoutMs, bool (*predicate)(void*), void* context)
{
    DWORD start = GetTickCount();
    while (!predicate(context)) {
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

void CloseWhenTransfersEnd(const CProgramUnderTest& program, HWND main)
{
    for (int attempt = 0; attempt < 20; attempt++) {
        PostMessageA(main, WM_CLOSE, 0, 0);
        HWND busy = program.WaitForMessageBox("メールを受信中です。", 1500);
        if (!busy)
            break;
        PressButton(busy, IDCANCEL);
        Sleep(500);
    }
}

std::string VisibleWindows(DWORD processId)
{
    struct Context
    {
        DWORD pid;
        std::string text;
    } c{processId, {}};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* ctx = reinterpret_cast<Context*>(p);
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (pid != ctx->pid || !IsWindowVisible(h))
                return TRUE;
            char cls[64] = {};
            GetClassNameA(h, cls, sizeof(cls));
            ctx->text += std::string("[") + cls + "] " + GetWindowTextOf(h).Str() + "\n";
            for (HWND child = GetWindow(h, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                ctx->text += "    " + std::string(GetWindowTextOf(child).Str()) + "\n";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&c));
    return c.text;
}

} // namespace E2e
