#include "editor/MacroHelpText.h"

namespace {

struct HelpEntry
{
    const char* macro;
    const char* text;
    bool templateOnly;
};

const char kMessageIdText[] = " (メッセージID)\r\n";
const char kTemplateMessageIdText[] = " (メッセージID)\t\t";

const HelpEntry kEntries[] = {
    {"%FROM%", " (差出人の名前とアドレス)  ", false},
    {"%FNAME%", " (差出人の名前のみ)  ", false},
    {"%FADDRESS%", " (差出人のアドレス)\r\n", false},
    {"%REPLY-TO%", " (ReplyToのアドレス。ReplyToがない場合はFromのアドレス)\r\n", true},
    {"%TO%", " (宛先)\t\t\t", false},
    {"%CC%", " (CCの宛先)\r\n", false},
    {"%SUBJECT%", " (件名)\t\t\t", false},
    {"%NHSUBJECT%", " (Re,Fw,MLのヘッダーのない件名)\r\n", false},
    {"%MESSAGEID%", nullptr, false},
    {"%RADDRESS%", " (受信したアドレス)\r\n", true},
    {"%DATETIME%", " (現在の日時)\t\t", false},
    {"%DATE%", " (現在の日付)\t", false},
    {"%TIME%", " (現在の時間)\r\n", false},
    {"%FDATETIME$", "[フォーマット文字列]$% (フォーマット付き現在の日時)　例) %FDATETIME$%a %d %b %Y %H:%M:%S$%\r\n", false},
    {"%SENDDATETIME%", " (送信日時)\t\t", false},
    {"%SENDDATE%", " (送信日)\t", false},
    {"%SENDTIME%", " (送信時間)\r\n", false},
    {"%FSDATETIME$", "[フォーマット文字列]$% (フォーマット付き送信日時)　例) %FSDATETIME$%a %d %b %Y %H:%M:%S$%\r\n", false},
    {"%RECDATETIME%", " (受信日時)\t\t", false},
    {"%RECDATE%", " (受信日)\t", false},
    {"%RECTIME%", " (受信時間)\r\n", false},
    {"%FRDATETIME$", "[フォーマット文字列]$% (フォーマット付き受信日時)　例) %FRDATETIME$%a %d %b %Y %H:%M:%S$%\r\n", false},
    {"%TZONE%", " (このマシンのタイムゾーンの値)\r\n", false},
    {"%BODY%", " (メールの本文)  \t\t", true},
    {"%REFBODY%", " (引用記号付きメールの本文)\r\n", true},
    {"%TEMPLATE%", " (設定されている返信、転送ヘッダー)\r\n", true},
};

} // namespace

CString GetMacroHelpText(bool bTemplate)
{
    CString text;
    for (const HelpEntry& e : kEntries) {
        if (e.templateOnly && !bTemplate)
            continue;
        text += e.macro;
        text += e.text ? e.text : (bTemplate ? kTemplateMessageIdText : kMessageIdText);
    }
    if (bTemplate)
        text += "上記以外のヘッダーの項目は大文字にして \"%$\" と \"$%\" で囲む。 例) %$X-MAILER$%";
    return text;
}
