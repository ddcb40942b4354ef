#include "transfer/DlgReceiveNotify.h"

#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "core/SoundPlayer.h"
#include "resources/route/RouteResource.h"
#include "transfer/ConditionItems.h"

#include <commctrl.h>
#include <commdlg.h>

namespace {

// Posted by the player thread when the sound has ended.
const UINT WM_NOTIFY_PLAY_ENDED = WM_APP + 0x153;

CString FolderOf(const CString& path)
{
    int cut = path.ReverseFind('\\');
    return cut > 0 ? path.Left(cut) : CString();
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgReceiveNotify, CDialog)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_RNOTIFY_LIST, OnItemChanged)
    ON_BN_CLICKED(IDC_RNOTIFY_ADD, OnAdd)
    ON_BN_CLICKED(IDC_RNOTIFY_UPDATE, OnUpdate)
    ON_BN_CLICKED(IDC_RNOTIFY_DELETE, OnDelete)
    ON_BN_CLICKED(IDC_RNOTIFY_BROWSE, OnBrowse)
    ON_BN_CLICKED(IDC_RNOTIFY_PLAY, OnPlay)
    ON_MESSAGE(WM_NOTIFY_PLAY_ENDED, OnPlayEnded)
END_MESSAGE_MAP()

CDlgReceiveNotify::CDlgReceiveNotify(CWnd* pParent) : CDialog(IDD_RECEIVE_NOTIFY, pParent)
{
}

CDlgReceiveNotify::~CDlgReceiveNotify()
{
    StopPlaying();
}

BOOL CDlgReceiveNotify::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int id : { IDC_RNOTIFY_HEADER1, IDC_RNOTIFY_HEADER2 }) {
        HWND combo = GetDlgItemHwnd(id);
        for (int i = 0; i < GetConditionItemCount(); ++i)
            ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GetConditionItem(i).pszDisplayName));
    }
    m_list.SubclassDlgItem(IDC_RNOTIFY_LIST, this);
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    RECT rc = {};
    ::GetClientRect(m_list.m_hWnd, &rc);
    m_list.InsertColumn(0, "ヘッダーの項目1", LVCFMT_LEFT, 100);
    m_list.InsertColumn(1, "文字列1", LVCFMT_LEFT, 80);
    m_list.InsertColumn(2, "ヘッダーの項目2", LVCFMT_LEFT, 100);
    m_list.InsertColumn(3, "文字列2", LVCFMT_LEFT, 80);
    m_list.InsertColumn(4, "ファイル名", LVCFMT_LEFT, rc.right - 360);

    CQuendalApp* app = QuendalApp();
    m_table.SetFilePath(app ? app->GetNotifyPath() : CString("Notify.dat"));
    m_table.ReadFromFile(TRUE);
    for (int i = 0; i < m_table.GetRuleCount(); ++i) {
        CReceiveNotifyData* rule = m_table.GetRule(i);
        if (!rule || rule->m_bDeleted)
            continue;
        int row = m_list.InsertItem(m_list.GetItemCount(), "");
        m_rowRules.push_back(i);
        SetRow(row, *rule);
    }
    return TRUE;
}

void CDlgReceiveNotify::SetRow(int nRow, const CReceiveNotifyData& rule)
{
    m_list.SetItemText(nRow, 0, rule.GetHeader1Name());
    m_list.SetItemText(nRow, 1, rule.m_strString1);
    m_list.SetItemText(nRow, 2, rule.GetHeader2Name());
    m_list.SetItemText(nRow, 3, rule.m_strString2);
    m_list.SetItemText(nRow, 4, GetFileNameFromPath(rule.m_strSoundFile));
}

int CDlgReceiveNotify::GetSelectedRow() const
{
    int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    return row >= 0 && row < static_cast<int>(m_rowRules.size()) ? row : -1;
}

CDlgReceiveNotify::Fields CDlgReceiveNotify::ReadFields() const
{
    Fields f;
    f.strHeader1 = GetDlgItemText(IDC_RNOTIFY_HEADER1);
    f.strString1 = GetDlgItemText(IDC_RNOTIFY_STRING1);
    f.strHeader2 = GetDlgItemText(IDC_RNOTIFY_HEADER2);
    f.strString2 = GetDlgItemText(IDC_RNOTIFY_STRING2);
    f.strSound = GetDlgItemText(IDC_RNOTIFY_SOUND);
    return f;
}

void CDlgReceiveNotify::StoreFields(CReceiveNotifyData& rule, const Fields& fields) const
{
    rule.SetHeader1Name(fields.strHeader1);
    rule.m_strString1 = fields.strString1;
    rule.SetHeader2Name(fields.strHeader2);
    rule.m_strString2 = fields.strString2;
    rule.m_strSoundFile = fields.strSound;
}

void CDlgReceiveNotify::OnItemChanged(NMHDR* pHdr, LRESULT* pResult)
{
    *pResult = 0;
    const NMLISTVIEW* nm = reinterpret_cast<const NMLISTVIEW*>(pHdr);
    if (!(nm->uChanged & LVIF_STATE) || !(nm->uNewState & LVIS_SELECTED) || (nm->uOldState & LVIS_SELECTED))
        return;
    if (nm->iItem < 0 || nm->iItem >= static_cast<int>(m_rowRules.size()))
        return;
    CReceiveNotifyData* rule = m_table.GetRule(m_rowRules[static_cast<size_t>(nm->iItem)]);
    if (!rule)
        return;
    SetDlgItemText(IDC_RNOTIFY_HEADER1, rule->GetHeader1Name());
    SetDlgItemText(IDC_RNOTIFY_STRING1, rule->m_strString1);
    SetDlgItemText(IDC_RNOTIFY_HEADER2, rule->GetHeader2Name());
    SetDlgItemText(IDC_RNOTIFY_STRING2, rule->m_strString2);
    SetDlgItemText(IDC_RNOTIFY_SOUND, rule->m_strSoundFile);
}

void CDlgReceiveNotify::OnAdd()
{
    Fields f = ReadFields();
    if (f.strHeader1.IsEmpty() && f.strHeader2.IsEmpty()) {
        AfxMessageBox("ヘッダー項目と文字列を入力してください。", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CReceiveNotifyData* rule = new CReceiveNotifyData;
    StoreFields(*rule, f);
    m_table.AddRecord(rule);
    int row = m_list.InsertItem(m_list.GetItemCount(), "");
    m_rowRules.push_back(m_table.GetRuleCount() - 1);
    SetRow(row, *rule);
}

void CDlgReceiveNotify::OnUpdate()
{
    int row = GetSelectedRow();
    if (row < 0) {
        OnAdd();
        return;
    }
    CReceiveNotifyData* rule = m_table.GetRule(m_rowRules[static_cast<size_t>(row)]);
    if (!rule)
        return;
    StoreFields(*rule, ReadFields());
    SetRow(row, *rule);
}

void CDlgReceiveNotify::OnDelete()
{
    int row = GetSelectedRow();
    if (row < 0)
        return;
    CReceiveNotifyData* rule = m_table.GetRule(m_rowRules[static_cast<size_t>(row)]);
    if (!rule)
        return;
    CString question;
    question.Format("条件1 %s:%s\r\n条件2 %s:%s\r\nを削除しますか？", rule->m_strHeader1.GetString(),
                    rule->m_strString1.GetString(), rule->m_strHeader2.GetString(), rule->m_strString2.GetString());
    if (AfxMessageBox(question, "Corvane Mail", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    m_table.MarkRecordDeleted(rule);
    m_rowRules.erase(m_rowRules.begin() + row);
    ::SendMessageA(m_list.m_hWnd, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

void CDlgReceiveNotify::OnBrowse()
{
    CString current = GetDlgItemText(IDC_RNOTIFY_SOUND);
    CString folder = FolderOf(current);
    char path[MAX_PATH] = "";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = "*.*\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof(path);
    ofn.lpstrInitialDir = folder.IsEmpty() ? nullptr : folder.GetString();
    ofn.lpstrTitle = "受信音の選択";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    BOOL chosen = ::GetOpenFileNameA(&ofn);
    CQuendalApp* app = QuendalApp();
    if (app) {
        CString mailbox = app->GetProfileString("Paths", "MailBoxPath", "");
        if (!mailbox.IsEmpty())
            ::SetCurrentDirectoryA(mailbox);
    }
    if (chosen)
        SetDlgItemText(IDC_RNOTIFY_SOUND, path);
}

void CDlgReceiveNotify::OnPlay()
{
    if (m_bPlaying) {
        m_bStop = 1;
        return;
    }
    CString path = GetDlgItemText(IDC_RNOTIFY_SOUND);
    if (path.IsEmpty())
        return;
    StopPlaying();
    m_bStop = 0;
    m_bPlaying = TRUE;
    SetDlgItemText(IDC_RNOTIFY_PLAY, "中止");
    HWND hWnd = m_hWnd;
    volatile BYTE* stop = &m_bStop;
    m_player = std::thread([hWnd, stop, path]() {
        CSoundPlayer player(path, 1);
        player.SetStopFlag(stop);
        player.Play(TRUE);
        ::PostMessageA(hWnd, WM_NOTIFY_PLAY_ENDED, 0, 0);
    });
}

LRESULT CDlgReceiveNotify::OnPlayEnded(WPARAM, LPARAM)
{
    if (m_player.joinable())
        m_player.join();
    m_bPlaying = FALSE;
    SetDlgItemText(IDC_RNOTIFY_PLAY, "再生");
    return 0;
}

void CDlgReceiveNotify::StopPlaying()
{
    m_bStop = 1;
    if (m_player.joinable())
        m_player.join();
    m_bPlaying = FALSE;
}

void CDlgReceiveNotify::OnCancel()
{
    StopPlaying();
    m_table.WriteToFile();
    if (CQuendalApp* app = QuendalApp())
        app->LoadNotifyRules();
    CDialog::OnCancel();
}
