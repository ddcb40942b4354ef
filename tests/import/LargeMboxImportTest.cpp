// A 200 MB mailbox is imported without being held in memory, and every mail
// reads back exactly as it stood in the file.
#include "ImportTestUtil.h"

#include "store/MailListData.h"
#include "store/MboxImporter.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <string>
#include <thread>

using ImportTest::TestApp;
using TestSupport::TempDir;

namespace {

SIZE_T PeakPrivateBytes()
{
    PROCESS_MEMORY_COUNTERS pmc = { sizeof(pmc) };
    K32GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    return pmc.PeakPagefileUsage;
}

// Mail n: a body of about 100 KB with the lines an mbox reader must not
// take for separators or terminators.
std::string Mail(int n)
{
    std::string m = "From: sender" + std::to_string(n) + "@example.jp\r\nSubject: mail " + std::to_string(n) +
                    "\r\n\r\n";
    for (int i = 0; i < 1850; ++i) {
        m += "line " + std::to_string(i) + " of mail " + std::to_string(n) + " with padding text so it is long\r\n";
        if (i % 500 == 7)
            m += ".\r\n>From a quoted line\r\n..leading dots\r\nnot From here\r\n";
    }
    return m;
}

} // namespace

TEST(LargeMboxImport, TwoHundredMegabytesStreamed)
{
    TempDir dir;
    TestApp app(dir.Path());
    CMailFolderStore* store = app.AddStore(dir.File("F"), 1, "F");
    store->LoadIndex();
    const int count = 2000;
    CString path = dir.File("big.mbx");
    {
        CFile out(path, CFile::modeCreate | CFile::modeWrite);
        for (int n = 0; n < count; ++n) {
            std::string block = "From sender" + std::to_string(n) + " Mon Jan  1 00:00:00 2024\r\n" + Mail(n);
            out.Write(block.data(), static_cast<UINT>(block.size()));
        }
        ASSERT_GT(out.GetLength(), 200ull * 1000 * 1000);
    }
    SIZE_T before = PeakPrivateBytes();
    CMboxImporter importer;
    ASSERT_TRUE(CMboxImporter::ImportFile(nullptr, &importer, path, TRUE, store, 0));
    SIZE_T grown = PeakPrivateBytes() - before;
    // Held whole, the file alone would take 200 MB. Filing makes no copy of
    // a mail's body it does not need: with a copy or three more per mail
    // Wine's heap kept up to 120 MB of them; without, a few megabytes.
    EXPECT_LT(grown, 48u * 1024 * 1024) << "peak private bytes grew by " << grown;
    EXPECT_EQ(importer.m_nImported, count);

    CMailListData* list = store->GetMailList();
    ASSERT_EQ(list->GetMailCount(), count);
    for (int n = 0; n < count; n += 97) {
        CString text;
        ASSERT_TRUE(store->ReadMailText(list->GetMailRecord(n), text));
        std::string entry = text.Str();
        entry.erase(0, entry.find("\r\n") + 2);
        ASSERT_EQ(entry.compare(entry.size() - 5, 5, "\r\n.\r\n"), 0);
        std::string plain = StoreTest::FiledText(text.Str());
        EXPECT_TRUE(plain == Mail(n)) << n;
    }
}

// Two imports at the same moment write each mail through a temporary file of
// its own: neither takes the other's mail.
TEST(MboxImport, ImportsRunningAtOnceKeepTheirOwnMails)
{
    TempDir dir;
    TestApp app(dir.Path());
    const int count = 300;
    CMailFolderStore* stores[2] = { app.AddStore(dir.File("A"), 1, "A"), app.AddStore(dir.File("B"), 2, "B") };
    for (int side = 0; side < 2; ++side) {
        stores[side]->LoadIndex();
        CFile out(dir.File(side ? "b.mbx" : "a.mbx"), CFile::modeCreate | CFile::modeWrite);
        for (int n = 0; n < count; ++n) {
            std::string block = "From x Mon Jan  1 00:00:00 2024\r\n" +
                                ImportTest::SimpleMail(std::string(side ? "B" : "A") + std::to_string(n));
            out.Write(block.data(), static_cast<UINT>(block.size()));
        }
    }
    BOOL ok[2] = { FALSE, FALSE };
    auto run = [&](int side) {
        CMboxImporter importer;
        ok[side] = CMboxImporter::ImportFile(nullptr, &importer, dir.File(side ? "b.mbx" : "a.mbx"), TRUE,
                                             stores[side], 0);
    };
    std::thread other(run, 1);
    run(0);
    other.join();
    for (int side = 0; side < 2; ++side) {
        ASSERT_TRUE(ok[side]);
        CMailListData* list = stores[side]->GetMailList();
        ASSERT_EQ(list->GetMailCount(), count);
        for (int n = 0; n < count; ++n) {
            CString text;
            ASSERT_TRUE(stores[side]->ReadMailText(list->GetMailRecord(n), text));
            std::string subject = "Subject: " + std::string(side ? "B" : "A") + std::to_string(n) + "\r\n";
            ASSERT_NE(text.Str().find(subject), std::string::npos) << side << " " << n;
        }
    }
}
