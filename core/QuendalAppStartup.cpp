// Start-up of the application object: single instance, command line,
// settings store, mailbox password, registration, service threads and the
// main window.
#include "core/QuendalApp.h"
#include "core/DlgMailBoxSetting.h"
#include "core/MiscUtil.h"
#include "net/CommLog.h"
#include "net/DialConnection.h"
#include "core/LogWriter.h"

#include "addressbook/AddressManagerThread.h"
#include "core/AccountData.h"
#include "core/AppMessages.h"
#include "editor/Archiver.h"
#include "core/DateTimeUtil.h"
#include "core/DlgCVMStartPasswordSetting.h"
#include "core/DlgInputPassword.h"
#include "core/PasswordScrambler.h"
#include "core/ShellUtil.h"
#include "core/SplashWnd.h"
#include "mainwnd/MainFrame.h"
#include "plugin/CommunicationThread.h"
#include "plugin/PlugInStartup.h"
#include "plugin/SharedMemory.h"
#include "resources/resource.h"
#include "store/FolderRegistryHooks.h"
#include "store/StoreText.h"
#include "settings/DlgAcountSetupWiz.h"
#include "settings/ProfileDataSet.h"
#include "tasklist/TaskListThread.h"
#include "transfer/RouteSetData.h"
#include "viewer/MailViewPane.h"

#include <winsock2.h>
#include <commctrl.h>
#include <imm.h>
#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>

#include <memory>

namespace {

// How long a second start waits for the running one to take its request.
const DWORD kHandOverWaitMs = 5000;
// How long a start waits for an instance that is ending.
const DWORD kEndingWaitMs = 60000;

bool IsInstanceEnding()
{
    return CHandle(OpenEventA(SYNCHRONIZE, FALSE, CQuendalApp::kInstanceEndingName)).IsValid();
}

// Waits until the ending instance lets go of the mutex; true when this
// process then owns it (an abandoned mutex is owned as well).
bool WaitForEndingInstance(HANDLE hMutex)
{
    DWORD r = WaitForSingleObject(hMutex, kEndingWaitMs);
    return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

// A duplicate of a thread's handle, so that its liveness can be tested after
// the thread object has deleted itself.
HANDLE DuplicateThreadHandle(HANDLE hThread)
{
    HANDLE dup = nullptr;
    if (!hThread || !DuplicateHandle(GetCurrentProcess(), hThread, GetCurrentProcess(), &dup, 0, FALSE,
                                     DUPLICATE_SAME_ACCESS))
        return nullptr;
    return dup;
}

bool IsExistingFile(const char* path)
{
    DWORD attr = GetFileAttributesA(path);
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates "<SendTo>\<name>.lnk" pointing at the program (short path, no arguments).
void CreateSendToShortcut(const CString& shortPath)
{
    char sendTo[MAX_PATH];
    if (!SHGetSpecialFolderPathA(nullptr, sendTo, CSIDL_SENDTO, FALSE))
        return;
    CString link;
    link.Format("%s\\%s.lnk", sendTo, "CorvaneMail");
    CreateShortcut(link, "", shortPath);
}

void SetDefaultMailClientImpl(const char* pszName)
{
    CRegKey software, clients, mail;
    if (software.Open(HKEY_LOCAL_MACHINE, "software", KEY_ALL_ACCESS) == ERROR_SUCCESS &&
        clients.Open(software, "Clients", KEY_ALL_ACCESS) == ERROR_SUCCESS &&
        mail.Open(clients, "Mail", KEY_ALL_ACCESS) == ERROR_SUCCESS)
        mail.SetStringValue(nullptr, pszName);
}

// Until the mailbox settings dialog exists, the mailbox named on the command
// line (switch M), else "MailBox" beside the program, is taken as the
// user's choice.
bool MainWindowExists()
{
    CQuendalApp* pApp = QuendalApp();
    return pApp && pApp->m_pMainFrame && pApp->m_pMainFrame->m_hWnd;
}

void InstallNeighbourHooks()
{
    FolderRegistryHooks& hooks = GetFolderRegistryHooks();
    if (!hooks.pfnMailBoxDialog)
        hooks.pfnMailBoxDialog = RunMailBoxSettingDialog;
    if (!hooks.pfnMainWindowExists)
        hooks.pfnMainWindowExists = MainWindowExists;
    if (!hooks.pfnAccountWizard)
        hooks.pfnAccountWizard = RunAccountSetupWizard;
    // A removed folder's rules file into the inbox from then on, so that no
    // mail is filed into a folder that is gone; the profiles forget it, so
    // that a later folder given its id is not shown in its place.
    if (!hooks.pfnFolderRemoved)
        hooks.pfnFolderRemoved = [](int nFolderId, int nInboxId) {
            if (CQuendalApp* pApp = QuendalApp()) {
                pApp->RetargetFilterRules(nFolderId, nInboxId);
                RemoveFolderFromProfiles(pApp->GetProfileBoxPath(), nFolderId);
            }
        };
    if (!hooks.pfnAddAccountToRoute)
        hooks.pfnAddAccountToRoute = [](const CAccountData& account) {
            if (QuendalApp())
                QuendalApp()->AddRouteAccount(account.GetAccountName());
        };
    // The protocol clients write their traffic through the application's log
    // writer, which writes only while logging is on.
    SetCommLogWriter([](const char* pszText) { WriteLog(pszText); });
    // The mail list shows and sorts senders by the names of the address book.
    StoreText::SetAddressBookLookup(CAddressManagerThread::FindNameOfApp);
    InstallMailViewPane();
    if (QuendalApp())
        QuendalApp()->InstallTaskListMailHooks();
}

} // namespace

void SetDefaultMailClient(const char* pszName)
{
    SetDefaultMailClientImpl(pszName);
}

CString CQuendalApp::GetProgramFolder() const
{
    CString path = ProgramFilePath();
    int cut = path.ReverseFind('\\');
    return cut >= 0 ? path.Left(cut) : CString(".");
}

void CQuendalApp::ParseCommandLine(CCommandLineInfo& rCmdInfo)
{
    CString joined;
    for (int i = 1; i < __argc; i++) {
        CString arg(__argv[i]);
        BOOL bFlag = FALSE;
        if (!arg.IsEmpty() && (arg[0] == '-' || arg[0] == '/')) {
            bFlag = TRUE;
            CString name = arg.Mid(1);
            char letter = name.IsEmpty() ? '\0' : static_cast<char>(toupper(static_cast<unsigned char>(name[0])));
            // The value begins one character after the letter, whatever that character is.
            CString value = name.GetLength() > 2 ? name.Mid(2) : CString();
            switch (letter) {
            case 'A':
                m_strAccountFileOverride = value;
                break;
            case 'D':
                m_strAddressBoxOverride = value;
                break;
            case 'I':
                if (name.CompareNoCase("INI") == 0)
                    m_bFileMode = 1;
                break;
            case 'J':
                m_strRouteFileOverride = value;
                break;
            case 'L':
                if (name.CompareNoCase("LOG") == 0)
                    m_bCommLog = TRUE;
                break;
            case 'M': {
                int cut = value.ReverseFind('\\');
                if (cut < 0)
                    cut = value.ReverseFind('/');
                if (cut >= 0) {
                    // A mailbox at a drive's root keeps the root ("C:\"), not
                    // the drive's current folder ("C:").
                    bool bDriveRoot = cut == 2 && value[1] == ':';
                    m_strMailBoxPathOverride = value.Left(bDriveRoot ? cut + 1 : cut);
                    m_strMailBoxNameOverride = value.Mid(cut + 1);
                } else {
                    m_strMailBoxNameOverride = value;
                }
                break;
            }
            case 'N':
                if (name.CompareNoCase("NOUSEPLUGIN") == 0)
                    m_bNoUsePlugIn = TRUE;
                break;
            default:
                break;
            }
        } else {
            CString text = arg;
            if (IsExistingFile(arg) && arg.Find(' ') >= 0 && arg[0] != '"')
                text = "\"" + arg + "\"";
            joined += text + " ";
        }
        rCmdInfo.ParseParam(bFlag ? arg.Mid(1).GetString() : arg.GetString(), bFlag, i + 1 == __argc);
    }
    // The joined text stays whole, so that a mailto address or a path with
    // blanks arrives as one. A print request keeps the file it names alone.
    m_strCmdLineText = joined;
    if (rCmdInfo.m_nShellCommand != CCommandLineInfo::FilePrint &&
        rCmdInfo.m_nShellCommand != CCommandLineInfo::FilePrintTo)
        rCmdInfo.m_strFileName = joined;
}

BOOL CQuendalApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo)
{
    if (rCmdInfo.m_nShellCommand == CCommandLineInfo::FilePrint ||
        rCmdInfo.m_nShellCommand == CCommandLineInfo::FilePrintTo) {
        // The window is never shown: the mail is printed and the program ends.
        PrintMailFile(rCmdInfo.m_strFileName);
        return FALSE;
    }
    return TRUE;
}

BOOL CQuendalApp::CheckMailBoxPassword(BOOL bAlways, BOOL bForce)
{
    CString stored = GetProfileString("Setting", "MailBoxPassword", "");
    int check = GetProfileInt("Setting", "StartupCheckPassword", 1);
    if (stored.IsEmpty() || (!bForce && !check && !bAlways))
        return TRUE;
    if (m_pPasswordDialog && m_pPasswordDialog->m_hWnd) {
        m_pPasswordDialog->SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        return FALSE;
    }
    CPasswordScrambler scrambler;
    CDlgInputPassword dlg(m_pMainWnd);
    dlg.SetCheckPassword(scrambler.Unscramble(stored));
    CString prompt;
    prompt.LoadString(IDS_START_PASSWORD_PROMPT);
    dlg.SetPrompt(prompt);
    m_pPasswordDialog = &dlg;
    INT_PTR result = dlg.DoModal();
    m_pPasswordDialog = nullptr;
    return result == IDOK;
}

namespace {

// Writes the command line into the hand-over block and asks the running
// instance to take it; a second start with nothing to hand over restores it.
bool HandOverToRunningInstance(HWND hRunning, CString cmdLine)
{
    // The joined arguments end in a blank, which would end up in the last value.
    cmdLine.Trim();
    if (cmdLine.IsEmpty())
        return ::PostMessageA(hRunning, WM_SYSCOMMAND, SC_RESTORE, 0) != FALSE;
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    ar << static_cast<WORD>(1) << static_cast<DWORD>(cmdLine.GetLength());
    ar.Write(cmdLine.GetString(), static_cast<UINT>(cmdLine.GetLength()));
    std::vector<BYTE> bytes = file.Detach();
    if (!WriteSharedMemory(static_cast<DWORD>(bytes.size()), bytes.data()))
        return false;
    if (!::PostMessageA(hRunning, WM_QD_HANDOVER_REQUEST, 0, 0))
        return false;
    // The block lives only as long as a handle to it: stay until it is taken.
    return WaitSharedMemoryTaken(kHandOverWaitMs);
}

} // namespace

bool CQuendalApp::TakeOverFromEndingInstance()
{
    // The running program is either gone already (the mutex is new and ours)
    // or marked as ending (wait for it); one that runs on keeps its place.
    CHandle mutex(CreateMutexA(nullptr, TRUE, kInstanceMutexName));
    if (!mutex ||
        (GetLastError() == ERROR_ALREADY_EXISTS && !(IsInstanceEnding() && WaitForEndingInstance(mutex))))
        return false;
    m_hInstanceMutex = mutex.Detach();
    return true;
}

BOOL CQuendalApp::InitInstance()
{
    try {
        return StartUp();
    } catch (const CException& e) {
        char text[512] = {};
        e.GetErrorMessage(text, sizeof(text));
        ReportStartUpFailure(text);
    } catch (const std::exception& e) {
        ReportStartUpFailure(e.what());
    }
    // Running on after a failed start-up would leave a process that holds the
    // single-instance mutex and no usable window: every later start would end
    // silently. End instead, and let go of the mutex.
    if (m_pMainWnd && m_pMainWnd->m_hWnd)
        m_pMainWnd->DestroyWindow();
    m_pMainFrame = nullptr;
    ReleaseInstanceMutex();
    return FALSE;
}

void CQuendalApp::ReportStartUpFailure(const char* pszDetail)
{
    CString text;
    text.Format("InitInstance Error：Corvane Mail起動中にエラーが発生しました。[%s]",
                pszDetail && *pszDetail ? pszDetail : AfxSystemErrorText(GetLastError()).GetString());
    AppendAppLog(text);
}

void CQuendalApp::AppendAppLog(const char* pszLine)
{
    CString path;
    try {
        path = GetLogFilePath();
    } catch (...) {
        return;
    }
    CHandle h(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h)
        return;
    SYSTEMTIME st;
    GetLocalTime(&st);
    CString line;
    line.Format("%02u:%02u:%02u %s\r\n", st.wHour, st.wMinute, st.wSecond, pszLine);
    DWORD written = 0;
    WriteFile(h, line.GetString(), static_cast<DWORD>(line.GetLength()), &written, nullptr);
}

void CQuendalApp::ReleaseInstanceMutex()
{
    if (m_hInstanceMutex) {
        ReleaseMutex(m_hInstanceMutex);
        CloseHandle(m_hInstanceMutex);
        m_hInstanceMutex = nullptr;
    }
    // A start that waits for the mutex now has it; the mark goes with it.
    if (m_hEndingEvent) {
        CloseHandle(m_hEndingEvent);
        m_hEndingEvent = nullptr;
    }
}

void CQuendalApp::MarkInstanceEnding()
{
    if (m_hInstanceMutex && !m_hEndingEvent)
        m_hEndingEvent = CreateEventA(nullptr, TRUE, TRUE, kInstanceEndingName);
}

void CQuendalApp::ReadProgramVersion()
{
    CString path = ProgramFilePath();
    DWORD dummy = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &dummy);
    if (!size)
        return;
    std::unique_ptr<BYTE[]> data(new BYTE[size]);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (GetFileVersionInfoA(path, 0, size, data.get()) &&
        VerQueryValueA(data.get(), "\\", reinterpret_cast<void**>(&info), &len) && info && len >= sizeof(*info)) {
        m_wVersion[0] = HIWORD(info->dwFileVersionMS);
        m_wVersion[1] = LOWORD(info->dwFileVersionMS);
        m_wVersion[2] = HIWORD(info->dwFileVersionLS);
        m_wVersion[3] = LOWORD(info->dwFileVersionLS);
    }
}

BOOL CQuendalApp::StartUp()
{
    m_lTimeZoneBias = ComputeTimeZoneBias();
    UpdateUnreadMailRegistry();  // before the settings are chosen: removes stale entries only
    ReadProgramVersion();
    m_strProfileName = "CorvaneMail";

    // One create that tells whether the mutex existed: an open-then-create
    // pair lets two simultaneous starts both believe they are the first. The
    // first instance owns it until its shut-down ends, so that a start that
    // meets an ending instance can wait for exactly that moment.
    CHandle mutex(CreateMutexA(nullptr, TRUE, kInstanceMutexName));
    DWORD err = GetLastError();
    if (!mutex)
        return FALSE;
    if (err == ERROR_ALREADY_EXISTS && !(IsInstanceEnding() && WaitForEndingInstance(mutex)))
        mutex.Close();
    m_hInstanceMutex = mutex.Detach();

    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) {
        AfxMessageBox(IDS_SOCKETS_INIT_FAILED, MB_OK | MB_ICONSTOP);
        ReleaseInstanceMutex();
        return FALSE;
    }
    m_bSocketsStarted = true;
    HRESULT hr = OleInitialize(nullptr);
    m_bOleStarted = SUCCEEDED(hr);
    if (!m_hRichEdit)
        m_hRichEdit = LoadLibraryA("RICHED20.DLL");
    if (!m_hRichEdit)
        m_hRichEdit = LoadLibraryA("RICHED32.DLL");
    if (!m_bOleStarted || !m_hRichEdit) {
        AfxMessageBox(IDS_OLE_INIT_FAILED, MB_OK | MB_ICONSTOP);
        ReleaseInstanceMutex();
        return FALSE;
    }
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES };
    InitCommonControlsEx(&icc);

    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    if (!m_hInstanceMutex) {
        HWND hRunning = FindWindowA("CVMWndClass", nullptr);
        if (!hRunning)
            return FALSE;
        if (HandOverToRunningInstance(hRunning, m_strCmdLineText))
            return FALSE;
        // The running program may have begun to end while the request waited:
        // then this start becomes the program once it has gone.
        if (!TakeOverFromEndingInstance()) {
            m_nExitCode = 2;  // a request the running program never took
            return FALSE;
        }
    }

    SetRegistryKey("Hollowpine");
    CString iniPath = GetProgramFolder() + "\\CVM.ini";
    if (IsExistingFile(iniPath))
        m_bFileMode = 1;
    if (m_bFileMode) {
        SetProfileFileMode(iniPath);
        LoadProfileFile(iniPath);
    }

    LoadResourceTable();
    LoadDefaultToolBarSettings();

    if (GetProfileString("Setting", "MailBoxPassword", "").IsEmpty()) {
        CDlgCVMStartPasswordSetting dlg;
        if (dlg.DoModal() != IDOK) {
            ReleaseInstanceMutex();
            return FALSE;
        }
    } else if (!CheckMailBoxPassword(FALSE, FALSE)) {
        ReleaseInstanceMutex();
        return FALSE;
    }

    GetOSVersionType();

    CString program = ProgramFilePath();
    char shortBuf[MAX_PATH * 2] = {};
    DWORD shortLen = GetShortPathNameA(program, shortBuf, sizeof(shortBuf));
    CString shortPath = shortLen > 0 && shortLen < sizeof(shortBuf) ? CString(shortBuf) : program;
    WriteProfileString("Paths", "CVMInstallFolder", GetProgramFolder());
    RegisterMailClient(program, shortPath);
    if (GetProfileInt("Install", "RegistDocument", 0) == 0) {
        CreateSendToShortcut(shortPath);
        // The default names the client's key, so that the system's mail stub
        // finds "DllPath" under it.
        SetDefaultMailClient("CorvaneMail");
        WriteProfileInt("Install", "RegistDocument", 1);
    }

    BuildImageLists();
    m_bShowReplyIcon = GetProfileInt("Setting", "ShowReplyIcon", 1);
    m_bShowMyMailIcon = GetProfileInt("Setting", "ShowMyMailIcon", 1);

    m_hZip32j = LoadLibraryA("ZIP32J.DLL");
    m_hUnlha32 = LoadLibraryA("UNLHA32.DLL");
    InstallSendArchiver();
    m_hVonlink = LoadLibraryA("Vonlink.dll");
    CDialConnection::SetLibrary(m_hVonlink);  // a missing library skips dialling

    m_pAddressThread = new CAddressManagerThread;
    if (m_pAddressThread->CreateThread())
        m_hAddressThread = DuplicateThreadHandle(m_pAddressThread->m_hThread);
    else {
        delete m_pAddressThread;
        m_pAddressThread = nullptr;
    }

    InstallNeighbourHooks();
    int prepared = PrepareMailBox(FALSE);
    if (prepared != 1) {
        ReleaseInstanceMutex();
        return FALSE;
    }
    LoadSettings();
    // The default profile is in use from the start; its folders are shown
    // once the tree is built.
    if (!m_strDefaultProfileName.IsEmpty())
        SetProfileName(m_strDefaultProfileName);
    StartPlugInHost(this);

    CMainFrame* pFrame = new CMainFrame;
    m_pMainWnd = pFrame;
    m_pMainFrame = pFrame;
    CSplashWnd::EnableSplashScreen(GetProfileInt("Setting", "NoSplashWindow", 0) == 0);
    if (!pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) {
        // A frame that fails in creation has already deleted itself.
        m_pMainWnd = nullptr;
        m_pMainFrame = nullptr;
        ReleaseInstanceMutex();
        return FALSE;
    }
    if (!ProcessShellCommand(cmdInfo)) {
        ReleaseInstanceMutex();
        return FALSE;
    }

    if (GetProfileInt("Window", "Iconic", 0) == 2)
        pFrame->ShowWindow(SW_SHOWMAXIMIZED);
    else
        pFrame->ShowWindow(m_nCmdShow == SW_SHOWMINIMIZED || m_nCmdShow == SW_MINIMIZE ? m_nCmdShow : SW_SHOWNORMAL);
    if (pFrame->IsIconic())
        pFrame->ShowWindow(SW_HIDE);  // it lives in the tray
    pFrame->UpdateWindow();

    SetCurrentFolder(0);
    if (m_nStartFolderId)
        SetCurrentFolder(m_nStartFolderId);

    if (HIMC hImc = ImmGetContext(pFrame->m_hWnd)) {
        ImmSetOpenStatus(hImc, FALSE);
        ImmReleaseContext(pFrame->m_hWnd, hImc);
    }

    m_pCommThread = new CCommunicationThread(GetCurrentThreadId());
    if (m_pCommThread->CreateThread())
        m_hCommThread = DuplicateThreadHandle(m_pCommThread->m_hThread);
    else {
        delete m_pCommThread;
        m_pCommThread = nullptr;
    }
    m_pTaskListThread = new CTaskListThread;
    if (m_pTaskListThread->CreateThread())
        m_hTaskListThread = DuplicateThreadHandle(m_pTaskListThread->m_hThread);
    else {
        delete m_pTaskListThread;
        m_pTaskListThread = nullptr;
    }

    FirePlugInInitEvent(pFrame->m_hWnd);

    if (GetOSVersionType() >= 3 || GetOSVersionType() == -1) {
        m_hUxTheme = LoadLibraryA("uxtheme.dll");
        m_hShell32 = LoadLibraryA("shell32.dll");
        if (m_hShell32) {
            m_pfnSHSetUnreadMailCountW = reinterpret_cast<decltype(m_pfnSHSetUnreadMailCountW)>(
                reinterpret_cast<void*>(GetProcAddress(m_hShell32, "SHSetUnreadMailCountW")));
            m_pfnSHGetUnreadMailCountW = reinterpret_cast<decltype(m_pfnSHGetUnreadMailCountW)>(
                reinterpret_cast<void*>(GetProcAddress(m_hShell32, "SHGetUnreadMailCountW")));
        }
        m_hWtsapi32 = LoadLibraryA("Wtsapi32.dll");
        if (m_hWtsapi32) {
            m_pfnWTSRegisterSessionNotification = reinterpret_cast<decltype(m_pfnWTSRegisterSessionNotification)>(
                reinterpret_cast<void*>(GetProcAddress(m_hWtsapi32, "WTSRegisterSessionNotification")));
            if (m_pfnWTSRegisterSessionNotification)
                m_pfnWTSRegisterSessionNotification(pFrame->m_hWnd, 1);
        }
    }

    pFrame->SetLogIndicator(m_bCommLog);

    CString text = m_strCmdLineText;
    text.Trim();
    if (!text.IsEmpty()) {
        pFrame->ComposeFromCommandLine(text);
    } else if (IsRouteReceiveAtStartup()) {
        pFrame->PostMessage(WM_COMMAND, ID_ROUTE_RECEIVE);
    }
    if (GetProfileInt("Setting", "TaskListOpenStart", 0))
        pFrame->PostMessage(WM_COMMAND, ID_TASKLIST_OPEN);
    m_lastIdleCheck = CTime::GetCurrentTime();
    return TRUE;
}

void CQuendalApp::BuildImageLists()
{
    static const UINT kMailListIcons[] = { 301, 306, 131, 229, 347, 366, 420, 368, 367, 369, 370,
                                           217, 216, 218, 215, 214, 311, 312, 240, 227, 382, 380,
                                           381, 383, 384, 433, 434, 435, 436, 437, 272 };
    m_mailListImages.Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 4);
    for (UINT id : kMailListIcons) {
        HICON hIcon = static_cast<HICON>(
            LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_SHARED));
        if (hIcon)
            m_mailListImages.Add(hIcon);
    }
}

BOOL CQuendalApp::IsRouteReceiveAtStartup()
{
    return GetRouteSet()->IsRouteAtStartup();
}
