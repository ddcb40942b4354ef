#include "viewer/DlgMailProperty.h"

#include "resources/shownmail/ShownMailResource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "viewer/MailPropertyHeaderPage.h"
#include "viewer/MailPropertyInfoPage.h"

#include <commctrl.h>

BEGIN_MESSAGE_MAP(CDlgMailProperty, CDialog)
    ON_NOTIFY(TCN_SELCHANGE, IDC_PROPERTY_TAB, OnTabChange)
END_MESSAGE_MAP()

CDlgMailProperty::CDlgMailProperty(CMailIndexRecord* pRecord, CMailFolderStore* pFolder, CMailListData* pList,
                                   CWnd* pParent)
    : CDialog(IDD_MAIL_PROPERTY, pParent), m_pRecord(pRecord), m_pFolder(pFolder), m_pList(pList)
{
}

CDlgMailProperty::~CDlgMailProperty() = default;

BOOL CDlgMailProperty::OnInitDialog()
{
    HWND tab = GetDlgItemHwnd(IDC_PROPERTY_TAB);
    const char* names[] = {"情報", "ヘッダー"};
    for (int i = 0; i < 2; ++i) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(names[i]);
        ::SendMessageA(tab, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    RECT rc;
    ::GetWindowRect(tab, &rc);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    TabCtrl_AdjustRect(tab, FALSE, &rc);

    // The header tab shows the stored header block (its name line left out).
    CString header;
    if (m_pFolder && m_pRecord) {
        CString stored;
        if (m_pFolder->ReadMailText(m_pRecord, stored)) {
            int eol = stored.Find("\r\n");
            int blank = stored.Find("\r\n\r\n");
            header = blank >= 0 ? stored.Left(blank + 2) : stored;
            if (eol >= 0 && eol < header.GetLength())
                header = header.Mid(eol + 2);
        }
    }
    m_pInfo.reset(new CMailPropertyInfoPage(this));
    m_pHeader.reset(new CMailPropertyHeaderPage(this, header));
    m_pInfo->Create(IDD_MAIL_PROPERTY_INFO, this);
    m_pHeader->Create(IDD_MAIL_PROPERTY_HEADER, this);
    for (CDialog* page : {static_cast<CDialog*>(m_pInfo.get()), static_cast<CDialog*>(m_pHeader.get())})
        page->SetWindowPos(nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOZORDER);
    SelectTab(0);
    return TRUE;
}

void CDlgMailProperty::SelectTab(int nTab)
{
    m_nTab = (nTab % 2 + 2) % 2;
    TabCtrl_SetCurSel(GetDlgItemHwnd(IDC_PROPERTY_TAB), m_nTab);
    if (m_pInfo && m_pInfo->GetSafeHwnd())
        m_pInfo->ShowWindow(m_nTab == 0 ? SW_SHOW : SW_HIDE);
    if (m_pHeader && m_pHeader->GetSafeHwnd())
        m_pHeader->ShowWindow(m_nTab == 1 ? SW_SHOW : SW_HIDE);
}

void CDlgMailProperty::OnTabChange(NMHDR*, LRESULT* pResult)
{
    SelectTab(TabCtrl_GetCurSel(GetDlgItemHwnd(IDC_PROPERTY_TAB)));
    *pResult = 0;
}

BOOL CDlgMailProperty::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && GetKeyState(VK_CONTROL) < 0 &&
        (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd))) {
        if (pMsg->wParam == VK_TAB || pMsg->wParam == VK_NEXT) {
            SelectTab(m_nTab + 1);
            return TRUE;
        }
        if (pMsg->wParam == VK_PRIOR) {
            SelectTab(m_nTab - 1);
            return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CDlgMailProperty::OnCancel()
{
    if (m_pInfo && m_pInfo->GetSafeHwnd() && m_pInfo->IsChanged()) {
        CString question;
        question.LoadString(IDS_PROPERTY_CHANGED_QUESTION);
        if (AfxMessageBox(question, MB_OKCANCEL | MB_ICONQUESTION) == IDOK)
            m_pInfo->Save();
    }
    CDialog::OnCancel();
}
