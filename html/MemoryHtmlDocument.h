// CMemoryHtmlDocument: an HTML document of our own behind the engine seam.
// It keeps a real element tree (the table commands reshape it as an engine
// would), a selection the caller places, and a record of every editing
// command it is given, answering their status and values from tables the
// caller fills.
#pragma once

#include "html/MemoryHtmlNode.h"

#include <map>

class CMemoryHtmlDocument : public CHtmlEngineDocument
{
public:
    struct Command
    {
        DWORD id;
        DWORD option;
        VARTYPE type;        // of the value given; VT_EMPTY when none
        std::wstring value;  // the value as text
    };

    // A document whose BODY holds the given HTML.
    explicit CMemoryHtmlDocument(const std::wstring& bodyHtml = L"");
    // The page at a file path, or the program's own page at "res://<program>/<id>";
    // null when it cannot be read.
    static std::shared_ptr<CMemoryHtmlDocument> Load(const char* pszUrl);

    HRESULT Exec(DWORD command, DWORD option, const VARIANT* in, VARIANT* out) override;
    DWORD QueryStatus(DWORD command) override;
    HtmlNodePtr GetSelectionElement() override;
    bool PasteHtml(const std::wstring& html) override;
    HtmlNodePtr GetBody() override { return m_body; }
    std::vector<HtmlNodePtr> GetAllElements() override;
    // The page as it was read while nothing in it has changed (a mail's HTML
    // goes out again as it came); once changed, the page with its BODY as the
    // tree holds it now (the tree alone for a page without a BODY).
    std::wstring GetHtml() override;
    bool SetDesignMode(const std::wstring& mode) override;
    bool SetCharset(const std::wstring& charset) override;
    bool SetBgColor(const std::wstring& color) override;
    bool IsDirty() override { return m_bDirty; }

    // The caret stands in the element (a text selection); a control
    // selection selects the element itself.
    void SetCaret(const HtmlNodePtr& element) { m_caret = element, m_bControl = false; }
    void SelectControl(const HtmlNodePtr& element) { m_caret = element, m_bControl = true; }
    void SetStatus(DWORD command, DWORD flags) { m_status[command] = flags; }
    // What a command with an output value answers; a command given no answer
    // fails when asked for one.
    void SetValue(DWORD command, const std::wstring& text) { m_textValues[command] = text; }
    void SetValue(DWORD command, int value) { m_intValues[command] = value; }
    void SetNames(DWORD command, const std::vector<std::wstring>& names) { m_names[command] = names; }

    const std::vector<Command>& Commands() const { return m_commands; }
    const std::wstring& DesignMode() const { return m_designMode; }
    const std::wstring& Charset() const { return m_charset; }
    const std::wstring& BgColor() const { return m_bgColor; }
    // The first element of the tag in document order.
    HtmlNodePtr Find(const std::wstring& tag, int nth = 0);

private:
    std::shared_ptr<CMemoryHtmlNode> m_root, m_body;
    // The page read by Load, the tree it made, and what stands before and
    // after its BODY.
    std::wstring m_source, m_sourceTree, m_beforeBody, m_afterBody;
    bool m_bSourceHasBody = false;
    HtmlNodePtr m_caret;
    bool m_bControl = false;
    bool m_bDirty = false;
    std::wstring m_designMode, m_charset, m_bgColor;
    std::vector<Command> m_commands;
    std::map<DWORD, DWORD> m_status;
    std::map<DWORD, std::wstring> m_textValues;
    std::map<DWORD, int> m_intValues;
    std::map<DWORD, std::vector<std::wstring>> m_names;
};
