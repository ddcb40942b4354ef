// CDlgAttachPicture: the file name and format under which a clipboard
// picture is attached (bitmap, or JPEG with a quality); the format and
// quality are kept in the settings.
#pragma once

#include "classlib/Dialog.h"

class CDlgAttachPicture : public CDialog
{
public:
    enum { formatBitmap = 0, formatJpeg = 1 };
    enum { qualityHigh = 0, qualityMiddle = 1, qualityLow = 2 };

    explicit CDlgAttachPicture(CWnd* pParent);
    BOOL OnInitDialog() override;
    void OnOK() override;

    CString m_strFileName;
    int m_nFormat = formatBitmap;
    int m_nQuality = qualityHigh;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void EnableQuality();
};
