// CAddressManagerThread: the address-book thread. It holds the address book
// as other threads see it, the groups with copies of their entries and the
// sorted completion list ("address<TAB>name" lines), and reloads both from
// the files when it is told the address book changed (1434). Other threads
// call its lookups directly; a group they get is valid only while they hold
// the lock (a reload rebuilds every group).
#pragma once

#include "addressbook/AddressGroup.h"
#include "classlib/ClassLib.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CAddressGroupDataSet;
class CQuendalApp;

class CAddressManagerThread : public CWinThread
{
public:
    // Command id of the first address item of a group menu.
    static constexpr UINT kFirstMenuCommand = 1024;

    CAddressManagerThread();

    // Loads the address book as the thread starts, so completion works from
    // the first moment rather than after the first change.
    BOOL InitInstance() override;
    int ExitInstance() override;

    // Reloads groups and completion list from the files (the thread's own work).
    void LoadAddressBook();

    // Appends every completion line beginning with the prefix (letter case
    // ignored), except lines naming a member of the junk-mail group;
    // returns the array's new count.
    int GetMatchingAddresses(const char* pszPrefix, CStringArray& lines);
    // One popup per group (nested as the groups are) with one item per
    // address, read fresh from the files. Item ids are kFirstMenuCommand +
    // the index of the item's line in lines. The popups are attached to
    // hRootMenu or to each other and appended to popups; they are destroyed
    // with hRootMenu.
    void CreateGroupMenu(HMENU hRootMenu, CStringArray& lines, std::vector<HMENU>& popups);

    // Lookups for callers holding the lock.
    CAddressGroup* FindGroup(const char* pszName);
    const char* GetGroupFilePath(int nId);
    int GetGroupCount() const { return static_cast<int>(m_groups.size()); }
    CAddressGroup* GetGroup(int nIndex) { return m_groups[static_cast<size_t>(nIndex)].get(); }
    CCriticalSection& GetLock() { return m_lock; }

    // The completion list as loaded (for callers holding the lock).
    const CStringArray& GetCompletionList() const { return m_completion; }

    // The name of the first entry with a name for the mail address (letter
    // case ignored); false when none has one. The first caller loads the
    // address book when the thread has not yet.
    bool FindName(const char* pszAddress, CString& name);
    // The same through the application's address-book thread, for the mail
    // list's shown senders; false while there is none.
    static bool FindNameOfApp(const char* pszAddress, CString& name);

    // The name of the junk-mail sender group.
    static const char* const kJunkGroupName;
    // Reads "Group.lst" of the address-book folder, making the default
    // address book first when there is none.
    static void ReadGroupList(CQuendalApp& app, CAddressGroupDataSet& list);

protected:
    void OnAddressBookChanged(WPARAM, LPARAM) { LoadAddressBook(); }
    void OnQuit(WPARAM, LPARAM) { ::PostQuitMessage(0); }

    DECLARE_MESSAGE_MAP()

private:
    CQuendalApp* m_pApp;
    CCriticalSection m_lock;  // re-entrant for its holder
    CStringArray m_completion;
    std::vector<std::unique_ptr<CAddressGroup>> m_groups;
    std::unordered_map<std::string, CString> m_names;  // lower-case address -> name
    bool m_bLoaded = false;
};
