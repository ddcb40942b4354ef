// CPasswordScrambler: reversible scrambling of the passwords kept in data
// files and settings. Not encryption: it only keeps secrets from being read
// at a glance, and two equal passwords never look equal on disk.
#pragma once

#include "classlib/ClassLib.h"

class CPasswordScrambler
{
public:
    CString Scramble(const CString& plain);
    // A text that is not a valid scrambled form gives an empty text.
    CString Unscramble(const CString& scrambled);
};
