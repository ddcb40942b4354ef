#include "classlib/Mbcs.h"

namespace Mbcs {

bool IsTrailByteAt(const char* s, size_t len, size_t pos)
{
    if (pos >= len)
        return false;
    size_t i = 0;
    while (i < pos)
        i += CharLength(s + i, len - i);
    return i != pos;
}

} // namespace Mbcs
