// CPageTabCtrl: the tab control of a tabbed settings dialog. It owns its
// pages (modeless child dialogs placed inside the tab's area), shows one at
// a time and moves a page's data between its controls and its fields as the
// user leaves and enters it.
#pragma once

#include "settings/OptionPageDialog.h"

#include <memory>
#include <vector>

class CPageTabCtrl : public CWnd
{
public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // Takes ownership of the page and creates it from its template, hidden.
    void AddPage(const char* pszCaption, COptionPageDialog* pPage, UINT nIDTemplate);
    // An index out of range means page 0. Always 1.
    int SelectPage(int nIndex);
    int SelectPageOf(COptionPageDialog* pPage);
    // 1 the next page, else the previous; wraps at both ends.
    int SelectNext(int nDirection);
    COptionPageDialog* GetPage(int nIndex) const;
    COptionPageDialog* GetCurrentPage() const { return GetPage(m_nCurrent); }
    int GetCurrentIndex() const { return m_nCurrent; }
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    BOOL UpdateCurrentPage(BOOL bSaveAndValidate);
    void RemoveCurrentPage();

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

private:
    struct Entry
    {
        CString caption;
        std::unique_ptr<COptionPageDialog> page;
        UINT nIDTemplate;
    };
    std::vector<Entry> m_pages;
    int m_nCurrent = 0;
};
