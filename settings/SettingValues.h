// The values of a settings dialog: each key shown on a control, read once
// when the dialog opens (with the shared default of core/SettingDefaults)
// and written back on OK only when its value was changed, so that an OK on
// an untouched dialog leaves the settings store as it was.
#pragma once

#include "classlib/ClassLib.h"

#include <vector>

class CMailApp;

// A binding without a section is a field of the dialog that is never stored.
struct SettingBinding
{
    enum Kind
    {
        kCheck,   // check box, 0 or 1
        kRadio,   // consecutive radio buttons from nControl
        kNumber,  // whole-number edit
        kText,    // edit or combo text
        kSlider,  // track bar position
        kNone,    // no control of its own; the dialog shows it itself
    };
    const char* pszSection;
    const char* pszKey;
    Kind kind;
    int nControl;
    int nButtons;              // radio: the number of buttons
    const int* pRadioValues;   // radio: the stored value of each button; null: the button's index
};

class CSettingValues
{
public:
    struct Value
    {
        const SettingBinding* pBinding;
        bool bText;
        int nLoaded, nValue;
        CString strLoaded, strValue;
    };

    // Reads every key of the table (appended to those read before).
    void Load(CMailApp& app, const SettingBinding* pTable, int nCount);
    // Writes the keys whose value differs from the one read; returns their number.
    int Save(CMailApp& app) const;

    Value* Find(const char* pszKey);
    int& Int(const char* pszKey);
    CString& Text(const char* pszKey);
    bool IsChanged(const char* pszKey);
    std::vector<Value>& Values() { return m_values; }

    // A radio group's button for a stored value; -1 when no button stands for it.
    static int RadioIndexOf(const SettingBinding& b, int nValue);
    static int RadioValueOf(const SettingBinding& b, int nIndex);

private:
    std::vector<Value> m_values;
};

// The header choice of the main window's mail view, one radio group over two
// keys: 0 (MailMiniHeader 1, AddressShowAll 0), 1 (0, 0), 2 (0, 1); -1 for
// any other pair.
int HeaderModeFromPair(int nMiniHeader, int nShowAll);
void PairFromHeaderMode(int nMode, int& nMiniHeader, int& nShowAll);
