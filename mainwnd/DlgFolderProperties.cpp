#include "mainwnd/DlgFolderProperties.h"

#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/DlgSelectFont.h"
#include "core/QuendalApp.h"
#include "core/ShellUtil.h"
#include "core/SoundPlayer.h"
#include "mainwnd/FontSetting.h"
#include "mainwnd/FolderImages.h"
#include "resources/mainwnd/MainWndResource.h"
#include "store/MailFolderStore.h"

#include <commctrl.h>

BEGIN_MESSAGE_MAP(CDlgFolderProperties, CDialog)
    ON_NOTIFY(TCN_SELCHANGE, IDC_PROP_TAB, OnTabChange)
    ON_BN_CLICKED(IDC_PROP_FONT_CLEAR, OnFontClear)
    ON_BN_CLICKED(IDC_PROP_FONT_CHOOSE, OnFontChoose)
    ON_BN_CLICKED(IDC_PROP_PATH_BROWSE, OnPathBrowse)
    ON_BN_CLICKED(IDC_PROP_SOUND_BROWSE, OnSoundBrowse)
    ON_BN_CLICKED(IDC_PROP_SOUND_PLAY, OnSoundPlay)
END_MESSAGE_MAP()

namespace {

const UINT WM_QD_FOLDER_SETTINGS_CHANGED = 1388;
const UINT WM_QD_FOLDER_FONT_CHANGED = 1419;
const int kFilterNone = 999;

struct CheckBinding
{
    int id;
    BOOL FolderForm::*member;
};
const CheckBinding kGeneralChecks[] = {
    { IDC_PROP_HIDE_TAG, &FolderForm::hideTag },         { IDC_PROP_NO_OPTIMISE, &FolderForm::noOptimise },
    { IDC_PROP_NO_DUPLICATES, &FolderForm::noDuplicates }, { IDC_PROP_STRIP_TAG, &FolderForm::stripTag },
    { IDC_PROP_IGNORE_UNREAD, &FolderForm::ignoreUnread },
};
// Compose fields by record column (11 to 23, the filter set 22 is on the other page).
const struct { int id; int column; } kComposeFields[] = {
    { IDC_PROP_TO, 11 }, { IDC_PROP_CC, 12 }, { IDC_PROP_BCC, 13 }, { IDC_PROP_SENDER_NAME, 14 },
    { IDC_PROP_SENDER_ADDRESS, 15 }, { IDC_PROP_SIGNATURE, 16 }, { IDC_PROP_REPLY_TO, 17 },
    { IDC_PROP_TEMPLATE_NEW, 18 }, { IDC_PROP_TEMPLATE_REPLY, 19 }, { IDC_PROP_TEMPLATE_REPLY_ALL, 20 },
    { IDC_PROP_TEMPLATE_FORWARD, 21 }, { IDC_PROP_ACCOUNT, 23 },
};

void AddComboText(HWND hDlg, int id, const char* text, LPARAM data = 0)
{
    LRESULT pos = ::SendDlgItemMessageA(hDlg, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (pos >= 0)
        ::SendDlgItemMessageA(hDlg, id, CB_SETITEMDATA, static_cast<WPARAM>(pos), data);
}

void AddFileNames(HWND hDlg, int id, const CString& folder)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA(folder + "\\*", &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            AddComboText(hDlg, id, fd.cFileName);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
}

} // namespace

CDlgFolderProperties::CDlgFolderProperties(CMailFolderStore* pStore, CWnd* pParent)
    : CDialog(IDD_FOLDER_PROPERTIES, pParent), m_pStore(pStore)
{
}

CDlgFolderProperties::~CDlgFolderProperties() = default;

BOOL CDlgFolderProperties::OnInitDialog()
{
    m_form.FromRecord(m_pStore->GetFolderRecord());
    HWND hTab = GetDlgItemHwnd(IDC_PROP_TAB);
    const char* titles[] = { "設定", "メールの作成" };
    for (int i = 0; i < 2; ++i) {
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(titles[i]);
        ::SendMessageA(hTab, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    m_general.Create(IDD_FOLDER_GENERAL, this);
    m_compose.Create(IDD_FOLDER_COMPOSE, this);
    RECT rc = {};
    ::GetWindowRect(hTab, &rc);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    ::SendMessageA(hTab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
    for (CFolderPropertyPage* page : { &m_general, &m_compose })
        page->SetWindowPos(hTab, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOACTIVATE);
    CheckDlgButton(IDC_PROP_APPLY_BELOW, m_form.applyBelow ? BST_CHECKED : BST_UNCHECKED);
    FillGeneralPage();
    FillComposePage();
    ShowPage(0);
    return TRUE;
}

void CDlgFolderProperties::FillGeneralPage()
{
    HWND hPage = m_general.m_hWnd;
    m_general.SetDlgItemText(IDC_PROP_NAME, m_form.name);
    m_general.SetDlgItemText(IDC_PROP_PATH, m_form.path);
    m_general.SetDlgItemText(IDC_PROP_SOUND, m_form.sound);
    for (const CheckBinding& b : kGeneralChecks)
        m_general.CheckDlgButton(b.id, m_form.*b.member ? BST_CHECKED : BST_UNCHECKED);
    m_general.SetDlgItemText(IDC_PROP_FONT_FACE, m_form.fontFace);
    CString size;
    if (!m_form.fontFace.IsEmpty())
        size.Format("%d", m_form.fontPoints);
    m_general.SetDlgItemText(IDC_PROP_FONT_SIZE, size);
    ::SendDlgItemMessageA(hPage, IDC_PROP_PASSWORD, EM_LIMITTEXT, FolderForm::maxPasswordLength, 0);
    m_general.SetDlgItemText(IDC_PROP_PASSWORD, m_form.password);

    // One icon per group of four folder images, the group as item data.
    HWND hIcons = m_general.GetDlgItemHwnd(IDC_PROP_ICONS);
    if (CreateFolderImageList(m_icons))
        ::SendMessageA(hIcons, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(m_icons.m_hImageList));
    for (int group = 0; group < 22; ++group) {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE | LVIF_PARAM | LVIF_TEXT;
        item.iItem = group;
        item.iImage = group * 4;
        item.lParam = group;
        item.pszText = const_cast<char*>("");
        ::SendMessageA(hIcons, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(hIcons, LVM_SETITEMSTATE, static_cast<WPARAM>(m_form.iconGroup), reinterpret_cast<LPARAM>(&state));
    ::SendMessageA(hIcons, LVM_ENSUREVISIBLE, static_cast<WPARAM>(m_form.iconGroup), FALSE);

    AddComboText(hPage, IDC_PROP_FILTER_SET, "", kFilterNone);
    AddComboText(hPage, IDC_PROP_FILTER_SET, "受信", 0);
    AddComboText(hPage, IDC_PROP_FILTER_SET, "送信済", 1);
    if (CQuendalApp* pApp = QuendalApp()) {
        WIN32_FIND_DATAA fd;
        HANDLE h = ::FindFirstFileA(pApp->GetDivideupBoxPath() + "\\*", &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    AddComboText(hPage, IDC_PROP_FILTER_SET, fd.cFileName, 2);
            } while (::FindNextFileA(h, &fd));
            ::FindClose(h);
        }
    }
    LRESULT sel = ::SendDlgItemMessageA(hPage, IDC_PROP_FILTER_SET, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(static_cast<const char*>(m_form.filterSet)));
    ::SendDlgItemMessageA(hPage, IDC_PROP_FILTER_SET, CB_SETCURSEL, sel >= 0 ? static_cast<WPARAM>(sel) : 0, 0);
}

void CDlgFolderProperties::FillComposePage()
{
    HWND hPage = m_compose.m_hWnd;
    CQuendalApp* pApp = QuendalApp();
    if (pApp && pApp->m_pAccountDataSet) {
        CAccountDataSet* accounts = pApp->m_pAccountDataSet;
        for (int i = 0; i < accounts->GetRecordCount(TRUE); ++i) {
            CAccountData* a = accounts->GetAccount(i);
            if (!a)
                continue;
            AddComboText(hPage, IDC_PROP_ACCOUNT, a->GetAccountName());
            AddComboText(hPage, IDC_PROP_SENDER_NAME, a->GetUserName());
            AddComboText(hPage, IDC_PROP_SENDER_ADDRESS, a->GetMailAddress());
            AddComboText(hPage, IDC_PROP_REPLY_TO, a->GetMailAddress());
        }
    }
    if (pApp) {
        AddFileNames(hPage, IDC_PROP_SIGNATURE, pApp->GetSignatureBoxPath());
        for (int id : { IDC_PROP_TEMPLATE_NEW, IDC_PROP_TEMPLATE_REPLY, IDC_PROP_TEMPLATE_REPLY_ALL, IDC_PROP_TEMPLATE_FORWARD })
            AddFileNames(hPage, id, pApp->GetTemplateBoxPath());
    }
    for (const auto& f : kComposeFields)
        m_compose.SetDlgItemText(f.id, m_form.compose[f.column - 11]);
    m_compose.CheckDlgButton(IDC_PROP_DEFAULT_ON_REPLY, m_form.defaultOnReply ? BST_CHECKED : BST_UNCHECKED);
}

void CDlgFolderProperties::ShowPage(int nPage)
{
    ::SendDlgItemMessageA(m_hWnd, IDC_PROP_TAB, TCM_SETCURSEL, static_cast<WPARAM>(nPage), 0);
    m_general.ShowWindow(nPage == 0 ? SW_SHOW : SW_HIDE);
    m_compose.ShowWindow(nPage == 1 ? SW_SHOW : SW_HIDE);
}

void CDlgFolderProperties::OnTabChange(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    ShowPage(static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_PROP_TAB, TCM_GETCURSEL, 0, 0)));
}

void CDlgFolderProperties::OnFontClear()
{
    m_general.SetDlgItemText(IDC_PROP_FONT_FACE, "");
    m_general.SetDlgItemText(IDC_PROP_FONT_SIZE, "");
    m_general.SetDlgItemText(IDC_PROP_CHARSET, "");
    m_form.fontFace.Empty();
    m_form.fontWeight = m_form.fontItalic = 0;
    m_form.fontCharSet = 128;
}

void CDlgFolderProperties::OnFontChoose()
{
    // The folder's font, else the application's.
    LOGFONTA lf = GetFontSetting("Font");
    CString face = m_general.GetDlgItemText(IDC_PROP_FONT_FACE);
    int points = atoi(m_general.GetDlgItemText(IDC_PROP_FONT_SIZE));
    if (!face.IsEmpty()) {
        lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
        lf.lfHeight = points * 20;
        lf.lfWeight = m_form.fontWeight;
        lf.lfItalic = static_cast<BYTE>(m_form.fontItalic);
        lf.lfCharSet = static_cast<BYTE>(m_form.fontCharSet);
    }
    HDC hDC = ::GetDC(m_hWnd);
    lf.lfHeight = FontPixelHeight(lf.lfHeight, ::GetDeviceCaps(hDC, LOGPIXELSY));
    ::ReleaseDC(m_hWnd, hDC);
    CDlgSelectFont dlg(&lf, CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT, this);
    if (dlg.DoModal() != IDOK)
        return;
    const LOGFONTA& chosen = dlg.GetLogFont();
    if (!chosen.lfFaceName[0]) {
        OnFontClear();
        return;
    }
    // The chooser's size is in tenths of a point; the folder keeps twentieths.
    m_form.fontWeight = chosen.lfWeight;
    m_form.fontItalic = chosen.lfItalic;
    m_form.fontCharSet = chosen.lfCharSet;
    CString size;
    size.Format("%d", dlg.GetSize() * 2 / 20);
    m_general.SetDlgItemText(IDC_PROP_FONT_FACE, chosen.lfFaceName);
    m_general.SetDlgItemText(IDC_PROP_FONT_SIZE, size);
}

void CDlgFolderProperties::OnPathBrowse()
{
    CString path = BrowseForFolder(m_hWnd, "メールフォルダの選択", m_general.GetDlgItemText(IDC_PROP_PATH));
    if (!path.IsEmpty())
        m_general.SetDlgItemText(IDC_PROP_PATH, path);
}

void CDlgFolderProperties::OnSoundBrowse()
{
    char file[MAX_PATH] = {};
    CString current = m_general.GetDlgItemText(IDC_PROP_SOUND);
    lstrcpynA(file, current, MAX_PATH);
    CString dir = current;
    int slash = dir.ReverseFind('\\');
    dir = slash >= 0 ? dir.Left(slash) : CString();
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = "AVI/WAV/MIDI (*.avi; *.wav; *.mid)\0*.avi;*.wav;*.mid\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = dir.IsEmpty() ? nullptr : static_cast<const char*>(dir);
    ofn.lpstrTitle = "受信音の選択";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    BOOL chosen = ::GetOpenFileNameA(&ofn);
    // The chooser changes the current directory; relative paths of the program start at the mailbox.
    if (CQuendalApp* pApp = QuendalApp())
        ::SetCurrentDirectoryA(pApp->GetMailBoxFolder());
    if (chosen)
        m_general.SetDlgItemText(IDC_PROP_SOUND, file);
}

void CDlgFolderProperties::OnSoundPlay()
{
    HWND hButton = m_general.GetDlgItemHwnd(IDC_PROP_SOUND_PLAY);
    if (m_pPlayer) {
        m_stopSound = 1;
        m_pPlayer.reset();
        ::SetWindowTextA(hButton, "再生");
        return;
    }
    CString sound = m_general.GetDlgItemText(IDC_PROP_SOUND);
    if (sound.IsEmpty())
        return;
    m_stopSound = 0;
    m_pPlayer.reset(new CSoundPlayer(sound, TRUE));
    m_pPlayer->SetStopFlag(&m_stopSound);
    if (m_pPlayer->Play(FALSE))
        ::SetWindowTextA(hButton, "中止");
    else
        m_pPlayer.reset();
}

BOOL CDlgFolderProperties::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && (::GetKeyState(VK_CONTROL) & 0x8000)) {
        int page = static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_PROP_TAB, TCM_GETCURSEL, 0, 0));
        if (pMsg->wParam == VK_TAB || pMsg->wParam == VK_NEXT) {
            ShowPage((page + 1) % 2);
            return TRUE;
        }
        if (pMsg->wParam == VK_PRIOR) {
            ShowPage((page + 1) % 2);
            return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CDlgFolderProperties::ReadPages(FolderForm& form)
{
    form.name = m_general.GetDlgItemText(IDC_PROP_NAME);
    form.path = m_general.GetDlgItemText(IDC_PROP_PATH);
    form.sound = m_general.GetDlgItemText(IDC_PROP_SOUND);
    for (const CheckBinding& b : kGeneralChecks)
        form.*b.member = m_general.IsDlgButtonChecked(b.id) == BST_CHECKED;
    form.applyBelow = IsDlgButtonChecked(IDC_PROP_APPLY_BELOW) == BST_CHECKED;
    HWND hIcons = m_general.GetDlgItemHwnd(IDC_PROP_ICONS);
    int sel = static_cast<int>(::SendMessageA(hIcons, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (sel >= 0)
        form.iconGroup = sel;
    HWND hPage = m_general.m_hWnd;
    LRESULT filter = ::SendDlgItemMessageA(hPage, IDC_PROP_FILTER_SET, CB_GETCURSEL, 0, 0);
    form.filterSet.Empty();
    if (filter > 0) {
        char text[MAX_PATH] = {};
        LRESULT len = ::SendDlgItemMessageA(hPage, IDC_PROP_FILTER_SET, CB_GETLBTEXTLEN, static_cast<WPARAM>(filter), 0);
        if (len >= 0 && len < static_cast<LRESULT>(sizeof(text))) {
            ::SendDlgItemMessageA(hPage, IDC_PROP_FILTER_SET, CB_GETLBTEXT, static_cast<WPARAM>(filter), reinterpret_cast<LPARAM>(text));
            form.filterSet = text;
        }
    }
    form.fontFace = m_general.GetDlgItemText(IDC_PROP_FONT_FACE);
    form.fontPoints = atoi(m_general.GetDlgItemText(IDC_PROP_FONT_SIZE));
    form.password = m_general.GetDlgItemText(IDC_PROP_PASSWORD);
    for (const auto& f : kComposeFields)
        form.compose[f.column - 11] = m_compose.GetDlgItemText(f.id);
    form.defaultOnReply = m_compose.IsDlgButtonChecked(IDC_PROP_DEFAULT_ON_REPLY) == BST_CHECKED;
}

void CDlgFolderProperties::OnOK()
{
    CQuendalApp* pApp = QuendalApp();
    FolderForm form = m_form;
    ReadPages(form);
    int id = m_pStore->GetFolderId();
    // Two folders in one directory would write each other's files.
    if (pApp && pApp->IsFolderPathUsed(id, form.path)) {
        AfxMessageBox(59414, MB_OK | MB_ICONEXCLAMATION);
        ShowPage(0);
        ::SetFocus(m_general.GetDlgItemHwnd(IDC_PROP_PATH));
        return;
    }
    CFolderRecord before(m_pStore->GetFolderRecord());
    CFolderRecord record(before);
    form.ToRecord(record);
    if (record.m_strPath.CompareNoCase(before.m_strPath) != 0 && !m_pStore->SetFolderPath(record.m_strPath)) {
        AfxMessageBox("指定されたフォルダが見つかりません。", MB_OK | MB_ICONEXCLAMATION);
        ShowPage(0);
        ::SetFocus(m_general.GetDlgItemHwnd(IDC_PROP_PATH));
        return;
    }
    BOOL hideBefore = m_pStore->GetInheritedHideTag();
    m_pStore->ApplyFolderRecord(record);
    if (pApp) {
        if (m_pStore->GetInheritedHideTag() != hideBefore)
            ::PostThreadMessageA(pApp->m_nThreadID, WM_QD_FOLDER_SETTINGS_CHANGED, static_cast<WPARAM>(id), 1);
        if (FolderForm::FontDiffers(before, record))
            ::PostThreadMessageA(pApp->m_nThreadID, WM_QD_FOLDER_FONT_CHANGED, 0, 0);
    }
    m_pStore->WriteFolderSettings();
    if (!m_pStore->IsIndexLoaded())
        m_pStore->GetMailList();
    EndDialog(IDOK);
}
