// CProfileDataSet: a profile file of "Profile.Box", typed lines "%d\t%s":
// 0 an account shown, 1 a folder id shown, 2 the route settings file, 3 the
// address-book folder, 4 the account settings file (empty: the mailbox's).
#pragma once

#include "core/DataStrgRecord.h"
#include "core/QDDataStrgSet.h"

#include <vector>

class CProfileRecord : public CDataStrgRecord
{
public:
    int m_nType = 0;
    CString m_strText;
};

class CProfileDataSet : public CQDDataStrgSet
{
public:
    CProfileDataSet() { m_nColumnCount = 2; }

    CDataStrgRecord* CreateNewRecord() override;
    BOOL SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord) override;
    void WriteRecord(CFile& file, CDataStrgRecord* pRecord) override;

    CProfileRecord* GetEntry(int nIndex) const { return static_cast<CProfileRecord*>(GetRecord(nIndex)); }
    void Add(int nType, const char* pszText);
};

// One profile as its file holds it.
struct Profile
{
    std::vector<CString> accounts;
    std::vector<int> folderIds;
    CString strRouteFile, strAddressFolder, strAccountFile;
};

// A missing file is an empty profile.
Profile ReadProfile(const char* pszPath);
// The whole file in its order: accounts, folders, then the three paths.
bool WriteProfile(const char* pszPath, const Profile& profile);
// The profile names: the files of the folder (sub-folders are no profiles),
// in listing order.
std::vector<CString> ListProfileNames(const char* pszProfileBox);
// Why a new name cannot be used (empty, or taken in any letter case), or
// empty when it can.
CString CheckNewProfileName(const char* pszProfileBox, const char* pszName);
// The folder lists of the profiles follow the folders. A new folder joins
// one profile's file (a missing file stays missing), or every profile of the
// folder that lists one of pRefIds (every profile when null), at most once;
// a removed folder leaves every profile, so that a later folder given its id
// is not shown by mistake.
void AddFolderToProfile(const char* pszPath, int nFolderId);
void AddFolderToProfiles(const char* pszProfileBox, const std::vector<int>* pRefIds, int nFolderId);
void RemoveFolderFromProfiles(const char* pszProfileBox, int nFolderId);
