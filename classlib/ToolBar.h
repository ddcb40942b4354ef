// CToolBar: a toolbar control as a control bar of its frame. Buttons carry
// command ids; when the thread is idle, each button is enabled and checked
// by the update handler of its command (CCmdUI).
#pragma once

#include "classlib/ControlBar.h"

#include <commctrl.h>

class CImageList;

// A button id of 0 in SetButtons is a separator.
#define ID_SEPARATOR 0

class CToolBar : public CControlBar
{
public:
    CToolBar() = default;

    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, UINT nID = 0xE800);
    // Replaces the buttons: one per id, image n for the n-th non-separator.
    BOOL SetButtons(const UINT* pIDArray, int nIDCount);
    // Uses an image list for the buttons (not owned).
    void SetImageList(HIMAGELIST hImageList);
    // Adds a row of square images, as high as the bitmap, to the toolbar's
    // images (the bitmap stays the caller's); the index of the first one,
    // or -1 when it could not be added.
    int AddImageRow(HBITMAP hBitmap);
    // The user's row of images when there is one (see AddImageRow), else
    // the program's pictures of a bitmap resource, cx pixels wide each, the
    // mask colour showing the button face, made into images (kept by the
    // caller). The index of the first image, or -1 when there are none.
    int UseImages(HBITMAP hUserRow, CImageList& builtIn, UINT nBitmapID, int cx, COLORREF crMask);
    int GetButtonCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }
    UINT GetItemID(int nIndex) const;
    int CommandToIndex(UINT nIDFind) const { return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, nIDFind)); }
    BOOL EnableButton(UINT nID, BOOL bEnable)
    {
        return static_cast<BOOL>(SendMessage(TB_ENABLEBUTTON, nID, MAKELPARAM(bEnable ? TRUE : FALSE, 0)));
    }
    BOOL IsButtonEnabled(UINT nID) const { return static_cast<BOOL>(SendMessage(TB_ISBUTTONENABLED, nID)); }
    BOOL IsButtonChecked(UINT nID) const { return static_cast<BOOL>(SendMessage(TB_ISBUTTONCHECKED, nID)); }

    SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler) override;
};
