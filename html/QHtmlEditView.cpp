#include "html/QHtmlEditView.h"

#include "html/DlgHtmlInsertTable.h"
#include "html/HtmlTableEditing.h"
#include "html/HtmlTagMenu.h"
#include "html/HtmlTextOps.h"
#include "html/MemoryHtmlDocument.h"
#include "html/MshtmlDocument.h"
#include "resources/html/HtmlResource.h"
#include "viewer/WebBrowser.h"

#include <commdlg.h>
#include <docobj.h>

#include <vector>

namespace {

// Editing commands of the engine's editing command group.
enum : DWORD
{
    kFontName = 18,
    kFontSize = 19,
    kRedo = 29,
    kSelectAll = 31,
    kUndo = 43,
    kBold = 52,
    kForeColor = 55,
    kJustifyCenter = 57,
    kJustifyLeft = 59,
    kJustifyRight = 60,
    kItalic = 56,
    kUnderline = 63,
    kFind = 67,
    kHyperlink = 2124,
    kHorizontalLine = 2150,
    kImage = 2168,
    kOrderList = 2184,
    kUnorderList = 2185,
    kIndent = 2186,
    kOutdent = 2187,
    kGetBlockFormats = 2233,
    kBlockFormat = 2234,
    kSetDirty = 2342,
    kAutoUrlDetect = 2400,
    kKeepSelection = 2410,
};

// What only an engine carries out: our own document answers them as
// supported but not enabled, so that they fail rather than do nothing.
const DWORD kEngineOnlyCommands[] = { 15, 16, 26, kFontName, kFontSize, kRedo, kSelectAll, kUndo, kBold,
                                      kForeColor, kJustifyCenter, kJustifyLeft, kJustifyRight, kItalic,
                                      kUnderline, kFind, kHyperlink, kHorizontalLine, kImage, kOrderList,
                                      kUnorderList, kIndent, kOutdent, kGetBlockFormats, kBlockFormat,
                                      kAutoUrlDetect, kKeepSelection };

// Our own document for a page, where no engine is installed.
std::shared_ptr<CHtmlEngineDocument> LoadOwnDocument(const char* pszUrl)
{
    std::shared_ptr<CMemoryHtmlDocument> doc = CMemoryHtmlDocument::Load(pszUrl);
    if (doc)
        for (DWORD command : kEngineOnlyCommands)
            doc->SetStatus(command, OLECMDF_SUPPORTED);
    return doc;
}

const UINT kFirstTableCommand = 33330;
const UINT kLastTableCommand = 33338;

CQHtmlEditView::EngineFactory& Factory()
{
    static CQHtmlEditView::EngineFactory factory;
    return factory;
}

struct VariantValue
{
    VARIANT v;
    VariantValue() { VariantInit(&v); }
    ~VariantValue() { VariantClear(&v); }
    VariantValue(const VariantValue&) = delete;
    VariantValue& operator=(const VariantValue&) = delete;
};

const struct
{
    UINT id;
    const char* text;
} kTableMenu[] = {
    { 33330, "テーブルの作成(&T)..." }, { 0, nullptr },
    { 33331, "列の挿入(&I)" },          { 33332, "行の挿入(&A)" },
    { 33333, "セルの挿入(&N)" },        { 0, nullptr },
    { 33334, "列の削除(&C)" },          { 33335, "行の削除(&R)" },
    { 33336, "セルの削除(&D)" },        { 0, nullptr },
    { 33337, "セルの結合(&B)" },        { 33338, "セルの分割(&S)" },
};

} // namespace

BEGIN_MESSAGE_MAP(CQHtmlEditView, CWnd)
    ON_COMMAND_RANGE(CHtmlTagMenu::kFirstCommand, CHtmlTagMenu::kFirstCommand + CHtmlTagMenu::kMaxCommands - 1,
                     OnBlockFormatCommand)
    ON_COMMAND_RANGE(kFirstTableCommand, kLastTableCommand, OnTableCommand)
    ON_COMMAND(33358, OnSetBackgroundColor)
    ON_COMMAND(33359, OnClearBackgroundColor)
    ON_COMMAND(33360, OnSetBackgroundImage)
    ON_COMMAND(33361, OnClearBackgroundImage)
    ON_COMMAND(33364, OnInsertImage)
    ON_COMMAND(33365, OnInsertHyperlink)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenuMsg)
    ON_MESSAGE(WM_KEYUP, OnSelectionInputMsg)
    ON_MESSAGE(WM_LBUTTONUP, OnSelectionInputMsg)
    ON_MESSAGE(WM_SIZE, OnSizeMsg)
    ON_MESSAGE(WM_CUT, OnCutMsg)
    ON_MESSAGE(WM_COPY, OnCopyMsg)
    ON_MESSAGE(WM_PASTE, OnPasteMsg)
    ON_MESSAGE(WM_DESTROY, OnDestroyMsg)
    ON_MESSAGE(WM_SETFOCUS, OnSetFocusMsg)
    ON_MESSAGE(WM_SETFONT, OnSetFontMsg)
END_MESSAGE_MAP()

void CQHtmlEditView::SetEngineFactory(EngineFactory factory)
{
    Factory() = std::move(factory);
}

CQHtmlEditView::CQHtmlEditView() = default;

CQHtmlEditView::~CQHtmlEditView()
{
    RestoreInnerWindow();
    m_document.Attach(nullptr, nullptr);
}

BOOL CQHtmlEditView::Create(CWnd* pParent, UINT nID, const RECT& rect)
{
    const char* cls = AfxRegisterWndClass("CVMHtmlEditView", CS_DBLCLKS, LoadCursor(nullptr, IDC_IBEAM),
                                          reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    if (!CreateEx(WS_EX_CLIENTEDGE, cls, "", WS_CHILD | WS_TABSTOP | WS_CLIPCHILDREN, rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top, pParent ? pParent->GetSafeHwnd() : nullptr,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
        return FALSE;
    if (Factory())
        return TRUE;
    // Without an engine the browser control would ask to download one and
    // wait: our own document stands in.
    if (CWebBrowser::IsEngineAvailable()) {
        m_pBrowser = std::make_unique<CWebBrowser>();
        RECT client;
        GetClientRect(&client);
        if (m_pBrowser->Create(this, 1, client)) {
            m_pBrowser->SetEventOwner(this);
            m_pBrowser->ShowWindow(SW_SHOW);
            return TRUE;
        }
        m_pBrowser.reset();
    }
    if (CreateTextPane())
        return TRUE;
    DWORD error = GetLastError();
    DestroyWindow();
    SetLastError(error ? error : ERROR_NOT_SUPPORTED);
    return FALSE;
}

bool CQHtmlEditView::CreateTextPane()
{
    RECT client;
    GetClientRect(&client);
    m_hText = CreateWindowExA(0, "EDIT", "",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY |
                                  ES_NOHIDESEL,
                              0, 0, client.right, client.bottom, m_hWnd, reinterpret_cast<HMENU>(1),
                              AfxGetInstanceHandle(), nullptr);
    if (!m_hText)
        return false;
    ::SendMessageA(m_hText, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    // The view's own context menu and clipboard commands, as over the engine.
    SubclassInner(m_hText);
    return true;
}

void CQHtmlEditView::ShowDocumentText()
{
    CHtmlEngineDocument* doc = m_document.GetDocument();
    HtmlNodePtr body = doc ? doc->GetBody() : nullptr;
    if (!m_hText || !body)
        return;
    // Line breaks as the edit control wants them: "\r\n" each.
    std::wstring text;
    for (wchar_t c : body->GetInnerText()) {
        if (c == L'\r')
            continue;
        if (c == L'\n')
            text += L'\r';
        text += c;
    }
    ::SetWindowTextA(m_hText, CString(text.c_str()));
}

LRESULT CQHtmlEditView::OnSetFocusMsg(WPARAM, LPARAM)
{
    if (m_hText)
        ::SetFocus(m_hText);
    return Default();
}

LRESULT CQHtmlEditView::OnSetFontMsg(WPARAM wParam, LPARAM lParam)
{
    if (m_hText)
        ::SendMessageA(m_hText, WM_SETFONT, wParam, lParam);
    return Default();
}

LRESULT CQHtmlEditView::OnDestroyMsg(WPARAM, LPARAM)
{
    RestoreInnerWindow();
    if (m_pBrowser) {
        m_pBrowser->SetEventOwner(nullptr);
        m_pBrowser->DestroyWindow();
        m_pBrowser.reset();
    }
    return Default();
}

void CQHtmlEditView::SetFormatControls(CComboBox* pFontName, CComboBox* pFontSize, CHtmlFormatReceiver* pReceiver)
{
    m_pFontName = pFontName;
    m_pFontSize = pFontSize;
    m_pReceiver = pReceiver;
}

// ---- Loading ----

void CQHtmlEditView::SetDesignModeOff()
{
    if (CHtmlEngineDocument* doc = m_document.GetDocument())
        doc->SetDesignMode(L"Off");
}

void CQHtmlEditView::Navigate(const char* pszUrl)
{
    SetDesignModeOff();
    OnBeforeNavigate2();
    if (m_pBrowser) {
        m_pBrowser->Navigate(pszUrl);
        return;
    }
    std::shared_ptr<CHtmlEngineDocument> doc = Factory() ? Factory()(CString(pszUrl)) : LoadOwnDocument(pszUrl);
    if (!doc)
        return;
    m_pLoaded = doc;
    OnNavigateComplete2(pszUrl);
    OnDocumentComplete(pszUrl);
}

void CQHtmlEditView::NavigateToFile(const char* pszPath)
{
    m_strLoadedFile = pszPath;
    Navigate(pszPath);
}

void CQHtmlEditView::LoadEditPage()
{
    char exe[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(nullptr, exe, sizeof(exe));
    if (n == 0 || n >= sizeof(exe))
        return;
    CString url;
    url.Format("res://%s/%d", exe, IDR_HTML_EDIT_PAGE);
    Navigate(url);
}

void CQHtmlEditView::OnBeforeNavigate2()
{
    ClearModified();
}

void CQHtmlEditView::OnNavigateComplete2(const char*)
{
    // A completed navigation is edited: the document is put into design mode
    // and held from now on.
    if (m_pLoaded)
        m_pLoaded->SetDesignMode(L"On");
    m_document.Attach(this, m_pLoaded);
    if (m_bFirstLoad)
        return;
    m_bFirstLoad = true;
    // The first page stays in design mode: a new mail must be editable as
    // soon as it is shown.
    ExecCommandWithValue(kKeepSelection, true, OLECMDEXECOPT_DODEFAULT);
    ExecCommandWithValue(kAutoUrlDetect, true, OLECMDEXECOPT_DODEFAULT);
}

void CQHtmlEditView::OnDocumentComplete(const char*)
{
    if (!m_strLoadedFile.IsEmpty()) {
        DeleteFileA(m_strLoadedFile);
        m_strLoadedFile.Empty();
    }
    if (m_nModifiedAfterLoad) {
        SetModified();
        m_nModifiedAfterLoad = 0;
    }
    ShowDocumentText();
    if (CWnd* pParent = GetParent())
        pParent->PostMessage(WM_USER + 101, 0, 0);
}

void CQHtmlEditView::OnBrowserDocumentComplete(const char* pszUrl)
{
    IDispatch* pDocument = m_pBrowser ? m_pBrowser->GetDocumentDispatch() : nullptr;
    m_pLoaded = CMshtmlDocument::FromDispatch(pDocument);
    if (pDocument)
        pDocument->Release();
    if (!m_pLoaded)
        return;
    bool first = !m_bFirstLoad;
    OnNavigateComplete2(pszUrl);
    if (first)
        SubclassInnerWindow();
    OnDocumentComplete(pszUrl);
}

void CQHtmlEditView::SubclassInnerWindow()
{
    if (!m_pBrowser || m_hInner)
        return;
    HWND embedding = FindWindowExA(m_pBrowser->m_hWnd, nullptr, "Shell Embedding", nullptr);
    HWND view = embedding ? FindWindowExA(embedding, nullptr, "Shell DocObject View", nullptr) : nullptr;
    HWND inner = view ? FindWindowExA(view, nullptr, "Internet Explorer_Server", nullptr) : nullptr;
    if (inner)
        SubclassInner(inner);
}

void CQHtmlEditView::SubclassInner(HWND inner)
{
    SetPropA(inner, "CVMHtmlEditView", this);
    m_pfnInnerProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(inner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CQHtmlEditView::InnerWindowProc)));
    m_hInner = inner;
}

void CQHtmlEditView::RestoreInnerWindow()
{
    if (!m_hInner)
        return;
    if (IsWindow(m_hInner)) {
        SetWindowLongPtrA(m_hInner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnInnerProc));
        RemovePropA(m_hInner, "CVMHtmlEditView");
    }
    m_hInner = nullptr;
    m_pfnInnerProc = nullptr;
}

LRESULT CALLBACK CQHtmlEditView::InnerWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* pView = static_cast<CQHtmlEditView*>(GetPropA(hWnd, "CVMHtmlEditView"));
    if (!pView || !pView->m_pfnInnerProc)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    // The view shows its own context menu instead of the engine's.
    if (message == WM_CONTEXTMENU) {
        pView->PostMessage(WM_CONTEXTMENU, wParam, lParam);
        return 0;
    }
    LRESULT result = CallWindowProcA(pView->m_pfnInnerProc, hWnd, message, wParam, lParam);
    if (message == WM_CUT || message == WM_COPY || message == WM_PASTE)
        pView->RunClipboardCommand(message);
    // A released key or button is where the caret or the selection moved:
    // the frame's boxes and buttons then show the format found there.
    if (message == WM_KEYUP || message == WM_LBUTTONUP)
        pView->OnUpdateUI();
    return result;
}

bool CQHtmlEditView::RunClipboardCommand(UINT nMessage)
{
    DWORD command = nMessage == WM_CUT ? 16 : nMessage == WM_COPY ? 15 : nMessage == WM_PASTE ? 26 : 0;
    const DWORD wanted = OLECMDF_SUPPORTED | OLECMDF_ENABLED;
    if (!command || (QueryCommandStatus(command) & wanted) != wanted)
        return false;
    return m_document.Exec(command, nullptr, false);
}

LRESULT CQHtmlEditView::OnClipboardMsg(UINT nMessage)
{
    LRESULT result = Default();
    RunClipboardCommand(nMessage);
    return result;
}

LRESULT CQHtmlEditView::OnCutMsg(WPARAM, LPARAM)
{
    return OnClipboardMsg(WM_CUT);
}

LRESULT CQHtmlEditView::OnCopyMsg(WPARAM, LPARAM)
{
    return OnClipboardMsg(WM_COPY);
}

LRESULT CQHtmlEditView::OnPasteMsg(WPARAM, LPARAM)
{
    return OnClipboardMsg(WM_PASTE);
}

HRESULT CQHtmlEditView::OnUpdateUI()
{
    UpdateFormatState();
    return S_OK;
}

LRESULT CQHtmlEditView::OnSelectionInputMsg(WPARAM, LPARAM)
{
    LRESULT result = Default();
    OnUpdateUI();
    return result;
}

CString CQHtmlEditView::GetDocumentHtml()
{
    CHtmlEngineDocument* doc = m_document.GetDocument();
    if (!doc)
        return CString();
    CString html(doc->GetHtml().c_str());
    int end = html.Find("</HTML>");
    return end < 0 ? html : html.Left(end + 7);
}

CString CQHtmlEditView::GetBodyText(const char* pszCharset)
{
    CHtmlEngineDocument* doc = m_document.GetDocument();
    if (!doc)
        return CString();
    doc->SetCharset(CString(pszCharset).ToWide());
    for (const HtmlNodePtr& element : doc->GetAllElements())
        if (_wcsicmp(element->GetTagName().c_str(), L"body") == 0)
            return CString(element->GetInnerText().c_str());
    return CString();
}

// ---- Commands ----

bool CQHtmlEditView::Exec(DWORD nCommand, const VARIANT* pValue, DWORD nOption)
{
    CHtmlEngineDocument* doc = m_document.GetDocument();
    return doc && SUCCEEDED(doc->Exec(nCommand, nOption, pValue, nullptr));
}

bool CQHtmlEditView::ExecOut(DWORD nCommand, VARIANT* pOut)
{
    CHtmlEngineDocument* doc = m_document.GetDocument();
    return doc && SUCCEEDED(doc->Exec(nCommand, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, pOut));
}

bool CQHtmlEditView::ExecCommandWithValue(DWORD nCommand, bool bValue, DWORD nOption)
{
    VARIANT value;
    value.vt = VT_BOOL;
    value.boolVal = bValue ? VARIANT_TRUE : VARIANT_FALSE;
    return Exec(nCommand, &value, nOption);
}

bool CQHtmlEditView::SetModified()
{
    return ExecCommandWithValue(kSetDirty, true, OLECMDEXECOPT_DODEFAULT);
}

bool CQHtmlEditView::ClearModified()
{
    return ExecCommandWithValue(kSetDirty, false, OLECMDEXECOPT_DODEFAULT);
}

bool CQHtmlEditView::Undo()
{
    return ExecCommandWithValue(kUndo, false, OLECMDEXECOPT_DODEFAULT);
}

bool CQHtmlEditView::Redo()
{
    return ExecCommandWithValue(kRedo, false, OLECMDEXECOPT_DODEFAULT);
}

bool CQHtmlEditView::SelectAll()
{
    return ExecCommandWithValue(kSelectAll, false, OLECMDEXECOPT_DODEFAULT);
}

bool CQHtmlEditView::Find()
{
    return ExecCommandWithValue(kFind, false, OLECMDEXECOPT_DODEFAULT);
}

bool CQHtmlEditView::FindWithOption(bool bOption)
{
    return ExecCommandWithValue(kFind, bOption, OLECMDEXECOPT_DODEFAULT);
}

void CQHtmlEditView::InvalidateEditWindow()
{
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CQHtmlEditView::Bold() { return ExecNoValue(kBold); }
bool CQHtmlEditView::Italic() { return ExecNoValue(kItalic); }
bool CQHtmlEditView::Underline() { return ExecNoValue(kUnderline); }
bool CQHtmlEditView::InsertHorizontalRule() { return ExecNoValue(kHorizontalLine); }
bool CQHtmlEditView::OrderList() { return ExecNoValue(kOrderList); }
bool CQHtmlEditView::UnorderList() { return ExecNoValue(kUnorderList); }
bool CQHtmlEditView::Indent() { return ExecNoValue(kIndent); }
bool CQHtmlEditView::Outdent() { return ExecNoValue(kOutdent); }
bool CQHtmlEditView::JustifyLeft() { return ExecNoValue(kJustifyLeft); }
bool CQHtmlEditView::JustifyCenter() { return ExecNoValue(kJustifyCenter); }
bool CQHtmlEditView::JustifyRight() { return ExecNoValue(kJustifyRight); }
bool CQHtmlEditView::InsertImage() { return Exec(kImage, nullptr, OLECMDEXECOPT_PROMPTUSER); }
bool CQHtmlEditView::InsertHyperlink() { return ExecNoValue(kHyperlink); }

bool CQHtmlEditView::SetFontName(const char* pszFace)
{
    VariantValue value;
    value.v.vt = VT_BSTR;
    value.v.bstrVal = SysAllocString(CString(pszFace).ToWide().c_str());
    if (!value.v.bstrVal)
        AfxThrowMemoryException();
    return Exec(kFontName, &value.v, OLECMDEXECOPT_DONTPROMPTUSER);
}

bool CQHtmlEditView::SetFontSize(int nIndex)
{
    VARIANT value;
    value.vt = VT_I4;
    value.lVal = nIndex + 1;
    return Exec(kFontSize, &value, OLECMDEXECOPT_DONTPROMPTUSER);
}

void CQHtmlEditView::ChooseForeColor()
{
    VariantValue current;
    if (!ExecOut(kForeColor, &current.v))
        return;
    static COLORREF custom[16];
    CHOOSECOLORA cc = { sizeof(cc) };
    cc.hwndOwner = m_hWnd;
    cc.rgbResult = current.v.vt == VT_I4 ? static_cast<COLORREF>(current.v.lVal) : 0;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&cc))
        return;
    VARIANT value;
    value.vt = VT_I4;
    value.lVal = static_cast<LONG>(cc.rgbResult);
    Exec(kForeColor, &value, OLECMDEXECOPT_DONTPROMPTUSER);
}

DWORD CQHtmlEditView::QueryCommandStatus(DWORD nCommand)
{
    CHtmlEngineDocument* doc = m_document.GetDocument();
    return doc ? doc->QueryStatus(nCommand) : 0;
}

void CQHtmlEditView::UpdateFormatState()
{
    DWORD name = QueryCommandStatus(kFontName);
    DWORD size = QueryCommandStatus(kFontSize);
    DWORD bold = QueryCommandStatus(kBold);
    DWORD italic = QueryCommandStatus(kItalic);
    DWORD underline = QueryCommandStatus(kUnderline);
    if (m_pFontName && m_pFontName->m_hWnd)
        m_pFontName->EnableWindow((name & OLECMDF_ENABLED) != 0);
    if (m_pFontSize && m_pFontSize->m_hWnd)
        m_pFontSize->EnableWindow((size & OLECMDF_ENABLED) != 0);
    if (m_pFontName && m_pFontName->m_hWnd) {
        VariantValue face;
        // A face the box does not list shows as none rather than as the
        // face found before.
        if (!(name & OLECMDF_ENABLED) || (name & OLECMDF_NINCHED) || !ExecOut(kFontName, &face.v) ||
            face.v.vt != VT_BSTR ||
            m_pFontName->SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(VariantToText(face.v).GetString())) == CB_ERR)
            m_pFontName->SendMessage(CB_SETCURSEL, static_cast<WPARAM>(-1));
    }
    if (m_pFontSize && m_pFontSize->m_hWnd) {
        VariantValue value;
        if (size & OLECMDF_NINCHED)
            m_pFontSize->SendMessage(CB_SETCURSEL, static_cast<WPARAM>(-1));
        else if ((size & OLECMDF_ENABLED) && ExecOut(kFontSize, &value.v) && value.v.vt == VT_I4 && value.v.lVal > 0)
            m_pFontSize->SendMessage(CB_SETCURSEL, static_cast<WPARAM>(value.v.lVal - 1));
    }
    if (m_pReceiver)
        m_pReceiver->SetFormatState("", (bold & OLECMDF_LATCHED) != 0, (italic & OLECMDF_LATCHED) != 0,
                                    (underline & OLECMDF_LATCHED) != 0);
}

int CQHtmlEditView::GetBlockFormatNames()
{
    VariantValue out;
    CHtmlEngineDocument* doc = m_document.GetDocument();
    HRESULT hr = doc ? doc->Exec(kGetBlockFormats, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, &out.v) : E_FAIL;
    if (FAILED(hr) || out.v.vt != (VT_ARRAY | VT_BSTR) || !out.v.parray)
        return -1;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(out.v.parray, 1, &lower);
    SafeArrayGetUBound(out.v.parray, 1, &upper);
    int count = 0;
    for (LONG i = lower; i <= upper && count < 32; ++i) {
        BSTR name = nullptr;
        if (SUCCEEDED(SafeArrayGetElement(out.v.parray, &i, &name))) {
            m_names[count++] = name ? CString(static_cast<const wchar_t*>(name)) : CString();
            SysFreeString(name);
        }
    }
    m_nNameCount = count;
    return static_cast<int>(hr);
}

// ---- Menus ----

void CQHtmlEditView::AppendTableMenu(CMenu& menu)
{
    for (const auto& item : kTableMenu)
        menu.AppendMenu(item.id ? MF_STRING : MF_SEPARATOR, item.id, item.text);
}

void CQHtmlEditView::ShowTagMenu(int x, int y)
{
    if (m_nNameCount == 0)
        GetBlockFormatNames();
    CHtmlTagMenu menu(m_nNameCount, m_names);
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, m_hWnd);
}

void CQHtmlEditView::ShowTableMenu(int x, int y)
{
    CMenu menu;
    menu.CreatePopupMenu();
    AppendTableMenu(menu);
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, m_hWnd);
}

void CQHtmlEditView::ShowBackgroundMenu(int x, int y)
{
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 33358, "背景色の設定(&B)...");
    menu.AppendMenu(MF_STRING, 33359, "背景色の削除(&C)");
    menu.AppendMenu(MF_SEPARATOR, 0, nullptr);
    menu.AppendMenu(MF_STRING, 33360, "背景画像の設定(&I)...");
    menu.AppendMenu(MF_STRING, 33361, "背景画像の削除(&D)");
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, m_hWnd);
}

LRESULT CQHtmlEditView::OnContextMenuMsg(WPARAM, LPARAM lParam)
{
    CMenu menu;
    menu.CreatePopupMenu();
    AppendTableMenu(menu);
    menu.AppendMenu(MF_SEPARATOR, 0, nullptr);
    menu.AppendMenu(MF_STRING, 33365, "ハイパーリンクの挿入(&H)");
    menu.AppendMenu(MF_STRING, 33364, "イメージの挿入(&I)");
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, static_cast<short>(LOWORD(lParam)),
                        static_cast<short>(HIWORD(lParam)), m_hWnd);
    return 0;
}

LRESULT CQHtmlEditView::OnSizeMsg(WPARAM, LPARAM lParam)
{
    if (m_pBrowser && m_pBrowser->m_hWnd)
        m_pBrowser->MoveWindow(0, 0, LOWORD(lParam), HIWORD(lParam));
    if (m_hText)
        ::MoveWindow(m_hText, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return Default();
}

void CQHtmlEditView::OnBlockFormatCommand(UINT nID)
{
    int index = static_cast<int>(nID - CHtmlTagMenu::kFirstCommand);
    if (index < 0 || index >= m_nNameCount)
        return;
    VariantValue value;
    value.v.vt = VT_BSTR;
    value.v.bstrVal = SysAllocString(m_names[index].ToWide().c_str());
    if (!value.v.bstrVal)
        AfxThrowMemoryException();
    Exec(kBlockFormat, &value.v, OLECMDEXECOPT_DONTPROMPTUSER);
}

void CQHtmlEditView::OnTableCommand(UINT nID)
{
    using Command = UINT (*)(const CHtmlDocumentRef&);
    static const Command kCommands[] = { InsertColumnCommand, InsertRowCommand, InsertCellCommand,
                                         DeleteColumnCommand, DeleteRowCommand, DeleteCellCommand,
                                         MergeCellsCommand,  SplitCellCommand };
    if (nID == kFirstTableCommand) {
        CDlgHtmlInsertTable dlg(this);
        if (dlg.DoModal() == IDOK)
            PasteHtmlAtSelection(m_document, BuildTableMarkup(dlg.m_table));
        ShowDocumentText();
        return;
    }
    UINT message = kCommands[nID - kFirstTableCommand - 1](m_document);
    ShowDocumentText();
    if (message)
        AfxMessageBox(message, MB_ICONHAND);
}

// ---- Background ----

CString CQHtmlEditView::FormatColor(COLORREF color)
{
    CString text;
    text.Format("#%02x%02x%02x", GetRValue(color), GetGValue(color), GetBValue(color));
    return text;
}

CHtmlElementRef CQHtmlEditView::Body()
{
    CHtmlEngineDocument* doc = m_document.GetDocument();
    return doc ? CHtmlElementRef(doc->GetBody()) : CHtmlElementRef();
}

bool CQHtmlEditView::SetBackgroundColor(COLORREF color)
{
    CHtmlEngineDocument* doc = m_document.GetDocument();
    return doc && Body().IsValid() && doc->SetBgColor(FormatColor(color).ToWide());
}

bool CQHtmlEditView::ClearBackgroundColor()
{
    return Body().RemoveAttribute("bgcolor");
}

bool CQHtmlEditView::SetBackgroundImage(const char* pszPath)
{
    return Body().SetAttribute("background", pszPath);
}

bool CQHtmlEditView::ClearBackgroundImage()
{
    return Body().RemoveAttribute("background");
}

void CQHtmlEditView::OnSetBackgroundColor()
{
    if (!Body().IsValid())
        return;
    static COLORREF custom[16];
    CHOOSECOLORA cc = { sizeof(cc) };
    cc.hwndOwner = m_hWnd;
    cc.lpCustColors = custom;
    cc.rgbResult = RGB(255, 255, 255);
    cc.Flags = CC_RGBINIT;
    if (ChooseColorA(&cc))
        SetBackgroundColor(cc.rgbResult);
}

void CQHtmlEditView::OnClearBackgroundColor()
{
    ClearBackgroundColor();
}

void CQHtmlEditView::OnSetBackgroundImage()
{
    if (!Body().IsValid())
        return;
    char path[MAX_PATH] = "";
    static const char kFilter[] = "画像ファイル (*.bmp *.gif *.jpg *.jpeg *.png)\0*.bmp;*.gif;*.jpg;*.jpeg;*.png\0"
                                  "すべてのファイル (*.*)\0*.*\0";
    OPENFILENAMEA ofn = { sizeof(ofn) };
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = kFilter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof(path);
    ofn.lpstrTitle = "画像ファイルの選択";
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
    if (GetOpenFileNameA(&ofn))
        SetBackgroundImage(path);
}

void CQHtmlEditView::OnClearBackgroundImage()
{
    ClearBackgroundImage();
}

void CQHtmlEditView::OnInsertImage()
{
    InsertImage();
}

void CQHtmlEditView::OnInsertHyperlink()
{
    InsertHyperlink();
}
