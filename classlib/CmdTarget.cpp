#include "classlib/CmdTarget.h"

#include "classlib/CmdUI.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = { { 0, 0, 0, 0, nullptr } };
    static const AFX_MSGMAP map = { nullptr, &entries[0] };
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, LRESULT* pResult)
{
    bool bUpdate = static_cast<UINT>(nCode) == CN_UPDATE_COMMAND_UI;
    bool bProbe = static_cast<UINT>(nCode) == CN_PROBE_COMMAND;
    UINT message = pExtra && !bUpdate ? WM_NOTIFY : WM_COMMAND;
    UINT code = bProbe ? CN_COMMAND : static_cast<UINT>(nCode);
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage; ++e) {
            if (e->nMessage == message && e->nCode == code && nID >= e->nID && nID <= e->nLastID) {
                if (bProbe)
                    return TRUE;
                LRESULT result = 0;
                if (bUpdate) {
                    CCmdUI* pCmdUI = static_cast<CCmdUI*>(pExtra);
                    pCmdUI->m_bContinueRouting = FALSE;
                    e->pfn(this, message, nID, reinterpret_cast<LPARAM>(pExtra), &result);
                    return !pCmdUI->m_bContinueRouting;
                }
                e->pfn(this, message, nID, reinterpret_cast<LPARAM>(pExtra), &result);
                if (pResult)
                    *pResult = result;
                return TRUE;
            }
        }
    }
    return FALSE;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage) const
{
    if (nMessage == WM_COMMAND || nMessage == WM_NOTIFY)
        return nullptr;
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage; ++e) {
            if (e->nMessage == nMessage)
                return e;
        }
    }
    return nullptr;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindCodeEntry(UINT nMessage, UINT nCode) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage; ++e) {
            if (e->nMessage == nMessage && e->nCode == nCode)
                return e;
        }
    }
    return nullptr;
}
