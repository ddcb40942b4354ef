// The settings dialogs as the menu commands open them.
#pragma once

class CWnd;

// "アカウントの設定"; the caller refills the main window's account combo afterwards.
void ShowAccountSettings(CWnd* pParent);
// "コルヴェイン・メールの基本設定".
void ShowBasicSettings(CWnd* pParent);
// "メールエディタの設定".
void ShowEditorSettings(CWnd* pParent);
// "メール本文欄の設定"; true when the shown mails need laying out again.
bool ShowViewSettings(CWnd* pParent);
