// The editor thread's share of settings changed while its window is open.
#include "editor/MailEditThread.h"

#include "editor/MailEditFrame.h"
#include "editor/MailEditView.h"

void CMailEditThread::OnApplyViewSettings(WPARAM, LPARAM)
{
    if (m_pFrame && m_pMainWnd && m_pFrame->GetView())
        m_pFrame->GetView()->ApplyEditorSettings();
}
