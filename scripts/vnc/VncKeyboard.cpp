// The keyboard of the headless display: reads the key events that the VNC
// server hands on (lines "Keysym <client> <down> <keysym> <name> <hint>" on
// standard input, the server's -pipeinput form) and sends each one into the
// Wine desktop as Windows input. Typed Japanese thereby arrives as the very
// characters typed, without X's keyboard mapping in between, which has no
// keys for them. Pointer lines and anything else are left to the server.
#include "KeysymInput.h"

#include <cstdio>
#include <cstring>

int main()
{
    KeysymInput::CTranslator translator;
    char line[512];
    while (std::fgets(line, sizeof(line), stdin)) {
        int client = 0, down = 0;
        unsigned long keysym = 0;
        if (std::strncmp(line, "Keysym ", 7) != 0 || std::sscanf(line + 7, "%d %d %lu", &client, &down, &keysym) != 3)
            continue;
        std::vector<INPUT> input = translator.Translate(keysym, down != 0);
        if (!input.empty())
            ::SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
    }
    return 0;
}
