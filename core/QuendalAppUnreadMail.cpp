// Unread-mail counts published to the shell's logon screen.
#include "core/QuendalApp.h"
#include "core/MiscUtil.h"

#include "store/FolderRecord.h"
#include "store/MailFolderStore.h"

#include <string>

namespace {

HRESULT PublishThroughShell(const wchar_t* pszAddress, DWORD dwCount, const wchar_t* pszCommand)
{
    typedef HRESULT(WINAPI * SetCountFn)(LPCWSTR, DWORD, LPCWSTR);
    // Bound at start-up on Windows XP and later only.
    CQuendalApp* app = QuendalApp();
    SetCountFn fn = app ? app->m_pfnSHSetUnreadMailCountW : nullptr;
    return fn ? fn(pszAddress, dwCount, pszCommand) : E_NOTIMPL;
}

UnreadMailPublisher g_publisher = PublishThroughShell;

const char kUnreadMailKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\UnreadMail";

} // namespace

UnreadMailPublisher SetUnreadMailPublisher(UnreadMailPublisher publisher)
{
    UnreadMailPublisher old = g_publisher;
    g_publisher = publisher ? publisher : PublishThroughShell;
    return old;
}

void CQuendalApp::UpdateUnreadMailRegistry()
{
    // Only this program's own entries are removed: their value "Application"
    // names this program.
    DeleteRegistrySubKeys(HKEY_CURRENT_USER, kUnreadMailKey, TRUE, "Application", "Corvane Mail");

    int mode = GetProfileInt("Setting", "DisplayUnReadMail", 0);
    if (mode == 0)
        return;
    std::wstring command = ProgramFilePath().ToWide();
    CStringArray names;
    CDWordArray counts;
    CollectUnreadCounts(mode, names, counts);
    for (int i = 0; i < names.GetSize(); ++i) {
        if (names[i].IsEmpty())
            continue;
        g_publisher(names[i].ToWide().c_str(), counts[i], command.c_str());
    }
}

void CQuendalApp::CollectUnreadCounts(int nMode, CStringArray& names, CDWordArray& counts)
{
    names.RemoveAll();
    counts.RemoveAll();
    DWORD total = 0;
    for (int i = 0; i < GetFolderCount(); ++i) {
        CMailFolderStore* store = GetFolderAt(i);
        if (!store || (store->GetKind() != 0 && store->GetKind() != 1))
            continue;
        int unread = store->GetUnreadCount();
        if (unread < 0)
            unread = 0;
        total += static_cast<DWORD>(unread);
        if (nMode == 2 && unread > 0 && !store->GetFolderRecord().m_bIgnoreUnread) {
            names.Add(store->GetFolderName());
            counts.Add(static_cast<DWORD>(unread));
        }
    }
    if (nMode == 1) {
        names.Add("Corvane Mail");
        counts.Add(total);
    }
}
