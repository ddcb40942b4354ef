// CKeyAssignEditor: the key table one window kind's key file holds, as the
// key assignment dialog edits it: its commands with their keys, adding,
// changing and deleting keys, the defaults, and the duplicate check.
// Nothing is written before Save.
#pragma once

#include "core/KeyAssignDataSet.h"

#include <vector>

struct KeyCommandRow
{
    int nCommand = 0;
    CString strCategory;
    CString strName;
    int nFirstRecord = -1;
};

class CKeyAssignEditor
{
public:
    // Reads the kind's key file (0 main window, 1 viewer, 2 editor); a
    // missing file is made from the defaults first.
    BOOL Load(int nKind, const char* pszPath);
    // The kind's default keys in place of the table (not yet written).
    void SetDefaults();
    BOOL Save();

    // One row a command with a category, sorted by category, then command.
    std::vector<KeyCommandRow> GetCommands();
    // The records that give the command a key.
    std::vector<int> GetKeys(int nCommand) const;
    CString GetKeyText(int nRecord) const;
    // Another command that already has this key, or 0.
    int FindDuplicate(int nCommand, int nKey, int nModifiers) const;
    // Gives the command one more key; the record it went into.
    int AddKey(int nCommand, int nKey, int nModifiers);
    void ChangeKey(int nRecord, int nKey, int nModifiers);
    // Removes one key; the command's last key leaves it without any key (-1),
    // so that its default does not come back. False for no such record.
    bool DeleteKey(int nRecord);

    int GetKind() const { return m_nKind; }
    bool IsModified() const { return m_bModified; }
    CKeyAssignDataSet& Table() { return m_table; }

    // The accelerator resource of a kind's defaults.
    static UINT DefaultResource(int nKind);

private:
    int Count() const { return const_cast<CKeyAssignDataSet&>(m_table).GetRecordCount(TRUE); }

    CKeyAssignDataSet m_table;
    int m_nKind = 0;
    bool m_bModified = false;
};
