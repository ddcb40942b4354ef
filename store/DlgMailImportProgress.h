// CDlgMailImportProgress: the progress window of an import: status text,
// progress bar, "%d / %d" count and a Cancel button. The importer runs on a
// worker thread and reads the cancel byte before each mail; the window stays
// open until its owner closes it.
#pragma once

#include "classlib/Dialog.h"

class CDlgMailImportProgress : public CDialog
{
public:
    explicit CDlgMailImportProgress(CWnd* pParent = nullptr);

    CWnd* GetStatusText() { return &m_status; }
    CWnd* GetProgressBar() { return &m_progress; }
    CWnd* GetCountText() { return &m_count; }

    // Set to 1 by Cancel; read by the importer without a lock.
    BYTE m_bCancel = 0;

    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnOK() override {}

protected:
    CWnd m_status, m_progress, m_count;
};
