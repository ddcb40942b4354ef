// CMshtmlNode: a node of the platform engine's document behind the engine
// seam, holding the element (or the bare DOM node of text) it stands for.
#pragma once

#include "classlib/ComPtr.h"
#include "html/HtmlEngine.h"

#include <mshtml.h>

class CMshtmlNode : public CHtmlEngineNode
{
public:
    // A node for whatever the engine handed out (element or text); null
    // when it is neither.
    static HtmlNodePtr FromDispatch(IDispatch* pDispatch);

    bool IsElement() const override { return static_cast<bool>(m_element); }
    std::wstring GetTagName() const override;
    HtmlNodePtr GetParent() const override;
    std::vector<HtmlNodePtr> GetChildNodes() const override;
    std::wstring GetInnerHtml() const override;
    bool SetInnerHtml(const std::wstring& html) override;
    std::wstring GetInnerText() const override;
    bool RemoveNode() override;
    bool GetAttribute(const std::wstring& name, VARIANT* value) const override;
    bool SetAttribute(const std::wstring& name, const std::wstring& value) override;
    bool RemoveAttribute(const std::wstring& name) override;
    bool HasStyle() const override;

    bool IsTable() const override { return static_cast<bool>(m_table); }
    bool IsRow() const override { return static_cast<bool>(m_row); }
    bool IsCell() const override { return static_cast<bool>(m_cell); }
    int GetRowCount() const override;
    HtmlNodePtr GetRow(int index) const override;
    std::vector<HtmlNodePtr> GetRows() const override;
    HtmlNodePtr InsertRow(int index) override;
    bool DeleteRow(int index) override;
    int GetRowIndex() const override;
    int GetCellCount() const override;
    HtmlNodePtr GetCell(int index) const override;
    std::vector<HtmlNodePtr> GetCells() const override;
    HtmlNodePtr InsertCell(int index) override;
    bool DeleteCell(int index) override;
    int GetColSpan() const override;
    bool SetColSpan(int span) override;
    int GetRowSpan() const override;

private:
    CComPtr<IHTMLDOMNode> m_node;
    CComPtr<IHTMLElement> m_element;
    CComPtr<IHTMLTable> m_table;
    CComPtr<IHTMLTableRow> m_row;
    CComPtr<IHTMLTableCell> m_cell;
};
