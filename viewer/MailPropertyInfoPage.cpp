#include "viewer/MailPropertyInfoPage.h"

#include "core/FileUtil.h"
#include "message/AddressList.h"
#include "message/MailMessage.h"
#include "resources/shownmail/ShownMailResource.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "core/FontSet.h"
#include "viewer/DlgMailProperty.h"
#include "viewer/HeaderTextCtrl.h"
#include "viewer/MailFontSets.h"
#include "viewer/TextViewActions.h"

#include <commctrl.h>

#include <cstdlib>
#include <vector>

namespace {

struct FlagBox
{
    int nId;
    bool CMailPropertyValues::*pValue;
};

const FlagBox kFlagBoxes[] = {
    {IDC_MP_WAITING, &CMailPropertyValues::bWaiting},
    {IDC_MP_REPLIED, &CMailPropertyValues::bReplied},
    {IDC_MP_FORWARDED, &CMailPropertyValues::bForwarded},
    {IDC_MP_PROTECTED, &CMailPropertyValues::bProtected},
};

void FillList(HWND list, const CString& addresses)
{
    CStringArray entries;
    ParseAddressList(addresses, &entries);
    for (int i = 0; i < entries.GetSize(); ++i)
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries[i].GetString()));
}

} // namespace

BEGIN_MESSAGE_MAP(CMailPropertyInfoPage, CDialog)
    ON_BN_CLICKED(IDC_MP_SAVE, OnSaveClicked)
    ON_BN_CLICKED(IDC_MP_NEW_MAIL, OnNewMail)
    ON_BN_CLICKED(IDC_MP_REPLY, OnReply)
    ON_BN_CLICKED(IDC_MP_ADD_ADDRESS, OnAddAddress)
    ON_CONTROL(LBN_DBLCLK, IDC_MP_FROM_LIST, OnAddAddress)
    ON_CONTROL(LBN_DBLCLK, IDC_MP_TO_LIST, OnAddAddress)
    ON_CONTROL(LBN_DBLCLK, IDC_MP_CC_LIST, OnAddAddress)
END_MESSAGE_MAP()

CMailPropertyInfoPage::CMailPropertyInfoPage(CDlgMailProperty* pOwner)
    : CDialog(IDD_MAIL_PROPERTY_INFO, pOwner), m_pOwner(pOwner)
{
}

CMailPropertyInfoPage::~CMailPropertyInfoPage() = default;

void CMailPropertyInfoPage::FillDate(int nDateId, int nTimeId, int nZoneId, const MailDateFields& date)
{
    SYSTEMTIME st = {};
    if (date.valid) {
        st.wYear = static_cast<WORD>(date.nYear);
        st.wMonth = static_cast<WORD>(date.nMonth);
        st.wDay = static_cast<WORD>(date.nDay);
        st.wHour = static_cast<WORD>(date.nHour);
        st.wMinute = static_cast<WORD>(date.nMinute);
        st.wSecond = static_cast<WORD>(date.nSecond);
        ::SendMessageA(GetDlgItemHwnd(nDateId), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
        ::SendMessageA(GetDlgItemHwnd(nTimeId), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    }
    SetDlgItemText(nZoneId, date.zone.c_str());
}

void CMailPropertyInfoPage::ReadDate(int nDateId, int nTimeId, MailDateFields& date) const
{
    if (!date.valid)
        return;
    SYSTEMTIME day = {}, time = {};
    if (::SendMessageA(GetDlgItemHwnd(nDateId), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&day)) == GDT_VALID) {
        date.nYear = day.wYear;
        date.nMonth = day.wMonth;
        date.nDay = day.wDay;
    }
    if (::SendMessageA(GetDlgItemHwnd(nTimeId), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) == GDT_VALID) {
        date.nHour = time.wHour;
        date.nMinute = time.wMinute;
        date.nSecond = time.wSecond;
    }
}

BOOL CMailPropertyInfoPage::OnInitDialog()
{
    CMailIndexRecord* record = m_pOwner->m_pRecord;
    CMailFolderStore* folder = m_pOwner->m_pFolder;
    if (!record)
        return TRUE;
    m_loaded = CMailPropertyValues::FromRecord(*record);
    SetDlgItemText(IDC_MP_SUBJECT, m_loaded.subject.c_str());
    // A subject in another charset cannot pass through the edit unchanged:
    // it is shown read-only, in the font of its character set.
    if (!m_loaded.bSubjectEditable) {
        HWND edit = GetDlgItemHwnd(IDC_MP_SUBJECT);
        m_pSubjectField.reset(new CHeaderTextCtrl);
        if (m_pSubjectField->CreateInPlaceOf(edit, WS_VISIBLE | ES_AUTOHSCROLL)) {
            CString charset = record->GetText(CMailIndexRecord::colCharset);
            LOGFONTA lf = {};
            GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(edit, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
            if (CFontSet* set = CMailFontSets::Instance().GetHeaderFontForCharset(charset, std::abs(lf.lfHeight)))
                m_pSubjectField->SetFont(set->GetFont());
            m_pSubjectField->SetText(charset, m_loaded.subject.c_str());
        } else {
            m_pSubjectField.reset();
            ::SendMessageA(edit, EM_SETREADONLY, TRUE, 0);
        }
    }
    FillDate(IDC_MP_SENT_DATE, IDC_MP_SENT_TIME, IDC_MP_SENT_ZONE, m_loaded.sent);
    FillDate(IDC_MP_RECEIVED_DATE, IDC_MP_RECEIVED_TIME, IDC_MP_RECEIVED_ZONE, m_loaded.received);

    CMailMessage message;
    CString stored;
    if (folder && folder->ReadMailText(record, stored))
        message.ParseHeaderText(stored);
    CString label, account;
    CString receivedAt = message.GetHeader("X-ReceivedAddress");
    if (!receivedAt.IsEmpty()) {
        label.LoadString(IDS_PROPERTY_RECEIVED_ADDRESS);
        account = receivedAt;
    } else {
        label.LoadString(IDS_PROPERTY_SEND_ACCOUNT);
        account = message.m_strSendAccount.IsEmpty() ? record->GetText(CMailIndexRecord::colAccount)
                                                     : message.m_strSendAccount;
    }
    SetDlgItemText(IDC_MP_ACCOUNT_LABEL, label);
    SetDlgItemText(IDC_MP_ACCOUNT, account);

    FillList(GetDlgItemHwnd(IDC_MP_FROM_LIST),
             message.m_strFrom.IsEmpty() ? record->GetText(CMailIndexRecord::colFrom) : message.m_strFrom);
    FillList(GetDlgItemHwnd(IDC_MP_TO_LIST), record->GetText(CMailIndexRecord::colTo));
    FillList(GetDlgItemHwnd(IDC_MP_CC_LIST), record->GetText(CMailIndexRecord::colCc));

    long long attachBytes = 0;
    bool anyFile = false;
    CString attachFolder = folder ? folder->GetAttachFolder(record) : CString();
    if (!attachFolder.IsEmpty() && DirectoryExists(attachFolder)) {
        CStringArray files;
        ListFilesRecursive(attachFolder, files);
        HWND list = GetDlgItemHwnd(IDC_MP_ATTACH_LIST);
        for (int i = 0; i < files.GetSize(); ++i) {
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (GetFileAttributesExA(files[i], GetFileExInfoStandard, &data))
                attachBytes += (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            anyFile = true;
            CString name = GetFileNameFromPath(files[i]);
            LVITEMA item = {};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<char*>(name.GetString());
            ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    const long long body = record->m_nDataLength;
    SetDlgItemText(IDC_MP_DISK_USAGE,
                   anyFile ? FormatString("本文：%lld BYTE  添付ファイル：%lld BYTE  合計：%lld BYTE", body,
                                          attachBytes, body + attachBytes)
                           : FormatString("%lld BYTE", body));
    for (const FlagBox& box : kFlagBoxes)
        CheckDlgButton(box.nId, m_loaded.*box.pValue ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

CMailPropertyValues CMailPropertyInfoPage::ReadControls() const
{
    CMailPropertyValues v = m_loaded;
    if (v.bSubjectEditable)
        v.subject = GetDlgItemText(IDC_MP_SUBJECT).Str();
    ReadDate(IDC_MP_SENT_DATE, IDC_MP_SENT_TIME, v.sent);
    ReadDate(IDC_MP_RECEIVED_DATE, IDC_MP_RECEIVED_TIME, v.received);
    for (const FlagBox& box : kFlagBoxes)
        v.*box.pValue = IsDlgButtonChecked(box.nId) == BST_CHECKED;
    return v;
}

bool CMailPropertyInfoPage::IsChanged() const
{
    return m_pOwner->m_pRecord && ReadControls().DiffersFrom(*m_pOwner->m_pRecord);
}

bool CMailPropertyInfoPage::Save()
{
    CMailPropertyValues v = ReadControls();
    if (!v.SaveTo(m_pOwner->m_pRecord, m_pOwner->m_pList))
        return false;
    m_loaded = CMailPropertyValues::FromRecord(*m_pOwner->m_pRecord);
    m_pOwner->SetChanged();
    return true;
}

void CMailPropertyInfoPage::OnSaveClicked()
{
    Save();
}

CString CMailPropertyInfoPage::SelectedAddresses(bool bTellUser)
{
    std::vector<CString> picked;
    for (int id : {IDC_MP_FROM_LIST, IDC_MP_TO_LIST, IDC_MP_CC_LIST}) {
        HWND list = GetDlgItemHwnd(id);
        int count = static_cast<int>(::SendMessageA(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            if (::SendMessageA(list, LB_GETSEL, static_cast<WPARAM>(i), 0) <= 0)
                continue;
            int len = static_cast<int>(::SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0));
            std::string text(static_cast<size_t>(len > 0 ? len : 0) + 1, '\0');
            ::SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
            picked.push_back(text.c_str());
        }
    }
    CString joined;
    for (size_t i = 0; i < picked.size(); ++i)
        joined += (i ? "," : "") + picked[i];
    if (joined.IsEmpty() && bTellUser) {
        CString text;
        text.LoadString(IDS_PROPERTY_SELECT_ADDRESS);
        AfxMessageBox(text, MB_OK | MB_ICONINFORMATION);
    }
    return joined;
}

void CMailPropertyInfoPage::OnNewMail()
{
    CString to = SelectedAddresses(true);
    if (!to.IsEmpty())
        GetTextViewActions().pfnOpenEditor(-1, nullptr, -1, to, "");
}

void CMailPropertyInfoPage::OnReply()
{
    CString to = SelectedAddresses(true);
    if (to.IsEmpty() || !m_pOwner->m_pRecord)
        return;
    GetTextViewActions().pfnOpenEditor(1, m_pOwner->m_pFolder, m_pOwner->m_pRecord->m_nIndex, to, "");
}

void CMailPropertyInfoPage::OnAddAddress()
{
    CString all = SelectedAddresses(true);
    CStringArray entries;
    ParseAddressList(all, &entries);
    for (int i = 0; i < entries.GetSize(); ++i)
        HandOverAddressEntry(entries[i]);
}
