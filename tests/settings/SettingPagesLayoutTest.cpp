// The pages of the tabbed settings dialogs as a user sees them: every group
// caption there, each group box holding its controls, no control lying on
// another or reaching past the page, and no text cut off by its control.
#include "coreui/UiTestSupport.h"
#include "resources/settings/SettingsResource.h"
#include "settings/DlgBasicSetting.h"
#include "settings/DlgEditorSetting.h"
#include "settings/DlgViewSetting.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace UiTest;

namespace {

struct Control
{
    HWND hWnd;
    RECT rc;  // in the page's client coordinates
    std::string text;
    bool group;
};

std::vector<Control> ControlsOf(HWND page)
{
    std::vector<Control> out;
    for (HWND h = GetWindow(page, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (!(GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE))
            continue;
        Control c{ h, {}, {}, false };
        GetWindowRect(h, &c.rc);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&c.rc), 2);
        char text[512] = "";
        GetWindowTextA(h, text, sizeof(text));
        c.text = text;
        char cls[32] = "";
        GetClassNameA(h, cls, sizeof(cls));
        c.group = lstrcmpiA(cls, "Button") == 0 && (GetWindowLongA(h, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
        out.push_back(c);
    }
    return out;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const RECT& a, const RECT& b)
{
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

// The room a text needs in its control's font, wrapped as the control wraps it.
bool TextFits(const Control& c)
{
    char cls[32] = "";
    GetClassNameA(c.hWnd, cls, sizeof(cls));
    LONG style = GetWindowLongA(c.hWnd, GWL_STYLE);
    int width = c.rc.right - c.rc.left, height = c.rc.bottom - c.rc.top;
    UINT flags = DT_CALCRECT | DT_EXPANDTABS;
    if (lstrcmpiA(cls, "Static") == 0) {
        if ((style & SS_TYPEMASK) > SS_RIGHT)
            return true;
        flags |= DT_WORDBREAK;
    } else if (lstrcmpiA(cls, "Button") == 0) {
        LONG type = style & BS_TYPEMASK;
        if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON)
            width -= GetSystemMetrics(SM_CXMENUCHECK) + 3;
        else if (type == BS_GROUPBOX)
            width -= 16;  // the caption sits between the frame's corners
        else
            return true;  // push buttons
        if (style & BS_MULTILINE)
            flags |= DT_WORDBREAK;
    } else {
        return true;
    }
    if (c.text.empty())
        return true;
    HDC dc = GetDC(c.hWnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(c.hWnd, WM_GETFONT, 0, 0)));
    RECT need = { 0, 0, width, 0 };
    DrawTextA(dc, c.text.c_str(), -1, &need, flags);
    SelectObject(dc, old);
    ReleaseDC(c.hWnd, dc);
    return need.right <= width && need.bottom <= height;
}

// The group boxes a page must show, by caption, and a control each holds.
struct GroupCase
{
    int page;
    const char* caption;
    int heldControl;
};

void CheckPages(CTabbedSettingDialog& dlg, const char* caption, const std::vector<GroupCase>& groups)
{
    INT_PTR result = RunModal(dlg, caption, [&](HWND hDlg) {
        if (!hDlg)
            return;
        for (int i = 0; i < dlg.m_tab.GetPageCount(); ++i) {
            dlg.m_tab.SelectPage(i);
            HWND page = dlg.m_tab.GetPage(i)->m_hWnd;
            RECT pageRect;
            GetClientRect(page, &pageRect);
            std::vector<Control> controls = ControlsOf(page);
            for (size_t a = 0; a < controls.size(); ++a) {
                const Control& c = controls[a];
                EXPECT_TRUE(Inside(c.rc, pageRect)) << caption << " page " << i << ": " << c.text;
                EXPECT_TRUE(TextFits(c)) << caption << " page " << i << ": cut \"" << c.text << "\"";
                for (size_t b = a + 1; b < controls.size(); ++b) {
                    const Control& d = controls[b];
                    if (c.group != d.group) {
                        // A control lies wholly in a group box or clear of it.
                        const Control& box = c.group ? c : d;
                        const Control& other = c.group ? d : c;
                        EXPECT_TRUE(!Overlap(other.rc, box.rc) || Inside(other.rc, box.rc))
                            << caption << " page " << i << ": \"" << other.text << "\" across \"" << box.text << "\"";
                    } else {
                        EXPECT_FALSE(Overlap(c.rc, d.rc))
                            << caption << " page " << i << ": \"" << c.text << "\" on \"" << d.text << "\"";
                    }
                }
            }
            for (const GroupCase& g : groups) {
                if (g.page != i)
                    continue;
                const Control* box = nullptr;
                for (const Control& c : controls)
                    if (c.group && c.text == g.caption)
                        box = &c;
                if (!box) {
                    ADD_FAILURE() << caption << " page " << i << ": no group \"" << g.caption << "\"";
                    continue;
                }
                RECT held;
                GetWindowRect(GetDlgItem(page, g.heldControl), &held);
                MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&held), 2);
                EXPECT_TRUE(Inside(held, box->rc)) << g.caption;
            }
        }
        Click(hDlg, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL) << caption;
}

class SettingPagesLayoutTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestSupport::WriteFileBytes(m_dir.File("CVM.ini"), "[Setting]\r\nMailBoxPassword=\"x\"\r\n\r\n");
        m_app = std::make_unique<App>(m_dir.File("CVM.ini"));
        m_app->LoadProfileFile(m_dir.File("CVM.ini"));
    }
    TestSupport::TempDir m_dir;
    std::unique_ptr<App> m_app;
};

} // namespace

TEST_F(SettingPagesLayoutTest, BasicSettingsPagesHoldTheirGroupsWithNothingOverlappedOrCut)
{
    CDlgBasicSetting dlg(*m_app);
    CheckPages(dlg, "コルヴェイン・メールの基本設定",
               { { 1, "受信の通知", IDC_SET_REC_NOTIFY_SOUND },
                 { 1, "その他", IDC_SET_TRASH_EMPTY_LAST },
                 { 1, "起動パスワードの設定", IDC_SET_PW_CONFIRM },
                 { 3, "アプリケーション（アプリケーションから開くで使用されるアプリケーション）",
                   IDC_SET_OPEN_APP_PATH3 } });
}

TEST_F(SettingPagesLayoutTest, EditorSettingsPagesHoldTheirGroupsWithNothingOverlappedOrCut)
{
    CDlgEditorSetting dlg(*m_app);
    CheckPages(dlg, "メールエディタの設定",
               { { 0, "その他", IDC_SET_EDITOR_AUTO_BACKUP },
                 { 1, "IMEのコントロール", IDC_SET_SUBJECT_IME_ON },
                 { 1, "その他", IDC_SET_DEFAULT_REQUEST_READ_NOTIFY } });
}

TEST_F(SettingPagesLayoutTest, ViewSettingsPagesHoldTheirGroupsWithNothingOverlappedOrCut)
{
    CDlgViewSetting dlg(*m_app);
    CheckPages(dlg, "メール本文欄の設定",
               { { 0, "引用 (色を変える行のヘッダー)", IDC_SET_REF_TEXT_HEADER4 },
                 { 0, "HTMLメールの表示　(IE4.0以上がインストールされている場合にのみ有効)", IDC_SET_IE_ZONE } });
}

namespace {

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

BOOL CALLBACK CollectDialogId(HMODULE, LPCSTR, LPSTR name, LONG_PTR param)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<UINT>*>(param)->push_back(static_cast<UINT>(reinterpret_cast<UINT_PTR>(name)));
    return TRUE;
}

} // namespace

// Every dialog of the program as its template lays it out: the labels, check
// boxes, radio buttons and group captions show their whole text in the
// dialog font (a page or a form is shown in a window of its own).
TEST(DialogTemplatesLayout, NoLabelOfAnyDialogIsCut)
{
    LoadLibraryA("riched20.dll");
    HINSTANCE hInst = GetModuleHandleA(nullptr);
    std::vector<UINT> ids;
    EnumResourceNamesA(hInst, MAKEINTRESOURCEA(5), CollectDialogId, reinterpret_cast<LONG_PTR>(&ids));
    ASSERT_GT(ids.size(), 100u);
    HWND host = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1600, 1200, nullptr, nullptr, hInst, nullptr);
    int shown = 0;
    std::vector<std::string> cut;
    for (UINT id : ids) {
        // A template with a control class of a window the program registers
        // itself does not open here; the others all do.
        HWND dlg = CreateDialogParamA(hInst, MAKEINTRESOURCEA(id), host, QuietDialogProc, 0);
        if (!dlg)
            continue;
        ++shown;
        for (const Control& c : ControlsOf(dlg))
            if (!TextFits(c))
                cut.push_back("dialog " + std::to_string(id) + ": \"" + c.text + "\"");
        DestroyWindow(dlg);
    }
    DestroyWindow(host);
    EXPECT_GT(shown, 100);
    std::string report;
    for (const std::string& line : cut)
        report += line + "\n";
    EXPECT_TRUE(cut.empty()) << cut.size() << " texts cut:\n" << report;
}
