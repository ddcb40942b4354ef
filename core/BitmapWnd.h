// CBitmapWnd: a child window that paints a picture file at its natural size.
#pragma once

#include "classlib/ClassLib.h"
#include "core/DibPicture.h"

class CBitmapWnd : public CWnd
{
public:
    bool LoadPicture(const char* pszPath) { return m_picture.Load(pszPath); }
    int PictureWidth() const { return m_picture.Width(); }
    int PictureHeight() const { return m_picture.Height(); }
    BOOL CreatePictureWindow(CWnd* pParent, UINT nID, int x, int y);

protected:
    void OnPaint();
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    CDibPicture m_picture;
};
