// CMailEditFrame: the top-level window of one editor window. It routes the
// editor's commands through its message map (menu, keys, the two toolbars
// and the body's context menu), keeps its placement, runs the automatic
// backup, locks itself behind the mailbox password while minimised, and
// sends or stores the mail through one routine, SendOrSave, whose job ends
// in OnSendResult. The main toolbar holds the sending account's box and the
// busy animation; the format toolbar, shown for HTML mail only, the font
// boxes.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/FrameWnd.h"
#include "classlib/ImageList.h"
#include "classlib/StatusBar.h"
#include "classlib/ToolBar.h"
#include "core/BusyAnimateCtrl.h"
#include "core/FontNameComboBox.h"
#include "editor/DlgSendProgress.h"
#include "editor/EditorLock.h"
#include "editor/FormatButtonState.h"

#include <shellapi.h>

class CAccountData;
class CMailEditThread;
class CMailEditView;
class CMailFolderStore;
class CMailSendThread;

class CMailEditFrame : public CFrameWnd
{
public:
    enum { timerSendWait = 50, timerAutoBackup = 70 };

    CMailEditFrame();
    ~CMailEditFrame() override;

    // Creates the window at its placement (offset by the cascade number).
    BOOL Create(CMailEditThread* pThread, int nCascade);
    CMailEditView* GetView() const { return m_pView; }

    // Sends (0), puts into the outbox (1), saves into the drafts (2),
    // writes a file (3) or makes the automatic backup (4); false when it
    // stopped before a job started.
    BOOL SendOrSave(int nMode, const char* pszPath = nullptr);
    void OnSendResult(int nResult, int nIndex);
    void EndBusy();
    void FillReplyToFromAccount();
    void ArmAutoBackup();

    // Application shut-down: the save prompt loses its Cancel and the
    // window closes.
    void CloseForShutdown();
    // Restores the window (asking the mailbox password when it is locked)
    // and brings it to the front.
    void RestoreAndActivate();
    void CenterAndActivate();
    // The body in the user's own text editor (setting "EditorPath").
    void RunExternalEditor();
    void RunExternalHtmlEditor();
    // The window closes without asking (a mail that could not be loaded).
    void CloseWithoutPrompt();

    bool IsBusy() const { return m_bBusy; }

    // Pastes the clipboard in a format (0: the first it offers); quoted
    // text gets the quotation mark before every line.
    void PasteAs(UINT nFormat, bool bQuoted);
    // Adds every dropped file to the attachments; folders are refused.
    bool AttachDroppedFiles(HDROP hDrop);
    static CString QuoteLines(const char* pszText, const char* pszMark);
    // The read-receipt and body-as-archive icons of the status bar.
    void UpdateIndicators();
    bool IsLocked() const { return m_passwordLock.IsLocked(); }
    // The format toolbar goes with HTML mail.
    void ShowFormatBar(bool bShow);
    // The automatic signature by the rules, the folder's and the account's.
    void ApplyAutoSignature();
    // The value message 1422 last set (the key assignment's icon command).
    UINT GetToolBarState() const { return m_nToolBarState; }

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL OnCreateClient(LPCREATESTRUCTA lpcs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnClose();
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();
    void OnSize(UINT nType, int cx, int cy);
    void OnSysCommand(UINT nID, LPARAM lParam);
    LRESULT OnActivateApp(WPARAM wParam, LPARAM lParam);
    LRESULT OnSendResultMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnContextMenuMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnBoxChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnHtmlDocumentComplete(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetToolBarState(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    CAccountData* CurrentAccount() const;
    // The commands of the message map.
    void OnSendCommand();
    void OnOutboxCommand();
    void OnCancelSend();
    void OnSaveCommand();
    void OnSaveAsCommand();
    void OnCloseCommand();
    void OnSendInfoCommand();
    void OnPasteFormat();
    void OnPasteCommand();
    void OnQuotedPaste();
    void OnCopyCommand();
    void OnCutCommand();
    void OnUndoCommand();
    void OnRedoCommand();
    void OnSelectAll();
    void OnShowBcc();
    void OnAttachCommand();
    void OnReadReceipt();
    void OnBodyArchive();
    void OnHtmlMail();
    void OnHtmlLoadFile();
    void OnSelectAccount();
    void OnSelectSignature();
    void OnFocusReplyTo();
    void OnAddressBook();
    void OnTemplateCommand();
    void OnAutoSignatureCommand();
    void OnSignatureAtCaret();
    void OnSignatureList();
    void OnAutoSignatureRules();
    void OnOpenSourceMail();
    void OnSelectSourceMail();
    void OnQuoteHeader();
    void OnEditorSettings();
    void OnFontColorSettings();
    void OnReplaceCommand();
    void OnGotoLine();
    void OnHelpCommand();
    void OnNextField();
    void OnFormatCommand(UINT nID);
    void OnUpdateSend(CCmdUI* pCmdUI);
    void OnUpdateNotBusy(CCmdUI* pCmdUI);
    void OnUpdateCancelSend(CCmdUI* pCmdUI);
    void OnUpdateShowBcc(CCmdUI* pCmdUI);
    void OnUpdateReadReceipt(CCmdUI* pCmdUI);
    void OnUpdateBodyArchive(CCmdUI* pCmdUI);
    void OnUpdateHtmlMail(CCmdUI* pCmdUI);
    void OnUpdateReplace(CCmdUI* pCmdUI);
    void OnUpdatePaste(CCmdUI* pCmdUI);
    void OnUpdateQuotedPaste(CCmdUI* pCmdUI);
    void OnUpdateFormat(CCmdUI* pCmdUI);
    // The focus and caret commands of the editor's keys.
    void OnBodyCommand(UINT nId);
    BOOL CreateStatusBar();
    BOOL CreateToolBars();
    BOOL CreateFormatBar();
    // The animation sits at the main toolbar's right end.
    void PlaceAnimation();
    void PlayAnimation(bool bPlay);
    LRESULT OnDropFilesMessage(WPARAM wParam, LPARAM lParam);
    // The stored copies this editor replaces, deleted by the application thread.
    void DeleteStoredCopy(CMailFolderStore* pStore, int nIndex);
    // Tasks linked to the stored copy follow the mail to its new copy.
    void RelinkTasks(CMailFolderStore* pOldStore, int nOldIndex, CMailFolderStore* pNewStore, int nNewIndex);
    void DiscardBackup();
    int Box(const char* pszText, UINT nType);
    int Box(UINT nId, UINT nType);
    BOOL StartSendOrSave(int nMode, const char* pszPath);
    // A close asked for while the frame was busy goes on once it is not.
    void ResumePendingClose();

    CMailEditThread* m_pThread = nullptr;
    CMailEditView* m_pView = nullptr;
    int m_nCascade = 0;
    CCriticalSection m_lock;
    bool m_bBusy = false;
    bool m_bWaitingToSend = false;
    bool m_bSendCancelled = false;
    bool m_bCloseAfterSave = false;
    bool m_bSaveAsked = false;
    bool m_bCloseWithoutPrompt = false;
    bool m_bClosePending = false;
    bool m_bJobRunning = false;  // a send thread has the job, its result not yet in
    bool m_bCancelAllowed = true;
    int m_nSavedOnce = -1;
    int m_nLastMode = -1;
    int m_nLastAccount = -1;
    CMailFolderStore* m_pLastTarget = nullptr;
    CMailSendThread* m_pSendThread = nullptr;
    HANDLE m_hSendThread = nullptr;
    CDlgSendProgress m_progress;
    CString m_strSenderNameOverride, m_strSenderAddressOverride;
    CString m_strResultText;
    bool m_bAutoBackup = false;
    bool m_bBodyAsArchive = false;
    CEditorLock m_passwordLock;
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;
    CToolBar m_wndFormatBar;
    CFormatButtonState m_formatState;
    CColoredComboBox m_accountBox;
    CFontNameComboBox m_fontNameBox;
    CColoredComboBox m_fontSizeBox;
    CBusyAnimateCtrl m_animation;
    HFONT m_hBoxFont = nullptr;
    HBITMAP m_hToolBarImages = nullptr;  // the user's toolbar bitmap, owned
    CImageList m_toolBarPictures;        // the program's own, without one
    CImageList m_formatBarPictures;
    UINT m_nToolBarState = 0;
};
