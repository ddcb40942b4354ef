// CReferenceMailListView: the rows of a related-mail list window, one per
// mail of the thread, each carrying its mail index. The rows read and look
// as the main window's mail list: its columns and texts, the read-state and
// attachment icons, unread mails in their own font, colour labels; the
// focused mail's properties and header window are a command away, and
// opening a row shows the mail in a viewer window.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/ListView.h"
#include "mainwnd/MailListFormat.h"

class CMailFolderStore;
class CMailIndexRecord;

class CReferenceMailListView : public CListView
{
public:
    CReferenceMailListView() = default;
    ~CReferenceMailListView() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnInitialUpdate() override;

    // Lists the thread of the mail; false when the folder cannot be read.
    BOOL Fill(CMailFolderStore* pStore, int nIndex);
    int GetMailIndex(int nRow) const;
    int GetFocusedRow() const;
    // The list's colours and fonts from the settings (again after they changed).
    void LoadColors();

protected:
    void OnOpen();
    void OnPrev() { MoveBy(-1); }
    void OnNext() { MoveBy(1); }
    void OnReply(UINT nID);
    void OnProperties();
    void OnHeader();
    void OnUpdateNeedMail(CCmdUI* pCmdUI);
    void OnDblClick(NMHDR* pHdr, LRESULT* pResult);
    void OnReturn(NMHDR* pHdr, LRESULT* pResult);
    void OnCustomDraw(NMHDR* pHdr, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    void MoveBy(int nStep);
    CMailIndexRecord* RecordOfRow(int nRow) const;
    void SetRowTexts(int nRow, CMailIndexRecord& record);

    CMailFolderStore* m_pStore = nullptr;
    MailListFormat::ListColors m_colors = {};
    MailListFormat::RowTextOptions m_options;
    HFONT m_hUnreadFont = nullptr;
    HFONT m_hReadFont = nullptr;
    int m_nFontPixels = 0;
};
