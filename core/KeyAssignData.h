// CKeyAssignData: one row of a key file ("MainWnd.key", "Viewer.key",
// "Editor.key"): a command and one key that runs it.
#pragma once

#include "core/DataStrgRecord.h"

class CKeyAssignData : public CDataStrgRecord
{
public:
    // The user removed every key of the command: no key, and the default key
    // is not merged back.
    static const int kNoKey = -1;
    // The pseudo key "ICON": the command the window shows as its icon.
    static const int kIconKey = 0xFF;

    int m_nCommand = 0;
    int m_nKey = 0;
    int m_nModifiers = 0;  // accelerator flags: FVIRTKEY, FNOINVERT, FSHIFT, FCONTROL, FALT
    CString m_strName;
    CString m_strCategory;
    CString m_strPlugInName;
    int m_nPlugInCommand = -1;  // -1 for built-in commands
};
