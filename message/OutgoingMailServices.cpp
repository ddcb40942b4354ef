#include "message/OutgoingMailServices.h"

#include "core/QuendalApp.h"

namespace {

ArchiveFileFunction g_archiveFunction = nullptr;

// The ZIP library's command entry: a command line of the archiver's own
// syntax, an output buffer for its messages.
typedef int(WINAPI* ZipCommandFunction)(HWND, LPCSTR, LPSTR, DWORD);

HMODULE ZipLibrary()
{
    CQuendalApp* pApp = QuendalApp();
    return pApp ? pApp->m_hZip32j : nullptr;
}

BOOL RunZipCommand(const char* pszPassword, const char* pszArchivePath, const char* pszFilePath)
{
    HMODULE hZip = ZipLibrary();
    if (!hZip)
        return FALSE;
    auto pfnZip = reinterpret_cast<ZipCommandFunction>(reinterpret_cast<void*>(GetProcAddress(hZip, "Zip")));
    if (!pfnZip)
        return FALSE;
    CString command;
    command.Format("-j -P\"%s\" \"%s\" \"%s\"", pszPassword, pszArchivePath, pszFilePath);
    char output[1024] = {};
    if (pfnZip(nullptr, command, output, sizeof(output) - 1) == 0)
        return TRUE;
    // Some archiver builds fail on long names; the short form is retried.
    char shortPath[MAX_PATH];
    DWORD n = GetShortPathNameA(pszFilePath, shortPath, sizeof(shortPath));
    if (n == 0 || n >= sizeof(shortPath))
        return FALSE;
    command.Format("-j -P\"%s\" \"%s\" \"%s\"", pszPassword, pszArchivePath, shortPath);
    return pfnZip(nullptr, command, output, sizeof(output) - 1) == 0;
}

bool NeedsQuotes(const char* pszName)
{
    for (const char* p = pszName; *p; ++p) {
        if (Mbcs::IsLeadByte(*p) && p[1]) {
            ++p;
            continue;
        }
        if (strchr(",()<>", *p))
            return true;
    }
    return false;
}

} // namespace

CString FormatMailAddress(const char* pszName, const char* pszAddress, int nMode)
{
    CString name = pszName ? pszName : "";
    CString address = pszAddress ? pszAddress : "";
    if (nMode != 0 && nMode != 1)
        return address;
    if (NeedsQuotes(name))
        name = "\"" + name + "\"";
    CString result;
    result.Format(nMode == 0 ? "%s <%s>" : "%s (%s)", nMode == 0 ? name.GetString() : address.GetString(),
                  nMode == 0 ? address.GetString() : name.GetString());
    return result;
}

BOOL ArchiveFileWithPassword(const char* pszPassword, const char* pszArchivePath, int nLha, const char* pszFilePath,
                             HWND hOwner)
{
    if (g_archiveFunction)
        return g_archiveFunction(pszPassword, pszArchivePath, nLha, pszFilePath, hOwner);
    if (nLha != 0)
        return FALSE;
    return RunZipCommand(pszPassword, pszArchivePath, pszFilePath);
}

bool IsZipArchiverLoaded() { return g_archiveFunction != nullptr || ZipLibrary() != nullptr; }

ArchiveFileFunction SetArchiveFileFunction(ArchiveFileFunction function)
{
    ArchiveFileFunction old = g_archiveFunction;
    g_archiveFunction = function;
    return old;
}
