#include "store/AttachNameSet.h"

#include <gtest/gtest.h>

#include <string>

TEST(AttachNameSet, FindsEveryNameAddedWhateverItsCaseAndNoOther)
{
    CAttachNameSet set;
    EXPECT_FALSE(set.MayContain("QMI1"));  // empty
    const int n = 50000;  // several growths of the table
    for (int i = 0; i < n; i++)
        set.Add(("QMI" + std::to_string(1700000000 + i)).c_str());
    EXPECT_EQ(set.GetCount(), static_cast<size_t>(n));
    int missed = 0, wrong = 0;
    for (int i = 0; i < n; i++) {
        missed += !set.MayContain(("qmi" + std::to_string(1700000000 + i)).c_str());
        wrong += set.MayContain(("QMI" + std::to_string(1800000000 + i)).c_str());
    }
    EXPECT_EQ(missed, 0);
    EXPECT_EQ(wrong, 0);
    set.Add("qmi1700000000");  // the same name again
    EXPECT_EQ(set.GetCount(), static_cast<size_t>(n));
    set.Clear();
    EXPECT_FALSE(set.MayContain("QMI1700000000"));
}

TEST(AttachNameSet, ComparesDoubleByteNamesAsTheFileSystemDoes)
{
    struct Case
    {
        const char* added;
        const char* asked;
        bool found;
    } cases[] = {
        {"添付A", "添付a", true},            // a single-byte letter after a double-byte character
        {"\x83\x41" "B", "\x83\x61" "b", false},  // 0x41 as a second byte is not the letter A
        {"\x83\x41", "\x83\x41", true},
        {"Attach", "ATTACH", true},
        {"Attach", "Attach2", false},
    };
    for (const Case& c : cases) {
        CAttachNameSet set;
        set.Add(c.added);
        EXPECT_EQ(set.MayContain(c.asked), c.found) << c.added << " / " << c.asked;
    }
}
