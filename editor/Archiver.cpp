#include "editor/Archiver.h"

#include "core/QuendalApp.h"
#include "editor/ArchiverCommand.h"
#include "message/OutgoingMailServices.h"

namespace {

typedef int(WINAPI* ArchiverEntry)(HWND, LPCSTR, LPSTR, DWORD);
typedef BOOL(WINAPI* CursorModeEntry)(BOOL);

template <typename T> T Entry(HMODULE h, const char* pszName)
{
    return h ? reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(h, pszName))) : nullptr;
}

int RunEntry(ArchiverEntry entry, HWND hWnd, const CString& command)
{
    // The library's messages; not used further.
    char output[1024] = {};
    return entry(hWnd, command, output, sizeof(output));
}

BOOL ArchiveForSending(const char* pszPassword, const char* pszArchivePath, int nLha, const char* pszFilePath,
                       HWND hOwner)
{
    return CArchiver::FromApp().ArchiveFileWithPassword(pszPassword, pszArchivePath, hOwner, pszFilePath,
                                                        nLha ? CArchiver::formatLha : CArchiver::formatZip) == 0;
}

} // namespace

CArchiver CArchiver::FromApp()
{
    CQuendalApp* app = QuendalApp();
    return CArchiver(app ? app->m_hZip32j : nullptr, app ? app->m_hUnlha32 : nullptr);
}

bool CArchiver::IsAvailable(int nFormat) const
{
    if (nFormat == formatZip)
        return Entry<ArchiverEntry>(m_hZip, "Zip") != nullptr;
    if (nFormat == formatLha)
        return Entry<ArchiverEntry>(m_hLha, "Unlha") != nullptr;
    return false;
}

CString CArchiver::BuildZipCommand(const char* pszPassword, bool bQuiet, const char* pszArchivePath,
                                   const char* pszFilePath)
{
    CString command = "-j ";
    if (bQuiet)
        command += "-q ";
    if (pszPassword && *pszPassword)
        command += CString("-P ") + CArchiverCommand::Quote(pszPassword).c_str() + " ";
    command += CArchiverCommand::Quote(pszArchivePath ? pszArchivePath : "").c_str();
    command += " ";
    command += CArchiverCommand::Quote(pszFilePath ? pszFilePath : "").c_str();
    return command;
}

CString CArchiver::BuildLhaCommand(const char* pszArchivePath, const char* pszFilePath)
{
    CString command = "a ";
    command += CArchiverCommand::Quote(pszArchivePath ? pszArchivePath : "").c_str();
    command += " ";
    command += CArchiverCommand::Quote(pszFilePath ? pszFilePath : "").c_str();
    return command;
}

int CArchiver::RunZip(const char* pszPassword, bool bQuiet, const char* pszArchivePath, const char* pszFilePath,
                      HWND hWnd) const
{
    ArchiverEntry zip = Entry<ArchiverEntry>(m_hZip, "Zip");
    if (!zip)
        return kNotAvailable;
    int result = RunEntry(zip, hWnd, BuildZipCommand(pszPassword, bQuiet, pszArchivePath, pszFilePath));
    if (result == 0)
        return 0;
    // Some library builds refuse long names: the short form, once more.
    char shortPath[MAX_PATH];
    DWORD n = GetShortPathNameA(pszFilePath, shortPath, sizeof(shortPath));
    if (n == 0 || n >= sizeof(shortPath))
        return result;
    return RunEntry(zip, hWnd, BuildZipCommand(pszPassword, bQuiet, pszArchivePath, shortPath));
}

int CArchiver::RunLha(const char* pszArchivePath, const char* pszFilePath, HWND hWnd) const
{
    ArchiverEntry lha = Entry<ArchiverEntry>(m_hLha, "Unlha");
    if (!lha)
        return kNotAvailable;
    if (CursorModeEntry cursor = Entry<CursorModeEntry>(m_hLha, "UnlhaSetCursorMode"))
        cursor(FALSE);
    return RunEntry(lha, hWnd, BuildLhaCommand(pszArchivePath, pszFilePath));
}

int CArchiver::ArchiveFile(int nFormat, const char* pszFilePath, HWND hWnd, const char* pszArchivePath) const
{
    if (nFormat == formatLha)
        return RunLha(pszArchivePath, pszFilePath, hWnd);
    if (nFormat == formatZip)
        return RunZip(nullptr, false, pszArchivePath, pszFilePath, hWnd);
    return kNotAvailable;
}

int CArchiver::ArchiveFileWithPassword(const char* pszPassword, const char* pszArchivePath, HWND hWnd,
                                       const char* pszFilePath, int nFormat) const
{
    if (nFormat == formatLha)
        return RunLha(pszArchivePath, pszFilePath, hWnd);
    if (nFormat == formatZip)
        return RunZip(pszPassword, hWnd == nullptr, pszArchivePath, pszFilePath, hWnd);
    return kNotAvailable;
}

void InstallSendArchiver()
{
    SetArchiveFileFunction(&ArchiveForSending);
}
