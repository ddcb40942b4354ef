// CReferenceMailListFrame: the top-level window of a related-mail list: the
// mails of one reply thread as rows (root first, answers depth first), with
// opening, moving and replying. Its placement is read from "RefWindow" and
// never written.
#pragma once

#include "classlib/ClassLib.h"
#include "classlib/FrameWnd.h"

class CMailFolderStore;
class CReferenceMailListView;

class CReferenceMailListFrame : public CFrameWnd
{
public:
    CReferenceMailListFrame() = default;

    BOOL Create(CMailFolderStore* pStore, int nIndex);
    CReferenceMailListView* GetListView() const { return m_pList; }

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL OnCreateClient(LPCREATESTRUCTA lpcs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // The colour labels of the list's context menu are drawn by the list's menu.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnClose() { DestroyWindow(); }

    DECLARE_MESSAGE_MAP()

private:
    CReferenceMailListView* m_pList = nullptr;  // deletes itself
};
