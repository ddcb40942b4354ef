// COEMailImporter: the import of Outlook Express 5 mail folders: the user
// identities from the registry, the folder files (".dbx") of the chosen
// identity, and the conversion of one folder file into a separator file
// (".mbx", mails divided by "\r\n.\r\n") that the mail file import files.
#pragma once

#include "classlib/ClassLib.h"

#include <cstdint>

class CWnd;

class COEMailImporter
{
public:
    struct Identity
    {
        CString strUserName;  // the identity's "Username"
        CString strKey;       // its key name under "Identities"
        BYTE bDefault = 0;
    };
    struct Folder
    {
        CString strTitle;  // file name without extension
        CString strPath;
        BYTE bChosen = 0;
    };
    // Called when a converted file is complete: .dbx path, .mbx path, number
    // of messages, index reached, bytes written, importer. False when the
    // converted file could not be imported.
    typedef BOOL (*CompletionHook)(const char* pszDbxPath, const char* pszMbxPath, int nMessages, int nIndex,
                                   uint64_t nBytes, COEMailImporter* pImporter);
    // Asked after each message; true imports the output so far at once.
    typedef BOOL (*FlushPredicate)(const char* pszDbxPath, const char* pszMbxPath, int nMessages, int nIndex,
                                   uint64_t nBytes);

    COEMailImporter() = default;
    COEMailImporter(const COEMailImporter&) = delete;
    COEMailImporter& operator=(const COEMailImporter&) = delete;
    virtual ~COEMailImporter();

    void LoadIdentities();
    // The folder files of the first identity marked default.
    void LoadFolders();
    // Converts one folder file into "<output folder>\<title>.mbx". True when
    // done or when the file has no messages; false when a file could not be
    // opened or created, the file is damaged (m_strError says which), or the
    // run was cancelled.
    static BOOL ConvertDbxToMbox(const char* pszTitle, COEMailImporter* pImporter, const char* pszDbxPath);
    static void UpdateProgress(int nCount, COEMailImporter* pImporter, int nTotal);

    // The completion hook of an interactive import: files the converted
    // mails into the target folder, read, with their sending times.
    static BOOL ImportConvertedFile(const char* pszDbxPath, const char* pszMbxPath, int nMessages, int nIndex,
                                    uint64_t nBytes, COEMailImporter* pImporter);
    // The conversion worker: every chosen folder is converted in a private
    // folder under the system's temporary folder and imported through the
    // hooks; the first failure is shown and ends the run. At the end
    // m_nNotifyMessage is posted to the notification window. True when every
    // chosen folder was done.
    BOOL RunImport();
    static unsigned __stdcall ImportThreadProc(void* pImporter);

    Identity* GetIdentity(int i) const { return static_cast<Identity*>(m_identities[i]); }
    Folder* GetFolder(int i) const { return static_cast<Folder*>(m_folders[i]); }
    int GetIdentityCount() const { return m_identities.GetSize(); }
    int GetFolderCount() const { return m_folders.GetSize(); }
    void ClearIdentities();
    void ClearFolders();

    CPtrArray m_identities;  // owned Identity*
    CPtrArray m_folders;     // owned Folder*
    BYTE* m_pCancel = nullptr;  // owned by the progress window; non-zero stops
    CWnd* m_pStatusText = nullptr;
    CWnd* m_pProgress = nullptr;
    CWnd* m_pCountText = nullptr;
    CString m_strOutputFolder;  // where the ".mbx" files are written; must exist
    LPARAM m_lOwner = 0;
    HWND m_hNotifyWnd = nullptr;
    UINT m_nNotifyMessage = 0;
    int m_nTargetFolderId = 0;
    CompletionHook m_pfnComplete = nullptr;
    FlushPredicate m_pfnFlush = nullptr;
    // Why the last conversion or import failed, for the user.
    CString m_strError;
};
