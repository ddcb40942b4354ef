// CDlgAbout: the About dialog (command 57664): version line, the maker's web
// address, the legal text of the version block and the picture "CVM.bmp".
#pragma once

#include "classlib/ClassLib.h"
#include "core/BitmapWnd.h"
#include "mainwnd/LinkEdit.h"

class CDlgAbout : public CDialog
{
public:
    explicit CDlgAbout(CWnd* pParent = nullptr);
    ~CDlgAbout() override;

protected:
    BOOL OnInitDialog() override;
    HBRUSH OnCtlColor(HDC hdc, HWND hWnd, UINT nCtlColor);
    // Moves the lines and the button below the picture's bottom edge.
    void MakeRoomBelow(int pictureBottom);

    DECLARE_MESSAGE_MAP()

private:
    HFONT m_hUnderlineFont = nullptr;
    CBitmapWnd m_picture;
    CLinkEdit m_link;  // the web address opens on a click
};
