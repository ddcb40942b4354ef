// The application's entry to the address book window.
#include "addressbook/AddressDataSet.h"
#include "addressbook/AddressGroupDataSet.h"
#include "addressbook/AddressManagerThread.h"
#include "addressbook/DlgAddressNote.h"
#include "core/QuendalApp.h"

#include <map>
#include <mutex>

namespace {

// The modeless windows opened here, by the window of their caller (the
// owner editor, else the parent, else none), so that a second request of
// the same caller brings its window back instead of opening another.
std::mutex g_windowsLock;
std::map<HWND, HWND> g_windows;

HWND OpenWindowOf(HWND caller)
{
    std::lock_guard<std::mutex> hold(g_windowsLock);
    auto it = g_windows.find(caller);
    if (it == g_windows.end())
        return nullptr;
    if (!IsWindow(it->second)) {
        g_windows.erase(it);
        return nullptr;
    }
    return it->second;
}

} // namespace

CDlgAddressNote* CQuendalApp::OpenAddressBook(CWnd* pParent, int nKind, const CAddressRecipientTargets* pTargets,
                                              RECT* pKeepRect, const char* pszName, const char* pszAddress,
                                              const char* pszMemo)
{
    if (nKind == 5) {
        CDlgAddressNote dlg(pParent);
        dlg.DoModal();
        return nullptr;
    }
    CAddressRecipientTargets targets = pTargets ? *pTargets : CAddressRecipientTargets();
    HWND caller = targets.hOwnerEditor ? targets.hOwnerEditor : (pParent ? pParent->m_hWnd : nullptr);
    CDlgAddressNote* note = nullptr;
    if (HWND open = OpenWindowOf(caller))
        note = dynamic_cast<CDlgAddressNote*>(CWnd::FromHandlePermanent(open));
    if (!note) {
        note = new CDlgAddressNote;
        note->m_bDeleteOnDestroy = TRUE;
        if (!note->CreateModeless(pParent, pKeepRect, targets)) {
            delete note;
            return nullptr;
        }
        std::lock_guard<std::mutex> hold(g_windowsLock);
        g_windows[caller] = note->m_hWnd;
    }
    note->ShowFirstTime();
    if (note->IsIconic())
        note->ShowWindow(SW_RESTORE);
    note->SetForegroundWindow();
    if ((pszName && *pszName) || (pszAddress && *pszAddress) || (pszMemo && *pszMemo)) {
        note->SetPresetAddress(pszName, pszAddress, pszMemo);
        note->PostMessage(CDlgAddressNote::WM_ADD_PRESET_ADDRESS);
    }
    return note;
}

BOOL CQuendalApp::AddJunkMailAddress(const char* pszAddress, const char* pszName, const char* pszMemo)
{
    if (!pszAddress || !*pszAddress)
        return FALSE;
    CAddressGroupDataSet groups;
    CAddressManagerThread::ReadGroupList(*this, groups);
    for (int i = 0; i < groups.GetRecordCount(TRUE); ++i) {
        CAddressGroupData* group = groups.GetGroup(i);
        if (!group || group->m_strName != CAddressManagerThread::kJunkGroupName)
            continue;
        CAddressData entry;
        entry.m_strAddress = pszAddress;
        entry.m_strName = pszName ? pszName : "";
        entry.m_strMemo = pszMemo ? pszMemo : "";
        CAddressDataSet file;
        file.SetFilePath(groups.GetAbsolutePath(group));
        if (!file.AppendRecordToFile(&entry))
            return FALSE;
        PostAddressBookChanged();
        return TRUE;
    }
    return FALSE;
}
