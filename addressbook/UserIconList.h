// CUserIconList: the names of the icons an address entry can show, with a
// large (32 x 32) and a small (16 x 16) image list in the same order: the
// three built-in icons "icon1" to "icon3", then every icon file of the
// address-book folder's "Icons\Large" that has a partner of the same name
// in "Icons\Small".
#pragma once

#include "classlib/ClassLib.h"

class CUserIconList
{
public:
    CUserIconList() = default;
    CUserIconList(const CUserIconList&) = delete;
    CUserIconList& operator=(const CUserIconList&) = delete;

    // Fills the names and both image lists (once; later calls keep them).
    void Build(const char* pszAddressBoxPath);
    bool IsBuilt() const { return m_bBuilt; }

    // Index of the name (letter case ignored); 0 when it is not there.
    int FindIconIndex(const char* pszName) const;
    // The name at the index; empty when out of range.
    CString GetIconName(int nIndex) const;
    int GetCount() const { return m_names.GetSize(); }

    CImageList& GetLargeImages() { return m_large; }
    CImageList& GetSmallImages() { return m_small; }

private:
    bool AddPair(const char* pszName, HICON hLarge, HICON hSmall);

    bool m_bBuilt = false;
    CStringArray m_names;
    CImageList m_large;
    CImageList m_small;
};

// The program's one list, built on first use from the current address-book
// folder and kept for the program's life.
CUserIconList& GetUserIconList();
