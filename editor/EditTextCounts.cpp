#include "editor/EditTextCounts.h"

int FullWidthCount(int nBytes)
{
    return nBytes <= 0 ? 0 : (nBytes + 1) / 2;
}

CString FormatFullWidthCount(int nBytes)
{
    CString text;
    text.Format("全角%d文字", FullWidthCount(nBytes));
    return text;
}

CString FormatCaretPosition(int nLine, int nColumn)
{
    CString text;
    text.Format(" %d行、%d列", nLine, nColumn);
    return text;
}
