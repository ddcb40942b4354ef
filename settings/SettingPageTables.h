// The pages of the basic, editor and body pane settings dialogs: caption,
// template and the keys each page shows.
#pragma once

#include "settings/SettingValues.h"

struct SettingPageTable
{
    const char* pszCaption;
    UINT nIDTemplate;
    const SettingBinding* pTable;
    int nCount;
};

enum class SettingDialogKind { basic, editor, view };

const SettingPageTable* GetSettingPages(SettingDialogKind kind, int* pnCount);
