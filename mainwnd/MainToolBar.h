// CMainToolBar: the main window's toolbar. The user adds, removes and moves
// buttons in the toolbar's customise dialog; the layout is kept in the
// settings ("Settings"/"ToolBar Settings": one command id a button, -1 a
// separator) and restored when the toolbar is made and on the dialog's
// Reset. Buttons may show the short label of their command below the image.
#pragma once

#include "classlib/ClassLib.h"

#include <vector>

// Removes the temporary registry key ("Settings.tmp" under the program's
// key) that copying the layout through the registry could leave behind.
void DeleteToolBarTempKey();

class CMainToolBar : public CToolBar
{
public:
    CMainToolBar() = default;
    ~CMainToolBar() override;

    // Creates the toolbar (id 0xE800) with customising allowed.
    BOOL Create(CWnd* pParent, DWORD dwStyle);
    // Makes the buttons of the default layout (ids, 0 a separator), the
    // n-th button using image n, and restores the saved layout.
    BOOL LoadButtons(BOOL bShowText, int nImageSize, const std::vector<UINT>& defaults);
    // Uses a bitmap of square images in a row for the buttons (taken over).
    BOOL SetImageBitmap(HBITMAP hBitmap, int nImageSize);
    // Uses a bitmap resource of square images in a row, the mask colour
    // showing the button face.
    BOOL SetImageResource(UINT nBitmapID, int nImageSize, COLORREF crMask);
    void UpdateButtonTexts(BOOL bResize);

    // The current layout: command ids, -1 for a separator.
    std::vector<int> GetLayout() const;
    // Shows this layout; ids the toolbar does not know are left out.
    void ApplyLayout(const std::vector<int>& layout);
    BOOL SaveLayout();
    BOOL RestoreLayout();
    // Opens the customise dialog.
    void Customize();
    BOOL IsCustomizing() const { return m_bCustomizing; }

    // The layout in its stored form and back; false for a value that is no layout.
    static std::vector<BYTE> EncodeLayout(const std::vector<int>& layout);
    static bool DecodeLayout(const BYTE* pData, UINT nBytes, std::vector<int>& layout);

protected:
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Button
    {
        TBBUTTON tb;
        CString text;
    };
    const Button* FindButton(int nCommand) const;
    bool IsOnButton(POINT pt) const;
    // Shows these images (taken over), dropping the ones used before.
    BOOL UseImages(HIMAGELIST hImages);

    std::vector<Button> m_buttons;  // every button the toolbar can show
    std::vector<int> m_defaults;
    BOOL m_bCustomizing = FALSE;
    BOOL m_bShowText = FALSE;
    int m_nImageSize = 16;
    HIMAGELIST m_hImages = nullptr;
};
