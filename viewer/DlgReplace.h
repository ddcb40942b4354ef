// CDlgReplace: "テキストの置換": finds and replaces text in its owner edit
// control. "次を検索" searches on from the selection; "置換" replaces the
// match and goes on to the next one; "すべて置換" replaces every match. A
// text control with a search of its own overrides the four text steps.
#pragma once

#include "classlib/Dialog.h"

class CDlgReplace : public CDialog
{
public:
    CDlgReplace(HWND hEdit, CWnd* pParent = nullptr);

    CString m_strFind;
    CString m_strReplace;
    BOOL m_bMatchCase = FALSE;
    // Searching starts at the beginning of the text (first search, and after
    // a search that found nothing).
    BOOL m_bFromStart = TRUE;

    BOOL OnInitDialog() override;
    void OnOK() override;
    // One search from the selection (or the start); true on a hit, which is selected.
    virtual bool FindNext();
    virtual int ReplaceAll();

protected:
    // Whether the selection is the hit the last search found.
    virtual bool IsHitSelected();
    virtual void ReplaceSelection();

    void OnFindNext();
    void OnReplaceAll();
    void ReadFields();

    DECLARE_MESSAGE_MAP()

private:
    HWND m_hEdit;
};
