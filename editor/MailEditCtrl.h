// CMailEditCtrl: the body of an editor window, a rich-edit control holding
// plain text. It colours quoted lines, keeps an undo journal of its own,
// finds and replaces, moves the caret by command, tells the caret's line
// and column and the text's full-width character count, and takes mails
// dropped from the mail list through its OLE callback.
#pragma once

#include "classlib/ClassLib.h"
#include "editor/EditUndoJournal.h"
#include "editor/QuoteColouring.h"
#include "editor/RichEditMailDropCallback.h"

#include <string>

class CMailEditView;

class CMailEditCtrl : public CWnd
{
public:
    // Sent by whoever replaced the whole text from outside the editor
    // thread (the external text editor): the text takes the editor's font
    // and its quotation colours again.
    static const UINT kMsgTextReplaced = WM_APP + 0x120;

    CMailEditCtrl();
    ~CMailEditCtrl() override;

    // Takes over the form's control: event mask, text limit, OLE callback
    // (dropped mails go to the owner view when one is given), colouring
    // settings and background.
    BOOL Attach(CWnd* pParent, UINT nID, CMailEditView* pOwner);
    CQuoteColouring& GetColouring() { return m_colouring; }

    // The whole text as the control holds it (lines end in CR).
    std::wstring GetTextW() const;
    // Replaces the whole text; the journal starts again from it.
    void SetText(const char* pszText);

    // Replaces the selection as one undoable step and selects the new text.
    void InsertText(const char* pszText);
    void Recolour(int nStart, int nEnd);
    void RecolourAll();
    void UndoRedo(bool bRedo);
    void ClearUndo();
    bool CanUndo() const { return m_journal.CanUndo(); }

    // 0 up, 1 down, 2 left, 3 right.
    void MoveCaret(int nDirection);
    // 0 the start, -1 the end of the text, else the first character of that line (from 1).
    void GoToLine(int nLine);
    void CaretToLineStart();
    void CaretToLineEnd();
    void SelectAll();

    // Selects the next hit from the start, or from one past the last hit's start.
    bool FindNext(bool bMatchCase, bool bFromStart, const char* pszWhat);
    // From the end of the last hit, once more from the start when nothing follows.
    bool FindAgain();
    // Every hit replaced; -1 when nothing was found.
    int ReplaceAll(bool bFromStart, const char* pszWhat, const char* pszWith, bool bMatchCase);
    CString GetSelectedText() const;
    // Whether the selection is exactly the last hit.
    bool IsHitSelected() const;
    // Reads the font, colour, quoting and IME settings again and recolours.
    void ReloadSettings();

    // " %d行、%d列" and "全角%d文字" for the status panes.
    CString GetCaretPositionText() const;
    CString GetCharCountText() const;
    // The text's length in Shift_JIS bytes (line ends as CR LF).
    int GetByteLength() const;
    // Where the selection starts, in bytes of the text as GetRichEditText gives it.
    int GetSelStartByte() const;

    // Wraps lines at a character count of the editor font (0: at the
    // window's edge, -1: no wrapping).
    void SetWrapWidth(int nChars);
    // The line width in twips for a character count: the average width of
    // "ABC" times (count + 1).
    static int WrapWidthTwips(int nChars, int nAverageCharPixels, int nPixelsPerInch);

    // The tab width in twips for "EditorTabSize" (0 one font height, 2 four, else two).
    static int TabWidthTwips(int nTabSize, int nFontTwips);
    // The editor font, text colour, start indent and tab stops.
    void ApplyBaseFormat();
    // Line wrapping as the editor settings ask ("WordWrapMode", "WordWrapCount").
    void ApplyWrapSetting();
    // Font, colours and the wrap width (which depends on the font) again,
    // after the settings changed while the editor was open.
    void ApplyViewSettings();

    // The callback the control was given (for drops on it).
    CRichEditMailDropCallback& GetDropCallback() { return m_callback; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    void OnTextChanged();
    void RecordStep();
    void ColourRange(const std::wstring& text, int nStart, int nEnd);
    void GetSel(int& nStart, int& nEnd) const;
    void SetSel(int nStart, int nEnd);
    int FirstVisibleLine() const;
    void ScrollToLine(int nLine);
    void ScrollIntoView(int nPos);
    void ReplaceRange(int nStart, int nEnd, const std::wstring& text);
    void UpdateStatus();
    void NotifyChanged();
    void ApplyBackground();
    void SwitchIme(bool bFocus);

    CQuoteColouring m_colouring;
    CEditUndoJournal m_journal;
    CRichEditMailDropCallback m_callback;
    CMailEditView* m_pOwner = nullptr;
    int m_nSuspended = 0;  // while set the control changes its own text
    std::wstring m_findText;
    bool m_bMatchCase = false;
    int m_nLastHit = -1, m_nLastHitEnd = -1;
    bool m_bImeOnFocus = true;   // "BodyIMEOn"
    bool m_bImeWasOpen = false;  // the IME's state when the body got the focus
};
