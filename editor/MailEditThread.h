// CMailEditThread: the user-interface thread of one editor window. The
// application fills it through the setters, starts it, and waits until its
// window exists; the thread builds frame, document and view, chooses the
// account and the template, and serves 1403 (the external HTML editor
// ended), 1404 (quit), 1408 (restore and bring to the front), 1424 (centre
// and bring to the front) and 1478 (fonts and colours changed in the
// settings).
#pragma once

#include "classlib/ClassLib.h"
#include "editor/MailEditDoc.h"
#include "mainwnd/MailObjectBlock.h"

class CMailEditFrame;
class CMailEditRequest;
class CMailFolderStore;

class CMailEditThread : public CWinThread
{
public:
    CMailEditThread();
    ~CMailEditThread() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    int Run() override;

    void AddAttachFile(const char* pszPath);
    void AddTempAttachFile(const char* pszPath);
    void SetMailtoAddress(const char* pszTo, const char* pszCc);
    void SetOpenParams(int nIndex, const char* pszBody, int nKind, CMailFolderStore* pStore, const char* pszSubject,
                       int nForwardMethod, int nCascade);
    void SetTemplatePath(const char* pszPath) { m_strTemplatePath = pszPath ? pszPath : ""; }
    void SetBcc(const char* pszBcc) { m_strBcc = pszBcc ? pszBcc : ""; }

    // The folder of the document's mail; 0 for none.
    int GetDocFolderId() const { return m_nFolderId; }
    CMailEditDoc& GetDoc() { return m_doc; }
    CMailFolderStore* GetFolder() const { return m_pFolder; }
    int GetMailKind() const { return m_nKind; }
    // Signalled once the window exists (or the thread gave up).
    HANDLE GetReadyEvent() const { return m_hReady; }

    // Every running editor thread (its own list, for bringing an editor of
    // a stored mail to the front).
    static bool ActivateEditorOf(int nFolderId, int nIndex);
    // Starts one editor for a request; the editor registers itself with the
    // application once its window exists.
    static BOOL StartEditor(const CMailEditRequest& request);
    // The window is going: the editor leaves both registries now, not when
    // its thread has ended, so that nothing counts or activates an editor
    // whose window is gone.
    void OnFrameDestroyed();

    int m_nFolderId = 0;
    // The external HTML editor has ended (wParam 0) or could not start (1).
    static const UINT kHtmlEditorDone = 1403;

protected:
    void OnHtmlEditorDone(WPARAM, LPARAM);
    void OnQuit(WPARAM, LPARAM);
    void OnRestore(WPARAM, LPARAM);
    void OnCenter(WPARAM, LPARAM);
    void OnApplyViewSettings(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    void ChooseTemplate();
    void Unregister();

    CMailEditDoc m_doc;
    CMailEditFrame* m_pFrame = nullptr;
    CMailFolderStore* m_pFolder = nullptr;
    int m_nIndex = -1;
    int m_nKind = -1;
    int m_nForwardMethod = -1;
    int m_nCascade = 0;
    CString m_strBody, m_strSubject, m_strTo, m_strCc, m_strTemplatePath, m_strReceiveAccount;
    CString m_strBcc;
    CStringArray m_attachFiles, m_tempAttachFiles;
    // Kind 4: the mails handed over in a block, attached as mail files.
    std::vector<MailObjectBlock::MailRef> m_handOverMails;
    HANDLE m_hReady = nullptr;
    HWND m_hFrame = nullptr;  // read by other threads under the registry lock: whether the window still stands
    bool m_bRegistered = false;
    bool m_bOle = false;  // on the application's list of editor threads
};

// Installs the editor into the application's seam for opening editors.
void InstallMailEditorHooks();
