#include "editor/MailEditCtrl.h"

#include "core/QuendalApp.h"
#include "editor/EditTextCounts.h"
#include "editor/EditorFont.h"
#include "editor/EditTextSearch.h"
#include "classlib/GdiSelection.h"
#include "classlib/StatusBar.h"

#include <commctrl.h>
#include <richedit.h>
#include <imm.h>
#include <richole.h>

namespace {

const char kCaption[] = "Corvane Mail";

bool IsLineEnd(wchar_t c)
{
    return c == L'\r' || c == L'\n';
}

// Plain text into the control's form: every line end a single CR.
std::wstring ToControlText(const char* pszText)
{
    std::wstring wide = CString(pszText ? pszText : "").ToWide();
    std::wstring out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n')
            ++i;
        out += wide[i] == L'\n' ? L'\r' : wide[i];
    }
    return out;
}

void SetTextEx(HWND hWnd, const std::wstring& text, bool bSelection)
{
    SETTEXTEX set = {static_cast<DWORD>(bSelection ? ST_SELECTION : ST_DEFAULT), 1200};
    ::SendMessageW(hWnd, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&set), reinterpret_cast<LPARAM>(text.c_str()));
}

} // namespace

CMailEditCtrl::CMailEditCtrl() = default;

CMailEditCtrl::~CMailEditCtrl()
{
    if (m_hWnd)
        ::SendMessageA(m_hWnd, EM_SETOLECALLBACK, 0, 0);
}

BOOL CMailEditCtrl::Attach(CWnd* pParent, UINT nID, CMailEditView* pOwner)
{
    if (!SubclassDlgItem(nID, pParent))
        return FALSE;
    m_pOwner = pOwner;
    m_callback.SetOwner(pOwner);
    SendMessage(EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE | ENM_KEYEVENTS);
    SendMessage(EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(static_cast<IRichEditOleCallback*>(&m_callback)));
    SendMessage(EM_EXLIMITTEXT, 0, 0x3FFFFFFF);
    // The journal is the control's undo; its own would undo colouring too.
    SendMessage(EM_SETUNDOLIMIT, 0, 0);
    ReloadSettings();
    ClearUndo();
    return TRUE;
}

void CMailEditCtrl::ReloadSettings()
{
    m_colouring.LoadSettings();
    ApplyBaseFormat();
    ApplyBackground();
    if (CQuendalApp* app = QuendalApp())
        m_bImeOnFocus = app->GetProfileInt("EditWindow", "BodyIMEOn", 1) != 0;
    RecolourAll();
}

CString CMailEditCtrl::GetSelectedText() const
{
    int start = 0, end = 0;
    GetSel(start, end);
    if (end <= start)
        return CString();
    std::wstring text = GetTextW();
    if (static_cast<size_t>(end) > text.size())
        end = static_cast<int>(text.size());
    return start < end ? CString(text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)).c_str())
                       : CString();
}

bool CMailEditCtrl::IsHitSelected() const
{
    int start = 0, end = 0;
    GetSel(start, end);
    return m_nLastHit >= 0 && start == m_nLastHit && end == m_nLastHitEnd;
}

void CMailEditCtrl::ApplyBackground()
{
    COLORREF background = ::GetSysColor(COLOR_WINDOW);
    if (CQuendalApp* app = QuendalApp())
        background = static_cast<COLORREF>(app->GetProfileInt("Color", "EditorBkColor", static_cast<int>(background)));
    SendMessage(EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(background));
}

void CMailEditCtrl::ApplyWrapSetting()
{
    CQuendalApp* app = QuendalApp();
    if (!app)
        return;
    int mode = static_cast<int>(app->GetProfileInt("EditWindow", "WordWrapMode", 2));
    int count = static_cast<int>(app->GetProfileInt("EditWindow", "WordWrapCount", 80));
    SetWrapWidth(mode == 0 ? -1 : mode == 1 || count <= 0 ? 0 : count);
}

void CMailEditCtrl::ApplyViewSettings()
{
    ReloadSettings();
    ApplyWrapSetting();
}

std::wstring CMailEditCtrl::GetTextW() const
{
    GETTEXTLENGTHEX length = {GTL_PRECISE | GTL_NUMCHARS, 1200};
    LRESULT n = ::SendMessageW(m_hWnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    if (n <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GETTEXTEX get = {};
    get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    get.flags = GT_DEFAULT;
    get.codepage = 1200;
    LRESULT got = ::SendMessageW(m_hWnd, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                 reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

int CMailEditCtrl::GetByteLength() const
{
    std::wstring text = GetTextW();
    std::wstring crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (wchar_t c : text) {
        if (c == L'\r')
            crlf += L'\r', crlf += L'\n';
        else
            crlf += c;
    }
    return CString(crlf.c_str()).GetLength();
}

int CMailEditCtrl::WrapWidthTwips(int nChars, int nAverageCharPixels, int nPixelsPerInch)
{
    if (nPixelsPerInch <= 0)
        nPixelsPerInch = 96;
    return MulDiv(nAverageCharPixels * (nChars + 1), 1440, nPixelsPerInch);
}

void CMailEditCtrl::SetWrapWidth(int nChars)
{
    if (nChars < 0) {
        SendMessage(EM_SETTARGETDEVICE, 0, 1);
        return;
    }
    if (nChars == 0) {
        SendMessage(EM_SETTARGETDEVICE, 0, 0);
        return;
    }
    HDC hdc = ::GetDC(m_hWnd);
    if (!hdc)
        return;
    int dpiY = ::GetDeviceCaps(hdc, LOGPIXELSY), dpiX = ::GetDeviceCaps(hdc, LOGPIXELSX);
    LOGFONTA lf = CEditorFont::GetSetting();
    lf.lfHeight = -CEditorFont::TwipsToPixels(lf.lfHeight, dpiY);
    HFONT font = ::CreateFontIndirectA(&lf);
    int average = 8;
    if (font) {
        CGdiSelection hold(hdc, font);
        SIZE size = {};
        if (::GetTextExtentPoint32A(hdc, "ABC", 3, &size) && size.cx > 0)
            average = size.cx / 3;
    }
    if (font)
        ::DeleteObject(font);
    // The width is measured on the screen the body is shown on.
    SendMessage(EM_SETTARGETDEVICE, reinterpret_cast<WPARAM>(hdc), WrapWidthTwips(nChars, average, dpiX));
    ::ReleaseDC(m_hWnd, hdc);
}

int CMailEditCtrl::TabWidthTwips(int nTabSize, int nFontTwips)
{
    int base = nFontTwips < 0 ? -nFontTwips : nFontTwips;
    return nTabSize == 0 ? base : nTabSize == 2 ? 4 * base : 2 * base;
}

void CMailEditCtrl::ApplyBaseFormat()
{
    LOGFONTA lf = CEditorFont::GetSetting();
    CHARFORMATA format = {};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_COLOR | CFM_CHARSET;
    lstrcpynA(format.szFaceName, lf.lfFaceName, sizeof(format.szFaceName));
    format.yHeight = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;  // kept in twips
    format.bCharSet = lf.lfCharSet;
    format.dwEffects = (lf.lfWeight == FW_BOLD ? CFE_BOLD : 0) | (lf.lfItalic ? CFE_ITALIC : 0);
    format.crTextColor = m_colouring.GetTextColour();
    // The default for what is typed, and all the text there is.
    ::SendMessageA(m_hWnd, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    ::SendMessageA(m_hWnd, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));

    // The start indent and 32 tab stops, every one a tab width further.
    int tabSize = 1;
    if (CQuendalApp* app = QuendalApp())
        tabSize = static_cast<int>(app->GetProfileInt("Setting", "EditorTabSize", 1));
    int width = TabWidthTwips(tabSize, static_cast<int>(format.yHeight));
    PARAFORMAT para = {};
    para.cbSize = sizeof(para);
    para.dwMask = PFM_STARTINDENT | PFM_TABSTOPS;
    para.dxStartIndent = 45;
    para.cTabCount = MAX_TAB_STOPS;
    for (int i = 0; i < MAX_TAB_STOPS; ++i)
        para.rgxTabs[i] = 45 + width * (i + 1);
    int selStart = 0, selEnd = 0;
    GetSel(selStart, selEnd);
    ++m_nSuspended;
    SetSel(0, -1);
    ::SendMessageA(m_hWnd, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&para));
    SetSel(selStart, selEnd);
    --m_nSuspended;
}

int CMailEditCtrl::GetSelStartByte() const
{
    int selStart = 0, selEnd = 0;
    GetSel(selStart, selEnd);
    std::wstring text = GetTextW();
    std::wstring head;
    for (size_t i = 0; i < text.size() && static_cast<int>(i) < selStart; ++i) {
        if (text[i] == L'\r')
            head += L"\r\n";
        else
            head += text[i];
    }
    return CString(head.c_str()).GetLength();
}

void CMailEditCtrl::SetText(const char* pszText)
{
    ++m_nSuspended;
    SetTextEx(m_hWnd, ToControlText(pszText), false);
    --m_nSuspended;
    ApplyBaseFormat();
    RecolourAll();
    ClearUndo();
    UpdateStatus();
}

void CMailEditCtrl::GetSel(int& nStart, int& nEnd) const
{
    CHARRANGE range = {0, 0};
    ::SendMessageA(m_hWnd, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    nStart = range.cpMin;
    nEnd = range.cpMax;
}

void CMailEditCtrl::SetSel(int nStart, int nEnd)
{
    CHARRANGE range = {nStart, nEnd};
    ::SendMessageA(m_hWnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

int CMailEditCtrl::FirstVisibleLine() const
{
    return static_cast<int>(::SendMessageA(m_hWnd, EM_GETFIRSTVISIBLELINE, 0, 0));
}

void CMailEditCtrl::ScrollToLine(int nLine)
{
    int first = FirstVisibleLine();
    if (nLine != first)
        ::SendMessageA(m_hWnd, EM_LINESCROLL, 0, nLine - first);
}

void CMailEditCtrl::ScrollIntoView(int nPos)
{
    int line = static_cast<int>(::SendMessageA(m_hWnd, EM_EXLINEFROMCHAR, 0, nPos));
    int first = FirstVisibleLine();
    RECT rc = {};
    ::GetClientRect(m_hWnd, &rc);
    POINTL corner = {rc.right - 1, rc.bottom - 1};
    LRESULT last = ::SendMessageA(m_hWnd, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&corner));
    int lastLine = static_cast<int>(::SendMessageA(m_hWnd, EM_EXLINEFROMCHAR, 0, last));
    int visible = lastLine - first + 1;
    if (line < first || line > lastLine)
        ScrollToLine(line - (visible > 3 ? visible - 3 : 0));
}

void CMailEditCtrl::ColourRange(const std::wstring& text, int nStart, int nEnd)
{
    int length = static_cast<int>(text.size());
    nStart = nStart < 0 ? 0 : (nStart > length ? length : nStart);
    nEnd = nEnd < nStart ? nStart : (nEnd > length ? length : nEnd);
    while (nStart > 0 && !IsLineEnd(text[static_cast<size_t>(nStart) - 1]))
        --nStart;
    for (int line = nStart; line <= length;) {
        int end = line;
        while (end < length && !IsLineEnd(text[static_cast<size_t>(end)]))
            ++end;
        // Only the line's first bytes decide; no need to convert all of it.
        int take = end - line > CQuoteColouring::kCompareBytes ? CQuoteColouring::kCompareBytes : end - line;
        CString head(text.substr(static_cast<size_t>(line), static_cast<size_t>(take)).c_str());
        CHARFORMATA format = {};
        format.cbSize = sizeof(format);
        format.dwMask = CFM_COLOR;
        format.crTextColor = m_colouring.ColourOf(head);
        SetSel(line, end + 1 <= length ? end + 1 : end);
        ::SendMessageA(m_hWnd, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        if (end >= nEnd || end >= length)
            break;
        line = end + 1;
    }
}

void CMailEditCtrl::Recolour(int nStart, int nEnd)
{
    int selStart = 0, selEnd = 0;
    GetSel(selStart, selEnd);
    int first = FirstVisibleLine();
    ++m_nSuspended;
    ColourRange(GetTextW(), nStart, nEnd);
    SetSel(selStart, selEnd);
    ScrollToLine(first);
    --m_nSuspended;
}

void CMailEditCtrl::RecolourAll()
{
    Recolour(0, 0x3FFFFFFF);
}

void CMailEditCtrl::RecordStep()
{
    int selStart = 0, selEnd = 0;
    GetSel(selStart, selEnd);
    m_journal.Record(GetTextW(), selStart, selEnd, FirstVisibleLine());
}

void CMailEditCtrl::ClearUndo()
{
    m_journal.Clear();
    if (m_hWnd)
        RecordStep();
}

void CMailEditCtrl::OnTextChanged()
{
    if (m_nSuspended)
        return;
    try {
        RecordStep();
        int selStart = 0, selEnd = 0;
        GetSel(selStart, selEnd);
        Recolour(selStart, selEnd);
        UpdateStatus();
    } catch (...) {
        ::MessageBoxA(m_hWnd, "編集中にエラーが発生しました。", kCaption, MB_OK | MB_ICONEXCLAMATION);
    }
}

void CMailEditCtrl::ReplaceRange(int nStart, int nEnd, const std::wstring& text)
{
    ++m_nSuspended;
    SetSel(nStart, nEnd);
    SetTextEx(m_hWnd, text, true);
    --m_nSuspended;
}

void CMailEditCtrl::InsertText(const char* pszText)
{
    int selStart = 0, selEnd = 0;
    GetSel(selStart, selEnd);
    int first = FirstVisibleLine();
    std::wstring text = ToControlText(pszText);
    RecordStep();
    ReplaceRange(selStart, selEnd, text);
    // Recorded over the whole inserted text, so that its undo spans all its lines.
    SetSel(selStart, selStart + static_cast<int>(text.size()));
    RecordStep();
    Recolour(selStart, selStart + static_cast<int>(text.size()));
    ScrollToLine(first);
    NotifyChanged();
    UpdateStatus();
}

void CMailEditCtrl::NotifyChanged()
{
    // The view marks the mail changed; the step is recorded already.
    ++m_nSuspended;
    if (CWnd* parent = GetParent())
        ::SendMessageA(parent->m_hWnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), EN_CHANGE),
                       reinterpret_cast<LPARAM>(m_hWnd));
    --m_nSuspended;
}

void CMailEditCtrl::UndoRedo(bool bRedo)
{
    CEditUndoJournal::Change change;
    std::wstring text = GetTextW();
    if (!(bRedo ? m_journal.Redo(text, change) : m_journal.Undo(text, change)))
        return;
    ReplaceRange(change.nStart, change.nEnd, change.text);
    Recolour(change.nStart, change.nStart + static_cast<int>(change.text.size()));
    SetSel(change.nCaret, change.nCaret);
    ScrollToLine(change.nFirstVisible);
    UpdateStatus();
}

void CMailEditCtrl::MoveCaret(int nDirection)
{
    int selStart = 0, selEnd = 0;
    GetSel(selStart, selEnd);
    int pos = selStart;
    int line = static_cast<int>(SendMessage(EM_EXLINEFROMCHAR, 0, pos));
    int lines = static_cast<int>(SendMessage(EM_GETLINECOUNT));
    if (nDirection == 0 || nDirection == 1) {
        int target = nDirection == 0 ? line - 1 : line + 1;
        if (target < 0 || target >= lines)
            return;
        int column = pos - static_cast<int>(SendMessage(EM_LINEINDEX, static_cast<WPARAM>(line)));
        int start = static_cast<int>(SendMessage(EM_LINEINDEX, static_cast<WPARAM>(target)));
        int length = static_cast<int>(SendMessage(EM_LINELENGTH, static_cast<WPARAM>(start)));
        pos = start + (column < length ? column : length);
        SetSel(pos, pos);
    } else {
        int step = nDirection == 2 ? -1 : 1;
        int want = pos + step;
        if (want < 0)
            want = 0;
        SetSel(want, want);
        int got = 0, gotEnd = 0;
        GetSel(got, gotEnd);
        // The control moved the caret elsewhere (inside a double-byte pair).
        if (got != want && got == pos)
            SetSel(want + step, want + step);
    }
    ::SetFocus(m_hWnd);
    UpdateStatus();
}

void CMailEditCtrl::GoToLine(int nLine)
{
    int pos = 0;
    if (nLine == -1)
        pos = static_cast<int>(GetTextW().size());
    else if (nLine > 0) {
        int lines = static_cast<int>(SendMessage(EM_GETLINECOUNT));
        int target = nLine - 1 < lines ? nLine - 1 : lines - 1;
        pos = static_cast<int>(SendMessage(EM_LINEINDEX, static_cast<WPARAM>(target)));
    }
    SetSel(pos, pos);
    ScrollIntoView(pos);
    ::SetFocus(m_hWnd);
    UpdateStatus();
}

void CMailEditCtrl::CaretToLineStart()
{
    int selStart = 0, selEnd = 0;
    GetSel(selStart, selEnd);
    int line = static_cast<int>(SendMessage(EM_EXLINEFROMCHAR, 0, selStart));
    int pos = static_cast<int>(SendMessage(EM_LINEINDEX, static_cast<WPARAM>(line)));
    SetSel(pos, pos);
    ::SetFocus(m_hWnd);
    UpdateStatus();
}

void CMailEditCtrl::CaretToLineEnd()
{
    int selStart = 0, selEnd = 0;
    GetSel(selStart, selEnd);
    int line = static_cast<int>(SendMessage(EM_EXLINEFROMCHAR, 0, selStart));
    int start = static_cast<int>(SendMessage(EM_LINEINDEX, static_cast<WPARAM>(line)));
    int pos = start + static_cast<int>(SendMessage(EM_LINELENGTH, static_cast<WPARAM>(start)));
    SetSel(pos, pos);
    ::SetFocus(m_hWnd);
    UpdateStatus();
}

void CMailEditCtrl::SelectAll()
{
    SetSel(0, -1);
    ::SetFocus(m_hWnd);
}

bool CMailEditCtrl::FindNext(bool bMatchCase, bool bFromStart, const char* pszWhat)
{
    m_findText = CString(pszWhat ? pszWhat : "").ToWide();
    m_bMatchCase = bMatchCase;
    int from = bFromStart || m_nLastHit < 0 ? 0 : m_nLastHit + 1;
    int at = FindInText(GetTextW(), m_findText, from, bMatchCase);
    if (at < 0)
        return false;
    m_nLastHit = at;
    m_nLastHitEnd = at + static_cast<int>(m_findText.size());
    SetSel(m_nLastHit, m_nLastHitEnd);
    ScrollIntoView(at);
    return true;
}

bool CMailEditCtrl::FindAgain()
{
    if (m_findText.empty())
        return false;
    std::wstring text = GetTextW();
    int at = FindInText(text, m_findText, m_nLastHitEnd < 0 ? 0 : m_nLastHitEnd, m_bMatchCase);
    if (at < 0)
        at = FindInText(text, m_findText, 0, m_bMatchCase);
    if (at < 0)
        return false;
    m_nLastHit = at;
    m_nLastHitEnd = at + static_cast<int>(m_findText.size());
    SetSel(m_nLastHit, m_nLastHitEnd);
    ScrollIntoView(at);
    return true;
}

int CMailEditCtrl::ReplaceAll(bool bFromStart, const char* pszWhat, const char* pszWith, bool bMatchCase)
{
    std::wstring text = GetTextW();
    std::wstring what = CString(pszWhat ? pszWhat : "").ToWide();
    std::wstring with = ToControlText(pszWith);
    int from = bFromStart || m_nLastHit < 0 ? 0 : m_nLastHit + 1;
    std::wstring replaced = text;
    int count = ReplaceAllInText(replaced, what, with, from, bMatchCase);
    if (count < 0)
        return -1;
    int first = FirstVisibleLine();
    RecordStep();
    // Only the stretch from the first to the last change is written back.
    size_t head = 0;
    while (head < text.size() && head < replaced.size() && text[head] == replaced[head])
        ++head;
    size_t tail = 0;
    while (tail < text.size() - head && tail < replaced.size() - head &&
           text[text.size() - 1 - tail] == replaced[replaced.size() - 1 - tail])
        ++tail;
    ReplaceRange(static_cast<int>(head), static_cast<int>(text.size() - tail),
                 replaced.substr(head, replaced.size() - tail - head));
    SetSel(static_cast<int>(head), static_cast<int>(replaced.size() - tail));
    RecordStep();
    Recolour(static_cast<int>(head), static_cast<int>(replaced.size() - tail));
    ScrollToLine(first);
    m_nLastHit = -1;
    m_nLastHitEnd = -1;
    NotifyChanged();
    UpdateStatus();
    return count;
}

CString CMailEditCtrl::GetCaretPositionText() const
{
    int selStart = 0, selEnd = 0;
    GetSel(selStart, selEnd);
    int line = static_cast<int>(::SendMessageA(m_hWnd, EM_EXLINEFROMCHAR, 0, selStart));
    int start = static_cast<int>(::SendMessageA(m_hWnd, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
    return FormatCaretPosition(line + 1, selStart - start);
}

CString CMailEditCtrl::GetCharCountText() const
{
    return FormatFullWidthCount(GetByteLength());
}

void CMailEditCtrl::UpdateStatus()
{
    HWND frame = ::GetAncestor(m_hWnd, GA_ROOT);
    HWND hBar = frame ? ::GetDlgItem(frame, AFX_IDW_STATUS_BAR) : nullptr;
    auto* bar = dynamic_cast<CStatusBar*>(CWnd::FromHandlePermanent(hBar));
    if (!bar || bar->GetCount() <= 4)
        return;
    bar->SetPaneText(3, GetCharCountText());
    bar->SetPaneText(4, GetCaretPositionText());
}

void CMailEditCtrl::SwitchIme(bool bFocus)
{
    if (!m_bImeOnFocus)
        return;
    HIMC imc = ::ImmGetContext(m_hWnd);
    if (!imc)
        return;
    // Writing Japanese starts with the IME on; leaving gives back what the
    // user had.
    if (bFocus) {
        m_bImeWasOpen = ::ImmGetOpenStatus(imc) != FALSE;
        ::ImmSetOpenStatus(imc, TRUE);
    } else {
        ::ImmSetOpenStatus(imc, m_bImeWasOpen ? TRUE : FALSE);
    }
    ::ImmReleaseContext(m_hWnd, imc);
}

BOOL CMailEditCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM, LRESULT* pResult)
{
    if (message != WM_COMMAND || HIWORD(wParam) != EN_CHANGE || m_nSuspended)
        return FALSE;
    // The control also says "changed" when it is only resized or
    // repainted: what did not change the text is not passed on.
    const std::wstring* seen = m_journal.GetCurrentText();
    if (seen && *seen == GetTextW()) {
        *pResult = 0;
        return TRUE;
    }
    OnTextChanged();
    // The view sees the change too (it marks the mail changed).
    return FALSE;
}

LRESULT CMailEditCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return DefWindowProc(message, wParam, lParam) | DLGC_WANTTAB;
    case WM_GETTEXTLENGTH:
        // In bytes of code page 932 with CR LF line ends, as a caller of
        // GetWindowTextLengthA sizes its buffer; the control may count
        // characters, which cuts Japanese text short.
        return GetByteLength();
    case EM_UNDO:
    case WM_UNDO:
        UndoRedo(false);
        return TRUE;
    case EM_REDO:
        UndoRedo(true);
        return TRUE;
    case EM_CANUNDO:
        return m_journal.CanUndo() ? TRUE : FALSE;
    case WM_KEYDOWN: {
        bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
        if (ctrl && (wParam == 'Z' || wParam == 'Y')) {
            UndoRedo(wParam == 'Y');
            return 0;
        }
        if (wParam == VK_TAB && !ctrl && ::GetKeyState(VK_SHIFT) >= 0) {
            InsertText("\t");
            int start = 0, end = 0;
            GetSel(start, end);
            SetSel(end, end);
            return 0;
        }
        LRESULT r = DefWindowProc(message, wParam, lParam);
        UpdateStatus();
        return r;
    }
    case WM_CONTEXTMENU:
        // The editor window's own menu, not the control's.
        if (HWND frame = ::GetAncestor(m_hWnd, GA_ROOT))
            ::SendMessageA(frame, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd), lParam);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        LRESULT r = DefWindowProc(message, wParam, lParam);
        SwitchIme(message == WM_SETFOCUS);
        return r;
    }
    case WM_LBUTTONUP: {
        LRESULT r = DefWindowProc(message, wParam, lParam);
        UpdateStatus();
        return r;
    }
    case kMsgTextReplaced:
        ApplyBaseFormat();
        RecolourAll();
        UpdateStatus();
        return 0;
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}
