#include "mainwnd/MainFrameTransfer.h"

#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/AppMessages.h"
#include "core/PostedObjectTable.h"
#include "core/QuendalApp.h"
#include "core/SoundPlayer.h"
#include "mainwnd/FolderTree.h"
#include "mainwnd/MainFrame.h"
#include "mainwnd/NotifyMailData.h"
#include "mainwnd/QListView.h"
#include "resources/mainwnd/MainWndResource.h"
#include "resources/resource.h"
#include "store/MailFolderStore.h"
#include "store/MailListData.h"
#include "transfer/DlgRemoteMail.h"
#include "transfer/TransferMessages.h"
#include "transfer/TransferStatus.h"

#include <commctrl.h>

#include <memory>
#include <mutex>
#include <string>

namespace {

// Calls the workers make on the UI thread through the relay window.
enum : UINT {
    WM_RELAY_START = WM_APP + 0x301,
    WM_RELAY_END,
    WM_RELAY_SHOW,
    WM_RELAY_COUNTER,
    WM_RELAY_RECEIVE_NAMED,
    WM_RELAY_SEND_ERROR  // posted: the send errors waiting are shown
};

// The task-list thread: notices delivered in one reminder pass (wParam the count).
const UINT kTaskNoticesDelivered = 1475;

// A receive of a named account asked from another thread. The UI thread
// gives back a copy of the worker's handle; a caller that gave up waiting
// never reads it, so the UI thread closes it then.
struct NamedReceive
{
    std::string account;
    BOOL bInteractive, bNotifyEnd;
    std::mutex lock;
    HANDLE hResult = nullptr;
    bool abandoned = false;
};

// The start of a progress; the status (none for a pass without one) stays
// the worker's.
struct ProgressStart
{
    CTransferStatus* pStatus;
};

const int kPlugInEventReceiveEnd = 21;
const int kPlugInEventDownloadEnd = 20;
const DWORD kRelayTimeoutMs = 10000;

const UINT kToolbarTransferButtons[] = {32771, ID_ROUTE_RECEIVE, ID_FILE_RECEIVE_CURRENT, ID_FILE_SELECT_RECEIVE,
                                        ID_FILE_SEND_OUTBOX, ID_FILE_SEND_RECEIVE, 32785};

} // namespace

// A message-only window of the UI thread: a worker's progress call is sent
// to it and runs on the UI thread, which owns the status bar's controls.
class CMainFrameTransfer::CRelay : public CWnd
{
public:
    explicit CRelay(CMainFrameTransfer* pOwner) : m_pOwner(pOwner)
    {
        CreateEx(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
    }
    ~CRelay() override
    {
        if (m_hWnd)
            DestroyWindow();
    }
    // Sends a call to the UI thread; runs it at once on the UI thread itself.
    // False when the UI thread did not take it in time.
    bool Call(UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (!m_hWnd)
            return false;
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutA(m_hWnd, message, wParam, lParam, SMTO_NORMAL, kRelayTimeoutMs, &result) != 0;
    }
    // Leaves a call for the UI thread without waiting for it.
    bool Post(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return m_hWnd && ::PostMessageA(m_hWnd, message, wParam, lParam);
    }
    // The same with an object: the window can be found and sent to from any
    // program, so the object travels as a token of the posted-object table.
    template <class T>
    bool Call(UINT message, WPARAM wParam, std::shared_ptr<T> object)
    {
        return m_hWnd && CPostedObjectTable::Instance().SendWithTimeout(m_hWnd, message, wParam, std::move(object),
                                                                        SMTO_NORMAL, kRelayTimeoutMs, nullptr);
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_RELAY_START: {
            if (std::shared_ptr<ProgressStart> start = CPostedObjectTable::Instance().Take<ProgressStart>(message, lParam))
                m_pOwner->DoStartProgress(static_cast<int>(wParam), start->pStatus);
            return 0;
        }
        case WM_RELAY_END:
            m_pOwner->DoEndProgress(static_cast<BOOL>(wParam));
            return 0;
        case WM_RELAY_SHOW:
            m_pOwner->ShowControls(true);
            return 0;
        case WM_RELAY_COUNTER:
            m_pOwner->m_progress.SetSendCounter(static_cast<int>(wParam), static_cast<int>(lParam));
            return 0;
        case WM_RELAY_SEND_ERROR:
            m_pOwner->ShowWaitingSendErrors();
            return 0;
        case WM_RELAY_RECEIVE_NAMED:
            if (std::shared_ptr<NamedReceive> r = CPostedObjectTable::Instance().Take<NamedReceive>(message, lParam)) {
                HANDLE hResult = m_pOwner->DoReceiveNamedAccount(r->account.c_str(), r->bInteractive, r->bNotifyEnd);
                std::lock_guard<std::mutex> hold(r->lock);
                if (r->abandoned && hResult)
                    ::CloseHandle(hResult);
                else
                    r->hResult = hResult;
            }
            return 0;
        default:
            return CWnd::WindowProc(message, wParam, lParam);
        }
    }

private:
    CMainFrameTransfer* m_pOwner;
};

CMainFrameTransfer::CMainFrameTransfer(CMainFrame* pFrame, const HWND hControls[5]) : m_pFrame(pFrame)
{
    for (int i = 0; i < 5; i++)
        m_hControls[i] = hControls[i];
    if (m_hControls[2])
        m_progress.SubclassWindow(m_hControls[2]);
    m_progress.SetHost(this);
    m_pRelay.reset(new CRelay(this));
}

CMainFrameTransfer::~CMainFrameTransfer()
{
    m_pSelectDlg = nullptr;
    m_pRemoteDlg.reset();
    if (m_progress.m_hWnd)
        m_progress.UnsubclassWindow();
}

void CMainFrameTransfer::MirrorWorkers()
{
    // The frame's close path waits on its own duplicates of the workers.
    for (auto [hHost, phFrame] : {std::pair<HANDLE, HANDLE*>(m_hReceiveWorker, &m_pFrame->m_hReceiveWorker),
                                  std::pair<HANDLE, HANDLE*>(m_hSendWorker, &m_pFrame->m_hSendWorker)}) {
        if (*phFrame)
            CloseHandle(*phFrame);
        *phFrame = nullptr;
        if (hHost)
            DuplicateHandle(GetCurrentProcess(), hHost, GetCurrentProcess(), phFrame, 0, FALSE, DUPLICATE_SAME_ACCESS);
    }
}

void CMainFrameTransfer::OnCommand(UINT nID)
{
    switch (nID) {
    case ID_FILE_RECEIVE_CURRENT:
        ReceiveCurrentAccount();
        break;
    case ID_ROUTE_RECEIVE:
        StartRoutePass();
        break;
    case ID_FILE_SEND_OUTBOX:
        SendOutbox();
        break;
    case ID_FILE_SEND_RECEIVE:
        SendAndReceive();
        break;
    case ID_FILE_ABORT_TRANSFER:
        AbortTransfer(false);
        break;
    case ID_FILE_ABORT_ROUTE:
        AbortTransfer(true);
        break;
    case ID_FILE_SELECT_RECEIVE:
        SelectReceive(false);
        break;
    case ID_FILE_SELECT_RECEIVE_LATEST:
        SelectReceive(true);
        break;
    default:
        return;
    }
    MirrorWorkers();
}

void CMainFrameTransfer::StartScheduledRoutePass()
{
    StartRoutePass(false);
    MirrorWorkers();
}

bool CMainFrameTransfer::IsSelectWindowShown() const
{
    return m_pRemoteDlg && m_pRemoteDlg->GetSafeHwnd() && ::IsWindowVisible(m_pRemoteDlg->GetSafeHwnd());
}

void CMainFrameTransfer::SelectReceive(bool bLatest)
{
    if (!CheckAccounts())
        return;
    if (IsSelectWindowShown()) {
        m_pRemoteDlg->ShowWindow(SW_RESTORE);
        return;
    }
    // A key held while the command starts is read here, on the thread that
    // has the keyboard; the worker's own reading would always see it up.
    bool bCancel = ::GetKeyState(VK_CONTROL) < 0;
    if (!m_pRemoteDlg) {
        m_pRemoteDlg.reset(new CDlgRemoteMail);
        if (!m_pRemoteDlg->CreateWindowFor(m_pFrame)) {
            m_pRemoteDlg.reset();
            return;
        }
    }
    m_pSelectDlg = m_pRemoteDlg.get();
    CQuendalApp* pApp = QuendalApp();
    int nAccount = pApp->m_bProfileChangeMainFrame ? -1 : pApp->m_pAccountDataSet->m_nCurrentAccount;
    m_pRemoteDlg->SelectAccount(nAccount);
    m_pRemoteDlg->ResetAndShow(bLatest);
    if (!StartSelectReceive(nAccount, bCancel))
        m_pRemoteDlg->EnableControls(true);
}

void CMainFrameTransfer::UpdateCommand(CCmdUI* pCmdUI)
{
    bool bBusy = IsReceiving() || IsSending();
    switch (pCmdUI->m_nID) {
    case ID_FILE_ABORT_TRANSFER:
        pCmdUI->Enable(bBusy);
        break;
    case ID_FILE_ABORT_ROUTE:
        pCmdUI->Enable(IsReceiving());
        break;
    case ID_FILE_SELECT_RECEIVE:
    case ID_FILE_SELECT_RECEIVE_LATEST:
        pCmdUI->Enable(IsSelectWindowShown() || !bBusy);
        break;
    default:
        pCmdUI->Enable(!bBusy);
        break;
    }
}

bool CMainFrameTransfer::OnThreadMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case TM_SESSION_END:
        AddNewMails(static_cast<int>(wParam));
        DoEndProgress(FALSE);
        return true;
    case TM_RECEIVE_JOB_END:
        OnReceiveEnd();
        return true;
    case WM_QD_SEND_FOLDER_MAIL:
        if (std::shared_ptr<SendFolderMailRequest> request =
                CPostedObjectTable::Instance().Take<SendFolderMailRequest>(message, lParam))
            SendFolder(request->nFolderId, request->bKeepNoCopy);
        return true;
    case kTaskNoticesDelivered:
        // The notices of a reminder pass are new mail once, shown in the
        // notification window whatever the receive settings say.
        AddNewMails(static_cast<int>(wParam));
        m_pFrame->StartReceiveNotifyThread();
        OnReceiveEnd();
        return true;
    case CDlgRemoteMail::TM_SELECT_RUN:
    case CDlgRemoteMail::TM_SELECT_LIST:
        // The window asks for a run of its requests or a new listing.
        if (m_pRemoteDlg && !StartSelectReceive(static_cast<int>(wParam)))
            m_pRemoteDlg->EnableControls(true);
        MirrorWorkers();
        return true;
    case TM_SELECT_JOB_END:
        MirrorWorkers();
        return true;
    case WM_COMMAND:
        return false;
    default:
        return false;
    }
}

void CMainFrameTransfer::AddNewMails(int nCount)
{
    if (nCount <= 0)
        return;
    m_nNewMails += nCount;
    m_pFrame->m_tray.AddNewMailCount(nCount);
}

HANDLE CMainFrameTransfer::ReceiveNamedAccount(const char* pszAccount, BOOL bInteractive, BOOL bNotifyEnd)
{
    if (!pszAccount)
        return nullptr;
    auto r = std::make_shared<NamedReceive>();
    r->account = pszAccount;
    r->bInteractive = bInteractive;
    r->bNotifyEnd = bNotifyEnd;
    const bool called = m_pRelay->Call(WM_RELAY_RECEIVE_NAMED, 0, r);
    std::lock_guard<std::mutex> hold(r->lock);
    if (!called) {
        // The UI thread may still be at it: it closes what it gets.
        r->abandoned = true;
        if (r->hResult)
            ::CloseHandle(r->hResult);
        return nullptr;
    }
    return r->hResult;
}

HANDLE CMainFrameTransfer::DoReceiveNamedAccount(const char* pszAccount, BOOL bInteractive, BOOL bNotifyEnd)
{
    CQuendalApp* pApp = QuendalApp();
    CAccountDataSet* pAccounts = pApp ? pApp->m_pAccountDataSet : nullptr;
    if (!pAccounts || !pszAccount)
        return nullptr;
    if (!pAccounts->IsLoaded()) {
        pAccounts->SetFilePath(pApp->GetAccountFilePath());
        pAccounts->ReadFromFile(TRUE);
    }
    int nAccount = -1;
    for (int i = 0; i < pAccounts->GetRecordCount(TRUE) && nAccount < 0; i++)
        if (CAccountData* a = pAccounts->GetAccount(i))
            if (a->GetAccountName() == pszAccount)
                nAccount = i;
    if (nAccount < 0 || !ReceiveAccount(nAccount, bInteractive != FALSE, bNotifyEnd != FALSE))
        return nullptr;
    MirrorWorkers();
    HANDLE hCopy = nullptr;
    if (m_hReceiveWorker)
        DuplicateHandle(GetCurrentProcess(), m_hReceiveWorker, GetCurrentProcess(), &hCopy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    return hCopy;
}

bool CMainFrameTransfer::SendFolder(int nFolderId, bool bKeepNoCopy)
{
    CQuendalApp* pApp = QuendalApp();
    CMailFolderStore* pFolder = pApp ? pApp->FindFolder(nFolderId) : nullptr;
    CMailListData* pList = pFolder ? pFolder->GetMailList() : nullptr;
    if (!pList || pList->GetMailCount() == 0)
        return false;
    bool started = SendOutbox(pFolder, bKeepNoCopy);
    MirrorWorkers();
    return started;
}

void CMainFrameTransfer::OnReceiveEnd()
{
    CQuendalApp* pApp = QuendalApp();
    if (m_nNewMails > 0 && pApp) {
        if (pApp->GetProfileInt("Setting", "RecNotifyDialog", 0))
            m_pFrame->StartReceiveNotifyThread();
        if (pApp->GetProfileInt("Setting", "RecNotifyBeep", 0))
            ::Beep(static_cast<DWORD>(pApp->m_nBeepMailReceive > 0 ? pApp->m_nBeepMailReceive : 100), 60);
        if (pApp->GetProfileInt("Setting", "RecNotifySound", 0)) {
            CString path = pApp->GetProfileString("Setting", "RecNotifySoundPath", "");
            m_pSound.reset(new CSoundPlayer(path, FALSE));
            m_pSound->Play(FALSE);
        }
    }
    // The tray counted each session's mails as it ended; it blinks now.
    if (m_nNewMails > 0)
        m_pFrame->OnNewMailsReceived(0);
    if (pApp)
        pApp->DeleteOldReceiveMailBackup();
    if (GetMainFrameHooks().pfnFirePlugInEvent)
        GetMainFrameHooks().pfnFirePlugInEvent(kPlugInEventReceiveEnd, m_pFrame->m_hWnd, m_nNewMails);
    CToolBar& toolBar = m_pFrame->GetToolBar();
    if (toolBar.m_hWnd) {
        for (UINT id : kToolbarTransferButtons)
            toolBar.SendMessage(TB_INDETERMINATE, id, MAKELPARAM(FALSE, 0));
        ::InvalidateRect(toolBar.m_hWnd, nullptr, TRUE);
    }
    if (CQListView* pList = m_pFrame->GetListView())
        ::InvalidateRect(pList->m_hWnd, nullptr, TRUE);
}

void CMainFrameTransfer::StartTransferProgress(int nKind, CTransferStatus* pStatus)
{
    m_pRelay->Call(WM_RELAY_START, static_cast<WPARAM>(nKind), std::make_shared<ProgressStart>(ProgressStart{pStatus}));
}

void CMainFrameTransfer::EndTransferProgress(BOOL bNoEvent)
{
    m_pRelay->Call(WM_RELAY_END, static_cast<WPARAM>(bNoEvent), 0);
}

void CMainFrameTransfer::ShowProgressControls()
{
    m_pRelay->Call(WM_RELAY_SHOW, 0, 0);
}

HWND CMainFrameTransfer::GetSendOwner()
{
    return m_pFrame->m_hWnd;
}

void CMainFrameTransfer::SetTransferCounter(int nHanded, int nTotal)
{
    CTransferHost::SetTransferCounter(nHanded, nTotal);
    m_pRelay->Call(WM_RELAY_COUNTER, static_cast<WPARAM>(nHanded), nTotal);
}

void CMainFrameTransfer::PostRouteCommand()
{
    ::PostMessageA(m_pFrame->m_hWnd, WM_COMMAND, ID_ROUTE_RECEIVE, 0);
}

bool CMainFrameTransfer::Confirm(const char* pszText)
{
    return AfxMessageBox(pszText, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void CMainFrameTransfer::ShowMessage(const char* pszText)
{
    AfxMessageBox(pszText, MB_OK | MB_ICONEXCLAMATION);
}

void CMainFrameTransfer::ShowSendError(const char* pszText)
{
    // From the send worker, which does not wait for the user: the UI thread
    // shows it over the main window.
    {
        std::lock_guard<std::mutex> hold(m_sendErrorLock);
        m_sendErrors.push_back(pszText);
    }
    m_pRelay->Post(WM_RELAY_SEND_ERROR, 0, 0);
}

void CMainFrameTransfer::ShowWaitingSendErrors()
{
    for (;;) {
        CString text;
        {
            std::lock_guard<std::mutex> hold(m_sendErrorLock);
            if (m_sendErrors.empty())
                return;
            text = m_sendErrors.front();
            m_sendErrors.pop_front();
        }
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    }
}

void CMainFrameTransfer::DoStartProgress(int nKind, CTransferStatus* pStatus)
{
    static const char* const kKinds[] = {"受信", "巡回", "送信"};
    // A run of receives that starts with no new mail seen lists only its own.
    if (m_nNewMails == 0)
        CMainFrame::GetNotifyMailData().Clear();
    // While a send job runs, a POP before SMTP login shows under the send.
    m_progress.Begin(m_hControls[3], m_hControls[4], nKind == 2 ? 2 : nKind, pStatus);
    if (m_hControls[0])
        ::SetWindowTextA(m_hControls[0], nKind >= 0 && nKind <= 2 ? kKinds[nKind] : "");
    ShowControls(true);
    m_pFrame->PlayTransferAnimation(TRUE);
    m_pFrame->ShowTransferInTray(TRUE);
}

void CMainFrameTransfer::DoEndProgress(BOOL bNoEvent)
{
    // A send job ends its own display.
    if (m_bSendJobRunning && !IsReceiving())
        return;
    m_progress.End();
    if (m_hControls[0])
        ::SetWindowTextA(m_hControls[0], "");
    ShowControls(false);
    m_pFrame->PlayTransferAnimation(FALSE);
    if (m_nNewMails > 0)
        if (CQuendalApp* pApp = QuendalApp())
            pApp->UpdateUnreadMailRegistry();
    if (CFolderTree* pTree = m_pFrame->GetFolderTree())
        pTree->SaveTreeState();
    m_pFrame->ShowTransferInTray(FALSE);
    if (!bNoEvent && GetMainFrameHooks().pfnFirePlugInEvent)
        GetMainFrameHooks().pfnFirePlugInEvent(kPlugInEventDownloadEnd, m_pFrame->m_hWnd, m_nNewMails);
}

void CMainFrameTransfer::ShowControls(bool bShow)
{
    for (HWND h : m_hControls)
        if (h)
            ::ShowWindow(h, bShow ? SW_SHOW : SW_HIDE);
}
