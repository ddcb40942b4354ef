// Builds Outlook Express folder files (".dbx") for the tests: the root
// pointer at 0xE4, index nodes, message records and chains of text blocks,
// laid out only as far as the importer reads them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ImportTest {

class DbxBuilder
{
public:
    DbxBuilder() : m_bytes(0x100, '\0') {}

    uint32_t Alloc(size_t n)
    {
        uint32_t at = static_cast<uint32_t>(m_bytes.size());
        m_bytes.resize(m_bytes.size() + n, '\0');
        return at;
    }
    void Put32(uint32_t at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    // A chain of blocks holding the pieces; returns the first block.
    uint32_t Blocks(const std::vector<std::string>& pieces)
    {
        std::vector<uint32_t> at;
        for (const std::string& p : pieces) {
            uint32_t b = Alloc(16 + p.size());
            Put32(b + 8, static_cast<uint32_t>(p.size()));
            m_bytes.replace(b + 16, p.size(), p);
            at.push_back(b);
        }
        for (size_t i = 0; i + 1 < at.size(); ++i)
            Put32(at[i] + 12, at[i + 1]);
        return at.empty() ? 0 : at[0];
    }
    // A message record whose value at +28 points straight at the text.
    uint32_t Message(uint32_t firstBlock)
    {
        uint32_t m = Alloc(32);
        Put32(m + 28, (firstBlock << 8) | 0x84);
        return m;
    }
    // A message record that finds its text through its table of values:
    // the value at +24 names the byte offset of the entry after n values.
    uint32_t IndirectMessage(uint32_t firstBlock)
    {
        const uint32_t n = 2, k = 16;
        uint32_t m = Alloc(12 + 4 * n + k + 4);  // past the values at +24 and +28
        m_bytes[m + 10] = static_cast<char>(n);
        Put32(m + 28, 0x0233);  // low nibble 3: not the text
        Put32(m + 24, (k << 8) | 0x04);
        Put32(m + 12 + 4 * n + k, firstBlock);
        return m;
    }
    uint32_t MessageWithoutText()
    {
        uint32_t m = Alloc(32);
        Put32(m + 28, 0x1233);
        Put32(m + 24, 0x5671);
        return m;
    }
    // An index node; child (when non-zero) is walked before the entries.
    uint32_t Node(const std::vector<uint32_t>& messages, uint32_t child = 0)
    {
        uint32_t node = Alloc(24 + 12 * messages.size());
        Put32(node + 8, child);
        m_bytes[node + 17] = static_cast<char>(messages.size() & 0xFF);
        m_bytes[node + 18] = static_cast<char>((messages.size() >> 8) & 0xFF);
        m_bytes[node + 19] = static_cast<char>((messages.size() >> 16) & 0xFF);
        Put32(node + 20, child ? 1 : 0);
        for (size_t i = 0; i < messages.size(); ++i)
            Put32(static_cast<uint32_t>(node + 24 + 12 * i), messages[i]);
        return node;
    }
    void SetRoot(uint32_t node) { Put32(0xE4, node); }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

} // namespace ImportTest
