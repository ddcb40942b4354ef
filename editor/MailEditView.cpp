#include "editor/MailEditView.h"

#include "classlib/GdiSelection.h"
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "editor/AttachmentFolder.h"
#include "editor/AutoSignData.h"
#include "editor/DlgCharCount.h"
#include "editor/SignatureFiles.h"
#include "editor/RichEditText.h"
#include "mainwnd/MailObjectBlock.h"
#include "message/AddressList.h"
#include "store/MailFolderStore.h"
#include "viewer/DlgTextFind.h"
#include "resources/attach/AttachResource.h"
#include "resources/editor/EditorControlsResource.h"
#include "resources/editor/EditorWindowResource.h"

#include <commdlg.h>

#include <algorithm>

namespace {

const char* const kPriorityNames[] = {"ぜったい読んで", "ちゃんと読んで", "ふつう", "ひまなときに", "ごみ"};
const char* const kPriorityBlocks[] = {
    "X-Priority: 1\r\nX-MSMail-Priority: High\r\nPriority: high\r\n",
    "X-Priority: 2\r\nX-MSMail-Priority: High\r\nPriority: high\r\n",
    "",
    "X-Priority: 4\r\nX-MSMail-Priority: Low\r\nPriority: low\r\n",
    "X-Priority: 5\r\nX-MSMail-Priority: Low\r\nPriority: low\r\n",
};
const UINT kUseSendAddress = IDS_SEND_ADDRESS_LABEL;

// A key that can stand for an editor command rather than a typed character.
bool IsCommandKey(WPARAM vk)
{
    if (::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0)
        return true;
    return vk == VK_ESCAPE || vk == VK_HOME || vk == VK_END || vk == VK_INSERT || vk == VK_DELETE ||
           (vk >= VK_F1 && vk <= VK_F24);
}

CString ComboText(HWND hCombo)
{
    int n = ::GetWindowTextLengthA(hCombo);
    CString text;
    ::GetWindowTextA(hCombo, text.GetBuffer(n + 1), n + 1);
    text.ReleaseBuffer();
    return text;
}

CString ComboItemText(HWND hCombo, int nItem)
{
    int n = static_cast<int>(::SendMessageA(hCombo, CB_GETLBTEXTLEN, static_cast<WPARAM>(nItem), 0));
    if (n <= 0)
        return CString();
    CString text;
    ::SendMessageA(hCombo, CB_GETLBTEXT, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(text.GetBuffer(n + 1)));
    text.ReleaseBuffer();
    return text;
}

int AddComboString(HWND hCombo, const char* psz)
{
    return static_cast<int>(::SendMessageA(hCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(psz)));
}

} // namespace

BEGIN_MESSAGE_MAP(CMailEditView, CFormView)
    ON_MESSAGE(CAttachListCtrl::WM_QD_ATTACH_LIST_CHANGED, OnAttachListChanged)
    ON_WM_SIZE()
    ON_WM_CTLCOLOR()
    // The list boxes and buttons of the form take the editor's colours too.
    { WM_CTLCOLORLISTBOX, 0, 0, 0, AFX_THUNK(*pResult = reinterpret_cast<LRESULT>(p->OnCtlColor(
                                                 reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), nMsg))) },
    { WM_CTLCOLORBTN, 0, 0, 0, AFX_THUNK(*pResult = reinterpret_cast<LRESULT>(p->OnCtlColor(
                                             reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), nMsg))) },
    ON_MESSAGE(CAddressEdit::kTextChanged, OnAddressTextChanged)
    ON_COMMAND(ID_EDIT_CHAR_COUNT, ShowCharCount)
    ON_COMMAND_RANGE(ID_EDIT_ADDRESS_TO, ID_EDIT_ADDRESS_BCC, OnAddressCommand)
    ON_COMMAND_RANGE(ID_EDIT_COMPLETE_ADDRESS, ID_EDIT_ADDRESS_LIST, OnAddressKeyCommand)
    ON_COMMAND(ID_EDIT_FIND_CMD, FindInBody)
    ON_COMMAND(ID_EDIT_FIND_NEXT, OnFindNext)
    ON_COMMAND_RANGE(ID_EDIT_SCROLL_DOWN, ID_EDIT_SCROLL_UP, OnScrollCommand)
    ON_COMMAND(ID_EDIT_COMPRESS_ATTACHMENTS, CompressAttachments)
    ON_COMMAND(ID_EDIT_HTML_SOURCE, ShowHtmlSource)
    ON_UPDATE_COMMAND_UI(ID_EDIT_HTML_SOURCE, OnUpdateHtmlSource)
    ON_COMMAND(ID_EDIT_HTML_TEXT_EDIT, ToggleHtmlTextEdit)
    ON_UPDATE_COMMAND_UI(ID_EDIT_HTML_TEXT_EDIT, OnUpdateHtmlTextEdit)
    ON_MESSAGE(kMsgHtmlDocumentComplete, OnHtmlDocumentComplete)
END_MESSAGE_MAP()

CMailEditView::CMailEditView() : CFormView(IDD_MAILEDIT_FORM)
{
    if (CQuendalApp* app = QuendalApp())
        m_bReadReceipt = app->GetProfileInt("Setting", "DefaultRequestReadNotify", 0) != 0;
}

CMailEditView::~CMailEditView()
{
    DeleteCreatedArchives();
    for (int i = 0; i < m_tempMailFiles.GetSize(); ++i)
        ::DeleteFileA(m_tempMailFiles[i]);
    if (m_hBackBrush)
        ::DeleteObject(m_hBackBrush);
    if (m_hFieldFont)
        ::DeleteObject(m_hFieldFont);
}

void CMailEditView::OnInitialUpdate()
{
    ++m_nLoading;
    m_body.Attach(this, IDC_ME_BODY, this);
    m_body.ApplyWrapSetting();
    m_to.Attach(this, IDC_ME_TO);
    m_cc.Attach(this, IDC_ME_CC);
    m_bcc.Attach(this, IDC_ME_BCC);
    FillAccountList();
    FillPriorityList();
    FillSignatureList();
    FillReplyToList();
    m_attachList.CreateInPlaceOf(this, IDC_ME_ATTACH_LIST);
    LoadLookSettings();
    RecalcLayout();
    --m_nLoading;
}

void CMailEditView::ApplyEditorSettings()
{
    m_body.ApplyViewSettings();
    LoadLookSettings();
    RecalcLayout();
}

CString CMailEditView::GetFieldText(int nId) const
{
    HWND h = GetDlgItemHwnd(nId);
    if (!h)
        return CString();
    int n = ::GetWindowTextLengthA(h);
    CString text;
    ::GetWindowTextA(h, text.GetBuffer(n + 1), n + 1);
    text.ReleaseBuffer();
    return text;
}

void CMailEditView::SetFieldText(int nId, const char* psz)
{
    ++m_nLoading;
    ::SetWindowTextA(GetDlgItemHwnd(nId), psz ? psz : "");
    --m_nLoading;
}

void CMailEditView::SetBcc(const char* psz)
{
    SetFieldText(IDC_ME_BCC, psz);
    if (psz && *psz && !m_bBccShown)
        ToggleBcc();
}

CString CMailEditView::GetBody() const
{
    return m_body.m_hWnd ? GetRichEditText(m_body.m_hWnd) : CString();
}

void CMailEditView::SetBody(const char* pszText)
{
    ++m_nLoading;
    m_body.SetText(pszText);
    --m_nLoading;
}

void CMailEditView::FillAccountList()
{
    // The box lists the accounts by name and knows them by name: the
    // account dialog may reorder the table while this window is open.
    HWND hCombo = m_hAccountBox;
    CString keep = GetAccountName();
    ::SendMessageA(hCombo, CB_RESETCONTENT, 0, 0);
    CQuendalApp* app = QuendalApp();
    CAccountDataSet* set = app ? app->m_pAccountDataSet : nullptr;
    if (!set)
        return;
    if (!set->IsLoaded()) {
        set->SetFilePath(app->GetAccountFilePath());
        set->ReadFromFile(TRUE);
    }
    for (int i = 0; i < set->GetRecordCount(TRUE); ++i)
        if (CAccountData* a = set->GetAccount(i))
            AddComboString(hCombo, a->GetAccountName());
    if (!keep.IsEmpty()) {
        SelectAccountName(keep);
        return;
    }
    SelectAccountIndex(set->m_nCurrentAccount);
    if (::SendMessageA(hCombo, CB_GETCURSEL, 0, 0) == CB_ERR)
        ::SendMessageA(hCombo, CB_SETCURSEL, 0, 0);
}

CString CMailEditView::GetAccountName() const
{
    HWND hCombo = m_hAccountBox;
    int sel = hCombo ? static_cast<int>(::SendMessageA(hCombo, CB_GETCURSEL, 0, 0)) : CB_ERR;
    return sel == CB_ERR ? CString() : ComboItemText(hCombo, sel);
}

int CMailEditView::GetAccountIndex() const
{
    CString name = GetAccountName();
    CQuendalApp* app = QuendalApp();
    CAccountDataSet* set = app ? app->m_pAccountDataSet : nullptr;
    for (int i = 0; set && !name.IsEmpty() && i < set->GetRecordCount(TRUE); ++i)
        if (CAccountData* a = set->GetAccount(i))
            if (a->GetAccountName() == name)
                return i;
    return -1;
}

bool CMailEditView::IsAccountGone() const
{
    return !GetAccountName().IsEmpty() && GetAccountIndex() < 0;
}

void CMailEditView::SelectAccountName(const char* pszName)
{
    // Names are told apart by case as well, as the account table does.
    HWND hCombo = m_hAccountBox;
    const CString name = pszName ? pszName : "";
    int count = static_cast<int>(::SendMessageA(hCombo, CB_GETCOUNT, 0, 0)), found = -1;
    for (int i = 0; i < count && found < 0; ++i)
        if (ComboItemText(hCombo, i) == name)
            found = i;
    ::SendMessageA(hCombo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

void CMailEditView::SelectAccountIndex(int nIndex)
{
    CQuendalApp* app = QuendalApp();
    CAccountDataSet* set = app ? app->m_pAccountDataSet : nullptr;
    CAccountData* a = set && nIndex >= 0 && nIndex < set->GetRecordCount(TRUE) ? set->GetAccount(nIndex) : nullptr;
    if (a)
        SelectAccountName(a->GetAccountName());
}

void CMailEditView::SelectAccount(const char* pszName, const char* pszAddresses)
{
    CQuendalApp* app = QuendalApp();
    CAccountDataSet* set = app ? app->m_pAccountDataSet : nullptr;
    if (!set)
        return;
    CString name = pszName ? pszName : "";
    for (int i = 0; i < set->GetRecordCount(TRUE) && !name.IsEmpty(); ++i)
        if (set->GetAccount(i) && set->GetAccount(i)->GetAccountName() == name) {
            SelectAccountIndex(i);
            return;
        }
    CString addresses = pszAddresses ? pszAddresses : "";
    if (addresses.IsEmpty())
        return;
    for (int i = 0; i < set->GetRecordCount(TRUE); ++i) {
        CAccountData* a = set->GetAccount(i);
        if (a && AddressListContains(addresses, a->GetMailAddress())) {
            SelectAccountIndex(i);
            return;
        }
    }
}

void CMailEditView::FillPriorityList()
{
    HWND hCombo = GetDlgItemHwnd(IDC_ME_PRIORITY);
    ::SendMessageA(hCombo, CB_RESETCONTENT, 0, 0);
    // The user's own names ("Priority.txt") when there are five of them.
    CQuendalApp* app = QuendalApp();
    if (app && app->m_priorityNames.GetSize() >= 5) {
        for (int i = 0; i < 5; ++i)
            AddComboString(hCombo, app->m_priorityNames[i]);
    } else {
        for (const char* name : kPriorityNames)
            AddComboString(hCombo, name);
    }
    ::SendMessageA(hCombo, CB_SETCURSEL, 2, 0);
}

void CMailEditView::SelectPriority(int nEntry)
{
    if (nEntry >= 0 && nEntry < 5)
        ::SendMessageA(GetDlgItemHwnd(IDC_ME_PRIORITY), CB_SETCURSEL, nEntry, 0);
}

CString CMailEditView::GetPriorityHeaderBlock() const
{
    if (::SendMessageA(GetDlgItemHwnd(IDC_ME_COMPACT), BM_GETCHECK, 0, 0) == BST_CHECKED)
        return CString();
    int sel = static_cast<int>(::SendMessageA(GetDlgItemHwnd(IDC_ME_PRIORITY), CB_GETCURSEL, 0, 0));
    return sel >= 0 && sel < 5 ? CString(kPriorityBlocks[sel]) : CString();
}

void CMailEditView::FillSignatureList()
{
    HWND hCombo = GetDlgItemHwnd(IDC_ME_SIGN);
    CString keep = ComboText(hCombo);
    ::SendMessageA(hCombo, CB_RESETCONTENT, 0, 0);
    AddComboString(hCombo, CMailEditData::kSignAuto);
    AddComboString(hCombo, CMailEditData::kSignNone);
    CStringArray names;
    if (CQuendalApp* app = QuendalApp())
        CSignatureFiles::ListNames(app->GetSignatureBoxPath(), names);
    for (int i = 0; i < names.GetSize(); ++i)
        AddComboString(hCombo, names[i]);
    int found = keep.IsEmpty() ? CB_ERR
                               : static_cast<int>(::SendMessageA(hCombo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                                 reinterpret_cast<LPARAM>(keep.GetString())));
    ::SendMessageA(hCombo, CB_SETCURSEL, found == CB_ERR ? 0 : found, 0);
}

CString CMailEditView::GetSignatureName() const
{
    return GetDlgItemHwnd(IDC_ME_SIGN) ? ComboText(GetDlgItemHwnd(IDC_ME_SIGN)) : CString();
}

void CMailEditView::InsertSignature(const char* pszName, bool bKeepPosition)
{
    CString body = GetBody();
    m_signature.Insert(body, pszName, CSignatureFiles::LoadInsertText(pszName), bKeepPosition,
                       m_body.GetSelStartByte());
    SetBody(body);
    m_bChanged = true;
}

void CMailEditView::ApplyAutoSignature(const char* pszFolderSign, const char* pszAccountSign)
{
    m_bAutoSignDone = true;
    if (m_nForwardMethod == 1 || m_nForwardMethod == 2)
        return;
    if (GetSignatureName() != CMailEditData::kSignAuto)
        return;
    CAutoSignData rules;
    if (CQuendalApp* app = QuendalApp()) {
        rules.SetFilePath(app->GetAutoSignPath());
        rules.ReadFromFile(TRUE);
    }
    CString name = CBodySignature::ChooseAutomatic(rules, GetTo(), GetCc(), GetSubject(), pszFolderSign,
                                                   pszAccountSign);
    if (name.IsEmpty())
        return;
    InsertSignature(name, false);
    HWND hCombo = GetDlgItemHwnd(IDC_ME_SIGN);
    int found = static_cast<int>(::SendMessageA(hCombo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                reinterpret_cast<LPARAM>(name.GetString())));
    if (found != CB_ERR)
        ::SendMessageA(hCombo, CB_SETCURSEL, found, 0);
}

void CMailEditView::FillReplyToList()
{
    HWND hCombo = GetDlgItemHwnd(IDC_ME_REPLYTO);
    ::SendMessageA(hCombo, CB_RESETCONTENT, 0, 0);
    CString first;
    first.LoadString(kUseSendAddress);
    AddComboString(hCombo, first);
    CQuendalApp* app = QuendalApp();
    CAccountDataSet* set = app ? app->m_pAccountDataSet : nullptr;
    for (int i = 0; set && i < set->GetRecordCount(TRUE); ++i) {
        CAccountData* a = set->GetAccount(i);
        if (!a || a->GetReplyTo().IsEmpty())
            continue;
        if (::SendMessageA(hCombo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(a->GetReplyTo().GetString())) == CB_ERR)
            AddComboString(hCombo, a->GetReplyTo());
    }
    ::SendMessageA(hCombo, CB_SETCURSEL, 0, 0);
}

void CMailEditView::SelectReplyTo(const char* pszAddress)
{
    if (!pszAddress || !*pszAddress)
        return;
    HWND hCombo = GetDlgItemHwnd(IDC_ME_REPLYTO);
    int found = static_cast<int>(
        ::SendMessageA(hCombo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(pszAddress)));
    if (found == CB_ERR)
        found = AddComboString(hCombo, pszAddress);
    ::SendMessageA(hCombo, CB_SETCURSEL, found, 0);
}

CString CMailEditView::GetReplyTo() const
{
    CString text = ComboText(GetDlgItemHwnd(IDC_ME_REPLYTO));
    CString first;
    first.LoadString(kUseSendAddress);
    text.Trim();
    return text == first ? CString() : text;
}

int CMailEditView::AttachMailObject(HGLOBAL hBlock)
{
    MailObjectBlock::MailObject object;
    if (!MailObjectBlock::ParseGlobal(hBlock, object))
        return 0;
    return AttachMailRefs(object.mails);
}

int CMailEditView::AttachMailRefs(const std::vector<MailObjectBlock::MailRef>& mails)
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return 0;
    int attached = 0;
    for (const MailObjectBlock::MailRef& ref : mails) {
        CMailFolderStore* store = app->FindFolder(ref.nFolderId);
        CString path = store ? CMailEditComposer::WriteMailAsFile(store, ref.nIndex) : CString();
        if (path.IsEmpty())
            continue;
        AddAttachmentFile(path, true);
        m_tempMailFiles.Add(path);
        ++attached;
    }
    return attached;
}

int CMailEditView::AttachMails(IDataObject* pData)
{
    if (!pData)
        return 0;
    FORMATETC format = {MailObjectBlock::GetMailFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (pData->GetData(&format, &medium) != S_OK)
        return 0;
    int attached = medium.tymed == TYMED_HGLOBAL ? AttachMailObject(medium.hGlobal) : 0;
    ReleaseStgMedium(&medium);
    return attached;
}

bool CMailEditView::IsToOnly() const
{
    return ::SendMessageA(GetDlgItemHwnd(IDC_ME_TO_ONLY), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool CMailEditView::IsModified() const
{
    // Not the body's own modify flag: colouring sets it without a change.
    // What is written in the HTML view counts as well.
    return m_bChanged || (IsHtmlMode() && m_pHtmlView && m_pHtmlView->IsModified());
}

void CMailEditView::SetModified(bool bModified)
{
    m_bChanged = bModified;
    ::SendMessageA(GetDlgItemHwnd(IDC_ME_BODY), EM_SETMODIFY, bModified ? TRUE : FALSE, 0);
    if (!bModified && m_pHtmlView)
        m_pHtmlView->ClearModified();
}

void CMailEditView::ToggleBcc()
{
    m_bBccShown = !m_bBccShown;
    RecalcLayout();
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CMailEditView::FocusField(int nId)
{
    if (nId == IDC_ME_BCC && !m_bBccShown)
        ToggleBcc();
    ::SetFocus(GetDlgItemHwnd(nId));
}

int CMailEditView::ReplyToNeededWidth() const
{
    HWND hCombo = GetDlgItemHwnd(IDC_ME_REPLYTO);
    CString first;
    first.LoadString(kUseSendAddress);
    SIZE extent = {0, 0};
    if (HDC dc = ::GetDC(hCombo)) {
        {
            CGdiSelection font(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(hCombo, WM_GETFONT, 0, 0)));
            ::GetTextExtentPoint32A(dc, first, first.GetLength(), &extent);
        }
        ::ReleaseDC(hCombo, dc);
    }
    // The text, the drop-down button and the edges of the box.
    return static_cast<int>(extent.cx) + ::GetSystemMetrics(SM_CXVSCROLL) + 12;
}

void CMailEditView::RecalcLayout()
{
    if (!m_hWnd)
        return;
    RECT rc = {};
    GetClientRect(&rc);
    int w = rc.right, h = rc.bottom;
    const int rowH = 20, button = 48, gap = 1;
    auto place = [&](int id, int x, int y, int cx, int cy, bool show) {
        HWND hc = GetDlgItemHwnd(id);
        if (!hc)
            return;
        ::MoveWindow(hc, x, y, cx < 1 ? 1 : cx, cy < 1 ? 1 : cy, FALSE);
        ::ShowWindow(hc, show ? SW_SHOWNA : SW_HIDE);
    };
    int y = 2;
    // Each address field as high as its list needs (up to five lines).
    const int fieldW = w - button - 7;
    auto fieldH = [&](CAddressEdit& field) { return field.m_hWnd ? field.NeededHeight(fieldW) : rowH; };
    int toH = fieldH(m_to), ccH = fieldH(m_cc), bccH = fieldH(m_bcc);
    place(IDC_ME_TO_BUTTON, 2, y, button, rowH, true);
    place(IDC_ME_TO, button + 4, y, fieldW, toH, true);
    y += toH + gap;
    place(IDC_ME_CC_BUTTON, 2, y, button, rowH, true);
    place(IDC_ME_CC, button + 4, y, fieldW, ccH, true);
    y += ccH + gap;
    place(IDC_ME_BCC_BUTTON, 2, y, button, rowH, m_bBccShown);
    place(IDC_ME_BCC, button + 4, y, fieldW, bccH, m_bBccShown);
    if (m_bBccShown)
        y += bccH + gap;
    y += 2;
    place(IDC_ME_SUBJECT_LABEL, 2, y + 3, button, 18, true);
    place(IDC_ME_SUBJECT, button + 4, y, w - button - 7, rowH, true);
    y += rowH + 3;
    int x = 2;
    place(IDC_ME_PRIORITY_LABEL, x, y + 4, 50, 18, true);
    x += 52;
    place(IDC_ME_PRIORITY, x, y, 96, 200, true);
    x += 100;
    place(IDC_ME_COMPACT, x, y + 1, 100, 18, true);
    x += 104;
    place(IDC_ME_SIGN_LABEL, x, y + 4, 36, 18, true);
    x += 38;
    place(IDC_ME_SIGN, x, y, 96, 200, true);
    x += 100;
    const int attachW = 60;
    place(IDC_ME_ATTACH, w - attachW - 2, y, attachW, rowH, true);
    // The reply-to list shows its first entry whole; where the row has no
    // room for that, the list and its label go to a row of their own.
    const int replyMin = ReplyToNeededWidth();
    const bool ownRow = x + 52 + replyMin + attachW + 10 > w;
    if (ownRow) {
        y += rowH + 3;
        x = 2;
    }
    place(IDC_ME_REPLYTO_LABEL, x, y + 4, 50, 18, true);
    x += 52;
    const int replyRight = ownRow ? w - 4 : w - attachW - 10;
    place(IDC_ME_REPLYTO, x, y, std::max(replyMin, replyRight - x), 200, true);
    y += rowH + 3;
    bool attachments = m_attachList.GetCount() > 0;
    if (attachments && m_bFileListBottom) {
        // The list runs along the bottom, its frame in the bottom right corner.
        place(IDC_ME_BODY, 1, y, w - 2, h - 70 - y, m_bodyMode.ShowsTextBody());
        place(kHtmlViewId, 1, y, w - 2, h - 70 - y, m_bodyMode.ShowsHtmlView());
        place(IDC_ME_ATTACH_LIST, 1, h - 69, w - 88, 68, true);
        place(IDC_ME_ATTACH_FRAME, w - 85, h - 75, 84, 74, true);
        place(IDC_ME_TO_ONLY, w - 80, h - 62, 76, 16, true);
        place(IDC_ME_SIZE, w - 80, h - 40, 76, 16, true);
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        return;
    }
    int bodyRight = attachments ? w - 86 : w - 1;
    place(IDC_ME_BODY, 1, y, bodyRight - 1, h - y - 1, m_bodyMode.ShowsTextBody());
    place(kHtmlViewId, 1, y, bodyRight - 1, h - y - 1, m_bodyMode.ShowsHtmlView());
    place(IDC_ME_ATTACH_FRAME, w - 84, y, 82, 52, attachments);
    place(IDC_ME_TO_ONLY, w - 80, y + 10, 76, 16, attachments);
    place(IDC_ME_SIZE, w - 80, y + 30, 76, 16, attachments);
    place(IDC_ME_ATTACH_LIST, w - 84, y + 56, 82, h - y - 57, attachments);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

CAddressEdit* CMailEditView::AddressField(int nId)
{
    switch (nId) {
    case IDC_ME_TO: return &m_to;
    case IDC_ME_CC: return &m_cc;
    case IDC_ME_BCC: return &m_bcc;
    default: return nullptr;
    }
}

LRESULT CMailEditView::OnAddressTextChanged(WPARAM, LPARAM)
{
    // The field's change itself marked the mail changed (unless the view
    // was filling it); this posted echo only lays the fields out again.
    RecalcLayout();
    return 0;
}

void CMailEditView::FindInBody()
{
    CDlgTextFind dlg(GetParent());
    dlg.m_strText = m_strFindText;
    dlg.m_pHistory = &m_findHistory;
    if (dlg.DoModal() != IDOK || dlg.m_strText.IsEmpty())
        return;
    m_strFindText = dlg.m_strText;
    // The whole text from its start; the find-next command goes on from
    // the hit.
    if (!m_body.FindNext(dlg.m_bMatchCase != FALSE, true, m_strFindText))
        ::MessageBeep(MB_ICONASTERISK);
}

void CMailEditView::ShowCharCount()
{
    CDlgCharCount dlg(GetTo().GetLength() + GetCc().GetLength(), GetSubject().GetLength(), m_body.GetByteLength(),
                      GetParent());
    dlg.DoModal();
}

void CMailEditView::OnSize(UINT, int, int)
{
    Default();
    RecalcLayout();
}

BOOL CMailEditView::PreTranslateMessage(MSG* pMsg)
{
    // Key presses with Ctrl or Alt, and the function, Escape, Home and End
    // keys: the typed characters stay with the fields.
    if ((pMsg->message == WM_KEYDOWN || pMsg->message == WM_SYSKEYDOWN) && IsCommandKey(pMsg->wParam)) {
        CFrameWnd* frame = GetParentFrame();
        if (frame && frame->m_hWnd && frame->PreTranslateMessage(pMsg))
            return TRUE;
    }
    return CFormView::PreTranslateMessage(pMsg);
}

BOOL CMailEditView::OnCommand(WPARAM wParam, LPARAM lParam)
{
    int id = LOWORD(wParam), code = HIWORD(wParam);
    if (!m_nLoading) {
        if (code == EN_CHANGE || code == CBN_EDITCHANGE || code == CBN_SELCHANGE)
            m_bChanged = true;
        if (code == EN_CHANGE && id == IDC_ME_SUBJECT) {
            CString title = GetSubject();
            if (CWnd* frame = GetParent())
                frame->SetWindowText(title.IsEmpty() ? CString("無題") : title);
        }
        if (code == CBN_SELCHANGE && id == IDC_ME_SIGN)
            InsertSignature(GetSignatureName(), false);
    }
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_ME_ATTACH:
            AttachByDialog();
            return TRUE;
        case IDC_ME_TO_BUTTON:
            OpenAddressBook(0);
            return TRUE;
        case IDC_ME_CC_BUTTON:
            OpenAddressBook(1);
            return TRUE;
        case IDC_ME_BCC_BUTTON:
            OpenAddressBook(2);
            return TRUE;
        case IDC_ME_COMPACT:
            ::EnableWindow(GetDlgItemHwnd(IDC_ME_PRIORITY),
                           ::SendMessageA(GetDlgItemHwnd(IDC_ME_COMPACT), BM_GETCHECK, 0, 0) != BST_CHECKED);
            return TRUE;
        default:
            break;
        }
    }
    if (code == EN_SETFOCUS) {
        if (id == IDC_ME_BCC && !m_bBccShown)
            ToggleBcc();
        OnFieldFocus(id);
    }
    return CFormView::OnCommand(wParam, lParam);
}

void CMailEditView::OnAddressCommand(UINT nID)
{
    if (nID == ID_EDIT_ADDRESS_BCC) {
        if (!m_bBccShown)
            ToggleBcc();
        m_bcc.ShowAddressMenu(CAddressEdit::kMenuAddressBook, false);
    } else {
        (nID == ID_EDIT_ADDRESS_TO ? m_to : m_cc).ShowAddressMenu(CAddressEdit::kMenuAddressBook, false);
    }
    RecalcLayout();
}

void CMailEditView::OnAddressKeyCommand(UINT nID)
{
    CAddressEdit* field = AddressField(::GetDlgCtrlID(::GetFocus()));
    if (!field)
        return;
    if (nID == ID_EDIT_COMPLETE_ADDRESS)
        field->CompleteOnCommand();
    else
        field->ShowAddressMenu(CAddressEdit::kMenuMatching, false);
}

void CMailEditView::OnFindNext()
{
    m_body.FindAgain();
}

void CMailEditView::OnScrollCommand(UINT nID)
{
    // The text moves by one line; the caret stays where it was.
    m_body.SendMessage(EM_LINESCROLL, 0, nID == ID_EDIT_SCROLL_DOWN ? 1 : -1);
}

bool CMailEditView::SetMailData(int nIndex, CMailFolderStore* pStore, int nMailKind, const char* pszSelText,
                                int nForwardMethod)
{
    m_nMailKind = nMailKind;
    if (nForwardMethod != -1)
        m_nForwardMethod = nForwardMethod;
    m_data.m_nMailKind = nMailKind;
    if (!m_composer.SetMailData(m_data, nIndex, pStore, nMailKind, pszSelText, m_nForwardMethod))
        return false;
    ShowData();
    return true;
}

bool CMailEditView::ApplyTemplate(const char* pszPath, int nIndex, CMailFolderStore* pStore, int nMailKind,
                                  bool bClearAddresses)
{
    m_data.m_strBody = GetBody();
    m_data.m_strTo = GetTo();
    m_data.m_strCc = GetCc();
    m_data.m_strBcc = GetBcc();
    m_data.m_strSubject = GetSubject();
    if (!m_composer.ApplyTemplate(m_data, pszPath, nIndex, pStore, nMailKind, bClearAddresses))
        return false;
    ShowData();
    return true;
}

bool CMailEditView::InsertTemplate(const char* pszPath, int nMailKind)
{
    m_data.m_nSelStart = m_data.m_nSelEnd = m_body.GetSelStartByte();
    if (!ApplyTemplate(pszPath, -1, nullptr, nMailKind, false))
        return false;
    m_bChanged = true;
    return true;
}

bool CMailEditView::IsBodyEmpty() const
{
    CString body = GetBody();
    if (body.Find('\n') >= 0 || body.Find('\r') >= 0)
        return false;
    body.Trim();
    return body.IsEmpty();
}

CString CMailEditView::GetSelectedBodyText() const
{
    return m_body.GetSelectedText();
}

void CMailEditView::ShowData()
{
    ++m_nLoading;
    SetTo(m_data.m_strTo);
    SetCc(m_data.m_strCc);
    SetBcc(m_data.m_strBcc);
    SetSubject(m_data.m_strSubject);
    SetBody(m_data.m_strBody);
    if (m_data.m_nForwardMethod != -1)
        m_nForwardMethod = m_data.m_nForwardMethod;
    SelectReplyTo(m_data.m_strReplyTo);
    SelectPriority(m_data.m_nPriority);
    if (!m_data.m_strSignName.IsEmpty()) {
        HWND hCombo = GetDlgItemHwnd(IDC_ME_SIGN);
        int found = static_cast<int>(::SendMessageA(hCombo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                    reinterpret_cast<LPARAM>(m_data.m_strSignName.GetString())));
        if (found != CB_ERR)
            ::SendMessageA(hCombo, CB_SETCURSEL, found, 0);
        if (m_data.m_bInsertSignature)
            InsertSignature(m_data.m_strSignName, false);
        // A signature the mail already carries is not added again.
        m_bAutoSignDone = true;
    }
    if (m_nMailKind == 0 || m_nMailKind == 12)
        m_bAutoSignDone = true;
    SelectAccount(m_data.m_strAccountName, m_data.m_strAccountAddresses);
    if (m_data.m_bClearAttachments)
        m_attachList.DeleteTempFiles();
    if (!m_data.m_strAttachFolder.IsEmpty()) {
        // The source mail's own files: a forward and a stored mail opened
        // again carry them on.
        m_attachList.SetFolder(m_data.m_bShowHtml, m_data.m_strAttachFolder, nullptr, true);
        if (m_data.m_bClearAttachPrefix)
            m_attachList.ForgetFolder();
        m_bChanged = true;
    }
    if (m_data.m_bAttachToOnly)
        ::SendMessageA(GetDlgItemHwnd(IDC_ME_TO_ONLY), BM_SETCHECK, BST_CHECKED, 0);
    if (!m_data.m_strAttachDialogFolder.IsEmpty())
        m_strAttachDialogFolder = m_data.m_strAttachDialogFolder;
    for (int i = 0; i < m_data.m_attachFiles.GetSize(); ++i)
        AddAttachmentFile(m_data.m_attachFiles[i], false);
    for (int i = 0; i < m_data.m_tempAttachFiles.GetSize(); ++i)
        AddAttachmentFile(m_data.m_tempAttachFiles[i], true);
    m_data.m_attachFiles.RemoveAll();
    m_data.m_tempAttachFiles.RemoveAll();
    m_data.m_strAttachFolder.Empty();
    --m_nLoading;
    if (m_data.m_bShowHtml && !m_data.m_strHtmlFile.IsEmpty() && !IsHtmlMode())
        m_bStoredTextPartPending = ShowHtmlPane(true, m_data.m_strHtmlFile, true, false) && !IsBodyEmpty();
    m_data.m_bShowHtml = false;
    OnAttachListChanged(0, 0);
}

void CMailEditView::FollowStoredCopy(const char* pszNewAttachFolder)
{
    CString oldFolder = m_attachList.GetFolder();
    if (oldFolder.IsEmpty())
        return;
    CString newFolder = pszNewAttachFolder ? pszNewAttachFolder : "";
    bool htmlInOld = !m_strHtmlPath.IsEmpty() && m_strHtmlPath.GetLength() > oldFolder.GetLength() &&
                     m_strHtmlPath.Left(oldFolder.GetLength()).CompareNoCase(oldFolder) == 0;
    // Every file of the list went into the new copy, which keeps them in
    // its own folder: that folder is listed in place of the old one.
    m_attachList.SetFolder(IsHtmlMode(), newFolder, nullptr, true);
    if (htmlInOld)
        m_strHtmlPath = FindHtmlPartFile(newFolder);
    OnAttachListChanged(0, 0);
}
