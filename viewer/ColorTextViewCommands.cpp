// The context menu of the colour text view and the commands it handles:
// acting on the selected text, on the mail of the hosting mail view, and
// copy, select all and find.
#include "viewer/ColorTextView.h"

#include "classlib/CmdUI.h"
#include "core/ShellUtil.h"
#include "message/AddressList.h"
#include "message/MailMessage.h"
#include "resources/shownmail/ShownMailResource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "viewer/MailView.h"
#include "viewer/TextViewActions.h"
#include "viewer/ViewerMessages.h"
#include "viewer/ViewerProfile.h"

namespace {

struct OpenAppItem
{
    UINT nID;
    const char* pszPathKey;
    const char* pszNameKey;
    const char* pszNameDefault;
    const char* pszAccel;
    const char* pszMenuText;
};

const OpenAppItem kOpenApps[] = {
    {IDM_TV_OPEN_APP1, "OpenAppPath1", "OpenAppName1", "開く", "(&1)", "アプリケーションから開く-1(&1)"},
    {IDM_TV_OPEN_APP2, "OpenAppPath2", "OpenAppName2", "", "(&2)", "アプリケーションから開く-2(&2)"},
    {IDM_TV_OPEN_APP3, "OpenAppPath3", "OpenAppName3", "", "(&3)", "アプリケーションから開く-3(&3)"},
};

// Commands that act on the selected text, and are disabled without one.
const UINT kSelectionCommands[] = {IDM_TV_COPY,          IDM_TV_OPEN_APP1, IDM_TV_OPEN_APP2, IDM_TV_OPEN_APP3,
                                   IDM_TV_OPEN_BROWSER, IDM_TV_WRITE_MAIL, IDM_TV_ADD_ADDRESS};

// Commands about the hosting mail view's current mail.
const UINT kMailCommands[] = {IDM_TV_ADD_SENDER, IDM_TV_SHOW_HEADER, IDM_TV_PROPERTIES};

// Every command the view handles itself.
const UINT kOwnCommands[] = {IDM_TV_COPY, IDM_TV_SELECT_ALL, IDM_TV_SELECT_ALL_TEXT, IDM_TV_FIND, IDM_TV_FIND_NEXT_DOWN,
                             IDM_TV_FIND_NEXT_UP, IDM_TV_OPEN_BROWSER, IDM_TV_OPEN_APP1, IDM_TV_OPEN_APP2,
                             IDM_TV_OPEN_APP3, IDM_TV_WRITE_MAIL, IDM_TV_MAIL_FROM_SELECTION, IDM_TV_REPLY_QUOTE,
                             IDM_TV_REPLY_ALL_QUOTE, IDM_TV_ADD_ADDRESS, IDM_TV_ADD_SENDER, IDM_TV_JUNK_SENDER,
                             IDM_TV_SHOW_HEADER, IDM_TV_PROPERTIES, IDM_TV_TASK, IDM_TV_CHARSET_FONT,
                             IDM_TV_MAXIMIZE_LIST, IDM_TV_MAXIMIZE_VIEW};

bool IsOwnCommand(UINT nID)
{
    for (UINT id : kOwnCommands)
        if (id == nID)
            return true;
    return false;
}

void SetItemEnabled(HMENU menu, UINT id, bool on)
{
    EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

} // namespace

CMailView* CColorTextView::HostMailView() const
{
    if (!m_hWnd)
        return nullptr;
    return dynamic_cast<CMailView*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
}

HMENU CColorTextView::BuildContextMenu()
{
    HMENU menu = LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_TEXT_VIEW_MENU));
    if (!menu)
        return nullptr;
    HMENU popup = GetSubMenu(menu, 0);
    // Only a mail view has a current mail to act on (not the header window).
    CMailView* host = HostMailView();
    const bool hasMail = host && host->GetCurrentRecord();
    for (UINT id : kMailCommands)
        SetItemEnabled(popup, id, hasMail);
    SetItemEnabled(popup, IDM_TV_CHARSET_FONT, hasMail);
    const bool selected = HasSelection() != FALSE;
    EnableMenuItem(popup, 0, MF_BYPOSITION | (selected ? MF_ENABLED : MF_GRAYED));
    for (UINT id : kSelectionCommands)
        SetItemEnabled(popup, id, selected);
    if (selected) {
        for (const OpenAppItem& item : kOpenApps) {
            CString path = ViewerProfile::GetString("Setting", item.pszPathKey, "");
            if (path.IsEmpty()) {
                SetItemEnabled(popup, item.nID, false);
                continue;
            }
            CString name = ViewerProfile::GetString("Setting", item.pszNameKey, item.pszNameDefault);
            CString text = name.IsEmpty() ? CString(item.pszMenuText) : name + item.pszAccel;
            ModifyMenuA(popup, item.nID, MF_BYCOMMAND | MF_STRING, item.nID, text);
        }
    }
    // Pane layout is the main window's.
    CWnd* main = AfxGetMainWnd();
    const bool inMain = main && main->GetSafeHwnd() == ParentFrame();
    SetItemEnabled(popup, IDM_TV_MAXIMIZE_LIST, inMain);
    SetItemEnabled(popup, IDM_TV_MAXIMIZE_VIEW, inMain);
    return menu;
}

void CColorTextView::ShowContextMenu(POINT ptScreen)
{
    if (ptScreen.x == -1 && ptScreen.y == -1) {
        ptScreen = GetMenuAnchorPoint(m_hWnd);
    } else if (m_sel.IsEmpty()) {
        // A link under the pointer becomes the selection first.
        POINT pt = ptScreen;
        ::ScreenToClient(m_hWnd, &pt);
        TextPos from, to;
        if (LinkAt(pt, nullptr, &from, &to) != SpanKind::Text)
            SetSelection(from, to);
    }
    HMENU menu = BuildContextMenu();
    if (!menu)
        return;
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, ptScreen.x, ptScreen.y, 0, m_hWnd,
                   nullptr);
    DestroyMenu(menu);
}

LRESULT CColorTextView::OnContextMenuMsg(WPARAM, LPARAM lParam)
{
    if (IsPreview())
        return 0;
    ShowContextMenu({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    return 0;
}

void CColorTextView::OpenWithProgram(const CString& program)
{
    std::string text = GetSelectedText();
    if (text.empty())
        return;
    if (program.IsEmpty())
        GetTextViewActions().pfnShellOpen(text.c_str(), nullptr);
    else
        GetTextViewActions().pfnShellOpen(program, text.c_str());
}

void CColorTextView::WriteMail(int nMode, const char* pszAddress, const char* pszBody)
{
    CMailView* host = HostMailView();
    CMailFolderStore* store = host ? host->GetFolder() : nullptr;
    int index = -1;
    if (nMode == 1 || nMode == 2) {
        if (!host || !host->GetCurrentRecord())
            store = nullptr;
        else
            index = host->GetCurrentIndex();
    }
    GetTextViewActions().pfnOpenEditor(nMode, store, index, pszAddress ? pszAddress : "", pszBody ? pszBody : "");
}

void CColorTextView::HandOverAddress(const CString& text)
{
    if (!text.IsEmpty())
        GetTextViewActions().pfnHandOverAddress(text);
}

CString CColorTextView::ShownSender() const
{
    CMailView* host = HostMailView();
    if (!host || !host->GetCurrentRecord())
        return CString();
    CMailMessage message;
    message.ParseHeaderText(host->GetHeaderText());
    CString from = message.m_strFrom;
    if (from.IsEmpty())
        from = host->GetCurrentRecord()->GetText(CMailIndexRecord::colFrom);
    return from;
}

void CColorTextView::RegisterSender()
{
    CString from = ShownSender();
    if (!from.IsEmpty())
        HandOverAddressEntry(from);
}

void CColorTextView::RegisterJunkSender()
{
    CString from = ShownSender();
    CString address = ExtractMailAddress(from);
    if (!address.IsEmpty())
        GetTextViewActions().pfnAddJunkSender(address, ExtractDisplayName(from));
}

BOOL CColorTextView::RunCommand(UINT nID)
{
    CMailView* host = HostMailView();
    switch (nID) {
    case IDM_TV_COPY:
        CopySelection();
        return TRUE;
    case IDM_TV_SELECT_ALL:
    case IDM_TV_SELECT_ALL_TEXT:
        SelectAll();
        return TRUE;
    case IDM_TV_FIND:
        FindText(nullptr, m_bFindDown, -1);
        return TRUE;
    case IDM_TV_FIND_NEXT_DOWN:
    case IDM_TV_FIND_NEXT_UP:
        FindNext(nID == IDM_TV_FIND_NEXT_DOWN);
        return TRUE;
    case IDM_TV_OPEN_BROWSER:
        OpenWithProgram(ViewerProfile::GetString("Setting", "OpenBrowserPath", ""));
        return TRUE;
    case IDM_TV_OPEN_APP1:
    case IDM_TV_OPEN_APP2:
    case IDM_TV_OPEN_APP3:
        for (const OpenAppItem& item : kOpenApps) {
            if (item.nID != nID)
                continue;
            CString path = ViewerProfile::GetString("Setting", item.pszPathKey, "");
            if (!path.IsEmpty())
                OpenWithProgram(path);
        }
        return TRUE;
    case IDM_TV_WRITE_MAIL: {
        std::string to = GetSelectedText();
        if (to.empty() && m_linkKind == SpanKind::MailAddress)
            to = m_strLink;
        if (!to.empty())
            WriteMail(-1, to.c_str(), "");
        return TRUE;
    }
    case IDM_TV_MAIL_FROM_SELECTION:
        WriteMail(-1, "", GetSelectedText().c_str());
        return TRUE;
    case IDM_TV_REPLY_QUOTE:
    case IDM_TV_REPLY_ALL_QUOTE:
        WriteMail(nID == IDM_TV_REPLY_QUOTE ? 1 : 2, "", GetSelectedText().c_str());
        return TRUE;
    case IDM_TV_ADD_ADDRESS:
        HandOverAddress(GetSelectedText().c_str());
        return TRUE;
    case IDM_TV_ADD_SENDER:
        RegisterSender();
        return TRUE;
    case IDM_TV_JUNK_SENDER:
        RegisterJunkSender();
        return TRUE;
    case IDM_TV_SHOW_HEADER:
        if (host)
            host->OpenHeaderWindow();
        return TRUE;
    case IDM_TV_PROPERTIES:
        if (host)
            host->ShowProperties();
        return TRUE;
    case IDM_TV_TASK:
        if (host)
            host->AddTaskForShownMail();
        return TRUE;
    case IDM_TV_CHARSET_FONT:
        if (host)
            host->ChooseCharsetFont();
        return TRUE;
    case IDM_TV_MAXIMIZE_LIST:
    case IDM_TV_MAXIMIZE_VIEW:
        // The main frame owns the panes.
        if (CWnd* main = AfxGetMainWnd()) {
            if (main->GetSafeHwnd() == ParentFrame())
                main->PostMessage(WM_COMMAND, nID, 0);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CColorTextView::UpdateCommand(UINT nID, CCmdUI* pCmdUI)
{
    switch (nID) {
    case IDM_TV_COPY:
        pCmdUI->Enable(HasSelection());
        if (pCmdUI->m_hMenu && AfxGetMainWnd() && AfxGetMainWnd()->GetSafeHwnd() == ParentFrame()) {
            CString text;
            text.LoadString(IDS_COPY_TEXT_MENU);
            pCmdUI->SetText(text);
        }
        return TRUE;
    case IDM_TV_SELECT_ALL_TEXT:
        pCmdUI->Enable(TRUE);
        if (pCmdUI->m_hMenu && AfxGetMainWnd() && AfxGetMainWnd()->GetSafeHwnd() == ParentFrame()) {
            CString text;
            text.LoadString(IDS_SELECT_ALL_TEXT_MENU);
            pCmdUI->SetText(text);
        }
        return TRUE;
    case IDM_TV_SELECT_ALL:
    case IDM_TV_FIND:
    case IDM_TV_FIND_NEXT_DOWN:
    case IDM_TV_FIND_NEXT_UP:
        pCmdUI->Enable(TRUE);
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT CColorTextView::OnCommandMsg(WPARAM wParam, LPARAM lParam)
{
    UINT id = LOWORD(wParam);
    if (id == ID_OPEN_URL && m_sel.IsEmpty() && !m_strLink.empty()) {
        // A link activated without a selection (a double click that kept
        // the first click's selection away) opens as it was found.
        GetTextViewActions().pfnShellOpen(m_strLink.c_str(), nullptr);
        return 0;
    }
    if (HIWORD(wParam) == 0 && OnCmdMsg(id, CN_COMMAND))
        return 0;
    (void)lParam;
    return Default();
}

BOOL CColorTextView::OnCmdMsg(UINT nID, int nCode, void* pExtra, LRESULT* pResult)
{
    if (nCode == static_cast<int>(CN_COMMAND) && !IsPreview() && RunCommand(nID))
        return TRUE;
    if (nCode == static_cast<int>(CN_PROBE_COMMAND) && !IsPreview() && IsOwnCommand(nID))
        return TRUE;
    if (nCode == static_cast<int>(CN_UPDATE_COMMAND_UI) && pExtra &&
        UpdateCommand(nID, static_cast<CCmdUI*>(pExtra)))
        return TRUE;
    if (CScrollView::OnCmdMsg(nID, nCode, pExtra, pResult))
        return TRUE;
    // The pane around the text answers for the mail it shows.
    if (auto* parent = dynamic_cast<CView*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd))))
        return parent->OnCmdMsg(nID, nCode, pExtra, pResult);
    return FALSE;
}
