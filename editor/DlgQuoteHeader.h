// CDlgQuoteHeader: edits the reply and forward headers ("返信/転送ヘッダーの
// 編集") of "Headers.Box", with the list of macros beside them.
#pragma once

#include "classlib/Dialog.h"
#include "editor/EditorFont.h"

class CDlgQuoteHeader : public CDialog
{
public:
    explicit CDlgQuoteHeader(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // The macro list the dialog shows.
    CString m_strHelpText;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    CEditorFont m_font;
};
