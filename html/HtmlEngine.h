// The narrow seam between the HTML editing code and an HTML engine: a
// document with its selection, editing commands and element tree, and the
// nodes of that tree with the table parts the table commands reshape. The
// platform's engine stands behind it where one is installed
// (CMshtmlDocument); CMemoryHtmlDocument is our own, for machines without
// one and for the tests.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <vector>

class CHtmlEngineNode;
using HtmlNodePtr = std::shared_ptr<CHtmlEngineNode>;

// The largest spans a browser honours: a larger value counts as the limit,
// so that a table from a mail cannot claim millions of columns or rows.
constexpr int kMaxColSpan = 1000;
constexpr int kMaxRowSpan = 65534;

// A span as it counts: 1 below 1, the limit above it.
inline int ClampSpan(long long value, int nLimit)
{
    return value < 1 ? 1 : (value > nLimit ? nLimit : static_cast<int>(value));
}

class CHtmlEngineNode
{
public:
    virtual ~CHtmlEngineNode() = default;

    virtual bool IsElement() const = 0;
    // Upper-case tag name of an element; empty for text.
    virtual std::wstring GetTagName() const = 0;
    virtual HtmlNodePtr GetParent() const = 0;
    // Every child node, text included, in order.
    virtual std::vector<HtmlNodePtr> GetChildNodes() const = 0;
    virtual std::wstring GetInnerHtml() const = 0;
    virtual bool SetInnerHtml(const std::wstring& html) = 0;
    virtual std::wstring GetInnerText() const = 0;
    // Takes the node with all its content out of the document.
    virtual bool RemoveNode() = 0;
    // Attribute names are compared without regard to case.
    virtual bool GetAttribute(const std::wstring& name, VARIANT* value) const = 0;
    virtual bool SetAttribute(const std::wstring& name, const std::wstring& value) = 0;
    virtual bool RemoveAttribute(const std::wstring& name) = 0;
    // Whether the element has an inline style and a current (computed) one.
    virtual bool HasStyle() const { return false; }

    // Table parts: each answers as "not of that kind" on other elements.
    virtual bool IsTable() const { return false; }
    virtual bool IsRow() const { return false; }
    virtual bool IsCell() const { return false; }
    // Table: rows of all its sections, in order.
    virtual int GetRowCount() const { return 0; }
    virtual HtmlNodePtr GetRow(int) const { return nullptr; }
    // Inserts an empty row before the row of the index (at the end when the
    // index is the count).
    virtual HtmlNodePtr InsertRow(int) { return nullptr; }
    virtual bool DeleteRow(int) { return false; }
    // Every row at once, for the operations that walk them all: asked one
    // by one each answer may cost a walk of the table.
    virtual std::vector<HtmlNodePtr> GetRows() const
    {
        std::vector<HtmlNodePtr> rows;
        for (int i = 0, n = GetRowCount(); i < n; ++i)
            rows.push_back(GetRow(i));
        return rows;
    }
    // Row: its index in its table, and its cells.
    virtual int GetRowIndex() const { return -1; }
    virtual int GetCellCount() const { return 0; }
    virtual HtmlNodePtr GetCell(int) const { return nullptr; }
    virtual HtmlNodePtr InsertCell(int) { return nullptr; }
    virtual bool DeleteCell(int) { return false; }
    // Every cell of the row at once.
    virtual std::vector<HtmlNodePtr> GetCells() const
    {
        std::vector<HtmlNodePtr> cells;
        for (int i = 0, n = GetCellCount(); i < n; ++i)
            cells.push_back(GetCell(i));
        return cells;
    }
    // Cell spans; 1 when not given, at most kMaxColSpan and kMaxRowSpan.
    virtual int GetColSpan() const { return 0; }
    virtual bool SetColSpan(int) { return false; }
    virtual int GetRowSpan() const { return 0; }
};

class CHtmlEngineDocument
{
public:
    virtual ~CHtmlEngineDocument() = default;

    // An editing command of the engine's editing command group; out may be
    // null. S_OK or a failure code.
    virtual HRESULT Exec(DWORD command, DWORD option, const VARIANT* in, VARIANT* out) = 0;
    // OLECMDF_ flags of one command; 0 when unknown.
    virtual DWORD QueryStatus(DWORD command) = 0;
    // The element the selection stands in: the parent of a text selection,
    // the first element of a control selection; null when none.
    virtual HtmlNodePtr GetSelectionElement() = 0;
    // Pastes HTML at the selection.
    virtual bool PasteHtml(const std::wstring& html) = 0;
    virtual HtmlNodePtr GetBody() = 0;
    // Every element of the document in document order.
    virtual std::vector<HtmlNodePtr> GetAllElements() = 0;
    // The whole document as HTML source.
    virtual std::wstring GetHtml() = 0;
    virtual bool SetDesignMode(const std::wstring& mode) = 0;
    virtual bool SetCharset(const std::wstring& charset) = 0;
    virtual bool SetBgColor(const std::wstring& color) = 0;
    virtual bool IsDirty() = 0;
};
