// One value of the settings file held in memory (file mode of the settings store).
#pragma once

#include "classlib/ClassLib.h"

class CProfileEntry : public CObject
{
public:
    enum Type { typeString = 0, typeDword = 1, typeHex = 2 };

    CString m_strSection;
    CString m_strEntry;
    CString m_strValue;
    int m_bWritten = 0;  // scratch mark while the list is written out
    int m_nType = typeString;
};
