#include "viewer/MailPropertyHeaderPage.h"

#include "message/MailHeader.h"
#include "message/MailMessage.h"
#include "resources/shownmail/ShownMailResource.h"
#include "viewer/HeaderDisplayText.h"

CMailPropertyHeaderPage::CMailPropertyHeaderPage(CDlgMailProperty*, const char* pszHeader)
    : CDialog(IDD_MAIL_PROPERTY_HEADER, nullptr), m_strHeader(pszHeader ? pszHeader : "")
{
}

BOOL CMailPropertyHeaderPage::OnInitDialog()
{
    std::string header = CHeaderDisplayText::SkipAccountLines(m_strHeader.Str());
    CMailMessage message;
    message.ParseHeaderText(header.c_str());
    // The lines with their encoded words decoded.
    CString text;
    for (int i = 0; i < message.GetHeaderCount(); ++i) {
        const CMailHeader* h = message.GetHeaderAt(i);
        text += h->m_strName + ": " + h->m_strValue + "\r\n";
    }
    SetDlgItemText(IDC_MP_HEADER_TEXT, text);
    CString password = message.GetHeader("X-Cvm_Arc_Password");
    if (!password.IsEmpty()) {
        CString label;
        label.LoadString(IDS_PROPERTY_ARCHIVE_PASSWORD);
        SetDlgItemText(IDC_MP_ARCHIVE_PASSWORD, FormatString("%s [%s]", label.GetString(), password.GetString()));
    }
    return TRUE;
}
