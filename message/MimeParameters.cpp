#include "message/MimeParameters.h"

#include "message/AddressList.h"

#include <algorithm>
#include <cstring>

void CMimeParameters::Parse(const char* p, size_t n)
{
    m_pieces.clear();
    size_t i = 0;
    while (i < n) {
        while (i < n && strchr("; \t\r\n\"", p[i]))
            ++i;
        if (i >= n)
            break;
        size_t nameStart = i;
        while (i < n && p[i] != '=' && p[i] != ';')
            ++i;
        if (i >= n || p[i] == ';')
            continue;
        CString name(p + nameStart, static_cast<int>(i - nameStart));
        name.Trim();
        ++i;
        while (i < n && (p[i] == ' ' || p[i] == '\t'))
            ++i;
        size_t vs, ve;
        if (i < n && p[i] == '"') {
            vs = ++i;
            const char* close = static_cast<const char*>(memchr(p + i, '"', n - i));
            ve = close ? static_cast<size_t>(close - p) : n;
            i = close ? ve + 1 : n;
        } else {
            // An unquoted value runs to the next ";": senders leave names
            // with blanks unquoted ("name=This is a test.txt").
            vs = i;
            while (i < n && p[i] != ';')
                ++i;
            ve = i;
            while (ve > vs && strchr(" \t\r\n", p[ve - 1]))
                --ve;
        }
        Piece piece;
        piece.value.assign(p + vs, ve - vs);
        // "name*", "name*3", "name*3*"
        int star = name.Find('*');
        if (star > 0) {
            CString rest = name.Mid(star + 1);
            piece.name = name.Left(star);
            if (!rest.IsEmpty() && rest[rest.GetLength() - 1] == '*') {
                piece.bExtended = true;
                rest = rest.Left(rest.GetLength() - 1);
            } else if (rest.IsEmpty()) {
                piece.bExtended = true;
            }
            bool digits = !rest.IsEmpty() && rest.GetLength() <= 4;
            for (int k = 0; k < rest.GetLength() && digits; ++k)
                digits = rest[k] >= '0' && rest[k] <= '9';
            if (digits)
                piece.nSection = atoi(rest);
            else if (!rest.IsEmpty())
                continue;  // not a parameter name of this form
        } else {
            piece.name = name;
        }
        m_pieces.push_back(std::move(piece));
    }
}

bool CMimeParameters::Find(const char* pszName, Value& value) const
{
    value = Value();
    // A plain value wins over pieces of the same name only when there are
    // no pieces, as a sender that gives both means the pieces for readers
    // that know them.
    const Piece* plain = nullptr;
    std::vector<const Piece*> pieces;
    for (const Piece& piece : m_pieces) {
        if (piece.name.CompareNoCase(pszName) != 0)
            continue;
        if (piece.nSection < 0 && !piece.bExtended) {
            if (!plain)
                plain = &piece;
        } else {
            pieces.push_back(&piece);
        }
    }
    if (pieces.empty()) {
        if (!plain)
            return false;
        value.bytes = plain->value;
        return true;
    }
    std::stable_sort(pieces.begin(), pieces.end(),
                     [](const Piece* a, const Piece* b) { return a->nSection < b->nSection; });
    for (size_t k = 0; k < pieces.size(); ++k) {
        const Piece& piece = *pieces[k];
        if (!piece.bExtended) {
            value.bytes += piece.value;
            continue;
        }
        std::string text = piece.value;
        if (!value.bExtended) {
            // The first extended piece names the charset and language.
            size_t q1 = text.find('\'');
            size_t q2 = q1 == std::string::npos ? q1 : text.find('\'', q1 + 1);
            if (q2 != std::string::npos) {
                value.charset = CString(text.substr(0, q1));
                text.erase(0, q2 + 1);
            }
            value.bExtended = true;
        }
        value.bytes += DecodePercentBytes(text.data(), static_cast<int>(text.size())).Str();
    }
    return true;
}
