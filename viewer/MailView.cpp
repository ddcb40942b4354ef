#include "viewer/MailView.h"

#include "core/DateTimeUtil.h"
#include "core/MailHistory.h"
#include "core/FileUtil.h"
#include "core/PostedObjectTable.h"
#include "mainwnd/FontSetting.h"
#include "mainwnd/MailObjectBlock.h"
#include "message/MailMessage.h"
#include "plugin/PlugInHost.h"
#include "resources/viewer/ViewerResource.h"
#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"
#include "viewer/ColorTextView.h"
#include "viewer/DlgReadNotifyConfirm.h"
#include "viewer/HeaderFieldStatic.h"
#include "viewer/MailFontSets.h"
#include "viewer/ShownMailText.h"
#include "viewer/ViewerMessages.h"
#include "viewer/ViewerProfile.h"
#include "viewer/WebBrowser.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

namespace {

const UINT_PTR kReadTimer = 95;
const int kRowHeight = 16;
const int kLabelWidth = 56;
const int kSpinWidth = 12;

// The header fields and their labels, top to bottom.
const int kFieldIds[] = {IDC_VIEW_SUBJECT, IDC_VIEW_FROM, IDC_VIEW_DATE, IDC_VIEW_TO, IDC_VIEW_CC};
const int kLabelIds[] = {IDC_VIEW_SUBJECT_LABEL, IDC_VIEW_FROM_LABEL, IDC_VIEW_DATE_LABEL, IDC_VIEW_TO_LABEL,
                         IDC_VIEW_CC_LABEL};

CString ReceivedText(const CString& text, const CString& format)
{
    int64_t t = ParseDateText(text);
    return t > 0 ? FormatLocalTime(t, format) : text;
}

} // namespace

BEGIN_MESSAGE_MAP(CMailView, CFormView)
    ON_MESSAGE(WM_SIZE, OnSizeMsg)
    ON_MESSAGE(WM_TIMER, OnTimerMsg)
    ON_MESSAGE(WM_CTLCOLORSTATIC, OnCtlColorMsg)
    ON_MESSAGE(WM_CTLCOLOREDIT, OnCtlColorMsg)
    ON_MESSAGE(WM_CTLCOLORBTN, OnCtlColorMsg)
    ON_MESSAGE(WM_CTLCOLORMSGBOX, OnCtlColorMsg)
    ON_MESSAGE(WM_CTLCOLORLISTBOX, OnCtlColorMsg)
    ON_MESSAGE(WM_CTLCOLORDLG, OnCtlColorMsg)
    ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMsg)
    ON_MESSAGE(WM_PAINT, OnPaintMsg)
    ON_MESSAGE(WM_DESTROY, OnDestroyMsg)
    ON_MESSAGE(WM_LBUTTONDBLCLK, OnLButtonDblClkMsg)
    ON_MESSAGE(WM_QD_SPACE_END_READ, OnSpaceEndReadMsg)
END_MESSAGE_MAP()

CMailView::CMailView(BOOL bViewerMode) : CFormView(IDD_MAIL_VIEW), m_bViewerMode(bViewerMode)
{
    static UINT s_nLastOwner = 0;
    m_nFontOwner = ++s_nLastOwner;
}

CMailView::~CMailView()
{
    for (auto& field : m_headerFields)
        field.reset();
    delete m_pBrowser;
    if (m_hBkBrush)
        DeleteObject(m_hBkBrush);
    if (m_hTrayBrush)
        DeleteObject(m_hTrayBrush);
    if (m_hHeaderFont)
        DeleteObject(m_hHeaderFont);
    if (m_hHeaderBoldFont)
        DeleteObject(m_hHeaderBoldFont);
}

BOOL CMailView::Create(CWnd* pParent, UINT nID, const RECT& rect)
{
    if (!CFormView::Create(pParent, nID, rect))
        return FALSE;
    OnInitialUpdate();
    return TRUE;
}

void CMailView::OnInitialUpdate()
{
    LoadSettings();
    if (m_bInitialized) {
        AttachHeaderFields();
        return;
    }
    m_bInitialized = true;
    LoadColors();
    m_pBody = new CColorTextView;
    RECT rc = {1, 60, 201, 5060};
    if (!m_pBody->Create(this, IDC_VIEW_BODY, rc)) {
        delete m_pBody;
        m_pBody = nullptr;
    }
    ApplyFonts();
    AttachHeaderFields();
    Layout();
}

void CMailView::LoadSettings()
{
    m_nSpaceScroll = ViewerProfile::GetInt("ViewOption", "SpaceScroll", 1);
    m_bSpaceScrollToNotRead = ViewerProfile::GetInt("ViewOption", "SpaceScrollToNotRead", 0);
    m_nPreViewTime = ViewerProfile::GetInt("ViewOption", "PreViewTime", 0);
    m_bScrollEndRead = ViewerProfile::GetInt("ViewOption", "ScrollEndRead", 0);
    m_bFileListBottom = ViewerProfile::GetInt("ViewOption", "ViewFileListBottom", 0);
    m_bHtmlSwitch = m_bViewerMode ? ViewerProfile::GetInt("ViewOption", "ViewWindowHTMLOn", 0) : FALSE;
    // The compact header is a main-window choice only.
    m_bMiniHeader = m_bViewerMode ? FALSE : ViewerProfile::GetInt("Setting", "MailMiniHeader", 0);
    m_bAddressShowAll = m_bViewerMode ? FALSE : ViewerProfile::GetInt("Setting", "AddressShowAll", 0);
}

void CMailView::LoadColors()
{
    m_crBack = static_cast<COLORREF>(ViewerProfile::GetInt("Color", "ViewBkColor", 0xE8E8E8));
    m_crFileTray = static_cast<COLORREF>(ViewerProfile::GetInt("Color", "ViewFileTrayColor", 0x50C8FF));
    m_crText = static_cast<COLORREF>(
        ViewerProfile::GetInt("Color", "ViewTextColor", static_cast<int>(GetSysColor(COLOR_WINDOWTEXT))));
    if (m_hBkBrush)
        DeleteObject(m_hBkBrush);
    m_hBkBrush = CreateSolidBrush(m_crBack);
    if (m_hTrayBrush)
        DeleteObject(m_hTrayBrush);
    m_hTrayBrush = CreateSolidBrush(m_crFileTray);
    if (HWND list = GetDlgItemHwnd(IDC_VIEW_ATTACH_LIST)) {
        ListView_SetBkColor(list, m_crFileTray);
        ListView_SetTextBkColor(list, m_crFileTray);
        ListView_SetTextColor(list, m_crText);
    }
    if (m_hWnd)
        Invalidate();
}

void CMailView::ApplyFonts()
{
    // Face and style of the header font setting, height of the form's font.
    LOGFONTA lf = GetFontSetting("FontViewHeader");
    LOGFONTA dlg = {};
    if (HFONT formFont = GetFont())
        GetObjectA(formFont, sizeof(dlg), &dlg);
    lf.lfHeight = dlg.lfHeight ? dlg.lfHeight : -12;
    m_lfHeader = lf;
    if (m_hHeaderFont)
        DeleteObject(m_hHeaderFont);
    if (m_hHeaderBoldFont)
        DeleteObject(m_hHeaderBoldFont);
    m_hHeaderFont = CreateFontIndirectA(&lf);
    LOGFONTA bold = lf;
    bold.lfWeight = FW_BOLD;
    m_hHeaderBoldFont = CreateFontIndirectA(&bold);
    ApplyCharsetFonts(nullptr);
}

void CMailView::ApplyCharsetFonts(const char* pszCharset)
{
    HFONT normal = m_hHeaderFont;
    HFONT bold = m_hHeaderBoldFont;
    if (pszCharset && *pszCharset) {
        if (CFontSet* set = CMailFontSets::Instance().GetHeaderFontForCharset(pszCharset, std::abs(m_lfHeader.lfHeight))) {
            normal = set->GetFont();
            bold = set->GetBoldFont();
        }
    }
    for (int id : kFieldIds) {
        HWND h = GetDlgItemHwnd(id);
        HFONT want = id == IDC_VIEW_SUBJECT ? bold : normal;
        if (h && reinterpret_cast<HFONT>(::SendMessageA(h, WM_GETFONT, 0, 0)) != want)
            ::SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(want), TRUE);
    }
    for (int id : kLabelIds) {
        HWND h = GetDlgItemHwnd(id);
        if (h && reinterpret_cast<HFONT>(::SendMessageA(h, WM_GETFONT, 0, 0)) != m_hHeaderFont)
            ::SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(m_hHeaderFont), TRUE);
    }
}

void CMailView::SetDblOpenURL(BOOL b)
{
    if (m_pBody)
        m_pBody->SetDblOpenURL(b);
}

void CMailView::SetDblOpenMailEditor(BOOL b)
{
    if (m_pBody)
        m_pBody->SetDblOpenMailEditor(b);
}

void CMailView::SetHtmlSwitch(BOOL bOn)
{
    m_bHtmlSwitch = bOn;
    RefreshMail();
}

void CMailView::ReloadViewSettings(BOOL bReshow)
{
    BOOL html = m_bHtmlSwitch;
    LoadSettings();
    // The viewer's own switch outlives a settings dialog.
    m_bHtmlSwitch = html;
    if (m_pBody) {
        m_pBody->LoadOptions();
        m_pBody->LoadQuoteHeaders();
    }
    if (m_hHeaderFont)
        ApplyFonts();
    LoadColors();
    // Without a mail shown the header's form changes all the same.
    if (bReshow && m_pRecord && m_pFolder)
        RefreshMail();
    else
        Layout();
}

void CMailView::ApplyFontsAndColors()
{
    ApplyFonts();
    LoadColors();
    if (m_pBody) {
        m_pBody->LoadColors();
        // The body takes the font a mail's charset or folder asks for when it is shown.
        if (m_pRecord && m_pFolder)
            RefreshMail();
        else
            m_pBody->SetFont(nullptr);
    }
}

void CMailView::ReloadKeywords()
{
    if (m_pBody) {
        m_pBody->LoadKeywordList();
        m_pBody->Invalidate();
    }
}

void CMailView::SetSingleClickAction(BOOL b)
{
    if (m_pBody)
        m_pBody->SetSingleClickAction(b);
}

HWND CMailView::ParentFrame() const
{
    return GetAncestor(m_hWnd, GA_ROOT);
}

bool CMailView::IsFrameInFront() const
{
    if (m_isFront)
        return m_isFront();
    return GetForegroundWindow() == ParentFrame();
}

bool CMailView::HtmlWanted() const
{
    return ViewerProfile::GetInt("ViewOption", "HTMLMail", 0) != 0 || m_bHtmlSwitch;
}

void CMailView::PostToMainThread(UINT message, WPARAM wParam, LPARAM lParam) const
{
    if (CWinApp* app = AfxGetApp())
        PostThreadMessageA(app->m_nThreadID, message, wParam, lParam);
}

// ---- Showing a mail ----

void CMailView::ShowMail(int nIndex, CMailFolderStore* pFolder, BOOL bNoQuestion)
{
    CSingleLock lock(&m_showLock, TRUE);
    if (!m_hHeaderFont)
        ApplyFonts();
    KillTimer(kReadTimer);
    m_readState.Cancel();
    CWnd* main = AfxGetMainWnd();
    const bool inMain = main && main->GetSafeHwnd() == ParentFrame();
    HCURSOR oldCursor = inMain ? SetCursor(LoadCursor(nullptr, IDC_WAIT)) : nullptr;
    // Showing may hand the focus to the pane's own controls; in the main
    // window it goes back to the pane the user was in.
    HWND activePane = inMain ? ::GetFocus() : nullptr;

    // The browser is made on first need, and only where an engine exists;
    // otherwise HTML mail goes through the text path.
    m_bBrowserShowing = false;
    if (HtmlWanted() && !m_pBrowser && CWebBrowser::IsEngineAvailable()) {
        m_pBrowser = new CWebBrowser;
        RECT rc = {0, 0, 10, 10};
        if (!m_pBrowser->Create(this, IDC_VIEW_BROWSER, rc)) {
            delete m_pBrowser;
            m_pBrowser = nullptr;
        } else {
            m_pBrowser->PutVisible(FALSE);
        }
    }
    if (m_pBrowser) {
        m_pBrowser->PutVisible(FALSE);
        m_pBrowser->ShowWindow(SW_HIDE);
    }
    if (m_pBody)
        m_pBody->ShowWindow(SW_SHOW);

    CMailListData* list = pFolder ? pFolder->GetMailList() : nullptr;
    CMailIndexRecord* record = list ? list->GetMailRecord(nIndex) : nullptr;
    if (!record || record->m_bDeleted) {
        if (oldCursor)
            SetCursor(oldCursor);
        return;
    }
    m_pFolder = pFolder;
    m_pList = list;
    m_pRecord = record;
    m_nIndex = nIndex;

    m_bReadNotifyPending = false;
    switch (m_readState.OnShow(pFolder->GetFolderId(), nIndex, record->IsRead(), m_nPreViewTime, m_bScrollEndRead)) {
    case CReadStatePolicy::ShowAction::StartTimer:
        SetTimer(kReadTimer, m_readState.GetDelayMs());
        break;
    case CReadStatePolicy::ShowAction::MarkNoFlag:
        MarkRead(FALSE);
        break;
    case CReadStatePolicy::ShowAction::MarkRead:
        MarkRead(TRUE);
        break;
    default:
        // A read mail whose notification was put off is asked about again
        // when it is shown in front.
        if (record->IsRead() && ViewerProfile::GetInt("Setting", "ReadNotifyTo", 0) &&
            CReadStatePolicy::IsNotifyPending(record->m_nFlags))
            m_bReadNotifyPending = true;
        break;
    }

    CString stored;
    if (!pFolder->ReadMailText(record, stored)) {
        ClearMail();
        if (oldCursor)
            SetCursor(oldCursor);
        return;
    }
    CShownMailText shown;
    shown.Load(stored.GetString(), static_cast<size_t>(stored.GetLength()),
               HtmlWanted() ? CShownMailText::htmlFirst : CShownMailText::htmlWhenNoText);
    stored.Empty();
    m_strHeaderText = CString(shown.HeaderText());
    m_strCharset = record->GetText(CMailIndexRecord::colCharset);

    if (m_pBody) {
        m_pBody->SendMessage(WM_SETREDRAW, FALSE);
        CMailFontSets::Instance().EnsureCharSetFontsLoaded();
        // The language font of the mail's charset, else the folder's font.
        CFontSet* set = CMailFontSets::Instance().GetFontForCharset(m_strCharset);
        if (!set) {
            const CFolderRecord& folder = pFolder->GetFolderRecord();
            m_pFolderFont = CMailFontSets::Instance().GetFontSet(
                m_nFontOwner, m_pFolderFont, folder.m_strFontName, folder.m_nFontSize, folder.m_nFontNumber3,
                static_cast<BYTE>(folder.m_nFontNumber2), folder.m_nCharSet);
            set = m_pFolderFont;
        }
        m_pBody->SetFont(set);
        ApplyCharsetFonts(m_strCharset);
        m_pBody->SetText(shown.TakeBody());
        m_pBody->SendMessage(WM_SETREDRAW, TRUE);
        m_pBody->Invalidate();
    }
    UpdateHeaderFields();
    ShowAttachments();
    Layout();
    if (m_bViewerMode)
        ::SetWindowTextA(ParentFrame(), m_strSubject);
    if (m_pBody)
        m_pBody->LoadQuoteHeaders();
    ShownMailHistory().Add(pFolder->GetFolderId(), nIndex);
    if (inMain) {
        if (activePane && ::IsWindow(activePane) && ::GetFocus() != activePane)
            ::SetFocus(activePane);
        if (oldCursor)
            SetCursor(oldCursor);
        // Nudge the pointer so that its shape is worked out again.
        POINT pt;
        GetCursorPos(&pt);
        SetCursorPos(pt.x + 1, pt.y);
        SetCursorPos(pt.x, pt.y);
    }
    if (!bNoQuestion)
        AskReadNotifyIfPending();
    CPlugInHost& plugIns = PlugInHost();
    if (plugIns.GetEventListSize(CPlugInHost::evShownMail) > 0 && m_pRecord) {
        std::string body = m_pBody ? m_pBody->GetText() : std::string();
        plugIns.FireShownMailEvent(m_pRecord->GetText(CMailIndexRecord::colFileName), m_strHeaderText, body.c_str(),
                                   m_strCharset);
    }
}

void CMailView::UpdateHeaderFields()
{
    if (!m_pRecord)
        return;
    m_strSubject = m_pRecord->GetText(CMailIndexRecord::colSubject);
    SetDlgItemText(IDC_VIEW_SUBJECT, m_strSubject);
    SetDlgItemText(IDC_VIEW_FROM, m_pRecord->GetText(CMailIndexRecord::colFrom));
    const CString& to = m_pRecord->GetText(CMailIndexRecord::colTo);
    const CString& cc = m_pRecord->GetText(CMailIndexRecord::colCc);
    m_bHasCc = !cc.IsEmpty();
    if (m_bHasCc && HasCcLine()) {
        SetDlgItemText(IDC_VIEW_TO, to);
        SetDlgItemText(IDC_VIEW_CC, cc);
    } else if (m_bHasCc) {
        SetDlgItemText(IDC_VIEW_TO, FormatString("%s  (CC:%s)", to.GetString(), cc.GetString()));
        SetDlgItemText(IDC_VIEW_CC, "");
    } else {
        SetDlgItemText(IDC_VIEW_TO, to);
        SetDlgItemText(IDC_VIEW_CC, "");
    }
    CString format = m_pList ? m_pList->GetDateFormat() : CString("%Y/%m/%d %H:%M:%S");
    CString sent = m_pRecord->GetText(CMailIndexRecord::colDate).IsEmpty()
                       ? CString()
                       : FormatDateTextAsLocal(m_pRecord->GetText(CMailIndexRecord::colDate), format);
    CString received = ReceivedText(m_pRecord->GetText(CMailIndexRecord::colReceived), format);
    SetDlgItemText(IDC_VIEW_DATE, FormatString("送信： %s      受信： %s", sent.GetString(), received.GetString()));
}

void CMailView::ClearMail()
{
    KillTimer(kReadTimer);
    m_readState.Cancel();
    m_pRecord = nullptr;
    m_nIndex = -1;
    m_strHeaderText.Empty();
    m_strSubject.Empty();
    for (int id : kFieldIds)
        SetDlgItemText(id, "");
    if (m_pBody)
        m_pBody->SetTextAndRedraw("");
    ClearAttachments();
    if (m_pBrowser) {
        m_pBrowser->PutVisible(FALSE);
        m_pBrowser->ShowWindow(SW_HIDE);
    }
    m_bBrowserShowing = false;
    if (m_pBody)
        m_pBody->ShowWindow(SW_SHOW);
    Layout();
}

void CMailView::RefreshMail()
{
    if (m_pRecord && m_pFolder)
        ShowMail(m_nIndex, m_pFolder, TRUE);
}

BOOL CMailView::ShowHtmlFile(const char* pszPath)
{
    if (!m_pBrowser || m_pBrowser->IsWindowVisible() || !pszPath)
        return FALSE;
    CString ext = GetFileExtension(pszPath);
    if (ext.CompareNoCase(".html") != 0 && ext.CompareNoCase(".htm") != 0)
        return FALSE;
    if (m_pBody)
        m_pBody->ShowWindow(SW_HIDE);
    m_bBrowserShowing = true;
    m_strHtmlPath = pszPath;
    Layout();
    m_pBrowser->Navigate(pszPath);
    m_pBrowser->ShowWindow(SW_SHOW);
    m_pBrowser->UpdateWindow();
    m_pBrowser->PutVisible(TRUE);
    return TRUE;
}

// ---- Attachments ----

void CMailView::ClearAttachments()
{
    if (HWND list = GetDlgItemHwnd(IDC_VIEW_ATTACH_LIST)) {
        ListView_DeleteAllItems(list);
        ::ShowWindow(list, SW_HIDE);
    }
    m_bAttachShown = false;
    m_nAttachFolderId = 0;
    m_nAttachIndex = -1;
    m_strAttachFolder.Empty();
}

void CMailView::ShowAttachments()
{
    ClearAttachments();
    if (!m_pFolder || !m_pRecord)
        return;
    CString folder = m_pFolder->GetAttachFolder(m_pRecord);
    HWND list = GetDlgItemHwnd(IDC_VIEW_ATTACH_LIST);
    if (folder.IsEmpty() || !DirectoryExists(folder) || !list)
        return;
    m_strAttachFolder = folder;
    m_nAttachFolderId = m_pFolder->GetFolderId();
    m_nAttachIndex = m_nIndex;
    CStringArray files;
    m_pFolder->GetAttachFileList(m_nIndex, files);
    CString html;
    const bool htmlMode = HtmlWanted();
    for (int i = 0; i < files.GetSize(); ++i) {
        CString name = GetFileNameFromPath(files[i]);
        CString ext = GetFileExtension(name);
        bool isHtml = ext.CompareNoCase(".html") == 0 || ext.CompareNoCase(".htm") == 0;
        if (isHtml && html.IsEmpty())
            html = files[i];
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = ListView_GetItemCount(list);
        item.pszText = const_cast<char*>(name.GetString());
        ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    RefreshAttachments();
    m_bAttachShown = ListView_GetItemCount(list) > 0;
    ::ShowWindow(list, m_bAttachShown ? SW_SHOW : SW_HIDE);
    if (htmlMode && !html.IsEmpty())
        ShowHtmlFile(html);
}

void CMailView::RefreshAttachments()
{
    if (!m_pFolder || !m_pRecord || !m_pList)
        return;
    CStringArray files;
    if (!m_strAttachFolder.IsEmpty())
        ListFilesRecursive(m_strAttachFolder, files);
    long long total = m_pRecord->m_nDataLength;
    for (int i = 0; i < files.GetSize(); ++i) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(files[i], GetFileExInfoStandard, &data))
            total += (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    if (total > 0x7FFFFFFF)
        total = 0x7FFFFFFF;
    if (total == m_pRecord->m_nTotalSize)
        return;
    HWND list = GetDlgItemHwnd(IDC_VIEW_ATTACH_LIST);
    bool empty = !list || ListView_GetItemCount(list) == 0;
    CStringArray listed;
    if (empty)
        m_pFolder->GetAttachFileList(m_nIndex, listed);
    m_pList->SetAttachInfo(m_pRecord, empty ? FALSE : TRUE, static_cast<int>(total));
    if (empty) {
        // A folder whose last attachment was taken away is not left behind
        // (only the parts' header notes would remain in it).
        if (!m_strAttachFolder.IsEmpty() && listed.GetSize() == 0)
            DeleteDirectoryTree(m_strAttachFolder, true);
        if (list)
            ::ShowWindow(list, SW_HIDE);
    }
    PostToMainThread(WM_QD_MAIL_READ_CHANGED, static_cast<WPARAM>(m_pFolder->GetFolderId()), m_nIndex);
    Layout();
}

// ---- Read state ----

void CMailView::MarkRead(BOOL bSetRead)
{
    if (!m_pRecord || !m_pList || !m_pFolder)
        return;
    CReadStatePolicy::MarkResult r = CReadStatePolicy::MarkRead(
        ViewerProfile::GetInt("Setting", "ReadNotifyTo", 0) != 0, m_pRecord->m_nFlags, IsFrameInFront(), bSetRead);
    if (r.bPending)
        m_bReadNotifyPending = true;
    if (r.bSetRead && !m_pRecord->IsRead())
        m_pList->SetOpen(m_pRecord);
    if (r.bAnnounce)
        PostToMainThread(WM_QD_MAIL_READ_CHANGED, static_cast<WPARAM>(m_pFolder->GetFolderId()), m_nIndex);
}

BOOL CMailView::IsReadNotifyPending() const
{
    return m_pRecord && CReadStatePolicy::IsNotifyPending(m_pRecord->m_nFlags);
}

void CMailView::AskReadNotifyIfPending()
{
    if (m_bReadNotifyPending && IsFrameInFront())
        AskSendReadNotify();
}

void CMailView::AskSendReadNotify()
{
    if (!m_pRecord || !m_pList || !m_pFolder)
        return;
    m_bReadNotifyPending = false;
    // The question waits for the user while other mails may be shown; the
    // answer belongs to the mail it was asked for.
    CMailFolderStore* folder = m_pFolder;
    CMailListData* list = m_pList;
    const int index = m_nIndex;
    CMailMessage message;
    message.ParseHeaderText(m_strHeaderText);
    char question[512] = {};
    LoadStringA(AfxGetResourceHandle(), IDS_READ_NOTIFY_QUESTION, question, sizeof(question));
    CString text = FormatString("%s\r\n\r\n宛先：%s", question, message.m_strReadReceiptAddress.GetString());
    int answer;
    if (m_askNotify) {
        answer = m_askNotify(text);
    } else {
        CDlgReadNotifyConfirm dlg(text, this);
        answer = static_cast<int>(dlg.DoModal());
    }
    CMailIndexRecord* record = list->GetMailRecord(index);
    if (!record)
        return;
    bool send = false;
    int flags = CReadStatePolicy::FlagsAfterAnswer(record->m_nFlags, answer, &send);
    // A receipt goes out only for the answer given here: the mail travels as
    // a token no other program can post.
    CWinApp* app = AfxGetApp();
    if (send && app)
        CPostedObjectTable::Instance().PostToThread(
            app->m_nThreadID, WM_QD_SEND_READ_NOTIFY, 0,
            std::make_shared<MailObjectBlock::MailRef>(MailObjectBlock::MailRef{folder->GetFolderId(), index}));
    if (flags != record->m_nFlags)
        list->SetMailFlags(record, flags, TRUE);
}

LRESULT CMailView::OnTimerMsg(WPARAM wParam, LPARAM)
{
    if (wParam != kReadTimer)
        return Default();
    KillTimer(kReadTimer);
    if (!m_readState.OnTimer() || !m_pRecord || !m_pList)
        return 0;
    MarkRead(TRUE);
    if (m_bReadNotifyPending && IsFrameInFront())
        AskSendReadNotify();
    return 0;
}

LRESULT CMailView::OnSpaceEndReadMsg(WPARAM, LPARAM)
{
    MarkRead(TRUE);
    PostToMainThread(WM_QD_SPACE_END_READ, 0, 0);
    return 0;
}

// ---- Layout and painting ----

int CMailView::FieldLines(int nId, int nWidth) const
{
    HWND h = GetDlgItemHwnd(nId);
    if (!h || nWidth <= 0)
        return 1;
    CString text = CWnd::FromHandle(h)->GetWindowText();
    if (text.IsEmpty())
        return 1;
    HDC hdc = ::GetDC(h);
    HGDIOBJ old = SelectObject(hdc, reinterpret_cast<HGDIOBJ>(::SendMessageA(h, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32A(hdc, text, text.GetLength(), &size);
    SelectObject(hdc, old);
    ::ReleaseDC(h, hdc);
    return static_cast<int>((size.cx + nWidth - 1) / nWidth);
}

void CMailView::Layout()
{
    if (!m_hWnd)
        return;
    RECT rc;
    GetClientRect(&rc);
    const int cx = rc.right, cy = rc.bottom;
    const int right = cx - kSpinWidth - 2;
    // Moving or showing a control costs a round trip to the display even
    // when nothing changes; the pane is laid out for every mail shown.
    auto place = [&](int id, int x, int y, int w, int h, bool show) {
        HWND ctl = GetDlgItemHwnd(id);
        if (!ctl)
            return;
        RECT now;
        ::GetWindowRect(ctl, &now);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&now), 2);
        w = std::max(0, w);
        h = std::max(0, h);
        if (now.left != x || now.top != y || now.right - now.left != w || now.bottom - now.top != h)
            ::SetWindowPos(ctl, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        if ((::IsWindowVisible(ctl) != FALSE) != show)
            ::ShowWindow(ctl, show ? SW_SHOW : SW_HIDE);
    };
    auto setScroll = [&](int id, bool on) {
        if (HWND ctl = GetDlgItemHwnd(id)) {
            LONG style = static_cast<LONG>(::GetWindowLongPtrA(ctl, GWL_STYLE));
            LONG want = on ? (style | WS_VSCROLL) : (style & ~WS_VSCROLL);
            if (want != style) {
                ::SetWindowLongPtrA(ctl, GWL_STYLE, want);
                ::SetWindowPos(ctl, nullptr, 0, 0, 0, 0,
                               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
            }
        }
    };
    place(IDC_VIEW_FRAME_SPIN, right, 2, kSpinWidth, 34, false);
    int top;
    if (m_bMiniHeader && !m_bViewerMode) {
        int half = (right - 2) / 2;
        place(IDC_VIEW_FROM_LABEL, 2, 3, kLabelWidth, kRowHeight, true);
        place(IDC_VIEW_FROM, kLabelWidth + 4, 3, half - kLabelWidth - 6, kRowHeight, true);
        place(IDC_VIEW_TO_LABEL, half, 3, kLabelWidth, kRowHeight, true);
        place(IDC_VIEW_TO, half + kLabelWidth + 2, 3, right - half - kLabelWidth - 2, kRowHeight, true);
        place(IDC_VIEW_SUBJECT_LABEL, 2, 20, kLabelWidth, kRowHeight, true);
        place(IDC_VIEW_SUBJECT, kLabelWidth + 4, 20, half - kLabelWidth - 6, kRowHeight, true);
        place(IDC_VIEW_DATE_LABEL, half, 20, kLabelWidth, kRowHeight, true);
        place(IDC_VIEW_DATE, half + kLabelWidth + 2, 20, right - half - kLabelWidth - 2, kRowHeight, true);
        place(IDC_VIEW_CC_LABEL, 0, 0, 0, 0, false);
        place(IDC_VIEW_CC, 0, 0, 0, 0, false);
        setScroll(IDC_VIEW_TO, false);
        top = 36;
    } else {
        const int fieldX = kLabelWidth + 4;
        const int fieldW = right - fieldX - 2;
        int y = 3;
        for (int i = 0; i < 3; ++i) {
            place(kLabelIds[i], 2, y, kLabelWidth, kRowHeight, true);
            place(kFieldIds[i], fieldX, y, fieldW, kRowHeight, true);
            y += kRowHeight + 1;
        }
        // Recipients grow to the lines they need, five at most (then with a scroll bar).
        auto multiLine = [&](int label, int field, bool show) {
            if (!show) {
                place(label, 0, 0, 0, 0, false);
                place(field, 0, 0, 0, 0, false);
                return;
            }
            int lines = FieldLines(field, fieldW);
            bool scroll = lines > 5;
            lines = std::min(std::max(lines, 1), 5);
            setScroll(field, scroll);
            place(label, 2, y, kLabelWidth, kRowHeight, true);
            place(field, fieldX, y, fieldW, lines * kRowHeight, true);
            y += lines * kRowHeight + 1;
        };
        multiLine(IDC_VIEW_TO_LABEL, IDC_VIEW_TO, true);
        multiLine(IDC_VIEW_CC_LABEL, IDC_VIEW_CC, HasCcLine() && m_bHasCc);
        if (m_lfHeader.lfHeight < -12)
            y += 6;
        top = y + 2;
    }
    int bodyW = cx - 2, bodyH = cy - top - 1;
    HWND list = GetDlgItemHwnd(IDC_VIEW_ATTACH_LIST);
    if (m_bAttachShown && list) {
        if (m_bFileListBottom) {
            bodyH -= 67;
            ::SetWindowPos(list, nullptr, 1, top + bodyH + 1, cx - 2, 66, SWP_NOZORDER | SWP_NOACTIVATE);
        } else {
            bodyW -= 86;
            ::SetWindowPos(list, nullptr, bodyW + 2, top, 84, std::max(0, bodyH), SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    bodyW = std::max(0, bodyW);
    bodyH = std::max(0, bodyH);
    auto move = [&](CWnd* wnd) {
        if (!wnd || !wnd->GetSafeHwnd())
            return;
        RECT now;
        wnd->GetWindowRect(&now);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&now), 2);
        if (now.left != 1 || now.top != top || now.right - now.left != bodyW || now.bottom - now.top != bodyH)
            wnd->MoveWindow(1, top, bodyW, bodyH);
    };
    move(m_pBody);
    move(m_pBrowser);
}

LRESULT CMailView::OnSizeMsg(WPARAM, LPARAM)
{
    Default();
    Layout();
    return 0;
}

LRESULT CMailView::OnCtlColorMsg(WPARAM wParam, LPARAM lParam)
{
    HDC hdc = reinterpret_cast<HDC>(wParam);
    if (reinterpret_cast<HWND>(lParam) == GetDlgItemHwnd(IDC_VIEW_ATTACH_LIST)) {
        SetBkColor(hdc, m_crFileTray);
        SetTextColor(hdc, m_crText);
        return reinterpret_cast<LRESULT>(m_hTrayBrush);
    }
    SetTextColor(hdc, m_crText);
    SetBkColor(hdc, m_crBack);
    return reinterpret_cast<LRESULT>(m_hBkBrush);
}

LRESULT CMailView::OnEraseBkgndMsg(WPARAM wParam, LPARAM)
{
    RECT rc;
    GetClientRect(&rc);
    FillRect(reinterpret_cast<HDC>(wParam), &rc, m_hBkBrush ? m_hBkBrush : GetSysColorBrush(COLOR_BTNFACE));
    return 1;
}

LRESULT CMailView::OnPaintMsg(WPARAM, LPARAM)
{
    // The form draws nothing of its own; its controls paint themselves.
    return Default();
}

LRESULT CMailView::OnDestroyMsg(WPARAM, LPARAM)
{
    KillTimer(kReadTimer);
    ClearAttachments();
    if (m_pBody && m_pBody->GetSafeHwnd())
        m_pBody->DestroyWindow();
    m_pBody = nullptr;
    // Lets go of the shared folder font.
    if (m_pFolderFont)
        CMailFontSets::Instance().GetFontSet(m_nFontOwner, m_pFolderFont, "", 0, 0, 0, 0);
    m_pFolderFont = nullptr;
    CView::OnDestroy();
    return 0;
}

LRESULT CMailView::OnLButtonDblClkMsg(WPARAM, LPARAM)
{
    if (CWnd* main = AfxGetMainWnd())
        main->PostMessage(WM_QD_TOGGLE_VIEW_MAXIMIZED, 0, 0);
    return 0;
}

// ---- Commands and keys ----

void CMailView::SpaceScroll(BOOL bUp)
{
    if (m_bBrowserShowing && m_pBrowser) {
        RECT rc;
        m_pBrowser->GetClientRect(&rc);
        int h = rc.bottom;
        int step = m_nSpaceScroll == 0 ? h / 10 : m_nSpaceScroll == 1 ? h / 2 : h - 16;
        m_pBrowser->ScrollDocumentBy(bUp ? -step : step);
        return;
    }
    if (m_pBody)
        m_pBody->ScrollText(m_nSpaceScroll, bUp, m_bSpaceScrollToNotRead);
}

BOOL CMailView::OnCmdMsg(UINT nID, int nCode, void* pExtra, LRESULT* pResult)
{
    if (ShownMailCommand(nID, nCode))
        return TRUE;
    if (nCode != CN_COMMAND && nCode != static_cast<int>(CN_PROBE_COMMAND))
        return CFormView::OnCmdMsg(nID, nCode, pExtra, pResult);
    // A probe asks only whether the command is taken here.
    const bool probe = nCode == static_cast<int>(CN_PROBE_COMMAND);
    switch (nID) {
    case ID_EDIT_COPY_TEXT:
    case ID_SELECT_ALL_TEXT:
    case ID_AUTO_SCROLL_DOWN:
    case ID_AUTO_SCROLL_UP:
    case ID_REGISTER_MAIL_RULE:
    case ID_SPACE_SCROLL_DOWN:
    case ID_SPACE_SCROLL_UP:
        if (probe)
            return TRUE;
        break;
    default:
        return CFormView::OnCmdMsg(nID, nCode, pExtra, pResult);
    }
    switch (nID) {
    case ID_EDIT_COPY_TEXT:
        if (HWND focus = GetFocus())
            ::SendMessageA(focus, WM_COPY, 0, 0);
        return TRUE;
    case ID_SELECT_ALL_TEXT:
        if (m_pBody && GetFocus() == m_pBody->GetSafeHwnd())
            m_pBody->SelectAll();
        else if (HWND focus = GetFocus())
            ::SendMessageA(focus, EM_SETSEL, 0, -1);
        return TRUE;
    case ID_AUTO_SCROLL_DOWN:
    case ID_AUTO_SCROLL_UP:
        if (m_pBody)
            m_pBody->AutoScroll(nID == ID_AUTO_SCROLL_DOWN);
        return TRUE;
    case ID_REGISTER_MAIL_RULE:
        if (m_pRecord && m_pFolder)
            PostToMainThread(WM_QD_REGISTER_MAIL_RULE, static_cast<WPARAM>(m_nIndex),
                             static_cast<LPARAM>(m_pFolder->GetFolderId()));
        return TRUE;
    case ID_SPACE_SCROLL_DOWN:
    case ID_SPACE_SCROLL_UP:
        SpaceScroll(nID == ID_SPACE_SCROLL_UP);
        return TRUE;
    default:
        return CFormView::OnCmdMsg(nID, nCode, pExtra, pResult);
    }
}

BOOL CMailView::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_QD_ATTACH_FOLDER_CHANGED && pMsg->hwnd == m_hWnd) {
        if (m_pFolder && static_cast<int>(pMsg->wParam) == m_nAttachFolderId &&
            static_cast<int>(pMsg->lParam) == m_nAttachIndex)
            RefreshAttachments();
        return TRUE;
    }
    if (pMsg->message == WM_KEYDOWN && (!m_pBody || pMsg->hwnd != m_pBody->GetSafeHwnd())) {
        if (pMsg->wParam == VK_ESCAPE && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0) {
            ::PostMessageA(ParentFrame(), WM_COMMAND, ID_VIEW_ESCAPE, 0);
            return TRUE;
        }
        if (pMsg->wParam == VK_TAB) {
            ::PostMessageA(ParentFrame(), WM_KEYDOWN, VK_TAB, pMsg->lParam);
            return TRUE;
        }
    }
    return CFormView::PreTranslateMessage(pMsg);
}
