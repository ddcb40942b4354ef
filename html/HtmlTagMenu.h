// CHtmlTagMenu: the popup of the block formats the editing engine names,
// each with a letter to choose it by.
#pragma once

#include "classlib/ClassLib.h"

class CHtmlTagMenu : public CMenu
{
public:
    // Command id of the first block format; the view takes 30 of them.
    static const UINT kFirstCommand = 33293;
    static const int kMaxCommands = 30;

    CHtmlTagMenu(int nCount, const CString* pNames);
};
