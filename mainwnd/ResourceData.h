// CResourceData: one line of "Resource.dat": the bitmap file that replaces
// the images of one kind of toolbar, and its colour to be made button face.
#pragma once

#include "core/DataStrgRecord.h"

class CResourceData : public CDataStrgRecord
{
public:
    int m_nKind = 0;  // 1 main window, 2 viewer, 3 editor, 4 thread view
    CString m_strFileName;  // in the folder "Resource"
    int m_nRed = 0, m_nGreen = 0, m_nBlue = 0;
};
