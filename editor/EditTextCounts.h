// Counts of the editor shown to the user: full-width characters (bytes
// divided by two, rounded up) and the caret's line and column.
#pragma once

#include "classlib/ClassLib.h"

int FullWidthCount(int nBytes);
// "全角%d文字"
CString FormatFullWidthCount(int nBytes);
// " %d行、%d列": the line from 1, the column from 0.
CString FormatCaretPosition(int nLine, int nColumn);
