#include "message/BinHex.h"

#include "core/FileUtil.h"

#include <cstring>

namespace {

const char kAlphabet[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";

struct AlphabetTable
{
    AlphabetTable()
    {
        memset(value, 0, sizeof(value));
        for (int i = 0; kAlphabet[i]; ++i)
            value[static_cast<unsigned char>(kAlphabet[i])] = static_cast<unsigned char>(i);
    }
    unsigned char value[256];
};

// Characters outside the alphabet count as zero bits.
int ValueOf(char c)
{
    static const AlphabetTable table;
    return table.value[static_cast<unsigned char>(c)];
}

const unsigned char kRunMarker = 0x90;

class RunExpander
{
public:
    explicit RunExpander(std::string& out) : m_out(out) {}
    void Put(unsigned char b)
    {
        if (m_afterMarker) {
            m_afterMarker = false;
            if (b == 0) {
                m_out += static_cast<char>(kRunMarker);
                m_last = kRunMarker;
                m_haveLast = true;
            } else if (m_haveLast) {
                // The count includes the byte already written.
                m_out.append(static_cast<size_t>(b) - 1, static_cast<char>(m_last));
            }
            return;
        }
        if (b == kRunMarker) {
            m_afterMarker = true;
            return;
        }
        m_out += static_cast<char>(b);
        m_last = b;
        m_haveLast = true;
    }

private:
    std::string& m_out;
    unsigned char m_last = 0;
    bool m_haveLast = false;
    bool m_afterMarker = false;
};

unsigned long ReadBigEndian(const std::string& s, size_t pos)
{
    return (static_cast<unsigned long>(static_cast<unsigned char>(s[pos])) << 24) |
           (static_cast<unsigned long>(static_cast<unsigned char>(s[pos + 1])) << 16) |
           (static_cast<unsigned long>(static_cast<unsigned char>(s[pos + 2])) << 8) |
           static_cast<unsigned long>(static_cast<unsigned char>(s[pos + 3]));
}

} // namespace

std::string CBinHex::DecodeToString(const char* p, size_t n)
{
    std::string out;
    size_t i = 0;
    while (i < n && p[i] != ':')
        ++i;
    if (i < n)
        ++i;
    else
        return out;
    RunExpander expander(out);
    unsigned v = 0;
    int chars = 0;
    for (; i < n && p[i] != ':'; ++i) {
        if (p[i] == '\r' || p[i] == '\n')
            continue;
        v = (v << 6) | static_cast<unsigned>(ValueOf(p[i]));
        if (++chars == 4) {
            expander.Put(static_cast<unsigned char>(v >> 16));
            expander.Put(static_cast<unsigned char>(v >> 8));
            expander.Put(static_cast<unsigned char>(v));
            v = 0;
            chars = 0;
        }
    }
    // A last group of two or three characters still carries whole bytes.
    if (chars >= 2) {
        v <<= 6 * (4 - chars);
        expander.Put(static_cast<unsigned char>(v >> 16));
        if (chars == 3)
            expander.Put(static_cast<unsigned char>(v >> 8));
    }
    return out;
}

int CBinHex::Decode(const char* pszText, char* pOut, int nOutSize)
{
    if (!pszText || !pOut || nOutSize <= 0)
        return -1;
    std::string s = DecodeToString(pszText, strlen(pszText));
    if (s.size() >= static_cast<size_t>(nOutSize))
        return -1;
    memcpy(pOut, s.data(), s.size());
    pOut[s.size()] = '\0';
    return static_cast<int>(s.size());
}

bool CBinHex::DecodeToFile(const char* pszText, const char* pszPath)
{
    if (!pszText || !pszPath)
        return false;
    std::string s = DecodeToString(pszText, strlen(pszText));
    if (s.empty())
        return false;
    size_t nameLen = static_cast<unsigned char>(s[0]);
    // name, version 1, type 4, creator 4, flags 2, data length 4, resource length 4, check 2
    size_t dataStart = 1 + nameLen + 1 + 4 + 4 + 2 + 4 + 4 + 2;
    if (s.size() < dataStart)
        return false;
    unsigned long dataLen = ReadBigEndian(s, 1 + nameLen + 1 + 4 + 4 + 2);
    size_t available = s.size() - dataStart;
    size_t len = dataLen < available ? dataLen : available;
    CString name = MakeValidFileName(CString(s.data() + 1, static_cast<int>(nameLen)));
    if (name.IsEmpty())
        name = GetFileNameFromPath(pszPath);
    CString path = CombinePath(GetDirectoryFromPath(pszPath), name);
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite))
        return false;
    if (len)
        file.Write(s.data() + dataStart, static_cast<UINT>(len));
    file.Close();
    return true;
}
