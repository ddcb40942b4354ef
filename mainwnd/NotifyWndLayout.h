// NotifyWndLayout: the window-less rules of the new-mail notification
// window: where it opens, how many rows it shows, how its arrows scroll and
// the text of a folder row.
#pragma once

#include "classlib/ClassLib.h"

namespace NotifyWndLayout {

const int kWidth = 168;
const int kHeight = 155;
const int kRowHeight = 16;
// A stored position of -9999 means: place the window automatically.
const int kAutoPosition = -9999;

// Rows of folders shown at once for the system class of the application.
int RowCount(int nOSClass);

// Top-left corner of the window. The automatic place is the top right of
// the desktop, below a taskbar that lies along the top edge; a stored left
// edge other than -9999 replaces it, with the stored top taken as it is.
POINT Position(const RECT& desktop, const RECT* pTaskbar, int nOSClass, int nStoredLeft, int nStoredTop);

// The first shown entry after a click on an arrow, by half a page, kept
// within the entries.
int ScrollUp(int nFirst, int nRows, int nEntries);
int ScrollDown(int nFirst, int nRows, int nEntries);

// "name  new (second)" when the second count is not zero, else "name  new".
CString RowText(const char* pszFolder, int nNew, int nSecond);

} // namespace NotifyWndLayout
