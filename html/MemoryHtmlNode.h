// CMemoryHtmlNode: one node of CMemoryHtmlDocument's tree. Elements keep
// their attributes in source order; text keeps its source text, references
// and all, as the engine's inner HTML gives it back.
#pragma once

#include "html/HtmlEngine.h"

#include <utility>

class CMemoryHtmlNode : public CHtmlEngineNode, public std::enable_shared_from_this<CMemoryHtmlNode>
{
public:
    static std::shared_ptr<CMemoryHtmlNode> NewElement(const std::wstring& tag);
    static std::shared_ptr<CMemoryHtmlNode> NewText(const std::wstring& text);
    // Parses HTML and appends what it holds to the children of parent (before
    // the child at index, or at the end when index is -1).
    static void ParseInto(const std::shared_ptr<CMemoryHtmlNode>& parent, const std::wstring& html, int index = -1);

    bool IsElement() const override { return !m_tag.empty(); }
    std::wstring GetTagName() const override { return m_tag; }
    HtmlNodePtr GetParent() const override { return m_parent.lock(); }
    std::vector<HtmlNodePtr> GetChildNodes() const override;
    std::wstring GetInnerHtml() const override;
    bool SetInnerHtml(const std::wstring& html) override;
    std::wstring GetInnerText() const override;
    bool RemoveNode() override;
    bool GetAttribute(const std::wstring& name, VARIANT* value) const override;
    bool SetAttribute(const std::wstring& name, const std::wstring& value) override;
    bool RemoveAttribute(const std::wstring& name) override;
    bool HasStyle() const override { return IsElement(); }

    bool IsTable() const override { return m_tag == L"TABLE"; }
    bool IsRow() const override { return m_tag == L"TR"; }
    bool IsCell() const override { return m_tag == L"TD" || m_tag == L"TH"; }
    int GetRowCount() const override { return static_cast<int>(Rows().size()); }
    HtmlNodePtr GetRow(int index) const override;
    std::vector<HtmlNodePtr> GetRows() const override;
    HtmlNodePtr InsertRow(int index) override;
    bool DeleteRow(int index) override;
    int GetRowIndex() const override;
    int GetCellCount() const override { return static_cast<int>(Cells().size()); }
    HtmlNodePtr GetCell(int index) const override;
    std::vector<HtmlNodePtr> GetCells() const override;
    HtmlNodePtr InsertCell(int index) override;
    bool DeleteCell(int index) override;
    int GetColSpan() const override { return IsCell() ? Span(L"colspan", kMaxColSpan) : 0; }
    bool SetColSpan(int span) override;
    int GetRowSpan() const override { return IsCell() ? Span(L"rowspan", kMaxRowSpan) : 0; }

    std::wstring GetOuterHtml() const;
    void AppendChild(const std::shared_ptr<CMemoryHtmlNode>& child, int index = -1);
    void CopyAttributes(const CMemoryHtmlNode& from) { m_attributes = from.m_attributes; }
    const std::vector<std::shared_ptr<CMemoryHtmlNode>>& Children() const { return m_children; }

private:
    std::vector<std::shared_ptr<CMemoryHtmlNode>> Rows() const;
    std::vector<std::shared_ptr<CMemoryHtmlNode>> Cells() const;
    int Span(const wchar_t* name, int nLimit) const;
    void Detach();

    std::wstring m_tag;   // upper case; empty for text
    std::wstring m_text;  // text nodes only
    std::vector<std::pair<std::wstring, std::wstring>> m_attributes;
    std::vector<std::shared_ptr<CMemoryHtmlNode>> m_children;
    std::weak_ptr<CMemoryHtmlNode> m_parent;
};
