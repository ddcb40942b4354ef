// Find and replace on the body's text (UTF-16, positions as the control
// counts them), with or without letter case.
#pragma once

#include <string>

// The first hit of what at or after nFrom; -1 when there is none.
int FindInText(const std::wstring& text, const std::wstring& what, int nFrom, bool bMatchCase);
// Replaces every hit from nFrom on, going on after each inserted text; the
// number replaced, or -1 when nothing was found.
int ReplaceAllInText(std::wstring& text, const std::wstring& what, const std::wstring& with, int nFrom,
                     bool bMatchCase);
