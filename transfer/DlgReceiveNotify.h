// CDlgReceiveNotify: the receive notification rules ("受信通知"): two
// header conditions and the sound to play for each rule, with a button
// that plays the sound to try it. Closing writes "Notify.dat".
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/ListCtrl.h"
#include "transfer/ReceiveNotifyDataSet.h"

#include <thread>
#include <vector>

class CDlgReceiveNotify : public CDialog
{
public:
    explicit CDlgReceiveNotify(CWnd* pParent = nullptr);
    ~CDlgReceiveNotify() override;

    BOOL OnInitDialog() override;
    void OnCancel() override;

protected:
    struct Fields
    {
        CString strHeader1, strString1, strHeader2, strString2, strSound;
    };
    Fields ReadFields() const;
    void StoreFields(CReceiveNotifyData& rule, const Fields& fields) const;
    void SetRow(int nRow, const CReceiveNotifyData& rule);
    int GetSelectedRow() const;
    void OnItemChanged(NMHDR* pHdr, LRESULT* pResult);
    void OnAdd();
    void OnUpdate();
    void OnDelete();
    void OnBrowse();
    void OnPlay();
    LRESULT OnPlayEnded(WPARAM, LPARAM);
    void StopPlaying();

    CReceiveNotifyDataSet m_table;
    CListCtrl m_list;
    std::vector<int> m_rowRules;  // the table index of each row
    std::thread m_player;
    volatile BYTE m_bStop = 0;
    BOOL m_bPlaying = FALSE;

    DECLARE_MESSAGE_MAP()
};
