// CMailEditView: the form of an editor window: To, Cc and Bcc, subject,
// priority, signature and Reply-To, the body, and the list of attached
// files; the sending account's box, which the frame's toolbar holds. It shows what a CMailEditData holds (filled by the
// composer for replies, forwards, stored mails and templates) and gives the
// frame's send and save routine the fields back.
#pragma once

#include "classlib/FormView.h"
#include "editor/AddressEdit.h"
#include "editor/AttachListCtrl.h"
#include "editor/AttachmentCompressor.h"
#include "editor/BodySignature.h"
#include "editor/HtmlBodyMode.h"
#include "editor/MailEditCtrl.h"
#include "editor/MailEditComposer.h"
#include "editor/MailEditData.h"
#include "html/QHtmlEditView.h"
#include "mainwnd/MailObjectBlock.h"

#include <memory>
#include <vector>

class CMailFolderStore;

class CMailEditView : public CFormView
{
public:
    // From the HTML editing view once its document is loaded; passed on to the frame.
    static const UINT kMsgHtmlDocumentComplete = WM_USER + 101;

    CMailEditView();
    ~CMailEditView() override;

    void OnInitialUpdate() override;

    // Fills the view from a stored mail (reply, forward, re-edit...).
    bool SetMailData(int nIndex, CMailFolderStore* pStore, int nMailKind, const char* pszSelText, int nForwardMethod);
    bool ApplyTemplate(const char* pszPath, int nIndex, CMailFolderStore* pStore, int nMailKind, bool bClearAddresses);

    CString GetTo() const { return GetFieldText(1001); }
    CString GetCc() const { return GetFieldText(1002); }
    CString GetBcc() const { return GetFieldText(1006); }
    CString GetSubject() const { return GetFieldText(1003); }
    void SetTo(const char* psz) { SetFieldText(1001, psz); }
    void SetCc(const char* psz) { SetFieldText(1002, psz); }
    void SetBcc(const char* psz);
    void SetSubject(const char* psz) { SetFieldText(1003, psz); }
    CString GetBody() const;
    void SetBody(const char* pszText);
    // Empty when the list shows "送信するアドレス".
    CString GetReplyTo() const;
    void SelectReplyTo(const char* pszAddress);
    CString GetPriorityHeaderBlock() const;
    void SelectPriority(int nEntry);
    CString GetSignatureName() const;
    // Replaces the signature in the body (or inserts it at the caret).
    void InsertSignature(const char* pszName, bool bKeepPosition);
    // For "自動": the rules choose the signature; done once per mail.
    void ApplyAutoSignature(const char* pszFolderSign, const char* pszAccountSign);
    bool IsAutoSignatureDone() const { return m_bAutoSignDone; }

    // The box that chooses the sending account (on the frame's toolbar);
    // filled with the accounts when the view is first updated.
    void SetAccountBox(HWND hBox) { m_hAccountBox = hBox; }
    // The sending account: its index in the application's table now, -1
    // when none is chosen or the chosen one is no longer there.
    int GetAccountIndex() const;
    // The name the box shows (empty for none).
    CString GetAccountName() const;
    // The box names an account that the account dialog has deleted since.
    bool IsAccountGone() const;
    void SelectAccountIndex(int nIndex);
    void SelectAccountName(const char* pszName);
    // The accounts of the table as it is now, the one chosen kept when it is
    // still there (else none is chosen).
    void FillAccountList();
    // By name; else by one of the addresses of the list.
    void SelectAccount(const char* pszName, const char* pszAddresses);

    void AddAttachmentFile(const char* pszPath, bool bTemporary);
    // Mails dragged or pasted from the mail list, each attached as a
    // temporary .eml file; the number attached.
    int AttachMails(IDataObject* pData);
    int AttachMailObject(HGLOBAL hBlock);
    int AttachMailRefs(const std::vector<MailObjectBlock::MailRef>& mails);
    CMailEditCtrl& GetBodyCtrl() { return m_body; }
    void GetAttachments(CStringArray& files) const;
    void AttachByDialog();
    // The compress command: the dialog, then the packing.
    void CompressAttachments();
    // The archives the compress command made that go after sending.
    void DeleteCreatedArchives();
    CAttachListCtrl& GetAttachList() { return m_attachList; }
    bool IsToOnly() const;
    // After the mail was stored anew: a list that showed the old stored
    // copy's attachment folder (and an HTML part from it) follows the new
    // copy's folder, since the old copy goes.
    void FollowStoredCopy(const char* pszNewAttachFolder);

    // HTML mail: the HTML editing view takes the body's place. Showing it
    // the first time creates it; where that fails the user is told why and
    // the mail stays text. A path is an HTML file to show; bLoad without a
    // path loads the empty edit page.
    bool ShowHtmlPane(bool bShow, const char* pszPath, bool bLoad, bool bModified);
    bool IsHtmlMode() const { return m_bodyMode.IsHtml(); }
    // The HTML view is in the body's place (HTML mail, not text-edited).
    bool ShowsHtmlView() const { return m_bodyMode.ShowsHtmlView(); }
    bool IsHtmlTextEditing() const { return m_bodyMode.IsTextEditing(); }
    // The HTML view carries out formatting: it is shown and an engine
    // stands behind it, not the read-only text pane.
    bool HtmlViewFormats() const;
    // Switches HTML mail on or off; false when the mode did not change.
    bool ToggleHtmlMode();
    // Text-edit of an HTML mail: the text body in the HTML view's place,
    // first made from the HTML when the user wants; off again, the HTML
    // view comes back.
    void ToggleHtmlTextEdit();
    // The HTML view's source in a window of its own.
    void ShowHtmlSource();
    CString GetHtmlText() const;
    CString GetHtmlBodyText() const;
    // What an HTML mail carries as its text part: the text body once the
    // user text-edited it, else the HTML's own text.
    CString GetHtmlTextPart() const;
    // An HTML mail whose text part the user left empty in text-edit; it can
    // be made from the HTML before sending.
    bool LacksHtmlTextPart() const;
    void MakeHtmlTextPart();
    // A command of the format toolbar on the HTML editing view; its pop-ups
    // drop below the command's button of that toolbar.
    void RunFormatCommand(UINT nID, HWND hFormatBar);
    // The font boxes of the format toolbar: a face name and a size (0-6, -1 none).
    void SetHtmlFont(const char* pszFace, int nSizeIndex);
    // The frame's font boxes and what shows the format at the caret.
    void SetHtmlFormatControls(CComboBox* pFontName, CComboBox* pFontSize, CHtmlFormatReceiver* pReceiver);
    // Once per loaded HTML mail: whether it was loaded since the last call.
    bool TakeHtmlEditorRequest();
    const CString& GetHtmlPath() const { return m_strHtmlPath; }
    // The external HTML editor: its file (made once, used again by later
    // runs) and its run, during which the body is disabled. The end of the
    // run loads the file into the HTML view, unless the editor never started.
    const CString& GetHtmlTempFile() const { return m_strHtmlTempFile; }
    bool IsHtmlEditedExternally() const { return m_bHtmlEditedExternally; }
    void BeginExternalHtmlEdit(const char* pszFile);
    void EndExternalHtmlEdit(bool bStarted);
    // The window that holds the body now: the HTML view in HTML mode, else
    // the text body.
    HWND GetBodyWindow() const;
    // Whether the text body was changed (its own modify flag).
    bool IsBodyModified() const;

    bool IsModified() const;
    void SetModified(bool bModified);
    // One line, blank after trimming.
    bool IsBodyEmpty() const;
    CString GetSelectedBodyText() const;
    // A template's text at the caret, its fields as the template sets them.
    bool InsertTemplate(const char* pszPath, int nMailKind);
    // The signature names from the signature folder again.
    void FillSignatureList();
    // The editor settings again (wrapping, fonts, colours), laid out anew.
    void ApplyEditorSettings();
    void ToggleBcc();
    // The character count dialog of the mail as it stands.
    void ShowCharCount();
    // The find dialog over the body.
    void FindInBody();
    CAddressEdit* AddressField(int nId);
    bool IsBccShown() const { return m_bBccShown; }
    void FocusField(int nId);
    void RecalcLayout();
    // The width the reply-to list needs to show its first entry whole.
    int ReplyToNeededWidth() const;
    // The address book window beside this editor, its double-click filling
    // To, CC or BCC (0-2) or, with -1, its own choice; an open one is
    // brought back and retargeted.
    void OpenAddressBook(int nField);
    // Closes the address book window of this editor as its Cancel does.
    void CloseAddressBook();

    int m_nMailKind = -1;
    int m_nForwardMethod = -1;
    bool m_bReadReceipt = false;
    CMailEditData m_data;
    CMailEditComposer m_composer;

    // The editor's keys come before the form's dialog keys (which take every key).
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnSize(UINT nType, int cx, int cy);
    HBRUSH OnCtlColor(HDC hDC, HWND hWnd, UINT nCtlColor);
    // The input method as the settings ask when a header field gets the
    // focus: off for addresses, on for the subject.
    void OnFieldFocus(int nId);
    LRESULT OnAddressTextChanged(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    CString GetFieldText(int nId) const;
    void SetFieldText(int nId, const char* psz);
    // The composer's result into the controls.
    void ShowData();
    void FillPriorityList();
    // What the editor settings say of the header and attachment area: the
    // list's place, the input method, the plain buttons, the colours and
    // the font of the address and subject fields.
    void LoadLookSettings();
    void FillReplyToList();

    LRESULT OnAttachListChanged(WPARAM, LPARAM);
    LRESULT OnHtmlDocumentComplete(WPARAM, LPARAM);
    // The view's own commands (menu and keys of the frame route them here).
    void OnAddressCommand(UINT nID);
    void OnAddressKeyCommand(UINT nID);
    void OnFindNext();
    void OnScrollCommand(UINT nID);
    void ShowFrameFormatBar(bool bShow);
    // Shows the HTML view or the text body in the body's place, as the
    // mode says, and focuses it.
    void ShowBodyPane();
    void OnUpdateHtmlSource(CCmdUI* pCmdUI);
    void OnUpdateHtmlTextEdit(CCmdUI* pCmdUI);

    CMailEditCtrl m_body;
    CAddressEdit m_to, m_cc, m_bcc;
    CStringArray m_tempMailFiles;  // dropped mails exported for attaching; deleted with the view
    CBodySignature m_signature;
    CAttachListCtrl m_attachList;
    static const int kHtmlViewId = 1312;
    std::unique_ptr<CQHtmlEditView> m_pHtmlView;
    CHtmlBodyMode m_bodyMode;
    bool m_bHtmlReloadPending = false;  // a new page's text goes into the text-edited body
    bool m_bStoredTextPartPending = false;  // a stored HTML mail's text part is weighed once its page is loaded
    CString m_strHtmlPath;
    CString m_strHtmlTempFile;
    bool m_bHtmlEditedExternally = false;
    CString m_strFindText;
    CStringArray m_findHistory;
    CString m_strAttachDialogFolder;  // where the attach dialog starts (a template's folder)
    std::vector<CreatedArchive> m_createdArchives;
    bool m_bCompressDone = false;
    bool m_bBccShown = false;
    bool m_bChanged = false;
    bool m_bAutoSignDone = false;
    HWND m_hAddressNote = nullptr;  // the address book window opened from here
    HWND m_hAccountBox = nullptr;
    CComboBox* m_pFontNameBox = nullptr;  // the frame's, for the HTML view
    CComboBox* m_pFontSizeBox = nullptr;
    CHtmlFormatReceiver* m_pFormatReceiver = nullptr;
    bool m_bHtmlEditorRequested = false;  // an HTML mail was loaded from a file
    int m_nLoading = 0;  // while set, control changes are not the user's
    bool m_bFileListBottom = false;  // the attachment list under the body
    bool m_bAddressImeOff = true;
    bool m_bSubjectImeOn = true;
    COLORREF m_crText = 0, m_crBack = 0;
    HBRUSH m_hBackBrush = nullptr;  // of m_crBack, owned
    HFONT m_hFieldFont = nullptr;   // of the address and subject fields, owned
};
