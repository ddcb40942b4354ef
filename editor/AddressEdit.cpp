#include "editor/AddressEdit.h"

#include "addressbook/AddressManagerThread.h"
#include "addressbook/DlgAddressNote.h"
#include "core/PostedObjectTable.h"
#include "core/QuendalApp.h"
#include "message/AddressList.h"
#include "message/OutgoingMailServices.h"

#include <memory>
#include <string>
#include <vector>

namespace {

CAddressManagerThread* g_addressBook = nullptr;

const UINT kUndo = 57643, kCut = 57635, kCopy = 57634, kPaste = 57637;

// Held while completing: the field's own text changes come back as change
// notifications and must not complete again.
class CReentryGuard
{
public:
    explicit CReentryGuard(bool& flag) : m_flag(flag), m_bTaken(!flag) { if (m_bTaken) m_flag = true; }
    ~CReentryGuard() { if (m_bTaken) m_flag = false; }
    CReentryGuard(const CReentryGuard&) = delete;
    CReentryGuard& operator=(const CReentryGuard&) = delete;
    bool Taken() const { return m_bTaken; }

private:
    bool& m_flag;
    bool m_bTaken;
};

} // namespace

CAddressEdit::CAddressEdit()
{
    if (CQuendalApp* app = QuendalApp())
        m_nCompletionMode = static_cast<int>(app->GetProfileInt("EditWindow", "AddressMakeupType", 0));
}

void CAddressEdit::SetAddressBook(CAddressManagerThread* pThread)
{
    g_addressBook = pThread;
}

CAddressManagerThread* CAddressEdit::AddressBook()
{
    if (g_addressBook)
        return g_addressBook;
    CQuendalApp* app = QuendalApp();
    return app ? dynamic_cast<CAddressManagerThread*>(app->m_pAddressThread) : nullptr;
}

int CAddressEdit::DisplayMode()
{
    CQuendalApp* app = QuendalApp();
    return app ? app->m_nAddressDispType : 0;
}

BOOL CAddressEdit::Attach(CWnd* pParent, UINT nID)
{
    if (!SubclassDlgItem(nID, pParent))
        return FALSE;
    m_nLastLength = ::GetWindowTextLengthA(m_hWnd);
    return TRUE;
}

int CAddressEdit::NeededHeight(int nTextWidth, int nFieldWidth, int nScrollWidth, int nFontHeight)
{
    const int kMinimum = 20, kMaxLines = 5;
    if (nTextWidth <= 0)
        return kMinimum;
    int lineWidth = nFieldWidth - nScrollWidth;
    if (lineWidth < 1)
        lineWidth = 1;
    int lines = nTextWidth / lineWidth + (nTextWidth % lineWidth ? 1 : 0);
    if (lines > kMaxLines)
        lines = kMaxLines;
    int height = lines * (nFontHeight + 1) + 4;
    return height < kMinimum ? kMinimum : height;
}

int CAddressEdit::NeededHeight(int nFieldWidth) const
{
    CString text = GetText();
    if (text.IsEmpty() || !m_hWnd)
        return NeededHeight(0, nFieldWidth, 0, 0);
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)));
    SIZE size = {};
    ::GetTextExtentPoint32A(dc, text, text.GetLength(), &size);
    TEXTMETRICA metrics = {};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    return NeededHeight(size.cx, nFieldWidth, ::GetSystemMetrics(SM_CXVSCROLL), metrics.tmHeight);
}

CString CAddressEdit::GetText() const
{
    int n = ::GetWindowTextLengthA(m_hWnd);
    CString text;
    ::GetWindowTextA(m_hWnd, text.GetBuffer(n + 1), n + 1);
    text.ReleaseBuffer();
    return text;
}

int CAddressEdit::CaretChars() const
{
    DWORD start = 0, end = 0;
    ::SendMessageA(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

void CAddressEdit::SetTextAndSel(const CString& text, int nSelStartChars, int nSelEndChars)
{
    ::SetWindowTextA(m_hWnd, text);
    ::SendMessageA(m_hWnd, EM_SETSEL, static_cast<WPARAM>(nSelStartChars), nSelEndChars);
    ::SendMessageA(m_hWnd, EM_SCROLLCARET, 0, 0);
}

void CAddressEdit::CompleteAddress(const char* pszExplicit)
{
    CReentryGuard guard(m_bLocked);
    if (!guard.Taken())
        return;
    // The part proposed last time goes first.
    ::SendMessageA(m_hWnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    // The user's own text, without the proposal: longer than last time
    // means typed, not deleted (Backspace on a proposal proposes nothing).
    CString text = GetText();
    int caret = CAddressCompletion::CharToByte(text, CaretChars());
    CString behind = text.Mid(caret);
    bool typed = text.GetLength() > m_nLastLength;
    m_nLastLength = text.GetLength();
    int tokenStart = 0;
    CString token = CAddressCompletion::TokenBeforeCaret(text, caret, &tokenStart);
    bool given = pszExplicit != nullptr;
    if ((!typed && !given) || (token.IsEmpty() && !given)) {
        m_strCandidate.Empty();
        return;
    }
    CString shown;
    if (given) {
        shown = pszExplicit;
    } else {
        CAddressManagerThread* book = AddressBook();
        CStringArray lines;
        if (!book || book->GetMatchingAddresses(token, lines) == 0) {
            m_strCandidate.Empty();
            return;
        }
        m_completion.SetCandidates(lines);
        m_strCandidate = m_completion.NextCandidate();
        shown = CAddressCompletion::ShownText(m_strCandidate);
    }
    CString head = text.Left(tokenStart);
    CString result = head + shown + behind;
    int endChars = CAddressCompletion::ByteToChar(result, tokenStart + shown.GetLength());
    int caretChars = CAddressCompletion::ByteToChar(text, caret);
    if (given)
        m_nLastLength = result.GetLength();
    if (given)
        SetTextAndSel(result, endChars, endChars);
    else
        SetTextAndSel(result, caretChars, endChars);
}

void CAddressEdit::CompleteOnCommand()
{
    m_nLastLength = -1;
    CompleteAddress(nullptr);
}

bool CAddressEdit::AcceptCandidate()
{
    if (m_strCandidate.IsEmpty())
        return false;
    CString address, name;
    CAddressCompletion::SplitLine(m_strCandidate, address, name);
    CString formatted = FormatMailAddress(name, address, DisplayMode()) + ", ";
    // The proposal is replaced by the formatted address.
    CompleteAddress(formatted);
    m_strCandidate.Empty();
    int end = ::GetWindowTextLengthW(m_hWnd);
    ::SendMessageA(m_hWnd, EM_SETSEL, static_cast<WPARAM>(end), end);
    m_completion.Reset();
    return true;
}

bool CAddressEdit::AppendAddress(const char* pszAddress)
{
    CString field = GetText();
    if (!CAddressCompletion::AppendAddress(field, pszAddress))
        return false;
    ::SetWindowTextA(m_hWnd, field);
    m_nLastLength = field.GetLength();
    return true;
}

void CAddressEdit::ChooseEntry(const CString& line, int nMode)
{
    CString address, name;
    CAddressCompletion::SplitLine(line, address, name);
    CString formatted = FormatMailAddress(name, address, DisplayMode());
    if (nMode == kMenuAddressBook) {
        AppendAddress(formatted);
        m_nMenuMode = -1;
    } else {
        CompleteAddress(formatted);
    }
}

HMENU CAddressEdit::BuildAddressMenu(int nMode, bool bEditItems, CStringArray& lines)
{
    CReentryGuard guard(m_bLocked);
    if (!guard.Taken())
        return nullptr;
    if (nMode != kMenuAddressBook)
        ::SendMessageA(m_hWnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    CString text = GetText();
    int caret = CAddressCompletion::CharToByte(text, CaretChars());
    CString token = CAddressCompletion::TokenBeforeCaret(text, caret, nullptr);
    CAddressManagerThread* book = AddressBook();
    if (nMode == kMenuMatching && !token.IsEmpty() && book)
        book->GetMatchingAddresses(token, lines);
    if (lines.GetSize() == 0 && nMode != kMenuAddressBook)
        return nullptr;
    HMENU menu = ::CreatePopupMenu();
    if (!menu)
        return nullptr;
    if (bEditItems) {
        UINT undo = ::SendMessageA(m_hWnd, EM_CANUNDO, 0, 0) ? MF_STRING : MF_STRING | MF_GRAYED;
        ::AppendMenuA(menu, undo, kUndo, "元に戻す(&U)");
        ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(menu, MF_STRING, kCut, "切り取り(&T)");
        ::AppendMenuA(menu, MF_STRING, kCopy, "コピー(&C)");
        ::AppendMenuA(menu, MF_STRING, kPaste, "貼り付け(&P)");
        ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    }
    if (nMode == kMenuAddressBook) {
        m_nMenuMode = kMenuAddressBook;
        // The group popups are attached to the menu and go with it.
        std::vector<HMENU> popups;
        if (book)
            book->CreateGroupMenu(menu, lines, popups);
    } else {
        for (int i = 0; i < lines.GetSize(); ++i)
            ::AppendMenuA(menu, MF_STRING, CAddressManagerThread::kFirstMenuCommand + static_cast<UINT>(i),
                          CAddressCompletion::ShownText(lines[i]));
    }
    return menu;
}

void CAddressEdit::OnMenuCommand(UINT nId, const CStringArray& lines, int nMode)
{
    switch (nId) {
    case 0: break;
    case kUndo: ::SendMessageA(m_hWnd, WM_UNDO, 0, 0); break;
    case kCut: ::SendMessageA(m_hWnd, WM_CUT, 0, 0); break;
    case kCopy: ::SendMessageA(m_hWnd, WM_COPY, 0, 0); break;
    case kPaste: ::SendMessageA(m_hWnd, WM_PASTE, 0, 0); break;
    default: {
        int n = static_cast<int>(nId) - static_cast<int>(CAddressManagerThread::kFirstMenuCommand);
        if (n >= 0 && n < lines.GetSize())
            ChooseEntry(lines[n], nMode);
        break;
    }
    }
    m_nMenuMode = -1;
}

void CAddressEdit::ShowAddressMenu(int nMode, bool bEditItems)
{
    CStringArray lines;
    HMENU menu = BuildAddressMenu(nMode, bEditItems, lines);
    if (!menu)
        return;
    // Below the character before the caret, 2 pixels under the field.
    int caretChars = CaretChars();
    LRESULT pos = ::SendMessageA(m_hWnd, EM_POSFROMCHAR, static_cast<WPARAM>(caretChars > 0 ? caretChars - 1 : 0), 0);
    RECT rc = {};
    ::GetClientRect(m_hWnd, &rc);
    POINT pt = {pos == -1 ? 0 : static_cast<short>(LOWORD(pos)), rc.bottom + 2};
    ::ClientToScreen(m_hWnd, &pt);
    UINT id = static_cast<UINT>(
        ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY, pt.x, pt.y, 0, m_hWnd, nullptr));
    ::DestroyMenu(menu);
    OnMenuCommand(id, lines, nMode);
}

BOOL CAddressEdit::OnChildNotify(UINT message, WPARAM wParam, LPARAM, LRESULT*)
{
    if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
        if (m_nCompletionMode == 1) {
            if (!m_bLocked)
                CompleteAddress(nullptr);
        } else {
            m_nLastLength = ::GetWindowTextLengthA(m_hWnd);
        }
        if (CWnd* parent = GetParent())
            ::PostMessageA(parent->m_hWnd, kTextChanged, reinterpret_cast<WPARAM>(m_hWnd),
                           MAKELPARAM(GetDlgCtrlID(), 0x300));
    }
    return FALSE;
}

LRESULT CAddressEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETTEXT: {
        LRESULT set = CWnd::WindowProc(message, wParam, lParam);
        // A multi-line edit (the field wraps its list) says nothing of a
        // text set from outside; the view hears of it as of one typed, as
        // it did of the single-line field.
        HWND parent = ::GetParent(m_hWnd);
        if (set && parent && (::GetWindowLongA(m_hWnd, GWL_STYLE) & ES_MULTILINE))
            ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), EN_CHANGE),
                           reinterpret_cast<LPARAM>(m_hWnd));
        return set;
    }
    case WM_GETDLGCODE: {
        // Tab and Enter stay the form's, as in a single-line field, though
        // the field is a multi-line edit that wraps its list.
        LRESULT code = CWnd::WindowProc(message, wParam, lParam) & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
        if (lParam && reinterpret_cast<MSG*>(lParam)->message == WM_KEYDOWN &&
            reinterpret_cast<MSG*>(lParam)->wParam == VK_RETURN && HasCandidate())
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN && AcceptCandidate())
            return 0;
        break;
    case WM_PASTE: {
        // The first line of the text, as the single-line field took it: a
        // list pasted with its line breaks would carry them into the header.
        CString text;
        if (::IsClipboardFormatAvailable(CF_TEXT) && ::OpenClipboard(m_hWnd)) {
            HANDLE data = ::GetClipboardData(CF_TEXT);
            const char* p = data ? static_cast<const char*>(::GlobalLock(data)) : nullptr;
            if (p) {
                size_t size = ::GlobalSize(data);
                size_t n = 0;
                while (n < size && p[n] && p[n] != '\r' && p[n] != '\n')
                    ++n;
                text = CString(p, static_cast<int>(n));
                ::GlobalUnlock(data);
            }
            ::CloseClipboard();
        }
        if (!text.IsEmpty())
            ::SendMessageA(m_hWnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.GetString()));
        return 0;
    }
    case WM_CHAR:
        if (wParam == '\r' || wParam == '\n')
            return 0;  // a list, not lines of text: Enter only accepts a proposal
        break;
    case WM_CONTEXTMENU:
        ShowAddressMenu(kMenuAddressBook, true);
        if (CWnd* parent = GetParent())
            ::PostMessageA(parent->m_hWnd, kTextChanged, reinterpret_cast<WPARAM>(m_hWnd),
                           MAKELPARAM(GetDlgCtrlID(), 0x300));
        return 0;
    default:
        if (message == CDlgAddressNote::AddressDropMessage() && lParam) {
            // Addresses dragged here from the address book window. Any
            // program can send the registered number: only a text the
            // window put into the table is taken.
            std::shared_ptr<std::string> text = CPostedObjectTable::Instance().Take<std::string>(message, lParam);
            if (!text)
                return 0;
            CStringArray parts;
            ParseAddressList(text->c_str(), &parts);
            for (int i = 0; i < parts.GetSize(); ++i) {
                CString part = parts[i];
                part.Trim();
                if (!part.IsEmpty())
                    AppendAddress(part);
            }
            return 1;
        }
        break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}
