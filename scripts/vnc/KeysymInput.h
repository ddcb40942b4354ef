// KeysymInput: what a key event of a remote viewer (an X keysym pressed or
// released) becomes as Windows input. A key the keyboard layout has goes in
// as that key, so that shortcuts and the shift state work as on the
// machine's own keyboard; any other character (kanji, kana, symbols no key
// carries) goes in as the character itself, whatever X's keyboard mapping.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace KeysymInput {

// The character of a keysym (UTF-16, one or two units), empty when the
// keysym is no character (a function or modifier key, an unknown one).
std::wstring CharacterOf(unsigned long keysym);
// The virtual key of a keysym that names a key rather than a character
// (Return, arrows, F1, Shift, ...), with the extended-key flag; 0 for none.
WORD VirtualKeyOf(unsigned long keysym, bool* pExtended);

class CTranslator
{
public:
    // The input for one key event; empty when nothing is to be sent.
    std::vector<INPUT> Translate(unsigned long keysym, bool bDown);

private:
    bool m_bShift = false;
};

} // namespace KeysymInput
