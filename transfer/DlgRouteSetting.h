// CDlgRouteSetting: the route settings dialog ("巡回の設定"): the automatic
// route switch, the accounts taken into the route, the default interval,
// the time bands with their own intervals and what happens to a dial-up
// line after a route. Writes "RouteSet.dat" (or another settings file in
// file mode, used by the profiles).
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/ListCtrl.h"
#include "transfer/RouteSetData.h"

#include <vector>

class CDlgRouteSetting : public CDialog
{
public:
    // nInterval: the interval now in force, shown as is. Empty paths stand
    // for the mailbox's RouteSet.dat and the application's accounts.
    CDlgRouteSetting(int nInterval, const char* pszRouteFile, const char* pszAccountFile, int nFileMode,
                     CWnd* pParent = nullptr);

    // The settings file as edited (chosen with "ファイルに保存" or given).
    CString GetRouteSetting() const { return m_strRouteFile; }

    // What the controls hold at a save.
    struct Settings
    {
        BOOL bAuto = FALSE;
        int nDefaultInterval = 10;
        BOOL bAtStartup = FALSE;
        int nHangUpMode = 0;
        int nSeconds = 1;
        CStringArray accounts;  // the checked accounts, in list order
    };
    // Puts the settings into the table: the general record (made first when
    // missing) takes the switches and values, the old account records go
    // and one record per checked account follows the rest.
    static void StoreSettings(CRouteSetData& table, const Settings& settings);
    // A time band's row texts: "07:05 ～ 22:30" and "15分".
    static CString FormatBandTime(const CRouteSetRecord& band);
    static CString FormatBandInterval(const CRouteSetRecord& band);

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    void FillAccounts();
    void ShowFileMode();
    void AddBandRow(int nRecord);
    void SetBandRow(int nRow, const CRouteSetRecord& band);
    int GetSelectedBand() const;
    void OnAccountClick(NMHDR* pHdr, LRESULT* pResult);
    void OnAdd();
    void OnChange();
    void OnDelete();
    void OnHangUpMode();
    void OnSaveFile();
    void UpdateSecondsEnabling();
    Settings ReadControls() const;
    BOOL Save();

    int m_nInterval;
    CString m_strRouteFile;
    CString m_strAccountFile;
    int m_nFileMode;
    CRouteSetData m_table;
    CListCtrl m_accounts;
    CListCtrl m_bands;
    std::vector<int> m_bandRecords;  // the table index of each band row

    DECLARE_MESSAGE_MAP()
};
