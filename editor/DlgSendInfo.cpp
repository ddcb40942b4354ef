#include "editor/DlgSendInfo.h"

#include "core/AccountCombo.h"
#include "message/AddressList.h"
#include "resources/editor/EditorWindowResource.h"

#include <commctrl.h>

CDlgSendInfo::CDlgSendInfo(const char* pszSubject, const char* pszTo, const char* pszCc, const char* pszBcc,
                           const char* pszSignName, const char* pszSenderName, const char* pszSenderAddress,
                           CWnd* pParent)
    : CDialog(IDD_SEND_INFO, pParent), m_strSubject(pszSubject), m_strTo(pszTo), m_strCc(pszCc), m_strBcc(pszBcc),
      m_strSignName(pszSignName), m_strSenderName(pszSenderName), m_strSenderAddress(pszSenderAddress)
{
}

CString CDlgSendInfo::JoinRows(const CStringArray& rows)
{
    CString text;
    for (int i = 0; i < rows.GetSize(); ++i)
        text += rows[i] + ",";
    return text;
}

void CDlgSendInfo::FillList(int nId, const CString& text)
{
    HWND hList = GetDlgItemHwnd(nId);
    RECT rc = {};
    ::GetClientRect(hList, &rc);
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH;
    column.cx = rc.right - rc.left - GetSystemMetrics(SM_CXVSCROLL);
    ::SendMessageA(hList, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    ::SendMessageA(hList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    CStringArray entries;
    ParseAddressList(text, &entries);
    for (int i = 0; i < entries.GetSize(); ++i) {
        CString entry = entries[i];
        entry.Trim();
        if (entry.IsEmpty())
            continue;
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = const_cast<char*>(entry.GetString());
        ::SendMessageA(hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

CString CDlgSendInfo::ReadList(int nId) const
{
    HWND hList = GetDlgItemHwnd(nId);
    CStringArray rows;
    int count = static_cast<int>(::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        // Grow the buffer until the whole row fits.
        for (int size = 256;; size *= 2) {
            CString buffer;
            LVITEMA item = {};
            item.iSubItem = 0;
            item.cchTextMax = size;
            item.pszText = buffer.GetBuffer(size);
            int n = static_cast<int>(::SendMessageA(hList, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item)));
            buffer.ReleaseBuffer(n);
            if (n < size - 1 || size >= 65536) {
                rows.Add(buffer);
                break;
            }
        }
    }
    return JoinRows(rows);
}

BOOL CDlgSendInfo::OnInitDialog()
{
    CDialog::OnInitDialog();
    const int ids[3] = { IDC_SI_TO, IDC_SI_CC, IDC_SI_BCC };
    for (int i = 0; i < 3; ++i)
        m_lists[i].SubclassDlgItem(ids[i], this);
    for (CAddressListCtrl& list : m_lists)
        list.SetRecipientLists(m_lists[0].m_hWnd, m_lists[1].m_hWnd, m_lists[2].m_hWnd, &m_rcAddressNote);
    SetDlgItemText(IDC_SI_SUBJECT, m_strSubject);
    FillList(IDC_SI_TO, m_strTo);
    FillList(IDC_SI_CC, m_strCc);
    FillList(IDC_SI_BCC, m_strBcc);
    SetDlgItemText(IDC_SI_SENDER_NAME, m_strSenderName);
    SetDlgItemText(IDC_SI_SIGN, m_strSignName);
    HWND hCombo = GetDlgItemHwnd(IDC_SI_SENDER_ADDRESS);
    FillAccountAddressCombo(hCombo);
    if (!m_strSenderAddress.IsEmpty()) {
        int found = static_cast<int>(
            ::SendMessageA(hCombo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(m_strSenderAddress.GetString())));
        if (found == CB_ERR)
            found = static_cast<int>(
                ::SendMessageA(hCombo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(m_strSenderAddress.GetString())));
        ::SendMessageA(hCombo, CB_SETCURSEL, found, 0);
    }
    return TRUE;
}

void CDlgSendInfo::OnOK()
{
    m_strSubject = GetDlgItemText(IDC_SI_SUBJECT);
    m_strTo = ReadList(IDC_SI_TO);
    m_strCc = ReadList(IDC_SI_CC);
    m_strBcc = ReadList(IDC_SI_BCC);
    m_strSenderName = GetDlgItemText(IDC_SI_SENDER_NAME);
    m_strSenderAddress = GetDlgItemText(IDC_SI_SENDER_ADDRESS);
    m_strSignName = GetDlgItemText(IDC_SI_SIGN);
    CDialog::OnOK();
}
