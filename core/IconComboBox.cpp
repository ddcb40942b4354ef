#include "core/IconComboBox.h"

void CIconComboBox::SetItemIcon(int nItem, HICON hIcon)
{
    if (nItem < 0)
        return;
    if (nItem >= m_icons.GetSize())
        m_icons.SetSize(nItem + 1);
    m_icons[nItem] = hIcon;
}

int CIconComboBox::DrawItemImage(HDC hdc, int nItem, const RECT& rc)
{
    if (nItem >= m_icons.GetSize() || !m_icons[nItem])
        return 0;
    // The item rectangle came in shrunk by 2; the icon sits at its outer left + 2.
    int x = rc.left;
    int y = (rc.top + rc.bottom - 16) / 2;
    DrawIconEx(hdc, x, y, static_cast<HICON>(m_icons[nItem]), 16, 16, 0, nullptr, DI_NORMAL);
    return 16 + 2;
}
