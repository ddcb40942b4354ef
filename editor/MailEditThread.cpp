#include "editor/MailEditThread.h"

#include "classlib/AppCore.h"
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/AppMessages.h"
#include "core/QuendalApp.h"
#include "editor/MailEditFrame.h"
#include "editor/MailEditSendJob.h"
#include "editor/EditorFont.h"
#include "editor/MailEditView.h"
#include "mainwnd/FontSetting.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/KeysResource.h"
#include "resources/resource.h"
#include "store/MailEditRequest.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"

#include <ole2.h>

#include <algorithm>
#include <vector>

namespace {

const UINT kRestore = 1408;
const UINT kCenter = 1424;

CCriticalSection& RegistryLock()
{
    static CCriticalSection lock;
    return lock;
}

std::vector<CMailEditThread*>& Registry()
{
    static std::vector<CMailEditThread*> threads;
    return threads;
}

BOOL ActivateHook(CMailFolderStore* pStore, int nIndex)
{
    return pStore && CMailEditThread::ActivateEditorOf(pStore->GetFolderId(), nIndex);
}

// The editor font the user chose in the font and colour settings.
bool StoredEditorFont(const char* pszSection, LOGFONTA& lf)
{
    lf = GetFontSetting(pszSection);
    return true;
}

bool FileIsThere(const char* pszPath)
{
    DWORD a = GetFileAttributesA(pszPath);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

BEGIN_MESSAGE_MAP(CMailEditThread, CWinThread)
    ON_THREAD_MESSAGE(kHtmlEditorDone, OnHtmlEditorDone)
    ON_THREAD_MESSAGE(WM_QD_QUIT_THREAD, OnQuit)
    ON_THREAD_MESSAGE(kRestore, OnRestore)
    ON_THREAD_MESSAGE(kCenter, OnCenter)
    ON_THREAD_MESSAGE(WM_QD_APPLY_VIEW_SETTINGS, OnApplyViewSettings)
END_MESSAGE_MAP()

void InstallMailEditorHooks()
{
    MailEditorHooks& hooks = GetMailEditorHooks();
    hooks.pfnStartEditor = &CMailEditThread::StartEditor;
    hooks.pfnActivateEditor = &ActivateHook;
    CEditorFont::SetFontSettingSource(&StoredEditorFont);
}

CMailEditThread::CMailEditThread()
{
    m_hReady = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CSingleLock hold(&RegistryLock(), TRUE);
    Registry().push_back(this);
}

CMailEditThread::~CMailEditThread()
{
    Unregister();
    if (m_hReady)
        CloseHandle(m_hReady);
}

void CMailEditThread::Unregister()
{
    {
        CSingleLock hold(&RegistryLock(), TRUE);
        auto& r = Registry();
        r.erase(std::remove(r.begin(), r.end(), this), r.end());
        m_hFrame = nullptr;
    }
    // Taken off the application's list on this thread, under the list's
    // lock: a reader holding the lock never meets an entry whose object may
    // already be gone.
    if (m_bRegistered) {
        m_bRegistered = false;
        if (CQuendalApp* app = QuendalApp())
            app->RemoveEditThread(m_nThreadID);
    }
}

void CMailEditThread::OnFrameDestroyed()
{
    Unregister();
}

bool CMailEditThread::ActivateEditorOf(int nFolderId, int nIndex)
{
    CSingleLock hold(&RegistryLock(), TRUE);
    for (CMailEditThread* t : Registry()) {
        // An editor whose window is closing is passed over.
        if (t->m_doc.IsStoredCopy(nFolderId, nIndex) && t->m_hFrame && IsWindow(t->m_hFrame) &&
            IsWindowVisible(t->m_hFrame)) {
            t->PostThreadMessage(kRestore, 0, 0);
            return true;
        }
    }
    return false;
}

BOOL CMailEditThread::StartEditor(const CMailEditRequest& request)
{
    auto* t = new CMailEditThread;
    for (int i = 0; i < request.m_attachFiles.GetSize(); ++i)
        t->AddAttachFile(request.m_attachFiles[i]);
    for (int i = 0; i < request.m_tempAttachFiles.GetSize(); ++i)
        t->AddTempAttachFile(request.m_tempAttachFiles[i]);
    if (request.m_bSetAddress) {
        t->SetMailtoAddress(request.m_strTo, request.m_strCc);
        t->SetBcc(request.m_strBcc);
    }
    int cascade = request.m_nValue2;
    if (cascade == 0) {
        CSingleLock hold(&RegistryLock(), TRUE);
        cascade = static_cast<int>(Registry().size()) - 1;
    }
    t->SetOpenParams(request.m_nIndex, request.m_strBody, request.m_nMode, request.m_pStore, request.m_strSubject,
                     request.m_nValue1, cascade);
    t->SetTemplatePath(request.m_strOwnText);
    HGLOBAL handOver = request.m_nMode == 4 ? reinterpret_cast<HGLOBAL>(request.m_lExtra) : nullptr;
    MailObjectBlock::MailObject handedOver;
    if (handOver && MailObjectBlock::ParseGlobal(handOver, handedOver))
        t->m_handOverMails = handedOver.mails;
    HANDLE ready = nullptr;
    DuplicateHandle(GetCurrentProcess(), t->m_hReady, GetCurrentProcess(), &ready, 0, FALSE, DUPLICATE_SAME_ACCESS);
    if (!t->CreateThread()) {
        if (ready)
            CloseHandle(ready);
        delete t;
        return FALSE;
    }
    // The window is made on the new thread; messages sent to this thread
    // meanwhile are served.
    HANDLE thread = nullptr;
    DuplicateHandle(GetCurrentProcess(), t->m_hThread, GetCurrentProcess(), &thread, 0, FALSE, DUPLICATE_SAME_ACCESS);
    HANDLE waits[2] = {ready, thread};
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(2, waits, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 2)
            break;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    // The thread registered itself before it signalled, when its window
    // came up; it may have ended since, taking its object with it.
    bool alive = WaitForSingleObject(thread, 0) == WAIT_TIMEOUT;
    CloseHandle(ready);
    CloseHandle(thread);
    // A started editor took what the block named; a refused one leaves the
    // block to the caller.
    if (alive && handOver)
        GlobalFree(handOver);
    return alive ? TRUE : FALSE;
}

void CMailEditThread::AddAttachFile(const char* pszPath)
{
    if (pszPath && FileIsThere(pszPath))
        m_attachFiles.Add(pszPath);
}

void CMailEditThread::AddTempAttachFile(const char* pszPath)
{
    if (pszPath && FileIsThere(pszPath))
        m_tempAttachFiles.Add(pszPath);
}

void CMailEditThread::SetMailtoAddress(const char* pszTo, const char* pszCc)
{
    m_strTo = pszTo ? pszTo : "";
    m_strCc = pszCc ? pszCc : "";
}

void CMailEditThread::SetOpenParams(int nIndex, const char* pszBody, int nKind, CMailFolderStore* pStore,
                                    const char* pszSubject, int nForwardMethod, int nCascade)
{
    m_nIndex = nIndex;
    m_strBody = pszBody ? pszBody : "";
    m_nKind = nKind;
    m_pFolder = pStore;
    m_nFolderId = pStore ? pStore->GetFolderId() : 0;
    m_strSubject = pszSubject ? pszSubject : "";
    m_nForwardMethod = nForwardMethod;
    m_nCascade = nCascade < 0 ? 0 : nCascade;
    if (pStore && nIndex >= 0)
        if (CMailIndexRecord* r = pStore->GetRecord(nIndex))
            m_strReceiveAccount = r->GetText(CMailIndexRecord::colAccount);
}

void CMailEditThread::ChooseTemplate()
{
    if (!m_strTemplatePath.IsEmpty() || m_nForwardMethod > 0)
        return;
    CQuendalApp* app = QuendalApp();
    CAccountDataSet* set = app ? app->m_pAccountDataSet : nullptr;
    int index = m_pFrame && m_pFrame->GetView() ? m_pFrame->GetView()->GetAccountIndex() : -1;
    CAccountData* account = set && index >= 0 ? set->GetAccount(index) : nullptr;
    if (!account)
        return;
    int column = 0, kind = m_nKind;
    switch (m_nKind) {
    case -1: column = 18; kind = 5; break;
    case 1: column = 19; kind = 6; break;
    case 2: column = 20; kind = 7; break;
    case 3: column = 21; kind = 8; break;
    default: return;
    }
    CString name = m_pFolder ? m_pFolder->GetInheritedText(column) : CString();
    if (name.IsEmpty())
        name = account->GetText(column + 7);
    if (name.IsEmpty())
        return;
    m_strTemplatePath = app->GetTemplateFilePath(name);
    m_nKind = kind;
}

BOOL CMailEditThread::InitInstance()
{
    BOOL ok = FALSE;
    // OLE for the body's drop callback, and the rich-edit library for the
    // body itself (kept loaded for the process: windows of any editor use it).
    static HMODULE richEdit = LoadLibraryA("RICHED20.DLL");
    m_bOle = SUCCEEDED(OleInitialize(nullptr));
    if (!m_bOle || !richEdit) {
        AfxMessageBox(IDS_OLE_INIT_FAILED, MB_OK | MB_ICONSTOP);
        SetEvent(m_hReady);
        return FALSE;
    }
    try {
        CQuendalApp* app = QuendalApp();
        m_pFrame = new CMailEditFrame;
        if (!m_pFrame->Create(this, m_nCascade)) {
            m_pFrame = nullptr;
            SetEvent(m_hReady);
            return FALSE;
        }
        m_pMainWnd = m_pFrame;
        {
            CSingleLock hold(&RegistryLock(), TRUE);
            m_hFrame = m_pFrame->m_hWnd;
        }
        if (app) {
            app->AddEditThread(this);
            m_bRegistered = true;
        }
        CMailEditView* view = m_pFrame->GetView();
        view->m_nForwardMethod = m_nForwardMethod;
        view->m_nMailKind = m_nKind;
        // The account: the folder's, the one that received the source mail,
        // else the current one.
        if (m_pFolder)
            view->SelectAccount(m_pFolder->GetInheritedText(23), m_strReceiveAccount);
        else if (!m_strReceiveAccount.IsEmpty())
            view->SelectAccount("", m_strReceiveAccount);
        ChooseTemplate();
        // Template answers and forwards are built as themselves: their
        // quotation carries no answer header, the template brings its own.
        int baseKind = m_nKind == 5 ? -1 : m_nKind;
        if (m_nKind == -1 || (m_nKind == 5 && m_nIndex < 0)) {
            m_pFrame->SetWindowText("無題");
        } else if (m_nKind != 4) {
            m_doc.SetSource(m_nIndex, m_pFolder);
            // Only a stored mail opened again is replaced when it is stored:
            // an answer or a forward leaves its source where it lies.
            if (m_nKind != 0 && m_nKind != 12)
                m_doc.ClearStoredCopy();
            if (!view->SetMailData(m_nIndex, m_pFolder, baseKind, m_strBody.IsEmpty() ? nullptr : m_strBody.GetString(),
                                   m_nForwardMethod)) {
                m_pFrame->CloseWithoutPrompt();
                SetEvent(m_hReady);
                return TRUE;
            }
            CString subject = view->GetSubject();
            m_pFrame->SetWindowText(subject.IsEmpty() ? CString("無題") : subject);
        }
        view->m_nMailKind = m_nKind;
        if (m_nKind != 11) {
            if (m_pFolder)
                view->SelectReplyTo(m_pFolder->GetInheritedText(17));
            if (!m_strTo.IsEmpty())
                view->SetTo(m_strTo);
            if (!m_strCc.IsEmpty())
                view->SetCc(m_strCc);
            if (!m_strBcc.IsEmpty())
                view->SetBcc(m_strBcc);
            if (m_nKind == -1 && !m_strBody.IsEmpty())
                view->SetBody(m_strBody);
            if (!m_strSubject.IsEmpty()) {
                view->SetSubject(m_strSubject);
                m_pFrame->SetWindowText(m_strSubject);
            }
        }
        if (m_nKind >= 5 && m_nKind <= 8 && !m_strTemplatePath.IsEmpty())
            view->ApplyTemplate(m_strTemplatePath, m_nIndex, m_pFolder, m_nKind, false);
        bool focusTo = m_nKind == -1 || m_nKind == 3 || m_nKind == 4 || m_nKind == 5;
        bool quietNotice = m_nKind == 11 && app && app->GetProfileInt("Setting", "ReadNotifyTo", 0) == 2;
        // Everything the window is filled with comes before it shows and is
        // then marked unchanged: what is typed once it shows is the user's.
        if (app)
            app->SetupAccelerators(2, m_pFrame, nullptr, 0, IDR_EDITOR_ACCEL);
        if (m_nKind == 4)
            view->AttachMailRefs(m_handOverMails);
        m_handOverMails.clear();
        for (int i = 0; i < m_attachFiles.GetSize(); ++i)
            view->AddAttachmentFile(m_attachFiles[i], false);
        for (int i = 0; i < m_tempAttachFiles.GetSize(); ++i)
            view->AddAttachmentFile(m_tempAttachFiles[i], true);
        m_attachFiles.RemoveAll();
        m_tempAttachFiles.RemoveAll();
        view->SetModified(false);
        if (!quietNotice)
            m_pFrame->ShowWindow(SW_SHOW);
        view->FocusField(focusTo ? IDC_ME_TO : IDC_ME_BODY);
        if (app && app->GetProfileInt("Setting", "AlwaysUseEditor", 0))
            m_pFrame->RunExternalEditor();
        m_pFrame->BringWindowToTop();
        SetForegroundWindow(m_pFrame->m_hWnd);
        if (quietNotice)
            m_pFrame->PostMessage(WM_COMMAND, ID_EDIT_SEND);
        ok = TRUE;
    } catch (...) {
        ok = FALSE;
    }
    SetEvent(m_hReady);
    return ok;
}

int CMailEditThread::Run()
{
    try {
        return CWinThread::Run();
    } catch (...) {
        if (m_pFrame && m_pFrame->m_hWnd)
            m_pFrame->SendOrSave(CMailEditSendJob::modeDraft);
        AfxMessageBox("エラーが発生しました。", MB_OK | MB_ICONSTOP);
        return ExitInstance();
    }
}

int CMailEditThread::ExitInstance()
{
    if (m_pMainWnd && ::IsWindow(m_pMainWnd->m_hWnd))
        m_pMainWnd->DestroyWindow();
    if (m_bOle) {
        OleUninitialize();
        m_bOle = false;
    }
    if (CQuendalApp* app = QuendalApp())
        ::PostThreadMessageA(app->m_nThreadID, WM_QD_REMOVE_EDIT_THREAD, 0, static_cast<LPARAM>(m_nThreadID));
    return CWinThread::ExitInstance();
}

void CMailEditThread::OnQuit(WPARAM, LPARAM)
{
    if (m_pFrame && m_pFrame->m_hWnd && m_pMainWnd)
        m_pFrame->CloseForShutdown();
    else
        ::PostQuitMessage(0);
}

void CMailEditThread::OnHtmlEditorDone(WPARAM wParam, LPARAM)
{
    if (m_pFrame && m_pMainWnd && m_pFrame->GetView())
        m_pFrame->GetView()->EndExternalHtmlEdit(wParam == 0);
}

void CMailEditThread::OnRestore(WPARAM, LPARAM)
{
    if (m_pFrame && m_pMainWnd)
        m_pFrame->RestoreAndActivate();
}

void CMailEditThread::OnCenter(WPARAM, LPARAM)
{
    if (m_pFrame && m_pMainWnd)
        m_pFrame->CenterAndActivate();
}
