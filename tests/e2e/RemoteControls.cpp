#include "e2e/RemoteControls.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <map>

namespace E2e {

CRemoteBlock::CRemoteBlock(HWND hWndOfProcess, size_t size)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hWndOfProcess, &pid);
    m_hProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (m_hProcess)
        m_pRemote = VirtualAllocEx(m_hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

CRemoteBlock::~CRemoteBlock()
{
    if (m_pRemote)
        VirtualFreeEx(m_hProcess, m_pRemote, 0, MEM_RELEASE);
    if (m_hProcess)
        CloseHandle(m_hProcess);
}

bool CRemoteBlock::Write(const void* pData, size_t size, size_t offset)
{
    SIZE_T done = 0;
    return m_pRemote && WriteProcessMemory(m_hProcess, static_cast<char*>(m_pRemote) + offset, pData, size, &done) &&
           done == size;
}

bool CRemoteBlock::Read(void* pData, size_t size, size_t offset) const
{
    SIZE_T done = 0;
    return m_pRemote && ReadProcessMemory(m_hProcess, static_cast<char*>(m_pRemote) + offset, pData, size, &done) &&
           done == size;
}

namespace {

struct FindDescendantContext
{
    const char* cls;
    int id;
    HWND found;
};

BOOL CALLBACK FindDescendantProc(HWND hWnd, LPARAM lParam)
{
    auto* c = reinterpret_cast<FindDescendantContext*>(lParam);
    char cls[128] = {};
    GetClassNameA(hWnd, cls, sizeof(cls));
    if (lstrcmpiA(cls, c->cls) == 0 && (c->id == -1 || GetDlgCtrlID(hWnd) == c->id)) {
        c->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

const size_t kTextSize = 1024;

} // namespace

HWND FindDescendant(HWND hParent, const char* className, int id)
{
    FindDescendantContext c = { className, id, nullptr };
    EnumChildWindows(hParent, FindDescendantProc, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

int ListItemCount(HWND hList)
{
    return static_cast<int>(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
}

CString ListItemText(HWND hList, int item, int subItem)
{
    CRemoteBlock block(hList, sizeof(LVITEMA) + kTextSize);
    LVITEMA lv = {};
    lv.iSubItem = subItem;
    lv.cchTextMax = static_cast<int>(kTextSize);
    lv.pszText = static_cast<char*>(block.Address()) + sizeof(LVITEMA);
    block.Write(&lv, sizeof(lv));
    SendMessageA(hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), block.Param());
    char text[kTextSize] = {};
    block.Read(text, kTextSize - 1, sizeof(LVITEMA));
    return CString(text);
}

int ListColumnWidth(HWND hList, int column)
{
    return static_cast<int>(SendMessageA(hList, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

CString ListHeaderText(HWND hList, int column)
{
    CRemoteBlock block(hList, sizeof(LVCOLUMNA) + kTextSize);
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT;
    col.cchTextMax = static_cast<int>(kTextSize);
    col.pszText = static_cast<char*>(block.Address()) + sizeof(LVCOLUMNA);
    block.Write(&col, sizeof(col));
    SendMessageA(hList, LVM_GETCOLUMNA, static_cast<WPARAM>(column), block.Param());
    char text[kTextSize] = {};
    block.Read(text, kTextSize - 1, sizeof(LVCOLUMNA));
    return CString(text);
}

int ListSelectedItem(HWND hList)
{
    return static_cast<int>(SendMessageA(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

RECT ListItemRect(HWND hList, int item)
{
    CRemoteBlock block(hList, sizeof(RECT));
    RECT rc = {};
    rc.left = LVIR_BOUNDS;
    block.Write(&rc, sizeof(rc));
    SendMessageA(hList, LVM_GETITEMRECT, static_cast<WPARAM>(item), block.Param());
    block.Read(&rc, sizeof(rc));
    return rc;
}

void ListSelectItem(HWND hList, int item)
{
    CRemoteBlock block(hList, sizeof(LVITEMA));
    LVITEMA lv = {};
    lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    lv.state = 0;
    block.Write(&lv, sizeof(lv));
    SendMessageA(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), block.Param());
    lv.state = LVIS_SELECTED | LVIS_FOCUSED;
    block.Write(&lv, sizeof(lv));
    SendMessageA(hList, LVM_SETITEMSTATE, static_cast<WPARAM>(item), block.Param());
}

void ClickListHeader(HWND hList, int column)
{
    HWND hHeader = reinterpret_cast<HWND>(SendMessageA(hList, LVM_GETHEADER, 0, 0));
    int x = 0;
    for (int i = 0; i < column; ++i)
        x += ListColumnWidth(hList, i);
    x += ListColumnWidth(hList, column) / 2;
    RECT rc = {};
    GetClientRect(hHeader, &rc);
    LPARAM pt = MAKELPARAM(x, rc.bottom / 2);
    SendMessageA(hHeader, WM_LBUTTONDOWN, MK_LBUTTON, pt);
    SendMessageA(hHeader, WM_LBUTTONUP, 0, pt);
}

CString StatusBarText(HWND hStatusBar, int part)
{
    CRemoteBlock block(hStatusBar, kTextSize);
    LRESULT length = SendMessageA(hStatusBar, SB_GETTEXTLENGTHA, static_cast<WPARAM>(part), 0);
    if (LOWORD(length) >= kTextSize)
        return CString();
    SendMessageA(hStatusBar, SB_GETTEXTA, static_cast<WPARAM>(part), block.Param());
    char text[kTextSize] = {};
    block.Read(text, kTextSize - 1);
    return CString(text);
}

std::vector<TreeItem> ReadTree(HWND hTree)
{
    std::vector<TreeItem> items;
    CRemoteBlock block(hTree, sizeof(TVITEMA) + kTextSize);
    std::function<void(HTREEITEM, int)> walk = [&](HTREEITEM first, int depth) {
        for (HTREEITEM h = first; h;
             h = reinterpret_cast<HTREEITEM>(SendMessageA(hTree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(h)))) {
            TVITEMA tv = {};
            tv.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_PARAM | TVIF_HANDLE;
            tv.hItem = h;
            tv.cchTextMax = static_cast<int>(kTextSize);
            tv.pszText = static_cast<char*>(block.Address()) + sizeof(TVITEMA);
            block.Write(&tv, sizeof(tv));
            SendMessageA(hTree, TVM_GETITEMA, 0, block.Param());
            block.Read(&tv, sizeof(tv));
            char text[kTextSize] = {};
            block.Read(text, kTextSize - 1, sizeof(TVITEMA));
            items.push_back({ CString(text), depth, tv.iImage, tv.lParam, h });
            walk(reinterpret_cast<HTREEITEM>(SendMessageA(hTree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(h))),
                 depth + 1);
        }
    };
    walk(reinterpret_cast<HTREEITEM>(SendMessageA(hTree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0);
    return items;
}

RECT TreeItemTextRect(HWND hTree, HTREEITEM hItem)
{
    CRemoteBlock block(hTree, sizeof(RECT));
    RECT rc = {};
    // The message takes the item in the rectangle's place.
    block.Write(&hItem, sizeof(hItem));
    if (!SendMessageA(hTree, TVM_GETITEMRECT, TRUE, block.Param()))
        return RECT{};
    block.Read(&rc, sizeof(rc));
    return rc;
}

HTREEITEM FindTreeItem(HWND hTree, const char* text)
{
    for (const TreeItem& item : ReadTree(hTree))
        if (item.text == text)
            return item.handle;
    return nullptr;
}

std::vector<COLORREF> CapturePixels(HWND hWnd, const RECT& rc)
{
    std::vector<COLORREF> pixels;
    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0)
        return pixels;
    POINT origin = { rc.left, rc.top };
    ClientToScreen(hWnd, &origin);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> raw(static_cast<size_t>(width) * static_cast<size_t>(height));
    SelectObject(mem, old);
    GetDIBits(mem, bitmap, 0, static_cast<UINT>(height), raw.data(), &bi, DIB_RGB_COLORS);
    for (DWORD v : raw)
        pixels.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::vector<bool> ListCellInk(HWND hList, int item, int subItem)
{
    RECT rc = ListItemRect(hList, item);
    for (int c = 0; c < subItem; ++c)
        rc.left += ListColumnWidth(hList, c);
    rc.right = rc.left + ListColumnWidth(hList, subItem);
    std::vector<COLORREF> pixels = CapturePixels(hList, rc);
    std::map<COLORREF, int> counts;
    for (COLORREF c : pixels)
        ++counts[c];
    std::vector<bool> ink;
    if (counts.empty())
        return ink;
    const COLORREF back = std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                              return a.second < b.second;
                          })->first;
    for (COLORREF c : pixels)
        ink.push_back(c != back);
    return ink;
}

std::wstring FieldText(HWND hWnd)
{
    // A thread slowed by a loaded machine is waited for; one that does not
    // answer at all says so instead of reading as an empty field.
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(hWnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 10000, &n))
        return L"(the field did not answer)";
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hWnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_NORMAL, 10000,
                             &got))
        return L"(the field did not answer)";
    text.resize(static_cast<size_t>(got));
    return text;
}

std::vector<ToolBarButton> ToolBarButtons(HWND hToolBar)
{
    std::vector<ToolBarButton> out;
    CRemoteBlock block(hToolBar, sizeof(TBBUTTON));
    const int count = static_cast<int>(SendMessageA(hToolBar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        if (SendMessageA(hToolBar, TB_GETBUTTON, static_cast<WPARAM>(i), block.Param()) &&
            block.Read(&button, sizeof(button)) && !(button.fsStyle & BTNS_SEP))
            out.push_back({i, button});
    }
    return out;
}

void ClickMiddleOf(HWND hWnd)
{
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    const int cx = GetSystemMetrics(SM_CXSCREEN) - 1, cy = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT in[3] = {};
    in[0].type = INPUT_MOUSE;
    in[0].mi.dx = MulDiv((rc.left + rc.right) / 2, 65535, cx);
    in[0].mi.dy = MulDiv((rc.top + rc.bottom) / 2, 65535, cy);
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[1] = in[0];
    in[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    in[2] = in[0];
    in[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, in, sizeof(INPUT));
}

void MoveMouseTo(int x, int y)
{
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof(INPUT));
}

HWND VisibleWindowOfClass(DWORD processId, const char* pszClass)
{
    struct Context
    {
        DWORD pid;
        const char* cls;
        HWND found;
    } c{processId, pszClass, nullptr};
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            auto* ctx = reinterpret_cast<Context*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            char name[64] = {};
            GetClassNameA(h, name, sizeof(name));
            if (owner == ctx->pid && IsWindowVisible(h) && lstrcmpiA(name, ctx->cls) == 0) {
                ctx->found = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&c));
    return c.found;
}

} // namespace E2e
