// CQuendalAPI: the one object through which plug-in modules reach the
// client. Its table of virtual operations is a binary interface: the
// operations keep their places (see plugin/PlugInInterface.h), so none may
// be added, removed or moved, and the class has no virtual destructor (that
// would take two places); the last place deletes the object instead.
#pragma once

#include "classlib/ClassLib.h"
#include "plugin/PlugInInterface.h"

#include <commctrl.h>

class CQuendalApp;

class CQuendalAPI final
{
public:
    explicit CQuendalAPI(CQuendalApp* pApp);
    CQuendalAPI(const CQuendalAPI&) = delete;
    CQuendalAPI& operator=(const CQuendalAPI&) = delete;

    virtual HWND GetMainWnd();                                                              // 0
    virtual int IsSpaceChar(BYTE c, BYTE next);                                             // 1
    virtual const char* SkipSpaces(const char* pszText);                                    // 2
    virtual void Reserved();                                                                // 3
    virtual int GetProfileInt(const char* pszPlugIn, const char* pszSub, const char* pszKey, int nDefault);
    virtual int GetProfileStringLength(const char* pszPlugIn, const char* pszSub, const char* pszKey);
    virtual void GetProfileString(const char* pszPlugIn, const char* pszSub, const char* pszKey,
                                  const char* pszDefault, char* pBuffer, int nSize);
    virtual void WriteProfileInt(const char* pszPlugIn, const char* pszSub, const char* pszKey, int nValue);
    virtual void WriteProfileString(const char* pszPlugIn, const char* pszSub, const char* pszKey,
                                    const char* pszText);
    virtual bool GetFileVersion(const char* pszPath, WORD* pMajor, WORD* pMinor, WORD* pThird, WORD* pFourth);
    virtual bool AddPlugInMenu(HMODULE hPlugIn, LPARAM lValue, UINT nFlags, const char* pszMenu,
                               const char* pszPrompt, QdCommandFunc pfn, LPARAM lValue2, LPARAM lValue3,
                               LPARAM lValue4);                                             // 10
    virtual bool AddPlugInCommand(HMODULE hPlugIn, LPARAM lValue, const char* pszCommand, QdCommandFunc pfn,
                                  LPARAM lValue3, LPARAM lValue4);
    virtual int GetAccountId(int nIndex);
    virtual HANDLE ReceiveAccount(const char* pszAccount, BOOL bFlag1, BOOL bFlag2);
    virtual void EndReceive();
    virtual HIMAGELIST GetFolderImageList();
    virtual void GetMailBoxFolder(char* pBuffer);
    virtual void GetTempFolder(char* pBuffer);
    virtual bool CreateDirectoryPath(const char* pszPath);
    virtual void WriteLog(const char* pszText, BOOL bForce);
    virtual int CreateFolder(const char* pszDir, const char* pszName);                      // 20
    virtual bool CopyMailToFolder(int nTarget, const char* pszAccount, int nSource, int nIndex,
                                  QdCopyTextFilter pfnText, QdCopyFlagFilter pfnFlag, QdCopyDone pfnDone,
                                  LPARAM lUser);
    virtual bool SendFolderMail(int nFolderId, BOOL bFlag);
    virtual bool ParseMailDate(const char* pszDate, SYSTEMTIME* pTime);
    virtual int GetMailSize(int nFolderId, int nIndex);
    virtual QdMailInfo* GetMailInfo(QdMailInfo* pInfo, int nFolderId, const char* pszKey);
    virtual bool GetMailData(int nFolderId, int nIndex, char* pBuffer, int nLength);
    virtual void SelectMail(int nFolderId, const char* pszKey);
    virtual bool OpenMail(int nFolderId, const char* pszKey, BOOL bSelect);
    virtual int SelectFolderDialog(const char* pszCaption, int nInitialId);
    virtual void GetFolderName(int nFolderId, char* pBuffer, int nSize);                    // 30
    virtual int GetSequenceNumber();
    virtual void ShowAddressBook(HWND hParent, HWND hOwner, int nMode);
    virtual void SelectAddress(HWND hParent, char* pBuffer, int nSize, int nMode);
    virtual void GetMailAddress(const char* pszText, char* pBuffer, int nSize);
    virtual void GetDisplayName(const char* pszText, char* pBuffer, int nSize);
    virtual int GetPlugInFolder(char* pBuffer, int nSize);
    virtual void FillAccountAddressCombo(HWND hCombo);
    virtual bool EnumHeaderFields(const char* pszText, LPARAM lUser, QdHeaderFieldFunc pfn);
    virtual bool GetHeaderField(const char* pszText, const char* pszName, char* pBuffer, int nSize);
    virtual void GetMD5String(const char* pszText, char* pBuffer);                          // 40
    virtual int ShowPlugInHelp(const char* pszFile, UINT nCommand, DWORD_PTR dwData);
    virtual bool AddAddress(int nGroupId, const char* pszName, const char* pszAddress, const char* pszMemo,
                            const char* pszIcon);
    virtual void* FindAddressGroup(const char* pszGroup);
    virtual bool CheckAddressInGroup(const char* pszReference, const char* pszText);
    virtual int GetGroupName(const char* pszReference, char* pBuffer, int nSize);
    virtual void EnumGroupAddresses(const char* pszGroup, QdGroupAddressFunc pfn, LPARAM lValue, LPARAM lUser);
    // Deleting destructor: bit 0 of the flags frees the object.
    virtual void Destroy(UINT nFlags);                                                      // 47

    // The section of a plug-in's settings.
    static CString ProfileSection(const char* pszPlugIn, const char* pszSub);
    // The folder "PlugIn" beside the program file, with a trailing backslash.
    static CString PlugInFolder();

protected:
    ~CQuendalAPI();

private:
    CQuendalApp* m_pApp;
    int m_nSequence = 1000;
    CRITICAL_SECTION m_lock;
    bool m_bLockLive = true;
};

// The process's one API object (null before start-up made it).
CQuendalAPI* GetQuendalAPIObject();
void SetQuendalAPIObject(CQuendalAPI* pApi);

extern "C" __declspec(dllexport) CQuendalAPI* GetQuendalAPI();
