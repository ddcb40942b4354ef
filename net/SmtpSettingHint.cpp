#include "net/SmtpSettingHint.h"

CString SmtpSettingHint(int nCode, const char* pszReply)
{
    CString reply = pszReply ? pszReply : "";
    reply.MakeUpper();
    // 530 is "must issue STARTTLS first" or "authentication required"; the
    // server's words tell which. 535 is a refused login.
    if ((nCode == 530 || nCode == 554) && reply.Find("TLS") >= 0)
        return "サーバは暗号化した接続を求めています。「アカウントの設定」の「接続情報」タブで「SMTPS」をチェックしてください"
               "（SMTPポート番号が465のときは最初から、それ以外のときはSTARTTLSで暗号化します）。";
    if (nCode == 530 || (nCode == 554 && reply.Find("RELAY") >= 0) ||
        (nCode == 550 && reply.Find("AUTH") >= 0))
        return "サーバはユーザ認証を求めています。「アカウントの設定」の「送信設定」タブで「ESMTPサーバを使用」と"
               "「SMTP認証を行う」をチェックしてください。";
    if (nCode == 535)
        return "ユーザ認証に失敗しました。「アカウントの設定」の「送信設定」タブのユーザ名とパスワード"
               "（省略時は「アカウント情報」タブのもの）を確かめてください。";
    return CString();
}
