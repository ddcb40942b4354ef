// Reading and driving the program's common controls from the test process.
// List, tree, header and status-bar messages that carry a pointer get one
// into a block allocated in the program's own process, which the driver
// fills and reads back.
#pragma once

#include "support/TestSupport.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace E2e {

// A block of memory in the process that owns a window; freed with the object.
class CRemoteBlock
{
public:
    CRemoteBlock(HWND hWndOfProcess, size_t size);
    CRemoteBlock(const CRemoteBlock&) = delete;
    CRemoteBlock& operator=(const CRemoteBlock&) = delete;
    ~CRemoteBlock();

    void* Address() const { return m_pRemote; }
    LPARAM Param() const { return reinterpret_cast<LPARAM>(m_pRemote); }
    bool Write(const void* pData, size_t size, size_t offset = 0);
    bool Read(void* pData, size_t size, size_t offset = 0) const;

private:
    HANDLE m_hProcess = nullptr;
    void* m_pRemote = nullptr;
};

// The first descendant of a window with the class (and, when not -1, the id).
HWND FindDescendant(HWND hParent, const char* className, int id = -1);

int ListItemCount(HWND hList);
CString ListItemText(HWND hList, int item, int subItem);
int ListColumnWidth(HWND hList, int column);
CString ListHeaderText(HWND hList, int column);
int ListSelectedItem(HWND hList);
RECT ListItemRect(HWND hList, int item);
// Selects (and focuses) one item, as a click would.
void ListSelectItem(HWND hList, int item);
// Clicks a column header with the mouse messages a user's click sends.
void ClickListHeader(HWND hList, int column);

CString StatusBarText(HWND hStatusBar, int part);

struct TreeItem
{
    CString text;
    int depth;
    int image;
    LPARAM data;
    HTREEITEM handle;
};
std::vector<TreeItem> ReadTree(HWND hTree);
HTREEITEM FindTreeItem(HWND hTree, const char* text);
// The rectangle of an item's label (empty when the item is not shown).
RECT TreeItemTextRect(HWND hTree, HTREEITEM hItem);

// The screen colours of a rectangle given in a window's client coordinates.
std::vector<COLORREF> CapturePixels(HWND hWnd, const RECT& rc);
// The shape of the text drawn in a list cell: which of its pixels differ from
// the cell's commonest colour, its background, whatever the colours are (a
// selected row has others). Equal for the same text in the same font.
std::vector<bool> ListCellInk(HWND hList, int item, int subItem);

// A field's text as the program holds it (GetWindowText does not ask a
// window of another process); a field that does not answer says so.
std::wstring FieldText(HWND hWnd);
// The buttons of a toolbar (separators left out) with their places on it.
struct ToolBarButton
{
    int index;
    TBBUTTON button;
};
std::vector<ToolBarButton> ToolBarButtons(HWND hToolBar);
// A left click in the middle of a window, sent as mouse input.
void ClickMiddleOf(HWND hWnd);
// Moves the mouse to a point of the screen, as mouse input.
void MoveMouseTo(int x, int y);
// A visible window of the process with that class (any level), or null.
HWND VisibleWindowOfClass(DWORD processId, const char* pszClass);

} // namespace E2e
