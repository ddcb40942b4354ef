// The address fields of the editor grow with the list they hold, up to five
// lines, and the fields below them move down.
#include "e2e/EditorSession.h"
#include "e2e/RemoteControls.h"
#include "e2e/WaitFor.h"
#include "resources/editor/EditorWindowResource.h"
#include "resources/mainwnd/MailCommandsResource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using E2e::CEditorSession;

namespace {

RECT ScreenRect(HWND view, int id)
{
    RECT rc = {};
    GetWindowRect(GetDlgItem(view, id), &rc);
    return rc;
}

std::string Addresses(int count)
{
    std::string list;
    for (int i = 0; i < count; ++i)
        list += "member" + std::to_string(i) + "@example.jp, ";
    return list;
}

} // namespace

TEST(AddressFieldsGrowTest, ToFieldGrowsWithItsListUpToFiveLines)
{
    TestSupport::TempDir dir;
    CEditorSession session(dir.Path());
    ASSERT_TRUE(session.Prepare(126));
    HWND main = nullptr;
    HWND editor = session.StartWithNewEditor(main);
    ASSERT_NE(editor, nullptr) << session.Windows();
    HWND view = CEditorSession::ViewOf(editor);
    auto height = [&](int id) {
        RECT rc = ScreenRect(view, id);
        return static_cast<int>(rc.bottom - rc.top);
    };
    EXPECT_EQ(height(IDC_ME_TO), 20);
    // A field that wraps its list still leaves Tab and Enter to the form.
    LRESULT keys = SendMessageA(GetDlgItem(view, IDC_ME_TO), WM_GETDLGCODE, 0, 0);
    EXPECT_EQ(keys & (DLGC_WANTALLKEYS | DLGC_WANTTAB), 0);

    E2e::SetControlText(view, IDC_ME_TO, Addresses(8).c_str());
    EXPECT_TRUE(E2e::WaitFor(5000, [&] { return height(IDC_ME_TO) > 20; })) << height(IDC_ME_TO);
    int grown = height(IDC_ME_TO);
    // The CC field moves down below the grown To field (the layout runs after
    // the field has grown).
    EXPECT_TRUE(E2e::WaitFor(5000, [&] { return ScreenRect(view, IDC_ME_CC).top > ScreenRect(view, IDC_ME_TO).bottom - 1; }))
        << ScreenRect(view, IDC_ME_CC).top << " vs " << ScreenRect(view, IDC_ME_TO).bottom;

    E2e::SetControlText(view, IDC_ME_TO, Addresses(200).c_str());
    EXPECT_TRUE(E2e::WaitFor(5000, [&] { return height(IDC_ME_TO) > grown; })) << height(IDC_ME_TO);
    int most = height(IDC_ME_TO);
    E2e::SetControlText(view, IDC_ME_TO, Addresses(400).c_str());
    // The fields are laid out in the order they changed: once the CC field
    // has grown, the To field's longer list has been laid out too.
    E2e::SetControlText(view, IDC_ME_CC, Addresses(8).c_str());
    EXPECT_TRUE(E2e::WaitFor(5000, [&] { return height(IDC_ME_CC) > 20; })) << height(IDC_ME_CC);
    EXPECT_EQ(height(IDC_ME_TO), most);  // five lines at most
    E2e::SetControlText(view, IDC_ME_CC, "");

    E2e::SetControlText(view, IDC_ME_TO, "");
    EXPECT_TRUE(E2e::WaitFor(5000, [&] { return height(IDC_ME_TO) == 20; })) << height(IDC_ME_TO);

    // A text pasted with line breaks gives its first line, as before.
    const char lines[] = "first@example.jp\r\nsecond@example.jp\r\n";
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(lines));
    memcpy(GlobalLock(block), lines, sizeof(lines));
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
    SendMessageA(GetDlgItem(view, IDC_ME_TO), WM_PASTE, 0, 0);
    EXPECT_EQ(E2e::GetControlText(view, IDC_ME_TO), CString("first@example.jp"));
    ASSERT_TRUE(session.DiscardEditor(editor)) << session.Windows();
    session.Close(main);
}
