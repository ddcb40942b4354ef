#include "addressbook/DlgAddressProperty.h"

#include "addressbook/DlgAddressPropertyInput.h"
#include "addressbook/UserIconList.h"
#include "resources/addressbook/AddressbookResource.h"

BEGIN_MESSAGE_MAP(CDlgAddressProperty, CDialog)
    ON_BN_CLICKED(IDC_PROPERTY_ADD, OnAddProperty)
    ON_BN_CLICKED(IDC_PROPERTY_CHANGE, OnChangeProperty)
    ON_BN_CLICKED(IDC_PROPERTY_DELETE, OnDeleteProperty)
END_MESSAGE_MAP()

CDlgAddressProperty::CDlgAddressProperty(CAddressData& entry, CWnd* pParent)
    : CDialog(IDD_ADDRESS_PROPERTY, pParent), m_entry(entry)
{
}

BOOL CDlgAddressProperty::OnInitDialog()
{
    m_icons.SubclassDlgItem(IDC_ICON_LIST, this);
    m_properties.SubclassDlgItem(IDC_PROPERTY_LIST, this);
    CUserIconList& icons = GetUserIconList();
    m_icons.SetImageList(icons.GetLargeImages(), LVSIL_NORMAL);
    for (int i = 0; i < icons.GetCount(); ++i)
        m_icons.InsertItem(i, "ICON", i);
    m_icons.SetItemState(m_nIconIndex, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_icons.EnsureVisible(m_nIconIndex, FALSE);

    m_properties.SetExtendedStyle(m_properties.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    RECT rc;
    m_properties.GetClientRect(&rc);
    m_properties.InsertColumn(0, "データ名", LVCFMT_LEFT, 100);
    m_properties.InsertColumn(1, "データ", LVCFMT_LEFT, rc.right - GetSystemMetrics(SM_CXVSCROLL) - 104);
    for (size_t i = 0; i < m_entry.m_properties.size(); ++i)
        AddPropertyRow(static_cast<int>(i));
    return CDialog::OnInitDialog();
}

void CDlgAddressProperty::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_ENTRY_NAME, m_strName);
    DDX_Text(pDX, IDC_ENTRY_ADDRESS, m_strAddress);
    DDX_Text(pDX, IDC_ENTRY_MEMO, m_strMemo);
    if (pDX->m_bSaveAndValidate) {
        int sel = m_icons.GetNextItem(-1, LVNI_SELECTED);
        m_nIconIndex = sel < 0 ? 0 : sel;
    }
}

void CDlgAddressProperty::AddPropertyRow(int nPair)
{
    const CAddressProperty& p = m_entry.m_properties[static_cast<size_t>(nPair)];
    int row = m_properties.InsertItem(m_properties.GetItemCount(), p.m_strName);
    m_properties.SetItemText(row, 1, p.m_strValue);
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = nPair;
    m_properties.SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int CDlgAddressProperty::GetSelectedRow() const
{
    return m_properties.GetNextItem(-1, LVNI_SELECTED);
}

namespace {

LPARAM RowPair(const CListCtrl& list, int row)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    list.SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

} // namespace

void CDlgAddressProperty::OnAddProperty()
{
    CDlgAddressPropertyInput dlg(this);
    if (dlg.DoModal() != IDOK)
        return;
    CAddressProperty p;
    p.m_strName = dlg.m_strName;
    p.m_strValue = dlg.m_strValue;
    m_entry.m_properties.push_back(p);
    AddPropertyRow(static_cast<int>(m_entry.m_properties.size()) - 1);
}

void CDlgAddressProperty::OnChangeProperty()
{
    int row = GetSelectedRow();
    if (row < 0)
        return;
    size_t pair = static_cast<size_t>(RowPair(m_properties, row));
    if (pair >= m_entry.m_properties.size())
        return;
    CAddressProperty& p = m_entry.m_properties[pair];
    CDlgAddressPropertyInput dlg(this);
    dlg.m_strName = p.m_strName;
    dlg.m_strValue = p.m_strValue;
    if (dlg.DoModal() != IDOK)
        return;
    p.m_strName = dlg.m_strName;
    p.m_strValue = dlg.m_strValue;
    m_properties.SetItemText(row, 0, p.m_strName);
    m_properties.SetItemText(row, 1, p.m_strValue);
}

void CDlgAddressProperty::OnDeleteProperty()
{
    int row = GetSelectedRow();
    if (row < 0)
        return;
    LPARAM pair = RowPair(m_properties, row);
    if (pair < 0 || static_cast<size_t>(pair) >= m_entry.m_properties.size())
        return;
    CString text;
    text.Format("プロパティ[%s]を削除しますか？", m_entry.m_properties[static_cast<size_t>(pair)].m_strName.GetString());
    if (AfxMessageBox(text, MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    m_entry.m_properties.erase(m_entry.m_properties.begin() + pair);
    m_properties.SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(row));
    // Rows behind the removed pair point one pair earlier now.
    for (int i = 0; i < m_properties.GetItemCount(); ++i) {
        LPARAM p = RowPair(m_properties, i);
        if (p > pair) {
            LVITEMA item = {};
            item.mask = LVIF_PARAM;
            item.iItem = i;
            item.lParam = p - 1;
            m_properties.SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
}
