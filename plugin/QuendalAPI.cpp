#include "plugin/QuendalAPI.h"

#include "addressbook/AddressData.h"
#include "addressbook/AddressDataSet.h"
#include "addressbook/AddressGroup.h"
#include "addressbook/AddressManagerThread.h"
#include "core/AccountCombo.h"
#include "core/AccountData.h"
#include "core/AccountDataSet.h"
#include "core/AppMessages.h"
#include "core/DateTimeUtil.h"
#include "core/FileUtil.h"
#include "core/LogWriter.h"
#include "core/Md5.h"
#include "core/MiscUtil.h"
#include "core/QuendalApp.h"
#include "mainwnd/DlgSelectFolder.h"
#include "mainwnd/MainFrame.h"
#include "mainwnd/MainFrameTransfer.h"
#include "message/AddressList.h"
#include "message/MailHeader.h"
#include "message/MailMessage.h"
#include "plugin/AddressPicker.h"
#include "plugin/AppThreadCall.h"
#include "plugin/PlugInHost.h"
#include "plugin/SendFolderRequest.h"
#include "store/MailFolderStore.h"
#include "store/MailIndexRecord.h"
#include "store/MailListData.h"
#include "viewer/MailViewerOpen.h"

#include <mbstring.h>

#include <cstring>
#include <ctime>
#include <memory>

namespace {

CQuendalAPI* g_pApi = nullptr;


// Copies at most nMax bytes of the text; the rest of the buffer is left as it was.
void CopyCut(char* pBuffer, int nSize, const char* pszText, bool bKeepTerminator)
{
    if (!pBuffer || nSize <= 0)
        return;
    if (bKeepTerminator) {
        std::memset(pBuffer, 0, static_cast<size_t>(nSize));
        std::strncpy(pBuffer, pszText ? pszText : "", static_cast<size_t>(nSize - 1));
    } else {
        std::strncpy(pBuffer, pszText ? pszText : "", static_cast<size_t>(nSize));
    }
}

CMailFolderStore* FolderOf(CQuendalApp* pApp, int nFolderId)
{
    return pApp && nFolderId ? pApp->FindFolder(nFolderId) : nullptr;
}

// The index of the mail whose attachment-folder column (the key plug-ins
// use) equals the text; -1 when none does.
int FindMailByKey(CMailFolderStore* pStore, const char* pszKey)
{
    CMailListData* list = pStore && pszKey ? pStore->GetMailList() : nullptr;
    if (!list)
        return -1;
    for (int i = 0; i < list->GetAllRecordCount(); ++i) {
        CMailIndexRecord* r = list->GetMailRecord(i);
        if (r && r->GetText(CMailIndexRecord::colAttachDir) == pszKey)
            return i;
    }
    return -1;
}

CAddressManagerThread* AddressThread(CQuendalApp* pApp)
{
    return pApp ? dynamic_cast<CAddressManagerThread*>(pApp->m_pAddressThread) : nullptr;
}

CMainFrame* Frame(CQuendalApp* pApp)
{
    return pApp && pApp->m_pMainFrame && pApp->m_pMainFrame->m_hWnd ? pApp->m_pMainFrame : nullptr;
}

} // namespace

CQuendalAPI* GetQuendalAPIObject()
{
    return g_pApi;
}

void SetQuendalAPIObject(CQuendalAPI* pApi)
{
    g_pApi = pApi;
}

extern "C" __declspec(dllexport) CQuendalAPI* GetQuendalAPI()
{
    return g_pApi;
}

CQuendalAPI::CQuendalAPI(CQuendalApp* pApp) : m_pApp(pApp)
{
    InitializeCriticalSection(&m_lock);
}

CQuendalAPI::~CQuendalAPI()
{
    if (m_bLockLive)
        DeleteCriticalSection(&m_lock);
}

void CQuendalAPI::Destroy(UINT nFlags)
{
    if (m_bLockLive) {
        DeleteCriticalSection(&m_lock);
        m_bLockLive = false;
    }
    if (g_pApi == this && (nFlags & 1))
        g_pApi = nullptr;
    if (nFlags & 1)
        delete this;
}

CString CQuendalAPI::ProfileSection(const char* pszPlugIn, const char* pszSub)
{
    CString section;
    section.Format("PlugIn\\%s", pszPlugIn ? pszPlugIn : "");
    if (pszSub && *pszSub)
        section += CString("\\") + pszSub;
    return section;
}

CString CQuendalAPI::PlugInFolder()
{
    char path[MAX_PATH * 2] = {};
    GetModuleFileNameA(nullptr, path, sizeof(path) - 1);
    char* cut = std::strrchr(path, '\\');
    CString folder = cut ? CString(path, static_cast<int>(cut - path + 1)) : CString(".\\");
    return folder + "PlugIn\\";
}

HWND CQuendalAPI::GetMainWnd()
{
    CMainFrame* f = Frame(m_pApp);
    return f ? f->m_hWnd : nullptr;
}

int CQuendalAPI::IsSpaceChar(BYTE c, BYTE next)
{
    return c == 9 || c == 32 || (c == 0x81 && next == 0x40) ? 1 : 0;
}

const char* CQuendalAPI::SkipSpaces(const char* pszText)
{
    return pszText ? SkipBlanks(pszText) : pszText;
}

void CQuendalAPI::Reserved()
{
}

int CQuendalAPI::GetProfileInt(const char* pszPlugIn, const char* pszSub, const char* pszKey, int nDefault)
{
    return m_pApp ? m_pApp->GetProfileInt(ProfileSection(pszPlugIn, pszSub), pszKey, nDefault) : nDefault;
}

int CQuendalAPI::GetProfileStringLength(const char* pszPlugIn, const char* pszSub, const char* pszKey)
{
    return m_pApp ? m_pApp->GetProfileString(ProfileSection(pszPlugIn, pszSub), pszKey, "").GetLength() : 0;
}

void CQuendalAPI::GetProfileString(const char* pszPlugIn, const char* pszSub, const char* pszKey,
                                   const char* pszDefault, char* pBuffer, int nSize)
{
    CString text = m_pApp ? m_pApp->GetProfileString(ProfileSection(pszPlugIn, pszSub), pszKey,
                                                      pszDefault ? pszDefault : "")
                          : CString(pszDefault ? pszDefault : "");
    CopyCut(pBuffer, nSize, text, false);
}

void CQuendalAPI::WriteProfileInt(const char* pszPlugIn, const char* pszSub, const char* pszKey, int nValue)
{
    if (m_pApp)
        m_pApp->WriteProfileInt(ProfileSection(pszPlugIn, pszSub), pszKey, nValue);
}

void CQuendalAPI::WriteProfileString(const char* pszPlugIn, const char* pszSub, const char* pszKey,
                                     const char* pszText)
{
    if (m_pApp)
        m_pApp->WriteProfileString(ProfileSection(pszPlugIn, pszSub), pszKey, pszText ? pszText : "");
}

bool CQuendalAPI::GetFileVersion(const char* pszPath, WORD* pMajor, WORD* pMinor, WORD* pThird, WORD* pFourth)
{
    DWORD dummy = 0;
    DWORD size = pszPath ? GetFileVersionInfoSizeA(pszPath, &dummy) : 0;
    if (!size)
        return false;
    std::unique_ptr<BYTE[]> data(new BYTE[size]);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!GetFileVersionInfoA(pszPath, 0, size, data.get()) ||
        !VerQueryValueA(data.get(), "\\", reinterpret_cast<void**>(&info), &len) || !info || len < sizeof(*info))
        return false;
    if (pMajor) *pMajor = HIWORD(info->dwFileVersionMS);
    if (pMinor) *pMinor = LOWORD(info->dwFileVersionMS);
    if (pThird) *pThird = HIWORD(info->dwFileVersionLS);
    if (pFourth) *pFourth = LOWORD(info->dwFileVersionLS);
    return true;
}

bool CQuendalAPI::AddPlugInMenu(HMODULE hPlugIn, LPARAM lValue, UINT nFlags, const char* pszMenu,
                                const char* pszPrompt, QdCommandFunc pfn, LPARAM lValue2, LPARAM lValue3,
                                LPARAM lValue4)
{
    return PlugInHost().AddCommand(hPlugIn, lValue, pszMenu, pszPrompt, pfn, lValue2, lValue3, lValue4, true,
                                   nFlags);
}

bool CQuendalAPI::AddPlugInCommand(HMODULE hPlugIn, LPARAM lValue, const char* pszCommand, QdCommandFunc pfn,
                                   LPARAM lValue3, LPARAM lValue4)
{
    PlugInHost().AddCommand(hPlugIn, lValue, pszCommand, "", pfn, 0, lValue3, lValue4, false, 0);
    return false;  // callers were built against "registered, yet false"
}

int CQuendalAPI::GetAccountId(int nIndex)
{
    CAccountDataSet* set = m_pApp ? m_pApp->m_pAccountDataSet : nullptr;
    if (!set || nIndex < 0 || nIndex >= set->GetRecordCount(TRUE))
        return 0;
    CAccountData* a = set->GetAccount(nIndex);
    return a ? a->m_nIndex : 0;  // accounts are known by their place in the table
}

HANDLE CQuendalAPI::ReceiveAccount(const char* pszAccount, BOOL bFlag1, BOOL bFlag2)
{
    CMainFrame* f = Frame(m_pApp);
    if (!f || !f->m_pTransfer || !pszAccount)
        return nullptr;
    return f->m_pTransfer->ReceiveNamedAccount(pszAccount, bFlag1, bFlag2);
}

void CQuendalAPI::EndReceive()
{
    // Plug-ins call from their own threads; the main window's state is the
    // application thread's.
    CAppThreadCall::Run([&] {
        if (CMainFrame* f = Frame(m_pApp))
            f->OnAppThreadMessage(WM_QD_RECEIVE_FINISHED, 0, 0);
    });
}

HIMAGELIST CQuendalAPI::GetFolderImageList()
{
    return PlugInHost().GetFolderImages();
}

void CQuendalAPI::GetMailBoxFolder(char* pBuffer)
{
    CopyCut(pBuffer, MAX_PATH, m_pApp ? m_pApp->GetMailBoxFolder() : CString(), true);
}

void CQuendalAPI::GetTempFolder(char* pBuffer)
{
    CopyCut(pBuffer, MAX_PATH, m_pApp ? m_pApp->m_strTempFolderPath : CString(), true);
}

bool CQuendalAPI::CreateDirectoryPath(const char* pszPath)
{
    return pszPath && ::CreateDirectoryPath(pszPath);
}

void CQuendalAPI::WriteLog(const char* pszText, BOOL bForce)
{
    if (pszText)
        ::WriteLog(pszText, bForce);
}

int CQuendalAPI::CreateFolder(const char* pszDir, const char* pszName)
{
    if (!m_pApp || !pszDir)
        return 0;
    int id = 0;
    CAppThreadCall::Run([&] { id = m_pApp->CreateTempFolder(pszName, pszDir); });
    return id;
}

bool CQuendalAPI::CopyMailToFolder(int nTarget, const char* pszAccount, int nSource, int nIndex,
                                   QdCopyTextFilter pfnText, QdCopyFlagFilter pfnFlag, QdCopyDone pfnDone,
                                   LPARAM lUser)
{
    CAccountDataSet* accounts = m_pApp ? m_pApp->m_pAccountDataSet : nullptr;
    if (!accounts || !pszAccount || !accounts->FindAccountByName(pszAccount))
        return false;
    BOOL ok = FALSE;
    CAppThreadCall::Run([&] {
        CMailFolderStore* source = FolderOf(m_pApp, nSource);
        ok = source && m_pApp->StoreMailWithAccount(nIndex, nTarget, pszAccount, source, pfnText, pfnFlag, pfnDone,
                                                    lUser);
    });
    return ok != FALSE;
}

bool CQuendalAPI::SendFolderMail(int nFolderId, BOOL bFlag)
{
    return PostSendFolderMail(nFolderId, bFlag) != FALSE;
}

bool CQuendalAPI::ParseMailDate(const char* pszDate, SYSTEMTIME* pTime)
{
    if (!pszDate || !pTime)
        return false;
    int64_t t = ParseDateText(NormalizeDateHeader(pszDate));
    if (t <= 0)
        return false;
    time_t tt = static_cast<time_t>(t);
    struct tm tmv;
    if (localtime_s(&tmv, &tt) != 0)
        return false;
    pTime->wYear = static_cast<WORD>(tmv.tm_year + 1900);
    pTime->wMonth = static_cast<WORD>(tmv.tm_mon + 1);
    pTime->wDayOfWeek = static_cast<WORD>(tmv.tm_wday);
    pTime->wDay = static_cast<WORD>(tmv.tm_mday);
    pTime->wHour = static_cast<WORD>(tmv.tm_hour);
    pTime->wMinute = static_cast<WORD>(tmv.tm_min);
    pTime->wSecond = static_cast<WORD>(tmv.tm_sec);
    pTime->wMilliseconds = 0;
    return true;
}

int CQuendalAPI::GetMailSize(int nFolderId, int nIndex)
{
    CMailFolderStore* s = FolderOf(m_pApp, nFolderId);
    CMailListData* list = s ? s->GetMailList() : nullptr;
    CMailIndexRecord* r = list && nIndex >= 0 && nIndex < list->GetAllRecordCount() ? list->GetMailRecord(nIndex)
                                                                                    : nullptr;
    return r ? r->GetDataLength() : 0;
}

QdMailInfo* CQuendalAPI::GetMailInfo(QdMailInfo* pInfo, int nFolderId, const char* pszKey)
{
    if (!pInfo)
        return pInfo;
    std::memset(pInfo, 0, sizeof(*pInfo));
    pInfo->nIndex = -1;
    try {
        CMailFolderStore* s = FolderOf(m_pApp, nFolderId);
        int index = FindMailByKey(s, pszKey);
        if (index < 0)
            return pInfo;
        CMailIndexRecord* r = s->GetMailList()->GetMailRecord(index);
        pInfo->nIndex = index;
        pInfo->pszKey = r->GetText(CMailIndexRecord::colAttachDir);
        pInfo->pszSubject = r->GetText(CMailIndexRecord::colSubject);
        pInfo->pszFrom = r->GetText(CMailIndexRecord::colFrom);
        pInfo->pszTo = r->GetText(CMailIndexRecord::colTo);
        pInfo->pszCc = r->GetText(CMailIndexRecord::colCc);
        pInfo->pszReceived = r->GetText(CMailIndexRecord::colReceived);
        pInfo->pszDate = r->GetText(CMailIndexRecord::colDate);
    } catch (const CException&) {
        std::memset(pInfo, 0, sizeof(*pInfo));
        pInfo->nIndex = -1;
    }
    return pInfo;
}

bool CQuendalAPI::GetMailData(int nFolderId, int nIndex, char* pBuffer, int nLength)
{
    try {
        CMailFolderStore* s = FolderOf(m_pApp, nFolderId);
        CMailListData* list = s ? s->GetMailList() : nullptr;
        if (!list || !pBuffer || nLength < 0 || nIndex < 0 || nIndex >= list->GetAllRecordCount())
            return false;
        CMailIndexRecord* r = list->GetMailRecord(nIndex);
        // Never more than the mail holds: the rest of the data file is another mail's.
        if (!r || nLength > r->GetDataLength())
            return false;
        return s->ReadMailData(pBuffer, r->GetDataOffset(), nLength) != FALSE;
    } catch (const CException&) {
        return false;
    }
}

void CQuendalAPI::SelectMail(int nFolderId, const char* pszKey)
{
    CAppThreadCall::Run([&] {
        try {
            CMainFrame* f = Frame(m_pApp);
            int index = FindMailByKey(FolderOf(m_pApp, nFolderId), pszKey);
            if (f && index >= 0)
                f->SelectFolderAndMail(nFolderId, index);
        } catch (const CException&) {
        }
    });
}

bool CQuendalAPI::OpenMail(int nFolderId, const char* pszKey, BOOL bSelect)
{
    bool opened = false;
    CAppThreadCall::Run([&] {
        try {
            CMailFolderStore* s = FolderOf(m_pApp, nFolderId);
            int index = FindMailByKey(s, pszKey);
            if (index < 0)
                return;
            if (bSelect)
                SelectMail(nFolderId, pszKey);
            if (s->GetKind() == 5 || s->IsInWritingFolder())
                opened = m_pApp->OpenMailEditor(-1, s, index, 0, "", "", "", "", "", 0, 0, TRUE, 0) != FALSE;
            else
                opened = OpenMailViewer(s, index, nullptr) != FALSE;
        } catch (const CException&) {
        }
    });
    return opened;
}

int CQuendalAPI::SelectFolderDialog(const char* pszCaption, int nInitialId)
{
    if (!m_pApp)
        return 0;
    int chosen = 0;
    CAppThreadCall::Run([&] {
        CDlgSelectFolder dlg(Frame(m_pApp));
        dlg.m_strTitle = pszCaption ? pszCaption : "";
        dlg.m_nPreselectId = nInitialId ? nInitialId : m_pApp->GetCurrentFolderId();
        chosen = dlg.DoModal() == IDOK ? dlg.m_nSelectedId : 0;
    });
    return chosen;
}

void CQuendalAPI::GetFolderName(int nFolderId, char* pBuffer, int nSize)
{
    CMailFolderStore* s = FolderOf(m_pApp, nFolderId);
    CopyCut(pBuffer, nSize, s ? s->GetFolderName().GetString() : "", true);
}

int CQuendalAPI::GetSequenceNumber()
{
    EnterCriticalSection(&m_lock);
    int n = ++m_nSequence;
    LeaveCriticalSection(&m_lock);
    return n;
}

void CQuendalAPI::ShowAddressBook(HWND hParent, HWND, int)
{
    // The plain modal address book (kind 5).
    if (m_pApp)
        m_pApp->OpenAddressBook(hParent ? CWnd::FromHandle(hParent) : nullptr, 5);
}

void CQuendalAPI::SelectAddress(HWND hParent, char* pBuffer, int nSize, int)
{
    CopyCut(pBuffer, nSize, "", true);
    CopyCut(pBuffer, nSize, PickAddressText(hParent), true);
}

void CQuendalAPI::GetMailAddress(const char* pszText, char* pBuffer, int nSize)
{
    CopyCut(pBuffer, nSize, ExtractMailAddress(pszText ? pszText : ""), true);
}

void CQuendalAPI::GetDisplayName(const char* pszText, char* pBuffer, int nSize)
{
    CopyCut(pBuffer, nSize, ExtractDisplayName(pszText ? pszText : ""), true);
}

int CQuendalAPI::GetPlugInFolder(char* pBuffer, int nSize)
{
    CString folder = PlugInFolder();
    CopyCut(pBuffer, nSize, folder, true);
    return folder.GetLength();
}

void CQuendalAPI::FillAccountAddressCombo(HWND hCombo)
{
    if (hCombo)
        ::FillAccountAddressCombo(hCombo);
}

bool CQuendalAPI::EnumHeaderFields(const char* pszText, LPARAM lUser, QdHeaderFieldFunc pfn)
{
    if (!pszText)
        return false;
    CMailMessage message;
    if (!message.ParseHeaderText(pszText))
        return false;
    for (int i = 0; pfn && i < message.GetHeaderCount(); ++i) {
        CMailHeader* h = message.GetHeaderAt(i);
        if (!pfn(h->m_strName, h->m_strValue, lUser))
            break;
    }
    return true;
}

bool CQuendalAPI::GetHeaderField(const char* pszText, const char* pszName, char* pBuffer, int nSize)
{
    if (!pszText || !pszName)
        return false;
    CMailMessage message;
    if (!message.ParseHeaderText(pszText))
        return false;
    for (int i = 0; i < message.GetHeaderCount(); ++i) {
        CMailHeader* h = message.GetHeaderAt(i);
        if (h->m_strName.CompareNoCase(pszName) == 0) {
            CopyCut(pBuffer, nSize, h->m_strValue, false);
            return true;
        }
    }
    CopyCut(pBuffer, nSize, "", false);
    return true;
}

void CQuendalAPI::GetMD5String(const char* pszText, char* pBuffer)
{
    if (pBuffer)
        GetMD5HexString(pszText ? pszText : "", pBuffer);
}

int CQuendalAPI::ShowPlugInHelp(const char* pszFile, UINT nCommand, DWORD_PTR dwData)
{
    if (!pszFile || !*pszFile)
        return 0;
    CString path = PlugInFolder() + pszFile;
    DWORD attr = GetFileAttributesA(path);
    if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    return ::WinHelpA(GetDesktopWindow(), path, nCommand, dwData) ? 1 : 0;
}

bool CQuendalAPI::AddAddress(int nGroupId, const char* pszName, const char* pszAddress, const char* pszMemo,
                             const char* pszIcon)
{
    CAddressManagerThread* t = AddressThread(m_pApp);
    if (!t)
        return false;
    CString path;
    {
        CSingleLock hold(&t->GetLock(), TRUE);
        const char* p = t->GetGroupFilePath(nGroupId);
        path = p ? p : "";
    }
    if (path.IsEmpty())
        return false;
    CAddressDataSet set;
    set.SetFilePath(path);
    std::unique_ptr<CAddressData> entry(new CAddressData);
    entry->m_strAddress = pszAddress ? pszAddress : "";
    entry->m_strName = pszName ? pszName : "";
    entry->m_strMemo = pszMemo ? pszMemo : "";
    entry->m_strIconName = pszIcon ? pszIcon : "IconDefault";
    if (!set.AppendRecordToFile(entry.get()))
        return false;
    t->PostThreadMessage(WM_QD_ADDRESS_CHANGED, 0, 0);
    return true;
}

void* CQuendalAPI::FindAddressGroup(const char* pszGroup)
{
    CAddressManagerThread* t = AddressThread(m_pApp);
    if (!t || !pszGroup)
        return nullptr;
    CSingleLock hold(&t->GetLock(), TRUE);
    return t->FindGroup(pszGroup);
}

bool CQuendalAPI::CheckAddressInGroup(const char* pszReference, const char* pszText)
{
    CString group = UnwrapMarkerText(pszReference);
    CAddressManagerThread* t = AddressThread(m_pApp);
    if (group.IsEmpty() || !t)
        return false;
    CString upper(pszText ? pszText : "");
    _mbsupr(reinterpret_cast<unsigned char*>(upper.GetBuffer(upper.GetLength())));
    upper.ReleaseBuffer();
    CSingleLock hold(&t->GetLock(), TRUE);
    CAddressGroup* g = t->FindGroup(group);
    return g && IsAddressInGroup(g, upper);
}

int CQuendalAPI::GetGroupName(const char* pszReference, char* pBuffer, int nSize)
{
    CString group = UnwrapMarkerText(pszReference);
    if (pBuffer && nSize > 0) {
        std::memset(pBuffer, 0, static_cast<size_t>(nSize));
        std::strncpy(pBuffer, group, static_cast<size_t>(nSize));
    }
    return group.GetLength();
}

void CQuendalAPI::EnumGroupAddresses(const char* pszGroup, QdGroupAddressFunc pfn, LPARAM lValue, LPARAM lUser)
{
    CAddressManagerThread* t = AddressThread(m_pApp);
    if (!t || !pszGroup || !pfn)
        return;
    CSingleLock hold(&t->GetLock(), TRUE);
    CAddressGroup* g = t->FindGroup(pszGroup);
    if (!g)
        return;
    for (const auto& m : g->m_members)
        pfn(m->m_strName, m->m_strAddress, m->m_strMemo, lValue, lUser);
}
