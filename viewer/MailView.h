// CMailView: the pane that shows one mail: a header block (subject, sender,
// date line, recipients, Cc), the body in the colour text view or, for HTML
// mail where an HTML engine exists, in the browser control, and the list of
// the mail's attachment files. It also decides when a shown mail counts as
// read and asks whether a requested read notification is to be sent.
//
// One instance is the lower-right pane of the main window; each viewer
// window holds another (viewer mode).
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/FormView.h"
#include "viewer/ReadStatePolicy.h"

#include <functional>
#include <memory>

class CColorTextView;
class CHeaderFieldStatic;
class CFontSet;
class CMailFolderStore;
class CMailIndexRecord;
class CMailListData;
class CWebBrowser;

class CMailView : public CFormView
{
public:
    explicit CMailView(BOOL bViewerMode = FALSE);
    ~CMailView() override;

    // Creates the pane from its form as child nID of pParent and does the
    // first initial update.
    BOOL Create(CWnd* pParent, UINT nID, const RECT& rect) override;
    void OnInitialUpdate() override;

    // Shows mail nIndex of the folder; bNoQuestion suppresses the
    // read-notification question right after showing.
    void ShowMail(int nIndex, CMailFolderStore* pFolder, BOOL bNoQuestion = FALSE);
    void ClearMail();
    void RefreshMail();
    void UpdateHeaderFields();
    // Shows an HTML file in the browser instead of the body (when an HTML
    // engine exists).
    BOOL ShowHtmlFile(const char* pszPath);
    void ApplyFonts();
    void LoadColors();
    void LoadSettings();

    // Read state.
    void MarkRead(BOOL bSetRead);
    void AskSendReadNotify();
    void AskReadNotifyIfPending();
    BOOL IsReadNotifyPending() const;

    CMailIndexRecord* GetCurrentRecord() const { return m_pRecord; }
    int GetCurrentIndex() const { return m_nIndex; }
    CMailFolderStore* GetFolder() const { return m_pFolder; }
    CMailListData* GetMailList() const { return m_pList; }
    CColorTextView* GetBodyView() const { return m_pBody; }
    BOOL IsViewerMode() const { return m_bViewerMode; }
    BOOL IsBrowserShowing() const { return m_bBrowserShowing; }
    const CString& GetHeaderText() const { return m_strHeaderText; }
    void SetDblOpenURL(BOOL b);
    void SetDblOpenMailEditor(BOOL b);
    void SetSingleClickAction(BOOL b);
    // The viewer's own HTML display switch; the mail is shown again.
    void SetHtmlSwitch(BOOL bOn);
    BOOL GetHtmlSwitch() const { return m_bHtmlSwitch; }
    // Settings, fonts and colours read again after a settings dialog; the
    // shown mail is laid out again when bReshow.
    void ReloadViewSettings(BOOL bReshow);
    // Fonts and colours written by the font and colour settings: the header
    // and body take them, and the shown mail is laid out again in its
    // (rebuilt) font.
    void ApplyFontsAndColors();
    // The keyword list written by its dialog, shown at once.
    void ReloadKeywords();

    // Who answers the read-notification question (the dialog unless a test
    // replaces it); returns 1 send, 2 do not send, 4 later.
    using NotifyQuestion = std::function<int(const char* pszText)>;
    void SetNotifyQuestion(NotifyQuestion ask) { m_askNotify = std::move(ask); }
    // Whether the pane's frame is the foreground window (a test may fix it).
    using FrontCheck = std::function<bool()>;
    void SetFrontCheck(FrontCheck check) { m_isFront = std::move(check); }

    // Working with the shown mail: the header window, the properties
    // dialog, the print header, saving as text and uudecode conversion.
    void OpenHeaderWindow();
    BOOL ShowProperties();
    void BuildPrintHeader(int nCount, const char* pszSeparator);
    BOOL SaveAsText(const char* pszPath = nullptr);
    int DecodeUuencodedParts();
    // The language-font dialog preset with the shown mail's charset; on
    // OK the mail is shown again in the new font.
    BOOL ChooseCharsetFont();
    // Adds a task for the shown mail and writes the task list.
    BOOL AddTaskForShownMail();
    // Runs (or, for a probe, answers for) those commands; false for others.
    BOOL ShownMailCommand(UINT nID, int nCode);

    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra = nullptr, LRESULT* pResult = nullptr) override;

protected:
    LRESULT OnSizeMsg(WPARAM, LPARAM);
    LRESULT OnTimerMsg(WPARAM, LPARAM);
    LRESULT OnCtlColorMsg(WPARAM, LPARAM);
    LRESULT OnEraseBkgndMsg(WPARAM, LPARAM);
    LRESULT OnDestroyMsg(WPARAM, LPARAM);
    LRESULT OnLButtonDblClkMsg(WPARAM, LPARAM);
    LRESULT OnSpaceEndReadMsg(WPARAM, LPARAM);
    LRESULT OnPaintMsg(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    void Layout();
    void SpaceScroll(BOOL bUp);
    void ShowAttachments();
    void ClearAttachments();
    void RefreshAttachments();
    void ApplyCharsetFonts(const char* pszCharset);
    bool HtmlWanted() const;
    bool IsFrameInFront() const;
    HWND ParentFrame() const;
    int FieldLines(int nId, int nWidth) const;
    // Whether a mail's Cc has its own line (viewer windows, and the main
    // pane's full header when it shows every address).
    bool HasCcLine() const { return m_bViewerMode || (m_bAddressShowAll && !m_bMiniHeader); }
    void PostToMainThread(UINT message, WPARAM wParam, LPARAM lParam) const;
    // The header labels open the menus of their header lines (mini header only).
    void AttachHeaderFields();

    BOOL m_bViewerMode;
    bool m_bInitialized = false;
    CColorTextView* m_pBody = nullptr;  // deletes itself with its window
    std::unique_ptr<CHeaderFieldStatic> m_headerFields[5];
    CWebBrowser* m_pBrowser = nullptr;
    bool m_bBrowserShowing = false;
    CString m_strHtmlPath;

    CMailFolderStore* m_pFolder = nullptr;
    CMailListData* m_pList = nullptr;
    CMailIndexRecord* m_pRecord = nullptr;
    int m_nIndex = -1;
    CString m_strHeaderText;
    CString m_strSubject;
    CString m_strCharset;

    CString m_strAttachFolder;
    bool m_bAttachShown = false;
    int m_nAttachFolderId = 0;
    int m_nAttachIndex = -1;

    int m_nSpaceScroll = 1;
    BOOL m_bSpaceScrollToNotRead = FALSE;
    BOOL m_bMiniHeader = FALSE;
    // The main pane shows every address: Cc on a line of its own, as a
    // viewer window does, instead of after To.
    BOOL m_bAddressShowAll = FALSE;
    BOOL m_bFileListBottom = FALSE;
    int m_nPreViewTime = 0;
    BOOL m_bScrollEndRead = FALSE;
    BOOL m_bHtmlSwitch = FALSE;
    bool m_bHasCc = false;
    bool m_bReadNotifyPending = false;
    CReadStatePolicy m_readState;

    COLORREF m_crBack = 0xE8E8E8;
    COLORREF m_crFileTray = 0x50C8FF;
    COLORREF m_crText = 0;
    HBRUSH m_hBkBrush = nullptr;
    HBRUSH m_hTrayBrush = nullptr;
    HFONT m_hHeaderFont = nullptr;
    HFONT m_hHeaderBoldFont = nullptr;
    LOGFONTA m_lfHeader = {};

    CFontSet* m_pFolderFont = nullptr;  // shared set of the folder's font, when used
    UINT m_nFontOwner = 0;

    CCriticalSection m_showLock;
    NotifyQuestion m_askNotify;
    FrontCheck m_isFront;
};
