#include "viewer/HeaderFieldStatic.h"

#include "classlib/OleDataSource.h"
#include "message/AddressList.h"
#include "message/MailMessage.h"
#include "viewer/MailView.h"
#include "viewer/TextViewActions.h"

#include <cstring>

namespace {

// Menu ids: 1 + the item's index, times 3 for address items (write,
// reply, register).
const UINT kFirstId = 1;

void CopyText(const std::string& text)
{
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!mem)
        return;
    if (void* p = GlobalLock(mem)) {
        memcpy(p, text.c_str(), text.size() + 1);
        GlobalUnlock(mem);
    }
    auto* source = new COleDataSource;
    source->CacheGlobalData(CF_TEXT, mem);
    if (SUCCEEDED(OleSetClipboard(source)))
        OleFlushClipboard();
    source->Release();
}

} // namespace

BEGIN_MESSAGE_MAP(CHeaderFieldStatic, CWnd)
    ON_MESSAGE(WM_SETCURSOR, OnSetCursorMsg)
    ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownMsg)
END_MESSAGE_MAP()

BOOL CHeaderFieldStatic::Attach(UINT nID)
{
    if (!m_pOwner || !SubclassDlgItem(nID, m_pOwner))
        return FALSE;
    // A label gets the mouse only when it asks to be told of clicks.
    ModifyStyle(0, SS_NOTIFY);
    return TRUE;
}

LRESULT CHeaderFieldStatic::OnSetCursorMsg(WPARAM, LPARAM)
{
    SetCursor(LoadCursor(nullptr, IDC_HAND));
    return TRUE;
}

HMENU CHeaderFieldStatic::BuildMenu()
{
    m_items.clear();
    if (!m_pOwner || !m_pOwner->GetCurrentRecord() || m_nKind == CHeaderDisplayText::kindNone)
        return nullptr;
    CMailMessage message;
    message.ParseHeaderText(m_pOwner->GetHeaderText());
    m_items = CHeaderDisplayText::FieldMenu(message, m_nKind);
    if (m_items.empty())
        return nullptr;
    HMENU menu = CreatePopupMenu();
    for (size_t i = 0; i < m_items.size(); ++i) {
        const CHeaderDisplayText::MenuItem& item = m_items[i];
        if (!item.bAddress) {
            AppendMenuA(menu, MF_STRING, kFirstId + i, item.text.c_str());
            continue;
        }
        HMENU sub = CreatePopupMenu();
        const UINT base = static_cast<UINT>((kFirstId + i) * 3);
        AppendMenuA(sub, MF_STRING, base, "メールを書く(&W)");
        AppendMenuA(sub, MF_STRING, base + 1, "返信メールを書く(&R)");
        AppendMenuA(sub, MF_STRING, base + 2, "アドレスを登録する(&A)");
        AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), item.text.c_str());
    }
    return menu;
}

void CHeaderFieldStatic::RunCommand(UINT nID)
{
    if (nID == 0 || m_items.empty())
        return;
    const bool addresses = m_nKind != CHeaderDisplayText::kindOther && m_nKind != CHeaderDisplayText::kindDate;
    if (!addresses) {
        size_t i = nID - kFirstId;
        if (i < m_items.size())
            CopyText(m_items[i].value);
        return;
    }
    size_t i = nID / 3 - kFirstId;
    if (i >= m_items.size())
        return;
    const std::string& entry = m_items[i].value;
    TextViewActions& actions = GetTextViewActions();
    switch (nID % 3) {
    case 0:
        actions.pfnOpenEditor(-1, nullptr, -1, entry.c_str(), "");
        break;
    case 1:
        actions.pfnOpenEditor(1, m_pOwner->GetFolder(), m_pOwner->GetCurrentIndex(), entry.c_str(), "");
        break;
    default:
        HandOverAddressEntry(entry.c_str());
        break;
    }
}

LRESULT CHeaderFieldStatic::OnLButtonDownMsg(WPARAM, LPARAM)
{
    HMENU menu = BuildMenu();
    if (!menu)
        return 0;
    POINT pt;
    GetCursorPos(&pt);
    UINT id = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, pt.x, pt.y, 0, m_hWnd, nullptr));
    DestroyMenu(menu);
    RunCommand(id);
    return 0;
}
