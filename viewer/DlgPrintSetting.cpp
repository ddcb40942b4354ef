#include "viewer/DlgPrintSetting.h"

#include "resources/shownmail/ShownMailResource.h"
#include "viewer/ViewerProfile.h"

namespace {

struct MacroEntry
{
    const char* macro;
    const char* text;
};

// Descriptions end the line, except where the next macro follows on the
// same line after tabs.
const MacroEntry kMacros[] = {
    {"%SUBJECT%", " (件名)\r\n"},
    {"%NHSUBJECT%", " (Re,Fw,MLのヘッダーのない件名)\r\n"},
    {"%FROM%", " (差出人の名前とアドレス)\r\n"},
    {"%FNAME%", " (差出人の名前のみ)\r\n"},
    {"%FADDRESS%", " (差出人のアドレス)\r\n"},
    {"%TO%", " (宛先)\t\t\t"},
    {"%CC%", " (CCの宛先)\r\n"},
    {"%MESSAGEID%", " (メッセージID)\r\n"},
    {"%DATETIME%", " (現在の日時)\t\t"},
    {"%DATE%", " (現在の日付)\t"},
    {"%TIME%", " (現在の時間)\r\n"},
    {"%FDATETIME$", "[フォーマット文字列]$% (フォーマット付き現在の日時)　例) %FDATETIME$%a %d %b %Y %H:%M:%S$%\r\n"},
    {"%SENDDATETIME%", " (送信日時)\t\t"},
    {"%SENDDATE%", " (送信日)\t"},
    {"%SENDTIME%", " (送信時間)\r\n"},
    {"%FSDATETIME$", "[フォーマット文字列]$% (フォーマット付き送信日時)　例) %FSDATETIME$%a %d %b %Y %H:%M:%S$%\r\n"},
    {"%RECDATETIME%", " (受信日時)\t\t"},
    {"%RECDATE%", " (受信日)\t"},
    {"%RECTIME%", " (受信時間)\r\n"},
    {"%FRDATETIME$", "[フォーマット文字列]$% (フォーマット付き受信日時)　例) %FRDATETIME$%a %d %b %Y %H:%M:%S$%\r\n"},
    {"%TZONE%", " (このマシンのタイムゾーンの値)\r\n"},
};

struct NumberField
{
    int nId;
    const char* key;
    int nDefault;
};

const NumberField kNumbers[] = {
    {IDC_PRINT_MARGIN_TOP, "PrintMarginTop", 20},     {IDC_PRINT_MARGIN_LEFT, "PrintMarginLeft", 20},
    {IDC_PRINT_MARGIN_RIGHT, "PrintMarginRight", 20}, {IDC_PRINT_MARGIN_BOTTOM, "PrintMarginBottom", 20},
    {IDC_PRINT_FONT_SIZE, "PrintFontSize", 10},       {IDC_PRINT_LINE_SIZE, "LineSize", 0},
};

const char kDefaultTemplate[] =
    " 件名： %SUBJECT%\r\n 送信者： %FROM%\r\n 宛先： %TO%\r\n 送信日時：%SENDDATETIME%  受信日時：%RECDATETIME%\r\n";

} // namespace

CDlgPrintSetting::CDlgPrintSetting(CWnd* pParent) : CDialog(IDD_PRINT_SETTING, pParent) {}

CString CDlgPrintSetting::MacroListText()
{
    CString text;
    for (const MacroEntry& e : kMacros) {
        text += e.macro;
        text += e.text;
    }
    return text;
}

BOOL CDlgPrintSetting::OnInitDialog()
{
    SetDlgItemText(IDC_PRINT_MACRO_LIST, MacroListText());
    for (const NumberField& f : kNumbers)
        ::SetDlgItemInt(m_hWnd, f.nId, static_cast<UINT>(ViewerProfile::GetInt("PrintSetting", f.key, f.nDefault)),
                        FALSE);
    SetDlgItemText(IDC_PRINT_HEADER_TEMPLATE,
                   ViewerProfile::GetString("PrintSetting", "PrintHeaderTemplate", kDefaultTemplate));
    SetDlgItemText(IDC_PRINT_SEPARATOR, ViewerProfile::GetString("PrintSetting", "PrintHeaderSeparateChar", "="));
    return TRUE;
}

void CDlgPrintSetting::OnOK()
{
    int values[sizeof(kNumbers) / sizeof(kNumbers[0])];
    for (size_t i = 0; i < sizeof(kNumbers) / sizeof(kNumbers[0]); ++i) {
        BOOL ok = FALSE;
        UINT v = ::GetDlgItemInt(m_hWnd, kNumbers[i].nId, &ok, FALSE);
        // A font of no size prints nothing readable.
        if (!ok || (kNumbers[i].nId == IDC_PRINT_FONT_SIZE && v == 0) || v > 1000) {
            MessageBeep(MB_ICONEXCLAMATION);
            ::SetFocus(GetDlgItemHwnd(kNumbers[i].nId));
            ::SendMessageA(GetDlgItemHwnd(kNumbers[i].nId), EM_SETSEL, 0, -1);
            return;
        }
        values[i] = static_cast<int>(v);
    }
    CQuendalApp* app = QuendalApp();
    if (app) {
        for (size_t i = 0; i < sizeof(kNumbers) / sizeof(kNumbers[0]); ++i)
            app->WriteProfileInt("PrintSetting", kNumbers[i].key, values[i]);
        app->WriteProfileString("PrintSetting", "PrintHeaderTemplate", GetDlgItemText(IDC_PRINT_HEADER_TEMPLATE));
        app->WriteProfileString("PrintSetting", "PrintHeaderSeparateChar", GetDlgItemText(IDC_PRINT_SEPARATOR));
    }
    EndDialog(IDOK);
}
