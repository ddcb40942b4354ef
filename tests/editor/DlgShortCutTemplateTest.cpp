#include "coreui/UiTestSupport.h"
#include "editor/DlgShortCutTemplate.h"
#include "editor/ShortCutTemplateData.h"
#include "EditorTestUtil.h"
#include "resources/editor/EditorResource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using EditorTest::S;
using UiTest::Click;
using UiTest::RunModal;

namespace {

// A click on a check box as the mouse gives it: the box toggles, then tells the dialog.
void ClickCheck(HWND hDlg, int id) { SendMessageA(GetDlgItem(hDlg, id), BM_CLICK, 0, 0); }

} // namespace

TEST(DlgShortCutTemplate, RowsShowTheSlotsAndOkWritesNineLines)
{
    EditorTest::Mailbox box;
    for (const char* name : {"会議", "notes.txt", "お礼"})
        TestSupport::WriteFileBytes(CString(box.app->GetTemplateBoxPath()) + "\\" + name, "\r\nbody\r\n");
    TestSupport::WriteFileBytes(box.app->GetShortCutTemplatePath(), "会議\t1\t0\r\n\t0\t0\r\nnotes\t0\t1\r\n");

    struct Seen
    {
        std::vector<std::string> names;
        std::vector<int> items;
        bool allOffAfterReply = false, replyOffAfterAll = false;
    } seen;
    CDlgShortCutTemplate dlg;
    INT_PTR result = RunModal(dlg, "テンプレート呼出の登録", [&](HWND hDlg) {
        if (!hDlg)
            return;
        for (int row = 0; row < 3; ++row) {
            char text[256] = "";
            GetDlgItemTextA(hDlg, IDC_SCT_NAME_FIRST + row, text, sizeof(text));
            seen.names.push_back(text);
        }
        // An empty entry and the three names without their extensions.
        seen.items.push_back(static_cast<int>(SendDlgItemMessageA(hDlg, IDC_SCT_NAME_FIRST + 4, CB_GETCOUNT, 0, 0)));
        // The two checks of a row exclude each other.
        ClickCheck(hDlg, IDC_SCT_ALL_FIRST);
        seen.replyOffAfterAll = IsDlgButtonChecked(hDlg, IDC_SCT_REPLY_FIRST) == BST_UNCHECKED &&
                                IsDlgButtonChecked(hDlg, IDC_SCT_ALL_FIRST) == BST_CHECKED;
        ClickCheck(hDlg, IDC_SCT_REPLY_FIRST + 2);
        seen.allOffAfterReply = IsDlgButtonChecked(hDlg, IDC_SCT_ALL_FIRST + 2) == BST_UNCHECKED &&
                                IsDlgButtonChecked(hDlg, IDC_SCT_REPLY_FIRST + 2) == BST_CHECKED;
        Sleep(300);  // let the dialog paint before its picture is taken
        UiTest::SaveScreenshot(hDlg, "DlgShortCutTemplate");
        // Row 9 gets "お礼" with neither check.
        HWND hCombo = GetDlgItem(hDlg, IDC_SCT_NAME_FIRST + 8);
        LRESULT at = SendMessageA(hCombo, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>("お礼"));
        SendMessageA(hCombo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
        Click(hDlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(seen.names, (std::vector<std::string>{"会議", "", "notes"}));
    EXPECT_EQ(seen.items, (std::vector<int>{4}));
    EXPECT_TRUE(seen.allOffAfterReply);
    EXPECT_TRUE(seen.replyOffAfterAll);
    EXPECT_EQ(TestSupport::ReadFileBytes(box.app->GetShortCutTemplatePath()),
              "会議\t0\t1\r\n\t0\t0\r\nnotes\t1\t0\r\n\t0\t0\r\n\t0\t0\r\n\t0\t0\r\n\t0\t0\r\n\t0\t0\r\nお礼\t0\t0\r\n");
    EXPECT_EQ(box.app->GetShortCutTemplateData()->GetSlotMailKind(8), 5);
}
