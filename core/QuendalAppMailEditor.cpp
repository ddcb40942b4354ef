// Requests to write a mail: every way of opening an editor ends here, and the
// request is parsed before the editor subsystem sees it.
#include "core/QuendalApp.h"

#include "core/AccountDataSet.h"
#include "editor/MailEditThread.h"
#include "store/MailEditRequest.h"
#include "store/MailFolderStore.h"
#include "resources/resource.h"

namespace {
const UINT kNeedAccount = IDS_NEED_ACCOUNT;

// The command line's own origin rides on the trust argument.
const BOOL kFromCommandLine = 2;
}

BOOL CQuendalApp::OpenMailEditor(int nMode, CMailFolderStore* pStore, int nIndex, LPARAM lExtra,
                                 const char* pszAddress, const char* pszSecond, const char* pszOwnText,
                                 const char* pszBody, const char* pszSubject, int nValue1, int nValue2,
                                 BOOL bNoParse, int nEditorFlag, BOOL bTrusted)
{
    if (!m_pAccountDataSet)
        return FALSE;
    if (!m_pAccountDataSet->IsLoaded()) {
        m_pAccountDataSet->SetFilePath(GetAccountFilePath());
        m_pAccountDataSet->ReadFromFile(TRUE);
    }
    if (m_pAccountDataSet->GetRecordCount(TRUE) == 0) {
        AfxMessageBox(kNeedAccount, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }

    MailEditorHooks& hooks = GetMailEditorHooks();
    if (!hooks.pfnStartEditor && !hooks.pfnActivateEditor)
        InstallMailEditorHooks();
    // A forward of several mails is a new mail of its own, even when the
    // first of them is open in an editor.
    if (nMode != 4 && pStore && hooks.pfnActivateEditor && hooks.pfnActivateEditor(pStore, nIndex))
        return TRUE;

    CMailEditRequest request;
    const char* address = pszAddress ? pszAddress : "";
    const char* second = pszSecond ? pszSecond : "";
    if (bNoParse) {
        request.m_bSetAddress = TRUE;
        request.m_strTo = CMailEditRequest::CleanHeaderValue(address);
        request.m_strCc = CMailEditRequest::CleanHeaderValue(second);
    } else {
        CMailEditRequest::Origin origin = bTrusted == kFromCommandLine ? CMailEditRequest::originCommandLine
                                          : bTrusted                   ? CMailEditRequest::originTrusted
                                                                       : CMailEditRequest::originUntrusted;
        request.ParseAddressText(address, second, origin);
    }
    // Texts given directly by the caller fill what the address text left empty.
    if (pszBody && *pszBody && request.m_strBody.IsEmpty())
        request.m_strBody = pszBody;
    if (pszSubject && *pszSubject && request.m_strSubject.IsEmpty())
        request.m_strSubject = CMailEditRequest::CleanHeaderValue(pszSubject);
    if (nMode == 4)
        request.m_lExtra = lExtra;
    request.m_strOwnText = pszOwnText ? pszOwnText : "";
    request.m_nMode = nMode;
    request.m_pStore = pStore;
    request.m_nIndex = nIndex;
    request.m_nValue1 = nValue1;
    request.m_nValue2 = nValue2;
    request.m_nEditorFlag = nEditorFlag;
    return hooks.pfnStartEditor ? hooks.pfnStartEditor(request) : FALSE;
}

void CQuendalApp::OpenMailEditor(const char* pszText)
{
    // A mailto link clicked on a web page arrives here too: it may name
    // files to attach only as plain words, never through "attach=".
    OpenMailEditor(-1, nullptr, -1, 0, pszText, "", "", "", "", 0, 0, FALSE, 0, kFromCommandLine);
}

void CQuendalApp::DeleteEditedMail(int nFolderId, int nIndex)
{
    CMailFolderStore* store = FindFolder(nFolderId);
    if (!store || !store->GetMailList())
        return;
    if (store->DeleteMail(nIndex))
        store->PostCountMessages();
}
