// CDlgAutoSignature: the automatic signature rules ("署名の自動追加設定"):
// rules added, updated, deleted and moved up or down in priority.
#pragma once

#include "classlib/Dialog.h"
#include "classlib/ImageList.h"

#include <vector>

class CAutoSignData;

class CDlgAutoSignature : public CDialog
{
public:
    explicit CDlgAutoSignature(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    // "閉じる" and Esc: the rules are written and the dialog closes.
    void OnCancel() override;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    void FillSignatureCombo();
    void ShowRule(int nRow);
    int GetSelectedRow() const;
    void SelectRow(int nRow);
    void StoreFields(int nRecord);
    void OnAdd();
    void OnUpdate();
    void OnDelete();
    void OnMove(int nStep);

    CAutoSignData* m_pRules = nullptr;
    std::vector<int> m_rows;  // the record index of each row
    CImageList m_images;
};
