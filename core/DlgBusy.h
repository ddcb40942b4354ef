// CDlgBusy: the modal "please wait" dialog with the busy animation. The work
// runs on another thread, which reads the cancelled flag and sets the done
// flag; the dialog closes within a second after that.
#pragma once

#include "classlib/ClassLib.h"
#include "core/BusyAnimateCtrl.h"

#include <atomic>

class CDlgBusy : public CDialog
{
public:
    CDlgBusy(const char* pszMessage, BOOL bShowCancel, CWnd* pParent = nullptr);

    // Any thread: shown at once when the dialog is open.
    void SetCurrentFolderText(const char* pszText);
    bool IsCancelled() const { return m_bCancelled; }
    void SetDone() { m_bDone = true; }
    // The user's animation file, when the application has one.
    CString m_strUserAnimation;

    BOOL OnInitDialog() override;
    void OnCancel() override;

protected:
    void OnCancelButton();
    LRESULT OnTimerMsg(WPARAM wParam, LPARAM lParam);

    CString m_strMessage;
    CString m_strFolder;
    CCriticalSection m_folderLock;
    BOOL m_bShowCancel;
    std::atomic<bool> m_bCancelled{ false };
    std::atomic<bool> m_bDone{ false };
    int m_nColorBits = 0;
    CBusyAnimateCtrl m_animation;

    DECLARE_MESSAGE_MAP()
};
