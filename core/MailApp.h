// CMailApp: the application base with the settings store. Every setting is
// read and written through these profile functions; the store is either the
// per-user registry key of the maker or a settings text file held in memory.
#pragma once

#include "classlib/ClassLib.h"
#include "core/ProfileEntry.h"

class CMailApp : public CWinApp
{
public:
    explicit CMailApp(const char* pszAppName = nullptr);
    ~CMailApp() override;

    int GetProfileInt(const char* pszSection, const char* pszEntry, int nDefault);
    CString GetProfileString(const char* pszSection, const char* pszEntry, const char* pszDefault = nullptr);
    BOOL GetProfileBinary(const char* pszSection, const char* pszEntry, BYTE** ppData, UINT* pBytes);
    BOOL WriteProfileInt(const char* pszSection, const char* pszEntry, int nValue);
    BOOL WriteProfileString(const char* pszSection, const char* pszEntry, const char* pszValue, bool bBinary = false);
    BOOL WriteProfileBinary(const char* pszSection, const char* pszEntry, const BYTE* pData, UINT nBytes);

    // The settings file syntax. A null list means the application's own.
    bool LoadProfileFile(const char* pszPath, CObArray* pList = nullptr);
    // Returns false (and leaves the file as it was) when it cannot be written.
    bool SaveProfileFile(const char* pszPath = nullptr, CObArray* pList = nullptr);
    static void WriteProfileFileValue(CFile& file, const CString& value);
    // Copy the settings in use to a settings file, or a settings file into the settings in use.
    bool ExportRegistryToProfileFile(const char* pszPath);
    bool ImportProfileFileToRegistry(const char* pszPath);

    // 0 Windows 95 family, 1 NT 4 or older, 2 Windows 2000, 3 XP, 4 Vista/7 (major 6); -1 other.
    int GetOSVersionType();

    // Chosen once at start-up.
    void SetProfileFileMode(const char* pszPath);
    bool IsProfileFileMode() const { return m_bFileMode != 0; }
    const CString& GetProfileFilePath() const { return m_strProfileFilePath; }

    // Letter-pair text of binary values ("MD" is 0x3C).
    static CString EncodeHexLetters(const BYTE* pData, UINT nBytes);
    static void DecodeHexLetters(const CString& text, CByteArray& out);

protected:
    CProfileEntry* FindEntry(const char* pszSection, const char* pszEntry, bool bNonEmpty);
    void DeleteEntries(CObArray& list);

    int m_bFileMode = 0;
    CString m_strProfileFilePath;
    CObArray m_profileEntries;  // owned CProfileEntry*
    CCriticalSection m_profileLock;
    int m_nOSVersionType = -1;
};
