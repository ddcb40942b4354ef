// CTaskListCtrl: the owner-drawn list of the task list window: two lines per
// task (the mail's or notice's columns, then the deadline and memo), a
// background by urgency, and the context menu.
#pragma once

#include "core/QListCtrl.h"

#include <cstdint>

class CTaskListData;
class CTaskListRecord;

class CTaskListCtrl : public CQListCtrl
{
public:
    enum { kItemHeight = 36 };

    void SetTable(CTaskListData* pTable) { m_pTable = pTable; }
    CTaskListRecord* GetTask(int nItem) const;

protected:
    void DrawItem(DRAWITEMSTRUCT* pDis) override;
    LRESULT OnContextMenuMsg(WPARAM wParam, LPARAM lParam);

    CTaskListData* m_pTable = nullptr;

    DECLARE_MESSAGE_MAP()
};
