// CAddressCompletion: the text work of an address field, without the
// window: the token being typed, the candidates offered for it in turn, the
// text a candidate makes, and appending an address to a field. Texts are
// Shift_JIS; the field counts positions in characters (a lead byte and its
// trail byte are one), the functions here in bytes unless they say so.
#pragma once

#include "classlib/ClassLib.h"

class CAddressCompletion
{
public:
    // The token before the caret: after the last ",", leading blanks
    // removed, full-width blanks and tabs removed. *pnStart receives the
    // byte where the token's text begins.
    static CString TokenBeforeCaret(const char* pszText, int nCaret, int* pnStart);
    // "address (name)", or the address alone, of an "address<TAB>name" line.
    static CString ShownText(const char* pszLine);
    // Splits an "address<TAB>name" line.
    static void SplitLine(const char* pszLine, CString& address, CString& name);
    // Appends an address to a field's text unless the field holds its bare
    // address already; a "," goes between unless the field is empty or ends
    // with "," or ";". False when nothing changed.
    static bool AppendAddress(CString& field, const char* pszAddress);

    static int CharToByte(const char* pszText, int nChars);
    static int ByteToChar(const char* pszText, int nBytes);

    // Candidates for the token, offered in turn (wrapping to the first);
    // the turn is kept until Reset.
    void SetCandidates(const CStringArray& lines);
    bool HasCandidates() const { return m_candidates.GetSize() > 0; }
    // The next "address<TAB>name" line.
    CString NextCandidate();
    void Reset();

private:
    CStringArray m_candidates;
    int m_nNext = 0;
};
