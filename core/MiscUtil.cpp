#include "core/MiscUtil.h"

#include "core/QuendalApp.h"

#include <imm.h>

#include <memory>
#include <vector>

namespace {

const char* const kFileErrorTexts[] = {
    "エラーなし",
    "未定義エラー",
    "ファイル未定義",
    "不正パス",
    "オープン ファイル数超過",
    "ファイル アクセス禁止",
    "不正ファイル ハンドル使用",
    "作業中のカレント ディレクトリの削除不可",
    "ディレクトリ フル",
    "ファイル ポインタ設定エラー",
    "ハードウェア エラー",
    "SHARE.EXE 未ロードまたは共有領域ロック済み",
    "ロック済み領域のロック要求",
    "ディスク フル",
    "ファイルの終わりに到達",
};


bool ReadRegistryText(HKEY hKey, const char* pszSubKey, const char* pszValueName, CString& value)
{
    CRegKey key;
    return key.Open(hKey, pszSubKey) == ERROR_SUCCESS && key.QueryStringValue(pszValueName, value);
}

} // namespace

CString ProgramFilePath()
{
    std::vector<char> buf(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return CString();
        if (n < buf.size())
            return CString(buf.data(), static_cast<int>(n));
        buf.resize(buf.size() * 2);
    }
}

CString GetSystemErrorText(DWORD dwCode)
{
    char* pBuffer = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, dwCode, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<LPSTR>(&pBuffer), 0, nullptr);
    CString text;
    if (n && pBuffer)
        text = CString(pBuffer, static_cast<int>(n));
    if (pBuffer)
        LocalFree(pBuffer);
    return text;
}

CString GetFileErrorText(int nCause)
{
    if (nCause < 0 || nCause >= static_cast<int>(sizeof(kFileErrorTexts) / sizeof(kFileErrorTexts[0])))
        return CString();
    return CString(kFileErrorTexts[nCause]);
}

CString GetVersionLegalText()
{
    CString path = ProgramFilePath();
    DWORD dummy = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &dummy);
    if (size == 0)
        return CString();
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoA(path, 0, size, block.data()))
        return CString();
    struct Translation
    {
        WORD wLanguage;
        WORD wCodePage;
    };
    Translation* pTranslations = nullptr;
    UINT cb = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pTranslations), &cb))
        return CString();
    CString legal;
    for (UINT i = 0; i < cb / sizeof(Translation); ++i) {
        CString query;
        query.Format("\\StringFileInfo\\%04x%04x\\LegalCopyright", pTranslations[i].wLanguage,
                     pTranslations[i].wCodePage);
        char* pText = nullptr;
        UINT cch = 0;
        if (VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&pText), &cch) && pText)
            legal = pText;
    }
    return legal;
}

bool GetFileVersionNumbers(const char* pszFile, WORD& wMajor, WORD& wMinor, WORD& wBuild, WORD& wRevision)
{
    DWORD dummy = 0;
    DWORD size = pszFile ? GetFileVersionInfoSizeA(pszFile, &dummy) : 0;
    if (size == 0)
        return false;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoA(pszFile, 0, size, block.data()))
        return false;
    VS_FIXEDFILEINFO* pInfo = nullptr;
    UINT cb = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&pInfo), &cb) || !pInfo ||
        cb < sizeof(VS_FIXEDFILEINFO))
        return false;
    wMajor = HIWORD(pInfo->dwFileVersionMS);
    wMinor = LOWORD(pInfo->dwFileVersionMS);
    wBuild = HIWORD(pInfo->dwFileVersionLS);
    wRevision = LOWORD(pInfo->dwFileVersionLS);
    return true;
}

BOOL DeleteRegistrySubKeys(HKEY hRoot, const char* pszPath, BOOL bFilter, const char* pszValueName,
                           const char* pszText)
{
    // Walk down one part at a time, each key opened for reading only.
    CRegKey keys[2];
    HKEY hCurrent = hRoot;
    int slot = 0;
    CString path(pszPath ? pszPath : "");
    path.Replace('/', '\\');
    int pos = 0;
    for (;;) {
        CString part = path.Tokenize("\\", pos);
        if (pos < 0)
            break;
        if (part.IsEmpty())
            continue;
        if (keys[slot].Open(hCurrent, part) != ERROR_SUCCESS)
            return TRUE;
        hCurrent = keys[slot].Get();
        slot ^= 1;
        keys[slot].Close();
    }
    CString wanted(pszText ? pszText : "");
    wanted.MakeUpper();
    DWORD index = 0;
    for (;;) {
        char name[256];
        DWORD cch = sizeof(name);
        if (RegEnumKeyExA(hCurrent, index, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        bool remove = !bFilter;
        if (bFilter) {
            CString value;
            if (ReadRegistryText(hCurrent, name, pszValueName, value)) {
                value.MakeUpper();
                remove = value == wanted;
            }
        }
        if (remove && RegDeleteKeyA(hCurrent, name) == ERROR_SUCCESS)
            continue;  // the next subkey has moved into this index
        ++index;
    }
    return TRUE;
}

CString GetProgramFilePath(const char* pszName)
{
    CString program = ProgramFilePath();
    char drive[_MAX_DRIVE] = "", dir[_MAX_DIR] = "";
    if (program.GetLength() < MAX_PATH)
        _splitpath(program, drive, dir, nullptr, nullptr);
    CString path(drive);
    path += dir;
    path += pszName ? pszName : "";
    return path;
}

BOOL SetCurrentDirToMailBox()
{
    CQuendalApp* app = QuendalApp();
    return app ? SetCurrentDirectoryA(app->GetMailBoxFolder()) : FALSE;
}

CString UnwrapMarkerText(const char* pszText)
{
    CString text(pszText ? pszText : "");
    const int prefix = 4, suffix = 2;
    if (text.GetLength() <= prefix + suffix || text.Left(prefix) != "%GL$" || text.Right(suffix) != "$%")
        return CString();
    return text.Mid(prefix, text.GetLength() - prefix - suffix);
}

bool IsMailFolderDirName(const char* pszName)
{
    return pszName && (pszName[0] == 'Q' || pszName[0] == 'q') && (pszName[1] == 'M' || pszName[1] == 'm');
}

CString GetLowerString(const char* pszText)
{
    CString text(pszText ? pszText : "");
    text.MakeLower();
    return text;
}

CString GetUpperString(const char* pszText)
{
    CString text(pszText ? pszText : "");
    text.MakeUpper();
    return text;
}

CString GetListBoxSelectedText(HWND hList)
{
    LRESULT sel = ::SendMessageA(hList, LB_GETCURSEL, 0, 0);
    LRESULT length = sel == LB_ERR ? LB_ERR : ::SendMessageA(hList, LB_GETTEXTLEN, static_cast<WPARAM>(sel), 0);
    if (length == LB_ERR)
        return CString();
    CString text;
    ::SendMessageA(hList, LB_GETTEXT, static_cast<WPARAM>(sel),
                   reinterpret_cast<LPARAM>(text.GetBuffer(static_cast<int>(length))));
    text.ReleaseBuffer();
    return text;
}

void SetStaticEdge(HWND hWnd, bool bOn)
{
    if (!hWnd)
        return;
    LONG_PTR style = ::GetWindowLongPtrA(hWnd, GWL_EXSTYLE);
    LONG_PTR wanted = bOn ? (style | WS_EX_STATICEDGE) : (style & ~static_cast<LONG_PTR>(WS_EX_STATICEDGE));
    if (wanted == style)
        return;
    ::SetWindowLongPtrA(hWnd, GWL_EXSTYLE, wanted);
    ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void SetInputMethodOpen(HWND hWnd, bool bOpen)
{
    HIMC imc = hWnd ? ::ImmGetContext(hWnd) : nullptr;
    if (!imc)
        return;
    ::ImmSetOpenStatus(imc, bOpen ? TRUE : FALSE);
    ::ImmReleaseContext(hWnd, imc);
}
