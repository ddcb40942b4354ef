// A font of the settings: a section with the keys "FaceName", "Height"
// (twentieths of a point), "Weight", "Italic" and "CharSet".
#pragma once

#include "classlib/ClassLib.h"

// The font of a section; lfHeight holds the stored height (twentieths of a
// point). Missing keys give "ＭＳ Ｐゴシック" ("ＭＳ ゴシック" for
// "FontEditor"), 220, weight 0, not italic, character set 128.
LOGFONTA GetFontSetting(const char* pszSection);
// The height in pixels of a stored height at the given pixels per inch (negative: a character height).
int FontPixelHeight(int nTwips, int nLogPixelsY);
