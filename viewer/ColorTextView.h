// CColorTextView: the read-only pane in which a mail body is shown as plain
// text: one font, lines wrapped to the window, each line coloured by its
// quotation level, web and mail addresses in their own colours and
// clickable, the user's keywords highlighted, keyboard and wheel scrolling.
//
// Made with new: like every view it deletes itself when its window is gone.
// It keeps its own scroll position (texts taller than 32767 pixels scroll
// by the 32-bit track position).
//
// A long text is laid out in steps: the first screen at once, the rest on a
// timer, so that showing a large mail never waits for its whole layout.
#pragma once

#include "classlib/ClassLib.h"
#include "viewer/TextColorizer.h"
#include "viewer/TextLayout.h"
#include "viewer/TextLine.h"
#include "viewer/TextSelection.h"

#include <string>
#include <vector>

class CFontSet;
class CMailView;

class CColorTextView : public CScrollView
{
public:
    CColorTextView();
    ~CColorTextView() override;

    BOOL Create(CWnd* pParent, UINT nID, const RECT& rect) override;

    // New text (or, with bRewrapOnly, the current one laid out again); a
    // wrap width of 0 follows the LineFeed setting. A null text only empties
    // the source.
    BOOL SetText(const char* pszText, BOOL bRewrapOnly = FALSE, int nWrapWidth = 0);
    // Takes the text over without a copy (a large mail body).
    BOOL SetText(std::string&& text);
    void SetTextAndRedraw(const char* pszText);
    const std::string& GetText() const { return m_text; }

    // Font of a font set (the default set when none); the text is laid out again.
    void SetFont(CFontSet* pSet);
    void LoadColors();
    void LoadQuoteHeaders();
    void LoadTabSize();
    void LoadKeywordList();
    void LoadOptions();
    void ReloadLineSettings();
    // Font and colours at once (the colour settings' live preview): a view
    // that owns its font makes it from lf; a colour of 0 falls back to its
    // setting (web and mail address colours as a pair).
    void SetFontAndColors(const LOGFONTA& lf, COLORREF crText, COLORREF crQuote1, COLORREF crQuote2,
                          COLORREF crQuote3, COLORREF crQuote4, COLORREF crUrl, COLORREF crAddress, COLORREF crBack);
    void SetDblOpenURL(BOOL b) { m_bDblOpenURL = b; }
    void SetDblOpenMailEditor(BOOL b) { m_bDblOpenMailEditor = b; }
    void SetScrollSmooth(BOOL b) { m_bScrollSmooth = b; }
    void SetSingleClickAction(BOOL b) { m_bSingleClickAction = b; }

    // Space-bar scrolling: nAmount 0 a line, 1 half a page, 2 a page.
    void ScrollText(int nAmount, BOOL bUp, BOOL bToNextUnread);
    void ScrollSmoothly(int nLines, BOOL bDown);
    // Scrolls a pixel at a time until a key stops it; returns that key.
    int AutoScroll(BOOL bDown);
    void StopAutoScroll() { m_bAutoScrolling = false; }

    // Layout state.
    int GetLineCount() const { return static_cast<int>(m_lines.size()); }
    const CTextLine& GetLine(int i) const { return m_lines[static_cast<size_t>(i)]; }
    bool IsLayoutDone() const { return m_layout.IsDone(); }
    // Lays out the rest of the text now.
    void FinishLayout();
    int GetLinePitch() const { return m_nFontHeight + 2; }
    int GetScrollY() const { return m_nScrollY; }
    const CTextColorizer& Colorizer() const { return m_colorizer; }
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra = nullptr, LRESULT* pResult = nullptr) override;
    // The link under a client point: its kind (Text when none) and its whole text.
    SpanKind LinkAt(POINT pt, std::string* pText);
    SpanKind LinkAt(POINT pt, std::string* pText, TextPos* pFrom, TextPos* pTo);

    // Selection, copy and find.
    std::string GetSelectedText() const;
    BOOL HasSelection() const { return !m_sel.IsEmpty(); }
    const CTextSelection& GetSelection() const { return m_sel; }
    void SetSelection(const TextPos& from, const TextPos& to);
    void SelectAll();
    void ClearSelection();
    // Puts the selected text on the clipboard; false when nothing is selected.
    BOOL CopySelection();
    // With no text the find dialog asks for it (pre-filled with the
    // selection); returns 1 on a hit, 0 otherwise. nLastHit -1 searches
    // from the top.
    int FindText(const char* pszText, BOOL bDown, long long nLastHit);
    // Find next with the stored string, from the last hit.
    int FindNext(BOOL bDown);
    void SetMatchCase(BOOL b) { m_bMatchCase = b; }
    long long GetLastHit() const { return m_nLastHit; }
    // The position under a client point.
    TextPos PositionAt(POINT pt);
    // Scrolls so that display line nLine is at the top.
    void GoToLine(int nLine);
    // The header block a mail view puts above the text when it prints.
    void SetPrintHeader(const std::string& text) { m_strPrintHeader = text; }
    const std::string& GetPrintHeader() const { return m_strPrintHeader; }
    // Runs the context menu at a screen point (-1, -1: from the keyboard).
    void ShowContextMenu(POINT ptScreen);
    // The enabled state and text of each context-menu item, as the menu is
    // opened (tests read it without tracking the menu).
    HMENU BuildContextMenu();

protected:
    LRESULT OnCreateMsg(WPARAM, LPARAM);
    LRESULT OnDestroyMsg(WPARAM, LPARAM);
    LRESULT OnPaintMsg(WPARAM, LPARAM);
    LRESULT OnEraseBkgndMsg(WPARAM, LPARAM);
    LRESULT OnSizeMsg(WPARAM, LPARAM);
    LRESULT OnVScrollMsg(WPARAM, LPARAM);
    LRESULT OnHScrollMsg(WPARAM, LPARAM);
    LRESULT OnMouseWheelMsg(WPARAM, LPARAM);
    LRESULT OnKeyDownMsg(WPARAM, LPARAM);
    LRESULT OnGetDlgCodeMsg(WPARAM, LPARAM);
    LRESULT OnTimerMsg(WPARAM, LPARAM);
    LRESULT OnSetCursorMsg(WPARAM, LPARAM);
    LRESULT OnLButtonDownMsg(WPARAM, LPARAM);
    LRESULT OnLButtonUpMsg(WPARAM, LPARAM);
    LRESULT OnLButtonDblClkMsg(WPARAM, LPARAM);
    LRESULT OnMouseActivateMsg(WPARAM, LPARAM);
    LRESULT OnCommandMsg(WPARAM, LPARAM);
    LRESULT OnGetTextMsg(WPARAM, LPARAM);
    LRESULT OnGetTextLengthMsg(WPARAM, LPARAM);
    LRESULT OnMouseMoveMsg(WPARAM, LPARAM);
    LRESULT OnCaptureChangedMsg(WPARAM, LPARAM);
    LRESULT OnCopyMsg(WPARAM, LPARAM);
    LRESULT OnContextMenuMsg(WPARAM, LPARAM);
    virtual bool IsPreview() const { return false; }
    // A view that owns its font (the preview) makes it itself.
    virtual void MakeOwnFont(const LOGFONTA&) {}
    void UseFonts(HFONT hFont, HFONT hBold, int nHeight);

    HFONT m_hFont = nullptr;
    HFONT m_hBoldFont = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    void StartLayout(int nWrapWidth);
    // Lays out until line nLine exists (or the text ends).
    void LayoutUntil(size_t nLines);
    void EndMeasuring();
    int MeasureText(const char* p, int n);
    int ClientWidth() const;
    int ClientHeight() const;
    int DocumentHeight() const;
    void UpdateScrollBars();
    void ScrollToY(int y);
    void ScrollToX(int x);
    void ScrollByLines(int nLines);
    void Click(POINT pt, bool bDouble);
    // The carried colour state at the start of line nLine.
    CTextColorizer::Carry CarryBefore(int nLine) const;
    // Colours, quotation marks, keywords or lines changed.
    void ForgetColors();
    // x extents of the spans of a line (from the text origin).
    void SpanExtents(HDC hdc, const std::string& text, const std::vector<TextSpan>& spans, std::vector<int>& xs);
    HWND ParentFrame() const;
    // The mail view the text sits in, or null (the header window, a preview).
    CMailView* HostMailView() const;
    // The commands of the text and of the hosting mail view.
    BOOL RunCommand(UINT nID);
    BOOL UpdateCommand(UINT nID, CCmdUI* pCmdUI);
    void OpenWithProgram(const CString& program);
    void WriteMail(int nMode, const char* pszAddress, const char* pszBody);
    void HandOverAddress(const CString& text);
    void RegisterSender();
    // Adds the shown mail's sender to the junk-mail senders.
    void RegisterJunkSender();
    // The From text of the hosting mail view's mail (empty without one).
    CString ShownSender() const;
    // Where the selected link lies on the lines: its first and end positions.
    void LinkRange(int nLine, size_t nSpan, const std::vector<TextSpan>& spans, TextPos* pFrom, TextPos* pTo) const;
    void InvalidateSelection();
    void PaintSelection(HDC hdc, int nFirst, int nLast);
    int LineWidthTo(HDC hdc, const std::string& text, int nCol);
    void ScrollHitIntoView(const TextFindHit& hit);
    void SaveSelectionOffsets();
    void RestoreSelectionOffsets();
    void DragSelectionTo(POINT pt);

    std::string m_text;
    std::vector<CTextLine> m_lines;
    CTextLayout m_layout;
    HDC m_hMeasureDC = nullptr;
    HGDIOBJ m_hOldMeasureFont = nullptr;
    int m_nWrapWidth = 0;      // width the text was laid out for, 0 unwrapped
    int m_nLastClientWidth = 0;
    int m_nFontHeight = 10;
    int m_nAvgCharWidth = 8;
    CTextColorizer m_colorizer;
    struct CarrySlot
    {
        CTextColorizer::Carry carry;
        bool known = false;
    };
    mutable std::vector<CarrySlot> m_carry;  // the state before each line, where worked out

    // Options of the "ViewOption" section.
    BOOL m_bDblOpenURL = TRUE;
    BOOL m_bDblOpenMailEditor = TRUE;
    BOOL m_bScrollSmooth = FALSE;
    int m_nLineFeed = 0;
    BOOL m_bScrollEndRead = FALSE;
    BOOL m_bSingleClickAction = FALSE;
    BOOL m_bDoNotViewWordBreak = FALSE;
    BOOL m_bOldStyleWordBreak = FALSE;
    int m_nTabColumns = 4;
    int m_nAutoScrollSpeed = 12;

    int m_nScrollY = 0;
    int m_nScrollX = 0;
    int m_nLineStepY = 0;      // 0: the line pitch
    HBRUSH m_hBkBrush = nullptr;
    POINT m_ptDown = {-1, -1};
    std::string m_strLink;     // the last activated link
    SpanKind m_linkKind = SpanKind::Text;
    bool m_bAutoScrolling = false;

    CTextSelection m_sel;
    bool m_bButtonDown = false;
    bool m_bDragging = false;
    bool m_bAfterDblClk = false;
    POINT m_ptLast = {0, 0};
    long long m_nSelOffsets[2] = {-1, -1};  // kept over a re-wrap
    CString m_strFind;
    BOOL m_bFindDown = TRUE;
    BOOL m_bMatchCase = FALSE;
    long long m_nLastHit = -1;
    CStringArray m_findHistory;
    std::string m_strPrintHeader;
};
