/* What a plug-in module sees of the client: the order of the operations of
   the API object, the argument records and the callback types. Plain C, so
   that plug-ins may be written in C or C++. The object's table is reached as
   (*(void***)api)[slot]; every operation takes the object as its first
   argument. */
#ifndef CVM_PLUGIN_INTERFACE_H
#define CVM_PLUGIN_INTERFACE_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

enum QdApiSlot {
    QD_GetMainWnd = 0, QD_IsSpaceChar, QD_SkipSpaces, QD_Reserved3, QD_GetProfileInt,
    QD_GetProfileStringLength, QD_GetProfileString, QD_WriteProfileInt, QD_WriteProfileString,
    QD_GetFileVersion, QD_AddPlugInMenu, QD_AddPlugInCommand, QD_GetAccountId, QD_ReceiveAccount,
    QD_EndReceive, QD_GetFolderImageList, QD_GetMailBoxFolder, QD_GetTempFolder,
    QD_CreateDirectoryPath, QD_WriteLog, QD_CreateFolder, QD_CopyMailToFolder, QD_SendFolderMail,
    QD_ParseMailDate, QD_GetMailSize, QD_GetMailInfo, QD_GetMailData, QD_SelectMail, QD_OpenMail,
    QD_SelectFolderDialog, QD_GetFolderName, QD_GetSequenceNumber, QD_ShowAddressBook,
    QD_SelectAddress, QD_GetMailAddress, QD_GetDisplayName, QD_GetPlugInFolder,
    QD_FillAccountAddressCombo, QD_EnumHeaderFields, QD_GetHeaderField, QD_GetMD5String,
    QD_ShowPlugInHelp, QD_AddAddress, QD_FindAddressGroup, QD_CheckAddressInGroup,
    QD_GetGroupName, QD_EnumGroupAddresses, QD_Destroy,
    QD_SlotCount
};

/* Filled by QD_GetMailInfo; the texts point into the folder's loaded index. */
typedef struct QdMailInfo {
    int nIndex;
    const char* pszKey;
    const char* pszSubject;
    const char* pszFrom;
    const char* pszTo;
    const char* pszCc;
    const char* pszReceived;
    const char* pszDate;
} QdMailInfo;

typedef void (*QdCommandFunc)(void);
typedef const char* (CALLBACK* QdCopyTextFilter)(const char* subject, const char* from, const char* to,
                                                 const char* cc, const char* date, const char* text,
                                                 LPARAM user);
typedef int (CALLBACK* QdCopyFlagFilter)(const char* subject, const char* to, const char* cc,
                                         const char* date, const char* text, LPARAM user);
typedef void (CALLBACK* QdCopyDone)(LPARAM user);
typedef int (CALLBACK* QdHeaderFieldFunc)(const char* name, const char* value, LPARAM user);
typedef void (CALLBACK* QdGroupAddressFunc)(const char* name, const char* address, const char* memo,
                                            LPARAM value, LPARAM user);

/* Exported by the client program. */
typedef void* (*QdGetApiFunc)(void);

#ifdef __cplusplus
}
#endif

#endif
