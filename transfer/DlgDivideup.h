// CDlgDivideup: the rule list dialog ("振り分け"): one rule set at a time,
// its rules added, changed, deleted and reordered, named sets added,
// deleted and renamed, filtering at receive and at send switched, and the
// rules searched. Changes stay in the dialog until "保存".
#pragma once

#include "classlib/ClassLib.h"
#include "transfer/DivideupListCtrl.h"
#include "transfer/DivideupRuleList.h"

#include <memory>
#include <vector>

class CDivideupDataSet;
class CDlgDivideupSearch;
class CMailMessage;

class CDlgDivideup : public CDialog
{
public:
    enum { WM_MAKE_RULE_FROM_MAIL = 1416 };

    explicit CDlgDivideup(CWnd* pParent = nullptr);
    ~CDlgDivideup() override;

    // Making a rule from a mail: the mail's header and the set row shown first.
    const CMailMessage* m_pMailHeader = nullptr;
    int m_nInitialSetRow = 0;

    BOOL OnInitDialog() override;
    // "保存": the dialog stays open.
    void OnOK() override;
    // "閉じる": asks to save changes first.
    void OnCancel() override;

    // The rows shown (tests read them).
    const CDivideupRuleList& GetRules() const { return m_rules; }
    BOOL IsModified() const { return m_bModified; }

protected:
    void OnSetChanged();
    void OnAdd();
    void OnChange();
    void OnDelete();
    void OnUp() { Move(&CDivideupRuleList::MoveUp); }
    void OnDown() { Move(&CDivideupRuleList::MoveDown); }
    void OnTop() { Move(&CDivideupRuleList::MoveToTop); }
    void OnBottom() { Move(&CDivideupRuleList::MoveToBottom); }
    void OnAddSet();
    void OnDeleteSet();
    void OnRenameSet();
    void OnSearch();
    void OnCheckChanged() { m_bModified = TRUE; }
    void OnListDblClick(NMHDR* pHdr, LRESULT* pResult);
    LRESULT OnMakeRuleFromMail(WPARAM, LPARAM);
    LRESULT OnSizeMsg(WPARAM, LPARAM);
    LRESULT OnDestroyMsg(WPARAM, LPARAM);

    void Move(int (CDivideupRuleList::*pfnMove)(int));
    // A changed list is saved when the user answers OK, else dropped.
    void AskToSave();
    void LoadSetAtRow(int nRow);
    void SaveCurrentSet();
    void FillSetCombo();
    void RefreshList(int nSelect);
    int CurrentSetRow() const;

    CDivideupListCtrl m_list;
    CDivideupRuleList m_rules;
    CDivideupDataSet* m_pSet = nullptr;
    int m_nSetRow = 0;
    BOOL m_bModified = FALSE;
    std::unique_ptr<CDlgDivideupSearch> m_pSearch;
    // Distances kept while resizing: the list's to the right and bottom
    // edges, and every button's from them.
    struct Anchor
    {
        int id;
        int right;   // the left edge's distance from the client's right edge
        int bottom;  // the top edge's distance from the bottom edge; negative: a fixed top
        bool moveX;
    };
    std::vector<Anchor> m_anchors;
    SIZE m_listMargin = {};
    BOOL m_bLayoutKnown = FALSE;

    DECLARE_MESSAGE_MAP()
};
