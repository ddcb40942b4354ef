// Address book save benchmark: the merge of a window's group file with the
// file as another window left it, for 10,000 and 40,000 entries with a few
// added and removed on each side. Prints "name: value unit" lines.
#include "addressbook/AddressFileMerge.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

std::string Entry(int i)
{
    return "user" + std::to_string(i) + "@example.jp\t利用者 " + std::to_string(i) + "\t\tIconDefault\t\r\n";
}

double MergeMs(int nEntries)
{
    std::string base, mine, theirs;
    for (int i = 0; i < nEntries; ++i) {
        base += Entry(i);
        if (i % 1000 != 1)
            mine += Entry(i);  // this window deleted some
        if (i % 1000 != 2)
            theirs += Entry(i);  // the other one others
        if (i % 1000 == 3)
            theirs += Entry(nEntries + i);  // and added some
    }
    mine += Entry(2 * nEntries);
    auto start = std::chrono::steady_clock::now();
    std::string merged = AddressFileMerge::MergeLines(base, mine, theirs);
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return merged.empty() ? -1 : ms;
}

} // namespace

int main()
{
    std::printf("address_merge_10000_lines: %.1f ms\n", MergeMs(10000));
    std::printf("address_merge_40000_lines: %.1f ms\n", MergeMs(40000));
    return 0;
}
