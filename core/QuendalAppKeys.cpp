// Key files, accelerator tables, menu short-cut texts and global hot keys.
#include "core/QuendalApp.h"

#include "core/CommandText.h"
#include "core/KeyAssignDataSet.h"
#include "resources/mainwnd/KeysResource.h"

#include <vector>

namespace {

const UINT kHelpCommand = ID_HELP_FINDER;
const UINT kEditAbortCommand = 32930;
const UINT kAbortTransferCommand = 32985;
const UINT kPlugInFirst = 40000, kPlugInLast = 41000;
// The window keeps the command of the "ICON" key as its icon command.
const UINT kMsgSetIconCommand = WM_USER + 398;

struct HotKeyCommand
{
    UINT nCommand;
    const char* pszAtom;
};
// In the order of the application's hot-key slots.
const HotKeyCommand kHotKeys[CQuendalApp::hotKeyCount] = {
    { 32989, "Corvane Mail" },
    { 33091, "CorvaneMail Editor" },
    { 33271, "CorvaneMailShowTaskTrayMenu" },
    { 33268, "CorvaneMailReceiveNotifyDlg" },
};

const UINT kDefaultAccelIds[3] = { 128, 134, 140 };

bool IsPlugInCommand(UINT nCommand)
{
    if (nCommand < kPlugInFirst || nCommand > kPlugInLast)
        return false;
    CString group, name;
    GetCommandDescription(nCommand, group, name);
    return !name.IsEmpty() || !group.IsEmpty();
}

UINT ToHotKeyModifiers(int nModifiers)
{
    UINT mod = 0;
    if (nModifiers & FALT)
        mod |= MOD_ALT;
    if (nModifiers & FCONTROL)
        mod |= MOD_CONTROL;
    if (nModifiers & FSHIFT)
        mod |= MOD_SHIFT;
    return mod;
}

} // namespace

BOOL CQuendalApp::SetDefaultKeyAssign(int nKind, CKeyAssignDataSet& table)
{
    if (nKind < 0 || nKind > 2)
        nKind = 0;
    std::vector<ACCEL> defaults = LoadAcceleratorResource(kDefaultAccelIds[nKind]);
    table.SetFromAccelerators(defaults.data(), static_cast<int>(defaults.size()));
    return table.WriteToFile();
}

BOOL CQuendalApp::SetupAccelerators(int nKind, CFrameWnd* pFrame, const ACCEL* pDefaults, int nDefaults,
                                    UINT nIDResource)
{
    std::vector<ACCEL> loaded;
    if (!pDefaults) {
        loaded = LoadAcceleratorResource(nIDResource);
        pDefaults = loaded.data();
        nDefaults = static_cast<int>(loaded.size());
    }
    CKeyAssignDataSet table;
    table.SetFilePath(GetKeyFilePath(nKind));
    if (GetFileAttributesA(table.GetFilePath()) == INVALID_FILE_ATTRIBUTES)
        SetDefaultKeyAssign(nKind, table);
    if (!table.ReadFromFile(TRUE))
        return FALSE;

    std::vector<ACCEL> entries;
    std::vector<UINT> iconCommands;
    if (table.BuildAccelerators(pDefaults, nDefaults, nKind == 0 ? IsPlugInCommand : nullptr, entries, &iconCommands))
        table.WriteToFile();
    if (pFrame && pFrame->m_hWnd) {
        for (UINT nCommand : iconCommands)
            pFrame->PostMessage(kMsgSetIconCommand, nCommand, 0);
    }

    auto keyText = [&](UINT nCommand) {
        CKeyAssignData* r = table.FindAssignedKey(static_cast<int>(nCommand));
        return r ? FormatHotKeyText(static_cast<WORD>(r->m_nKey), static_cast<BYTE>(r->m_nModifiers)) : CString();
    };
    if (nKind == 0) {
        m_strHelpKeyText[0] = keyText(kHelpCommand);
        if (CKeyAssignData* r = table.FindAssignedKey(kAbortTransferCommand)) {
            m_strAbortKeyText = keyText(kAbortTransferCommand);
            m_nAbortCommand = kAbortTransferCommand;
            m_nAbortKey = r->m_nKey;
            m_nAbortModifiers = r->m_nModifiers;
        } else {
            m_strAbortKeyText.Empty();
            m_nAbortCommand = 0;
            m_nAbortKey = m_nAbortModifiers = 0;
        }
        // Hot keys belong to the main window, also when a header window or a
        // thread view rebuilds its table from the same file.
        HWND hTarget = m_pMainWnd && m_pMainWnd->m_hWnd ? m_pMainWnd->m_hWnd : (pFrame ? pFrame->m_hWnd : nullptr);
        UnregisterHotKeys();
        for (int i = 0; i < hotKeyCount && hTarget; ++i) {
            CKeyAssignData* r = table.FindAssignedKey(static_cast<int>(kHotKeys[i].nCommand));
            if (!r)
                continue;
            m_hotKeyAtoms[i] = ::GlobalAddAtomA(kHotKeys[i].pszAtom);
            if (!m_hotKeyAtoms[i])
                continue;
            // A key another program holds fails quietly.
            ::RegisterHotKey(hTarget, m_hotKeyAtoms[i], ToHotKeyModifiers(r->m_nModifiers), static_cast<UINT>(r->m_nKey));
            m_hHotKeyWnd = hTarget;
        }
    } else if (nKind == 1) {
        m_strHelpKeyText[1] = keyText(kHelpCommand);
    } else if (nKind == 2) {
        m_strEditAbortKeyText = keyText(kEditAbortCommand);
        m_strHelpKeyText[2] = keyText(kHelpCommand);
    }

    if (pFrame) {
        HACCEL hAccel = entries.empty() ? nullptr
                                        : ::CreateAcceleratorTableA(entries.data(), static_cast<int>(entries.size()));
        if (pFrame->m_hAccelTable)
            ::DestroyAcceleratorTable(pFrame->m_hAccelTable);
        pFrame->m_hAccelTable = hAccel;
        if (pFrame->m_hWnd) {
            HMENU hMenu = ::GetMenu(pFrame->m_hWnd);
            if (hMenu) {
                UpdateMenuKeyTexts(hMenu, entries.data(), static_cast<int>(entries.size()));
                ::DrawMenuBar(pFrame->m_hWnd);
            }
        }
    }
    return TRUE;
}

void CQuendalApp::UnregisterHotKeys()
{
    // The old registration is released first: registering a changed key under
    // the same id would fail while the old key stayed active.
    for (ATOM& atom : m_hotKeyAtoms) {
        if (!atom)
            continue;
        if (m_hHotKeyWnd)
            ::UnregisterHotKey(m_hHotKeyWnd, atom);
        ::GlobalDeleteAtom(atom);
        atom = 0;
    }
    m_hHotKeyWnd = nullptr;
}

void CQuendalApp::UpdateMenuKeyTexts(HMENU hMenu, const ACCEL* pTable, int nCount)
{
    const int nItems = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < nItems; ++i) {
        if (HMENU hSub = ::GetSubMenu(hMenu, i)) {
            UpdateMenuKeyTexts(hSub, pTable, nCount);
            continue;
        }
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        if (!::GetMenuItemInfoA(hMenu, static_cast<UINT>(i), TRUE, &info) || (info.fType & MFT_SEPARATOR) ||
            info.cch == 0)
            continue;
        std::vector<char> buf(info.cch + 1);
        info.dwTypeData = buf.data();
        info.cch = static_cast<UINT>(buf.size());
        if (!::GetMenuItemInfoA(hMenu, static_cast<UINT>(i), TRUE, &info))
            continue;
        CString text = buf.data();
        int tab = text.Find('\t');
        text = tab >= 0 ? text.Left(tab + 1) : text + "\t";
        text += GetCommandKeyText(pTable, info.wID, nCount);
        MENUITEMINFOA set = {};
        set.cbSize = sizeof(set);
        set.fMask = MIIM_STRING;
        set.dwTypeData = const_cast<char*>(static_cast<const char*>(text));
        ::SetMenuItemInfoA(hMenu, static_cast<UINT>(i), TRUE, &set);
    }
}

CString CQuendalApp::GetHelpKeyText(int nKind) const
{
    if (nKind == 1 || nKind == 2)
        return m_strHelpKeyText[nKind];
    return m_strHelpKeyText[0];
}
