// Mail viewer benchmark: showing a mail with a 10 MB text body (the first
// screen, then the whole text laid out) and moving from one mail to the
// next in a folder of 100,000 with the pane shown. Prints "name: value unit"
// lines.
#include "core/QuendalApp.h"
#include "bench/BenchSupport.h"
#include "message/JapaneseCode.h"
#include "store/MailFolderStore.h"
#include "viewer/ColorTextView.h"
#include "viewer/MailView.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double Ms(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

CMailFolderStore* OpenStore(const CString& dir, int id)
{
    CreateDirectoryA(dir, nullptr);
    CFolderRecord r;
    r.m_nId = id;
    r.m_nKind = 1;
    r.m_strName = "Bench";
    r.m_strPath = dir;
    auto* store = new CMailFolderStore;
    store->SetFolderRecord(r);
    return store;
}

// About 10 MB of ISO-2022-JP text: Japanese sentences, quoted lines, web
// and mail addresses, long lines that wrap.
std::string LargeBody()
{
    const char* lines[] = {
        "本日の会議の議事録をお送りします。ご確認のほどよろしくお願いいたします。",
        "> 先日の件ですが、資料は http://example.jp/docs/minutes/2024/05/index.html にあります。",
        "> > 承知しました。taro.yamada@example.co.jp までご連絡ください。",
        "長い行の例です。" "日本語の文章が続きます。句読点、括弧「」などが行頭に来ないように折り返されます。"
        "日本語の文章が続きます。句読点、括弧「」などが行頭に来ないように折り返されます。",
        "",
        "Regards, the quick brown fox jumps over the lazy dog; ftp://ftp.example.jp/pub/file.tar.gz",
    };
    std::string sjis;
    while (sjis.size() < 9 * 1024 * 1024)
        for (const char* l : lines)
            sjis += std::string(l) + "\r\n";
    return SjisToJis(sjis.c_str(), static_cast<int>(sjis.size())).Str();
}

std::string SmallEntry(int i, std::string& name)
{
    name = "QM" + std::to_string(1700000000 + i) + ".eml";
    std::string body;
    for (int k = 0; k < 40; ++k)
        body += (k % 5 == 0 ? "> quoted line " : "text line ") + std::to_string(k) + " of mail " + std::to_string(i) +
                " http://example.jp/" + std::to_string(k) + "\r\n";
    return name + "\r\nFrom: User <user" + std::to_string(i % 97) + "@example.com>\r\nTo: me@example.jp\r\nSubject: topic " +
           std::to_string(i) + "\r\nMessage-ID: <m" + std::to_string(i) + "@example.com>\r\n\r\n" + body + "\r\n.\r\n";
}

// Writes a folder of n mails straight into its two files.
void MakeLargeFolder(const CString& dir, int n)
{
    CreateDirectoryA(dir, nullptr);
    CFile data(dir + "\\MailData.Qmd", CFile::modeCreate | CFile::modeWrite);
    CFile index(dir + "\\Index.lst", CFile::modeCreate | CFile::modeWrite);
    std::string dataBuf, indexBuf;
    long long offset = 0;
    for (int i = 0; i < n; i++) {
        std::string name;
        std::string entry = SmallEntry(i, name);
        CMailIndexRecord r;
        r.m_nDataOffset = static_cast<int>(offset);
        r.m_nDataLength = static_cast<int>(entry.size());
        r.m_nTotalSize = r.m_nDataLength;
        r.m_nRecordPos = static_cast<int>(indexBuf.size());
        r.SetText(CMailIndexRecord::colSubject, ("topic " + std::to_string(i)).c_str());
        r.SetText(CMailIndexRecord::colFrom, ("User <user" + std::to_string(i % 97) + "@example.com>").c_str());
        r.SetText(CMailIndexRecord::colTo, "me@example.jp");
        r.SetText(CMailIndexRecord::colDate, "2024/05/01 10:00:00 +0900");
        r.SetText(CMailIndexRecord::colReceived, "2024/05/01 10:00:00 +0900");
        r.SetText(CMailIndexRecord::colMessageId, ("<m" + std::to_string(i) + "@example.com>").c_str());
        r.SetText(CMailIndexRecord::colFileName, name.c_str());
        indexBuf += r.BuildLine().Str();
        dataBuf += entry;
        offset += static_cast<long long>(entry.size());
    }
    data.Write(dataBuf.data(), static_cast<UINT>(dataBuf.size()));
    index.Write(indexBuf.data(), static_cast<UINT>(indexBuf.size()));
}

void PumpPending()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.hwnd) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void ShowLarge(CMailView* view, CMailFolderStore* store, const char* label)
{
    const int runs = 3;
    std::vector<double> first, whole;
    for (int r = 0; r < runs; ++r) {
        view->ClearMail();
        PumpPending();
        auto t = std::chrono::steady_clock::now();
        view->ShowMail(0, store, TRUE);
        view->GetBodyView()->UpdateWindow();
        first.push_back(Ms(t));
        view->GetBodyView()->FinishLayout();
        whole.push_back(Ms(t));
    }
    std::sort(first.begin(), first.end());
    std::sort(whole.begin(), whole.end());
    printf("show_10mb_first_screen_%s: %.1f ms\n", label, first[runs / 2]);
    printf("show_10mb_whole_layout_%s: %.1f ms\n", label, whole[runs / 2]);
    printf("show_10mb_lines_%s: %d lines\n", label, view->GetBodyView()->GetLineCount());
}

} // namespace

int main()
{
    char tempBase[MAX_PATH];
    GetTempPathA(sizeof(tempBase), tempBase);
    CString root = CString(tempBase) + FormatString("CvmViewerBench%lu", GetCurrentProcessId());
    CreateDirectoryA(root, nullptr);
    {
        BenchApp app(root);
        app.m_nThreadID = GetCurrentThreadId();
        CreateDirectoryA(root + "\\MailBox", nullptr);
        const char* cls = AfxRegisterWndClass("CVMViewerBenchHost", 0, LoadCursor(nullptr, IDC_ARROW),
                                              GetSysColorBrush(COLOR_WINDOW));
        CWnd host;
        host.CreateEx(0, cls, "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1000, 760, nullptr, nullptr);
        auto* view = new CMailView(FALSE);
        RECT rc = {0, 0, 980, 720};
        if (!view->Create(&host, 100, rc)) {
            printf("error: the mail view could not be created\n");
            return 1;
        }

        // One mail with a 10 MB text body.
        CMailFolderStore* large = OpenStore(root + "\\Large.Box", 1);
        large->LoadIndex();
        std::string mail = "From: a@example.jp\r\nTo: b@example.jp\r\nSubject: large\r\nMIME-Version: 1.0\r\n"
                           "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" + LargeBody();
        CString path = root + "\\QM1700000000.eml";
        {
            CFile f(path, CFile::modeCreate | CFile::modeWrite);
            f.Write(mail.data(), static_cast<UINT>(mail.size()));
        }
        large->AddNewMailData(path, "2024/05/01 10:00:00 +0900", TRUE);
        DeleteFileA(path);
        printf("large_body_size: %.1f MB\n", static_cast<double>(mail.size()) / 1e6);
        app.WriteProfileInt("ViewOption", "LineFeed", 0);
        view->GetBodyView()->LoadOptions();
        ShowLarge(view, large, "unwrapped");
        app.WriteProfileInt("ViewOption", "LineFeed", 1);
        view->GetBodyView()->LoadOptions();
        ShowLarge(view, large, "wrapped");
        view->ClearMail();
        delete large;

        // A 10 MB text without line breaks: one paragraph of wrapped lines.
        {
            view->ShowWindow(SW_HIDE);
            auto* text = new CColorTextView;
            text->Create(&host, 200, rc);
            std::string para;
            while (para.size() < 10 * 1024 * 1024)
                para += "長い段落の文章 word http://example.jp/x ";
            auto t = std::chrono::steady_clock::now();
            text->SetText(std::move(para));
            text->UpdateWindow();
            printf("paragraph_10mb_first_screen: %.1f ms\n", Ms(t));
            t = std::chrono::steady_clock::now();
            text->FinishLayout();
            printf("paragraph_10mb_whole_layout: %.1f ms\n", Ms(t));
            t = std::chrono::steady_clock::now();
            text->SendMessage(WM_KEYDOWN, VK_END, 0);
            text->UpdateWindow();
            printf("paragraph_10mb_end_key: %.1f ms\n", Ms(t));
            t = std::chrono::steady_clock::now();
            for (int i = 0; i < 10; ++i) {
                text->SendMessage(WM_KEYDOWN, VK_PRIOR, 0);
                text->UpdateWindow();
            }
            printf("paragraph_10mb_page_up: %.2f ms\n", Ms(t) / 10);
            printf("paragraph_10mb_lines: %d lines\n", text->GetLineCount());
            text->DestroyWindow();
            view->ShowWindow(SW_SHOW);
        }

        // Next mail in a folder of 100,000 with the pane shown.
        const int count = 100000;
        MakeLargeFolder(root + "\\Big.Box", count);
        CMailFolderStore* big = OpenStore(root + "\\Big.Box", 2);
        big->LoadIndex();
        std::vector<double> steps;
        for (int i = 50000; i < 50300; ++i) {
            auto t = std::chrono::steady_clock::now();
            view->ShowMail(i, big, TRUE);
            view->UpdateWindow();
            view->GetBodyView()->UpdateWindow();
            steps.push_back(Ms(t));
            PumpPending();
        }
        std::sort(steps.begin(), steps.end());
        double sum = 0;
        for (double s : steps)
            sum += s;
        printf("next_mail_100k_mean: %.2f ms\n", sum / static_cast<double>(steps.size()));
        printf("next_mail_100k_median: %.2f ms\n", steps[steps.size() / 2]);
        printf("next_mail_100k_p95: %.2f ms\n", steps[steps.size() * 95 / 100]);
        printf("next_mail_100k_max: %.2f ms\n", steps.back());
        view->ClearMail();
        host.DestroyWindow();
        delete big;
    }
    RemoveTree(root);
    return 0;
}
