#include "html/MshtmlNode.h"
#include "html/ScopedBstr.h"

namespace {

HtmlNodePtr ItemOf(IHTMLElementCollection* pCollection, int index)
{
    if (!pCollection)
        return nullptr;
    VARIANT name, at;
    name.vt = VT_I4, name.lVal = index;
    at.vt = VT_I4, at.lVal = 0;
    CComPtr<IDispatch> item;
    if (FAILED(pCollection->item(name, at, item.Receive())) || !item)
        return nullptr;
    return CMshtmlNode::FromDispatch(item.Get());
}

int LengthOf(IHTMLElementCollection* pCollection)
{
    long n = 0;
    return pCollection && SUCCEEDED(pCollection->get_length(&n)) ? static_cast<int>(n) : 0;
}

std::vector<HtmlNodePtr> ItemsOf(IHTMLElementCollection* pCollection)
{
    std::vector<HtmlNodePtr> items;
    for (int i = 0, n = LengthOf(pCollection); i < n; ++i)
        items.push_back(ItemOf(pCollection, i));
    return items;
}

} // namespace

HtmlNodePtr CMshtmlNode::FromDispatch(IDispatch* pDispatch)
{
    if (!pDispatch)
        return nullptr;
    auto node = std::make_shared<CMshtmlNode>();
    pDispatch->QueryInterface(IID_IHTMLDOMNode, node->m_node.ReceiveVoid());
    pDispatch->QueryInterface(IID_IHTMLElement, node->m_element.ReceiveVoid());
    if (!node->m_node && !node->m_element)
        return nullptr;
    pDispatch->QueryInterface(IID_IHTMLTable, node->m_table.ReceiveVoid());
    pDispatch->QueryInterface(IID_IHTMLTableRow, node->m_row.ReceiveVoid());
    pDispatch->QueryInterface(IID_IHTMLTableCell, node->m_cell.ReceiveVoid());
    return node;
}

std::wstring CMshtmlNode::GetTagName() const
{
    CScopedBstr tag;
    if (!m_element || FAILED(m_element->get_tagName(tag.Receive())))
        return std::wstring();
    return tag.Text();
}

HtmlNodePtr CMshtmlNode::GetParent() const
{
    CComPtr<IHTMLElement> parent;
    if (!m_element || FAILED(m_element->get_parentElement(parent.Receive())) || !parent)
        return nullptr;
    return FromDispatch(parent.Get());
}

std::vector<HtmlNodePtr> CMshtmlNode::GetChildNodes() const
{
    std::vector<HtmlNodePtr> children;
    CComPtr<IDispatch> list;
    if (!m_node || FAILED(m_node->get_childNodes(list.Receive())) || !list)
        return children;
    CComPtr<IHTMLDOMChildrenCollection> collection;
    if (FAILED(list.QueryInterface(IID_IHTMLDOMChildrenCollection, collection)))
        return children;
    long n = 0;
    collection->get_length(&n);
    for (long i = 0; i < n; ++i) {
        CComPtr<IDispatch> item;
        if (SUCCEEDED(collection->item(i, item.Receive())))
            if (HtmlNodePtr child = FromDispatch(item.Get()))
                children.push_back(child);
    }
    return children;
}

std::wstring CMshtmlNode::GetInnerHtml() const
{
    CScopedBstr html;
    return m_element && SUCCEEDED(m_element->get_innerHTML(html.Receive())) ? html.Text() : std::wstring();
}

bool CMshtmlNode::SetInnerHtml(const std::wstring& html)
{
    CScopedBstr text(html);
    return m_element && SUCCEEDED(m_element->put_innerHTML(text));
}

std::wstring CMshtmlNode::GetInnerText() const
{
    CScopedBstr text;
    return m_element && SUCCEEDED(m_element->get_innerText(text.Receive())) ? text.Text() : std::wstring();
}

bool CMshtmlNode::RemoveNode()
{
    CComPtr<IHTMLDOMNode> removed;
    return m_node && SUCCEEDED(m_node->removeNode(VARIANT_TRUE, removed.Receive()));
}

bool CMshtmlNode::GetAttribute(const std::wstring& name, VARIANT* value) const
{
    VariantInit(value);
    CScopedBstr attribute(name);
    if (!m_element || FAILED(m_element->getAttribute(attribute, 0, value)))
        return false;
    return value->vt != VT_NULL && value->vt != VT_EMPTY;
}

bool CMshtmlNode::SetAttribute(const std::wstring& name, const std::wstring& value)
{
    CScopedBstr attribute(name);
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(value.c_str());
    bool ok = m_element && SUCCEEDED(m_element->setAttribute(attribute, v, 1));
    VariantClear(&v);
    return ok;
}

bool CMshtmlNode::RemoveAttribute(const std::wstring& name)
{
    CScopedBstr attribute(name);
    VARIANT_BOOL removed = VARIANT_FALSE;
    return m_element && SUCCEEDED(m_element->removeAttribute(attribute, 0, &removed)) && removed != VARIANT_FALSE;
}

bool CMshtmlNode::HasStyle() const
{
    CComPtr<IHTMLStyle> style;
    if (m_element && SUCCEEDED(m_element->get_style(style.Receive())) && style)
        return true;
    CComPtr<IHTMLElement2> element2;
    CComPtr<IHTMLCurrentStyle> current;
    return m_element && SUCCEEDED(m_element.QueryInterface(IID_IHTMLElement2, element2)) &&
           SUCCEEDED(element2->get_currentStyle(current.Receive())) && current;
}

int CMshtmlNode::GetRowCount() const
{
    CComPtr<IHTMLElementCollection> rows;
    return m_table && SUCCEEDED(m_table->get_rows(rows.Receive())) ? LengthOf(rows.Get()) : 0;
}

HtmlNodePtr CMshtmlNode::GetRow(int index) const
{
    CComPtr<IHTMLElementCollection> rows;
    return m_table && SUCCEEDED(m_table->get_rows(rows.Receive())) ? ItemOf(rows.Get(), index) : nullptr;
}

std::vector<HtmlNodePtr> CMshtmlNode::GetRows() const
{
    CComPtr<IHTMLElementCollection> rows;
    return m_table && SUCCEEDED(m_table->get_rows(rows.Receive())) ? ItemsOf(rows.Get()) : std::vector<HtmlNodePtr>();
}

HtmlNodePtr CMshtmlNode::InsertRow(int index)
{
    CComPtr<IDispatch> row;
    return m_table && SUCCEEDED(m_table->insertRow(index, row.Receive())) ? FromDispatch(row.Get()) : nullptr;
}

bool CMshtmlNode::DeleteRow(int index)
{
    return m_table && SUCCEEDED(m_table->deleteRow(index));
}

int CMshtmlNode::GetRowIndex() const
{
    long index = -1;
    return m_row && SUCCEEDED(m_row->get_rowIndex(&index)) ? static_cast<int>(index) : -1;
}

int CMshtmlNode::GetCellCount() const
{
    CComPtr<IHTMLElementCollection> cells;
    return m_row && SUCCEEDED(m_row->get_cells(cells.Receive())) ? LengthOf(cells.Get()) : 0;
}

HtmlNodePtr CMshtmlNode::GetCell(int index) const
{
    CComPtr<IHTMLElementCollection> cells;
    return m_row && SUCCEEDED(m_row->get_cells(cells.Receive())) ? ItemOf(cells.Get(), index) : nullptr;
}

std::vector<HtmlNodePtr> CMshtmlNode::GetCells() const
{
    CComPtr<IHTMLElementCollection> cells;
    return m_row && SUCCEEDED(m_row->get_cells(cells.Receive())) ? ItemsOf(cells.Get()) : std::vector<HtmlNodePtr>();
}

HtmlNodePtr CMshtmlNode::InsertCell(int index)
{
    CComPtr<IDispatch> cell;
    return m_row && SUCCEEDED(m_row->insertCell(index, cell.Receive())) ? FromDispatch(cell.Get()) : nullptr;
}

bool CMshtmlNode::DeleteCell(int index)
{
    return m_row && SUCCEEDED(m_row->deleteCell(index));
}

int CMshtmlNode::GetColSpan() const
{
    long span = 0;
    return m_cell && SUCCEEDED(m_cell->get_colSpan(&span)) ? ClampSpan(span, kMaxColSpan) : 0;
}

bool CMshtmlNode::SetColSpan(int span)
{
    return m_cell && span >= 1 && SUCCEEDED(m_cell->put_colSpan(span));
}

int CMshtmlNode::GetRowSpan() const
{
    long span = 0;
    return m_cell && SUCCEEDED(m_cell->get_rowSpan(&span)) ? ClampSpan(span, kMaxRowSpan) : 0;
}
