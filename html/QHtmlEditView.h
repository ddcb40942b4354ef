// CQHtmlEditView: the body editor of an editor window writing HTML mail. It
// hosts an HTML document in design mode and drives it by editing commands
// and element operations only, through the engine seam: the platform's
// engine where one is installed, or a document given by a factory. Without
// either, a document of our own holds the page and the view shows its text,
// read-only, so that a mail's HTML stays what was loaded.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/ComboBox.h"
#include "html/BrowserEventOwner.h"
#include "html/HtmlDocumentRef.h"
#include "html/HtmlFormatReceiver.h"

#include <functional>
#include <memory>

class CWebBrowser;

class CQHtmlEditView : public CWnd, private CBrowserEventOwner
{
public:
    // Loads the page at a URL or path into a document; null when it cannot.
    using EngineFactory = std::function<std::shared_ptr<CHtmlEngineDocument>(const CString& url)>;
    // Replaces the platform's engine (tests, and machines without one).
    static void SetEngineFactory(EngineFactory factory);

    CQHtmlEditView();
    ~CQHtmlEditView() override;

    // FALSE with the system's last error set when the window cannot be made.
    BOOL Create(CWnd* pParent, UINT nID, const RECT& rect);
    // The text pane standing in for the platform's engine; null while the
    // engine or a factory's document is shown.
    HWND GetTextPane() const { return m_hText; }
    // The frame's font boxes and format receiver, set before the first page.
    void SetFormatControls(CComboBox* pFontName, CComboBox* pFontSize, CHtmlFormatReceiver* pReceiver);
    // A loaded mail counts as changed once its document is complete.
    void SetModifiedAfterLoad(int nModified) { m_nModifiedAfterLoad = nModified; }

    virtual void NavigateToFile(const char* pszPath);
    virtual bool SetModified();
    virtual bool ClearModified();
    virtual bool Undo();
    virtual bool Redo();
    virtual void Reserved() {}
    virtual bool SelectAll();
    virtual bool Find();
    virtual bool FindWithOption(bool bOption);
    virtual void InvalidateEditWindow();

    bool ExecCommandWithValue(DWORD nCommand, bool bValue, DWORD nOption);
    void LoadEditPage();
    // Navigates with the design mode "Off" first (a page the editor wrote).
    void Navigate(const char* pszUrl);
    void SetDesignModeOff();
    CString GetDocumentHtml();
    CString GetBodyText(const char* pszCharset);
    bool IsModified() const { return m_document.IsModified(); }
    // Where no engine is installed the page's text stands in a read-only
    // pane: what only an engine does (character and paragraph formats,
    // links, pictures) cannot be done there.
    bool ShowsTextOnly() const { return m_hText != nullptr; }

    bool Bold();
    bool Italic();
    bool Underline();
    bool SetFontName(const char* pszFace);
    bool SetFontSize(int nIndex);
    void ChooseForeColor();
    bool InsertHorizontalRule();
    bool OrderList();
    bool UnorderList();
    bool Indent();
    bool Outdent();
    bool JustifyLeft();
    bool JustifyCenter();
    bool JustifyRight();
    bool InsertImage();
    bool InsertHyperlink();
    DWORD QueryCommandStatus(DWORD nCommand);
    void UpdateFormatState();

    void ShowTagMenu(int x, int y);
    void ShowTableMenu(int x, int y);
    void ShowBackgroundMenu(int x, int y);
    int GetBlockFormatNames();

    // Notifications of the hosted document.
    void OnBeforeNavigate2();
    void OnNavigateComplete2(const char* pszUrl);
    void OnDocumentComplete(const char* pszUrl);
    HRESULT OnUpdateUI();

    // After the window's own handling of WM_CUT, WM_COPY or WM_PASTE, the
    // matching editing command, when the document offers it.
    bool RunClipboardCommand(UINT nMessage);

    CHtmlDocumentRef& GetDocumentRef() { return m_document; }
    // The background colour as the document takes it: "#rrggbb".
    static CString FormatColor(COLORREF color);
    // The background commands, with the colour or picture already chosen.
    bool SetBackgroundColor(COLORREF color);
    bool ClearBackgroundColor();
    bool SetBackgroundImage(const char* pszPath);
    bool ClearBackgroundImage();

protected:
    void OnBlockFormatCommand(UINT nID);
    void OnTableCommand(UINT nID);
    void OnSetBackgroundColor();
    void OnClearBackgroundColor();
    void OnSetBackgroundImage();
    void OnClearBackgroundImage();
    void OnInsertImage();
    void OnInsertHyperlink();
    LRESULT OnContextMenuMsg(WPARAM, LPARAM);
    // A key or the mouse let go over the document: the selection may have moved.
    LRESULT OnSelectionInputMsg(WPARAM, LPARAM);
    LRESULT OnSizeMsg(WPARAM, LPARAM);
    LRESULT OnCutMsg(WPARAM, LPARAM);
    LRESULT OnCopyMsg(WPARAM, LPARAM);
    LRESULT OnPasteMsg(WPARAM, LPARAM);
    LRESULT OnClipboardMsg(UINT nMessage);
    LRESULT OnDestroyMsg(WPARAM, LPARAM);
    LRESULT OnSetFocusMsg(WPARAM, LPARAM);
    LRESULT OnSetFontMsg(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    // The platform engine's pages report here.
    bool MayNavigate() override { return true; }
    void OnBrowserDocumentComplete(const char* pszUrl) override;
    void SubclassInnerWindow();
    void SubclassInner(HWND inner);
    bool CreateTextPane();
    void ShowDocumentText();
    void RestoreInnerWindow();
    static LRESULT CALLBACK InnerWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    bool Exec(DWORD nCommand, const VARIANT* pValue, DWORD nOption);
    bool ExecNoValue(DWORD nCommand) { return Exec(nCommand, nullptr, 2); }
    bool ExecOut(DWORD nCommand, VARIANT* pOut);
    void AppendTableMenu(CMenu& menu);
    CHtmlElementRef Body();

    CHtmlDocumentRef m_document;
    std::unique_ptr<CWebBrowser> m_pBrowser;
    HWND m_hText = nullptr;
    HWND m_hInner = nullptr;
    WNDPROC m_pfnInnerProc = nullptr;
    std::shared_ptr<CHtmlEngineDocument> m_pLoaded;
    CString m_names[32];
    int m_nNameCount = 0;
    CComboBox* m_pFontName = nullptr;
    CComboBox* m_pFontSize = nullptr;
    CHtmlFormatReceiver* m_pReceiver = nullptr;
    CString m_strLoadedFile;
    bool m_bFirstLoad = false;
    int m_nModifiedAfterLoad = 0;
};
