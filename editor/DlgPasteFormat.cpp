#include "editor/DlgPasteFormat.h"

#include "mainwnd/MailObjectBlock.h"
#include "resources/editor/EditorControlsResource.h"

namespace {

const char* NameOf(UINT nFormat)
{
    switch (nFormat) {
    case CF_TEXT: return "テキスト形式";
    case CF_BITMAP: return "画像形式";
    case CF_HDROP: return "ファイル形式";
    default: return "添付メール形式";
    }
}

} // namespace

CDlgPasteFormat::CDlgPasteFormat(CWnd* pParent) : CDialog(IDD_PASTE_FORMAT, pParent)
{
}

std::vector<UINT> CDlgPasteFormat::OfferedFormats(BOOL (*isAvailable)(UINT))
{
    std::vector<UINT> formats;
    for (UINT f : {static_cast<UINT>(CF_TEXT), static_cast<UINT>(CF_BITMAP), static_cast<UINT>(CF_HDROP),
                   static_cast<UINT>(MailObjectBlock::GetMailFormat())})
        if (isAvailable(f))
            formats.push_back(f);
    return formats;
}

BOOL CDlgPasteFormat::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND list = GetDlgItemHwnd(IDC_PF_LIST);
    if (::OpenClipboard(m_hWnd)) {
        for (UINT f : OfferedFormats(&::IsClipboardFormatAvailable)) {
            int item = static_cast<int>(::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(NameOf(f))));
            ::SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(f));
        }
        ::CloseClipboard();
    }
    ::SendMessageA(list, LB_SETCURSEL, 0, 0);
    return TRUE;
}

void CDlgPasteFormat::OnOK()
{
    HWND list = GetDlgItemHwnd(IDC_PF_LIST);
    int sel = static_cast<int>(::SendMessageA(list, LB_GETCURSEL, 0, 0));
    m_nFormat = sel == LB_ERR ? 0 : static_cast<UINT>(::SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(sel), 0));
    CDialog::OnOK();
}
