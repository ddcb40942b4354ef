// CBrowserLoadState: the owner side of a control that shows the program's
// own pages. Navigations are the control's own only while it loads a page
// the program gave it; every other one (a link the user clicks) is not.
#pragma once

#include "classlib/ClassLib.h"
#include "html/BrowserEventOwner.h"

class CBrowserLoadState : public CBrowserEventOwner
{
public:
    // Called right before the control is navigated to the program's page.
    void BeginLoad(const char* pszUrl)
    {
        m_strLoading = pszUrl ? pszUrl : "";
        m_bLoading = true;
    }

    bool MayNavigate() override { return m_bLoading; }
    void OnBrowserDocumentComplete(const char* pszUrl) override
    {
        if (m_bLoading && _stricmp(pszUrl ? pszUrl : "", m_strLoading) == 0)
            m_bLoading = false;
    }

private:
    bool m_bLoading = false;
    CString m_strLoading;
};
