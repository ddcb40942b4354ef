// The folder names under a mail folder's "Attach", kept so that filing knows
// a new mail's attachment folder name is free without asking the file
// system. Only a 64-bit fingerprint of each name is kept, in one flat table:
// a folder of 100,000 mails costs one block of memory, not two small blocks
// per name scattered through the heap. Two names with the same fingerprint
// only make MayContain answer "maybe", which sends filing down its careful
// path; a name that was added is never missed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CAttachNameSet
{
public:
    void Clear();
    // Names are compared as the file system compares them: case does not
    // count.
    void Add(const char* pszName);
    bool MayContain(const char* pszName) const;
    size_t GetCount() const { return m_nCount; }

private:
    static uint64_t Fingerprint(const char* pszName);
    void Insert(uint64_t key);

    std::vector<uint64_t> m_slots;  // 0: empty; open addressing, at most half full
    size_t m_nCount = 0;
};
