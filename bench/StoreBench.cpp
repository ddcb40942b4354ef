// Mail store benchmark: filing rate, index load, sorting, reply threads and
// optimisation of a large folder. Prints "name: value unit" lines.
//   StoreBench                        generated mails and folders
//   StoreBench file <mbox> <folder> [shown]
//                                     files an mbox into a folder directory
//                                     (made when missing) through the importer;
//                                     "shown": its index loaded, as the folder
//                                     the main window shows
//   StoreBench open <folder>          opens an existing folder directory:
//                                     index load, date sort, reply threads
//   StoreBench parts                  only the filing of 100,000 mails with
//                                     parts
#include "core/QuendalApp.h"
#include "bench/BenchMailbox.h"
#include "bench/BenchSupport.h"
#include "message/Base64.h"
#include "store/MailFolderStore.h"
#include "store/MboxImporter.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

CMailFolderStore* OpenStore(const CString& dir, int id)
{
    CreateDirectoryA(dir, nullptr);
    CFolderRecord r;
    r.m_nId = id;
    r.m_nKind = 1;
    r.m_strName = "Bench";
    r.m_strPath = dir;
    CMailFolderStore* store = new CMailFolderStore;
    store->SetFolderRecord(r);
    return store;
}

using BenchMailbox::MakeLargeFolder;
using BenchMailbox::MakeMail;

// A plain mail of the mbox the filing figures use: text only, no parts.
std::string MakePlainMboxMail(int i)
{
    std::string text(800 + (i % 7) * 300, 'x');
    for (size_t k = 70; k < text.size(); k += 72)
        text.replace(k, 1, "\n");
    return "From user" + std::to_string(i % 97) + "@example.com Wed May  1 10:00:00 2024\nFrom: User <user" +
           std::to_string(i % 97) + "@example.com>\nTo: me@example.jp\nSubject: topic " + std::to_string(i % 500) +
           "\nDate: Wed, 01 May 2024 10:00:00 +0900\nMessage-ID: <p" + std::to_string(i) +
           "@example.com>\nContent-Type: text/plain; charset=us-ascii\n\n" + text + "\n\n";
}

// Files an mbox into a store through the importer on a thread of its own,
// while this thread takes the count messages filing posts to it, as the
// program's main thread does; the mails filed and the seconds taken.
int ImportMbox(const CString& mbox, CMailFolderStore* store, double& seconds)
{
    CMboxImporter importer;
    std::atomic<bool> done{false};
    auto t = std::chrono::steady_clock::now();
    std::thread worker([&]() {
        CMboxImporter::ImportFile(nullptr, &importer, mbox, FALSE, store, 0);
        store->FlushFiledMails();
        done = true;
    });
    MSG msg;
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLPOSTMESSAGE);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    worker.join();
    seconds = Seconds(t);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    return importer.m_nImported;
}

void WriteBytes(const CString& path, const std::string& bytes)
{
    CFile f(path, CFile::modeCreate | CFile::modeWrite);
    f.Write(bytes.data(), static_cast<UINT>(bytes.size()));
}

// A mail with parts for the mbox: the store benchmark's mails with an
// attachment or an HTML alternative, in the LF lines of an mbox file.
std::string MakePartsMboxMail(int i)
{
    std::string mail = MakeMail(3 * (i / 2) + 1 + i % 2);
    std::string lf;
    lf.reserve(mail.size());
    for (size_t k = 0; k < mail.size(); k++)
        if (!(mail[k] == '\r' && k + 1 < mail.size() && mail[k + 1] == '\n'))
            lf += mail[k];
    return "From user" + std::to_string(i % 97) + "@example.com Wed May  1 10:00:00 2024\n" + lf + "\n";
}

// Files 100,000 mails of one kind into one folder (its index not loaded, as
// a folder not shown), 1,000 at a time through the mbox importer, and prints
// the rate of the first thousand and the median rates of the first five
// thousand and of the five thousand that take the folder to 100,000. False
// when a batch did not file whole.
bool FileInBatches(const CString& root, const char* folder, int id, const char* name, std::string (*make)(int))
{
    const int batch = 1000, batches = 100;
    CMailFolderStore* store = OpenStore(root + "\\" + folder, id);
    CString mbox = root + "\\batch.mbx";
    std::vector<double> rates;
    int n = 0;
    for (int b = 0; b < batches; b++) {
        std::string text;
        for (int k = 0; k < batch; k++)
            text += make(n++);
        WriteBytes(mbox, text);
        double seconds = 0;
        int got = ImportMbox(mbox, store, seconds);
        if (got != batch) {
            fprintf(stderr, "filed %d of %d\n", got, batch);
            delete store;
            return false;
        }
        rates.push_back(batch / seconds);
    }
    DeleteFileA(mbox);
    delete store;
    auto median5 = [](std::vector<double> r) {
        std::sort(r.begin(), r.end());
        return r[r.size() / 2];
    };
    printf("%s_filing_rate_first_1000: %.0f mails/s\n", name, rates.front());
    printf("%s_filing_rate_first_5000: %.0f mails/s\n", name,
           median5(std::vector<double>(rates.begin(), rates.begin() + 5)));
    printf("%s_filing_rate_last_5000_to_100000: %.0f mails/s\n", name,
           median5(std::vector<double>(rates.end() - 5, rates.end())));
    return true;
}

// Index load, date sort and reply threads of a folder directory.
void OpenFolder(const CString& dir, int id)
{
    CMailFolderStore* store = OpenStore(dir, id);
    auto t = std::chrono::steady_clock::now();
    store->LoadIndex();
    double load = Seconds(t);
    CMailListData* list = store->GetMailList();
    t = std::chrono::steady_clock::now();
    list->Sort(3, TRUE, FALSE, 0, TRUE);
    double sort = Seconds(t);
    list->SetThreadMode(TRUE);
    t = std::chrono::steady_clock::now();
    list->Sort(3, TRUE, FALSE, 0, TRUE);
    double threads = Seconds(t);
    list->SetThreadMode(FALSE);
    printf("open_mails: %d count\n", list->GetAllRecordCount());
    printf("open_without_checks: %d flag\n", store->LoadSkippedChecks() ? 1 : 0);
    printf("open_index_load: %.3f s\n", load);
    printf("open_sort_by_date: %.3f s\n", sort);
    printf("open_load_and_date_sort: %.3f s\n", load + sort);
    printf("open_reply_threads: %.3f s\n", threads);
    delete store;
}

int FileCommand(const char* mbox, const char* folder, bool shown)
{
    CString dir = folder;
    CString root = dir + ".bench";
    CreateDirectoryA(root, nullptr);
    int filed = 0;
    {
        BenchApp app(root);
        CreateDirectoryA(root + "\\MailBox", nullptr);
        CMailFolderStore* store = OpenStore(dir, 1);
        store->LoadIndex();
        int before = store->GetMailList() ? store->GetMailList()->GetAllRecordCount() : 0;
        if (!shown)
            store->UnloadIndex();
        double seconds = 0;
        filed = ImportMbox(mbox, store, seconds);
        printf("folder_mails_before: %d count\n", before);
        printf("filed: %d mails\n", filed);
        printf("filing_seconds: %.3f s\n", seconds);
        printf("filing_rate: %.0f mails/s\n", seconds > 0 ? filed / seconds : 0.0);
        delete store;
    }
    RemoveTree(root);
    return filed > 0 ? 0 : 1;
}

int OpenCommand(const char* folder)
{
    CString dir = folder;
    CString root = dir + ".bench";
    CreateDirectoryA(root, nullptr);
    {
        BenchApp app(root);
        CreateDirectoryA(root + "\\MailBox", nullptr);
        OpenFolder(dir, 1);
    }
    RemoveTree(root);
    return 0;
}

// Filing mails with parts alone.
int PartsCommand()
{
    char tempBase[MAX_PATH];
    GetTempPathA(sizeof(tempBase), tempBase);
    CString root = CString(tempBase) + FormatString("CvmStoreBench%lu", GetCurrentProcessId());
    CreateDirectoryA(root, nullptr);
    bool ok;
    {
        BenchApp app(root);
        ok = FileInBatches(root, "Parts.Box", 4, "parts", MakePartsMboxMail);
    }
    RemoveTree(root);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if ((argc == 4 || (argc == 5 && strcmp(argv[4], "shown") == 0)) && strcmp(argv[1], "file") == 0)
        return FileCommand(argv[2], argv[3], argc == 5);
    if (argc == 3 && strcmp(argv[1], "open") == 0)
        return OpenCommand(argv[2]);
    if (argc == 2 && strcmp(argv[1], "parts") == 0)
        return PartsCommand();
    if (argc > 1) {
        fprintf(stderr, "usage: StoreBench [file <mbox> <folder> [shown] | open <folder> | parts]\n");
        return 2;
    }
    char tempBase[MAX_PATH];
    GetTempPathA(sizeof(tempBase), tempBase);
    CString root = CString(tempBase) + FormatString("CvmStoreBench%lu", GetCurrentProcessId());
    CreateDirectoryA(root, nullptr);
    {
        BenchApp app(root);
        CreateDirectoryA(root + "\\MailBox", nullptr);

        // Filing.
        const int filed = 10000;
        CMailFolderStore* inbox = OpenStore(root + "\\In.Box", 1);
        inbox->LoadIndex();
        double filingSeconds = 0;
        double bytes = 0;
        for (int i = 0; i < filed; i++) {
            std::string mail = MakeMail(i);
            CString path = root + FormatString("\\QM%d.eml", 1700000000 + i);
            {
                CFile f(path, CFile::modeCreate | CFile::modeWrite);
                f.Write(mail.data(), static_cast<UINT>(mail.size()));
            }
            auto t = std::chrono::steady_clock::now();
            inbox->AddNewMailData(path, "2024/05/01 10:00:00 +0900", FALSE);
            filingSeconds += Seconds(t);
            MSG msg;  // the count messages, taken as the main thread takes them
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            }
            bytes += static_cast<double>(mail.size());
            DeleteFileA(path);
        }
        printf("filing_rate: %.0f mails/s\n", filed / filingSeconds);
        printf("filing_throughput: %.2f MB/s\n", bytes / filingSeconds / 1e6);
        delete inbox;

        // Plain mails, then mails with parts (an attachment or an HTML
        // alternative), through the mbox importer into a folder each.
        if (!FileInBatches(root, "Plain.Box", 3, "plain", MakePlainMboxMail) ||
            !FileInBatches(root, "Parts.Box", 4, "parts", MakePartsMboxMail))
            return 1;

        // A folder of 100,000 mails.
        const int large = 100000;
        CString bigDir = root + "\\Big.Box";
        MakeLargeFolder(bigDir, large);
        CMailFolderStore* big = OpenStore(bigDir, 2);
        auto t = std::chrono::steady_clock::now();
        big->LoadIndex();
        printf("index_load_100k: %.3f s\n", Seconds(t));
        CMailListData* list = big->GetMailList();
        t = std::chrono::steady_clock::now();
        list->Sort(3, TRUE, FALSE, 0, TRUE);
        printf("sort_by_date_100k: %.3f s\n", Seconds(t));
        t = std::chrono::steady_clock::now();
        list->Sort(1, TRUE, FALSE, 0, TRUE);
        printf("sort_by_subject_100k: %.3f s\n", Seconds(t));
        list->SetThreadMode(TRUE);
        t = std::chrono::steady_clock::now();
        list->Sort(3, TRUE, FALSE, 0, TRUE);
        printf("reply_threads_100k: %.3f s\n", Seconds(t));
        list->SetThreadMode(FALSE);
        list->ResetView();

        list->OpenFile();  // one open index file for the many in-place updates
        for (int i = 0; i < list->GetAllRecordCount(); i += 3)
            big->DeleteMail(i);
        list->CloseFile();
        t = std::chrono::steady_clock::now();
        big->Optimize();
        printf("optimise_100k_after_deleting_every_third: %.3f s\n", Seconds(t));
        delete big;
    }
    RemoveTree(root);
    return 0;
}
