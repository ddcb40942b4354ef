// CDlgMailProperty: "メールのプロパティ": a mail's addresses, dates, size,
// account and status flags on an information tab, where the dates, the
// subject and four flags can be corrected, and its raw header on a header
// tab. Ctrl+Tab and Ctrl+Page Down go to the next tab, Ctrl+Page Up back.
#pragma once

#include "classlib/Dialog.h"
#include "viewer/MailPropertyValues.h"

#include <memory>

class CMailFolderStore;
class CMailIndexRecord;
class CMailListData;
class CMailPropertyInfoPage;
class CMailPropertyHeaderPage;

class CDlgMailProperty : public CDialog
{
public:
    CDlgMailProperty(CMailIndexRecord* pRecord, CMailFolderStore* pFolder, CMailListData* pList,
                     CWnd* pParent = nullptr);
    ~CDlgMailProperty() override;

    // Whether a save changed the mail (the caller shows it again).
    BOOL IsChanged() const { return m_bChanged; }
    void SetChanged() { m_bChanged = TRUE; }
    void SelectTab(int nTab);
    int GetTab() const { return m_nTab; }
    CMailPropertyInfoPage* GetInfoPage() const { return m_pInfo.get(); }

    BOOL OnInitDialog() override;
    void OnCancel() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CMailIndexRecord* m_pRecord;
    CMailFolderStore* m_pFolder;
    CMailListData* m_pList;

protected:
    void OnTabChange(NMHDR*, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    std::unique_ptr<CMailPropertyInfoPage> m_pInfo;
    std::unique_ptr<CMailPropertyHeaderPage> m_pHeader;
    BOOL m_bChanged = FALSE;
    int m_nTab = 0;
};
