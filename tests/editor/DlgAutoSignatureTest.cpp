#include "coreui/UiTestSupport.h"
#include "editor/AutoSignData.h"
#include "editor/DlgAutoSignature.h"
#include "editor/SignatureFiles.h"
#include "EditorTestUtil.h"
#include "resources/editor/EditorResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

using UiTest::Click;
using UiTest::RunModal;

namespace {

std::vector<std::string> Rows(HWND hDlg)
{
    std::vector<std::string> rows;
    HWND hList = GetDlgItem(hDlg, IDC_AS_LIST);
    for (LRESULT i = 0, n = SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0); i < n; ++i) {
        std::string row;
        for (int column = 0; column < 3; ++column) {
            char text[256] = "";
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = sizeof(text);
            SendMessageA(hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            row += (column ? "|" : "") + std::string(text);
        }
        rows.push_back(row);
    }
    return rows;
}

void SelectRow(HWND hDlg, int row)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendDlgItemMessageA(hDlg, IDC_AS_LIST, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::string Text(HWND hDlg, int id)
{
    char text[256] = "";
    GetDlgItemTextA(hDlg, id, text, sizeof(text));
    return text;
}

} // namespace

TEST(DlgAutoSignature, RulesAreEditedAndAMoveIsWrittenAtOnce)
{
    EditorTest::Mailbox box;
    for (const char* name : {"社外", "社内", "新規"})
        ASSERT_EQ(CSignatureFiles::Save("", name, name, false), CBoxFiles::saved);
    const CString rules = box.app->GetAutoSignPath();
    TestSupport::WriteFileBytes(rules, "社外\t1\t@client.example\r\n社内\t0\t@corvane.example\r\n");
    struct Seen
    {
        std::vector<std::string> first, afterAdd, afterDelete;
        std::string fields, fileAfterMove;
        int selectedAfterMove = -1;
    } seen;
    CDlgAutoSignature dlg;
    RunModal(dlg, "署名の自動追加設定", [&](HWND hDlg) {
        if (!hDlg)
            return;
        seen.first = Rows(hDlg);
        SelectRow(hDlg, 1);
        seen.fields = Text(hDlg, IDC_AS_SIGN) + "|" + Text(hDlg, IDC_AS_ITEM) + "|" + Text(hDlg, IDC_AS_TEXT);
        Click(hDlg, IDC_AS_UP);
        seen.fileAfterMove = TestSupport::ReadFileBytes(rules);
        seen.selectedAfterMove = static_cast<int>(
            SendDlgItemMessageA(hDlg, IDC_AS_LIST, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        // A new rule from the fields.
        SendDlgItemMessageA(hDlg, IDC_AS_ITEM, CB_SETCURSEL, 2, 0);
        SetDlgItemTextA(hDlg, IDC_AS_TEXT, "見積");
        SendDlgItemMessageA(hDlg, IDC_AS_SIGN, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>("新規"));
        Click(hDlg, IDC_AS_ADD);
        seen.afterAdd = Rows(hDlg);
        Sleep(300);  // let the dialog paint before its picture is taken
        UiTest::SaveScreenshot(hDlg, "DlgAutoSignature");
        // The rule now second goes.
        SelectRow(hDlg, 1);
        Click(hDlg, IDC_AS_DELETE);
        seen.afterDelete = Rows(hDlg);
        Click(hDlg, IDCANCEL);
    });
    EXPECT_EQ(seen.first, (std::vector<std::string>{"社外|宛先（CCを含まない）|@client.example",
                                                    "社内|宛先（CCを含む）|@corvane.example"}));
    EXPECT_EQ(seen.fields, "社内|宛先（CCを含む）|@corvane.example");
    EXPECT_EQ(seen.fileAfterMove, "社内\t0\t@corvane.example\r\n社外\t1\t@client.example\r\n");
    EXPECT_EQ(seen.selectedAfterMove, 0);
    ASSERT_EQ(seen.afterAdd.size(), 3u);
    EXPECT_EQ(seen.afterAdd[2], "新規|件名|見積");
    EXPECT_EQ(seen.afterDelete, (std::vector<std::string>{"社内|宛先（CCを含む）|@corvane.example", "新規|件名|見積"}));
    // Closing writes the table, the deleted rule left out.
    EXPECT_EQ(TestSupport::ReadFileBytes(rules), "社内\t0\t@corvane.example\r\n新規\t2\t見積\r\n");
    EXPECT_STREQ(box.app->GetAutoSignData()->FindSignature("", "", "お見積"), "新規");
}
