// CLinkEdit: a read-only edit that shows a web address or a file as a link:
// the hand cursor over it, and a click opens its text with the shell.
#pragma once

#include "classlib/ClassLib.h"

class CLinkEdit : public CWnd
{
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
