// CArchiver: packs files into ZIP or LHA archives through the archiver
// libraries ("ZIP32J.DLL" with its entry "Zip", "UNLHA32.DLL" with "Unlha"
// and "UnlhaSetCursorMode"), looking each entry up at every use. A missing
// library or entry is a failure, never a silent success: the callers then
// keep the files as they are.
#pragma once

#include "classlib/ClassLib.h"

class CArchiver
{
public:
    enum Format { formatZip = 0, formatLha = 1 };
    // The result of a missing library or entry (0 is success, as the
    // libraries' own results).
    enum { kNotAvailable = -1 };

    CArchiver(HMODULE hZip, HMODULE hLha) : m_hZip(hZip), m_hLha(hLha) {}
    // The libraries the application loaded at start-up.
    static CArchiver FromApp();

    // True when the library of the format and its command entry are there.
    bool IsAvailable(int nFormat) const;
    // One file into an archive of the editor's compress command (ZIP
    // without password: the password of the mail protects it at sending).
    int ArchiveFile(int nFormat, const char* pszFilePath, HWND hWnd, const char* pszArchivePath) const;
    // One file into an archive; ZIP with the password when one is given
    // ("-q" when no window shows the library's progress); LHA has none.
    int ArchiveFileWithPassword(const char* pszPassword, const char* pszArchivePath, HWND hWnd,
                                const char* pszFilePath, int nFormat) const;

    static CString BuildZipCommand(const char* pszPassword, bool bQuiet, const char* pszArchivePath,
                                   const char* pszFilePath);
    static CString BuildLhaCommand(const char* pszArchivePath, const char* pszFilePath);

private:
    int RunZip(const char* pszPassword, bool bQuiet, const char* pszArchivePath, const char* pszFilePath,
               HWND hWnd) const;
    int RunLha(const char* pszArchivePath, const char* pszFilePath, HWND hWnd) const;

    HMODULE m_hZip;
    HMODULE m_hLha;
};

// Makes the outgoing messages pack the attachments of a password mail
// through CArchiver (and report when it could not).
void InstallSendArchiver();
