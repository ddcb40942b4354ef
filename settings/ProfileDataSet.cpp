#include "settings/ProfileDataSet.h"

#include <algorithm>
#include <cstdlib>

CDataStrgRecord* CProfileDataSet::CreateNewRecord()
{
    auto* r = new CProfileRecord;
    AddRecord(r);
    return r;
}

BOOL CProfileDataSet::SetRecordField(int nColumn, const char* pszField, CDataStrgRecord* pRecord)
{
    auto* r = static_cast<CProfileRecord*>(pRecord);
    if (nColumn == 0)
        r->m_nType = static_cast<int>(std::strtol(pszField, nullptr, 10));
    else if (nColumn == 1)
        r->m_strText = pszField;
    return TRUE;
}

void CProfileDataSet::WriteRecord(CFile& file, CDataStrgRecord* pRecord)
{
    auto* r = static_cast<CProfileRecord*>(pRecord);
    CString line;
    line.Format("%d\t%s\r\n", r->m_nType, CleanField(r->m_strText).GetString());
    WriteLine(file, line);
}

void CProfileDataSet::Add(int nType, const char* pszText)
{
    auto* r = static_cast<CProfileRecord*>(CreateNewRecord());
    r->m_nType = nType;
    r->m_strText = pszText;
}

Profile ReadProfile(const char* pszPath)
{
    Profile p;
    CProfileDataSet set;
    set.SetFilePath(pszPath);
    if (!set.ReadFromFile(TRUE))
        return p;
    for (int i = 0; i < set.GetRecordCount(TRUE); ++i) {
        CProfileRecord* r = set.GetEntry(i);
        switch (r->m_nType) {
        case 0: p.accounts.push_back(r->m_strText); break;
        case 1: p.folderIds.push_back(static_cast<int>(std::strtol(r->m_strText, nullptr, 10))); break;
        case 2: p.strRouteFile = r->m_strText; break;
        case 3: p.strAddressFolder = r->m_strText; break;
        case 4: p.strAccountFile = r->m_strText; break;
        default: break;
        }
    }
    return p;
}

bool WriteProfile(const char* pszPath, const Profile& profile)
{
    CProfileDataSet set;
    set.SetFilePath(pszPath);
    for (const CString& a : profile.accounts)
        set.Add(0, a);
    for (int id : profile.folderIds) {
        CString text;
        text.Format("%d", id);
        set.Add(1, text);
    }
    set.Add(2, profile.strRouteFile);
    set.Add(3, profile.strAddressFolder);
    set.Add(4, profile.strAccountFile);
    return set.WriteToFile(FALSE) != FALSE;
}

std::vector<CString> ListProfileNames(const char* pszProfileBox)
{
    std::vector<CString> names;
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA(CString(pszProfileBox) + "\\*", &data);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(CString(data.cFileName));
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return names;
}

CString CheckNewProfileName(const char* pszProfileBox, const char* pszName)
{
    if (!pszName || !*pszName)
        return "プロファイル名を入力してください。";
    for (const CString& name : ListProfileNames(pszProfileBox)) {
        if (lstrcmpiA(name, pszName) == 0)
            return "指定されたプロファイル名は既に存在しています。\r\n別の名前を指定してください。";
    }
    return CString();
}

namespace {

bool Lists(const Profile& profile, int nFolderId)
{
    return std::find(profile.folderIds.begin(), profile.folderIds.end(), nFolderId) != profile.folderIds.end();
}

// Adds the folder to a profile already read from its file.
void AddToProfile(const char* pszPath, Profile& profile, int nFolderId)
{
    if (Lists(profile, nFolderId))
        return;
    profile.folderIds.push_back(nFolderId);
    WriteProfile(pszPath, profile);
}

} // namespace

void AddFolderToProfile(const char* pszPath, int nFolderId)
{
    if (::GetFileAttributesA(pszPath) == INVALID_FILE_ATTRIBUTES)
        return;
    Profile profile = ReadProfile(pszPath);
    AddToProfile(pszPath, profile, nFolderId);
}

void AddFolderToProfiles(const char* pszProfileBox, const std::vector<int>* pRefIds, int nFolderId)
{
    for (const CString& name : ListProfileNames(pszProfileBox)) {
        CString path = CString(pszProfileBox) + "\\" + name;
        Profile profile = ReadProfile(path);
        if (pRefIds && std::none_of(pRefIds->begin(), pRefIds->end(), [&](int id) { return Lists(profile, id); }))
            continue;
        AddToProfile(path, profile, nFolderId);
    }
}

void RemoveFolderFromProfiles(const char* pszProfileBox, int nFolderId)
{
    for (const CString& name : ListProfileNames(pszProfileBox)) {
        CString path = CString(pszProfileBox) + "\\" + name;
        Profile profile = ReadProfile(path);
        if (!Lists(profile, nFolderId))
            continue;
        profile.folderIds.erase(std::remove(profile.folderIds.begin(), profile.folderIds.end(), nFolderId),
                                profile.folderIds.end());
        WriteProfile(path, profile);
    }
}
