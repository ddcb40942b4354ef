// CFilterGroupPatterns: the prepared patterns of filter conditions whose
// text names an address-book group ("%GL$" + group name + "$%"). Such a
// condition holds when the header value contains, in any case, the address
// of a member of the group. The groups come from the address book's
// "Group.lst" and the groups' address files, read again when they change.
#pragma once

#include "addressbook/AddressGroup.h"
#include "classlib/ClassLib.h"

#include <map>
#include <string>
#include <vector>

class CFilterGroupPatterns
{
public:
    CFilterGroupPatterns() = default;
    CFilterGroupPatterns(const CFilterGroupPatterns&) = delete;
    CFilterGroupPatterns& operator=(const CFilterGroupPatterns&) = delete;
    ~CFilterGroupPatterns();

    // The address-book folder that holds "Group.lst".
    void SetAddressBoxPath(const char* pszPath);
    // Reads the groups again when a file changed since the last read (or
    // always with bForce).
    void Refresh(BOOL bForce = FALSE);

    // Whether the text is a group reference; when it is, whether the value
    // holds a member's address (false for a group that does not exist).
    bool Match(const char* pszText, const char* pszValue, bool* pbMatch);
    // Whether the text is a reference to a group that holds no member
    // address (or does not exist), so that no value ever matches it; the
    // group files are checked for changes first.
    bool IsEmptyGroup(const char* pszText);
    // The same question of the table every condition test consults; false
    // when none is installed (the text is then compared as it is).
    static bool IsEmptyGroupReference(const char* pszText);

    // Makes this table the one every message condition test consults.
    void Install();
    void Uninstall();

private:
    struct FileStamp
    {
        CString strPath;
        FILETIME time = {};
        DWORD dwSize = 0;
        bool bExists = false;
    };
    static FileStamp StampOf(const char* pszPath);
    static bool SameStamp(const FileStamp& a, const FileStamp& b);
    bool FilesChanged() const;
    void Load();
    // Reads the groups again when due; the caller holds the lock.
    void RefreshIfDue(bool bCheckNow);
    static bool Hook(const char* pszText, const char* pszValue, bool* pbMatch);

    CCriticalSection m_lock;
    CString m_strAddressBox;
    // Group name (exact) -> the group with its members.
    std::map<std::string, CAddressGroup> m_groups;
    std::vector<FileStamp> m_stamps;
    bool m_bLoaded = false;
    DWORD m_dwLastCheck = 0;
};
