// The rules behind the address book window that need no window: file names
// of new groups, the order of sorted lists, joining recipient texts, which
// files a group's deletion may remove, reading address files into a group,
// the search over the address-book thread's groups, and the splitter's range.
#pragma once

#include "addressbook/AddressDataSet.h"

class CAddressManagerThread;

namespace AddressNoteRules {

// The file of a new group: the group name with ".dat" in the folder, or,
// while that exists, the name followed by 0, 1, 2 ... ("%s%d").
CString ChooseGroupFilePath(const char* pszFolder, const char* pszGroupName);

// The list order of two entries: negative when a comes first. Mode 1 name,
// 2 address, 3 memo (byte order of the texts; ascending with bFlag set);
// mode 0 the entries' indexes (ascending with bFlag clear).
int CompareAddressItems(const CAddressData& a, const CAddressData& b, int nMode, BOOL bFlag);

// A recipient field's text with more addresses added: a separating comma
// when the old text does not end in one, then the list parsed and joined
// again, each address followed by ",".
CString AppendRecipients(const char* pszFieldText, const char* pszNewText);

// True when the file lies inside the folder (or below it), after both paths
// are made full: only such files may be removed with a group.
bool IsFileInsideFolder(const char* pszPath, const char* pszFolder);

// Reads the address file (".adr": import columns) into pSet, replacing its
// records, and writes it to the set's own file. A file that cannot be read
// leaves the set and its file as they were; false then.
bool ReplaceWithAddressFile(CAddressDataSet& set, const char* pszImportPath);

// Appends every entry of a Windows Address Book (empty path: the user's
// own) to the set with the icon "IconDefault"; the number appended, or -1
// when the address book could not be read.
int AppendWabAddresses(CAddressDataSet& set, const char* pszWabPath);

// Where the last search hit was, so that the next one goes on behind it.
// A flag of its own says whether there is one: 0 is the id of the default
// group, so the id cannot stand for "none" without the search sticking at
// the first match of that group.
struct SearchState
{
    bool bHasHit = false;
    int nGroupId = 0;
    int nEntryIndex = -1;
};

// The next entry, in the thread's groups in order, whose name, address and
// memo contain the criteria (letter case ignored; empty matches anything),
// starting behind the remembered hit. On a hit the group id and the entry's
// address are returned and remembered; without one the state is cleared so
// that the next search starts again at the first group.
bool FindNextAddress(CAddressManagerThread& thread, const char* pszName, const char* pszAddress,
                     const char* pszMemo, SearchState& state, int& nGroupId, CString& strAddress);

// The splitter position for a release at x in a window nWidth wide.
int ClampSplitPos(int x, int nWidth);

} // namespace AddressNoteRules
