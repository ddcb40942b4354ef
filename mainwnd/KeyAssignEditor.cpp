#include "mainwnd/KeyAssignEditor.h"

#include "core/CommandText.h"

#include <algorithm>
#include <cstring>

namespace {

const int kTabKey = VK_TAB;
const UINT kPlugInFirst = 40000, kPlugInLast = 41000;

} // namespace

UINT CKeyAssignEditor::DefaultResource(int nKind)
{
    static const UINT ids[3] = { 128, 134, 140 };
    return ids[nKind >= 0 && nKind <= 2 ? nKind : 0];
}

BOOL CKeyAssignEditor::Load(int nKind, const char* pszPath)
{
    m_nKind = nKind >= 0 && nKind <= 2 ? nKind : 0;
    m_bModified = false;
    m_table.RemoveAll();
    m_table.SetFilePath(pszPath);
    DWORD attr = ::GetFileAttributesA(pszPath);
    if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY)) {
        SetDefaults();
        Save();
    }
    if (!m_table.ReadFromFile(TRUE))
        return FALSE;
    m_table.Upgrade(m_nKind);
    m_bModified = false;
    return TRUE;
}

void CKeyAssignEditor::SetDefaults()
{
    std::vector<ACCEL> defaults = LoadAcceleratorResource(DefaultResource(m_nKind));
    m_table.SetFromAccelerators(defaults.data(), static_cast<int>(defaults.size()));
    if (m_nKind == 0) {
        // The main window's plug-in commands get a row without a key.
        for (UINT id = kPlugInFirst; id <= kPlugInLast; ++id) {
            CString group, name;
            GetCommandDescription(id, group, name);
            if (!group.IsEmpty() || !name.IsEmpty())
                m_table.AddKey(static_cast<int>(id), 0, 0);
        }
    }
    m_bModified = true;
}

BOOL CKeyAssignEditor::Save()
{
    if (!m_table.WriteToFile())
        return FALSE;
    m_bModified = false;
    return TRUE;
}

std::vector<KeyCommandRow> CKeyAssignEditor::GetCommands()
{
    std::vector<KeyCommandRow> rows;
    std::vector<int> seen;
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        CKeyAssignData* r = m_table.GetKey(i);
        if (!r || r->m_bDeleted)
            continue;
        if (std::find(seen.begin(), seen.end(), r->m_nCommand) != seen.end())
            continue;
        seen.push_back(r->m_nCommand);
        // The pane keys (Tab) are not the user's to change.
        if (r->m_nKey == kTabKey)
            continue;
        CString category, name;
        GetCommandDescription(static_cast<UINT>(r->m_nCommand), category, name);
        r->m_strCategory = category;
        if (category.IsEmpty())
            continue;
        KeyCommandRow row;
        row.nCommand = r->m_nCommand;
        row.strCategory = category;
        row.strName = name;
        row.nFirstRecord = i;
        rows.push_back(row);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const KeyCommandRow& a, const KeyCommandRow& b) {
        int c = std::strcmp(a.strCategory, b.strCategory);
        return c != 0 ? c < 0 : a.nCommand < b.nCommand;
    });
    return rows;
}

std::vector<int> CKeyAssignEditor::GetKeys(int nCommand) const
{
    std::vector<int> keys;
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        const CKeyAssignData* r = m_table.GetKey(i);
        if (r && !r->m_bDeleted && r->m_nCommand == nCommand && r->m_nKey != 0 && r->m_nKey != CKeyAssignData::kNoKey)
            keys.push_back(i);
    }
    return keys;
}

CString CKeyAssignEditor::GetKeyText(int nRecord) const
{
    const CKeyAssignData* r = m_table.HasRecord(nRecord) ? m_table.GetKey(nRecord) : nullptr;
    return r ? FormatHotKeyText(static_cast<WORD>(r->m_nKey), static_cast<BYTE>(r->m_nModifiers)) : CString();
}

int CKeyAssignEditor::FindDuplicate(int nCommand, int nKey, int nModifiers) const
{
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        const CKeyAssignData* r = m_table.GetKey(i);
        // Only Alt, Ctrl and Shift tell keys apart: the defaults carry no
        // no-invert bit, the selection dialog always gives it.
        const int kKeyBits = FALT | FCONTROL | FSHIFT;
        if (r && !r->m_bDeleted && r->m_nKey == nKey && (r->m_nModifiers & kKeyBits) == (nModifiers & kKeyBits) &&
            r->m_nCommand != nCommand)
            return r->m_nCommand;
    }
    return 0;
}

int CKeyAssignEditor::AddKey(int nCommand, int nKey, int nModifiers)
{
    int record = -1;
    if (GetKeys(nCommand).empty()) {
        // The command's own row (without a key) takes the key.
        const int count = Count();
        for (int i = 0; i < count && record < 0; ++i) {
            const CKeyAssignData* r = m_table.GetKey(i);
            if (r && !r->m_bDeleted && r->m_nCommand == nCommand)
                record = i;
        }
    }
    CKeyAssignData* r = record >= 0 ? m_table.GetKey(record) : m_table.AddKey(nCommand, nKey, nModifiers);
    if (record < 0)
        record = Count() - 1;
    r->m_nCommand = nCommand;
    r->m_nKey = nKey;
    r->m_nModifiers = nModifiers;
    m_bModified = true;
    return record;
}

void CKeyAssignEditor::ChangeKey(int nRecord, int nKey, int nModifiers)
{
    if (!m_table.HasRecord(nRecord))
        return;
    CKeyAssignData* r = m_table.GetKey(nRecord);
    r->m_nKey = nKey;
    r->m_nModifiers = nModifiers;
    m_bModified = true;
}

bool CKeyAssignEditor::DeleteKey(int nRecord)
{
    CKeyAssignData* r = m_table.HasRecord(nRecord) ? m_table.GetKey(nRecord) : nullptr;
    if (!r || r->m_bDeleted)
        return false;
    if (GetKeys(r->m_nCommand).size() <= 1) {
        r->m_nKey = CKeyAssignData::kNoKey;
        r->m_nModifiers = 0;
    } else {
        r->m_bDeleted = 1;
    }
    m_bModified = true;
    return true;
}
