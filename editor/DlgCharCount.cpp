#include "editor/DlgCharCount.h"

#include "editor/EditTextCounts.h"
#include "resources/editor/EditorControlsResource.h"

#include <commctrl.h>

CDlgCharCount::CDlgCharCount(int nToCcBytes, int nSubjectBytes, int nBodyBytes, CWnd* pParent)
    : CDialog(IDD_CHAR_COUNT, pParent), m_nToCc(nToCcBytes), m_nSubject(nSubjectBytes), m_nBody(nBodyBytes)
{
}

void CDlgCharCount::Count(int nToCcBytes, int nSubjectBytes, int nBodyBytes, int counts[4])
{
    counts[0] = FullWidthCount(nToCcBytes);
    counts[1] = FullWidthCount(nSubjectBytes);
    counts[2] = FullWidthCount(nBodyBytes);
    counts[3] = counts[0] + counts[1] + counts[2];
}

BOOL CDlgCharCount::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND list = GetDlgItemHwnd(IDC_CC_LIST);
    m_hImages = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 0);
    for (int id : {292, 148, 272, 131}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        bool own = icon != nullptr;
        if (!icon)  // a row keeps its place without its picture
            icon = static_cast<HICON>(LoadImageA(nullptr, MAKEINTRESOURCEA(32516), IMAGE_ICON, 16, 16, LR_SHARED));
        ImageList_AddIcon(m_hImages, icon);
        if (own)
            DestroyIcon(icon);
    }
    ListView_SetImageList(list, m_hImages, LVSIL_SMALL);
    ::SetWindowLongPtrA(list, GWL_STYLE, ::GetWindowLongPtrA(list, GWL_STYLE) & ~(WS_VSCROLL | WS_HSCROLL));
    RECT rc = {};
    ::GetClientRect(list, &rc);
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 120;
    column.pszText = const_cast<char*>("項目");
    ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    column.cx = rc.right - 120;
    column.pszText = const_cast<char*>("文字数");
    ::SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
    int counts[4];
    Count(m_nToCc, m_nSubject, m_nBody, counts);
    const char* const names[] = {"宛先(CCを含む)", "件名", "本文", "合計"};
    for (int i = 0; i < 4; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.iImage = i;
        item.pszText = const_cast<char*>(names[i]);
        ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        CString number;
        number.Format("%d", counts[i]);
        item.mask = LVIF_TEXT;
        item.iSubItem = 1;
        item.pszText = const_cast<char*>(number.GetString());
        ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    return TRUE;
}
