// The editor's address book window: opened beside the editor with the To,
// CC and BCC fields as the places chosen addresses go.
#include "editor/MailEditView.h"

#include "addressbook/DlgAddressNote.h"
#include "core/QuendalApp.h"
#include "resources/editor/EditorWindowResource.h"

namespace {

// The kind under which the application keeps one window per editor.
const int kEditorCaller = 2;

} // namespace

void CMailEditView::OpenAddressBook(int nField)
{
    CQuendalApp* app = QuendalApp();
    CWnd* frame = GetParent();
    if (!app || !frame)
        return;
    CAddressRecipientTargets targets;
    targets.hEdit[0] = m_to.m_hWnd;
    targets.hEdit[1] = m_cc.m_hWnd;
    targets.hEdit[2] = m_bcc.m_hWnd;
    targets.hOwnerEditor = frame->m_hWnd;
    // The window lives on this editor's thread and dies with its frame, but
    // it reaches the view through its window so that it never holds a
    // dangling view.
    HWND hView = m_hWnd;
    targets.onChanged = [hView](int nChanged) {
        auto* view = dynamic_cast<CMailEditView*>(CWnd::FromHandlePermanent(hView));
        if (!view)
            return;
        view->m_bChanged = true;
        if (nChanged == 2 && !view->m_bBccShown)
            view->ToggleBcc();
        else
            view->RecalcLayout();
    };
    const bool wasOpen = m_hAddressNote && ::IsWindow(m_hAddressNote);
    CDlgAddressNote* note = app->OpenAddressBook(frame, kEditorCaller, &targets);
    if (!note)
        return;
    m_hAddressNote = note->m_hWnd;
    if (nField >= 0 && nField <= 2)
        note->SetOwnerField(targets.hEdit[nField]);
    else if (!wasOpen)
        note->SetOwnerField(nullptr);
}

void CMailEditView::CloseAddressBook()
{
    if (m_hAddressNote && ::IsWindow(m_hAddressNote))
        ::SendMessageA(m_hAddressNote, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    m_hAddressNote = nullptr;
}
