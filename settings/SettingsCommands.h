// The settings dialogs as the menu commands open them.
#pragma once

class CWnd;

// "アカウントの設定"; the program uses the accounts as written at once.
void ShowAccountSettings(CWnd* pParent);
// "コルヴェイン・メールの基本設定".
void ShowBasicSettings(CWnd* pParent);
// "メールエディタの設定".
void ShowEditorSettings(CWnd* pParent);
// "メール本文欄の設定"; true when the shown mails need laying out again.
bool ShowViewSettings(CWnd* pParent);
// "フォントと色の設定": writes the fonts and colours changed and tells the
// application thread to apply them.
void ShowFontColorSettings(CWnd* pParent);
// "キーワードの色"; true after OK (the application thread is told).
bool ShowKeywordColors(CWnd* pParent);
// "言語のフォント", offering the character set of a shown mail (or none);
// true after OK.
bool ShowLanguageFonts(CWnd* pParent, const char* pszCharSet);
// "その他のカスタマイズ".
void ShowCustomize(CWnd* pParent);
// "プロファイルの設定"; the profile in use is applied again afterwards.
void ShowProfileSettings(CWnd* pParent);
// "プロファイルの切り替え": writes the two profile settings the user changed
// and switches to the chosen profile.
void ShowProfileSelect(CWnd* pParent);
