// Mails from templates: the choice dialog (new mail or reply), the nine
// registered template calls and the toolbar's template menus.
#include "mainwnd/MainFrame.h"

#include "core/QuendalApp.h"
#include "editor/BoxFiles.h"
#include "editor/DlgTemplateSelect.h"
#include "editor/ShortCutTemplateData.h"
#include "mainwnd/QListView.h"
#include "resources/mainwnd/MainWndResource.h"

namespace {

const int kKindNewFromTemplate = 5;
const int kKindReplyFromTemplate = 6;
const int kKindReplyAllFromTemplate = 7;
const char kSelectMail[] = "メールを選択してください。";

bool HasSelectedMail(CQListView* pList)
{
    return pList && pList->GetSelectedMails().size() > 0;
}

// kind 5 opens a new mail for the current folder; 6 and 7 reply to the selection.
void OpenFromTemplate(CMainFrame& frame, int nKind, const CString& path)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    if (nKind == kKindNewFromTemplate) {
        app->OpenMailEditor(kKindNewFromTemplate, app->GetCurrentFolder(), -1, 0, "", "", path, "", "", 0, 0, FALSE,
                            0);
        return;
    }
    CQListView* list = frame.GetListView();
    if (!HasSelectedMail(list)) {
        AfxMessageBox(kSelectMail, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    list->EditSelectedMails(nKind, -1, path);
}

} // namespace

void CMainFrame::OnTemplateCommand(UINT nID)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    if (nID >= ID_TEMPLATE_CALL_FIRST && nID <= ID_TEMPLATE_CALL_LAST) {
        CShortCutTemplateData* table = app->GetShortCutTemplateData();
        const int slot = static_cast<int>(nID - ID_TEMPLATE_CALL_FIRST);
        const int kind = table ? table->GetSlotMailKind(slot) : 0;
        if (kind)
            OpenFromTemplate(*this, kind, app->GetTemplateFilePath(table->GetSlot(slot)->m_strName));
        return;
    }
    switch (nID) {
    case ID_MAIL_NEW_FROM_TEMPLATE: {
        CDlgTemplateSelect dlg(2, this);
        if (dlg.DoModal() == IDOK)
            OpenFromTemplate(*this, kKindNewFromTemplate, dlg.m_strPath);
        break;
    }
    case ID_MAIL_REPLY_FROM_TEMPLATE: {
        if (!HasSelectedMail(m_pListView)) {
            AfxMessageBox(kSelectMail, MB_OK | MB_ICONEXCLAMATION);
            break;
        }
        CDlgTemplateSelect dlg(0, this);
        if (dlg.DoModal() == IDOK)
            OpenFromTemplate(*this, dlg.m_bReplyAll ? kKindReplyAllFromTemplate : kKindReplyFromTemplate,
                             dlg.m_strPath);
        break;
    }
    case ID_TEMPLATE_MENU_NEW:
    case ID_TEMPLATE_MENU_REPLY: {
        // The template box's files as a menu at the pointer; the chosen one
        // is kept for the next use of the same menu.
        CStringArray names;
        CBoxFiles::ListNames(app->GetTemplateBoxPath(), names, false);
        HMENU menu = ::CreatePopupMenu();
        if (!menu)
            break;
        for (int i = 0; i < names.GetSize(); ++i)
            ::AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(i + 1), names[i]);
        POINT pt = {};
        ::GetCursorPos(&pt);
        const int chosen = names.GetSize() == 0 ? 0
                         : ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0,
                                            m_hWnd, nullptr);
        ::DestroyMenu(menu);
        if (chosen <= 0)
            break;
        m_strToolBarTemplate = names[chosen - 1];
        const bool replyAll = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
        OpenFromTemplate(*this,
                         nID == ID_TEMPLATE_MENU_NEW ? kKindNewFromTemplate
                         : replyAll                  ? kKindReplyAllFromTemplate
                                                     : kKindReplyFromTemplate,
                         app->GetTemplateFilePath(m_strToolBarTemplate));
        break;
    }
    default:
        break;
    }
}
