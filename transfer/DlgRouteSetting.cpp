#include "transfer/DlgRouteSetting.h"

#include "core/AccountDataSet.h"
#include "core/FileUtil.h"
#include "core/QuendalApp.h"
#include "resources/route/RouteResource.h"
#include "transfer/DlgRouteTime.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdlib>

namespace {

int ToInt(const CString& text) { return static_cast<int>(std::strtol(text, nullptr, 10)); }

CString Number(int n)
{
    CString s;
    s.Format("%d", n);
    return s;
}

} // namespace

BEGIN_MESSAGE_MAP(CDlgRouteSetting, CDialog)
    ON_NOTIFY(NM_CLICK, IDC_ROUTE_ACCOUNTS, OnAccountClick)
    ON_BN_CLICKED(IDC_ROUTE_ADD, OnAdd)
    ON_BN_CLICKED(IDC_ROUTE_CHANGE, OnChange)
    ON_BN_CLICKED(IDC_ROUTE_DELETE, OnDelete)
    ON_BN_CLICKED(IDC_ROUTE_HANG_UP, OnHangUpMode)
    ON_BN_CLICKED(IDC_ROUTE_KEEP_LINE, OnHangUpMode)
    ON_BN_CLICKED(IDC_ROUTE_ASK, OnHangUpMode)
    ON_BN_CLICKED(IDC_ROUTE_SAVE_FILE, OnSaveFile)
END_MESSAGE_MAP()

CDlgRouteSetting::CDlgRouteSetting(int nInterval, const char* pszRouteFile, const char* pszAccountFile,
                                   int nFileMode, CWnd* pParent)
    : CDialog(IDD_ROUTE_SETTING, pParent), m_nInterval(nInterval), m_strRouteFile(pszRouteFile ? pszRouteFile : ""),
      m_strAccountFile(pszAccountFile ? pszAccountFile : ""), m_nFileMode(nFileMode)
{
}

void CDlgRouteSetting::StoreSettings(CRouteSetData& table, const Settings& settings)
{
    for (int i = table.GetRouteRecordCount() - 1; i >= 1; --i) {
        CRouteSetRecord* r = table.GetRouteRecord(i);
        if (r && r->m_nType == CRouteSetRecord::typeAccount)
            table.MarkRecordDeleted(r);
    }
    CRouteSetRecord* general = table.GetOrCreateGeneral();
    general->m_nType = settings.bAuto ? CRouteSetRecord::typeGeneralOn : CRouteSetRecord::typeBand;
    general->SetValue(1, settings.nDefaultInterval);
    general->SetValue(2, settings.bAtStartup ? 1 : 0);
    general->SetValue(6, settings.nHangUpMode);
    general->SetValue(7, settings.nSeconds);
    for (int i = 0; i < settings.accounts.GetSize(); ++i)
        table.AddAccount(settings.accounts[i]);
    table.m_nFormat = 1;
}

CString CDlgRouteSetting::FormatBandTime(const CRouteSetRecord& band)
{
    CString text;
    text.Format("%02d:%02d ～ %02d:%02d", band.GetValue(2), band.GetValue(3), band.GetValue(4), band.GetValue(5));
    return text;
}

CString CDlgRouteSetting::FormatBandInterval(const CRouteSetRecord& band)
{
    CString text;
    text.Format("%d分", band.GetValue(1));
    return text;
}

BOOL CDlgRouteSetting::OnInitDialog()
{
    CDialog::OnInitDialog();
    CQuendalApp* app = QuendalApp();
    SetDlgItemText(IDC_ROUTE_LAST_CHECK, app ? app->GetProfileString("Setting", "LastRouteCheckTime", "") : CString());
    SetDlgItemText(IDC_ROUTE_NOW_INTERVAL, Number(m_nInterval));
    ::SendMessageA(GetDlgItemHwnd(IDC_ROUTE_DEFAULT_SPIN), UDM_SETRANGE32, 0, 1440);

    m_table.SetFilePath(!m_strRouteFile.IsEmpty() ? m_strRouteFile
                        : app                     ? app->GetRouteFilePath()
                                                  : CString("RouteSet.dat"));
    m_table.ReadFromFile(TRUE);
    CRouteSetRecord* general = m_table.GetOrCreateGeneral();
    CheckDlgButton(IDC_ROUTE_AUTO, general->m_nType == CRouteSetRecord::typeGeneralOn ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_ROUTE_AT_STARTUP, general->GetValue(2) ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemText(IDC_ROUTE_DEFAULT_INTERVAL, Number(general->GetValue(1)));
    int mode = general->GetValue(6);
    CheckDlgButton(mode == 1 ? IDC_ROUTE_KEEP_LINE : mode == 2 ? IDC_ROUTE_ASK : IDC_ROUTE_HANG_UP, BST_CHECKED);
    SetDlgItemText(IDC_ROUTE_ASK_SECONDS, Number(general->GetValue(7)));

    m_bands.SubclassDlgItem(IDC_ROUTE_BANDS, this);
    m_bands.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    RECT rc = {};
    ::GetClientRect(m_bands.m_hWnd, &rc);
    m_bands.InsertColumn(0, "時間帯", LVCFMT_LEFT, rc.right - 60);
    m_bands.InsertColumn(1, "間隔", LVCFMT_LEFT, 60);
    for (int i = 1; i < m_table.GetRouteRecordCount(); ++i) {
        CRouteSetRecord* r = m_table.GetRouteRecord(i);
        if (r && !r->m_bDeleted && r->m_nType == CRouteSetRecord::typeBand)
            AddBandRow(i);
    }

    m_accounts.SubclassDlgItem(IDC_ROUTE_ACCOUNTS, this);
    m_accounts.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    ::GetClientRect(m_accounts.m_hWnd, &rc);
    m_accounts.InsertColumn(0, " ", LVCFMT_LEFT, 16);
    m_accounts.InsertColumn(1, "アカウント", LVCFMT_LEFT, rc.right - 16);
    FillAccounts();
    if (m_nFileMode)
        ShowFileMode();
    UpdateSecondsEnabling();
    return TRUE;
}

void CDlgRouteSetting::FillAccounts()
{
    CQuendalApp* app = QuendalApp();
    CAccountDataSet fileAccounts;
    CAccountDataSet* accounts = nullptr;
    if (m_nFileMode && !m_strAccountFile.IsEmpty()) {
        fileAccounts.SetFilePath(m_strAccountFile);
        fileAccounts.ReadFromFile(TRUE);
        accounts = &fileAccounts;
    } else if (app && app->m_pAccountDataSet) {
        accounts = app->m_pAccountDataSet;
    }
    if (!accounts)
        return;
    for (int i = 0; i < accounts->GetRecordCount(TRUE); ++i) {
        CAccountData* a = accounts->GetAccount(i);
        if (!a)
            continue;
        int row = m_accounts.InsertItem(m_accounts.GetItemCount(), "");
        m_accounts.SetItemText(row, 1, a->GetAccountName());
        BOOL checked = m_nFileMode ? m_table.HasAccount(a->GetAccountName()) : a->GetInt(9) != 0;
        ListView_SetCheckState(m_accounts.m_hWnd, row, checked);
    }
}

void CDlgRouteSetting::ShowFileMode()
{
    SetDlgItemText(IDOK, "上書き");
    SetDlgItemText(IDCANCEL, "閉じる");
    ::EnableWindow(GetDlgItemHwnd(IDOK), !m_strRouteFile.IsEmpty());
}

void CDlgRouteSetting::AddBandRow(int nRecord)
{
    int row = m_bands.InsertItem(m_bands.GetItemCount(), "");
    m_bandRecords.push_back(nRecord);
    SetBandRow(row, *m_table.GetRouteRecord(nRecord));
}

void CDlgRouteSetting::SetBandRow(int nRow, const CRouteSetRecord& band)
{
    m_bands.SetItemText(nRow, 0, FormatBandTime(band));
    m_bands.SetItemText(nRow, 1, FormatBandInterval(band));
}

int CDlgRouteSetting::GetSelectedBand() const
{
    int row = m_bands.GetNextItem(-1, LVNI_SELECTED);
    return row >= 0 && row < static_cast<int>(m_bandRecords.size()) ? row : -1;
}

void CDlgRouteSetting::OnAccountClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
    // A click on the check box itself is toggled by the list.
    LVHITTESTINFO hit = {};
    DWORD pos = ::GetMessagePos();
    hit.pt.x = static_cast<short>(LOWORD(pos));
    hit.pt.y = static_cast<short>(HIWORD(pos));
    ::ScreenToClient(m_accounts.m_hWnd, &hit.pt);
    ::SendMessageA(m_accounts.m_hWnd, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem >= 0 && (hit.flags & LVHT_ONITEMSTATEICON))
        return;
    int row = m_accounts.GetNextItem(-1, LVNI_SELECTED);
    if (row >= 0)
        ListView_SetCheckState(m_accounts.m_hWnd, row, !ListView_GetCheckState(m_accounts.m_hWnd, row));
}

void CDlgRouteSetting::OnAdd()
{
    CDlgRouteTime dlg(this);
    if (dlg.DoModal() != IDOK)
        return;
    CRouteSetRecord* band = new CRouteSetRecord;
    band->m_nType = CRouteSetRecord::typeBand;
    band->SetValue(7, 0);
    band->SetValue(2, ToInt(dlg.m_strStartHour));
    band->SetValue(3, ToInt(dlg.m_strStartMinute));
    band->SetValue(4, ToInt(dlg.m_strEndHour));
    band->SetValue(5, ToInt(dlg.m_strEndMinute));
    band->SetValue(1, ToInt(dlg.m_strInterval));
    m_table.GetOrCreateGeneral();
    m_table.AddRecord(band);
    AddBandRow(m_table.GetRouteRecordCount() - 1);
}

void CDlgRouteSetting::OnChange()
{
    int row = GetSelectedBand();
    if (row < 0)
        return;
    CRouteSetRecord* band = m_table.GetRouteRecord(m_bandRecords[static_cast<size_t>(row)]);
    if (!band)
        return;
    CDlgRouteTime dlg(this);
    dlg.m_strStartHour = Number(band->GetValue(2));
    dlg.m_strStartMinute = Number(band->GetValue(3));
    dlg.m_strEndHour = Number(band->GetValue(4));
    dlg.m_strEndMinute = Number(band->GetValue(5));
    dlg.m_strInterval = Number(band->GetValue(1));
    if (dlg.DoModal() != IDOK)
        return;
    band->SetValue(2, ToInt(dlg.m_strStartHour));
    band->SetValue(3, ToInt(dlg.m_strStartMinute));
    band->SetValue(4, ToInt(dlg.m_strEndHour));
    band->SetValue(5, ToInt(dlg.m_strEndMinute));
    band->SetValue(1, ToInt(dlg.m_strInterval));
    SetBandRow(row, *band);
}

void CDlgRouteSetting::OnDelete()
{
    int row = GetSelectedBand();
    if (row < 0)
        return;
    CRouteSetRecord* band = m_table.GetRouteRecord(m_bandRecords[static_cast<size_t>(row)]);
    if (band)
        m_table.MarkRecordDeleted(band);
    m_bandRecords.erase(m_bandRecords.begin() + row);
    ::SendMessageA(m_bands.m_hWnd, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

void CDlgRouteSetting::OnHangUpMode()
{
    UpdateSecondsEnabling();
}

void CDlgRouteSetting::UpdateSecondsEnabling()
{
    ::EnableWindow(GetDlgItemHwnd(IDC_ROUTE_ASK_SECONDS), ReadControls().nHangUpMode == 2);
}

CDlgRouteSetting::Settings CDlgRouteSetting::ReadControls() const
{
    Settings s;
    s.bAuto = IsDlgButtonChecked(IDC_ROUTE_AUTO) != 0;
    s.bAtStartup = IsDlgButtonChecked(IDC_ROUTE_AT_STARTUP) != 0;
    s.nDefaultInterval = ToInt(GetDlgItemText(IDC_ROUTE_DEFAULT_INTERVAL));
    s.nHangUpMode = IsDlgButtonChecked(IDC_ROUTE_ASK) ? 2 : IsDlgButtonChecked(IDC_ROUTE_KEEP_LINE) ? 1 : 0;
    s.nSeconds = ToInt(GetDlgItemText(IDC_ROUTE_ASK_SECONDS));
    for (int row = 0; row < m_accounts.GetItemCount(); ++row)
        if (ListView_GetCheckState(m_accounts.m_hWnd, row))
            s.accounts.Add(m_accounts.GetItemText(row, 1));
    return s;
}

BOOL CDlgRouteSetting::Save()
{
    StoreSettings(m_table, ReadControls());
    CQuendalApp* app = QuendalApp();
    if (!m_strRouteFile.IsEmpty())
        m_table.SetFilePath(m_strRouteFile);
    BOOL written = m_table.WriteToFile();
    // Drop the records marked deleted, as a reload would.
    m_table.ReadFromFile(TRUE);
    m_bandRecords.clear();
    for (int i = 1; i < m_table.GetRouteRecordCount(); ++i) {
        CRouteSetRecord* r = m_table.GetRouteRecord(i);
        if (r && r->m_nType == CRouteSetRecord::typeBand)
            m_bandRecords.push_back(i);
    }
    if (!m_nFileMode && app) {
        CRouteSetData* route = app->GetRouteSet();
        route->SetFilePath(app->GetRouteFilePath());
        route->ReadFromFile(TRUE);
        app->SyncRouteAccounts();
    }
    return written;
}

void CDlgRouteSetting::OnOK()
{
    // In file mode there is nothing to overwrite until a file is set.
    if (m_nFileMode && m_strRouteFile.IsEmpty())
        return;
    Save();
    CDialog::OnOK();
}

void CDlgRouteSetting::OnSaveFile()
{
    CQuendalApp* app = QuendalApp();
    CString mailbox = app ? app->GetMailBoxFolder() : CString(".");
    CString folder = CombinePath(mailbox, "RouteSetting.Box");
    ::CreateDirectoryA(folder, nullptr);
    char path[MAX_PATH] = "";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = "DAT (*.dat)\0*.dat\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof(path);
    ofn.lpstrInitialDir = folder;
    ofn.lpstrTitle = "巡回設定ファイルを保存";
    ofn.lpstrDefExt = "dat";
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    BOOL chosen = ::GetSaveFileNameA(&ofn);
    ::SetCurrentDirectoryA(mailbox);
    if (!chosen)
        return;
    m_strRouteFile = path;
    m_nFileMode = 1;
    ShowFileMode();
    Save();
}
