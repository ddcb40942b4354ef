#include "e2e/CommandCoverage.h"

#include "e2e/E2eDriver.h"

#include "classlib/CommandState.h"

#include <cstring>
#include <string>

namespace E2e {

namespace {

CString MenuItemText(HMENU hMenu, int pos)
{
    char text[256] = {};
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof(text) - 1;
    if (!::GetMenuItemInfoA(hMenu, static_cast<UINT>(pos), TRUE, &info))
        return CString();
    return CString(text);
}

void CollectMenu(HMENU hMenu, const CString& path, std::vector<CommandBinding>& out)
{
    const int count = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < count; ++i) {
        CString where = path + " > " + MenuItemText(hMenu, i);
        if (HMENU hSub = ::GetSubMenu(hMenu, i)) {
            CollectMenu(hSub, where, out);
            continue;
        }
        const UINT id = ::GetMenuItemID(hMenu, i);
        // An item the resource itself greys is a placeholder the program
        // replaces, not a command.
        if (::GetMenuState(hMenu, static_cast<UINT>(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED))
            continue;
        if (id != 0 && id != static_cast<UINT>(-1))
            out.push_back({ id, where });
    }
}

CString KeyText(const ACCEL& accel)
{
    std::string text;
    if (accel.fVirt & FCONTROL)
        text += "Ctrl+";
    if (accel.fVirt & FALT)
        text += "Alt+";
    if (accel.fVirt & FSHIFT)
        text += "Shift+";
    const WORD key = accel.key;
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        text += static_cast<char>(key);
    else if (key >= VK_F1 && key <= VK_F24)
        text += "F" + std::to_string(key - VK_F1 + 1);
    else
        text += "VK" + std::to_string(key);
    return CString(text.c_str());
}

} // namespace

CProgramResources::CProgramResources()
{
    m_hModule = ::LoadLibraryExA(WinPath(CVM_E2E_PROGRAM), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

CProgramResources::~CProgramResources()
{
    if (m_hModule)
        ::FreeLibrary(m_hModule);
}

HICON CProgramResources::SmallIcon(UINT nIconId) const
{
    if (!m_hModule)
        return nullptr;
    return static_cast<HICON>(
        ::LoadImageA(m_hModule, MAKEINTRESOURCEA(nIconId), IMAGE_ICON, 16, 16, LR_SHARED));
}

std::vector<CommandBinding> CProgramResources::MenuCommands(UINT nMenuId) const
{
    std::vector<CommandBinding> out;
    HMENU hMenu = m_hModule ? ::LoadMenuA(m_hModule, MAKEINTRESOURCEA(nMenuId)) : nullptr;
    if (!hMenu)
        return out;
    CString path;
    path.Format("menu %u", nMenuId);
    CollectMenu(hMenu, path, out);
    ::DestroyMenu(hMenu);
    return out;
}

std::vector<CommandBinding> CProgramResources::KeyCommands(UINT nAccelId) const
{
    std::vector<CommandBinding> out;
    HACCEL hAccel = m_hModule ? ::LoadAcceleratorsA(m_hModule, MAKEINTRESOURCEA(nAccelId)) : nullptr;
    if (!hAccel)
        return out;
    const int count = ::CopyAcceleratorTableA(hAccel, nullptr, 0);
    std::vector<ACCEL> keys(static_cast<size_t>(count > 0 ? count : 0));
    if (count > 0)
        ::CopyAcceleratorTableA(hAccel, keys.data(), count);
    for (const ACCEL& accel : keys) {
        CString where;
        where.Format("keys %u %s", nAccelId, KeyText(accel).Str().c_str());
        out.push_back({ accel.cmd, where });
    }
    ::DestroyAcceleratorTable(hAccel);
    return out;
}

std::vector<CommandBinding> CProgramResources::ToolBarCommands(UINT nFileId) const
{
    std::vector<CommandBinding> out;
    HRSRC hRes = m_hModule ? ::FindResourceA(m_hModule, MAKEINTRESOURCEA(nFileId), "FILE") : nullptr;
    HGLOBAL hData = hRes ? ::LoadResource(m_hModule, hRes) : nullptr;
    const BYTE* data = hData ? static_cast<const BYTE*>(::LockResource(hData)) : nullptr;
    const DWORD size = hRes ? ::SizeofResource(m_hModule, hRes) : 0;
    for (DWORD offset = 0; data && offset + 4 <= size; offset += 4) {
        int id = 0;
        std::memcpy(&id, data + offset, 4);
        if (id <= 0)
            continue;
        CString where;
        where.Format("toolbar %u button %u", nFileId, static_cast<UINT>(offset / 4));
        out.push_back({ static_cast<UINT>(id), where });
    }
    return out;
}

std::vector<CommandBinding> CommandRows(const char* where, std::initializer_list<UINT> ids)
{
    std::vector<CommandBinding> out;
    for (UINT id : ids)
        out.push_back({ id, CString(where) });
    return out;
}

LRESULT QueryCommandState(HWND hFrame, UINT nID)
{
    static const UINT message = ::RegisterWindowMessageA(CVM_COMMAND_STATE_MESSAGE);
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(hFrame, message, nID, 0, SMTO_ABORTIFHUNG, 10000, &result))
        return -1;
    return static_cast<LRESULT>(result);
}

std::vector<CString> UnhandledCommands(HWND hFrame, const std::vector<CommandBinding>& bindings, const char* state)
{
    std::vector<CString> out;
    for (const CommandBinding& binding : bindings) {
        const LRESULT answer = QueryCommandState(hFrame, binding.id);
        if (answer >= 0 && (answer & kCommandHandled))
            continue;
        CString line;
        line.Format("%u %s: %s (%s)", binding.id, binding.where.Str().c_str(), answer < 0 ? "no answer" : "no handler", state);
        out.push_back(line);
    }
    return out;
}

} // namespace E2e
