// CAddressEdit: the To, CC and BCC fields of the editor. It completes the
// address being typed from the address book, shows the matching addresses
// or the address book's group menus as a pop-up, appends chosen addresses,
// and tells the view (message 2258) when its text changed.
#pragma once

#include "classlib/ClassLib.h"
#include "editor/AddressCompletion.h"

class CAddressManagerThread;

class CAddressEdit : public CWnd
{
public:
    enum { kMenuMatching = 0, kMenuAddressBook = 2 };
    static const UINT kTextChanged = 2258;

    CAddressEdit();

    BOOL Attach(CWnd* pParent, UINT nID);
    // Completes the token before the caret (pszExplicit: this text instead
    // of the next address-book candidate).
    void CompleteAddress(const char* pszExplicit);
    // The completion command: proposes for the token whether or not the
    // user just typed.
    void CompleteOnCommand();
    // Pop-up below the caret: the matching addresses (0) or the address
    // book (2), with the edit commands first when asked.
    void ShowAddressMenu(int nMode, bool bEditItems);
    // The pop-up as it would show (null when there is nothing to offer);
    // lines receives the "address<TAB>name" line of each address item.
    HMENU BuildAddressMenu(int nMode, bool bEditItems, CStringArray& lines);
    // What a chosen item does (undo, cut, copy, paste, or an address).
    void OnMenuCommand(UINT nId, const CStringArray& lines, int nMode);
    // Appends to this field unless the field holds the address already.
    bool AppendAddress(const char* pszAddress);
    // Enter on a proposal: the candidate formatted for display, then ", ".
    bool AcceptCandidate();
    bool HasCandidate() const { return !m_strCandidate.IsEmpty(); }

    int m_nCompletionMode = 0;  // 1: complete while typing

    // The height the field needs for its text at a width, so that a long
    // list shows whole: 20 pixels when empty, else one line of the font
    // (and a pixel) per width of text, at most five, and a frame of four.
    static int NeededHeight(int nTextWidth, int nFieldWidth, int nScrollWidth, int nFontHeight);
    // The same for this field's own text and font.
    int NeededHeight(int nFieldWidth) const;

    // The address book the fields ask (the application's thread unless set).
    static void SetAddressBook(CAddressManagerThread* pThread);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    CString GetText() const;
    void SetTextAndSel(const CString& text, int nSelStartChars, int nSelEndChars);
    int CaretChars() const;
    void ChooseEntry(const CString& line, int nMode);
    static CAddressManagerThread* AddressBook();
    static int DisplayMode();

    CAddressCompletion m_completion;
    bool m_bLocked = false;
    CString m_strCandidate;  // address<TAB>name of the proposal standing
    int m_nLastLength = 0;
    int m_nMenuMode = -1;
};
