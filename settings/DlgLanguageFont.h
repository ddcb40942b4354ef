// CDlgLanguageFont: "言語のフォント", the font of each character-set name
// in "CharSet.dat". Nothing is stored before OK.
#pragma once

#include "classlib/Dialog.h"
#include "viewer/CharSetDataSet.h"

class CDlgLanguageFont : public CDialog
{
public:
    CDlgLanguageFont(const CString& charSetFile, CWnd* pParent = nullptr);

    // A name the caller wants selected, or added when the table lacks it.
    CString m_strRequestName;
    // After OK: the application reads the table again and rebuilds its fonts.
    void (*m_pfnReloadFonts)() = nullptr;

    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    CCharSetDataSet m_table;

private:
    void FillCombo(const char* pszSelect);
    void ShowSelected();
    void OnChange();
    void OnAdd();
    void OnDelete();
    CString SelectedName() const;

    int m_nRequestIndex = -1;
    int m_nCharSet = 128;
    int m_nSize = 10;
    CString m_strFace;
};

// A height in twentieths of a point as points (shown) and from the font
// chooser's point size in tenths.
inline int PointsOfSize(int nSize) { return nSize / 20; }
inline int SizeOfChosenPoints(int nTenths) { return nTenths * 2; }
