#include "core/CommandText.h"

#include <atomic>

namespace {

struct KeyNameEntry
{
    char szName[16];
    WORD wKey;
};

// Searched in order; the code 0 row ends the table.
const KeyNameEntry kKeyNames[] = {
    { "F1", 0x70 }, { "F2", 0x71 }, { "F3", 0x72 }, { "F4", 0x73 }, { "F5", 0x74 }, { "F6", 0x75 },
    { "F7", 0x76 }, { "F8", 0x77 }, { "F9", 0x78 }, { "F10", 0x79 }, { "F11", 0x7A }, { "F12", 0x7B },
    { "A", 'A' }, { "B", 'B' }, { "C", 'C' }, { "D", 'D' }, { "E", 'E' }, { "F", 'F' }, { "G", 'G' },
    { "H", 'H' }, { "I", 'I' }, { "J", 'J' }, { "K", 'K' }, { "L", 'L' }, { "M", 'M' }, { "N", 'N' },
    { "O", 'O' }, { "P", 'P' }, { "Q", 'Q' }, { "R", 'R' }, { "S", 'S' }, { "T", 'T' }, { "U", 'U' },
    { "V", 'V' }, { "W", 'W' }, { "X", 'X' }, { "Y", 'Y' }, { "Z", 'Z' },
    { "↑", 0x26 }, { "↓", 0x28 }, { "←", 0x25 }, { "→", 0x27 },
    { "Space", 0x20 }, { "Esc", 0x1B }, { "Ins", 0x2D }, { "Del", 0x2E }, { "Home", 0x24 }, { "End", 0x23 },
    { "PageUp", 0x21 }, { "PageDown", 0x22 }, { "Enter", 0x0D },
    { "0", '0' }, { "1", '1' }, { "2", '2' }, { "3", '3' }, { "4", '4' }, { "5", '5' }, { "6", '6' },
    { "7", '7' }, { "8", '8' }, { "9", '9' },
    { "ICON", 0xFF },
    { "", 0 },
};
static_assert(sizeof(kKeyNames) / sizeof(kKeyNames[0]) == 63, "62 keys and the end row");

// The main menu's "receive with all accounts" item shares the route command's keys.
const UINT kMenuRouteCommand = 33058;
const UINT kRouteCommand = 32787;

std::atomic<PlugInCommandTextProvider> g_plugInTexts{ nullptr };

} // namespace

const char* GetKeyName(WORD wKey)
{
    for (const KeyNameEntry* p = kKeyNames; p->wKey != 0; ++p) {
        if (p->wKey == wKey)
            return p->szName;
    }
    return nullptr;
}

const char* GetKeyNameAt(int n, WORD* pwKey)
{
    const int count = static_cast<int>(sizeof(kKeyNames) / sizeof(kKeyNames[0])) - 1;
    if (n < 0 || n >= count)
        return nullptr;
    if (pwKey)
        *pwKey = kKeyNames[n].wKey;
    return kKeyNames[n].szName;
}

CString FormatHotKeyText(WORD wKey, BYTE fFlags)
{
    CString text;
    if (fFlags & FALT)
        text += "Alt+";
    if (fFlags & FCONTROL)
        text += "Ctrl+";
    if (fFlags & FSHIFT)
        text += "Shift+";
    if (const char* name = GetKeyName(wKey))
        text += name;
    return text;
}

CString GetCommandKeyText(const ACCEL* pTable, UINT nCommand, int nCount)
{
    if (!pTable)
        return CString();
    if (nCommand == kMenuRouteCommand)
        nCommand = kRouteCommand;
    for (int i = 0; i < nCount; ++i) {
        if (pTable[i].cmd == nCommand)
            return FormatHotKeyText(pTable[i].key, pTable[i].fVirt);
    }
    return CString();
}

CString GetMenuItemKeyText(CWnd* pMenuOwner, UINT nCommand)
{
    HMENU hMenu = pMenuOwner && pMenuOwner->m_hWnd ? ::GetMenu(pMenuOwner->m_hWnd) : nullptr;
    if (!hMenu)
        return CString();
    int len = ::GetMenuStringA(hMenu, nCommand, nullptr, 0, MF_BYCOMMAND);
    if (len <= 0)
        return CString();
    CString text;
    ::GetMenuStringA(hMenu, nCommand, text.GetBuffer(len + 1), len + 1, MF_BYCOMMAND);
    text.ReleaseBuffer();
    int tab = text.Find('\t');
    return tab < 0 ? CString() : text.Mid(tab);
}

PlugInCommandTextProvider SetPlugInCommandTextProvider(PlugInCommandTextProvider provider)
{
    return g_plugInTexts.exchange(provider);
}

void GetCommandDescription(UINT nCommand, CString& group, CString& name)
{
    group.Empty();
    name.Empty();
    if (nCommand >= 40000 && nCommand <= 41000) {
        if (PlugInCommandTextProvider provider = g_plugInTexts.load())
            provider(nCommand, group, name);
        return;
    }
    CString text;
    if (!text.LoadString(nCommand))
        return;
    if (text[0] == '\n')
        return;
    int first = text.Find('\n');
    int second = first < 0 ? -1 : text.Find('\n', first + 1);
    if (second < 0) {
        group = text;
        return;
    }
    name = text.Mid(first + 1, second - first - 1);
    int third = text.Find('\n', second + 1);
    group = third < 0 ? text.Mid(second + 1) : text.Mid(second + 1, third - second - 1);
}
