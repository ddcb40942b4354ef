// CDlgWait: "しばらくおまちください。。。": an endless animation while work
// runs elsewhere. The worker sets the done flag; the dialog looks at it once
// a second and then ends with 0. "キャンセル" ends it at once.
#pragma once

#include "classlib/AnimateCtrl.h"
#include "classlib/Dialog.h"

#include <atomic>

class CDlgWait : public CDialog
{
public:
    explicit CDlgWait(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    // Callable from any thread.
    void SetDone() { m_bDone = true; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CAnimateCtrl m_animation;
    std::atomic<bool> m_bDone{false};
};
