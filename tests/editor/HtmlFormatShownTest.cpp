// An editor view writing HTML mail on our own document: where the caret
// goes, the frame's font boxes and its bold, italic and underline buttons
// show the format found there.
#include "coreui/UiTestSupport.h"
#include "editor/EditorTestUtil.h"
#include "editor/FormatButtonState.h"
#include "editor/MailEditView.h"
#include "html/MemoryHtmlDocument.h"
#include "html/QHtmlEditView.h"
#include "resources/editor/EditorWindowResource.h"

#include <gtest/gtest.h>

#include <docobj.h>

namespace {

TEST(HtmlFormatShownTest, TheFormatAtTheCaretReachesTheFramesBoxesAndButtons)
{
    HMODULE richEdit = LoadLibraryA("RICHED20.DLL");
    ASSERT_NE(richEdit, nullptr);
    EditorTest::Mailbox box;
    std::shared_ptr<CMemoryHtmlDocument> page;
    CQHtmlEditView::SetEngineFactory([&page](const CString& url) {
        page = CMemoryHtmlDocument::Load(url);
        return page;
    });

    UiTest::CHostWnd host;
    // The frame's boxes and buttons, given to the view before any HTML.
    CComboBox fontName, fontSize;
    fontName.Attach(CreateWindowA("COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 200, host.m_hWnd, nullptr,
                                  nullptr, nullptr));
    fontSize.Attach(CreateWindowA("COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 200, host.m_hWnd, nullptr,
                                  nullptr, nullptr));
    for (const char* face : { "ＭＳ 明朝", "ＭＳ ゴシック" })
        fontName.AddString(face);
    for (const char* size : { "8", "10", "12", "14", "18", "24", "36" })
        fontSize.AddString(size);
    CFormatButtonState buttons;
    auto* view = new CMailEditView;  // deletes itself with its window
    RECT rc = { 0, 0, 500, 350 };
    ASSERT_TRUE(view->Create(&host, AFX_IDW_PANE_FIRST, rc));
    view->OnInitialUpdate();
    view->SetHtmlFormatControls(&fontName, &fontSize, &buttons);

    // The user switches to HTML mail and moves the caret into bold text of
    // the second face and size 18.
    ASSERT_TRUE(view->ToggleHtmlMode());
    ASSERT_TRUE(page);
    HWND html = ::FindWindowExA(view->m_hWnd, nullptr, "CVMHtmlEditView", nullptr);
    ASSERT_NE(html, nullptr);
    const DWORD on = OLECMDF_SUPPORTED | OLECMDF_ENABLED;
    page->SetStatus(18, on);
    page->SetStatus(19, on);
    page->SetStatus(52, on | OLECMDF_LATCHED);
    page->SetValue(18, L"ＭＳ ゴシック");
    page->SetValue(19, 5);
    ::SendMessageA(html, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(fontName.GetCurSel(), 1);
    EXPECT_EQ(fontSize.GetCurSel(), 4);
    EXPECT_EQ(buttons.GetCheck(ID_HTML_BOLD), 1);
    EXPECT_EQ(buttons.GetCheck(ID_HTML_ITALIC), 0);

    // An arrow key takes it on into plain italic text.
    page->SetStatus(52, on);
    page->SetStatus(56, on | OLECMDF_LATCHED);
    ::SendMessageA(html, WM_KEYUP, VK_RIGHT, 0);
    EXPECT_EQ(buttons.GetCheck(ID_HTML_BOLD), 0);
    EXPECT_EQ(buttons.GetCheck(ID_HTML_ITALIC), 1);

    view->DestroyWindow();
    fontName.Detach();
    fontSize.Detach();
    CQHtmlEditView::SetEngineFactory(nullptr);
}

} // namespace
