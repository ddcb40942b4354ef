// Font and character-set lists of the screen.
#pragma once

#include "classlib/ClassLib.h"

// Adds the face name of every font family of the screen, in the order the
// system reports them.
void EnumFontFaceNames(CStringArray& names);
// Fills the program-wide map from a font character set to its script name
// from every font of every character set of the device (the last font of a
// character set wins).
void BuildCharSetScriptMap(HDC hdc);
// The script name of a character set from that map; empty when absent.
CString GetCharSetScriptName(BYTE nCharSet);
