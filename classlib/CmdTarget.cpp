#include "classlib/CmdTarget.h"

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
    UINT message = pExtra ? WM_NOTIFY : WM_COMMAND;
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage; ++e) {
            if (e->nMessage == message && e->nCode == static_cast<UINT>(nCode) && nID >= e->nID && nID <= e->nLastID) {
                LRESULT result = 0;
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
