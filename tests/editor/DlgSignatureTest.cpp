#include "coreui/UiTestSupport.h"
#include "editor/DlgSignatureEdit.h"
#include "editor/DlgSignatureList.h"
#include "editor/SignatureFiles.h"
#include "EditorTestUtil.h"
#include "resources/editor/EditorResource.h"
#include "resources/utils/UtilsResource.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using EditorTest::S;
using UiTest::Click;
using UiTest::RunModal;

namespace {

struct RichEditLibrary
{
    HMODULE h = LoadLibraryA("RICHED20.DLL");
    ~RichEditLibrary()
    {
        if (h)
            FreeLibrary(h);
    }
};

std::set<std::string> Signatures(EditorTest::Mailbox& box)
{
    CStringArray names;
    CSignatureFiles::ListNames(box.app->GetSignatureBoxPath(), names);
    std::set<std::string> out;
    for (int i = 0; i < names.GetSize(); ++i)
        out.insert(S(names[i]));
    return out;
}

std::vector<std::string> ListRows(HWND hDlg)
{
    std::vector<std::string> rows;
    HWND hList = GetDlgItem(hDlg, IDC_SIGL_LIST);
    for (LRESULT i = 0, n = SendMessageA(hList, LB_GETCOUNT, 0, 0); i < n; ++i) {
        char text[256] = "";
        SendMessageA(hList, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        rows.push_back(text);
    }
    return rows;
}

int Selected(HWND hDlg)
{
    return static_cast<int>(SendDlgItemMessageA(hDlg, IDC_SIGL_LIST, LB_GETCURSEL, 0, 0));
}

} // namespace

TEST(DlgSignatureEdit, SavesRenamesAndRefusesBadNames)
{
    RichEditLibrary richEdit;
    EditorTest::Mailbox box;
    TestSupport::ClearMessages();

    CDlgSignatureEdit add("");
    INT_PTR result = RunModal(add, "署名の編集", [&](HWND hDlg) {
        SetDlgItemTextA(hDlg, IDC_SIG_BODY, "--\r\n山田 太郎\r\nCorvane\r\n");
        SetDlgItemTextA(hDlg, IDC_SIG_NAME, "..");
        Click(hDlg, IDOK);  // refused, stays open
        SetDlgItemTextA(hDlg, IDC_SIG_NAME, "仕事");
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_FALSE(TestSupport::RecordedMessages().empty());
    EXPECT_EQ(TestSupport::RecordedMessages().back(), "\".\"と\"..\"という名前は指定できません。");
    EXPECT_EQ(S(CSignatureFiles::LoadText("仕事")), "--\r\n山田 太郎\r\nCorvane\r\n");
    ASSERT_EQ(CSignatureFiles::Save("", "private", "p", false), CBoxFiles::saved);

    // Renaming onto another signature asks; No keeps the dialog open, Yes replaces it.
    CDlgSignatureEdit rename("仕事");
    std::string shown;
    TestSupport::QueueMessageBoxAnswer(IDNO);
    TestSupport::QueueMessageBoxAnswer(IDYES);
    result = RunModal(rename, "署名の編集", [&](HWND hDlg) {
        char text[256] = "";
        GetDlgItemTextA(hDlg, IDC_SIG_NAME, text, sizeof(text));
        shown = text;
        SetDlgItemTextA(hDlg, IDC_SIG_NAME, "private");
        Click(hDlg, IDOK);
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(shown, "仕事");
    EXPECT_EQ(Signatures(box), (std::set<std::string>{"private"}));
    EXPECT_EQ(S(CSignatureFiles::LoadText("private")), "--\r\n山田 太郎\r\nCorvane\r\n");
}

TEST(DlgSignatureList, CopiesAndDeletesSelectingTheRightRow)
{
    EditorTest::Mailbox box;
    for (const char* name : {"a", "b", "c"})
        ASSERT_EQ(CSignatureFiles::Save("", name, name, false), CBoxFiles::saved);
    struct Seen
    {
        std::vector<std::string> first, afterCopy, afterDelete;
        std::string copied;
        int selectedAfterCopy = -1, selectedAfterDelete = -1;
    } seen;
    CDlgSignatureList dlg;
    RunModal(dlg, "署名の編集", [&](HWND hDlg) {
        if (!hDlg)
            return;
        seen.first = ListRows(hDlg);
        // Copy "a" as "d": the name dialog opens over the list.
        SendDlgItemMessageA(hDlg, IDC_SIGL_LIST, LB_SETCURSEL, 0, 0);
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_SIGL_COPY, BN_CLICKED), 0);
        HWND hName = UiTest::WaitForDialog(GetWindowThreadProcessId(hDlg, nullptr), "名前の入力", 5000);
        ASSERT_NE(hName, nullptr);
        SetDlgItemTextA(hName, IDC_INPUT_NAME, "d");
        PostMessageA(hName, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        for (int i = 0; i < 100 && ListRows(hDlg).size() < 4; ++i)
            Sleep(20);
        seen.afterCopy = ListRows(hDlg);
        seen.selectedAfterCopy = Selected(hDlg);
        seen.copied = S(CSignatureFiles::LoadText("d"));
        // Delete the last row: the new last one is selected.
        SendDlgItemMessageA(hDlg, IDC_SIGL_LIST, LB_SETCURSEL, 3, 0);
        Click(hDlg, IDC_SIGL_DELETE);
        seen.afterDelete = ListRows(hDlg);
        seen.selectedAfterDelete = Selected(hDlg);
        Click(hDlg, IDCANCEL);
    });
    std::set<std::string> first(seen.first.begin(), seen.first.end());
    EXPECT_EQ(first, (std::set<std::string>{"a", "b", "c"}));
    ASSERT_EQ(seen.afterCopy.size(), 4u);
    EXPECT_EQ(seen.afterCopy[static_cast<size_t>(seen.selectedAfterCopy)], "d");
    EXPECT_EQ(seen.copied, "a");
    EXPECT_EQ(seen.afterDelete.size(), 3u);
    EXPECT_EQ(seen.selectedAfterDelete, 2);
    EXPECT_EQ(Signatures(box).size(), 3u);
    EXPECT_EQ(TestSupport::RecordedMessages().back(), "[" + seen.afterCopy[3] + "]を削除してもよろしいですか？");
}
