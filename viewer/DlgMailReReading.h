// CDlgMailReReading: "メールの再読込": a backed-up mail file shown with a
// transfer encoding and a character set of the user's choice; nothing is
// stored until the user imports it into the current folder.
#pragma once

#include "classlib/Dialog.h"

#include <string>

class CColorTextPreview;

class CDlgMailReReading : public CDialog
{
public:
    CDlgMailReReading(const char* pszPath, CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void OnOK() override;

    // The text the preview shows now.
    std::string GetShownText() const;
    int GetEncoding() const;
    int GetCharset() const;
    void SetChoice(int nEncoding, int nCharset);

protected:
    void OnChoiceChanged();

    DECLARE_MESSAGE_MAP()

private:
    void ShowText();

    CString m_strPath;
    std::string m_raw;   // the whole file
    std::string m_body;  // after the header block
    bool m_bParsed = false;
    CColorTextPreview* m_pPreview = nullptr;  // deletes itself with its window
};
